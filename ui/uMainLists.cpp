// The main window's lists: their columns, sorting on header clicks and their pop-up menus.

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
#include "uListView.h"
#include "uMonitor.h"
#include "uPayout.h"

namespace {

constexpr int Unsorted = 0;
constexpr int Ascending = 1;
constexpr int Descending = 2;
constexpr int DetailColumnPadding = 48;
constexpr int DetailValuePadding = 16;
const QVariant RightAligned = int(Qt::AlignRight | Qt::AlignVCenter);

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

// "List view": the captions alone, without header and further columns.
void ShowAsList(TListView &list, bool asList)
{
    list.setHeaderHidden(asList);
    for (int c = 1; c < list.header()->count(); ++c)
        list.setColumnHidden(c, asList);
}

} // namespace

void TfrmMain::NameCallerColumns(TListView *list)
{
    TListModel &rows = *list->Rows();
    const QString captions[] = {QStringLiteral("Naam"), QStringLiteral("Tijd"), QStringLiteral("Nummer"),
                                QStringLiteral("Start"), QStringLiteral("Info")};
    for (int c = 0; c < CallerColumnCount; ++c)
        rows.setHeaderData(c, Qt::Horizontal, captions[c]);
    rows.setHeaderData(TimeColumn, Qt::Horizontal, RightAligned, Qt::TextAlignmentRole);
}

void TfrmMain::NameTotalsColumns()
{
    TListModel &rows = m_monitor->TotalsRows();
    const int columns = rows.ColumnCount();
    if (columns <= 0)
        return;
    rows.setHeaderData(0, Qt::Horizontal, QStringLiteral("Programma"));
    if (columns <= SimpleTotalsColumnsWithEuros) {
        const QString captions[] = {QStringLiteral("Bellers"), QStringLiteral("Minuten"), QStringLiteral("Gemiddeld"),
                                    QStringLiteral("Euro's")};
        for (int c = 1; c < columns; ++c) {
            rows.setHeaderData(c, Qt::Horizontal, captions[c - 1]);
            rows.setHeaderData(c, Qt::Horizontal, QVariant(), Qt::DecorationRole);
            rows.setHeaderData(c, Qt::Horizontal, RightAligned, Qt::TextAlignmentRole);
        }
        return;
    }
    // The detail form: a column per figure of an access type, with that type's picture,
    // each as wide as its caption and some room.
    const QList<QIcon> &pictures = m_pictures.AccessTypes;
    const QStringList &detailColumns = DetailColumns();
    const QFontMetrics metrics = lvTotals->fontMetrics();
    lvTotals->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("Programma")) + DetailColumnPadding);
    int column = 1;
    for (int i = 0; i < DetailColumnCount && column < columns; ++i) {
        if (detailColumns[i].isEmpty())
            continue;
        const int access = i / 2;
        rows.setHeaderData(column, Qt::Horizontal, detailColumns[i]);
        rows.setHeaderData(column, Qt::Horizontal, access < pictures.size() ? pictures[access] : QIcon(),
                           Qt::DecorationRole);
        rows.setHeaderData(column, Qt::Horizontal, RightAligned, Qt::TextAlignmentRole);
        lvTotals->setColumnWidth(column, metrics.horizontalAdvance(detailColumns[i]) + DetailColumnPadding);
        ++column;
    }
}

void TfrmMain::CreateListMenus()
{
    for (TListView *list : {lvCallers, lvHistory}) {
        list->header()->setSectionsClickable(true);
        connect(list->header(), &QHeaderView::sectionClicked, this, &TfrmMain::lvCallersColumnClick);
        // Rows the monitor adds or changes go back into the chosen order before they show.
        connect(list, &TListView::RowsPublished, this, [this, list] { SortCallerList(list); });
    }
    lvTotals->header()->setSectionsClickable(true);
    connect(lvTotals->header(), &QHeaderView::sectionClicked, this, &TfrmMain::lvTotalsColumnClick);
    connect(lvTotals, &TListView::RowsPublished, this, &TfrmMain::SortTotalsList);
    // The monitor decides the number of columns; their captions are this window's.
    for (const auto signal : {&QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(&m_monitor->TotalsRows(), signal, this, &TfrmMain::NameTotalsColumns);

    pmCallers = new QMenu(this);
    connect(pmCallers->addAction(QStringLiteral("&Details")), &QAction::triggered, this, &TfrmMain::mnuDetailsClick);
    connect(pmCallers->addAction(QStringLiteral("&List")), &QAction::triggered, this, &TfrmMain::mnuListClick);
    pmCallers->addSeparator();
    connect(pmCallers->addAction(QStringLiteral("Exporteren...")), &QAction::triggered, this, [this] {
        ExportList(m_popupList, m_popupList == lvHistory ? QStringLiteral("historie") : QStringLiteral("bellers"));
    });
    for (TListView *list : {lvCallers, lvHistory}) {
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

void TfrmMain::ShowTotalsDetails(const std::vector<TTotalsDetailRow> &rows)
{
    QTreeWidget &view = *lvTotalDetails;
    view.clear();
    const QFontMetrics metrics = view.fontMetrics();
    int captionWidth = metrics.horizontalAdvance(view.headerItem()->text(0));
    int valueWidth = metrics.horizontalAdvance(view.headerItem()->text(1));
    const QList<QIcon> &pictures = m_pictures.AccessTypes;
    for (const TTotalsDetailRow &row : rows) {
        auto *item = new QTreeWidgetItem(&view, QStringList{row.Caption, row.Value});
        if (row.Access >= 0 && row.Access < pictures.size())
            item->setIcon(0, pictures[row.Access]);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        captionWidth = qMax(captionWidth, metrics.horizontalAdvance(row.Caption));
        valueWidth = qMax(valueWidth, metrics.horizontalAdvance(row.Value));
    }
    view.setColumnWidth(0, captionWidth + DetailColumnPadding);
    view.setColumnWidth(1, valueWidth + DetailValuePadding);
}

void TfrmMain::ShowCallerSortPictures()
{
    const QIcon picture = CallerSortState == Ascending  ? Artwork::SortArrow(Artwork::TSortArrow::Ascending)
                        : CallerSortState == Descending ? Artwork::SortArrow(Artwork::TSortArrow::Descending)
                                                        : QIcon();
    for (TListView *list : {lvCallers, lvHistory}) {
        if (CallerSortColumn >= 0)
            list->Rows()->setHeaderData(CallerSortColumn, Qt::Horizontal, picture, Qt::DecorationRole);
    }
}

void TfrmMain::lvCallersColumnClick(int column)
{
    // Both lists show the shared state: the previous column loses its picture in each.
    for (TListView *list : {lvCallers, lvHistory}) {
        if (CallerSortColumn >= 0)
            list->Rows()->setHeaderData(CallerSortColumn, Qt::Horizontal, QIcon(), Qt::DecorationRole);
    }
    StepSortState(column, CallerSortColumn, CallerSortState);
    ShowCallerSortPictures();
    if (CallerSortState == Unsorted) {
        // The history list keeps the order it has; the callers list goes back to the
        // monitor's. That refill makes new rows, which must not announce anyone again.
        m_monitor->CallerRows().Clear();
        const QString announced = m_monitor->NewCallersText;
        const int announcedCount = m_monitor->NewCallerCount;
        m_monitor->UpdateCallersView();
        m_monitor->NewCallersText = announced;
        m_monitor->NewCallerCount = announcedCount;
        return;
    }
    SortCallerList(lvCallers);
    SortCallerList(lvHistory);
}

void TfrmMain::SortCallerList(TListView *list)
{
    if (CallerSortState == Unsorted || CallerSortColumn < 0)
        return;
    SortCallerRows(static_cast<TCallerRows &>(*list->Rows()), CallerSortColumn, CallerSortState == Descending);
}

void TfrmMain::lvTotalsColumnClick(int column)
{
    StepSortState(column, TotalsSortColumn, TotalsSortState);
    if (TotalsSortState == Unsorted) {
        m_monitor->UpdateTotalsView(true);
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
    const TListModel &rows = m_monitor->TotalsRows();
    SortRows(m_monitor->TotalsRows(), [&rows, column, sign](int a, int b) { return sign * CompareTotalsRows(rows, a, b, column); });
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
    data->setText(ListAsText(m_monitor->TotalsRows()));
    QApplication::clipboard()->setMimeData(data);
    QApplication::beep();
}
