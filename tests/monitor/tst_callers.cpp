#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "tTestData.h"
#include "tRecordingPlatform.h"
#include "uClock.h"
#include "uDayStore.h"
#include "uListItems.h"
#include "uMonitor.h"
#include "uPayout.h"
#include "uSettings.h"

namespace {


// A caller line as the service sends it.
QString CallerLine(const QString &prog, const QString &id, const QString &name, int country = 0, int access = 1,
                   int seconds = 10)
{
    return QStringLiteral("+%1|%2|%3|%4|11|22|%5|0612345678|20261208 101500|%6|1765188900|promo|10.0.0.1")
        .arg(prog, id, name)
        .arg(country)
        .arg(access)
        .arg(seconds);
}

QStringList Reply(const QStringList &lines)
{
    return QStringList{"103"} + lines;
}

QStringList Captions(const TListModel &rows)
{
    QStringList captions;
    for (int i = 0; i < rows.RowCount(); ++i)
        captions.append(rows.Text(i, 0));
    return captions;
}

} // namespace

class TestCallers final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void readsCallerFields();
    void knownCallerIsUpdatedNotAdded();
    void announcesOnceNameIsKnown();
    void sixArrivalsGiveNoBalloonText();
    void longIdStaysOneCaller();
    void removesCallersThatLeft();
    void countsOnlinePerAccessType();
    void playsSounds_data();
    void playsSounds();
    void totalsAreOverwritten();
    void eurosFollowTheProgrammeAfterARefetch();
    void ignoresBadTotalsLines_data();
    void ignoresBadTotalsLines();
    void hostileRepliesDoNotCrash();
    void rowsShowCallerFields();
    void countersFollowFigures();
    void newDayClearsEverything();

private:
    TCallerRows &Rows() { return m_monitor->CallerRows(); }

    std::optional<TProcessState> m_state;
    std::unique_ptr<TBelvoraMonitor> m_monitor;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
};

void TestCallers::init()
{
    m_state.emplace();
    AddTestProg("AB", "Alpha");
    AddTestProg("CD", "Delta");
    m_platform = std::make_unique<TRecordingPlatformGuard>();
    m_monitor = std::make_unique<TBelvoraMonitor>(nullptr);
    m_monitor->PollTime = Clock::LocalSecondsNow();
    m_monitor->Pictures = {AccessTypeCount, CountryCount + 1};
}

void TestCallers::cleanup()
{
    m_monitor.reset();
    m_platform.reset();
    m_state.reset();
}

void TestCallers::readsCallerFields()
{
    m_monitor->ProcessCallersReply(Reply({CallerLine("ABX", "c1", "Jan", 7, 1, 95)}));
    QCOMPARE(int(m_monitor->Callers.size()), 1);
    const TCaller &c = *m_monitor->Callers[0];
    QCOMPARE(c.ProgCode.text(), QString("AB"));
    QCOMPARE(c.Id.text(), QString("c1"));
    QCOMPARE(c.Name.text(), QString("Jan"));
    QCOMPARE(c.Country, 7);
    QCOMPARE(c.SiteId, 11);
    QCOMPARE(c.PromoterId, 22);
    QCOMPARE(c.Access, 1);
    QCOMPARE(c.CallerId.text(), QString("0612345678"));
    QCOMPARE(c.Start.text(), QString("08-12-2026 10:15:00"));
    QCOMPARE(c.Seconds, 95);
    QCOMPARE(c.StartValue, 1765188900);
    QCOMPARE(c.Info.text(), QString("promo"));
    QCOMPARE(c.IP.text(), QString("10.0.0.1"));

    // Missing fields at the end leave the rest empty; the caller still counts.
    m_monitor->ProcessCallersReply(Reply({"+CD|c2|Piet"}));
    QCOMPARE(int(m_monitor->Callers.size()), 1);
    QCOMPARE(m_monitor->Callers[0]->Name.text(), QString("Piet"));
    QCOMPARE(m_monitor->Callers[0]->Seconds, 0);
}

void TestCallers::knownCallerIsUpdatedNotAdded()
{
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "Jan", 0, 1, 10), CallerLine("AB", "c2", "Kees")}));
    const TListRowKey row = m_monitor->Callers[0]->ListItem;
    QCOMPARE(m_monitor->NewCallerCount, 2);

    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c2", "Kees"), CallerLine("CD", "c1", "Jantje", 0, 2, 70)}));
    QCOMPARE(int(m_monitor->Callers.size()), 2);
    const TCaller &c = *m_monitor->Callers[0];
    QCOMPARE(c.Id.text(), QString("c1"));
    QCOMPARE(c.Seconds, 70);
    QCOMPARE(c.ProgCode.text(), QString("CD"));
    QCOMPARE(c.ListItem, row);
    QCOMPARE(Rows().RowOf(row), 0);
    QCOMPARE(Rows().Record(0), &c);
    QCOMPARE(Rows().ImageIndex(0), 2); // another access type, the same country
    QCOMPARE(Rows().RowCount(), 2);
    QCOMPARE(Rows().Text(0, 0), QString("Delta: Jantje"));
    QCOMPARE(m_monitor->NewCallerCount, 0);
    QCOMPARE(m_monitor->NewCallersText, QString());
    // The same reply again leaves every row as it is.
    QSignalSpy touched(&Rows(), &QAbstractItemModel::dataChanged);
    QSignalSpy published(&Rows(), &TListModel::Published);
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c2", "Kees"), CallerLine("CD", "c1", "Jantje", 0, 2, 70)}));
    QCOMPARE(touched.count(), 0);
    // A new length is one cell, told once, after a caller that left and one that came.
    m_monitor->ProcessCallersReply(Reply({CallerLine("CD", "c1", "Jantje", 0, 2, 71), CallerLine("AB", "c3", "Piet")}));
    QCOMPARE(touched.count(), 1);
    QCOMPARE(touched[0][0].toModelIndex(), Rows().index(0, TimeColumn));
    QCOMPARE(touched[0][1].toModelIndex(), Rows().index(0, TimeColumn));
    QCOMPARE(published.count(), 2);
    QCOMPARE(Captions(Rows()), (QStringList{"Delta: Jantje", "Alpha: Piet"}));
    // New lengths on neighbouring rows: one notice over both.
    touched.clear();
    m_monitor->ProcessCallersReply(Reply({CallerLine("CD", "c1", "Jantje", 0, 2, 81), CallerLine("AB", "c3", "Piet", 0, 1, 11)}));
    QCOMPARE(touched.count(), 1);
    QCOMPARE(touched[0][0].toModelIndex(), Rows().index(0, TimeColumn));
    QCOMPARE(touched[0][1].toModelIndex(), Rows().index(1, TimeColumn));
    QCOMPARE(Rows().Text(0, TimeColumn), QString("00:01:21"));
    // Pictures stand in the first column only.
    QCOMPARE(Rows().data(Rows().index(0, 0), TListModel::ImageIndexRole).toInt(), Rows().ImageIndex(0));
    QCOMPARE(Rows().data(Rows().index(0, TimeColumn), TListModel::ImageIndexRole).toInt(), -1);
    QCOMPARE(Rows().data(Rows().index(0, TimeColumn), TListModel::StateIndexRole).toInt(), -1);
}

void TestCallers::announcesOnceNameIsKnown()
{
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "?")}));
    QCOMPARE(m_monitor->NewCallerCount, 0);
    QCOMPARE(Rows().Text(0, 0), QString("Alpha: ?"));

    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "Anna?")}));
    QCOMPARE(m_monitor->NewCallerCount, 1);
    QCOMPARE(m_monitor->NewCallersText, QString("Alpha: Anna?\r\n"));

    // A name that merely holds a "?" is not news at every poll.
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "Anna?")}));
    QCOMPARE(m_monitor->NewCallerCount, 0);
}

void TestCallers::sixArrivalsGiveNoBalloonText()
{
    QStringList five;
    for (int i = 0; i < 5; ++i)
        five.append(CallerLine("AB", QString("a%1").arg(i), QString("N%1").arg(i)));
    m_monitor->ProcessCallersReply(Reply(five));
    QCOMPARE(m_monitor->NewCallerCount, 5);
    QCOMPARE(m_monitor->NewCallersText.count("\r\n"), 5);

    QStringList six = five;
    for (int i = 0; i < 6; ++i)
        six.append(CallerLine("CD", QString("b%1").arg(i), QString("M%1").arg(i)));
    m_monitor->ProcessCallersReply(Reply(six));
    QCOMPARE(m_monitor->NewCallerCount, 6);
    QCOMPARE(m_monitor->NewCallersText, QString());
}

void TestCallers::longIdStaysOneCaller()
{
    const QString id = QString(30, 'x');
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", id, "Lang")}));
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", id, "Lang")}));
    QCOMPARE(int(m_monitor->Callers.size()), 1);
    QCOMPARE(m_monitor->NewCallerCount, 0);
    QCOMPARE(m_monitor->Callers[0]->Id.text(), QString(20, 'x'));
}

void TestCallers::removesCallersThatLeft()
{
    TCaller *shown = nullptr;
    int cleared = 0;
    m_monitor->Details.ShownCaller = [&shown] { return shown; };
    m_monitor->Details.ShowNoCaller = [&] {
        shown = nullptr;
        ++cleared;
    };
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "A"), CallerLine("AB", "c2", "B")}));
    shown = m_monitor->Callers[0].get();
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c2", "B")}));
    QCOMPARE(cleared, 1);
    QCOMPARE(int(m_monitor->Callers.size()), 1);
    QCOMPARE(Captions(Rows()), QStringList{"Alpha: B"});

    // Only the echo: everybody left.
    m_monitor->ProcessCallersReply(Reply({}));
    QVERIFY(m_monitor->Callers.empty());
    QCOMPARE(Rows().RowCount(), 0);
}

void TestCallers::countsOnlinePerAccessType()
{
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "A", 0, 1), CallerLine("AB", "c2", "B", 0, 1),
                                          CallerLine("AB", "c3", "C", 3, 5), CallerLine("AB", "t", "Test", 99, 99),
                                          CallerLine("AB", "n", "Neg", 0, -4),
                                          CallerLine("AB", "o", "Over", 0, AccessTypeCount)}));
    QCOMPARE(m_monitor->Figures.OnlineByAccess[1], 2);
    QCOMPARE(m_monitor->Figures.OnlineByAccess[5], 1);
    // A type past the last counts nowhere, and certainly not among the calls.
    QCOMPARE(m_monitor->Figures.CallsByAccess[0], 0);
    QCOMPARE(m_monitor->OnlineNow(), 3);
    QCOMPARE(int(m_monitor->Callers.size()), 6);
    // A test call's flag is the first picture, when there is one.
    QCOMPARE(FlagIndex(TestCallCode, TPictureCounts{AccessTypeCount, 1}), 0);
    QCOMPARE(FlagIndex(TestCallCode, TPictureCounts{AccessTypeCount, 0}), -1);
}

void TestCallers::playsSounds_data()
{
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<bool>("soundOn");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<QStringList>("expected");
    const QString a = CallerLine("AB", "a", "A");
    const QString b = CallerLine("AB", "b", "B");
    const QString c = CallerLine("AB", "c", "C");
    QTest::newRow("one more") << QStringList{a, b, c} << true << false << QStringList{"sound-async:up.wav"};
    QTest::newRow("one fewer") << QStringList{a} << true << false << QStringList{"sound-async:down.wav"};
    QTest::newRow("one left, one came") << QStringList{a, c} << true << false << QStringList{};
    QTest::newRow("sound off") << QStringList{a, b, c} << false << false << QStringList{};
    QTest::newRow("quiet") << QStringList{a, b, c} << true << true << QStringList{};
}

void TestCallers::playsSounds()
{
    QFETCH(QStringList, second);
    QFETCH(bool, soundOn);
    QFETCH(bool, quiet);
    QFETCH(QStringList, expected);
    m_monitor->IsQuiet = [quiet] { return quiet; };
    Settings.SoundUp = "up.wav";
    Settings.SoundDown = "down.wav";
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "a", "A"), CallerLine("AB", "b", "B")}));
    m_platform->Events().clear();
    Settings.SoundOn = soundOn;
    m_monitor->ProcessCallersReply(Reply(second));
    QCOMPARE(m_platform->Events(), expected);
}

void TestCallers::totalsAreOverwritten()
{
    FindPayoutRule("AB", true)->Amounts.Set(-1, -1, 0.10);
    FindPayoutRule("AB", true)->Amounts.Set(0, 2, 0.50);
    ApplyPayoutRules();
    m_monitor->ProcessCallersReply(Reply({"$AB|0|1|3|600", "$ AB |0|2|3|600", "$AB|1|2|3|600", "$AB|0|1|1|60"}));
    QVERIFY(m_monitor->TotalsSeen);
    QCOMPARE(int(m_monitor->Totals.size()), 1);
    const TTotals &t = *m_monitor->Totals[0];
    QCOMPARE(t.Calls[0][1], 1); // the second line for a cell wins
    QCOMPARE(t.Seconds[0][1], 60);
    QCOMPARE(t.Euros[0][1], 0.1);
    QCOMPARE(t.Euros[0][2], 1.5);
    QCOMPARE(t.Euros[1][2], 0.3);
    QCOMPARE(m_monitor->Figures.CallsByAccess[2], 6);
    QCOMPARE(m_monitor->Figures.SecondsByAccess[1], 60);
    QCOMPARE(m_monitor->CallsToday(), 7);

    // A reply without totals lines leaves the figures as they were.
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "A")}));
    QCOMPARE(m_monitor->CallsToday(), 7);
    QVERIFY(!m_monitor->TotalsSeen);
}

void TestCallers::eurosFollowTheProgrammeAfterARefetch()
{
    FindPayoutRule("CD", true)->Amounts.Set(-1, -1, 0.10);
    FindPayoutRule("GH", true)->Amounts.Set(-1, -1, 4.00);
    ApplyPayoutRules();
    m_monitor->ProcessCallersReply(Reply({"$CD|0|1|1|600"}));
    QCOMPARE(m_monitor->Totals[0]->Euros[0][1], 1.0);
    // Fetched again (an account key was removed) in another order: CD is now first.
    ProgsFetched(true, {"106", "CD:Delta", "GH:Golf"});
    m_monitor->ProcessCallersReply(Reply({"$CD|0|1|1|600"}));
    QCOMPARE(m_monitor->Totals[0]->Euros[0][1], 1.0);
    QCOMPARE(m_monitor->EurosCounterValue(), 1);
    const TDayStore &history = m_monitor->DayStore();
    QCOMPARE(history.Sample(history.Count() - 1).Cents, 100);
    QCOMPARE(m_monitor->TotalsRows().Text(0, 4), QString("1,00"));
}

void TestCallers::ignoresBadTotalsLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("records");
    QTest::newRow("unknown programme") << "$XY|0|1|3|600" << 0;
    QTest::newRow("empty code") << "$ |0|1|3|600" << 0;
    QTest::newRow("country 18") << "$AB|18|1|3|600" << 1;
    QTest::newRow("access 17") << "$AB|0|17|3|600" << 1;
    QTest::newRow("negative country") << "$AB|-1|1|3|600" << 1;
    QTest::newRow("other record") << "=AB|0|1|3|600" << 0;
    QTest::newRow("echo-like") << "103|AB|0|1" << 0;
}

void TestCallers::ignoresBadTotalsLines()
{
    QFETCH(QString, line);
    QFETCH(int, records);
    m_monitor->ProcessCallersReply(Reply({line}));
    QCOMPARE(int(m_monitor->Totals.size()), records);
    if (records > 0)
        QCOMPARE(m_monitor->Totals[0]->Updated, 0);
    QCOMPARE(m_monitor->CallsToday(), 0);
}

void TestCallers::hostileRepliesDoNotCrash()
{
    QStringList lines;
    lines.append(QString("+AB|wide") + QString("|x").repeated(10000));
    lines.append("");
    lines.append("+");
    lines.append("$");
    lines.append("$AB|0|1|2147483647|2147483647");
    lines.append("$AB|1|1|2147483647|2147483647");
    for (int i = 0; i < 100000; ++i)
        lines.append("=junk");
    lines.append(CallerLine("AB", "last", "Laatste"));
    TPProgs.clear(); // totals records may outlive the programme list
    AddTestProg("AB", "Alpha");
    m_monitor->ProcessCallersReply(Reply(lines));
    // Lines after an empty one are still read; sums saturate.
    QCOMPARE(m_monitor->Callers.back()->Id.text(), QString("last"));
    QCOMPARE(m_monitor->CallsToday(), 2147483647);

    // The record outlives its programme: cells still count, euros stay.
    TPProgs.clear();
    m_monitor->ProcessCallersReply(Reply({"$AB|0|1|4|400"}));
    QCOMPARE(m_monitor->Totals[0]->Calls[0][1], 4);
    QVERIFY(!m_monitor->Busy);
}

void TestCallers::rowsShowCallerFields()
{
    m_monitor->ProcessCallersReply(Reply({CallerLine("AB", "c1", "Jan", 99, 99, 3779),
                                          CallerLine("AB", "c2", "Piet", 17, 16, 90000),
                                          CallerLine("ZZ", "c3", "Onbekend", 18, 17, 5)}));
    QCOMPARE(Rows().Text(0, 1), QString("01:02:59"));
    QCOMPARE(Rows().Text(0, 2), QString("0612345678"));
    QCOMPARE(Rows().Text(0, 3), QString("08-12-2026 10:15:00"));
    QCOMPARE(Rows().Text(0, 4), QString("promo"));
    QCOMPARE(Rows().ImageIndex(0), -1);
    QCOMPARE(Rows().StateIndex(0), 0);
    QCOMPARE(Rows().Text(1, 1), QString("01:00:00"));
    QCOMPARE(Rows().ImageIndex(1), 16);
    QCOMPARE(Rows().StateIndex(1), 18);
    QCOMPARE(Rows().Text(2, 0), QString("ZZ: Onbekend"));
    QCOMPARE(Rows().ImageIndex(2), -1);
    QCOMPARE(Rows().StateIndex(2), -1);
}

void TestCallers::countersFollowFigures()
{
    QSignalSpy moved(m_monitor.get(), &TBelvoraMonitor::FiguresChanged);
    FindPayoutRule("", true)->Amounts.Set(-1, -1, 0.5);
    ApplyPayoutRules();
    m_monitor->ProcessCallersReply(Reply({"$AB|0|1|3|90", "$AB|0|2|25|0", CallerLine("AB", "c", "C")}));
    QCOMPARE(m_monitor->OnlineNow(), 1);
    QCOMPARE(m_monitor->CallsToday(), 28);
    QCOMPARE(m_monitor->MinutesCounterValue(), 150);
    QCOMPARE(m_monitor->EurosCounterValue(), 13); // 0.75 + 12.50
    m_monitor->ProcessCallersReply(Reply({"$AB|0|1|3|150"}));
    QCOMPARE(m_monitor->OnlineNow(), 0);
    QCOMPARE(m_monitor->MinutesCounterValue(), 250);
    QCOMPARE(moved.count(), 2);
}

void TestCallers::newDayClearsEverything()
{
    m_monitor->ProcessCallersReply(Reply({"$AB|0|1|3|90", CallerLine("AB", "c", "C")}));
    m_monitor->NewDay();
    QVERIFY(m_monitor->Callers.empty());
    QVERIFY(m_monitor->Totals.empty());
    QCOMPARE(m_monitor->CallsToday(), 0);
    QCOMPARE(m_monitor->OnlineNow(), 0);
    QCOMPARE(Rows().RowCount(), 0);
    QCOMPARE(m_monitor->TotalsRows().RowCount(), 0);
}

QTEST_MAIN(TestCallers)
#include "tst_callers.moc"
