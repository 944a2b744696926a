#include "uListView.h"

#include <QItemSelectionModel>
#include <QPainter>
#include <QScrollBar>

#include "uListModel.h"

namespace {

constexpr int PictureSize = 16;
// How strongly a marked row takes the highlight colour.
constexpr int MarkAlpha = 56;

} // namespace

QIcon CallerRowPicture(const TListPictures &pictures, int image, int state)
{
    const QIcon flag = state >= 0 && state < pictures.Flags.size() ? pictures.Flags[state] : QIcon();
    const QIcon access = image >= 0 && image < pictures.AccessTypes.size() ? pictures.AccessTypes[image] : QIcon();
    if (flag.isNull() && access.isNull())
        return {};
    QPixmap both(2 * PictureSize, PictureSize);
    both.fill(Qt::transparent);
    QPainter painter(&both);
    if (!flag.isNull())
        painter.drawPixmap(0, 0, flag.pixmap(PictureSize, PictureSize));
    if (!access.isNull())
        painter.drawPixmap(PictureSize, 0, access.pixmap(PictureSize, PictureSize));
    return QIcon(both);
}

void TListDelegate::SetPictures(const TListPictures &pictures)
{
    Pictures = pictures;
    Combined.clear();
}

void TListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QAbstractItemModel *model = index.model();
    const QVariant alignment = model->headerData(index.column(), Qt::Horizontal, Qt::TextAlignmentRole);
    if (alignment.isValid())
        option->displayAlignment = Qt::Alignment(alignment.toInt());
    if (index.column() == 0) {
        const int image = index.data(TListModel::ImageIndexRole).toInt();
        const int state = index.data(TListModel::StateIndexRole).toInt();
        if (image >= 0 || state >= 0) {
            const int key = (image + 1) * 1024 + state + 1;
            auto found = Combined.constFind(key);
            if (found == Combined.constEnd())
                found = Combined.insert(key, CallerRowPicture(Pictures, image, state));
            if (!found->isNull()) {
                option->features |= QStyleOptionViewItem::HasDecoration;
                option->icon = *found;
                option->decorationSize = option->icon.actualSize(option->decorationSize);
            }
        }
    }
    if (index.data(TListModel::MarkedRole).toBool()) {
        option->font.setBold(true);
        option->fontMetrics = QFontMetrics(option->font);
        QColor pale = option->palette.color(QPalette::Highlight);
        pale.setAlpha(MarkAlpha);
        option->backgroundBrush = pale;
    }
}

TListView::TListView(QWidget *parent)
    : QTreeView(parent)
    , Delegate(new TListDelegate(this))
{
    setItemDelegate(Delegate);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(2 * PictureSize, PictureSize));
}

void TListView::SetRows(TListModel *rows)
{
    if (RowsModel)
        RowsModel->disconnect(this);
    RowsModel = rows;
    setModel(rows);
    LayoutPending = true;
    AllMoved = true;
    if (!rows)
        return;
    const auto moved = [this](const QModelIndex &, int first) {
        LayoutPending = true;
        FirstMovedRow = FirstMovedRow < 0 ? first : qMin(FirstMovedRow, first);
    };
    const auto allMoved = [this] {
        LayoutPending = true;
        AllMoved = true;
    };
    connect(rows, &QAbstractItemModel::rowsInserted, this, moved);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, moved);
    connect(rows, &QAbstractItemModel::columnsInserted, this, allMoved);
    connect(rows, &QAbstractItemModel::columnsRemoved, this, allMoved);
    connect(rows, &QAbstractItemModel::layoutChanged, this, allMoved);
    connect(rows, &QAbstractItemModel::modelReset, this, allMoved);
    connect(rows, &TListModel::Published, this, &TListView::Published);
}

void TListView::SetPictures(const TListPictures &pictures)
{
    Delegate->SetPictures(pictures);
    viewport()->update();
}

int TListView::SelectedRow() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int TListView::CurrentSelectedRow() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel() || !selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return -1;
    return current.row();
}

void TListView::SelectRow(int row)
{
    if (!selectionModel())
        return;
    if (row < 0 || !RowsModel || row >= RowsModel->RowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(RowsModel->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TListView::doItemsLayout()
{
    const bool partly = LayoutPending && !AllMoved && isVisible();
    const int scrolled = verticalScrollBar()->value();
    // The base lays out and repaints everything; the repaint is left to PaintAfterLayout.
    if (partly)
        viewport()->setAttribute(Qt::WA_UpdatesDisabled, true);
    QTreeView::doItemsLayout();
    if (partly) {
        viewport()->setAttribute(Qt::WA_UpdatesDisabled, false);
        if (verticalScrollBar()->value() == scrolled)
            PaintAfterLayout();
        else
            viewport()->update();
    }
    LayoutPending = false;
    AllMoved = false;
    FirstMovedRow = -1;
    ChangedCells.clear();
}

void TListView::PaintAfterLayout()
{
    const QRect area = viewport()->rect();
    QRegion dirty;
    if (FirstMovedRow >= 0) {
        const int rows = model()->rowCount();
        int top = 0;
        if (FirstMovedRow < rows)
            top = visualRect(model()->index(FirstMovedRow, 0)).top();
        else if (rows > 0)
            top = visualRect(model()->index(rows - 1, 0)).bottom() + 1;
        if (top < area.bottom())
            dirty += QRect(area.left(), qMax(top, area.top()), area.width(), area.bottom() - qMax(top, area.top()) + 1);
    }
    for (const TCells &cells : std::as_const(ChangedCells)) {
        const QRect changed = visualRect(model()->index(cells.FirstRow, cells.Column))
                                  .united(visualRect(model()->index(cells.LastRow, cells.Column)));
        dirty += changed.intersected(area);
    }
    if (!dirty.isEmpty())
        viewport()->update(dirty);
}

void TListView::Published()
{
    Q_EMIT RowsPublished();
    // Laid out now, before anything is painted: the one paint of this refresh shows all.
    if (!LayoutPending || !isVisible())
        return;
    executeDelayedItemsLayout();
    if (LayoutPending) {
        // A change the view lays out without a pass of its own (new columns).
        LayoutPending = false;
        AllMoved = false;
        FirstMovedRow = -1;
        ChangedCells.clear();
        viewport()->update();
    }
}

void TListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    Q_UNUSED(roles);
    // Rows of one height, nothing to edit: only the changed cells need painting, and not
    // while hidden; with a layout on its way, once it is done.
    if (!isVisible() || !topLeft.isValid() || !bottomRight.isValid())
        return;
    if (LayoutPending) {
        if (!AllMoved) {
            for (int column = topLeft.column(); column <= bottomRight.column(); ++column)
                ChangedCells.append({topLeft.row(), bottomRight.row(), column});
        }
        return;
    }
    const QRect changed = visualRect(topLeft).united(visualRect(bottomRight)).intersected(viewport()->rect());
    if (!changed.isEmpty())
        viewport()->update(changed);
}
