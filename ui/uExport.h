#pragma once

#include <QDate>
#include <QList>
#include <QStringList>

#include "uCsv.h"

class QTreeView;
class TDayStore;

// What the lists and the day graph write to CSV files for a spreadsheet.
namespace Export {

// Rows for a CSV file, captions first, and which of their columns hold quantities.
struct TTable
{
    QList<QStringList> Rows;
    Csv::TQuantityColumns Quantities;
};

// What the list shows, in its order and form: the captions of the shown columns, then
// one row per line. Its figures are the columns it aligns to the right.
TTable ListRows(const QTreeView &list);
// One row per sample of the day: time, online, callers, minutes and euros.
TTable DayRows(const TDayStore &history);
// Asks where to save, proposing `name` with the date in the documents folder, and
// writes the file; a failure is told. False when nothing was written.
bool SaveCsv(const QString &name, const QDate &date, const TTable &table);

} // namespace Export
