#pragma once

#include <QDate>
#include <QList>
#include <QStringList>

class QTreeWidget;
class TDayStore;

// What the lists and the day graph write to CSV files for a spreadsheet.
namespace Export {

// What the list shows, in its order and form: the captions of the shown columns, then
// one row per line.
QList<QStringList> ListRows(const QTreeWidget &list);
// One row per sample of the day: time, online, callers, minutes and euros.
QList<QStringList> DayRows(const TDayStore &history);
// Asks where to save, proposing `name` with the date in the documents folder, and
// writes the file; a failure is told. False when nothing was written.
bool SaveCsv(const QString &name, const QDate &date, const QList<QStringList> &rows);

} // namespace Export
