#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tLoopbackServer.h"
#include "uDesktopSession.h"
#include "uIniFile.h"
#include "uSettings.h"

#include <csignal>
#include <functional>
#include <vector>

namespace {

QByteArray ReadAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Starts the program from its own copy in `dir`, offscreen, with `dir` as working folder.
void StartProgram(QProcess &process, const QString &dir, const QStringList &arguments = {})
{
    const QString program = dir + "/bvmonitor";
    if (!QFile::exists(program))
        QVERIFY(QFile::copy(BVMONITOR_PATH, program));
    process.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // The one-instance socket goes there: the user's own, as a session's is.
    env.insert("XDG_RUNTIME_DIR", dir);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QVERIFY(process.waitForStarted());
}

struct TStatusRun
{
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
    QJsonObject Json() const { return QJsonDocument::fromJson(Out).object(); }
};

// `bvmonitor --status ...` on the folder, as a panel runs it.
TStatusRun AskStatus(const QString &dir, const QStringList &more = {})
{
    QProcess process;
    StartProgram(process, dir, QStringList{"--status"} + more);
    process.waitForFinished(10000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// A program folder that polls `server` with the key "K" every 5 s.
void WriteSettingsFor(const QString &folder, const TLoopbackServer &server)
{
    QFile file(folder + QStringLiteral("/bvsettings.ini"));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.write("[settings]\r\nfetchurl=" + server.Url().toString().toLatin1()
               + "\r\nkey=K\r\npassword=pw\r\nInterval=5\r\n");
}

} // namespace

// The real program in a folder of its own: it starts, and on SIGTERM ends as if closed.
class TestProgram final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstStartWritesDefaults();
    void keepsWhatItDoesNotOwn();
    void pollsAndSignsOff();
    void secondStartShowsFirst();
    void statusForPanels();
    void qtPlatformChoice_data();
    void qtPlatformChoice();

private:
    // Starts the program in `dir`, waits until `ready` holds, then sends SIGTERM.
    void RunAndTerminate(const QString &dir, const std::function<bool()> &ready = {});
};

void TestProgram::RunAndTerminate(const QString &dir, const std::function<bool()> &ready)
{
    QProcess process;
    StartProgram(process, dir);
    // The settings are loaded (and a new version stored) while the window is being built:
    // a signal in the middle of that must still end the program cleanly.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(dir + "/History").exists(), 10000);
    if (ready)
        QTRY_VERIFY_WITH_TIMEOUT(ready(), 20000);
    ::kill(pid_t(process.processId()), SIGTERM);
    // Keep our own event loop running: the program may still talk to a server of ours.
    QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 15000);
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestProgram::firstStartWritesDefaults()
{
    QTemporaryDir dir;
    RunAndTerminate(dir.path());
    const TIniFile ini(dir.filePath("bvsettings.ini"));
    QCOMPARE(ini.ReadString("settings", "version"), QString(BV_APP_VERSION));
    QCOMPARE(ini.ReadString("settings", "Interval"), QString("10"));
    QCOMPARE(ini.ReadString("window", "largeW"), QString("640"));
    QCOMPARE(ini.ReadString("chart", "type"), QString("7"));
    QVERIFY(!ini.ValueExists("settings", "fetchurl"));
    QVERIFY(!ini.ValueExists("debug", "options"));
    QVERIFY(QDir(dir.filePath("Bitmaps")).exists());
}

void TestProgram::keepsWhatItDoesNotOwn()
{
    QTemporaryDir dir;
    QString payout = "[payout]\r\nCount=1\r\n";
    for (int c = -1; c <= 17; ++c) {
        payout += QString("item0cc%1=AB").arg(c);
        for (int a = -1; a <= 16; ++a)
            payout += (c == 0 && a == 2) ? ";0.5" : ";0";
        payout += "\r\n";
    }
    const QByteArray kept = "[settings]\r\nfetchurl=http://127.0.0.1:1/\r\n"
                            "[debug]\r\noptions=0\r\n"
                            "[mine]\r\nx=1|2=3\r\n"
                            "[triggers]\r\n0=0||0|4|0|4|Er belt iemand|0|1\r\n1=3|14:30|1|3|2,5|0|/tmp/x.wav|2|0\r\n"
        + payout.toLatin1();
    {
        QFile file(dir.filePath("bvsettings.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kept);
    }
    RunAndTerminate(dir.path());
    const QByteArray saved = ReadAll(dir.filePath("bvsettings.ini"));
    for (const QByteArray &line : kept.split('\n')) {
        if (!line.isEmpty())
            QVERIFY2(saved.contains(line + '\n'), line.constData());
    }
    QVERIFY(saved.contains("version=" BV_APP_VERSION "\r\n"));
}

void TestProgram::pollsAndSignsOff()
{
    const QByteArray key = "K";
    TLoopbackServer server;
    server.SetResponder([&key](const TRecordedRequest &request) {
        const QByteArray args = TLoopbackServer::Unscramble(request.Body, key);
        if (args == "c=106")
            return TServerAction::Reply(TLoopbackServer::HttpReply("106\r\nAB:Alpha"));
        return TLoopbackServer::EchoResponder(key, "+AB|c1|Jan|0|1|2|1|06|20261208 101500|5|1|x|1.2.3.4\r\n"
                                                   "$AB|0|1|3|600")(request);
    });
    QTemporaryDir dir;
    WriteSettingsFor(dir.path(), server);
    const auto argsOf = [&] {
        QList<QByteArray> args;
        for (const TRecordedRequest &request : server.Requests)
            args.append(TLoopbackServer::Unscramble(request.Body, key));
        return args;
    };
    // Programmes first, then the callers with none known, then a poll after Interval.
    RunAndTerminate(dir.path(), [&] { return server.Requests.size() >= 3; });
    QTRY_VERIFY_WITH_TIMEOUT(argsOf().contains("c=100"), 5000);
    const QList<QByteArray> args = argsOf();
    QCOMPARE(args.mid(0, 3), (QList<QByteArray>{"c=106", "c=103&x=0", "c=103&x=1"}));
    QCOMPARE(args.last(), QByteArray("c=100"));
    for (const TRecordedRequest &request : server.Requests) {
        QCOMPARE(request.Method, QByteArray("POST"));
        QCOMPARE(request.Headers.value("authorization"), "Basic " + QByteArray("K:pw").toBase64());
        QCOMPARE(request.Headers.value("user-agent"), QByteArray("BVMonitor V" BV_APP_VERSION));
    }
    // The day's file holds one line per processed poll, saved at exit.
    const QString dayFile = dir.filePath("History/" + QDate::currentDate().toString("dd-MM-yyyy") + ".hlg");
    const QByteArray firstRun = ReadAll(dayFile);
    const int polls = int(args.count("c=103&x=0") + args.count("c=103&x=1"));
    QCOMPARE(int(firstRun.count('\n')), polls);
    QVERIFY(firstRun.contains(",1,3,600,0\r\n")); // online 1, 3 calls, 600 seconds, no euros

    // A restart continues the day: the old lines stay and new polls are added.
    server.Requests.clear();
    RunAndTerminate(dir.path(), [&] { return server.Requests.size() >= 3; });
    QTRY_VERIFY_WITH_TIMEOUT(argsOf().contains("c=100"), 5000);
    const QByteArray secondRun = ReadAll(dayFile);
    QVERIFY(secondRun.startsWith(firstRun));
    QVERIFY(secondRun.size() > firstRun.size());
}

void TestProgram::secondStartShowsFirst()
{
    QTemporaryDir dir;
    {
        // Level 2 logs the request to show.
        QFile file(dir.filePath("bvsettings.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[debug]\r\noptions=2\r\n");
    }
    const QString log = dir.filePath("bvdebug.log");
    const QByteArray shown = "Instance request: show";
    const auto lockHeldBy = [&](qint64 pid) {
        return ReadAll(dir.filePath("bvmonitor.lock")).startsWith(QByteArray::number(pid) + '\n');
    };
    // Another start on the folder ends at once with status 0 and has the running one show itself.
    const auto startAgain = [&](int showsBefore) {
        QProcess second;
        QElapsedTimer timer;
        timer.start();
        StartProgram(second, dir.path());
        QVERIFY(second.waitForFinished(15000));
        qInfo("second start ended after %lld ms", timer.elapsed());
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(int(ReadAll(log).count(shown)), showsBefore + 1, 10000);
    };

    QProcess first;
    StartProgram(first, dir.path());
    const qint64 firstPid = first.processId();
    QTRY_VERIFY_WITH_TIMEOUT(lockHeldBy(firstPid), 10000);
    startAgain(0);
    QCOMPARE(first.state(), QProcess::Running);

    // A killed instance leaves its lock behind; it must not keep the next one out.
    ::kill(pid_t(firstPid), SIGKILL);
    QVERIFY(first.waitForFinished());
    QVERIFY(lockHeldBy(firstPid));
    QProcess third;
    StartProgram(third, dir.path());
    QTRY_VERIFY_WITH_TIMEOUT(lockHeldBy(third.processId()), 10000);
    startAgain(1);
    ::kill(pid_t(third.processId()), SIGTERM);
    QVERIFY(third.waitForFinished());
    QCOMPARE(third.exitCode(), 0);
    QVERIFY(!QFile::exists(dir.filePath("bvmonitor.lock")));
}

void TestProgram::statusForPanels()
{
    const QByteArray key = "K";
    bool answering = true;
    TLoopbackServer server;
    server.SetResponder([&](const TRecordedRequest &request) {
        if (!answering)
            return TServerAction::Drop();
        if (TLoopbackServer::Unscramble(request.Body, key) == "c=106")
            return TServerAction::Reply(TLoopbackServer::HttpReply("106\r\nAB:Alpha"));
        return TLoopbackServer::EchoResponder(key, "+AB|c1|Jan|0|1|2|1|06|20261208 101500|5|1|x|1.2.3.4\r\n"
                                                   "$AB|0|1|3|630")(request);
    });
    QTemporaryDir dir;
    WriteSettingsFor(dir.path(), server);

    // None running: nothing for the panel, and why in Dutch.
    TStatusRun none = AskStatus(dir.path());
    QCOMPARE(none.ExitCode, 3);
    QCOMPARE(none.Out, QByteArray());
    QVERIFY2(none.Err.contains("draait niet"), none.Err.constData());
    QVERIFY(!QFile::exists(dir.filePath("bvmonitor.lock")));

    QProcess program;
    StartProgram(program, dir.path());
    QTRY_COMPARE_WITH_TIMEOUT(AskStatus(dir.path()).Json().value("callers"), QJsonValue(3), 20000);
    const TStatusRun live = AskStatus(dir.path());
    QCOMPARE(live.ExitCode, 0);
    const QJsonObject json = live.Json();
    QCOMPARE(json.keys(), QStringList({"callers", "euros", "forecast", "lastReply", "minutes", "online", "quiet", "stale"}));
    QCOMPARE((QList<QJsonValue>{json["online"], json["minutes"], json["euros"], json["stale"]}),
             (QList<QJsonValue>{1, 10.5, QJsonValue::Null, false}));
    QVERIFY(QDateTime::fromString(json["lastReply"].toString(), Qt::ISODate).isValid());
    QCOMPARE(AskStatus(dir.path(), {"--format", "{callers} bellers, {online} online"}).Out, "3 bellers, 1 online\n");

    // The service goes silent: after two polls and some slack the figures are stale.
    answering = false;
    QTRY_COMPARE_WITH_TIMEOUT(AskStatus(dir.path()).Json().value("stale"), QJsonValue(true), 60000);
    QCOMPARE(program.state(), QProcess::Running);
    ::kill(pid_t(program.processId()), SIGTERM);
    QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 15000);
}

void TestProgram::qtPlatformChoice_data()
{
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<QByteArrayList>("given");
    QTest::addColumn<QByteArrayList>("expected");
    const QByteArrayList none{"bvmonitor"};
    const QByteArrayList xcb{"bvmonitor", "-platform", "xcb"};
    QTest::newRow("Wayland and X11") << QByteArray("wayland-0") << QByteArray(":0") << QByteArray() << none << xcb;
    QTest::newRow("the user's choice") << QByteArray("wayland-0") << QByteArray(":0") << QByteArray("wayland") << none
                                       << none;
    QTest::newRow("the user's argument") << QByteArray("wayland-0") << QByteArray(":0") << QByteArray()
                                         << QByteArrayList{"bvmonitor", "-platform", "wayland"}
                                         << QByteArrayList{"bvmonitor", "-platform", "wayland"};
    QTest::newRow("Wayland alone") << QByteArray("wayland-0") << QByteArray() << QByteArray() << none << none;
    QTest::newRow("X11 alone") << QByteArray() << QByteArray(":0") << QByteArray() << none << none;
}

void TestProgram::qtPlatformChoice()
{
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, chosen);
    QFETCH(QByteArrayList, given);
    QFETCH(QByteArrayList, expected);
    const QByteArray names[] = {"WAYLAND_DISPLAY", "DISPLAY", "QT_QPA_PLATFORM"};
    const QByteArray values[] = {wayland, display, chosen};
    QByteArray saved[3];
    for (int i = 0; i < 3; ++i) {
        saved[i] = qgetenv(names[i]);
        qputenv(names[i], values[i]);
    }
    std::vector<char *> argv;
    for (QByteArray &argument : given)
        argv.push_back(argument.data());
    const QByteArrayList arguments = QtArguments(int(argv.size()), argv.data());
    // The choice is the application's argument: what a trigger starts inherits nothing of it.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 0; i < 3; ++i)
        qputenv(names[i], saved[i]);
    QCOMPARE(arguments, expected);
    QCOMPARE(platform, chosen);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
