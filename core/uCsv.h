#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Lists and the day's samples written for spreadsheet programs in a Dutch setting: UTF-8
// with a byte-order mark (else they guess the code page), ";" between fields (a "," is
// the decimal separator there), quotes as RFC 4180 says, CR LF line ends.
namespace Csv {

inline constexpr char16_t Separator = u';';

// A quantity (a count, minutes, euros) is left for the spreadsheet to read as a number;
// any other field stays text, also one that looks like a number (a calling number
// "0612345678" would lose its leading zero) or a formula.
enum class TKind { Text, Quantity };

// Column indexes whose fields are quantities; every other column is text.
using TQuantityColumns = QList<int>;

// The field as written: quoted, with its quotes doubled, when it holds the separator, a
// quote, a line break or blanks at either end that a reader would trim.
QString Field(const QString &text, TKind kind = TKind::Text);
// The fields of one row and its line end.
QString Line(const QStringList &fields, const TQuantityColumns &quantities = {});
// The whole file: the byte-order mark and every row.
QByteArray Document(const QList<QStringList> &rows, const TQuantityColumns &quantities = {});
// Writes the file whole or not at all; on failure `error` says why.
bool Write(const QString &fileName, const QList<QStringList> &rows, const TQuantityColumns &quantities = {},
           QString *error = nullptr);

} // namespace Csv
