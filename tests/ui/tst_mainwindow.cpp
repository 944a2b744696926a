#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tLoopbackServer.h"
#include "tRecordingPlatform.h"
#include "uFetcher.h"
#include "uMain.h"
#include "uMonitor.h"
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
    void iconFromTheSvg();
    void serverMessageActions_data();
    void serverMessageActions();

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

void TestMainWindow::iconFromTheSvg()
{
    WriteSettings("");
    const TfrmMain main(m_dir->path());
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
