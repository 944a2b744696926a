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
constexpr int IntervalMs = 5000;
// A fault must not keep the program from ending: signing off waits 5 s at most.
constexpr int EndMs = 20000;
// What the program writes for every callers reply it has processed (debug level 4).
const QRegularExpression Sample(QStringLiteral("^Callers: \\d+, Totals: \\d+$"));

// Resident memory of a process at its peak, in kB; not asked under the sanitizers.
[[maybe_unused]] qint64 PeakResidentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// The program's debug log, without time stamps.
QStringList LogMessages(const QTemporaryDir &dir)
{
    QFile file(dir.filePath(QStringLiteral("bvdebug.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList messages;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.size() > 20)
            messages.append(QString::fromLatin1(line.mid(20)).trimmed());
    }
    return messages;
}

// Callers replies processed after the first message that starts with `after` (all of
// them when `after` is empty), or -1 while that message has not come.
int SamplesAfter(const QStringList &log, const QString &after)
{
    qsizetype from = 0;
    if (!after.isEmpty()) {
        from = log.indexOf(QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(after)));
        if (from < 0)
            return -1;
    }
    return int(log.mid(from).filter(Sample).size());
}

} // namespace

// The real program against the test service with each of its faults. Every fault strikes
// one callers request; the program must deal with it as the fault demands (see the
// columns), never send a request twice, and sign off and end cleanly on SIGTERM.
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
    // What the program logs when it meets the fault; empty: nothing in particular.
    QTest::addColumn<QString>("logged");
    // Callers replies it must process after that; -1: none, polling has stopped.
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("waitMs");

    const QString closed = QStringLiteral("Exception: Verbinding gesloten voordat het antwoord compleet was");
    const QString noAnswer = QStringLiteral("Exception: Geen antwoord van de server binnen 30 s");
    const QString refused = QStringLiteral("Polling stopped: the server refused the request");
    // A tag per kind, so each can run as a test of its own.
    QTest::newRow("delay") << "delay:7000@cmd=103,times=1" << "" << 2 << 30000;
    QTest::newRow("drop") << "drop@cmd=103,times=1" << closed << 1 << 20000;
    QTest::newRow("cut") << "cut@cmd=103,times=1" << closed << 1 << 20000;
    QTest::newRow("http") << "http:503@cmd=103,times=1"
                          << "Exception: Server antwoordde met HTTP-status 503" << 1 << 20000;
    QTest::newRow("empty") << "empty@cmd=103,times=1" << "" << 2 << 20000;
    QTest::newRow("endless") << "endless@cmd=103,times=1" << "Exception: Antwoord is te groot" << 1 << 30000;
    // No progress for 30 s (three intervals are less): broken off, and polled again.
    QTest::newRow("hang") << "hang@cmd=103,times=1" << noAnswer << 1 << 60000;
    // The head has a limit of its own, as the body has.
    QTest::newRow("headers") << "headers@cmd=103,times=1" << "Exception: Antwoord is te groot" << 1 << 20000;
    // Slow, but bytes keep coming within the limits: the reply counts.
    QTest::newRow("drip") << "drip:2000@cmd=103,times=1" << "" << 2 << 60000;
    QTest::newRow("echo") << "echo@cmd=103,times=1" << refused << -1 << 20000;
    QTest::newRow("session") << "session@cmd=103,times=1" << refused << -1 << 20000;
    QTest::newRow("garbage") << "garbage@cmd=103,times=1" << refused << -1 << 20000;
    QTest::newRow("fatal") << "fatal:<img src=\"/dev/zero\">@cmd=103,times=1"
                           << "Polling stopped: fatal reply" << -1 << 20000;
}

void TestFaults::runsThrough()
{
    QFETCH(QString, fault);
    QFETCH(QString, logged);
    QFETCH(int, samples);
    QFETCH(int, waitMs);
    QProcess service;
    service.start(QStringLiteral(BVSERVICE_PATH),
                  {"--key", Key, "--password", Password, "--rate", "30", "--speed", "30", "--fault", fault,
                   "--message", "Welkom <b>bij</b>|QUIT", "--message-every", "4", "--verbose"});
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
                       + "\r\nInterval=" + QByteArray::number(IntervalMs / 1000)
                       + "\r\n[window]\r\nBalloonTips=1\r\nInfo=1\r\n[debug]\r\noptions=6\r\n");
    }
    QProcess monitor;
    monitor.setWorkingDirectory(dir.path());
    monitor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    monitor.start(program, {});
    QVERIFY(monitor.waitForStarted());

    if (samples >= 0) {
        // Polling goes on after the fault: samples land.
        QTRY_VERIFY_WITH_TIMEOUT(SamplesAfter(LogMessages(dir), logged) >= samples, waitMs);
    } else {
        // Polling stops, and stays stopped for two intervals, the program still running.
        QTRY_VERIFY_WITH_TIMEOUT(SamplesAfter(LogMessages(dir), logged) >= 0, waitMs);
        QVERIFY2(!monitor.waitForFinished(2 * IntervalMs + 1000), "ended after a fault");
        QCOMPARE(SamplesAfter(LogMessages(dir), logged), 0);
    }
    QCOMPARE(monitor.state(), QProcess::Running);
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
    const QStringList served = QString::fromLatin1(service.readAllStandardError()).split(QLatin1Char('\n'));
    // The fault struck (a delay answers as usual), no request came twice, and the
    // sign-off came last.
    QCOMPARE(served.filter(QStringLiteral("-> fault")).size(), fault.startsWith(QLatin1String("delay")) ? 0 : 1);
    QVERIFY(served.filter(QStringLiteral("(resent)")).isEmpty());
    const QStringList posts = served.filter(QStringLiteral(" POST "));
    QVERIFY2(!posts.isEmpty() && posts.last().contains(QLatin1String("POST c=100 -> 100")),
             qPrintable(posts.join(QLatin1Char('\n'))));
    if (samples < 0)
        QCOMPARE(posts.filter(QStringLiteral("POST c=103")).size(), 1);
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
