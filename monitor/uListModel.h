#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <vector>

#include "uGlobal.h"

// The rows of one of the main window's lists (callers, totals, history), each a row of
// texts with two picture indexes and a mark, showing one record. The engine adds, fills
// and removes rows; a view shows them, and the window sorts them and names the columns.
// Rows arriving and leaving are announced at once; changed cells are collected and told
// in one go by Publish, after the rows have settled, so a view lays out and paints once.
// A cell set to the text it has changes nothing.
class TListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The access-type picture and the flag of a row (-1: none), as indexes into the
    // pictures of the view; and whether the row is marked (changed at the last refresh).
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    static constexpr int StateIndexRole = Qt::UserRole + 2;
    static constexpr int MarkedRole = Qt::UserRole + 3;
    static constexpr int MaxColumns = 32;

    explicit TListModel(int columns, QObject *parent = nullptr);

    int RowCount() const { return int(Rows.size()); }
    int ColumnCount() const { return Columns; }
    // Keeps the columns up to `columns` and adds empty ones after them.
    void SetColumnCount(int columns);
    // Removes every column and adds `columns` new ones.
    void RebuildColumns(int columns);

    // The row of a key, or -1.
    int RowOf(TListRowKey key) const;
    const QString &Text(int row, int column) const;
    void SetText(int row, int column, QStringView text);
    void SetPictures(int row, int image, int state);
    int ImageIndex(int row) const { return Rows[std::size_t(row)].Image; }
    int StateIndex(int row) const { return Rows[std::size_t(row)].State; }
    void SetMarked(int row, bool marked);
    bool Marked(int row) const { return Rows[std::size_t(row)].Marked; }

    // Tells the views every cell changed since the last call, then emits Published.
    void Publish();
    // Puts the rows in the order given as their present numbers; selections and the
    // current row stay with their rows. False when the order is the same.
    bool Reorder(const std::vector<int> &order);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

Q_SIGNALS:
    // The changes of one refresh are all told.
    void Published();

protected:
    TListRowKey AppendRow(void *record);
    void RemoveRowOf(TListRowKey key);
    void RemoveAllRows();
    void *RecordAt(int row) const { return Rows[std::size_t(row)].Record; }

private:
    struct TRow
    {
        TListRowKey Key = NoListRow;
        void *Record = nullptr;
        QList<QString> Texts;
        int Image = -1;
        int State = -1;
        bool Marked = false;
        bool Fresh = true;   // arrived since the last publish: the views read it whole
        quint32 Changed = 0; // columns changed since the last publish
    };

    void Touch(TRow &row, quint32 columns);
    void IndexFrom(int first);

    std::vector<TRow> Rows;
    QHash<TListRowKey, int> RowOfKey;
    QList<QMap<int, QVariant>> Header;
    int Columns = 0;
    TListRowKey NextKey = NoListRow;
    bool AnyChanged = false;
};

// The list rows of records of one type, each record keeping its row's key in ListItem.
template <typename TRecord>
class TRecordRows final : public TListModel
{
public:
    using TListModel::TListModel;

    // The row of a record, made at the end when it has none.
    int RowFor(TRecord &record)
    {
        if (record.ListItem == NoListRow)
            record.ListItem = AppendRow(&record);
        return RowOf(record.ListItem);
    }
    void RemoveRowOf(TRecord &record)
    {
        if (record.ListItem == NoListRow)
            return;
        TListModel::RemoveRowOf(record.ListItem);
        record.ListItem = NoListRow;
    }
    // Every row goes, and every record forgets its row.
    void Clear()
    {
        for (int row = 0; row < RowCount(); ++row)
            Record(row)->ListItem = NoListRow;
        RemoveAllRows();
    }
    TRecord *Record(int row) const { return static_cast<TRecord *>(RecordAt(row)); }
};

using TCallerRows = TRecordRows<TCaller>;
using TTotalsRows = TRecordRows<TTotals>;
