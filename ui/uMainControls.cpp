// The main window's controls: tool bar, lists, info panel, graph strip and counters.

#include "uMain.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "uAnalogNumber.h"
#include "uDayCounter.h"
#include "uArtwork.h"
#include "uDetails.h"
#include "uHistoryBox.h"
#include "uListColumns.h"
#include "uListView.h"
#include "uMonitor.h"
#include "uNoDrawPanel.h"
#include "uOverview.h"
#include "uScrollPage.h"
#include "uSettings.h"

namespace {

// The strip is one pixel taller than its paint box above and below.
constexpr int GraphStripMargin = 1;
// A height read from a hand-edited file must leave room for the lists.
constexpr int MaxGraphHeight = 1000;
constexpr int GraphLabelPanelWidth = 44;
constexpr int CountersStripHeight = 20;
constexpr int CountdownSize = 16;

// Widths at least, and the texts a column must show whole: call length, a calling number
// with its country code, the start as the service sends it; the name takes the rest.
QList<TColumnFit::TColumn> CallerColumnFit()
{
    return {{200, {}},
            {60, QStringLiteral("00:00:00")},
            {90, QStringLiteral("0000000000000")},
            {120, QStringLiteral("00-00-0000 00:00:00")},
            {100, {}}};
}

QList<TColumnFit::TColumn> TotalsColumnFit()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString amount = locale.toString(10000.0, 'f', 2);
    return {{134, {}}, {0, QStringLiteral("00000")}, {60, amount}, {0, locale.toString(100.0, 'f', 2)}, {0, amount}};
}

void SetUpList(QTreeWidget *list)
{
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setIconSize(QSize(32, 16));
}

TListView *MakeCallerList(const QString &name)
{
    auto *list = new TListView;
    list->setObjectName(name);
    new TColumnFit(list, CallerColumnFit());
    return list;
}

} // namespace

void TfrmMain::CreateActions()
{
    auto *toolBar = addToolBar(QStringLiteral("Werkbalk"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 16));

    acStartStop = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::Stopped), QStringLiteral("Start/Stop"));
    acStartStop->setToolTip(QStringLiteral("Monitor starten of stoppen"));
    connect(acStartStop, &QAction::triggered, this, &TfrmMain::acStartStopExecute);
    toolBar->addSeparator();

    acSetup = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::Setup), QString());
    acSetup->setToolTip(QStringLiteral("Instellingen"));
    connect(acSetup, &QAction::triggered, this, &TfrmMain::acSetupExecute);

    acSound = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::Sound), QStringLiteral("Sound"));
    acSound->setToolTip(QStringLiteral("Geluid uit/aan"));
    acSound->setCheckable(true);
    connect(acSound, &QAction::triggered, this, [](bool on) { Settings.SoundOn = on; });
    toolBar->addSeparator();

    acCallers = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::Callers), QString());
    acCallers->setToolTip(QStringLiteral("Online bellers"));
    acTotals = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::Totals), QStringLiteral("Totals"));
    acTotals->setToolTip(QStringLiteral("Totalen"));
    acHistory = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::History), QStringLiteral("Historie"));
    acHistory->setToolTip(QStringLiteral("Historie"));
    int tab = 0;
    for (QAction *action : {acCallers, acTotals, acHistory}) {
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, tab] { ShowTab(tab); });
        ++tab;
    }
    toolBar->addSeparator();

    acGraph = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::Graph), QString());
    acGraph->setToolTip(QStringLiteral("Beller grafiek"));
    acGraph->setCheckable(true);
    connect(acGraph, &QAction::triggered, this, [this](bool on) {
        pnlGraph->setVisible(on);
        UpdateActions();
    });
    acInfo = toolBar->addAction(Artwork::ToolIcon(Artwork::TToolIcon::Info), QStringLiteral("Info"));
    acInfo->setToolTip(QStringLiteral("Extra info"));
    acInfo->setCheckable(true);
    connect(acInfo, &QAction::triggered, this, [this](bool on) {
        pcInfo->setVisible(on);
        if (on)
            UpdateChart();
        UpdateActions();
    });
}

TAnalogNumber *TfrmMain::CreateCounter(int digits, const QString &hint)
{
    TAnalogNumber *counter = MakeDayCounter(digits, hint);
    counter->SetDigitPicture(m_digitPicture);
    return counter;
}

QWidget *TfrmMain::CreateCountersStrip()
{
    auto *strip = new QWidget;
    strip->setFixedHeight(CountersStripHeight);
    auto *layout = new QHBoxLayout(strip);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(3);
    const QList<QIcon> icons = Artwork::CounterIcons();
    const auto addIcon = [&](int index) {
        auto *label = new QLabel;
        label->setPixmap(icons[index].pixmap(16, 16));
        layout->addWidget(label);
        return label;
    };
    addIcon(0);
    anOnline = CreateCounter(3, QStringLiteral("Online bellers"));
    layout->addWidget(anOnline);
    addIcon(1);
    anCalls = CreateCounter(4, QStringLiteral("Aantal bellers vandaag"));
    layout->addWidget(anCalls);
    addIcon(2);
    anMinutes = CreateCounter(8, QStringLiteral("Aantal minuten vandaag"));
    anMinutes->SetSeparatorPos(5);
    layout->addWidget(anMinutes);
    imgEuros = addIcon(3);
    anEuros = CreateCounter(5, QStringLiteral("Aantal minuten vandaag"));
    anEuros->setObjectName(QStringLiteral("anEuros"));
    layout->addWidget(anEuros);
    lblInfo = new QLabel;
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    // A long text (a certificate's fingerprint) is cut here and whole in its tool tip.
    lblInfo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(lblInfo, 1);
    pbCountdown = new QWidget;
    pbCountdown->setFixedSize(CountdownSize, CountdownSize);
    pbCountdown->installEventFilter(this);
    layout->addWidget(pbCountdown);
    return strip;
}

QWidget *TfrmMain::CreateGraphStrip()
{
    pnlGraph = new QWidget;
    auto *layout = new QHBoxLayout(pnlGraph);
    layout->setContentsMargins(0, GraphStripMargin, 0, GraphStripMargin);
    layout->setSpacing(0);

    auto *labels = new QWidget;
    labels->setFixedWidth(GraphLabelPanelWidth);
    auto *grid = new QVBoxLayout(labels);
    grid->setContentsMargins(2, 0, 2, 0);
    grid->setSpacing(0);
    QFont small = font();
    small.setPixelSize(9);
    const auto row = [&](const QString &caption, QLabel **value) {
        auto *line = new QHBoxLayout;
        auto *label = new QLabel(caption);
        label->setFont(small);
        *value = new QLabel;
        (*value)->setFont(small);
        (*value)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->addWidget(label);
        line->addWidget(*value, 1);
        grid->addLayout(line);
    };
    row(QStringLiteral("max"), &lblVMax);
    row(QStringLiteral("min"), &lblVMin);
    stItem = new QLabel(QStringLiteral("Online"));
    stItem->setFont(small);
    stItem->setCursor(Qt::PointingHandCursor);
    stItem->installEventFilter(this);
    grid->addWidget(stItem);
    layout->addWidget(labels);

    pbHistory = new THistoryBox;
    pbHistory->setObjectName(QStringLiteral("pbHistory"));
    layout->addWidget(pbHistory, 1);
    return pnlGraph;
}

QWidget *TfrmMain::CreateHistoryPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Beller historie vandaag")));
    lblHistoryCount = new QLabel;
    top->addWidget(lblHistoryCount);
    top->addStretch(1);
    lblHistoryNotice = new QLabel(QStringLiteral("Historie ophalen..."));
    lblHistoryNotice->hide();
    top->addWidget(lblHistoryNotice);
    btnHistoryUpdate = new QPushButton(QStringLiteral("Update"));
    connect(btnHistoryUpdate, &QPushButton::clicked, this, &TfrmMain::btnHistoryUpdateClick);
    top->addWidget(btnHistoryUpdate);
    layout->addLayout(top);
    lvHistory = MakeCallerList(QStringLiteral("lvHistory"));
    layout->addWidget(lvHistory, 1);
    return page;
}

QWidget *TfrmMain::CreateInfoPanel()
{
    pcInfo = new QTabWidget;
    lvTotalDetails = new QTreeWidget;
    SetUpList(lvTotalDetails);
    lvTotalDetails->setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Waarde")});
    pnDetails = new TCallerDetails(lvTotalDetails);
    pnDetails->TotalsActive = [this] { return pcMain->currentWidget() == lvTotals; };
    // On a short screen (or at a large scale) the details scroll rather than push the
    // window past the screen's edge.
    pcInfo->addTab(new TScrollPage(pnDetails), QStringLiteral("&Details"));

    pcInfo->addTab(CreateChartPage(), QStringLiteral("&Grafiek"));
    connect(pcInfo, &QTabWidget::currentChanged, this, [this](int index) {
        if (pcInfo->widget(index) == tsChart)
            UpdateChart();
    });
    return pcInfo;
}

void TfrmMain::CreateControls()
{
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    pcMain = new QTabWidget;
    lvCallers = MakeCallerList(QStringLiteral("lvCallers"));
    pcMain->addTab(lvCallers, QStringLiteral("&Online bellers"));
    lvTotals = new TListView;
    lvTotals->setObjectName(QStringLiteral("lvTotals"));
    new TColumnFit(lvTotals, TotalsColumnFit());
    connect(lvTotals, &QAbstractItemView::clicked, this, &TfrmMain::TotalsRowSelected);
    connect(lvTotals, &QAbstractItemView::doubleClicked, this, &TfrmMain::ShowInfoPanel);
    pcMain->addTab(lvTotals, QStringLiteral("&Totalen"));
    pcMain->addTab(CreateHistoryPage(), QStringLiteral("&Historie"));
    tsOverview = new TOverviewPage(ProgramDir);
    tsOverview->setObjectName(QStringLiteral("tsOverview"));
    pcMain->addTab(tsOverview, QStringLiteral("Over&zicht"));
    connect(pcMain, &QTabWidget::currentChanged, this, &TfrmMain::PageChanged);
    for (TListView *list : {lvCallers, lvHistory}) {
        connect(list, &QAbstractItemView::clicked, this, [this, list] { CallerListClick(list); });
        connect(list, &QAbstractItemView::doubleClicked, this, [this, list](const QModelIndex &index) {
            if (index.isValid() && list->selectionModel()->isRowSelected(index.row(), QModelIndex()))
                ShowInfoPanel();
        });
    }

    splMain = new QSplitter(Qt::Horizontal);
    splMain->setObjectName(QStringLiteral("splMain"));
    splMain->addWidget(pcMain);
    splMain->addWidget(CreateInfoPanel());
    // The tab area takes a change of width; FormResize then shares it out, from the
    // first width on.
    splMain->setStretchFactor(0, 1);
    splMain->setStretchFactor(1, 0);
    splMain->installEventFilter(this);
    pcInfo->installEventFilter(this);
    connect(splMain, &QSplitter::splitterMoved, this, &TfrmMain::InfoSplitMoved);

    // The graph strip keeps its height when the window changes size; the user sets it.
    splGraph = new QSplitter(Qt::Vertical);
    splGraph->setObjectName(QStringLiteral("splGraph"));
    splGraph->addWidget(splMain);
    splGraph->addWidget(CreateGraphStrip());
    splGraph->setStretchFactor(0, 1);
    splGraph->setStretchFactor(1, 0);
    splGraph->setCollapsible(0, false);
    splGraph->setCollapsible(1, false);
    const int graphHeight = qBound(0, Settings.GraphH, MaxGraphHeight) + 2 * GraphStripMargin;
    splGraph->setSizes({height(), graphHeight});
    connect(splGraph, &QSplitter::splitterMoved, this,
            [this] { Settings.GraphH = pnlGraph->height() - 2 * GraphStripMargin; });
    layout->addWidget(splGraph, 1);
    layout->addWidget(CreateCountersStrip());
    setCentralWidget(central);
}

