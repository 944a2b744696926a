#include "uListSort.h"

#include <algorithm>
#include <cmath>

#include <QLocale>

#include "uCodec.h"
#include "uGlobal.h"
#include "uListItems.h"

namespace {

int UpperAZ(unsigned char code)
{
    return code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code;
}

// CompareListText's order as bytes: two texts compare as their keys do.
QByteArray TextKey(const QString &text)
{
    QByteArray key = Codec::Encode(text);
    for (char &code : key)
        code = static_cast<char>(UpperAZ(static_cast<unsigned char>(code)));
    return key;
}

double CellNumber(const TListModel &rows, int row, int column)
{
    bool ok = false;
    const double value = QLocale().toDouble(rows.Text(row, column).trimmed(), &ok);
    return ok ? value : 0.0;
}

} // namespace

int CompareListText(const QString &first, const QString &second)
{
    const QByteArray a = TextKey(first);
    const QByteArray b = TextKey(second);
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool SortCallerRows(TCallerRows &rows, int column, bool descending)
{
    struct TEntry
    {
        int Row;
        qint64 Start;
        QByteArray Key;
    };
    const bool byStart = column == StartColumn;
    std::vector<TEntry> entries;
    entries.reserve(std::size_t(rows.RowCount()));
    for (int row = 0; row < rows.RowCount(); ++row) {
        const TCaller *caller = rows.Record(row);
        if (byStart)
            entries.push_back({row, caller ? caller->StartValue : 0, {}});
        else
            entries.push_back({row, 0, TextKey(rows.Text(row, column))});
    }
    const auto before = [byStart](const TEntry &a, const TEntry &b) {
        return byStart ? a.Start < b.Start : a.Key < b.Key;
    };
    if (descending)
        std::stable_sort(entries.begin(), entries.end(), [&before](const TEntry &a, const TEntry &b) { return before(b, a); });
    else
        std::stable_sort(entries.begin(), entries.end(), before);
    std::vector<int> order;
    order.reserve(entries.size());
    for (const TEntry &entry : entries)
        order.push_back(entry.Row);
    return rows.Reorder(order);
}

int CompareTotalsRows(const TListModel &rows, int first, int second, int column)
{
    if (column == CaptionColumn)
        return CompareListText(rows.Text(first, column), rows.Text(second, column));
    const double difference = std::trunc(CellNumber(rows, first, column) - CellNumber(rows, second, column));
    return difference < 0.0 ? -1 : (difference > 0.0 ? 1 : 0);
}

bool SortRows(TListModel &rows, const TRowCompare &compare)
{
    // Insertion sort: stable, and sound even for the totals' comparison, whose ties are
    // not transitive (10 ~ 10,8 ~ 11,6 but 10 < 11,6), which std::sort may not be given.
    std::vector<int> order(std::size_t(rows.RowCount()));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    for (std::size_t i = 1; i < order.size(); ++i) {
        const int row = order[i];
        std::size_t j = i;
        for (; j > 0 && compare(row, order[j - 1]) < 0; --j)
            order[j] = order[j - 1];
        order[j] = row;
    }
    return rows.Reorder(order);
}

QString ListAsText(const QAbstractItemModel &rows)
{
    const QLatin1String tab("\t");
    const QLatin1String lineEnd("\r\n");
    const int columns = rows.columnCount();
    QStringList captions;
    for (int c = 0; c < columns; ++c)
        captions.append(rows.headerData(c, Qt::Horizontal).toString());
    QString text = captions.join(tab) + lineEnd;
    for (int r = 0; r < rows.rowCount(); ++r) {
        text += rows.index(r, CaptionColumn).data().toString();
        for (int c = 1; c < columns; ++c)
            text += tab + rows.index(r, c).data().toString();
        text += lineEnd;
    }
    return text;
}
