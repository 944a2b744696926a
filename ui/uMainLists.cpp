// The main window's lists: sorting on header clicks and their pop-up menus.

#include "uMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>

#include "uArtwork.h"
#include "uListItems.h"
#include "uListSort.h"
#include "uMonitor.h"

namespace {

constexpr int Unsorted = 0;
constexpr int Ascending = 1;
constexpr int Descending = 2;

// A click on another column sorts it ascending; the same column steps 1 -> 2 -> 0 -> 1.
void StepSortState(int clicked, int &column, int &state)
{
    if (clicked != column) {
        column = clicked;
        state = Ascending;
    } else {
        state = (state + 1) % 3;
    }
}

// Removes every row and unlinks its record, so the monitor adds fresh rows in its order.
void RemoveCallerRows(QTreeWidget &list)
{
    const QList<QTreeWidgetItem *> rows = list.invisibleRootItem()->takeChildren();
    for (QTreeWidgetItem *row : rows) {
        if (row->type() == TCallerItem::Type)
            static_cast<TCallerItem *>(row)->Caller->ListItem = nullptr;
        delete row;
    }
}

void RemoveTotalsRows(QTreeWidget &list)
{
    const QList<QTreeWidgetItem *> rows = list.invisibleRootItem()->takeChildren();
    for (QTreeWidgetItem *row : rows) {
        if (row->type() == TTotalsItem::Type)
            static_cast<TTotalsItem *>(row)->Totals->ListItem = nullptr;
        delete row;
    }
}

// "List view": the captions alone, without header and further columns.
void ShowAsList(QTreeWidget &list, bool asList)
{
    list.setHeaderHidden(asList);
    for (int c = 1; c < list.columnCount(); ++c)
        list.setColumnHidden(c, asList);
}

} // namespace

void TfrmMain::CreateListMenus()
{
    for (QTreeWidget *list : {lvCallers, lvHistory}) {
        list->header()->setSectionsClickable(true);
        connect(list->header(), &QHeaderView::sectionClicked, this, &TfrmMain::lvCallersColumnClick);
    }
    lvTotals->header()->setSectionsClickable(true);
    connect(lvTotals->header(), &QHeaderView::sectionClicked, this, &TfrmMain::lvTotalsColumnClick);

    // Rows the monitor adds or changes go back into the chosen order.
    for (QTreeWidget *list : {lvCallers, lvHistory, lvTotals}) {
        const auto changed = [this, list] { ListChanged(list); };
        connect(list->model(), &QAbstractItemModel::rowsInserted, this, changed);
        connect(list->model(), &QAbstractItemModel::dataChanged, this, changed);
    }

    pmCallers = new QMenu(this);
    connect(pmCallers->addAction(QStringLiteral("&Details")), &QAction::triggered, this, &TfrmMain::mnuDetailsClick);
    connect(pmCallers->addAction(QStringLiteral("&List")), &QAction::triggered, this, &TfrmMain::mnuListClick);
    pmCallers->addSeparator();
    connect(pmCallers->addAction(QStringLiteral("Exporteren...")), &QAction::triggered, this, [this] {
        ExportList(m_popupList, m_popupList == lvHistory ? QStringLiteral("historie") : QStringLiteral("bellers"));
    });
    for (QTreeWidget *list : {lvCallers, lvHistory}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &pos) {
            m_popupList = list;
            pmCallers->popup(list->viewport()->mapToGlobal(pos));
        });
    }

    pmTotals = new QMenu(this);
    mnuTotalsDetails = pmTotals->addAction(QStringLiteral("&Details"));
    mnuTotalsDetails->setCheckable(true);
    connect(mnuTotalsDetails, &QAction::triggered, this, &TfrmMain::mnuTotalsDetailsClick);
    connect(pmTotals->addAction(QStringLiteral("&Copy")), &QAction::triggered, this, &TfrmMain::mnuCopyClick);
    connect(pmTotals->addAction(QStringLiteral("Exporteren...")), &QAction::triggered, this,
            [this] { ExportList(lvTotals, QStringLiteral("totalen")); });
    lvTotals->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvTotals, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        mnuTotalsDetails->setChecked(m_monitor->TotalsDetail);
        pmTotals->popup(lvTotals->viewport()->mapToGlobal(pos));
    });
}

void TfrmMain::ShowCallerSortPictures()
{
    const QIcon picture = CallerSortState == Ascending  ? Artwork::SortArrow(Artwork::TSortArrow::Ascending)
                        : CallerSortState == Descending ? Artwork::SortArrow(Artwork::TSortArrow::Descending)
                                                        : QIcon();
    for (QTreeWidget *list : {lvCallers, lvHistory}) {
        if (CallerSortColumn >= 0 && CallerSortColumn < list->columnCount())
            list->headerItem()->setIcon(CallerSortColumn, picture);
    }
}

void TfrmMain::lvCallersColumnClick(int column)
{
    // Both lists show the shared state: the previous column loses its picture in each.
    for (QTreeWidget *view : {lvCallers, lvHistory}) {
        if (CallerSortColumn >= 0 && CallerSortColumn < view->columnCount())
            view->headerItem()->setIcon(CallerSortColumn, QIcon());
    }
    StepSortState(column, CallerSortColumn, CallerSortState);
    ShowCallerSortPictures();
    if (CallerSortState == Unsorted) {
        // The history list keeps the order it has; the callers list goes back to the
        // monitor's. That refill makes new rows, which must not announce anyone again.
        m_sorting = true;
        RemoveCallerRows(*lvCallers);
        const QString announced = m_monitor->NewCallersText;
        const int announcedCount = m_monitor->NewCallerCount;
        m_monitor->UpdateCallersView();
        m_monitor->NewCallersText = announced;
        m_monitor->NewCallerCount = announcedCount;
        m_sorting = false;
        return;
    }
    SortCallerList(lvCallers);
    SortCallerList(lvHistory);
}

void TfrmMain::SortCallerList(QTreeWidget *list)
{
    if (CallerSortState == Unsorted || CallerSortColumn < 0)
        return;
    const int column = CallerSortColumn;
    const int sign = CallerSortState == Descending ? -1 : 1;
    m_sorting = true;
    SortRows(*list, [column, sign](const QTreeWidgetItem &a, const QTreeWidgetItem &b) {
        return sign * CompareCallerRows(a, b, column);
    });
    m_sorting = false;
}

void TfrmMain::lvTotalsColumnClick(int column)
{
    StepSortState(column, TotalsSortColumn, TotalsSortState);
    if (TotalsSortState == Unsorted) {
        m_sorting = true;
        RemoveTotalsRows(*lvTotals);
        m_monitor->UpdateTotalsView(true);
        m_sorting = false;
        return;
    }
    SortTotalsList();
}

void TfrmMain::SortTotalsList()
{
    if (TotalsSortState == Unsorted || TotalsSortColumn < 0)
        return;
    const int column = TotalsSortColumn;
    const int sign = TotalsSortState == Descending ? -1 : 1;
    m_sorting = true;
    SortRows(*lvTotals, [column, sign](const QTreeWidgetItem &a, const QTreeWidgetItem &b) {
        return sign * CompareTotalsRows(a, b, column);
    });
    m_sorting = false;
}

void TfrmMain::ListChanged(QTreeWidget *list)
{
    if (m_sorting || m_changedLists.contains(list))
        return;
    m_changedLists.append(list);
    // Once the monitor has filled every row of this poll, not after each cell.
    if (m_changedLists.size() == 1)
        QMetaObject::invokeMethod(this, &TfrmMain::ResortChangedLists, Qt::QueuedConnection);
}

void TfrmMain::ResortChangedLists()
{
    const QList<QPointer<QTreeWidget>> lists = std::exchange(m_changedLists, {});
    for (QTreeWidget *list : lists) {
        if (list == lvTotals)
            SortTotalsList();
        else if (list)
            SortCallerList(list);
    }
}

void TfrmMain::mnuDetailsClick()
{
    if (m_popupList)
        ShowAsList(*m_popupList, false);
}

void TfrmMain::mnuListClick()
{
    if (m_popupList)
        ShowAsList(*m_popupList, true);
}

void TfrmMain::mnuTotalsDetailsClick()
{
    m_monitor->TotalsDetail = !m_monitor->TotalsDetail;
    mnuTotalsDetails->setChecked(m_monitor->TotalsDetail);
    m_monitor->UpdateTotalsView(false);
}

void TfrmMain::mnuCopyClick()
{
    auto *data = new QMimeData;
    data->setText(ListAsText(*lvTotals));
    QApplication::clipboard()->setMimeData(data);
    QApplication::beep();
}
