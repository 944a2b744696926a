#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsTextItem>
#include <QLocale>
#include <QPieSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QXYSeries>

#include "tTestData.h"
#include "uClock.h"
#include "uMonitor.h"
#include "uSettings.h"
#include "uTotalsChart.h"

namespace {

QStringList SceneTexts(const QGraphicsScene *scene)
{
    QStringList texts;
    for (QGraphicsItem *item : scene->items()) {
        if (const auto *text = dynamic_cast<QGraphicsTextItem *>(item))
            texts.append(text->toPlainText());
    }
    return texts;
}

} // namespace

// The totals chart of the main window in its seven styles, fed with the monitor's points.
class TestTotalsChart final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void chartStyles();

private:
    void Reply(const QStringList &lines)
    {
        m_monitor->ProcessCallersReply(QStringList{"103"} + lines);
        QString title;
        const auto points = m_monitor->ChartPoints(&title);
        if (m_chart->IsVisible())
            m_chart->Show(title, points);
    }
    void SetStyle(int style)
    {
        m_chart->SetStyle(style);
        Reply({});
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TBelvoraMonitor> m_monitor;
    std::unique_ptr<TTotalsChart> m_chart;
};

void TestTotalsChart::initTestCase()
{
    ProgramDir = m_dir.path() + "/";
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
}

void TestTotalsChart::init()
{
    TPProgs.clear();
    AddTestProg("AB", "Alpha");
    AddTestProg("CD", "Delta");
    m_monitor = std::make_unique<TBelvoraMonitor>(nullptr);
    m_monitor->PollTime = Clock::LocalSecondsNow();
}

void TestTotalsChart::chartStyles()
{
    QChartView view;
    view.show();
    m_chart = std::make_unique<TTotalsChart>(view.chart());
    Reply({"$AB|0|1|1|120", "$CD|17|5|1|60"});
    for (int style : {0, 1, 2, 3, 4, 6}) {
        SetStyle(style);
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
        SetStyle(style);
        auto *pie = qobject_cast<QPieSeries *>(view.chart()->series().value(0));
        QVERIFY(pie);
        QCOMPARE(pie->count(), 2);
        QCOMPARE(pie->slices().first()->label(), QString("Alpha"));
    }
    // A poll that changes nothing leaves the series alone; new minutes go into it in place.
    Reply({"$AB|0|1|1|120"});
    QAbstractSeries *series = view.chart()->series().value(0);
    const int revision = m_chart->Revision();
    Reply({"$AB|0|1|1|120"});
    QCOMPARE(view.chart()->series().value(0), series);
    QCOMPARE(m_chart->Revision(), revision);
    Reply({"$AB|0|1|2|180"});
    QCOMPARE(view.chart()->series().value(0), series);
    QVERIFY(m_chart->Revision() != revision);
    QCOMPARE(static_cast<QPieSeries *>(series)->slices().first()->value(), 3.0);
    // Two new values at once: every slice's share follows both.
    Reply({"$AB|0|1|2|60", "$CD|17|5|1|180"});
    QCOMPARE(static_cast<QPieSeries *>(series)->slices().first()->percentage(), 0.25);

    // Names come from the server; the chart renders markup, so they must come escaped.
    const QString hostile = QStringLiteral("<b>D</b>&amp;");
    FindProg("CD")->ProgName = hostile;
    view.resize(800, 600);
    for (int style : {3, 5}) {
        SetStyle(style);
        QTRY_VERIFY(SceneTexts(view.scene()).contains(hostile));
    }
    // A chart in no view at all is not in view.
    QChart alone;
    QVERIFY(!TTotalsChart(&alone).IsVisible());
    view.hide();
    QVERIFY(!m_chart->IsVisible());
}

QTEST_MAIN(TestTotalsChart)
#include "tst_totalschart.moc"
