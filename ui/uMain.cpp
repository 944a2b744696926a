#include "uMain.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <utility>

#include "uAnalogNumber.h"
#include "uArtwork.h"
#include "uBig.h"
#include "uClock.h"
#include "uCodec.h"
#include "uDebugLog.h"
#include "uDetails.h"
#include "uDesktopPlatform.h"
#include "uFetcher.h"
#include "uFetcherWindow.h"
#include "uFreshness.h"
#include "uDayStore.h"
#include "uHistory.h"
#include "uHistoryBox.h"
#include "uListView.h"
#include "uMonitor.h"
#include "uNotifier.h"
#include "uOptions.h"
#include "uParser.h"
#include "uPayout.h"
#include "uPlatform.h"
#include "uSettings.h"
#include "uScreenFit.h"
#include "uSmall.h"
#include "uTotalsChart.h"
#include "uVersionCheck.h"
#include "uWindowStates.h"

namespace {

constexpr int TicksPerHistorySave = 6;
constexpr int CallersBalloonMs = 2500;
constexpr int UnexposedActivationMs = 1000;
constexpr int TabOnline = 0;
constexpr int TabTotals = 1;
constexpr int TabHistory = 2;
constexpr int TabOverview = 3;

bool InternetConnected()
{
    // Without a backend that can tell, count as connected.
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadDefaultBackend();
    const QNetworkInformation *info = QNetworkInformation::instance();
    if (!info || !info->supports(QNetworkInformation::Feature::Reachability))
        return true;
    const auto reachability = info->reachability();
    return reachability == QNetworkInformation::Reachability::Online
        || reachability == QNetworkInformation::Reachability::Unknown;
}

// Only a quit order and web links are taken from the network; anything else could make
// the shell start a program.
bool IsWebLink(const QString &action)
{
    const QUrl url(action, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        && !url.host().isEmpty();
}

} // namespace

TfrmMain::TfrmMain(const QString &programDir, QWidget *parent)
    : QMainWindow(parent)
{
    LoadSettings(programDir);
    setWindowTitle(QStringLiteral("Belvora Webmaster Monitor"));
    // On top from the first show: changing the flags later makes a new native window, which
    // flickers (and on Wayland a new surface).
    setWindowFlag(Qt::WindowStaysOnTopHint, Settings.MainFG);
    setWindowIcon(Artwork::ApplicationIcon());
    resize(864, 520);

    m_countdownFrames = Artwork::CountdownFrames();
    m_digitPicture = MakeDigitPicture();
    tiUpdate.setInterval(Settings.Interval * 1000);
    // The countdown runs once through its pictures per poll interval.
    tiCountdown.setInterval(tiUpdate.interval() / int(m_countdownFrames.size()));
    connect(&tiUpdate, &QTimer::timeout, this, &TfrmMain::tiUpdateTimer);
    connect(&tiCountdown, &QTimer::timeout, this, &TfrmMain::tiCountdownTimer);

    CreateActions();
    CreateControls();

    m_connector = std::make_unique<TFetcher>();
    SetConnector(m_connector.get());
    frmFetcher = new TfrmFetcher(*m_connector, this);
    frmFetcher->setObjectName(QStringLiteral("frmFetcher"));
    connect(m_connector.get(), &TFetcher::Message, this, &TfrmMain::OnServerMessage);
    connect(m_connector.get(), &TFetcher::Answered, this, &TfrmMain::OnFetchAnswered);
    m_monitor = std::make_unique<TBelvoraMonitor>(this);
    m_pictures = {Artwork::AccessTypeIcons(), Artwork::FlagIcons()};
    m_monitor->Pictures = {int(m_pictures.AccessTypes.size()), int(m_pictures.Flags.size())};
    lvCallers->SetRows(&m_monitor->CallerRows());
    lvHistory->SetRows(&m_monitor->HistoryRows());
    lvTotals->SetRows(&m_monitor->TotalsRows());
    for (TListView *list : {lvCallers, lvHistory}) {
        list->SetPictures(m_pictures);
        NameCallerColumns(list);
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, list] { CallerListClick(list); });
    }
    NameTotalsColumns();
    m_chart = std::make_unique<TTotalsChart>(chtTotals->chart());
    connect(m_monitor.get(), &TBelvoraMonitor::FetchFailed, this, &TfrmMain::OnFetchFailed);
    connect(m_monitor.get(), &TBelvoraMonitor::TotalsChanged, this, &TfrmMain::UpdateChart);
    connect(m_monitor.get(), &TBelvoraMonitor::FiguresChanged, this, &TfrmMain::MoveCounters);
    m_monitor->Details.ShownCaller = [this] { return pnDetails->SelectedCaller(); };
    m_monitor->Details.ShowNoCaller = [this] { pnDetails->ShowCaller(nullptr); };
    m_monitor->Details.Refresh = [this] { pnDetails->FillCallerDetails(); };
    pnDetails->InfoLabel = lblInfo;

    new TWindowStates(this, [this] {
        QByteArrayList states;
        if (windowFlags() & Qt::WindowStaysOnTopHint)
            states.append(TWindowStates::Above);
        // The tray icon is the way back; without one the taskbar must offer it.
        if (QSystemTrayIcon::isSystemTrayAvailable())
            states.append(TWindowStates::SkipTaskbar);
        return states;
    });
    TWindowStates::KeepOthersAbove(this);
    new TScreenFit(this);
    TScreenFit::FitEveryWindow(this);

    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setToolTip(windowTitle());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Only the click: a double click would restore and at once minimise again.
        if (reason == QSystemTrayIcon::Trigger)
            TrayActivated();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_tray->show();
    m_notifier = new TNotifier(m_tray, this);
    if (auto *desktop = dynamic_cast<TDesktopPlatform *>(&Platform::Get())) {
        desktop->SetTrayIcon(m_tray);
        desktop->OrdinaryBalloonShown = [this] {
            m_serverMessagePending = false;
            m_notifier->ForgetTrayClick();
        };
    }
    connect(m_notifier, &TNotifier::Clicked, this, &TfrmMain::ServerMessageClicked);

    connect(&m_monitor->History(), &THistoryGraph::ExtremesChanged, this,
            [this](const QString &maxText, const QString &minText) {
                lblVMax->setText(maxText);
                lblVMin->setText(minText);
            });
    UpdateEuroVisibility();
    BindCountersHere();
    cbxChart->setCurrentIndex(qBound(0, Settings.ChartLabels, cbxChart->count() - 1));
    cbxType->setCurrentIndex(qBound(0, Settings.ChartItem, cbxType->count() - 1));
    m_monitor->ChartGrouping = cbxType->currentIndex();
    SetChartStyle(Settings.ChartType);
    ApplyChartMarks(true);
    connect(cbxChart, &QComboBox::currentIndexChanged, this, &TfrmMain::cbxChartChange);
    connect(cbxType, &QComboBox::currentIndexChanged, this, &TfrmMain::cbxTypeChange);
    CreateListMenus();
    CreateOutlook();

    pnlGraph->setVisible(Settings.Graph);
    pcInfo->setVisible(Settings.Info);
    ShowTab(qBound(0, Settings.List, TabOverview));
    UpdateActions();
    m_ready = true;
}

TfrmMain::~TfrmMain()
{
    if (auto *desktop = dynamic_cast<TDesktopPlatform *>(&Platform::Get()))
        desktop->OrdinaryBalloonShown = nullptr;
    if (m_versionReply) {
        m_versionReply->disconnect(this);
        m_versionReply->abort();
    }
    tiUpdate.stop();
    tiCountdown.stop();
    // Closing stores the counter windows' places; the restore they ask for is moot now.
    for (QWidget *window : {static_cast<QWidget *>(frmSmall), static_cast<QWidget *>(frmBig)}) {
        if (!window)
            continue;
        window->disconnect(this);
        window->close();
    }
    BindCountersHere();
    delete frmSmall;
    delete frmBig;
    Settings.List = pcMain->currentIndex();
    // isHidden, not isVisible: the window itself may be hidden in the tray.
    Settings.Graph = !pnlGraph->isHidden();
    Settings.Info = !pcInfo->isHidden();
    Settings.ChartLabels = cbxChart->currentIndex();
    Settings.ChartItem = cbxType->currentIndex();
    SaveSettings();
    if (!m_monitor->SaveHistory())
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(m_monitor->DayStore().LastError()));
}

void TfrmMain::UpdateActions()
{
    const bool running = tiUpdate.isActive();
    acStartStop->setIcon(Artwork::ToolIcon(running ? Artwork::TToolIcon::Running : Artwork::TToolIcon::Stopped));
    acSound->setChecked(Settings.SoundOn);
    acCallers->setChecked(pcMain->currentIndex() == TabOnline);
    acTotals->setChecked(pcMain->currentIndex() == TabTotals);
    acHistory->setChecked(pcMain->currentIndex() == TabHistory);
    acGraph->setChecked(!pnlGraph->isHidden());
    acInfo->setChecked(!pcInfo->isHidden());
}

void TfrmMain::acSetupExecute()
{
    m_ready = false;
    auto *dialog = new TfrmOptions(this);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    delete dialog;
    if (accepted) {
        ApplyPayoutRules();
        UpdateEuroVisibility();
        Settings.Interval = qBound(MinimumInterval, Settings.Interval, MaximumInterval);
        // setInterval restarts a running timer and leaves a stopped one stopped.
        tiUpdate.setInterval(Settings.Interval * 1000);
        SetTopmost(Settings.MainFG);
    }
    tiCountdown.setInterval(tiUpdate.interval() / int(m_countdownFrames.size()));
    if (frmSmall)
        frmSmall->SetCountdownInterval(tiCountdown.interval());
    // A new interval moves the moment the figures go stale; new quiet hours show at once.
    m_freshness->Check();
    ShowOutlook();
    m_ready = true;
}

void TfrmMain::UpdateEuroVisibility()
{
    const bool euros = !PayoutRules.empty();
    imgEuros->setVisible(euros);
    anEuros->setVisible(euros);
}

void TfrmMain::ShowTab(int index)
{
    pcMain->setCurrentIndex(index);
    UpdateActions();
}

void TfrmMain::PageChanged(int index)
{
    if (index == TabOnline) {
        lvTotalDetails->hide();
        CallerListClick(lvCallers);
    } else if (index == TabTotals) {
        lvTotalDetails->show();
        TotalsRowSelected();
    } else if (index == TabHistory) {
        CallerListClick(lvHistory);
    } else if (index == TabOverview) {
        ShowOverview(true);
    }
    UpdateActions();
}

void TfrmMain::CallerListClick(TListView *list)
{
    // Rows removed from a list on a hidden page change its selection too.
    if (pcMain->currentIndex() != (list == lvCallers ? TabOnline : TabHistory))
        return;
    // The history list drives the panel only while the details page is the one showing.
    if (list == lvHistory && !pcInfo->currentWidget()->isAncestorOf(pnDetails))
        return;
    const int row = list->SelectedRow();
    auto &rows = static_cast<TCallerRows &>(*list->Rows());
    TCaller *caller = row >= 0 ? rows.Record(row) : nullptr;
    if (!caller || caller != pnDetails->SelectedCaller())
        pnDetails->ShowCaller(caller);
}

void TfrmMain::TotalsRowSelected()
{
    const int row = lvTotals->CurrentSelectedRow();
    if (row >= 0) {
        const TTotals *totals = m_monitor->TotalsRows().Record(row);
        pnDetails->LoadProgPicture(totals->ProgCode);
        ShowTotalsDetails(m_monitor->TotalsDetails(totals));
    } else {
        pnDetails->ShowCaller(nullptr);
        // On the totals page its detail list stays in view.
        lvTotalDetails->show();
    }
}

void TfrmMain::ShowInfoPanel()
{
    pcInfo->show();
    UpdateChart();
    UpdateActions();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        m_normalSize = event->size();
    FormResize();
}

void TfrmMain::FormResize()
{
    // The user's share, not the last width: the window is resized while hidden behind the
    // counter windows or in the tray, and a share scaled from such a width drifts.
    const int client = splMain->width();
    if (pcInfo->isHidden() || client <= 0)
        return;
    const int split = splMain->handleWidth();
    const int w = int(m_infoShare * client) - split;
    if (w > 16 && client - w > 16 && splMain->sizes().value(1) != w)
        splMain->setSizes({client - w - split, w});
}

void TfrmMain::InfoSplitMoved()
{
    const int client = splMain->width();
    if (client > 0 && !pcInfo->isHidden())
        m_infoShare = double(pcInfo->width() + splMain->handleWidth()) / client;
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (tiUpdate.isActive() && !tiCountdown.isActive()) {
        m_countdownFrame = 0;
        tiCountdown.start();
    }
    WatchWindowState();
    // Signing in waits for the window's first picture, which comes with its first expose;
    // a window the desktop keeps unexposed signs in a moment later all the same.
    if (!m_activated && windowHandle()) {
        windowHandle()->installEventFilter(this);
        QTimer::singleShot(UnexposedActivationMs, this, &TfrmMain::FirstActivation);
    }
}

void TfrmMain::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    // In the tray or behind a counter window nobody sees the countdown.
    tiCountdown.stop();
}

void TfrmMain::FirstActivation()
{
    if (m_activated)
        return;
    if (windowHandle())
        windowHandle()->removeEventFilter(this);
    const bool online = InternetConnected();
    if (online)
        CheckVersion();
    const bool shiftHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    if (!shiftHeld && online && !Settings.Password.isEmpty()) {
        m_monitor->Update();
        StartPolling();
    }
    m_activated = true;
}

void TfrmMain::CheckVersion()
{
    // Asynchronous, so a site that does not answer never holds up the start.
    if (m_versionReply)
        return;
    m_versionReply = m_http.get(QNetworkRequest(QUrl(Settings.VersionUrl)));
    connect(m_versionReply, &QNetworkReply::finished, this, &TfrmMain::VersionFetched);
}

void TfrmMain::VersionFetched()
{
    QNetworkReply *reply = m_versionReply;
    m_versionReply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        // Logged, not shown: a site that is down must not greet every start with a box.
        DebugLog(DebugLevel::Requests, QStringLiteral("Version check failed: %1").arg(reply->errorString()));
        return;
    }
    const QString offered = Codec::Decode(reply->readAll());
    if (!NewerVersionOffered(AppVersion, offered))
        return;
    if (!Platform::Get().AskYesNo(QStringLiteral("Update"),
                                  QStringLiteral("Er is een nieuwe versie beschikbaar!\nWilt u deze versie nu ophalen?")))
        return;
    Platform::Get().ShellOpen(Settings.UpdateUrl);
    Q_EMIT QuitRequested();
}

void TfrmMain::StartPolling()
{
    m_connector->Resume();
    tiUpdate.start();
    m_countdownFrame = 0;
    // Nobody sees the countdown of a hidden window: it starts again when the window shows.
    if (isVisible())
        tiCountdown.start();
    pbCountdown->update();
    UpdateActions();
}

void TfrmMain::StopPolling()
{
    tiUpdate.stop();
    tiCountdown.stop();
    UpdateActions();
}

void TfrmMain::acStartStopExecute()
{
    if (Settings.Password.isEmpty()) {
        Platform::Get().ShowMessage(TPlatform::TMessageKind::Warning, windowTitle(),
                                    QStringLiteral("Er is geen password ingesteld!"));
        return;
    }
    if (tiUpdate.isActive()) {
        StopPolling();
        m_connector->SignOff(false);
    } else {
        StartPolling();
        m_monitor->Update();
    }
}

void TfrmMain::tiUpdateTimer()
{
    try {
        // A tick that finds the poll still out is owed if that poll fails.
        m_tickOwed = m_monitor->Busy;
        m_monitor->Update();
        RefreshGraphLabels();
        m_countdownFrame = 0;
        pbCountdown->update();
        if (frmSmall)
            frmSmall->RestartCountdown();
        if (++m_tickCount >= TicksPerHistorySave) {
            m_tickCount = 0;
            if (!m_monitor->SaveHistory()) {
                TickFailed(m_monitor->DayStore().LastError());
                return;
            }
        }
        if (Settings.BalloonTips && (m_hiddenToTray || frmSmall) && !m_monitor->NewCallersText.isEmpty()
            && !m_quiet.IsQuiet(Clock::Now()))
            Platform::Get().ShowBalloon(QStringLiteral("Inbellers"), m_monitor->NewCallersText, CallersBalloonMs);
        if (pcMain->currentIndex() == TabTotals) {
            if (lvTotals->currentIndex().isValid())
                TotalsRowSelected();
        } else if (pcMain->currentIndex() == TabHistory && !m_hiddenToTray && !frmSmall && m_tickCount == 0) {
            btnHistoryUpdateClick();
        }
    } catch (const std::exception &error) {
        TickFailed(QString::fromLocal8Bit(error.what()));
    }
}

void TfrmMain::TickFailed(const QString &reason)
{
    DebugLog(DebugLevel::Requests, QStringLiteral("Main.Timer exception: %1").arg(reason));
    StopPolling();
}

void TfrmMain::tiCountdownTimer()
{
    m_countdownFrame = (m_countdownFrame + 1) % int(m_countdownFrames.size());
    pbCountdown->update();
}

void TfrmMain::RefreshGraphLabels()
{
    const THistoryGraph &history = m_monitor->History();
    lblVMax->setText(history.MaxText());
    lblVMin->setText(history.MinText());
    stItem->setText(history.SeriesName());
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pbCountdown && event->type() == QEvent::Paint) {
        QPainter painter(pbCountdown);
        painter.fillRect(pbCountdown->rect(), pbCountdown->palette().window());
        if (!m_countdownFrames.isEmpty())
            painter.drawImage(0, 0, m_countdownFrames[m_countdownFrame % m_countdownFrames.size()]);
        return true;
    }
    if (watched == windowHandle() && event->type() == QEvent::Expose && !m_activated) {
        windowHandle()->removeEventFilter(this);
        // Queued: the expose paints the window first.
        QMetaObject::invokeMethod(this, &TfrmMain::FirstActivation, Qt::QueuedConnection);
        return false;
    }
    if (watched == splMain && event->type() == QEvent::Resize) {
        FormResize();
        return false;
    }
    if (watched == pcInfo && event->type() == QEvent::Show) {
        // The splitter gives a panel shown again the width it had: the share decides.
        QMetaObject::invokeMethod(this, &TfrmMain::FormResize, Qt::QueuedConnection);
        return false;
    }
    if (watched == chtTotals && event->type() == QEvent::Resize) {
        chtTotalsResize();
        return false;
    }
    if (watched == stItem && event->type() == QEvent::MouseButtonRelease) {
        m_monitor->History().NextSeries();
        RefreshGraphLabels();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::OnFetchFailed()
{
    // The server refused the request: polling stops and the connector window says why.
    if (m_connector->ErrorCount() > 0) {
        frmFetcher->show();
        StopPolling();
        DebugLog(DebugLevel::Requests, QStringLiteral("Polling stopped: the server refused the request"));
    }
    // A failed post has cost the ticks that came meanwhile (a hung one its whole time-out):
    // the next poll goes at once, not a whole interval later.
    if (std::exchange(m_tickOwed, false)) {
        QTimer::singleShot(0, this, [this] {
            if (tiUpdate.isActive())
                tiUpdateTimer();
        });
    }
}

void TfrmMain::OnFetchAnswered(const TFetchRequest &, const TFetchReply &reply)
{
    if (reply.Outcome != TFetchOutcome::Fatal || (Settings.Debug & DebugDetailsBit) != 0)
        return;
    StopPolling();
    DebugLog(DebugLevel::Requests, QStringLiteral("Polling stopped: fatal reply"));
    Platform::Get().ShowMessage(TPlatform::TMessageKind::Error, QStringLiteral("ERROR"), reply.ErrorText);
    Q_EMIT QuitRequested();
}

void TfrmMain::OnServerMessage(const TServerMessage &message)
{
    // The action is kept with the message: a later reply may carry another.
    m_serverMessagePending = true;
    m_serverAction = message.Action.trimmed();
    m_notifier->ShowClickable(QStringLiteral("Inkomend bericht"), message.Text);
}

void TfrmMain::ServerMessageClicked()
{
    if (!m_serverMessagePending)
        return;
    m_serverMessagePending = false;
    const QString action = m_serverAction;
    if (action.isEmpty())
        return;
    if (action == QLatin1String("QUIT")) {
        Q_EMIT QuitRequested();
    } else if (IsWebLink(action)) {
        Platform::Get().ShellOpen(action);
    } else {
        DebugLog(DebugLevel::Requests, QStringLiteral("Ignored server message action: %1").arg(action));
    }
}

void TfrmMain::btnHistoryUpdateClick()
{
    if (!btnHistoryUpdate->isEnabled())
        return;
    btnHistoryUpdate->setEnabled(false);
    lblHistoryNotice->show();
    m_connector->RequestCallerHistory([this](const TFetchReply &reply) { HistoryFetched(reply); });
}

void TfrmMain::HistoryFetched(const TFetchReply &reply)
{
    if (!reply.ReplyOk()) {
        // A later periodic refresh tries again.
        btnHistoryUpdate->setEnabled(true);
        return;
    }
    ParseCallerHistory(HistoryCallers, reply.ReplyLines);
    UpdateHistoryRows(HistoryCallers, &m_monitor->HistoryRows(), m_monitor->Pictures);
    lblHistoryCount->setText(QStringLiteral("%1 calls").arg(HistoryCallers.size()));
    lblHistoryNotice->hide();
    btnHistoryUpdate->setEnabled(true);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    StopPolling();
    m_connector->SignOff(false);
    event->accept();
}

void TfrmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (windowState() & Qt::WindowMinimized)
        MinimiseRequested();
    else if (windowState() & Qt::WindowMaximized)
        QMetaObject::invokeMethod(this, &TfrmMain::Maximise, Qt::QueuedConnection);
}

void TfrmMain::WatchWindowState()
{
    WatchMinimise(this, m_watchedHandle, [this] { MinimiseRequested(); });
}

void TfrmMain::MinimiseRequested()
{
    if (m_minimiseRequested)
        return;
    m_minimiseRequested = true;
    // Hiding inside the state change confuses the window system: do it right after.
    QMetaObject::invokeMethod(this, &TfrmMain::Minimise, Qt::QueuedConnection);
}

void TfrmMain::Minimise()
{
    if (!std::exchange(m_minimiseRequested, false) || frmSmall || !isVisible())
        return;
    if (Settings.NoMini) {
        if (!QSystemTrayIcon::isSystemTrayAvailable() || !m_tray->isVisible()) {
            // Without a tray there is no way back from hidden: stay minimised then. On
            // Wayland only the compositor can bring it back, or a restore showing it anew.
            m_minimisedByCompositor = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
            return;
        }
        hide();
        m_hiddenToTray = true;
        return;
    }
    hide();
    frmSmall = new TfrmSmall(m_digitPicture);
    connect(frmSmall, &TfrmSmall::RestoreRequested, this, &TfrmMain::Restore, Qt::QueuedConnection);
    frmSmall->move(Settings.SmallPos);
    frmSmall->SetCountdownInterval(tiCountdown.interval());
    m_monitor->History().SetShowTimeLabels(false);
    BindCounters(frmSmall->anOnline, frmSmall->anCalls, frmSmall->pbMiniGraph, frmSmall->anEuros, frmSmall->anMinutes);
    SetTopmost(Settings.MiniFG);
    ShowOutlook();
    frmSmall->show();
}

void TfrmMain::Maximise()
{
    if (!(windowState() & Qt::WindowMaximized) || !isVisible())
        return;
    hide();
    if (!frmBig) {
        frmBig = new TfrmBig;
        connect(frmBig, &TfrmBig::RestoreRequested, this, &TfrmMain::Restore, Qt::QueuedConnection);
        // Minimised, the program shows its minimised face: the small window or the tray.
        connect(frmBig, &TfrmBig::MinimiseRequested, this, [this] {
            if (frmBig)
                frmBig->close();
            MinimiseRequested();
        }, Qt::QueuedConnection);
    }
    const QRect area = TScreenFit::AvailableArea(this);
    const QSize size = QSize(Settings.LargeW, Settings.LargeH).boundedTo(area.size());
    frmBig->resize(size);
    // A place saved on a screen that is gone would put the window out of reach.
    frmBig->move(TScreenFit::Inside(QRect(Settings.LargePos, size), area));
    frmBig->pnOnline->setVisible(Settings.ShowOnline);
    frmBig->pnCalls->setVisible(Settings.ShowCalls);
    frmBig->pnMin->setVisible(Settings.ShowMinutes);
    BindCounters(frmBig->anOnline, frmBig->anCalls, nullptr, frmBig->anEuro, frmBig->anMinutes);
    ShowOutlook();
    frmBig->show();
}

TfrmSmall *TfrmMain::SmallWindow() const
{
    return frmSmall;
}

TfrmBig *TfrmMain::BigWindow() const
{
    return frmBig;
}

void TfrmMain::BindCountersHere()
{
    m_monitor->History().SetShowTimeLabels(true);
    BindCounters(anOnline, anCalls, pbHistory, anEuros, anMinutes);
}

void TfrmMain::BindCounters(TAnalogNumber *online, TAnalogNumber *calls, THistoryBox *graphBox, TAnalogNumber *euros,
                            TAnalogNumber *minutes)
{
    m_boundCounters = {online, calls, minutes, euros};
    const std::array<int, 4> values{m_monitor->OnlineNow(), m_monitor->CallsToday(), m_monitor->MinutesCounterValue(),
                                    m_monitor->EurosCounterValue()};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (m_boundCounters[i])
            m_boundCounters[i]->ShowValue(values[i]);
    }
    if (graphBox)
        graphBox->ShowGraph(&m_monitor->History());
    else
        m_monitor->History().Detach();
}

void TfrmMain::MoveCounters()
{
    const std::array<int, 4> values{m_monitor->OnlineNow(), m_monitor->CallsToday(), m_monitor->MinutesCounterValue(),
                                    m_monitor->EurosCounterValue()};
    for (std::size_t i = 0; i < values.size(); ++i) {
        TAnalogNumber *counter = m_boundCounters[i];
        if (!counter)
            continue;
        // A roll nobody sees would only cost timer ticks: shown at once, it is right when seen.
        if (counter->isVisible())
            counter->SetNextValue(values[i]);
        else
            counter->ShowValue(values[i]);
    }
}

void TfrmMain::SetTopmost(bool on)
{
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == on)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown)
        show(); // changing flags hides a window
}

void TfrmMain::Restore()
{
    // Each closes with a restore request of its own, which then finds nothing to close.
    if (frmSmall)
        frmSmall->close();
    if (frmBig)
        frmBig->close();
    BindCountersHere();
    // Wayland has no way to ask for a minimised window back; one shown anew comes back.
    if (std::exchange(m_minimisedByCompositor, false))
        hide();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    showNormal();
    // A Wayland window shown anew keeps its last size, the maximised one; an X11 window
    // manager puts the normal size back itself.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && m_normalSize.isValid())
        resize(m_normalSize);
    raise();
    activateWindow();
    SetTopmost(Settings.MainFG);
    m_hiddenToTray = false;
}

void TfrmMain::TrayActivated()
{
    if (frmSmall)
        frmSmall->close();
    else if (frmBig)
        frmBig->close();
    else if (!isVisible())
        Restore();
    else if (m_ready)
        showMinimized();
}
