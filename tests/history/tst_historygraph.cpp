#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <optional>

#include "tProcessState.h"
#include "uClock.h"
#include "uDayStore.h"
#include "uHistory.h"

namespace {

const QDate Day(2026, 12, 7);

QColor ButtonFace()
{
    return QGuiApplication::palette().color(QPalette::Button);
}

// What a view of this size shows of the graph.
QImage View(THistoryGraph &graph, int width, int height)
{
    QImage view(width, height, QImage::Format_RGB32);
    view.fill(Qt::magenta);
    QPainter painter(&view);
    graph.Paint(painter, view.rect());
    return view;
}

// The whole day's picture: a view as wide as the day shows it from 00:00.
QImage WholeDay(THistoryGraph &graph, int height)
{
    graph.SetSize(THistoryGraph::DayPixels, height);
    return View(graph, THistoryGraph::DayPixels, height);
}

// The top row of the sample bar standing in column x; -1 without one.
int BarTop(const QImage &view, int x)
{
    for (int y = 0; y < view.height(); ++y) {
        if (view.pixelColor(x, y) == THistoryGraph::SampleColor)
            return y;
    }
    return -1;
}

int CountInRow(const QImage &view, int y, const QColor &color)
{
    int count = 0;
    for (int x = 0; x < view.width(); ++x)
        count += view.pixelColor(x, y) == color ? 1 : 0;
    return count;
}

// The picture down to the plot's bottom: a time label the view's edge would cut is
// left out of the view, so below it the view and the picture differ on purpose.
// 48 pixels high, the baseline lies on row 39.
QImage Plot(const QImage &image)
{
    constexpr int PlotRows = 40;
    return image.copy(0, 0, image.width(), PlotRows);
}

} // namespace

class TestHistoryGraph final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void emptyDayShowsGridAndAxis();
    void scaleGrowsOnlyWhenExceeded();
    void texts_data();
    void texts();
    void reportsChangedTexts();
    void selectorCyclesThreeSeries();
    void incrementalMatchesFullRedraw_data();
    void incrementalMatchesFullRedraw();
    void viewFollowsNewestSample();
    void placedWhenFirstDrawn();
    void dragging_data();
    void dragging();
    void dragNeedsPressAndLeftButton();
    void wideViewShowsWholeDay();
    void miniGraphFillsItsHeight();
    void newDayShowsItsStart();
    void labelsFollowTheAttachedView();
    void detachedGraphAsksNoRepaint();
    void yesterdayBehindToday();

private:
    // A day store and its graph, made after the test has placed its files and clock.
    THistoryGraph &Make();

    std::optional<TProcessState> m_state;
    std::unique_ptr<TDayStore> m_store;
    std::unique_ptr<THistoryGraph> m_graph;
};

void TestHistoryGraph::init()
{
    m_state.emplace(QDateTime(Day, QTime(12, 0)));
}

void TestHistoryGraph::cleanup()
{
    m_graph.reset();
    m_store.reset();
    m_state.reset();
}

THistoryGraph &TestHistoryGraph::Make()
{
    m_graph.reset();
    m_store = std::make_unique<TDayStore>();
    m_graph = std::make_unique<THistoryGraph>(*m_store);
    return *m_graph;
}

void TestHistoryGraph::emptyDayShowsGridAndAxis()
{
    THistoryGraph &graph = Make();
    graph.Attach(864, 48);
    QCOMPARE(graph.MaxText(), QStringLiteral("0"));
    QCOMPARE(graph.MinText(), QStringLiteral("0"));

    // Tiny glyphs below 50 pixels: margins 3 and 9, so the plot ends at row 39.
    const QImage picture = View(graph, 864, 48);
    QCOMPARE(picture.pixelColor(100, 2), ButtonFace());           // above the plot
    QCOMPARE(picture.pixelColor(100, 20), THistoryGraph::PlotColor);
    QCOMPARE(picture.pixelColor(100, 35), THistoryGraph::GridColor); // solid grid line
    // From the baseline up the grid lines are dotted and solid in turn.
    QCOMPARE(picture.pixelColor(101, 27), THistoryGraph::GridColor);
    QVERIFY(picture.pixelColor(100, 31) != picture.pixelColor(101, 31));
    // The grid's first line, dotted, lies on the baseline just below the plot.
    QCOMPARE(picture.pixelColor(100, 39), THistoryGraph::GridColor);
    QCOMPARE(picture.pixelColor(101, 39), ButtonFace());
    QCOMPARE(picture.pixelColor(0, 40), THistoryGraph::AxisColor);   // 00:00 tick
    QCOMPARE(picture.pixelColor(3, 39), THistoryGraph::AxisColor);   // 00:05 tick
    QCOMPARE(picture.pixelColor(3, 40), THistoryGraph::AxisColor);
    QCOMPARE(picture.pixelColor(3, 41), ButtonFace());
    QCOMPARE(picture.pixelColor(18, 20), THistoryGraph::PlotColor);  // 00:30 too close to 00:00
    QCOMPARE(picture.pixelColor(36, 20), THistoryGraph::AxisColor);  // 01:00 labelled
    QCOMPARE(picture.pixelColor(36, 41), THistoryGraph::AxisColor);
    // "01:00" centred on 36: its first "0" at columns 26..28 from row 42.
    QCOMPARE(picture.pixelColor(26, 42), QColor(Qt::black));
    QCOMPARE(picture.pixelColor(27, 43), TGraph::GlyphBackground);
    QCOMPARE(picture.pixelColor(54, 42), ButtonFace());              // 01:30 has no label
    QCOMPARE(picture.pixelColor(72, 20), THistoryGraph::AxisColor);  // 02:00 has
    // "22:00" centred on 792: its second "2" at columns 786..788, full across its middle.
    QCOMPARE(picture.pixelColor(787, 44), QColor(Qt::black));
}

void TestHistoryGraph::scaleGrowsOnlyWhenExceeded()
{
    THistoryGraph &graph = Make();
    graph.Attach(864, 48);
    const qint64 start = m_store->DayStart();
    // The plot spans rows 3..38; a value v under the scale top T stands from row
    // 3 + round((T - v) x 36 / (T + 1)) down to the baseline.
    m_store->AddSample(start + 4000, 3, 0, 0, 0);  // column 40; 3 gives the top 5
    QCOMPARE(BarTop(View(graph, 864, 48), 40), 15);

    m_store->AddSample(start + 4100, 5, 0, 0, 0);
    QImage view = View(graph, 864, 48);
    QCOMPARE(BarTop(view, 40), 15);
    QCOMPARE(BarTop(view, 41), 3);
    QCOMPARE(graph.MaxText(), QStringLiteral("5"));

    // 6 lies above 5: the whole day is drawn anew under the top 10.
    m_store->AddSample(start + 4200, 6, 0, 0, 0);
    view = View(graph, 864, 48);
    QCOMPARE(BarTop(view, 40), 26);
    QCOMPARE(BarTop(view, 41), 19);
    QCOMPARE(BarTop(view, 42), 16);
    QCOMPARE(graph.MaxText(), QStringLiteral("6"));

    // Another series draws the day anew: its callers are all 0, under the top 1.
    graph.SetSeries(THistorySample::SeriesCallers);
    QCOMPARE(BarTop(View(graph, 864, 48), 40), 21);
}

void TestHistoryGraph::texts_data()
{
    QTest::addColumn<int>("series");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QString>("maxText");
    QTest::addColumn<QString>("minText");

    QTest::newRow("Online as is") << 0 << QList<int>{3, 7, 4} << "7" << "3";
    QTest::newRow("Bellers as is") << 1 << QList<int>{12, 41} << "41" << "12";
    QTest::newRow("Minuten 15620 s") << 2 << QList<int>{100, 15620} << "260" << "2";
    QTest::newRow("Minuten halves to even") << 2 << QList<int>{90, 150} << "2" << "2";
    QTest::newRow("Euro 12.50 to 12") << 3 << QList<int>{1250} << "12" << "12";
    QTest::newRow("Euro 13.50 to 14") << 3 << QList<int>{1350, 1349} << "14" << "13";
    QTest::newRow("the first sample sets both") << 0 << QList<int>{-5, -2} << "-2" << "-5";
}

void TestHistoryGraph::texts()
{
    QFETCH(int, series);
    QFETCH(QList<int>, values);
    QFETCH(QString, maxText);
    QFETCH(QString, minText);

    THistoryGraph &graph = Make();
    graph.SetSeries(series);
    qint64 time = m_store->DayStart() + 60;
    for (const int v : values) {
        int fields[4] = {0, 0, 0, 0};
        fields[series] = v;
        m_store->AddSample(time, fields[0], fields[1], fields[2], fields[3]);
        time += 10;
    }
    QCOMPARE(graph.MaxText(), maxText);
    QCOMPARE(graph.MinText(), minText);
}

void TestHistoryGraph::reportsChangedTexts()
{
    THistoryGraph &graph = Make();
    QSignalSpy spy(&graph, &THistoryGraph::ExtremesChanged);
    const qint64 start = m_store->DayStart();
    m_store->AddSample(start + 5, 0, 0, 0, 0);
    QCOMPARE(spy.count(), 0); // still 0 and 0
    m_store->AddSample(start + 10, 4, 10, 120, 100);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).toString(), QStringLiteral("4"));
    QCOMPARE(spy.last().at(1).toString(), QStringLiteral("0"));
    m_store->AddSample(start + 20, 4, 11, 130, 100);
    QCOMPARE(spy.count(), 1); // nothing shown changed
    m_store->AddSample(start + 30, -2, 12, 140, 100);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last().at(1).toString(), QStringLiteral("-2"));
    graph.SetSeries(THistorySample::SeriesMinutes);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.last().at(0).toString(), QStringLiteral("2"));
}

void TestHistoryGraph::selectorCyclesThreeSeries()
{
    THistoryGraph &graph = Make();
    QStringList names{graph.SeriesName()};
    for (int i = 0; i < 3; ++i) {
        graph.NextSeries();
        names << graph.SeriesName();
    }
    QCOMPARE(names, QStringList({"Online", "Bellers", "Minuten", "Online"}));
    graph.SetSeries(THistorySample::SeriesEuro);
    QCOMPARE(graph.SeriesName(), QStringLiteral("Euro"));
    graph.NextSeries();
    QCOMPARE(graph.SeriesName(), QStringLiteral("Bellers"));
}

void TestHistoryGraph::incrementalMatchesFullRedraw_data()
{
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("labels");
    QTest::newRow("Online bars") << 0 << 48 << true;
    QTest::newRow("Bellers bars, tall") << 1 << 120 << true;
    QTest::newRow("Minuten line") << 2 << 48 << true;
    QTest::newRow("Minuten line, mini") << 2 << 18 << false;
    QTest::newRow("Euro bars, mini") << 3 << 18 << false;
}

void TestHistoryGraph::incrementalMatchesFullRedraw()
{
    QFETCH(int, series);
    QFETCH(int, height);
    QFETCH(bool, labels);

    THistoryGraph &graph = Make();
    graph.SetShowTimeLabels(labels);
    graph.SetSeries(series);
    graph.Attach(THistoryGraph::DayPixels, height);
    const qint64 start = m_store->DayStart();
    // The first sample fixes the scale; the rest, zeros and negatives included, fit under it.
    m_store->AddSample(start + 60, 100, 100, 100, 100);
    QRandomGenerator random(7);
    for (int i = 0; i < 3000; ++i) {
        const int v = random.bounded(-3, 101);
        m_store->AddSample(start + 120 + i * 7 + random.bounded(7), v, v, v, v);
    }
    const QImage incremental = View(graph, THistoryGraph::DayPixels, height);
    graph.Redraw();
    QCOMPARE(View(graph, THistoryGraph::DayPixels, height), incremental);
}

void TestHistoryGraph::viewFollowsNewestSample()
{
    // Offsets just past half a column, so that a second less shows.
    m_state->SetNow(QDateTime(Day, QTime(12, 0, 51)));
    THistoryGraph &graph = Make();
    graph.Attach(400, 48);
    // 400 columns show 40000 s; placed to end 5 minutes before now: 2951 s, column 30.
    const QImage placed = View(graph, 400, 48);
    const qint64 start = m_store->DayStart();
    m_store->AddSample(start + 42951, 1, 1, 1, 1); // at the view's last second: still inside
    const QImage inside = View(graph, 400, 48);
    // Beyond it the view moves to end one second before the sample: 3151 s, column 32.
    m_store->AddSample(start + 43152, 1, 1, 1, 1);
    const QImage followed = View(graph, 400, 48);

    const QImage day = WholeDay(graph, 48);
    QCOMPARE(Plot(placed), Plot(day.copy(30, 0, 400, 48)));
    QCOMPARE(Plot(inside), Plot(day.copy(30, 0, 400, 48)));
    QCOMPARE(Plot(followed), Plot(day.copy(32, 0, 400, 48)));
}

void TestHistoryGraph::placedWhenFirstDrawn()
{
    THistoryGraph &graph = Make();
    graph.Attach(400, 48);
    // Drawn at 12:00 before any paint (the second sample, the first one under the
    // scale): the view is placed then, not at 13:00's paint.
    m_store->AddSample(m_store->DayStart() + 600, 1, 1, 1, 1);
    m_store->AddSample(m_store->DayStart() + 700, 1, 1, 1, 1);
    m_state->SetNow(QDateTime(Day, QTime(13, 0)));
    const QImage view = View(graph, 400, 48);
    QCOMPARE(Plot(view), Plot(WholeDay(graph, 48).copy(29, 0, 400, 48)));
}

void TestHistoryGraph::dragging_data()
{
    QTest::addColumn<int>("toX");
    QTest::addColumn<int>("column");
    // Pressed at column 200 with the view at 2900 s; 100 s per pixel.
    QTest::newRow("right shows earlier") << 210 << 19;
    QTest::newRow("left shows later") << 100 << 129;
    QTest::newRow("stops at 00:00") << 250 << 0;
    QTest::newRow("stops at the end") << -500 << 464;
}

void TestHistoryGraph::dragging()
{
    QFETCH(int, toX);
    QFETCH(int, column);

    THistoryGraph &graph = Make();
    graph.Attach(400, 48);
    View(graph, 400, 48);
    graph.MouseDown(200);
    graph.MouseMove(toX, true);
    const QImage during = View(graph, 400, 48);
    graph.MouseUp();
    const QImage after = View(graph, 400, 48);
    const QImage day = WholeDay(graph, 48);
    QCOMPARE(Plot(during), Plot(day.copy(column, 0, 400, 48)));
    QCOMPARE(after, during);
}

void TestHistoryGraph::dragNeedsPressAndLeftButton()
{
    THistoryGraph &graph = Make();
    graph.Attach(400, 48);
    const QImage placed = View(graph, 400, 48);
    graph.MouseDown(200);
    graph.MouseMove(100, false);
    QCOMPARE(View(graph, 400, 48), placed);
    graph.MouseUp();
    graph.MouseMove(50, true);
    QCOMPARE(View(graph, 400, 48), placed);
    // Letting go of the view ends a drag as well.
    graph.MouseDown(200);
    graph.Detach();
    graph.Attach(400, 48);
    graph.MouseMove(100, true);
    QCOMPARE(View(graph, 400, 48), placed);
}

void TestHistoryGraph::wideViewShowsWholeDay()
{
    THistoryGraph &graph = Make();
    m_store->AddSample(m_store->DayStart() + 80000, 3, 3, 3, 3);
    graph.Attach(1000, 48);
    const QImage view = View(graph, 1000, 48);
    for (int y = 0; y < 48; y += 7)
        QCOMPARE(view.pixelColor(950, y), ButtonFace());
    // It cannot be dragged.
    graph.MouseDown(500);
    graph.MouseMove(300, true);
    QCOMPARE(View(graph, 1000, 48), view);
    graph.MouseDown(300);
    graph.MouseMove(900, true);
    QCOMPARE(View(graph, 1000, 48), view);
    QCOMPARE(Plot(view.copy(0, 0, 864, 48)), Plot(WholeDay(graph, 48)));
}

void TestHistoryGraph::miniGraphFillsItsHeight()
{
    THistoryGraph &graph = Make();
    graph.SetShowTimeLabels(false);
    // 18 pixels end the grid on a solid line, 20 on a dotted one.
    for (const int height : {18, 20}) {
        graph.Attach(THistoryGraph::DayPixels, height);
        const QImage picture = View(graph, THistoryGraph::DayPixels, height);
        // Every 5-minute mark is a full-height line; between them lies the plot.
        for (int y = 0; y < height; ++y) {
            QCOMPARE(picture.pixelColor(3, y), THistoryGraph::AxisColor);
            QCOMPARE(picture.pixelColor(36, y), THistoryGraph::AxisColor);
        }
        QVERIFY(picture.pixelColor(4, 8) != THistoryGraph::AxisColor);
        QVERIFY(picture.pixelColor(4, 8) != ButtonFace());
    }
}

void TestHistoryGraph::newDayShowsItsStart()
{
    m_state->SetNow(QDateTime(Day, QTime(23, 50)));
    THistoryGraph &graph = Make();
    graph.Attach(400, 48);
    const qint64 start = m_store->DayStart();
    m_store->AddSample(start + 85800, 4, 4, 4, 4);
    m_store->AddSample(start + 85810, 4, 4, 4, 4);
    // Following the day's last samples: 45809 s, column 458.
    const QImage late = View(graph, 400, 48);
    QCOMPARE(Plot(late), Plot(WholeDay(graph, 48).copy(458, 0, 400, 48)));
    graph.SetSize(400, 48);

    m_state->SetNow(QDateTime(Day.addDays(1), QTime(0, 0, 10)));
    QVERIFY(m_store->AddSample(start + 86410, 4, 4, 4, 4));
    m_store->AddSample(start + 86420, 3, 3, 3, 3);
    const QImage view = View(graph, 400, 48);
    // The new day's view starts at its midnight, where its first bars stand.
    QCOMPARE(view.pixelColor(0, 38), THistoryGraph::SampleColor);
    QCOMPARE(Plot(view), Plot(WholeDay(graph, 48).copy(0, 0, 400, 48)));
}

void TestHistoryGraph::labelsFollowTheAttachedView()
{
    THistoryGraph &graph = Make();
    graph.Attach(864, 48);
    // With time labels the rows below the plot are the labels' (row 47 is background);
    // without them the plot fills the whole height.
    QCOMPARE(CountInRow(View(graph, 864, 48), 47, THistoryGraph::PlotColor), 0);
    graph.SetShowTimeLabels(false);
    graph.Attach(200, 48);
    QVERIFY(CountInRow(View(graph, 200, 48), 47, THistoryGraph::PlotColor) > 100);
    graph.SetShowTimeLabels(true);
    graph.Attach(864, 48);
    QCOMPARE(CountInRow(View(graph, 864, 48), 47, THistoryGraph::PlotColor), 0);

    // 50 pixels and more label in the normal font, whose labels need more than 9 rows.
    graph.SetSize(500, 80);
    QCOMPARE(CountInRow(View(graph, 500, 80), 80 - 10, THistoryGraph::PlotColor), 0);
    graph.SetSize(500, 49);
    QVERIFY(CountInRow(View(graph, 500, 49), 49 - 10, THistoryGraph::PlotColor) > 100);
}

void TestHistoryGraph::detachedGraphAsksNoRepaint()
{
    THistoryGraph &graph = Make();
    QSignalSpy changed(&graph, &THistoryGraph::Changed);
    QSignalSpy detached(&graph, &THistoryGraph::Detached);
    graph.Attach(400, 48);
    m_store->AddSample(m_store->DayStart() + 100, 1, 1, 1, 1);
    QVERIFY(changed.count() > 0);
    // A second attach lets the first view go.
    graph.Attach(300, 48);
    QCOMPARE(detached.count(), 1);
    graph.Detach();
    QCOMPARE(detached.count(), 2);
    graph.Detach();
    QCOMPARE(detached.count(), 2);

    changed.clear();
    m_store->AddSample(m_store->DayStart() + 200, 1, 1, 1, 1);
    m_store->AddSample(m_store->DayStart() + 300, 9, 1, 1, 1);
    graph.Redraw();
    graph.MouseDown(10);
    graph.MouseMove(20, true);
    QCOMPARE(changed.count(), 0);
}

void TestHistoryGraph::yesterdayBehindToday()
{
    const qint64 yesterday = Clock::LocalSeconds(QDateTime(Day.addDays(-1), QTime(0, 0)));
    QDir().mkpath(m_state->FilePath("History"));
    QFile file(m_state->FilePath("History/06-12-2026.hlg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(yesterday + 43200) + ",100,0,0,0\r\n" + QByteArray::number(yesterday + 43300)
               + ",50,0,0,0\r\n");
    file.close();

    THistoryGraph &graph = Make();
    graph.Attach(864, 48);
    m_store->AddSample(m_store->DayStart() + 4000, 3, 0, 0, 0);
    // One scale for both days: 100 x 1.05 gives the top 125; the labels stay today's.
    QImage view = View(graph, 864, 48);
    QCOMPARE(view.pixelColor(432, 3 + 7), THistoryGraph::YesterdayColor);
    QCOMPARE(BarTop(view, 40), 3 + 35);
    QCOMPARE(graph.MaxText(), QStringLiteral("3"));

    graph.SetShowYesterday(false);
    view = View(graph, 864, 48);
    QCOMPARE(BarTop(view, 40), 15);
    for (int y = 0; y < 48; ++y)
        QVERIFY(view.pixelColor(432, y) != THistoryGraph::YesterdayColor);
}

QTEST_MAIN(TestHistoryGraph)
#include "tst_historygraph.moc"
