#include "uListSort.h"

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

double CellNumber(const TListModel &rows, int row, int column)
{
    bool ok = false;
    const double value = QLocale().toDouble(rows.Text(row, column).trimmed(), &ok);
    return ok ? value : 0.0;
}

} // namespace

int CompareListText(const QString &first, const QString &second)
{
    const QByteArray a = Codec::Encode(first);
    const QByteArray b = Codec::Encode(second);
    const qsizetype common = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int difference = UpperAZ(static_cast<unsigned char>(a[i])) - UpperAZ(static_cast<unsigned char>(b[i]));
        if (difference != 0)
            return difference;
    }
    return int(a.size() - b.size());
}

int CompareCallerRows(const TCallerRows &rows, int first, int second, int column)
{
    if (column == StartColumn) {
        const TCaller *a = rows.Record(first);
        const TCaller *b = rows.Record(second);
        // Compared, not subtracted: two far apart start values would overflow.
        if (a && b)
            return a->StartValue < b->StartValue ? -1 : (a->StartValue > b->StartValue ? 1 : 0);
    }
    return CompareListText(rows.Text(first, column), rows.Text(second, column));
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
