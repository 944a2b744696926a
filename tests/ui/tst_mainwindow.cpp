#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTreeView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <optional>

#include "tLoopbackServer.h"
#include "tProcessState.h"
#include "tRecordingPlatform.h"
#include "tTestData.h"
#include "uAnalogNumber.h"
#include "uClock.h"
#include "uDesktopPlatform.h"
#include "uDetails.h"
#include "uFreshness.h"
#include "uFetcher.h"
#include "uHistory.h"
#include "uMain.h"
#include "uMonitor.h"
#include "uNotifier.h"
#include "uOptions.h"
#include "uOverview.h"
#include "uPeriods.h"
#include "uQtDutch.h"
#include "uSettings.h"

namespace {

const QByteArray Key = "K";

bool RowHasColor(QWidget &widget, int y, const QColor &color)
{
    const QImage view = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int x = 0; x < view.width(); ++x) {
        if (view.pixelColor(x, y) == color)
            return true;
    }
    return false;
}

// The main window's status strip (the connector window has a label of that name too).
QString StripText(const QWidget &main)
{
    for (const QLabel *label : main.findChildren<QLabel *>(QStringLiteral("lblInfo"))) {
        if (label->window() == &main)
            return label->text();
    }
    return QStringLiteral("<none>");
}

} // namespace

// The main window's own decisions: starting and stopping, and what a server message may do.
class TestMainWindow final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startNeedsPassword();
    void startAndStop();
    void stopBreaksOffHungPoll();
    void iconFromTheSvg();
    void serverMessageActions_data();
    void serverMessageActions();
    void dutchStandardButtons();
    void callersFailure_data();
    void callersFailure();
    void failedPollOwesTheTickItMissed();
    void sixthTick_data();
    void sixthTick();
    void toolbarAndSavedView();
    void graphStripHeight();
    void messageBoxShowsPlainText();
    void notificationBodyIsEscaped();
    void staleFiguresForecastAndQuiet();
    void exportsListsAndDay_data();
    void exportsListsAndDay();
    void windowsFitScreen();

private:
    void WriteSettings(const QByteArray &extra);
    QByteArray SavedSettings() const;
    bool Requested(const QByteArray &command) const;

    std::optional<TProcessState> m_state;
    std::unique_ptr<TLoopbackServer> m_server;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
};

void TestMainWindow::init()
{
    m_state.emplace();
    m_server = std::make_unique<TLoopbackServer>();
    m_server->SetResponder(TLoopbackServer::EchoResponder(Key));
    m_platform = std::make_unique<TRecordingPlatformGuard>();
}

void TestMainWindow::cleanup()
{
    m_platform.reset();
    m_server.reset();
    m_state.reset();
}

void TestMainWindow::WriteSettings(const QByteArray &extra)
{
    QFile file(m_state->FilePath("bvsettings.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\r\nfetchurl=" + m_server->Url().toString().toLatin1() + "\r\nkey=K\r\n" + extra);
}

QByteArray TestMainWindow::SavedSettings() const
{
    QFile file(m_state->FilePath("bvsettings.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestMainWindow::Requested(const QByteArray &command) const
{
    return std::any_of(m_server->Requests.begin(), m_server->Requests.end(), [&](const TRecordedRequest &request) {
        return TLoopbackServer::Unscramble(request.Body, Key).startsWith("c=" + command);
    });
}

void TestMainWindow::startNeedsPassword()
{
    WriteSettings("");
    TfrmMain main(m_state->Folder());
    main.acStartStopExecute();
    QVERIFY(!main.Polling());
    QCOMPARE(m_platform->Events(), QStringList{"message:1|Belvora Webmaster Monitor|Er is geen password ingesteld!"});
}

void TestMainWindow::startAndStop()
{
    WriteSettings("password=pw\r\n");
    TfrmMain main(m_state->Folder());
    main.acStartStopExecute();
    QVERIFY(main.Polling());
    // 106 (no programmes yet), then the callers.
    QTRY_VERIFY(!main.Monitor().Busy);
    QCOMPARE(m_server->Requests.size(), 2);
    main.acStartStopExecute();
    QVERIFY(!main.Polling());
    QCOMPARE(TLoopbackServer::Unscramble(m_server->Requests.last().Body, Key), QByteArray("c=100"));
}

void TestMainWindow::stopBreaksOffHungPoll()
{
    WriteSettings("password=pw\r\n");
    const auto isPoll = [](const TRecordedRequest &request) {
        return TLoopbackServer::Unscramble(request.Body, Key).startsWith("c=103");
    };
    // The first poll never gets an answer.
    m_server->SetResponder([&](const TRecordedRequest &request) {
        return isPoll(request) ? TServerAction::Hang() : TLoopbackServer::EchoResponder(Key)(request);
    });
    TfrmMain main(m_state->Folder());
    QSignalSpy failed(&main.Monitor(), &TBelvoraMonitor::FetchFailed);
    // Should stopping leave the poll hanging, it is answered after all rather than hang the test.
    QTimer::singleShot(15000, m_server.get(), [this] { m_server->ReleaseHung(TLoopbackServer::HttpReply("103\r\n")); });
    bool stopped = false;
    // Stop is pressed while the post waits, as a user would.
    connect(m_server.get(), &TLoopbackServer::RequestReceived, this, [&](int index) {
        if (isPoll(m_server->Requests[index]) && !stopped) {
            QTimer::singleShot(0, this, [&] {
                stopped = true;
                main.acStartStopExecute();
            });
        }
    });
    main.acStartStopExecute();
    QTRY_VERIFY(stopped);
    // After the sign-off's 5 s wait the poll was broken off and answered as cancelled:
    // the monitor is idle again.
    QTRY_VERIFY_WITH_TIMEOUT(!main.Monitor().Busy, 10000);
    QCOMPARE(failed.size(), 1);
    QVERIFY(!main.Polling());
    m_server->SetResponder(TLoopbackServer::EchoResponder(Key));
    main.acStartStopExecute();
    const auto polls = [&] { return std::count_if(m_server->Requests.begin(), m_server->Requests.end(), isPoll); };
    QTRY_COMPARE(polls(), 2);
    QTRY_VERIFY(!main.Monitor().Busy);
}

void TestMainWindow::iconFromTheSvg()
{
    WriteSettings("");
    const TfrmMain main(m_state->Folder());
    // Drawn from the compiled-in SVG, the picture that is also installed; without it the
    // icon would be blank.
    QCOMPARE(main.windowIcon().pixmap(32, 32).toImage().pixelColor(16, 16).alpha(), 255);
}

void TestMainWindow::serverMessageActions_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("quits");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("quit") << QByteArray("10 Hallo|QUIT") << "QUIT" << true << QStringList{};
    QTest::newRow("web link") << QByteArray("30 Kijk|https://belvora.example/x") << "https://belvora.example/x"
                              << false << QStringList{"open:https://belvora.example/x"};
    QTest::newRow("program") << QByteArray("19 Kijk|/usr/bin/xterm") << "/usr/bin/xterm" << false << QStringList{};
    QTest::newRow("file link") << QByteArray("23 Kijk|file:///etc/passwd") << "file:///etc/passwd" << false
                               << QStringList{};
    QTest::newRow("no action") << QByteArray("5 Hallo") << "" << false << QStringList{};
}

void TestMainWindow::serverMessageActions()
{
    QFETCH(QByteArray, header);
    QFETCH(bool, quits);
    QFETCH(QStringList, events);
    WriteSettings("password=pw\r\n");
    m_server->SetResponder([header](const TRecordedRequest &request) {
        TServerAction action = TLoopbackServer::EchoResponder(Key)(request);
        const QByteArray args = TLoopbackServer::Unscramble(request.Body, Key);
        const QByteArray command = args.mid(2, 3);
        action.Steps.first().Bytes = TLoopbackServer::HttpReply(command + "\r\n", 200, "MSG: " + header + "\r\n");
        return action;
    });
    TfrmMain main(m_state->Folder());
    QSignalSpy quit(&main, &TfrmMain::QuitRequested);
    main.acStartStopExecute();
    QTRY_VERIFY(!main.Monitor().Busy);
    m_platform->Events().clear();
    QTEST(Connector()->MessageAction(), "action");
    main.ServerMessageClicked();
    QCOMPARE(quit.size(), quits ? 1 : 0);
    QCOMPARE(m_platform->Events(), events);
    // A second click does nothing: the message was dealt with.
    main.ServerMessageClicked();
    QCOMPARE(quit.size(), quits ? 1 : 0);
}

void TestMainWindow::messageBoxShowsPlainText()
{
    // A fatal reply's text lands here: markup in it must not load pictures or files.
    const QString hostile = QStringLiteral("<img src=\"x.png\"><b>stuk</b>");
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            format = box->textFormat();
            box->done(QMessageBox::Ok);
        }
    });
    closer.start(10);
    TDesktopPlatform().ShowMessage(TPlatform::TMessageKind::Error, QStringLiteral("ERROR"), hostile);
    QCOMPARE(shown, hostile);
    QCOMPARE(format, Qt::PlainText);
}

void TestMainWindow::notificationBodyIsEscaped()
{
    // Notification services render the body: a server's link or picture must arrive as text.
    const QDBusMessage call =
        NotifyCall(7, QStringLiteral("Inkomend bericht"), QStringLiteral("<a href=\"file:///etc/passwd\">x</a> & <img>"),
                   {QStringLiteral("default"), QStringLiteral("Openen")}, 0);
    QCOMPARE(call.member(), QStringLiteral("Notify"));
    const QList<QVariant> args = call.arguments();
    QCOMPARE(args.size(), 8);
    QCOMPARE(args[1].toUInt(), 7u);
    QCOMPARE(args[3].toString(), QStringLiteral("Inkomend bericht"));
    QCOMPARE(args[4].toString(),
             QStringLiteral("&lt;a href=&quot;file:///etc/passwd&quot;&gt;x&lt;/a&gt; &amp; &lt;img&gt;"));
}

void TestMainWindow::dutchStandardButtons()
{
    QVERIFY(InstallQtDutch());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Bevestigen"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Annuleren"));
}

void TestMainWindow::graphStripHeight()
{
    WriteSettings("[window]\r\ngraphH=40\r\n");
    {
        TfrmMain main(m_state->Folder());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *graph = main.findChild<QWidget *>(QStringLiteral("pbHistory"));
        QTRY_COMPARE(graph->height(), 40);
        // Labelled with tiny glyphs, 9 rows below the plot: row 30 is the plot's.
        QVERIFY(RowHasColor(*graph, 40 - 10, THistoryGraph::PlotColor));
        // The splitter above the strip makes it taller; the graph is drawn anew for it.
        QSplitterHandle *handle = main.findChild<QSplitter *>(QStringLiteral("splGraph"))->handle(1);
        const QPoint grip = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, grip);
        QTest::mouseMove(handle, grip - QPoint(0, 40));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 40));
        QTRY_COMPARE(graph->height(), 80);
        // Labelled in the normal font, which needs more than 9 rows below the plot.
        QVERIFY(!RowHasColor(*graph, 80 - 10, THistoryGraph::PlotColor));
    }
    QVERIFY(SavedSettings().contains("graphH=80\r\n"));
}

void TestMainWindow::callersFailure_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("polls");
    QTest::addColumn<bool>("polling");
    QTest::addColumn<bool>("connectorShown");
    QTest::addColumn<QString>("strip");    // the status strip
    QTest::addColumn<QString>("trouble");  // the line in the tray's and the counters' tool tips
    QTest::addColumn<bool>("quits");
    const QString unavailable = QStringLiteral("Server antwoordde met HTTP-status 503");
    // The service refuses the request (an expired session): polling stops and the
    // connector shows why. A transfer that fails is tried again at the next tick.
    QTest::newRow("refused") << TLoopbackServer::HttpReply("!\r\n") << 1 << false << true << "" << "" << false;
    QTest::newRow("failed transfer") << TLoopbackServer::HttpReply("", 503) << 1 << true << false << ""
                                     << "Laatste storing 14:32: " + unavailable << false;
    // Three in a row: the connection counts as lost, and the user is told why.
    const QString lost = "Geen verbinding: " + unavailable + " sinds 14:32";
    QTest::newRow("three failed transfers") << TLoopbackServer::HttpReply("", 503) << 3 << true << false << lost
                                            << lost << false;
    // The service will not serve this program: a box, and the program ends.
    QTest::newRow("fatal") << TLoopbackServer::HttpReply("X\r\nVerlopen") << 1 << false << true << "" << "" << true;
}

void TestMainWindow::callersFailure()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, polls);
    QFETCH(QString, strip);
    QFETCH(QString, trouble);
    QFETCH(bool, quits);
    m_state->SetNow(QDateTime(QDate(2026, 12, 8), QTime(14, 32)));
    m_server->SetResponder([reply](const TRecordedRequest &request) {
        if (TLoopbackServer::Unscramble(request.Body, Key).startsWith("c=103"))
            return TServerAction::Reply(reply);
        // A programme, so that no 106 comes between the polls.
        return TLoopbackServer::EchoResponder(Key, "AB:Alpha\r\n")(request);
    });
    WriteSettings("password=pw\r\n");
    TfrmMain main(m_state->Folder());
    QSignalSpy quit(&main, &TfrmMain::QuitRequested);
    main.acStartStopExecute();
    for (int poll = 1; poll <= polls; ++poll) {
        if (poll > 1)
            main.tiUpdateTimer();
        QTRY_VERIFY(Requested("103") && !main.Monitor().Busy);
    }
    QTEST(main.Polling(), "polling");
    QTEST(main.findChild<QWidget *>(QStringLiteral("frmFetcher"))->isVisible(), "connectorShown");
    QCOMPARE(StripText(main), strip);
    const QString tip = main.TrayToolTip();
    QVERIFY2(trouble.isEmpty() ? !tip.contains("storing") && !tip.contains("verbinding") : tip.contains(trouble),
             qPrintable(tip));
    QVERIFY(trouble.isEmpty() || main.findChild<TAnalogNumber *>()->toolTip().contains(trouble));
    // The counters share the window's digit picture.
    QVERIFY(!main.findChild<TAnalogNumber *>()->DigitPicture().isNull());
    QCOMPARE(quit.size(), quits ? 1 : 0);
    QCOMPARE(m_platform->Events().filter("message:"),
             quits ? QStringList{"message:2|ERROR|Verlopen"} : QStringList());
}

void TestMainWindow::failedPollOwesTheTickItMissed()
{
    // The first poll fails late, after a tick came while it was out: the next poll goes at
    // once, not a whole interval later.
    int polls = 0;
    m_server->SetResponder([&polls](const TRecordedRequest &request) {
        if (!TLoopbackServer::Unscramble(request.Body, Key).startsWith("c=103"))
            return TLoopbackServer::EchoResponder(Key, "AB:Alpha\r\n")(request);
        TServerAction failure = TServerAction::Reply(TLoopbackServer::HttpReply("", 503));
        failure.Steps.first().DelayMs = ++polls == 1 ? 300 : 0;
        return failure;
    });
    WriteSettings("password=pw\r\nInterval=60\r\n");
    TfrmMain main(m_state->Folder());
    QTimer::singleShot(100, &main, [&main] { main.tiUpdateTimer(); });
    main.acStartStopExecute();
    QTRY_COMPARE(polls, 2);
}

void TestMainWindow::sixthTick_data()
{
    QTest::addColumn<bool>("historyFolder");
    QTest::newRow("day saved") << true;
    // A file in the way of the History folder: the tick's error stops polling.
    QTest::newRow("day not saved") << false;
}

void TestMainWindow::sixthTick()
{
    QFETCH(bool, historyFolder);
    WriteSettings("password=pw\r\n[window]\r\nlist=2\r\n[debug]\r\noptions=2\r\n");
    if (!historyFolder) {
        QFile blocker(m_state->FilePath("History"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    // The debug log goes to the working folder.
    const QString working = QDir::currentPath();
    QDir::setCurrent(m_state->Folder());
    TfrmMain main(m_state->Folder());
    main.acStartStopExecute();
    for (int tick = 1; tick <= 6; ++tick) {
        QTRY_VERIFY(!main.Monitor().Busy);
        QVERIFY(!Requested("108"));
        main.tiUpdateTimer();
    }
    QDir::setCurrent(working);
    QFile log(m_state->FilePath("bvdebug.log"));
    const QByteArray logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    QCOMPARE(logged.contains("Main.Timer exception: "), !historyFolder);
    QCOMPARE(main.Polling(), historyFolder);
    QCOMPARE(QDir(m_state->FilePath("History")).entryList({"*.hlg"}).size(), historyFolder ? 1 : 0);
    // The history tab is refreshed with the save.
    QTRY_COMPARE(Requested("108"), historyFolder);
}

void TestMainWindow::toolbarAndSavedView()
{
    WriteSettings("[window]\r\nGraph=1\r\nInfo=0\r\nlist=0\r\n[sounds]\r\non=1\r\n");
    {
        TfrmMain main(m_state->Folder());
        const auto action = [&main](const char *hint) {
            const QList<QAction *> actions = main.findChildren<QAction *>();
            const auto it = std::find_if(actions.begin(), actions.end(),
                                         [hint](QAction *a) { return a->toolTip() == QLatin1String(hint); });
            return it == actions.end() ? nullptr : *it;
        };
        QAction *graph = action("Beller grafiek");
        QAction *info = action("Extra info");
        QAction *callers = action("Online bellers");
        QAction *history = action("Historie");
        QAction *sound = action("Geluid uit/aan");
        QVERIFY(graph && info && callers && history && sound);
        QVERIFY(graph->isChecked() && !info->isChecked() && callers->isChecked() && sound->isChecked());
        QWidget *strip = main.findChild<QWidget *>(QStringLiteral("pbHistory"))->parentWidget();
        QWidget *panel = main.Details().parentWidget()->parentWidget();
        graph->trigger();
        info->trigger();
        history->trigger();
        sound->trigger();
        QVERIFY(!graph->isChecked() && strip->isHidden());
        QVERIFY(info->isChecked() && !panel->isHidden());
        QVERIFY(history->isChecked() && !callers->isChecked());
        QVERIFY(!sound->isChecked() && !Settings.SoundOn);
    }
    const QByteArray saved = SavedSettings();
    for (const char *line : {"Graph=0\r\n", "Info=1\r\n", "list=2\r\n", "on=0\r\n"})
        QVERIFY2(saved.contains(line), line);
    // The next start shows the view as it was left.
    const TfrmMain reopened(m_state->Folder());
    QVERIFY(reopened.findChild<QWidget *>(QStringLiteral("pbHistory"))->parentWidget()->isHidden());
}

void TestMainWindow::staleFiguresForecastAndQuiet()
{
    QDateTime now(QDate(2026, 12, 8), QTime(14, 0));
    Clock::SetNowFunction([&now] { return now; });
    // Yesterday: 100 callers at this time, 400 at the end of the day.
    const qint64 yesterday = Clock::LocalSeconds(QDateTime(now.date().addDays(-1), QTime(0, 0)));
    QDir(m_state->Folder()).mkpath("History");
    QFile file(m_state->FilePath("History/07-12-2026.hlg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(yesterday + 14 * 3600) + ",2,100,6000,0\r\n" + QByteArray::number(yesterday + 86100)
               + ",0,400,24000,0\r\n");
    file.close();
    WriteSettings("Interval=10\r\n");
    {
        TfrmMain main(m_state->Folder());
        TBelvoraMonitor &monitor = main.Monitor();
        TPProgs.clear();
        AddTestProg("AB", "Babbelbox");
        monitor.PollTime = Clock::LocalSecondsNow();
        monitor.ProcessCallersReply({"103", "$AB|0|0|128|1200"});
        const QList<TAnalogNumber *> counters = main.findChildren<TAnalogNumber *>();
        QCOMPARE(counters.size(), 4);
        const auto dimmed = [&counters] {
            return std::count_if(counters.begin(), counters.end(), [](const TAnalogNumber *c) { return c->Dimmed(); });
        };
        QVERIFY(main.TrayToolTip().contains("Verwacht vandaag: 512 bellers, 80 minuten"));
        QVERIFY(counters[1]->toolTip().endsWith("Verwacht vandaag: 512 bellers, 80 minuten (op basis van gisteren)"));
        // The overview's last bars: yesterday's file and today's figures as they come.
        auto *overview = main.findChild<TOverviewPage *>();
        qobject_cast<QTabWidget *>(overview->parentWidget()->parentWidget())->setCurrentWidget(overview);
        const auto &bars = overview->Bars().Bars();
        QCOMPARE(bars.size(), std::size_t(OverviewDays));
        QCOMPARE(bars[OverviewDays - 2].Value.value_or(-1), 400.0);
        monitor.ProcessCallersReply({"103", "$AB|0|0|130|1200"});
        QCOMPARE(overview->Bars().Bars().back().Value.value_or(-1), 130.0);

        now = now.addSecs(2 * 10 + 10);
        main.Freshness().Check();
        QCOMPARE(dimmed(), 0);
        now = now.addSecs(3 * 60);
        main.Freshness().Check();
        QCOMPARE(dimmed(), 4);
        QVERIFY(main.TrayToolTip().contains("Laatste gegevens 14:00, 3 min geleden"));
        QVERIFY(!main.TrayToolTip().contains("Verwacht"));

        // The tray menu leads back to the window and starts or stops, before the quiet.
        QMenu *tray = nullptr;
        for (QMenu *menu : main.findChildren<QMenu *>()) {
            if (!menu->actions().isEmpty() && menu->actions().first()->text() == "Tonen")
                tray = menu;
        }
        QVERIFY(tray);
        QCOMPARE(tray->actions()[1]->text(), QStringLiteral("Start/Stop"));
        const auto item = [tray](const QString &text) {
            const QList<QAction *> actions = tray->actions();
            return *std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == text; });
        };
        item("Stil voor 30 minuten")->trigger();
        QVERIFY(main.TrayToolTip().endsWith("Stil tot 14:33"));
        QVERIFY(SavedSettings().contains("quietuntil=2026-12-08 14:33:30"));
        item("Geluid en meldingen weer aan")->trigger();
        QVERIFY(!main.TrayToolTip().contains("Stil"));

        monitor.PollTime = Clock::LocalSecondsNow();
        monitor.ProcessCallersReply({"103"});
        QCOMPARE(dimmed(), 0);
    }
}

void TestMainWindow::exportsListsAndDay_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("totals");
    QTest::addColumn<QByteArray>("day");
    QTest::newRow("Dutch") << QLocale(QLocale::Dutch, QLocale::Netherlands)
                           << QByteArray("Programma;Bellers;Minuten;Gemiddeld\r\n\"Bel;\"\"zo\"\" €\";3;1,50;0,50\r\n")
                           << QByteArray("14:00:00;1;3;1,50;0,00\r\n");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << QByteArray("Programma;Bellers;Minuten;Gemiddeld\r\n\"Bel;\"\"zo\"\" €\";3;1.50;0.50\r\n")
                             << QByteArray("14:00:00;1;3;1.50;0.00\r\n");
}

void TestMainWindow::exportsListsAndDay()
{
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, totals);
    QFETCH(QByteArray, day);
    QLocale::setDefault(locale);
    QDateTime now(QDate(2026, 12, 8), QTime(14, 0));
    Clock::SetNowFunction([&now] { return now; });
    WriteSettings("");
    {
        TfrmMain main(m_state->Folder());
        AddTestProg("AB", "Bel;\"zo\" €");
        main.Monitor().PollTime = Clock::LocalSecondsNow();
        main.Monitor().ProcessCallersReply({"103", "$AB|0|0|3|90", "+AB|1|x|0|0|0|0|0612|20261208 140000|5|0|i|ip"});
        main.Monitor().UpdateTotalsView(false);
        const QString target = m_state->FilePath("uit.csv");
        m_platform->Recorder().SaveFileName = target;
        const auto trigger = [&main](const QString &text) {
            for (QAction *action : main.findChildren<QAction *>()) {
                if (action->text() == text) {
                    action->trigger();
                    return;
                }
            }
            QFAIL("no such menu item");
        };
        auto *callers = main.findChild<QTreeView *>(QStringLiteral("lvCallers"));
        Q_EMIT callers->customContextMenuRequested(QPoint(1, 1));
        trigger("Exporteren...");   // the callers list's
        QVERIFY(m_platform->Events().last().endsWith("bellers-08-12-2026.csv"));
        QFile exported(target);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QVERIFY(exported.readAll().startsWith("\xEF\xBB\xBFNaam;Tijd;Nummer;Start;Info\r\n"));
        exported.close();

        const QList<QAction *> all = main.findChildren<QAction *>();
        const auto totalsExport = std::find_if(all.begin(), all.end(), [](QAction *a) {
            const auto *menu = qobject_cast<QMenu *>(a->parent());
            return a->text() == "Exporteren..." && menu && menu->actions().size() == 3;
        });
        QVERIFY(totalsExport != all.end());
        (*totalsExport)->trigger();
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), "\xEF\xBB\xBF" + totals);
        exported.close();

        trigger("Dag exporteren...");
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), "\xEF\xBB\xBFTijd;Online;Bellers;Minuten;Euro's\r\n" + day);
    }
}

// Also run on a 1366 x 768 screen at twice the scale (CMake): 683 x 384 to lay out in.
void TestMainWindow::windowsFitScreen()
{
    WriteSettings("[window]\r\ninfo=1\r\ngraph=1\r\n");
    TfrmMain main(m_state->Folder());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QRect area = main.screen()->availableGeometry();
    const auto fits = [&area](const QWidget &window) {
        // Inside the screen, and nothing squeezed below what its contents need.
        return area.contains(window.frameGeometry()) && window.size().width() >= window.minimumSizeHint().width()
            && window.size().height() >= window.minimumSizeHint().height();
    };
    QTRY_VERIFY2(fits(main), qPrintable(QStringLiteral("%1x%2 needs %3x%4")
                                            .arg(main.width()).arg(main.height())
                                            .arg(main.minimumSizeHint().width()).arg(main.minimumSizeHint().height())));
    TfrmOptions options(&main);
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    QTRY_VERIFY2(fits(options), qPrintable(QStringLiteral("%1x%2 needs %3x%4")
                                               .arg(options.width()).arg(options.height())
                                               .arg(options.minimumSizeHint().width())
                                               .arg(options.minimumSizeHint().height())));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
