#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <optional>

#include "tLoopbackServer.h"
#include "tProcessState.h"
#include "uClock.h"
#include "uFetcher.h"
#include "uDayStore.h"
#include "uMonitor.h"
#include "uSettings.h"
#include "uTriggers.h"

namespace {

const QByteArray Key = "K3y";

QByteArray CallersReply(const QByteArray &lines)
{
    return TLoopbackServer::HttpReply(TLoopbackServer::Scramble("103\r\n" + lines, Key));
}

} // namespace

// The poll cycle against a real loopback server: one request at a time, the failure
// path, and never getting stuck busy.
class TestPollCycle final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void ticksWhileBusyQueueNothing();
    void refusedReplyChangesNothing();
    void keepsPollingAfterFailedTransfers();
    void cancelledRequestReturnsToIdle();
    void pollQueuedAtSignOffIsSentOnResume();
    void firstPollAfterMidnightClearsTheDayTwice();

private:
    std::optional<TProcessState> m_state;
    std::unique_ptr<QObject> m_owner;
    std::unique_ptr<TLoopbackServer> m_server;
    std::unique_ptr<TFetcher> m_connector;
    TBelvoraMonitor *m_monitor = nullptr;
};

void TestPollCycle::init()
{
    m_state.emplace();
    m_server = std::make_unique<TLoopbackServer>();
    Settings.FetchUrl = m_server->Url().toString();
    Settings.Key = QString::fromLatin1(Key);
    Settings.Password = "pw";
    auto prog = std::make_unique<TPProgItem>();
    prog->ProgCode = "AB";
    prog->ProgName = "Alpha";
    TPProgs.push_back(std::move(prog));

    m_owner = std::make_unique<QObject>();
    m_connector = std::make_unique<TFetcher>();
    SetConnector(m_connector.get());
    m_monitor = new TBelvoraMonitor(m_owner.get());
}

void TestPollCycle::cleanup()
{
    m_owner.reset();
    m_connector.reset();
    m_server.reset();
    m_state.reset();
}

void TestPollCycle::ticksWhileBusyQueueNothing()
{
    // The post blocks inside its own event loop: ticks arrive in the middle of it.
    TServerAction slow = TServerAction::Reply(
        CallersReply("+AB|c1|Jan|0|1|2|1|06|20261208 101500|5|1|x|1.2.3.4\r\n$AB|0|1|3|600"));
    slow.Steps.first().DelayMs = 400;
    m_server->Enqueue(slow);
    m_monitor->Update();
    QVERIFY(m_monitor->Busy);
    int queuedDuringPost = -1;
    bool busyDuringPost = false;
    QTimer::singleShot(150, this, [&] {
        m_monitor->Update();
        m_monitor->Update();
        busyDuringPost = m_monitor->Busy;
        queuedDuringPost = Connector()->QueuedCount();
    });
    QTRY_VERIFY_WITH_TIMEOUT(!m_monitor->Busy, 10000);
    QVERIFY(busyDuringPost);
    QCOMPARE(queuedDuringPost, 1); // only the running one
    QCOMPARE(int(m_monitor->Callers.size()), 1);
    QCOMPARE(m_monitor->CallsToday(), 3);
    QCOMPARE(m_monitor->DayStore().Count(), 1);
    QCOMPARE(m_server->Requests.size(), 1);
}

void TestPollCycle::refusedReplyChangesNothing()
{
    m_server->Enqueue(TServerAction::Reply(CallersReply("+AB|c1|Jan|0|1|2|1|06|20261208 101500|5|1|x|1.2.3.4")));
    m_monitor->Update();
    QTRY_VERIFY(!m_monitor->Busy);
    const int samples = m_monitor->DayStore().Count();

    QSignalSpy failed(m_monitor, &TBelvoraMonitor::FetchFailed);
    m_server->Enqueue(TServerAction::Reply(TLoopbackServer::HttpReply("!\r\n")));
    m_monitor->Update();
    QTRY_COMPARE(failed.size(), 1);
    QVERIFY(!m_monitor->Busy);
    QCOMPARE(m_monitor->NewCallerCount, 0); // the arrival of the poll before is not announced again
    QVERIFY(Connector()->ErrorCount() > 0);
    QCOMPARE(int(m_monitor->Callers.size()), 1);
    QCOMPARE(m_monitor->DayStore().Count(), samples);
}

void TestPollCycle::keepsPollingAfterFailedTransfers()
{
    QSignalSpy failed(m_monitor, &TBelvoraMonitor::FetchFailed);
    // A connection broken in the middle of the reply is a failed transfer at once.
    const TServerAction broken{{{0, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n103\r\n"}}, true};
    for (int i = 1; i <= 5; ++i) {
        m_server->Enqueue(broken);
        m_monitor->Update();
        QTRY_COMPARE(failed.size(), i);
        QVERIFY(!m_monitor->Busy);
    }
    QCOMPARE(Connector()->FailCount(), 5);

    m_server->Enqueue(TServerAction::Reply(CallersReply("$AB|0|1|2|60")));
    m_monitor->Update();
    QTRY_VERIFY(!m_monitor->Busy);
    QCOMPARE(m_monitor->CallsToday(), 2);
    QCOMPARE(Connector()->FailCount(), 0);
}

void TestPollCycle::cancelledRequestReturnsToIdle()
{
    QSignalSpy failed(m_monitor, &TBelvoraMonitor::FetchFailed);
    m_server->Enqueue(TServerAction::Hang());
    m_monitor->Update();
    // The user presses "Afbreken" while the post hangs.
    bool clicked = false;
    QTimer::singleShot(300, this, [&] {
        if (Connector()->Busy()) {
            Connector()->Cancel();
            clicked = true;
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(!m_monitor->Busy, 10000);
    QVERIFY(clicked);
    QCOMPARE(failed.size(), 1);

    m_server->Enqueue(TServerAction::Reply(CallersReply("$AB|0|1|2|60")));
    m_monitor->Update();
    QTRY_VERIFY(!m_monitor->Busy);
    QCOMPARE(m_monitor->CallsToday(), 2);
}

void TestPollCycle::pollQueuedAtSignOffIsSentOnResume()
{
    m_server->SetResponder(TLoopbackServer::EchoResponder(Key, "$AB|0|1|2|60"));
    m_monitor->Update();
    Connector()->SignOff(false); // the user stops before the pump sent the poll
    QTRY_COMPARE(m_server->Requests.size(), 1);
    QTest::qWait(200);
    QCOMPARE(m_server->Requests.size(), 1); // only the sign-off
    QVERIFY(m_monitor->Busy);

    Connector()->Resume(); // started again
    QTRY_VERIFY(!m_monitor->Busy);
    QCOMPARE(m_monitor->CallsToday(), 2);
}

void TestPollCycle::firstPollAfterMidnightClearsTheDayTwice()
{
    QDateTime now(QDate(2026, 12, 8), QTime(23, 59, 50));
    Clock::SetNowFunction([&now] { return now; });
    auto *monitor = new TBelvoraMonitor(m_owner.get());
    m_server->SetResponder(
        TLoopbackServer::EchoResponder(Key, "+AB|c1|Jan|0|1|2|1|06|20261208 101500|5|1|x|1.2.3.4\r\n$AB|0|1|3|600"));
    monitor->Update();
    QTRY_VERIFY(!monitor->Busy);
    QCOMPARE(int(monitor->Callers.size()), 1);
    TTriggers.clear();
    AddTrigger(TTriggers, "", "", "", 0, 0, 0, 0, true, 0)->State = TriggerState::ConditionTrue;

    // Midnight itself: the old day goes before the request does.
    now = QDateTime(QDate(2026, 12, 9), QTime(0, 0));
    monitor->Update();
    QVERIFY(monitor->Callers.empty());
    QCOMPARE(monitor->CallsToday(), 0);
    QCOMPARE(TTriggers[0]->State, TriggerState::NotEvaluated);
    QCOMPARE(monitor->NextMidnight, Clock::LocalSeconds(QDateTime(QDate(2026, 12, 10), QTime(0, 0))));
    // Its reply starts the day file's new day, which clears what the reply had just filled.
    QTRY_VERIFY(!monitor->Busy);
    QVERIFY(monitor->Callers.empty());
    QCOMPARE(monitor->CallsToday(), 0);
    QCOMPARE(monitor->DayStore().Count(), 1);
    QCOMPARE(monitor->DayStore().DayStart(), Clock::LocalSeconds(now));

    now = now.addSecs(10);
    monitor->Update();
    QTRY_VERIFY(!monitor->Busy);
    QCOMPARE(int(monitor->Callers.size()), 1);
    QCOMPARE(monitor->CallsToday(), 3);
}

QTEST_MAIN(TestPollCycle)
#include "tst_pollcycle.moc"
