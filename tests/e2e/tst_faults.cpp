#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr char Key[] = "FAULT-KEY-0001";
constexpr char Password[] = "pw";
// How long the program runs against the failing service.
constexpr int RunMs = 10000;
// A fault must not keep the program from ending: signing off waits 5 s at most.
constexpr int EndMs = 20000;

// Resident memory of a process at its peak, in kB.
qint64 PeakResidentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

} // namespace

// The real program against the test service with each of its faults: for ten seconds it
// must neither crash nor hang, and then end cleanly on SIGTERM.
class TestFaults final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runsThrough_data();
    void runsThrough();
};

void TestFaults::runsThrough_data()
{
    QTest::addColumn<QString>("fault");
    // A tag per kind, so each can run as a test of its own.
    QTest::newRow("delay") << "delay:7000@every=2";
    QTest::newRow("drop") << "drop@every=2";
    QTest::newRow("cut") << "cut@every=2";
    QTest::newRow("http") << "http:503@every=3";
    QTest::newRow("echo") << "echo@cmd=103,every=2";
    QTest::newRow("session") << "session@cmd=103,skip=1";
    QTest::newRow("garbage") << "garbage@every=2";
    QTest::newRow("empty") << "empty@every=2";
    QTest::newRow("fatal") << "fatal:<img src=\"/dev/zero\">@cmd=103,skip=1";
    QTest::newRow("hang") << "hang@cmd=103,skip=1";
    QTest::newRow("endless") << "endless@cmd=103,skip=1";
}

void TestFaults::runsThrough()
{
    QFETCH(QString, fault);
    QProcess service;
    service.start(QStringLiteral(BVSERVICE_PATH),
                  {"--key", Key, "--password", Password, "--rate", "30", "--speed", "30", "--fault", fault,
                   "--message", "Welkom <b>bij</b>|QUIT", "--message-every", "4"});
    QVERIFY(service.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(service.canReadLine(), 10000);
    const QString url =
        QRegularExpression(QStringLiteral("http://127\\.0\\.0\\.1:\\d+/")).match(QString::fromLatin1(service.readLine())).captured();
    QVERIFY(!url.isEmpty());

    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("bvmonitor"));
    QVERIFY(QFile::copy(QStringLiteral(BVMONITOR_PATH), program));
    {
        QFile settings(dir.filePath(QStringLiteral("bvsettings.ini")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[settings]\r\nfetchurl=" + url.toLatin1() + "\r\nkey=" + Key + "\r\npassword=" + Password
                       + "\r\nInterval=5\r\n[window]\r\nBalloonTips=1\r\nInfo=1\r\n[debug]\r\noptions=6\r\n");
    }
    QProcess monitor;
    monitor.setWorkingDirectory(dir.path());
    monitor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    monitor.start(program, {});
    QVERIFY(monitor.waitForStarted());

    // Neither a crash nor an exit of its own while the faults come in.
    QVERIFY2(!monitor.waitForFinished(RunMs), qPrintable(QStringLiteral("ended after a fault, status %1, code %2")
                                                             .arg(monitor.exitStatus())
                                                             .arg(monitor.exitCode())));
#ifndef BV_SANITIZED
    // However long the answer, the program takes no more than its reply limit allows.
    const qint64 peakKb = PeakResidentKb(monitor.processId());
    QVERIFY2(peakKb > 0 && peakKb < 150 * 1024, qPrintable(QStringLiteral("peak %1 kB").arg(peakKb)));
#endif
    ::kill(pid_t(monitor.processId()), SIGTERM);
    QVERIFY2(monitor.waitForFinished(EndMs), "did not end on SIGTERM");
    QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(monitor.exitCode(), 0);
    // It saved what it had, as at any end.
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("History/") + QDate::currentDate().toString("dd-MM-yyyy")
                                       + QStringLiteral(".hlg"))));

    service.terminate();
    QVERIFY(service.waitForFinished(EndMs));
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
