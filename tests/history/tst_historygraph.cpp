#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

#include "uClock.h"
#include "uHistory.h"
#include "uSettings.h"

namespace {

const QDate Day(2026, 12, 7);
const QColor Marker(255, 0, 0);

QColor ButtonFace()
{
    return QGuiApplication::palette().color(QPalette::Button);
}

// An opaque strip like the main window's paint box.
std::unique_ptr<QWidget> Strip(int width, int height)
{
    auto strip = std::make_unique<QWidget>();
    strip->setAttribute(Qt::WA_OpaquePaintEvent);
    strip->resize(width, height);
    return strip;
}

QImage View(QWidget &target)
{
    return target.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void SendMouse(QWidget &target, QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF at(x, 5);
    QMouseEvent event(type, at, target.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

void Drag(QWidget &target, int fromX, int toX)
{
    SendMouse(target, QEvent::MouseButtonPress, fromX, Qt::LeftButton, Qt::LeftButton);
    SendMouse(target, QEvent::MouseMove, toX, Qt::NoButton, Qt::LeftButton);
}

// The picture down to the plot's bottom: a time label the view's edge would cut is
// left out of the view, so below it the view and the picture differ on purpose.
QImage Plot(const QImage &image, const THistoryGraph &history)
{
    return image.copy(0, 0, image.width(), history.Baseline() + 1);
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
    void dragging_data();
    void dragging();
    void dragIgnoresMovesWithoutButton();
    void wideTargetShowsWholeDay();
    void miniGraphFillsItsHeight();
    void newDayShowsItsStart();
    void reattachWithOtherLabelsRedraws();
    void resizedTargetRedraws();
    void detachedTargetIsLeftAlone();
    void yesterdayBehindToday();

private:
    void SetNow(const QDateTime &now);

    std::unique_ptr<QTemporaryDir> m_dir;
    QDateTime m_now;
};

void TestHistoryGraph::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ProgramDir = m_dir->path() + QLatin1Char('/');
    SetNow(QDateTime(Day, QTime(12, 0)));
}

void TestHistoryGraph::cleanup()
{
    Clock::SetNowFunction(nullptr);
}

void TestHistoryGraph::SetNow(const QDateTime &now)
{
    m_now = now;
    Clock::SetNowFunction([this] { return m_now; });
}

void TestHistoryGraph::emptyDayShowsGridAndAxis()
{
    THistoryGraph history;
    auto strip = Strip(864, 48);
    history.Attach(strip.get());
    QCOMPARE(history.MaxText(), QStringLiteral("0"));
    QCOMPARE(history.MinText(), QStringLiteral("0"));
    QCOMPARE(history.ScaleTop(), 1);
    // Tiny glyphs below 50 pixels: margins 3 and 9, so the plot ends at row 39.
    QCOMPARE(history.Baseline(), 39);

    const QImage picture = history.Graph().Bitmap();
    QCOMPARE(picture.size(), QSize(864, 48));
    QCOMPARE(picture.pixelColor(100, 2), ButtonFace());           // above the plot
    QCOMPARE(picture.pixelColor(100, 20), THistoryGraph::PlotColor);
    QCOMPARE(picture.pixelColor(100, 35), THistoryGraph::GridColor); // solid grid line
    // From the baseline up the grid lines are dotted and solid in turn.
    QCOMPARE(picture.pixelColor(101, 27), THistoryGraph::GridColor);
    QVERIFY(picture.pixelColor(100, 31) != picture.pixelColor(101, 31));
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
}

void TestHistoryGraph::scaleGrowsOnlyWhenExceeded()
{
    THistoryGraph history;
    auto strip = Strip(864, 48);
    history.Attach(strip.get());
    const qint64 start = history.DayStart();
    history.AddSample(start + 3600, 3, 0, 0, 0);
    QCOMPARE(history.ScaleTop(), 5);

    // A pixel no sample touches tells whether the picture was redrawn.
    history.Graph().SetPenColor(Marker);
    history.Graph().Line(700, 10, 701, 10);
    history.AddSample(start + 3700, 5, 0, 0, 0);
    QCOMPARE(history.ScaleTop(), 5);
    QCOMPARE(history.Graph().Bitmap().pixelColor(700, 10), Marker);
    QCOMPARE(history.MaxText(), QStringLiteral("5"));

    history.AddSample(start + 3800, 6, 0, 0, 0);
    QCOMPARE(history.ScaleTop(), 10);
    QVERIFY(history.Graph().Bitmap().pixelColor(700, 10) != Marker);
    QCOMPARE(history.MaxText(), QStringLiteral("6"));
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
}

void TestHistoryGraph::texts()
{
    QFETCH(int, series);
    QFETCH(QList<int>, values);
    QFETCH(QString, maxText);
    QFETCH(QString, minText);

    THistoryGraph history;
    history.SetSeries(series);
    qint64 time = history.DayStart() + 60;
    for (const int v : values) {
        int fields[4] = {0, 0, 0, 0};
        fields[series] = v;
        history.AddSample(time, fields[0], fields[1], fields[2], fields[3]);
        time += 10;
    }
    QCOMPARE(history.MaxText(), maxText);
    QCOMPARE(history.MinText(), minText);
}

void TestHistoryGraph::reportsChangedTexts()
{
    THistoryGraph history;
    QSignalSpy spy(&history, &THistoryGraph::ExtremesChanged);
    const qint64 start = history.DayStart();
    history.AddSample(start + 10, 4, 10, 120, 100);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).toString(), QStringLiteral("4"));
    QCOMPARE(spy.last().at(1).toString(), QStringLiteral("4"));
    history.AddSample(start + 20, 4, 11, 130, 100);
    QCOMPARE(spy.count(), 1); // nothing shown changed
    history.AddSample(start + 30, 2, 12, 140, 100);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last().at(1).toString(), QStringLiteral("2"));
    history.SetSeries(THistoryGraph::SeriesMinutes);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.last().at(0).toString(), QStringLiteral("2"));
}

void TestHistoryGraph::selectorCyclesThreeSeries()
{
    THistoryGraph history;
    QCOMPARE(history.SeriesName(), QStringLiteral("Online"));
    history.NextSeries();
    QCOMPARE(history.SeriesName(), QStringLiteral("Bellers"));
    history.NextSeries();
    QCOMPARE(history.SeriesName(), QStringLiteral("Minuten"));
    history.NextSeries();
    QCOMPARE(history.Series(), THistoryGraph::SeriesOnline);
    history.SetSeries(THistoryGraph::SeriesEuro);
    QCOMPARE(history.SeriesName(), QStringLiteral("Euro"));
    history.NextSeries();
    QCOMPARE(history.Series(), THistoryGraph::SeriesCallers);
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

    THistoryGraph history;
    history.SetShowTimeLabels(labels);
    history.SetSeries(series);
    auto strip = Strip(864, height);
    history.Attach(strip.get());
    const qint64 start = history.DayStart();
    // The first sample fixes the scale; the rest, zeros and negatives included, fit under it.
    history.AddSample(start + 60, 100, 100, 100, 100);
    const int top = history.ScaleTop();
    QRandomGenerator random(7);
    for (int i = 0; i < 3000; ++i) {
        const int v = random.bounded(-3, 101);
        history.AddSample(start + 120 + i * 7 + random.bounded(7), v, v, v, v);
    }
    QCOMPARE(history.ScaleTop(), top);
    const QImage incremental = history.Graph().Bitmap().copy();
    history.Redraw();
    QCOMPARE(history.ScaleTop(), top);
    QCOMPARE(history.Graph().Bitmap(), incremental);
}

void TestHistoryGraph::viewFollowsNewestSample()
{
    THistoryGraph history;
    auto strip = Strip(400, 48);
    history.Attach(strip.get());
    QCOMPARE(history.VisibleSeconds(), 40000);
    QCOMPARE(history.MaxScroll(), 46400);
    View(*strip);
    // Placed to end 5 minutes before now (12:00).
    QCOMPARE(history.ScrollOffset(), 43200 - 40000 - 300);

    const qint64 start = history.DayStart();
    history.AddSample(start + 42900, 1, 1, 1, 1);
    QCOMPARE(history.ScrollOffset(), 2900); // at the view's last second: still inside
    history.AddSample(start + 43200, 1, 1, 1, 1);
    QCOMPARE(history.ScrollOffset(), 43200 - 40000 - 1);
    const QImage view = View(*strip);
    const int column = history.Graph().XToPixel(history.ScrollOffset());
    QCOMPARE(Plot(view, history), Plot(history.Graph().Bitmap().copy(column, 0, 400, 48), history));
}

void TestHistoryGraph::dragging_data()
{
    QTest::addColumn<int>("toX");
    QTest::addColumn<int>("offset");
    // Pressed at column 200 with the view at 2900 s.
    QTest::newRow("right shows earlier") << 210 << 1900;
    QTest::newRow("left shows later") << 100 << 12900;
    QTest::newRow("stops at 00:00") << 250 << 0;
    QTest::newRow("stops at the end") << -500 << 46400;
}

void TestHistoryGraph::dragging()
{
    QFETCH(int, toX);
    QFETCH(int, offset);

    THistoryGraph history;
    auto strip = Strip(400, 48);
    history.Attach(strip.get());
    View(*strip);
    QCOMPARE(history.ScrollOffset(), 2900);

    Drag(*strip, 200, toX);
    QVERIFY(history.Dragging());
    QCOMPARE(history.ScrollOffset(), offset);
    const QImage during = View(*strip);
    const int column = offset <= 0 ? 0 : history.Graph().XToPixel(offset);
    QCOMPARE(Plot(during, history), Plot(history.Graph().Bitmap().copy(column, 0, 400, 48), history));

    SendMouse(*strip, QEvent::MouseButtonRelease, toX, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!history.Dragging());
    QCOMPARE(View(*strip), during);
}

void TestHistoryGraph::dragIgnoresMovesWithoutButton()
{
    THistoryGraph history;
    auto strip = Strip(400, 48);
    history.Attach(strip.get());
    View(*strip);
    SendMouse(*strip, QEvent::MouseButtonPress, 200, Qt::RightButton, Qt::RightButton);
    SendMouse(*strip, QEvent::MouseMove, 100, Qt::NoButton, Qt::RightButton);
    QCOMPARE(history.ScrollOffset(), 2900);
    SendMouse(*strip, QEvent::MouseButtonRelease, 100, Qt::RightButton, Qt::NoButton);
    SendMouse(*strip, QEvent::MouseMove, 50, Qt::NoButton, Qt::NoButton);
    QCOMPARE(history.ScrollOffset(), 2900);
}

void TestHistoryGraph::wideTargetShowsWholeDay()
{
    THistoryGraph history;
    history.AddSample(history.DayStart() + 80000, 3, 3, 3, 3);
    auto strip = Strip(1000, 48);
    history.Attach(strip.get());
    QCOMPARE(history.VisibleSeconds(), 100000);
    QCOMPARE(history.MaxScroll(), -13600);

    const QImage picture = history.Graph().Bitmap().copy();
    const QImage view = View(*strip);
    QCOMPARE(view.copy(0, 0, 864, 48), picture);
    for (int y = 0; y < 48; y += 7)
        QCOMPARE(view.pixelColor(950, y), ButtonFace());

    Drag(*strip, 500, 300);
    QCOMPARE(View(*strip), view);
    Drag(*strip, 300, 900);
    QCOMPARE(View(*strip), view);
}

void TestHistoryGraph::miniGraphFillsItsHeight()
{
    THistoryGraph history;
    history.SetShowTimeLabels(false);
    auto strip = Strip(34, 18);
    history.Attach(strip.get());
    QCOMPARE(history.Graph().Margins().Top, 0);
    QCOMPARE(history.Graph().Margins().Bottom, 0);
    QCOMPARE(history.Baseline(), 18);
    const QImage picture = history.Graph().Bitmap();
    // Every 5-minute mark is a full-height line; between them lies the plot.
    for (int y = 0; y < 18; ++y) {
        QCOMPARE(picture.pixelColor(3, y), THistoryGraph::AxisColor);
        QCOMPARE(picture.pixelColor(36, y), THistoryGraph::AxisColor);
    }
    QVERIFY(picture.pixelColor(4, 8) != THistoryGraph::AxisColor);
    QVERIFY(picture.pixelColor(4, 8) != ButtonFace());
}

void TestHistoryGraph::newDayShowsItsStart()
{
    SetNow(QDateTime(Day, QTime(23, 50)));
    THistoryGraph history;
    auto strip = Strip(400, 48);
    history.Attach(strip.get());
    View(*strip);
    QCOMPARE(history.ScrollOffset(), 85800 - 40000 - 300);
    const qint64 start = history.DayStart();
    history.AddSample(start + 85800, 4, 4, 4, 4);
    history.AddSample(start + 85810, 4, 4, 4, 4);
    QCOMPARE(history.ScrollOffset(), 85810 - 40000 - 1);

    SetNow(QDateTime(Day.addDays(1), QTime(0, 0, 10)));
    QVERIFY(history.AddSample(start + 86410, 4, 4, 4, 4));
    history.AddSample(start + 86420, 3, 3, 3, 3);
    const QImage view = View(*strip);
    // The new day's view starts at its midnight, where its first bars stand.
    QVERIFY(history.ScrollOffset() <= 0);
    QCOMPARE(Plot(view, history), Plot(history.Graph().Bitmap().copy(0, 0, 400, 48), history));
    QCOMPARE(view.pixelColor(0, history.Baseline() - 1), THistoryGraph::SampleColor);
}

void TestHistoryGraph::reattachWithOtherLabelsRedraws()
{
    THistoryGraph history;
    auto main = Strip(864, 48);
    auto other = Strip(200, 48);
    history.Attach(main.get());
    QCOMPARE(history.Baseline(), 39);
    history.SetShowTimeLabels(false);
    history.Attach(other.get());
    QCOMPARE(history.Target(), other.get());
    QCOMPARE(history.Baseline(), 48);
    history.SetShowTimeLabels(true);
    history.Attach(main.get());
    QCOMPARE(history.Baseline(), 39);
}

void TestHistoryGraph::resizedTargetRedraws()
{
    THistoryGraph history;
    auto strip = Strip(864, 48);
    // Hidden widgets receive their resize events only when shown.
    strip->show();
    QVERIFY(QTest::qWaitForWindowExposed(strip.get()));
    history.Attach(strip.get());
    strip->resize(500, 80);
    QCOMPARE(history.ViewWidth(), 500);
    QCOMPARE(history.ViewHeight(), 80);
    QCOMPARE(history.Graph().Height(), 80);
    QCOMPARE(history.VisibleSeconds(), 50000);
    // 50 pixels and more: the time labels are written in the normal font.
    QVERIFY(!history.Graph().TinyDigits());
    QVERIFY(history.Baseline() < 80 - 9);
}

void TestHistoryGraph::detachedTargetIsLeftAlone()
{
    THistoryGraph history;
    auto strip = Strip(400, 48);
    history.Attach(strip.get());
    history.Attach(nullptr);
    QCOMPARE(history.Target(), nullptr);
    Drag(*strip, 200, 100);
    QVERIFY(!history.Dragging());

    history.Attach(strip.get());
    strip.reset();
    QCOMPARE(history.Target(), nullptr);
    history.AddSample(history.DayStart() + 100, 1, 1, 1, 1);
    history.Redraw();
    history.CopyView();
}

void TestHistoryGraph::yesterdayBehindToday()
{
    const qint64 yesterday = Clock::LocalSeconds(QDateTime(Day.addDays(-1), QTime(0, 0)));
    QDir().mkpath(ProgramDir + "History");
    QFile file(ProgramDir + "History/06-12-2026.hlg");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(yesterday + 43200) + ",100,0,0,0\r\n" + QByteArray::number(yesterday + 43300)
               + ",50,0,0,0\r\n");
    file.close();

    THistoryGraph history;
    auto strip = Strip(864, 48);
    history.Attach(strip.get());
    history.AddSample(history.DayStart() + 3600, 3, 0, 0, 0);
    // One scale for both days; the labels stay today's.
    QCOMPARE(history.ScaleTop(), 125);
    QCOMPARE(history.MaxText(), QStringLiteral("3"));
    const QImage &picture = history.Graph().Bitmap();
    const int x = history.Graph().XToPixel(43200);
    QCOMPARE(picture.pixelColor(x, history.Graph().YToPixel(100)), THistoryGraph::YesterdayColor);

    history.SetShowYesterday(false);
    QCOMPARE(history.ScaleTop(), 5);
    for (int y = 0; y < picture.height(); ++y)
        QVERIFY(history.Graph().Bitmap().pixelColor(x, y) != THistoryGraph::YesterdayColor);
}

QTEST_MAIN(TestHistoryGraph)
#include "tst_historygraph.moc"
