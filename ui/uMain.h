#pragma once

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QPageLayout>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <vector>

#include "uGlobal.h"
#include "uListView.h"
#include "uQuiet.h"
#include "uStatusSnapshot.h"

struct TFetchReply;
struct TFetchRequest;
struct TServerMessage;

class QAbstractSeries;
class QAction;
class QChartView;
class QComboBox;
class QLabel;
class QMenu;
class QNetworkReply;
class QPushButton;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTreeWidget;
class QWidget;
class QWindow;
class TAnalogNumber;
class TCallerDetails;
class TFreshness;
class TBelvoraMonitor;
class TListView;
class TTotalsChart;
struct TTotalsDetailRow;
class TfrmBig;
class TFetcher;
class TfrmFetcher;
class TfrmSmall;
class THistoryBox;
class TNotifier;
class TOverviewPage;

// The program's one permanent window and the root object of a run. It loads the
// settings, owns the connector and the monitor, hands the monitor its views and
// counters, drives polling with its update timer and lives on in the tray.
class TfrmMain final : public QMainWindow
{
    Q_OBJECT
public:
    // `programDir` empty: the folder DefaultProgramDir() chooses.
    explicit TfrmMain(const QString &programDir = QString(), QWidget *parent = nullptr);
    ~TfrmMain() override;

    bool Ready() const { return m_ready; }
    bool Polling() const { return tiUpdate.isActive(); }
    TBelvoraMonitor &Monitor() const { return *m_monitor; }

    // Start/Stop: toggles polling, or only complains when no password is set.
    void acStartStopExecute();
    void tiUpdateTimer();
    // Opens the options dialog modally and applies what OK changed.
    void acSetupExecute();
    // Acts on the action of a server message whose balloon was clicked.
    void ServerMessageClicked();

    // Header clicks. The callers and history lists share one sort column and state.
    void lvCallersColumnClick(int column);
    void lvTotalsColumnClick(int column);
    // The totals list to the clipboard as tab-separated text.
    void mnuCopyClick();
    // Fetches the version file; when it offers a newer version, asks to fetch that.
    void CheckVersion();

    // The tray icon's click: closes a counter window, restores or minimises.
    void TrayActivated();
    // Closes the counter windows and shows this window again with the counters bound.
    void Restore();
    bool HiddenToTray() const { return m_hiddenToTray; }
    // The counter windows while they exist, else null.
    TfrmSmall *SmallWindow() const;
    TfrmBig *BigWindow() const;
    TCallerDetails &Details() const { return *pnDetails; }
    TQuietHours &Quiet() { return m_quiet; }
    TFreshness &Freshness() const { return *m_freshness; }
    // The tray icon's tool tip: the program, and how fresh, how the day goes, how quiet.
    QString TrayToolTip() const;
    // What the counters, the forecast and the hints show now, for a panel that asks.
    TStatusSnapshot StatusSnapshot() const;

Q_SIGNALS:
    // The service's fatal reply or a "QUIT" message: end the program.
    void QuitRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateActions();
    void CreateControls();
    QWidget *CreateCountersStrip();
    QWidget *CreateGraphStrip();
    QWidget *CreateHistoryPage();
    QWidget *CreateInfoPanel();
    TAnalogNumber *CreateCounter(int digits, const QString &hint);
    void FirstActivation();
    void StartPolling();
    void StopPolling();
    void UpdateActions();
    void UpdateEuroVisibility();
    void OnFetchFailed();
    // The service's fatal reply ends the program, unless debug flag 1 keeps it running.
    void OnFetchAnswered(const TFetchRequest &request, const TFetchReply &reply);
    void OnServerMessage(const TServerMessage &message);
    void tiCountdownTimer();
    void RefreshGraphLabels();
    void ShowTab(int index);
    void PageChanged(int index);
    // Selecting rows of the callers and history lists shows the caller in the details.
    void CallerListClick(TListView *list);
    void TotalsRowSelected();
    void ShowInfoPanel();
    // Keeps the info panel's share of the width when the window is resized.
    void FormResize();
    // The user moved the split: that is the share to keep.
    void InfoSplitMoved();
    void btnHistoryUpdateClick();
    void HistoryFetched(const TFetchReply &reply);
    // A minimise asked for by the title bar, the tray or the window manager.
    void MinimiseRequested();
    void WatchWindowState();
    void Minimise();
    void Maximise();
    void BindCountersHere();
    // The counters the monitor's figures go to, shown at once; and the graph's place.
    void BindCounters(TAnalogNumber *online, TAnalogNumber *calls, THistoryBox *graphBox, TAnalogNumber *euros,
                      TAnalogNumber *minutes);
    // Rolls the bound counters to the monitor's figures; one not in view just shows them.
    void MoveCounters();
    void SetTopmost(bool on);
    // Whatever stops the update tick: logged, and polling stops until started again.
    void TickFailed(const QString &reason);

    // Sorting and pop-up menus of the lists (uMainLists.cpp).
    void CreateListMenus();
    void SortCallerList(TListView *list);
    void SortTotalsList();
    void ShowCallerSortPictures();
    // Captions, pictures and alignment of the lists' columns, and the totals' widths.
    void NameCallerColumns(TListView *list);
    void NameTotalsColumns();
    // Fills the totals detail list beside the totals list.
    void ShowTotalsDetails(const std::vector<TTotalsDetailRow> &rows);
    void mnuDetailsClick();
    void mnuListClick();
    void mnuTotalsDetailsClick();

    // The chart page, its combo boxes and its pop-up menu (uMainChart.cpp).
    QWidget *CreateChartPage();
    void CreateChartMenu();
    void cbxChartChange(int index);
    void cbxTypeChange(int index);
    void chtTotalsResize();
    // Refills the chart from the monitor's points when it is in view, and fits its labels.
    void UpdateChart();
    void SetChartStyle(int style);
    // Gives a new or changed series the label style of cbxChart and the legend rule of the width.
    void ApplyChartMarks(bool force);
    void mnuShortNamesClick();
    void mnuChartTypeClick(int style);
    void mnuCopyChartClick();
    void PrintChart(QPageLayout::Orientation orientation);

    void VersionFetched();

    // How fresh the figures are, where the day is heading, quiet times and the exports
    // of the lists and the day (uMainOutlook.cpp).
    void CreateOutlook();
    void CreateTrayMenu();
    void CreateGraphMenu();
    void ShowOutlook();
    // "Geen verbinding: <reason> sinds 14:32" after failed transfers in a row, else empty.
    QString ConnectionText() const;
    // The last failed transfer of the run, with its time, or empty.
    QString LastTroubleText() const;
    void QuietChanged();
    void ExportList(TListView *list, const QString &name);
    void ExportDay();
    // The overview of the last days: `reread` reads the day files again.
    void ShowOverview(bool reread);

    // Before the monitor: the monitor goes first, while its requests can still end.
    std::unique_ptr<TFetcher> m_connector;
    TfrmFetcher *frmFetcher = nullptr;
    std::unique_ptr<TBelvoraMonitor> m_monitor;
    QTimer tiUpdate;
    QTimer tiCountdown;
    int m_countdownFrame = 0;
    int m_tickCount = 0;
    // A tick came while the poll was out: should that poll fail, the next is owed at once.
    bool m_tickOwed = false;
    bool m_ready = false;
    bool m_activated = false;
    bool m_hiddenToTray = false;
    bool m_minimiseRequested = false;
    // Left minimised on Wayland, where only showing it anew brings it back.
    bool m_minimisedByCompositor = false;
    // The size the window last had when neither maximised nor minimised.
    QSize m_normalSize;
    QPointer<QWindow> m_watchedHandle;
    bool m_serverMessagePending = false;
    QString m_serverAction;
    TCallerList HistoryCallers;

    int CallerSortColumn = -1;
    int CallerSortState = 0;
    int TotalsSortColumn = -1;
    int TotalsSortState = 0;
    QPointer<TListView> m_popupList;
    QPointer<QAbstractSeries> m_markedSeries;
    int m_markedRevision = -1;

    QNetworkAccessManager m_http;
    QPointer<QNetworkReply> m_versionReply;

    QList<QImage> m_countdownFrames;
    TListPictures m_pictures;
    QImage m_digitPicture;

    QAction *acStartStop = nullptr;
    QAction *acSetup = nullptr;
    QAction *acSound = nullptr;
    QAction *acCallers = nullptr;
    QAction *acTotals = nullptr;
    QAction *acHistory = nullptr;
    QAction *acGraph = nullptr;
    QAction *acInfo = nullptr;

    QTabWidget *pcMain = nullptr;
    QTabWidget *pcInfo = nullptr;
    QSplitter *splMain = nullptr;
    QSplitter *splGraph = nullptr;
    TListView *lvCallers = nullptr;
    TListView *lvTotals = nullptr;
    TListView *lvHistory = nullptr;
    QTreeWidget *lvTotalDetails = nullptr;
    TCallerDetails *pnDetails = nullptr;
    // The info panel's width with the splitter handle, as a share of the splitter's. At
    // first as wide as the chart needs for its choice boxes and for named pie labels.
    double m_infoShare = 0.46;
    QLabel *lblHistoryCount = nullptr;
    QLabel *lblHistoryNotice = nullptr;
    QPushButton *btnHistoryUpdate = nullptr;
    QChartView *chtTotals = nullptr;
    std::unique_ptr<TTotalsChart> m_chart;
    QWidget *tsChart = nullptr;
    QLabel *lblLabels = nullptr;
    QComboBox *cbxChart = nullptr;
    QComboBox *cbxType = nullptr;
    QMenu *pmCallers = nullptr;
    QMenu *pmTotals = nullptr;
    QMenu *pmChart = nullptr;
    QAction *mnuTotalsDetails = nullptr;
    QAction *mnuShortNames = nullptr;
    QList<QAction *> mnuChartTypes;
    QWidget *pnlGraph = nullptr;
    THistoryBox *pbHistory = nullptr;
    QLabel *lblVMax = nullptr;
    QLabel *lblVMin = nullptr;
    QLabel *stItem = nullptr;
    TAnalogNumber *anOnline = nullptr;
    TAnalogNumber *anCalls = nullptr;
    TAnalogNumber *anMinutes = nullptr;
    TAnalogNumber *anEuros = nullptr;
    // The counters the figures go to now (online, calls, minutes, euros): this window's,
    // the small or the big window's.
    std::array<QPointer<TAnalogNumber>, 4> m_boundCounters;
    QLabel *imgEuros = nullptr;
    QLabel *lblInfo = nullptr;
    QWidget *pbCountdown = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QPointer<TfrmSmall> frmSmall;
    QPointer<TfrmBig> frmBig;
    TNotifier *m_notifier = nullptr;
    TQuietHours m_quiet;
    TFreshness *m_freshness = nullptr;
    bool m_infoShowsOutlook = false;
    QMenu *pmTray = nullptr;
    bool m_trayShowsQuiet = false;
    QMenu *pmGraph = nullptr;
    QAction *mnuYesterday = nullptr;
    TOverviewPage *tsOverview = nullptr;
};
