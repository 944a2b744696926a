#include "uListSort.h"

#include <cmath>

#include <QLocale>
#include <QScrollBar>
#include <QTreeWidget>

#include "uCodec.h"
#include "uGlobal.h"
#include "uListItems.h"

namespace {

constexpr int CaptionColumn = 0;
constexpr int StartColumn = 3;

int UpperAZ(unsigned char code)
{
    return code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code;
}

const TCaller *CallerOf(const QTreeWidgetItem &row)
{
    return row.type() == TCallerItem::Type ? static_cast<const TCallerItem &>(row).Caller : nullptr;
}

double CellNumber(const QTreeWidgetItem &row, int column)
{
    bool ok = false;
    const double value = QLocale().toDouble(row.text(column).trimmed(), &ok);
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

int CompareCallerRows(const QTreeWidgetItem &first, const QTreeWidgetItem &second, int column)
{
    if (column == StartColumn) {
        const TCaller *a = CallerOf(first);
        const TCaller *b = CallerOf(second);
        // Compared, not subtracted: two far apart start values would overflow.
        if (a && b)
            return a->StartValue < b->StartValue ? -1 : (a->StartValue > b->StartValue ? 1 : 0);
    }
    return CompareListText(first.text(column), second.text(column));
}

int CompareTotalsRows(const QTreeWidgetItem &first, const QTreeWidgetItem &second, int column)
{
    if (column == CaptionColumn)
        return CompareListText(first.text(column), second.text(column));
    const double difference = std::trunc(CellNumber(first, column) - CellNumber(second, column));
    return difference < 0.0 ? -1 : (difference > 0.0 ? 1 : 0);
}

bool SortRows(QTreeWidget &view, const TRowCompare &compare)
{
    QList<QTreeWidgetItem *> rows;
    const int count = view.topLevelItemCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append(view.topLevelItem(i));

    // Insertion sort: stable, and sound even for the totals' comparison, whose ties are
    // not transitive (10 ~ 10,8 ~ 11,6 but 10 < 11,6), which std::sort may not be given.
    QList<QTreeWidgetItem *> sorted = rows;
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        QTreeWidgetItem *row = sorted[i];
        qsizetype j = i;
        for (; j > 0 && compare(*row, *sorted[j - 1]) < 0; --j)
            sorted[j] = sorted[j - 1];
        sorted[j] = row;
    }
    if (sorted == rows)
        return false;

    const QList<QTreeWidgetItem *> selected = view.selectedItems();
    QTreeWidgetItem *current = view.currentItem();
    const int scroll = view.verticalScrollBar()->value();
    view.invisibleRootItem()->takeChildren();
    view.addTopLevelItems(sorted);
    if (current)
        view.setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem *row : selected)
        row->setSelected(true);
    view.verticalScrollBar()->setValue(scroll);
    return true;
}

QString ListAsText(const QTreeWidget &view)
{
    const QLatin1String tab("\t");
    const QLatin1String lineEnd("\r\n");
    const int columns = view.columnCount();
    QStringList captions;
    for (int c = 0; c < columns; ++c)
        captions.append(view.headerItem()->text(c));
    QString text = captions.join(tab) + lineEnd;
    for (int i = 0; i < view.topLevelItemCount(); ++i) {
        const QTreeWidgetItem &row = *view.topLevelItem(i);
        text += row.text(CaptionColumn);
        for (int c = 1; c < columns; ++c)
            text += tab + row.text(c);
        text += lineEnd;
    }
    return text;
}
