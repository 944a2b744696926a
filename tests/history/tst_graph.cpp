#include <QTest>

#include "uGraph.h"

namespace {

const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor Ink(200, 0, 0);

// The glyph table once more, independently of the code that draws it.
const char *const ExpectedStrip[TGraph::GlyphHeight] = {
    "###.#########..####..#########......",
    "#.#..#..#..##.##..#....##.##.#.#....",
    "#.#..################..#######......",
    "#.#..##....#..#..##.#..##.#..#.#....",
    "###..#######..#######..#######....#.",
};

// A white picture of the given size with nothing else drawn.
void Blank(TGraph &graph, int width, int height)
{
    graph.SetSize(width, height);
    graph.Reset();
    graph.SetBrushColor(White);
    graph.Clear();
}

bool IsColor(const QImage &image, int x, int y, const QColor &color)
{
    return image.pixelColor(x, y) == color;
}

// Columns of row y that are not white, as a string of '#' and '.'.
QString Row(const QImage &image, int y, int from, int to)
{
    QString row;
    for (int x = from; x <= to; ++x)
        row += IsColor(image, x, y, White) ? QLatin1Char('.') : QLatin1Char('#');
    return row;
}

int PaintedCount(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += IsColor(image, x, y, White) ? 0 : 1;
    return count;
}

} // namespace

class TestGraph final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mapsWorldToPixels_data();
    void mapsWorldToPixels();
    void resetMapsThePictureOntoItself();
    void niceTop_data();
    void niceTop();
    void niceTopLeavesLowPicturesAlone();
    void digitStripMatchesGlyphTable();
    void tinyTextCentresAndCopiesGlyphs();
    void tinyTextAlignsRightAndSkipsOthers();
    void tinyTextMeasures();
    void withoutStripUsesTheFont();
    void fontTextAligns();
    void lineLeavesEndPointOut();
    void fillRectLeavesRightAndBottomOut();
    void dottedPenSkipsPixels();
    void polylineOfOnePointDrawsNothing();
    void polylineOfTwoPointsDrawsOneSegment();
    void longPolylineContinuesAcrossFlush();
    void polylineEqualsChainOfLines();
    void emptyPictureIgnoresDrawing();
};

void TestGraph::mapsWorldToPixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("margins");
    QTest::addColumn<QList<int>>("world");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("pixel");

    const QList<int> none{0, 0, 0, 0};
    const QList<int> day{0, 0, 86400, 10};
    QTest::newRow("half hour") << 864 << 48 << none << day << true << 1800.0 << 18;
    QTest::newRow("one hour") << 864 << 48 << none << day << true << 3600.0 << 36;
    QTest::newRow("end of day") << 864 << 48 << none << day << true << 86400.0 << 864;
    QTest::newRow("top value") << 864 << 48 << none << day << false << 10.0 << 0;
    // 10 x 48 / 11 = 43.6: zero lies one eleventh of the plot above its bottom edge.
    QTest::newRow("zero value") << 864 << 48 << none << day << false << 0.0 << 44;
    // Half a pixel per value: exact halves round to the even neighbour.
    const QList<int> halves{0, 0, 19, 19};
    QTest::newRow("0.5 to 0") << 10 << 10 << none << halves << true << 1.0 << 0;
    QTest::newRow("1.5 to 2") << 10 << 10 << none << halves << true << 3.0 << 2;
    QTest::newRow("2.5 to 2") << 10 << 10 << none << halves << true << 5.0 << 2;
    QTest::newRow("y 2.5 to 2") << 10 << 10 << none << halves << false << 14.0 << 2;
    const QList<int> margins{5, 3, 7, 9};
    QTest::newRow("left margin") << 112 << 52 << margins << QList<int>{0, 0, 99, 39} << true << 50.0 << 55;
    QTest::newRow("top margin") << 112 << 52 << margins << QList<int>{0, 0, 99, 39} << false << 39.0 << 3;
    QTest::newRow("world offset") << 100 << 10 << none << QList<int>{100, 0, 199, 9} << true << 150.0 << 50;
}

void TestGraph::mapsWorldToPixels()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<int>, margins);
    QFETCH(QList<int>, world);
    QFETCH(bool, horizontal);
    QFETCH(double, value);
    QFETCH(int, pixel);

    TGraph graph;
    graph.SetSize(width, height);
    graph.SetMargins(margins[0], margins[1], margins[2], margins[3]);
    graph.SetWorld(world[0], world[1], world[2], world[3]);
    QCOMPARE(graph.PlotWidth(), width - margins[0] - margins[2]);
    QCOMPARE(graph.PlotHeight(), height - margins[1] - margins[3]);
    QCOMPARE(horizontal ? graph.XToPixel(value) : graph.YToPixel(value), pixel);
}

void TestGraph::resetMapsThePictureOntoItself()
{
    TGraph graph;
    graph.SetSize(10, 10);
    graph.Reset();
    // The world 0..10 on 10 pixels: eleven values share them.
    QCOMPARE(graph.XToPixel(10), 9);
    QCOMPARE(graph.YToPixel(0), 9);
    QCOMPARE(graph.YToPixel(10), 0);
}

void TestGraph::niceTop_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("top");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("1") << 1 << 2;
    QTest::newRow("3") << 3 << 5;
    QTest::newRow("5") << 5 << 10;
    QTest::newRow("6") << 6 << 10;
    QTest::newRow("32") << 32 << 40;
    QTest::newRow("99") << 99 << 100;
    QTest::newRow("100") << 100 << 125;
    QTest::newRow("347") << 347 << 400;
    QTest::newRow("negative") << -7 << 1;
    QTest::newRow("largest") << 2147483647 << 2147483647;
}

void TestGraph::niceTop()
{
    QFETCH(int, value);
    QFETCH(int, top);
    TGraph graph;
    graph.SetSize(864, 100);
    QCOMPARE(graph.NiceTop(value), top);
}

void TestGraph::niceTopLeavesLowPicturesAlone()
{
    TGraph graph;
    const int h = graph.TextHeight(QStringLiteral("Xj"));
    graph.SetSize(864, 4 * h - 1); // no room for one row of labels
    QCOMPARE(graph.NiceTop(347), 347);
    QCOMPARE(graph.NiceTop(0), 0);
    graph.SetSize(864, 4 * h);
    QCOMPARE(graph.NiceTop(347), 400);
}

void TestGraph::digitStripMatchesGlyphTable()
{
    const QImage strip = TGraph::MakeDigitStrip();
    QCOMPARE(strip.size(), QSize(36, 5));
    for (int y = 0; y < 5; ++y) {
        const QByteArray expected(ExpectedStrip[y]);
        for (int x = 0; x < 36; ++x) {
            const QColor want = expected[x] == '#' ? Black : TGraph::GlyphBackground;
            if (strip.pixelColor(x, y) != want)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
}

void TestGraph::tinyTextCentresAndCopiesGlyphs()
{
    TGraph graph;
    Blank(graph, 130, 10);
    graph.SetDigitStrip(TGraph::MakeDigitStrip());
    graph.SetTinyDigits(true);
    graph.TextOut(100, 2, QStringLiteral("~12:00"));
    const QImage picture = graph.Bitmap();

    // Glyphs 1, 2, colon, 0, 0 at columns 90, 94, 98, 101, 105, background included.
    const char *const expected[5] = {
        ".##.###....###.###",
        "..#...#..#.#.#.#.#",
        "..#.###....#.#.#.#",
        "..#.#....#.#.#.#.#",
        "..#.###....###.###",
    };
    for (int y = 0; y < 5; ++y) {
        for (int x = 88; x <= 109; ++x) {
            const int column = x - 90;
            const bool inGlyph = column >= 0 && column < 18 && column != 3 && column != 7 && column != 14;
            QColor want = White;
            if (inGlyph)
                want = QByteArray(expected[y]).at(column) == '#' ? Black : TGraph::GlyphBackground;
            if (picture.pixelColor(x, y + 2) != want)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y + 2)));
        }
    }
    QCOMPARE(PaintedCount(picture), 5 * 3 * 5);
}

void TestGraph::tinyTextAlignsRightAndSkipsOthers()
{
    TGraph graph;
    Blank(graph, 40, 10);
    graph.SetDigitStrip(TGraph::MakeDigitStrip());
    graph.SetTinyDigits(true);
    // Every character after the prefix counts four columns for the alignment (5 x 4 = 20),
    // but "h" and " " are skipped without moving, and "." moves three.
    graph.TextOut(20, 0, QStringLiteral("`1h .7"));
    const QImage picture = graph.Bitmap();
    QCOMPARE(Row(picture, 0, 0, 12), QStringLiteral("###.######..."));
    QVERIFY(IsColor(picture, 2, 4, Black));                    // "1"
    QVERIFY(IsColor(picture, 5, 4, Black));                    // the point
    QVERIFY(IsColor(picture, 4, 4, TGraph::GlyphBackground));
    QVERIFY(IsColor(picture, 7, 0, Black));                    // "7"
    QVERIFY(IsColor(picture, 7, 4, TGraph::GlyphBackground));
    QVERIFY(IsColor(picture, 9, 4, Black));
}

void TestGraph::tinyTextMeasures()
{
    TGraph graph;
    graph.SetDigitStrip(TGraph::MakeDigitStrip());
    graph.SetTinyDigits(true);
    QCOMPARE(graph.TextWidth(QStringLiteral("00:00")), 19);
    QCOMPARE(graph.TextWidth(QStringLiteral("1,5.")), 14);
    QCOMPARE(graph.TextHeight(QStringLiteral("Xj")), 5);
    graph.Reset();
    QVERIFY(!graph.TinyDigits());
    QVERIFY(graph.TextHeight(QStringLiteral("Xj")) > 5);
}

void TestGraph::withoutStripUsesTheFont()
{
    TGraph graph;
    graph.SetTinyDigits(true);
    const int fontHeight = QFontMetrics([] {
                               QFont font;
                               font.setPixelSize(TGraph::FontPixelSize);
                               return font;
                           }())
                               .height();
    QCOMPARE(graph.TextHeight(QStringLiteral("Xj")), fontHeight);
}

void TestGraph::fontTextAligns()
{
    TGraph graph;
    Blank(graph, 200, 20);
    graph.SetFontColor(Ink);
    graph.TextOut(100, 2, QStringLiteral("`00:00"));
    QImage picture = graph.Bitmap();
    int rightmost = -1;
    int leftmost = 1000;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (!IsColor(picture, x, y, White)) {
                rightmost = std::max(rightmost, x);
                leftmost = std::min(leftmost, x);
            }
        }
    }
    QVERIFY(rightmost >= 90 && rightmost < 100);
    QVERIFY(leftmost >= 100 - graph.TextWidth(QStringLiteral("00:00")));

    Blank(graph, 200, 20);
    graph.TextOut(100, 2, QStringLiteral("~00:00"));
    picture = graph.Bitmap();
    QVERIFY(PaintedCount(picture.copy(0, 0, 100, 20)) > 0);
    QVERIFY(PaintedCount(picture.copy(100, 0, 100, 20)) > 0);
}

void TestGraph::lineLeavesEndPointOut()
{
    TGraph graph;
    Blank(graph, 10, 10);
    graph.SetPenColor(Ink);
    graph.Line(1, 2, 6, 2);
    graph.Line(8, 1, 8, 5);
    const QImage picture = graph.Bitmap();
    QCOMPARE(Row(picture, 2, 0, 9), QStringLiteral(".#####..#."));
    QVERIFY(!IsColor(picture, 8, 5, Ink));
    QVERIFY(IsColor(picture, 8, 4, Ink));
    QCOMPARE(graph.PenX(), 8);
    QCOMPARE(graph.PenY(), 5);
    QCOMPARE(PaintedCount(picture), 5 + 4);
    // Upwards, the lower end is the one left out.
    graph.Line(3, 8, 3, 4);
    const QImage up = graph.Bitmap();
    QVERIFY(IsColor(up, 3, 4, Ink) && IsColor(up, 3, 7, Ink) && !IsColor(up, 3, 8, Ink));
    // Leftwards, the right end.
    graph.Line(9, 9, 5, 9);
    const QImage left = graph.Bitmap();
    QCOMPARE(Row(left, 9, 0, 9), QStringLiteral(".....####."));
    QCOMPARE(PaintedCount(left), 5 + 4 + 4 + 4);
    // After a reset the pen stands in the top-left corner.
    graph.Reset();
    graph.LineTo(0, 9);
    QVERIFY(IsColor(graph.Bitmap(), 0, 0, Ink));
}

void TestGraph::fillRectLeavesRightAndBottomOut()
{
    TGraph graph;
    Blank(graph, 10, 10);
    graph.SetBrushColor(Ink);
    graph.FillRect(2, 3, 5, 6);
    QImage picture = graph.Bitmap();
    QCOMPARE(PaintedCount(picture), 3 * 3);
    QVERIFY(IsColor(picture, 2, 3, Ink));
    QVERIFY(IsColor(picture, 4, 5, Ink));

    graph.SetBrushStyle(TGraphBrushStyle::Clear);
    graph.FillRect(0, 0, 10, 10);
    picture = graph.Bitmap();
    QCOMPARE(PaintedCount(picture), 3 * 3);
    // A reset fills again.
    graph.Reset();
    graph.SetBrushColor(Ink);
    graph.FillRect(0, 0, 1, 1);
    QVERIFY(IsColor(graph.Bitmap(), 0, 0, Ink));
}

void TestGraph::dottedPenSkipsPixels()
{
    TGraph graph;
    Blank(graph, 12, 3);
    graph.SetPenColor(Ink);
    graph.SetPenStyle(TGraphPenStyle::Dot);
    graph.Line(0, 1, 12, 1);
    const QImage picture = graph.Bitmap();
    QCOMPARE(Row(picture, 1, 0, 11), QStringLiteral("#.#.#.#.#.#."));
}

void TestGraph::polylineOfOnePointDrawsNothing()
{
    TGraph graph;
    Blank(graph, 10, 10);
    graph.SetPenColor(Ink);
    graph.PolyLineTo(4, 4);
    QCOMPARE(graph.PointCount(), 1);
    QCOMPARE(graph.PenX(), 4);
    graph.FlushPolyline();
    QCOMPARE(graph.PointCount(), 0);
    QCOMPARE(PaintedCount(graph.Bitmap()), 0);
}

void TestGraph::polylineOfTwoPointsDrawsOneSegment()
{
    TGraph graph;
    Blank(graph, 10, 10);
    graph.SetPenColor(Ink);
    graph.PolyLineTo(1, 4);
    graph.PolyLineTo(7, 4);
    graph.FlushPolyline();
    const QImage picture = graph.Bitmap();
    QCOMPARE(Row(picture, 4, 0, 9), QStringLiteral(".######..."));
    QCOMPARE(PaintedCount(picture), 6);
}

void TestGraph::longPolylineContinuesAcrossFlush()
{
    TGraph graph;
    Blank(graph, 60, 10);
    graph.SetPenColor(Ink);
    // A full buffer of points on one spot, then its last point at 20, then two more
    // points: the line must continue from 20 without a gap.
    for (int i = 0; i < TGraph::PolylineCapacity - 1; ++i)
        graph.PolyLineTo(0, 0);
    graph.PolyLineTo(20, 0);
    QCOMPARE(graph.PointCount(), TGraph::PolylineCapacity);
    graph.PolyLineTo(40, 0);
    QCOMPARE(graph.PointCount(), 2);
    graph.PolyLineTo(40, 5);
    graph.FlushPolyline();
    const QImage picture = graph.Bitmap();
    QCOMPARE(Row(picture, 0, 0, 41), QString(41, QLatin1Char('#')) + QLatin1Char('.'));
    QCOMPARE(Row(picture, 4, 38, 41), QStringLiteral("..#."));
    QVERIFY(!IsColor(picture, 40, 5, Ink));
}

void TestGraph::polylineEqualsChainOfLines()
{
    // A zigzag with corners in every direction and repeated points.
    QList<QPoint> points;
    for (int i = 0; i < 200; ++i)
        points << QPoint(i / 3, (i * 37) % 23);
    TGraph chain;
    Blank(chain, 80, 30);
    chain.SetPenColor(Ink);
    for (int i = 1; i < points.size(); ++i)
        chain.Line(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
    TGraph polyline;
    Blank(polyline, 80, 30);
    polyline.SetPenColor(Ink);
    for (const QPoint &p : points)
        polyline.PolyLineTo(p.x(), p.y());
    polyline.FlushPolyline();
    QCOMPARE(polyline.Bitmap(), chain.Bitmap());
}

void TestGraph::emptyPictureIgnoresDrawing()
{
    TGraph graph;
    QCOMPARE(graph.Width(), 0);
    graph.Reset();
    graph.Clear();
    graph.Line(0, 0, 100, 100);
    graph.PolyLineTo(1, 1);
    graph.PolyLineTo(5, 5);
    graph.FlushPolyline();
    graph.FillRect(0, 0, 5, 5);
    graph.TextOut(0, 0, QStringLiteral("~12:00"));
    QVERIFY(graph.Bitmap().isNull());
    graph.SetSize(-5, 10);
    QVERIFY(graph.Bitmap().isNull());
}

QTEST_MAIN(TestGraph)
#include "tst_graph.moc"
