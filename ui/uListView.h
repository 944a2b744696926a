#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "uListModel.h"

// The pictures of the caller lists: access types by index, and country flags with the
// test-call flag at 0 and country k at k + 1.
struct TListPictures
{
    QList<QIcon> AccessTypes;
    QList<QIcon> Flags;
};

// A caller row's picture: the flag left, the access picture right, each in its own place
// so captions stay aligned when a row lacks one of them. Null when it has neither.
QIcon CallerRowPicture(const TListPictures &pictures, int image, int state);

// Draws the cells of the main window's lists: each column aligned as its header, the
// rows' pictures from their indexes, and a marked row (changed at the last refresh) in
// bold on a pale highlight.
class TListDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetPictures(const TListPictures &pictures);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    TListPictures Pictures;
    // Made once per pair of pictures: a row's picture rarely changes.
    mutable QHash<int, QIcon> Combined;
};

// A report list over the engine's rows, read-only, whole rows selected. It paints only
// what changed: the cells a refresh names, or the whole list once when rows arrived,
// left or moved; nothing while it is hidden (it catches up when shown again).
class TListView final : public QTreeView
{
    Q_OBJECT
public:
    explicit TListView(QWidget *parent = nullptr);

    void SetRows(TListModel *rows);
    TListModel *Rows() const { return RowsModel; }
    void SetPictures(const TListPictures &pictures);
    // The first selected row, or -1.
    int SelectedRow() const;
    // The current row when it is selected, or -1.
    int CurrentSelectedRow() const;
    // Selects one row alone (-1: none) and makes it current.
    void SelectRow(int row);

    void doItemsLayout() override;

Q_SIGNALS:
    // The rows of a refresh are in and not yet laid out: the time to put them in order.
    void RowsPublished();

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    void Published();

    // Repaints, after the view has laid out the rows of a refresh, only what moved: the
    // rows from the first one that arrived or left down, and the cells that changed above.
    void PaintAfterLayout();

    struct TCells
    {
        int FirstRow;
        int LastRow;
        int Column;
    };

    QPointer<TListModel> RowsModel;
    TListDelegate *Delegate;
    bool LayoutPending = false;
    // Since the last layout: the first row whose place may have changed, whether all of
    // them may have, and the cells that changed.
    int FirstMovedRow = -1;
    bool AllMoved = false;
    QList<TCells> ChangedCells;
};
