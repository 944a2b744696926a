#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "tLoopbackServer.h"
#include "tRecordingPlatform.h"
#include "uDesktopPlatform.h"
#include "uFetcher.h"
#include "uFetcherTesting.h"
#include "uMain.h"
#include "uMonitor.h"
#include "uNotifier.h"
#include "uSettings.h"

namespace {

const QByteArray Key = "K";

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
    void serverMessageActions_data();
    void serverMessageActions();
    void messageBoxShowsPlainText();
    void notificationBodyIsEscaped();

private:
    void WriteSettings(const QByteArray &extra);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLoopbackServer> m_server;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<TLoopbackServer>();
    m_server->SetResponder(TLoopbackServer::EchoResponder(Key));
    m_platform = std::make_unique<TRecordingPlatformGuard>();
    TPProgs.clear();
}

void TestMainWindow::cleanup()
{
    m_platform.reset();
    m_server.reset();
    m_dir.reset();
}

void TestMainWindow::WriteSettings(const QByteArray &extra)
{
    QFile file(m_dir->filePath("bvsettings.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\r\nfetchurl=" + m_server->Url().toString().toLatin1() + "\r\nkey=K\r\n" + extra);
}

void TestMainWindow::startNeedsPassword()
{
    WriteSettings("");
    TfrmMain main(m_dir->path());
    main.acStartStopExecute();
    QVERIFY(!main.Polling());
    QCOMPARE(m_platform->Events(), QStringList{"message:1|Belvora Webmaster Monitor|Er is geen password ingesteld!"});
}

void TestMainWindow::startAndStop()
{
    WriteSettings("password=pw\r\n");
    TfrmMain main(m_dir->path());
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
    FetcherTesting::SetSignOffWaitMs(100);
    const auto isPoll = [](const TRecordedRequest &request) {
        return TLoopbackServer::Unscramble(request.Body, Key).startsWith("c=103");
    };
    // The first poll never gets an answer.
    m_server->SetResponder([&](const TRecordedRequest &request) {
        return isPoll(request) ? TServerAction::Hang() : TLoopbackServer::EchoResponder(Key)(request);
    });
    TfrmMain main(m_dir->path());
    QSignalSpy failed(&main.Monitor(), &TBelvoraMonitor::FetchFailed);
    // Should stopping leave the poll hanging, it is answered after all rather than hang the test.
    QTimer::singleShot(5000, m_server.get(), [this] { m_server->ReleaseHung(TLoopbackServer::HttpReply("103\r\n")); });
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
    // The poll was broken off and answered as cancelled: the monitor is idle again.
    QTRY_VERIFY(!main.Monitor().Busy);
    QCOMPARE(failed.size(), 1);
    QVERIFY(!main.Polling());
    m_server->SetResponder(TLoopbackServer::EchoResponder(Key));
    main.acStartStopExecute();
    const auto polls = [&] { return std::count_if(m_server->Requests.begin(), m_server->Requests.end(), isPoll); };
    QTRY_COMPARE(polls(), 2);
    QTRY_VERIFY(!main.Monitor().Busy);
    FetcherTesting::SetSignOffWaitMs(0);
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
    TfrmMain main(m_dir->path());
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
