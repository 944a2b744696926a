#include "uListModel.h"

namespace {

quint32 AllColumns(int columns)
{
    return columns >= TListModel::MaxColumns ? ~quint32(0) : (quint32(1) << columns) - 1;
}

} // namespace

TListModel::TListModel(int columns, QObject *parent)
    : QAbstractTableModel(parent)
    , Header(qBound(0, columns, MaxColumns))
    , Columns(qBound(0, columns, MaxColumns))
{
}

void TListModel::SetColumnCount(int columns)
{
    columns = qBound(0, columns, MaxColumns);
    if (columns < Columns) {
        beginRemoveColumns({}, columns, Columns - 1);
        Columns = columns;
        Header.resize(columns);
        for (TRow &row : Rows) {
            if (row.Texts.size() > columns)
                row.Texts.resize(columns);
            row.Changed &= AllColumns(columns);
        }
        endRemoveColumns();
    } else if (columns > Columns) {
        beginInsertColumns({}, Columns, columns - 1);
        Columns = columns;
        Header.resize(columns);
        endInsertColumns();
    }
}

void TListModel::RebuildColumns(int columns)
{
    SetColumnCount(0);
    SetColumnCount(columns);
}

int TListModel::RowOf(TListRowKey key) const
{
    return RowOfKey.value(key, -1);
}

const QString &TListModel::Text(int row, int column) const
{
    static const QString none;
    const TRow &r = Rows[std::size_t(row)];
    return column >= 0 && column < r.Texts.size() ? r.Texts[column] : none;
}

void TListModel::Touch(TRow &row, quint32 columns)
{
    if (row.Fresh)
        return;
    row.Changed |= columns;
    AnyChanged = true;
}

void TListModel::SetText(int row, int column, QStringView text)
{
    if (column < 0 || column >= Columns)
        return;
    TRow &r = Rows[std::size_t(row)];
    if (r.Texts.size() <= column) {
        if (text.isEmpty())
            return;
        r.Texts.resize(column + 1);
    }
    QString &cell = r.Texts[column];
    if (cell == text)
        return;
    cell = text.toString();
    Touch(r, quint32(1) << column);
}

void TListModel::SetPictures(int row, int image, int state)
{
    TRow &r = Rows[std::size_t(row)];
    if (r.Image == image && r.State == state)
        return;
    r.Image = image;
    r.State = state;
    Touch(r, 1);
}

void TListModel::SetMarked(int row, bool marked)
{
    TRow &r = Rows[std::size_t(row)];
    if (r.Marked == marked)
        return;
    r.Marked = marked;
    Touch(r, AllColumns(Columns));
}

void TListModel::Publish()
{
    if (AnyChanged) {
        // One notice per run of changed rows in a column: exactly the cells that changed.
        for (int column = 0; column < Columns; ++column) {
            const quint32 bit = quint32(1) << column;
            int first = -1;
            for (int row = 0; row <= RowCount(); ++row) {
                const bool changed = row < RowCount() && (Rows[std::size_t(row)].Changed & bit);
                if (changed && first < 0) {
                    first = row;
                } else if (!changed && first >= 0) {
                    Q_EMIT dataChanged(index(first, column), index(row - 1, column));
                    first = -1;
                }
            }
        }
    }
    for (TRow &row : Rows) {
        row.Changed = 0;
        row.Fresh = false;
    }
    AnyChanged = false;
    Q_EMIT Published();
}

TListRowKey TListModel::AppendRow(void *record)
{
    TRow row;
    // Keys are never reused, so a stale key finds no row instead of another one.
    row.Key = ++NextKey;
    if (row.Key == NoListRow)
        row.Key = ++NextKey;
    row.Record = record;
    const int at = RowCount();
    beginInsertRows({}, at, at);
    Rows.push_back(std::move(row));
    RowOfKey.insert(Rows.back().Key, at);
    endInsertRows();
    return Rows.back().Key;
}

void TListModel::RemoveRowOf(TListRowKey key)
{
    const int row = RowOf(key);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    Rows.erase(Rows.begin() + row);
    RowOfKey.remove(key);
    IndexFrom(row);
    endRemoveRows();
}

void TListModel::RemoveAllRows()
{
    beginResetModel();
    Rows.clear();
    RowOfKey.clear();
    AnyChanged = false;
    endResetModel();
}

void TListModel::IndexFrom(int first)
{
    for (int row = first; row < RowCount(); ++row)
        RowOfKey[Rows[std::size_t(row)].Key] = row;
}

bool TListModel::Reorder(const std::vector<int> &order)
{
    if (int(order.size()) != RowCount())
        return false;
    bool same = true;
    for (int row = 0; row < RowCount(); ++row)
        same = same && order[std::size_t(row)] == row;
    if (same)
        return false;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    std::vector<TRow> sorted;
    sorted.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newRowOf[std::size_t(order[i])] = int(i);
        sorted.push_back(std::move(Rows[std::size_t(order[i])]));
    }
    Rows = std::move(sorted);
    IndexFrom(0);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(this->index(newRowOf[std::size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

int TListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int TListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant TListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= RowCount() || index.column() >= Columns)
        return {};
    const TRow &row = Rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case ImageIndexRole:
        return index.column() == 0 ? row.Image : -1;
    case StateIndexRole:
        return index.column() == 0 ? row.State : -1;
    case MarkedRole:
        return row.Marked;
    default:
        return {};
    }
}

QVariant TListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= Columns)
        return {};
    return Header[section].value(role == Qt::EditRole ? Qt::DisplayRole : role);
}

bool TListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= Columns)
        return false;
    Header[section].insert(role == Qt::EditRole ? Qt::DisplayRole : role, value);
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}
