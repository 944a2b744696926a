#include <QLocale>
#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "tTestData.h"
#include "uClock.h"
#include "uMonitor.h"
#include "uPayout.h"
#include "uSettings.h"

namespace {


// The texts of a row's columns.
QStringList RowTexts(const TListModel &rows, int row)
{
    QStringList texts;
    for (int c = 0; c < rows.ColumnCount(); ++c)
        texts.append(rows.Text(row, c));
    return texts;
}

QStringList PointTexts(const std::vector<TChartPoint> &points)
{
    QStringList texts;
    for (const TChartPoint &p : points)
        texts.append(QStringLiteral("%1=%2").arg(p.Label).arg(p.Value));
    return texts;
}

} // namespace

class TestTotals final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void simpleListHasEurosOnlyWithRules();
    void simpleRowTexts();
    void marksNewCalls();
    void detailForm();
    void detailList();
    void chartPoints_data();
    void chartPoints();

private:
    void Reply(const QStringList &lines)
    {
        m_monitor->ProcessCallersReply(QStringList{"103"} + lines);
    }

    TTotalsRows &Rows() { return m_monitor->TotalsRows(); }

    std::optional<TProcessState> m_state;
    std::unique_ptr<TBelvoraMonitor> m_monitor;
};

void TestTotals::init()
{
    m_state.emplace();
    AddTestProg("AB", "Alpha");
    AddTestProg("CD", "Delta");
    AddTestProg("EF", "Echo");
    m_monitor = std::make_unique<TBelvoraMonitor>(nullptr);
    m_monitor->PollTime = Clock::LocalSecondsNow();
}

void TestTotals::cleanup()
{
    m_monitor.reset();
    m_state.reset();
}

void TestTotals::simpleListHasEurosOnlyWithRules()
{
    Reply({"$AB|0|1|12|3600"});
    QCOMPARE(Rows().ColumnCount(), 4);
    FindPayoutRule("", true)->Amounts.Set(-1, -1, 0.25);
    ApplyPayoutRules();
    Reply({"$AB|0|1|12|3600"});
    QCOMPARE(Rows().ColumnCount(), 5);
    QCOMPARE(Rows().Text(0, 4), QString("15,00"));
}

void TestTotals::simpleRowTexts()
{
    Reply({"$AB|0|1|12|3600", "$CD|5|3|0|0"});
    QCOMPARE(Rows().RowCount(), 2);
    QCOMPARE(RowTexts(Rows(), 0), (QStringList{"Alpha", "12", "60,00", "5,00"}));
    QCOMPARE(RowTexts(Rows(), 1), (QStringList{"Delta", "0", "0,00", ""}));
    // Without new figures a row still follows a new programme name and another locale.
    TPProgs[0]->ProgName = "Alfa";
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    m_monitor->UpdateTotalsView(false);
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    QCOMPARE(RowTexts(Rows(), 0), (QStringList{"Alfa", "12", "60.00", "5.00"}));
}

void TestTotals::marksNewCalls()
{
    Reply({"$AB|0|1|1|60", "$CD|0|1|1|60"});
    QVERIFY(!Rows().Marked(0) && !Rows().Marked(1));
    Reply({"$CD|0|1|2|120"});
    QVERIFY(!Rows().Marked(0));
    QVERIFY(Rows().Marked(1));
    Reply({"$CD|0|1|2|180"});
    QVERIFY(!Rows().Marked(1));
}

void TestTotals::detailForm()
{
    m_monitor->TotalsDetail = true;
    Reply({"$AB|0|1|12|3600"});
    QCOMPARE(Rows().ColumnCount(), 14);
    QCOMPARE(Rows().Text(0, 1), QString("0"));
    QCOMPARE(Rows().Text(0, 2), QString("0,00"));
    QCOMPARE(Rows().Text(0, 3), QString("12"));
    QCOMPARE(Rows().Text(0, 4), QString("60,00"));
    QCOMPARE(Rows().Text(0, 13), QString("0"));

    // Back to the simple form: columns shrink and the rows are refilled.
    m_monitor->TotalsDetail = false;
    m_monitor->UpdateTotalsView(false);
    QCOMPARE(Rows().ColumnCount(), 4);
    QCOMPARE(RowTexts(Rows(), 0), (QStringList{"Alpha", "12", "60,00", "5,00"}));
}

void TestTotals::detailList()
{
    Reply({"$AB|0|1|12|3600"});
    QStringList rows;
    for (const TTotalsDetailRow &row : m_monitor->TotalsDetails(m_monitor->Totals[0].get()))
        rows.append(QStringLiteral("%1:%2=%3").arg(row.Access).arg(row.Caption, row.Value));
    // Every minutes entry gives a row; counts ("SMS", "Wallie" ... are counts) only when not 0.
    QCOMPARE(rows, (QStringList{"-1:Programma \"AB\"=Alpha", "0:PPM Data minuten=0,00", "1:PPM Voice bellers=12",
                                "1:PPM Voice minuten=60,00", "4:PPCPM minuten=0,00"}));
    Reply({"$AB|2|5|3|0"});
    const auto details = m_monitor->TotalsDetails(m_monitor->Totals[0].get());
    QCOMPARE(details[5], (TTotalsDetailRow{5, "SMS SMS", "3"}));
    QVERIFY(m_monitor->TotalsDetails(nullptr).empty());
}

void TestTotals::chartPoints_data()
{
    QTest::addColumn<int>("grouping");
    QTest::addColumn<bool>("shortNames");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("points");
    QTest::newRow("programme, zero kept") << 0 << false << "Minuten per programma"
                                          << QStringList{"Alpha=4", "Delta=1.01667", "Echo=0"};
    QTest::newRow("programme, short") << 0 << true << "Minuten per programma"
                                      << QStringList{"AB=4", "CD=1.01667", "EF=0"};
    QTest::newRow("access") << 1 << false << "Minuten per toegang"
                            << QStringList{"PPM Data=1", "PPM Voice=3", "PPM Countdown=0.0166667", "SMS=1"};
    QTest::newRow("programme and access")
        << 2 << false << "Minuten per programma per toegang"
        << QStringList{"Alpha PPM Voice=2", "Alpha PPM Data=1", "Alpha PPM Voice=1", "Delta PPM Countdown=0.0166667",
                       "Delta SMS=1"};
    QTest::newRow("country") << 3 << false << "Minuten per land"
                             << QStringList{"Nederland=2", "Duitsland=0.0166667", "Oostenrijk=1", "Ierland=2"};
}

void TestTotals::chartPoints()
{
    QFETCH(int, grouping);
    QFETCH(bool, shortNames);
    // One second is the least that makes a point; euros play no part.
    FindPayoutRule("", true)->Amounts.Set(-1, -1, 0.5);
    ApplyPayoutRules();
    Reply({"$AB|0|1|1|120", "$AB|4|0|1|60", "$AB|17|1|1|60", "$CD|3|3|1|1", "$CD|17|5|1|60", "$EF|3|3|1|0"});
    m_monitor->ChartGrouping = grouping;
    m_monitor->ShortNames = shortNames;
    QString title;
    const auto points = m_monitor->ChartPoints(&title);
    QTEST(title, "title");
    QTEST(PointTexts(points), "points");
}

QTEST_MAIN(TestTotals)
#include "tst_totals.moc"
