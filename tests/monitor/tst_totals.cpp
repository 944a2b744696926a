#include <QChart>
#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QGraphicsTextItem>
#include <QXYSeries>
#include <QLocale>
#include <QPieSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "tTestData.h"
#include "uClock.h"
#include "uMonitor.h"
#include "uPayout.h"
#include "uSettings.h"

namespace {


// The texts of the columns the view shows.
QStringList RowTexts(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int c = 0; c < item->treeWidget()->columnCount(); ++c)
        texts.append(item->text(c));
    return texts;
}

QStringList SceneTexts(const QGraphicsScene *scene)
{
    QStringList texts;
    for (QGraphicsItem *item : scene->items()) {
        if (const auto *text = dynamic_cast<QGraphicsTextItem *>(item))
            texts.append(text->toPlainText());
    }
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
    void initTestCase();
    void init();
    void cleanup();
    void simpleListHasEurosOnlyWithRules();
    void simpleRowTexts();
    void selectionMarksNewCalls();
    void detailForm();
    void detailList();
    void chartPoints_data();
    void chartPoints();
    void chartStyles();

private:
    void Reply(const QStringList &lines)
    {
        m_monitor->ProcessCallersReply(QStringList{"103"} + lines);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QTreeWidget> m_view;
    std::unique_ptr<TBelvoraMonitor> m_monitor;
};

void TestTotals::initTestCase()
{
    ProgramDir = m_dir.path() + "/";
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
}

void TestTotals::init()
{
    TPProgs.clear();
    PayoutRules.clear();
    AddTestProg("AB", "Alpha");
    AddTestProg("CD", "Delta");
    AddTestProg("EF", "Echo");
    m_view = std::make_unique<QTreeWidget>();
    m_view->setHeaderLabels({"Programma", "Bellers", "Minuten", "Gemiddeld"});
    m_view->setSelectionMode(QAbstractItemView::MultiSelection);
    m_view->show();
    m_monitor = std::make_unique<TBelvoraMonitor>(nullptr);
    m_monitor->TotalsView = m_view.get();
    m_monitor->PollTime = Clock::LocalSecondsNow();
}

void TestTotals::cleanup()
{
    m_monitor.reset();
    m_view.reset();
}

void TestTotals::simpleListHasEurosOnlyWithRules()
{
    Reply({"$AB|0|1|12|3600"});
    QCOMPARE(m_view->columnCount(), 4);
    FindPayoutRule("", true)->Amounts.Set(-1, -1, 0.25);
    ApplyPayoutRules();
    Reply({"$AB|0|1|12|3600"});
    QCOMPARE(m_view->columnCount(), 5);
    QCOMPARE(m_view->headerItem()->text(4), QString("Euro's"));
    QCOMPARE(m_view->headerItem()->text(0), QString("Programma"));
    QCOMPARE(m_view->topLevelItem(0)->text(4), QString("15,00"));
}

void TestTotals::simpleRowTexts()
{
    m_view->hide(); // its tab is not the current one: the list is filled all the same
    Reply({"$AB|0|1|12|3600", "$CD|5|3|0|0"});
    QCOMPARE(m_view->topLevelItemCount(), 2);
    QCOMPARE(RowTexts(m_view->topLevelItem(0)), (QStringList{"Alpha", "12", "60,00", "5,00"}));
    QCOMPARE(RowTexts(m_view->topLevelItem(1)), (QStringList{"Delta", "0", "0,00", ""}));
    // Without new figures a row still follows a new programme name and another locale.
    TPProgs[0]->ProgName = "Alfa";
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    m_monitor->UpdateTotalsView(false);
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    QCOMPARE(RowTexts(m_view->topLevelItem(0)), (QStringList{"Alfa", "12", "60.00", "5.00"}));
}

void TestTotals::selectionMarksNewCalls()
{
    Reply({"$AB|0|1|1|60", "$CD|0|1|1|60"});
    QVERIFY(!m_view->topLevelItem(0)->isSelected() && !m_view->topLevelItem(1)->isSelected());
    Reply({"$CD|0|1|2|120"});
    QVERIFY(!m_view->topLevelItem(0)->isSelected());
    QVERIFY(m_view->topLevelItem(1)->isSelected());
    Reply({"$CD|0|1|2|180"});
    QVERIFY(!m_view->topLevelItem(1)->isSelected());
}

void TestTotals::detailForm()
{
    m_monitor->TotalsDetail = true;
    Reply({"$AB|0|1|12|3600"});
    QCOMPARE(m_view->columnCount(), 14);
    QCOMPARE(m_view->headerItem()->text(1), QString("bellers"));
    QCOMPARE(m_view->headerItem()->text(5), QString("gesprekken"));
    QCOMPARE(m_view->headerItem()->text(13), QString("iDeal"));
    const QTreeWidgetItem *row = m_view->topLevelItem(0);
    QCOMPARE(row->text(1), QString("0"));
    QCOMPARE(row->text(2), QString("0,00"));
    QCOMPARE(row->text(3), QString("12"));
    QCOMPARE(row->text(4), QString("60,00"));

    // Back to the simple form: columns shrink and the rows are refilled.
    m_monitor->TotalsDetail = false;
    m_monitor->UpdateTotalsView(false);
    QCOMPARE(m_view->columnCount(), 4);
    QCOMPARE(m_view->headerItem()->text(0), QString("Programma"));
    QCOMPARE(RowTexts(m_view->topLevelItem(0)), (QStringList{"Alpha", "12", "60,00", "5,00"}));
}

void TestTotals::detailList()
{
    Reply({"$AB|0|1|12|3600"});
    QTreeWidget details;
    details.setHeaderLabels({"Item", "Waarde"});
    m_monitor->ShowTotalsDetails(&details, m_monitor->Totals[0].get());
    QStringList rows;
    for (int i = 0; i < details.topLevelItemCount(); ++i)
        rows.append(RowTexts(details.topLevelItem(i)).join('='));
    // Every minutes entry gives a row; counts ("SMS", "Wallie" ... are counts) only when not 0.
    QCOMPARE(rows, (QStringList{"Programma \"AB\"=Alpha", "PPM Data minuten=0,00", "PPM Voice bellers=12",
                                "PPM Voice minuten=60,00", "PPCPM minuten=0,00"}));
    Reply({"$AB|2|5|3|0"});
    m_monitor->ShowTotalsDetails(&details, m_monitor->Totals[0].get());
    QCOMPARE(RowTexts(details.topLevelItem(5)), (QStringList{"SMS SMS", "3"}));
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

void TestTotals::chartStyles()
{
    QChartView view;
    view.show();
    m_monitor->SetChart(view.chart());
    Reply({"$AB|0|1|1|120", "$CD|17|5|1|60"});
    for (int style : {0, 1, 2, 3, 4, 6}) {
        m_monitor->SetChartStyle(style);
        QCOMPARE(view.chart()->series().size(), 1);
        QCOMPARE(view.chart()->axes().size(), 2);
        // The programmes stand along the bottom, or along the left for horizontal bars.
        QVERIFY(qobject_cast<QBarCategoryAxis *>(
            view.chart()->axes(style == 4 ? Qt::Vertical : Qt::Horizontal).value(0)));
        if (auto *bars = qobject_cast<QAbstractBarSeries *>(view.chart()->series().first()))
            QCOMPARE(bars->count(), 1);
        if (auto *xy = qobject_cast<QXYSeries *>(view.chart()->series().first()))
            QCOMPARE(xy->count(), 2); // one point a programme
        // New minutes go into the series in place, along the same names.
        QAbstractSeries *series = view.chart()->series().first();
        Reply({"$AB|0|1|1|" + QString::number(180 + 60 * style)});
        QCOMPARE(view.chart()->series().first(), series);
        if (auto *bars = qobject_cast<QAbstractBarSeries *>(series))
            QCOMPARE(bars->barSets().first()->at(0), 3.0 + style);
        if (auto *xy = qobject_cast<QXYSeries *>(series))
            QCOMPARE(xy->at(0).y(), 3.0 + style);
        QVERIFY(view.chart()->axes().first()->isVisible());
        QCOMPARE(view.chart()->title(), QString("Minuten per programma"));
    }
    for (int style : {5, 9}) {
        m_monitor->SetChartStyle(style);
        auto *pie = qobject_cast<QPieSeries *>(view.chart()->series().value(0));
        QVERIFY(pie);
        QCOMPARE(pie->count(), 2);
        QCOMPARE(pie->slices().first()->label(), QString("Alpha"));
    }
    // A poll that changes nothing leaves the series alone; new minutes go into it in place.
    Reply({"$AB|0|1|1|120"});
    QAbstractSeries *series = view.chart()->series().value(0);
    const int revision = m_monitor->ChartRevision();
    Reply({"$AB|0|1|1|120"});
    QCOMPARE(view.chart()->series().value(0), series);
    QCOMPARE(m_monitor->ChartRevision(), revision);
    Reply({"$AB|0|1|2|180"});
    QCOMPARE(view.chart()->series().value(0), series);
    QVERIFY(m_monitor->ChartRevision() != revision);
    QCOMPARE(static_cast<QPieSeries *>(series)->slices().first()->value(), 3.0);
    // Two new values at once: every slice's share follows both.
    Reply({"$AB|0|1|2|60", "$CD|17|5|1|180"});
    QCOMPARE(static_cast<QPieSeries *>(series)->slices().first()->percentage(), 0.25);

    // Names come from the server; the chart renders markup, so they must come escaped.
    const QString hostile = QStringLiteral("<b>D</b>&amp;");
    FindProg("CD")->ProgName = hostile;
    view.resize(800, 600);
    for (int style : {3, 5}) {
        m_monitor->SetChartStyle(style);
        QTRY_VERIFY(SceneTexts(view.scene()).contains(hostile));
    }
    // A chart in no view at all is not filled.
    QChart alone;
    m_monitor->SetChart(&alone);
    m_monitor->UpdateChart();
    QVERIFY(alone.series().isEmpty());
    m_monitor->SetChart(view.chart());

    // A hidden chart is not refilled.
    view.hide();
    m_monitor->ChartGrouping = GroupByCountry;
    m_monitor->UpdateChart();
    QCOMPARE(view.chart()->title(), QString("Minuten per programma"));
}

QTEST_MAIN(TestTotals)
#include "tst_totals.moc"
