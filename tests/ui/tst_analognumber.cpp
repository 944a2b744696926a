#include <memory>

#include <QSignalSpy>
#include <QTest>

#include "uAnalogNumber.h"

namespace {

constexpr int CellWidth = 16;
constexpr int CellHeight = 20;
constexpr int RollWait = 10000;   // ms; every roll here takes well under that
constexpr int NoSeparator = TAnalogNumber::NoSeparator;

// "01234,56": the glyph of every cell, the separator as ",".
QString CellText(const TAnalogNumber::TCells &cells, int digits)
{
    QString text;
    for (int i = 0; i < digits; ++i)
        text += cells[i] == TAnalogNumber::SeparatorGlyph ? QChar(u',') : QChar(u'0' + cells[i]);
    return text;
}

// Framed cells (no picture) of CellWidth x CellHeight, showing `value`. Shown, so
// that its size is final and no later grab prepares it afresh.
std::unique_ptr<TAnalogNumber> Counter(int digits, int separatorPos = NoSeparator, int value = 0)
{
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(digits * CellWidth, CellHeight);
    counter->show();
    counter->SetDigits(digits);
    counter->SetSeparatorPos(separatorPos);
    counter->ShowValue(value);
    return counter;
}

// Four cells sized by a digit picture `cellHeight` high.
std::unique_ptr<TAnalogNumber> PictureCounter(int cellHeight, int clockRate)
{
    const QImage face = MakeDigitPicture(QSize(DefaultDigitPictureSize.width(), cellHeight));
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(4 * face.width(), cellHeight);
    counter->SetDigits(4);
    counter->SetDigitPicture(face);
    counter->SetClockRate(clockRate);
    return counter;
}

QImage Picture(TAnalogNumber &counter)
{
    return counter.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage IdlePicture(int digits, int value)
{
    return Picture(*Counter(digits, NoSeparator, value));
}

} // namespace

class TestAnalogNumber final : public QObject
{
    Q_OBJECT

private slots:
    void timing_data();
    void timing();
    void cells_data();
    void cells();
    void cellsFollowDigitsAndSeparator();
    void rollingCells_data();
    void rollingCells();
    void sameValueOrScrollOffStartsNoRoll();
    void rollReachesNextValue_data();
    void rollReachesNextValue();
    void newNextValueRestartsRoll();
    void valueSetDuringRollEndsOnNextValue();
    void rollingCellSlidesDown();
    void framedCellsAndSeparator();
    void pictureCells();
    void fontFitsCell_data();
    void fontFitsCell();
    void degenerateSizesStillRoll();
};

void TestAnalogNumber::timing_data()
{
    QTest::addColumn<int>("cellHeight");
    QTest::addColumn<int>("clockRate");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("step");

    QTest::newRow("18 px, 700 ms: 39 would overrun") << 18 << 700 << 38 << 1;
    QTest::newRow("64 px, 700 ms: 11 would overrun") << 64 << 700 << 10 << 1;
    QTest::newRow("200 px, 1000 ms: floor of 10 ms") << 200 << 1000 << 10 << 2;
    QTest::newRow("20 px, 1000 ms: exact") << 20 << 1000 << 50 << 1;
    QTest::newRow("25 px, 100 ms: step 2.5 to even") << 25 << 100 << 10 << 2;
    QTest::newRow("35 px, 100 ms: step 3.5 to even") << 35 << 100 << 10 << 4;
}

void TestAnalogNumber::timing()
{
    QFETCH(int, cellHeight);
    QFETCH(int, clockRate);
    // The rate comes after the picture has prepared the control, and must still count.
    auto counter = PictureCounter(cellHeight, clockRate);
    QCOMPARE(counter->CellHeight(), cellHeight);
    QTEST(counter->TickInterval(), "interval");
    QTEST(counter->Step(), "step");
}

void TestAnalogNumber::cells_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("separatorPos");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("leading zeros") << 6 << -1 << 42 << "000042";
    // A number never shows cut: more digits than laid out get more cells.
    QTest::newRow("five digits where four were laid out") << 4 << -1 << 12345 << "12345";
    QTest::newRow("minutes with separator") << 8 << 5 << 123456 << "01234,56";
    QTest::newRow("minutes past the cells keep two decimals") << 8 << 5 << 12345678 << "123456,78";
    QTest::newRow("zero with separator") << 8 << 5 << 0 << "00000,00";
    QTest::newRow("separator leftmost") << 4 << 0 << 98765 << "98,765";
    QTest::newRow("separator beyond the cells") << 4 << 7 << 12 << "0012";
    QTest::newRow("twelve cells, largest number") << 12 << -1 << 2147483647 << "002147483647";
    QTest::newRow("negative shows as zero") << 5 << 3 << -1234 << "000,0";
}

void TestAnalogNumber::cells()
{
    QFETCH(int, digits);
    QFETCH(int, separatorPos);
    QFETCH(int, value);
    QFETCH(QString, shown);

    auto counter = Counter(digits, separatorPos);
    QSignalSpy grown(counter.get(), &TAnalogNumber::DigitsGrown);
    counter->SetNextValue(value);
    QCOMPARE(CellText(counter->NextCells(), counter->Digits()), shown);
    counter->SetValue(value);
    QCOMPARE(CellText(counter->ValueCells(), counter->Digits()), shown);
    QCOMPARE(grown.size(), shown.size() > digits ? 1 : 0);
}

void TestAnalogNumber::cellsFollowDigitsAndSeparator()
{
    auto counter = Counter(6, NoSeparator, 123);
    counter->SetDigits(4);
    QCOMPARE(CellText(counter->ValueCells(), 4), QStringLiteral("0123"));
    counter->SetSeparatorPos(2);
    QCOMPARE(CellText(counter->ValueCells(), 4), QStringLiteral("12,3"));
    counter->SetDigits(20);
    QCOMPARE(counter->Digits(), TAnalogNumber::MaxDigits);
}

void TestAnalogNumber::rollingCells_data()
{
    QTest::addColumn<int>("separatorPos");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("rolling");   // "1" where the cell rolls

    QTest::newRow("1999 to 2000: all four") << -1 << 1999 << 2000 << "1111";
    QTest::newRow("1000 to 1001: the last") << -1 << 1000 << 1001 << "0001";
    QTest::newRow("down as well as up") << -1 << 2000 << 1999 << "1111";
    QTest::newRow("the separator stands") << 1 << 199 << 200 << "1011";
}

void TestAnalogNumber::rollingCells()
{
    QFETCH(int, separatorPos);
    QFETCH(int, from);
    QFETCH(int, to);

    auto counter = Counter(4, separatorPos, from);
    counter->SetNextValue(to);
    QVERIFY(counter->Rolling());
    QString rolling;
    for (int i = 0; i < 4; ++i)
        rolling += counter->Offsets()[i] == CellHeight ? u'1' : counter->Offsets()[i] == 0 ? u'0' : u'?';
    QTEST(rolling, "rolling");
}

void TestAnalogNumber::sameValueOrScrollOffStartsNoRoll()
{
    auto counter = Counter(4, NoSeparator, 12);
    counter->SetNextValue(12);
    QVERIFY(!counter->Rolling());

    // Without scrolling the new number shows at once, and `Value` stays.
    counter->SetScroll(false);
    counter->SetNextValue(345);
    QVERIFY(!counter->Rolling());
    QCOMPARE(counter->Value(), 12);
    QCOMPARE(Picture(*counter), IdlePicture(4, 345));
}

void TestAnalogNumber::rollReachesNextValue_data()
{
    QTest::addColumn<int>("cellHeight");
    QTest::addColumn<int>("clockRate");
    QTest::addColumn<int>("ticks");

    QTest::newRow("18 px at 700 ms: one pixel a tick") << 18 << 700 << 18;
    QTest::newRow("200 px at 1000 ms: two pixels a tick") << 200 << 1000 << 100;
    QTest::newRow("25 px at 100 ms: last step cut short") << 25 << 100 << 13;
}

void TestAnalogNumber::rollReachesNextValue()
{
    QFETCH(int, cellHeight);
    QFETCH(int, clockRate);

    auto counter = PictureCounter(cellHeight, clockRate);
    counter->ShowValue(1999);
    QSignalSpy finished(counter.get(), &TAnalogNumber::RollFinished);
    counter->SetNextValue(2000);
    QCOMPARE(counter->Value(), 1999);
    QVERIFY(finished.wait(RollWait));
    QCOMPARE(finished.count(), 1);
    QTEST(counter->RollTicks(), "ticks");
    QCOMPARE(counter->Value(), 2000);
    QCOMPARE(CellText(counter->ValueCells(), 4), QStringLiteral("2000"));
    QVERIFY(!counter->Rolling());   // nothing runs between rolls
}

void TestAnalogNumber::newNextValueRestartsRoll()
{
    auto counter = Counter(4, NoSeparator, 1000);
    counter->SetClockRate(50 * CellHeight);   // 50 ms a tick
    counter->SetNextValue(1001);
    QTRY_VERIFY(counter->Offsets()[3] < CellHeight);

    // The roll starts again from the unchanged `Value`: now only the tens roll.
    counter->SetNextValue(1010);
    QVERIFY(counter->Rolling());
    QCOMPARE(counter->Value(), 1000);
    QCOMPARE(counter->Offsets()[2], CellHeight);
    QCOMPARE(counter->Offsets()[3], 0);

    QSignalSpy finished(counter.get(), &TAnalogNumber::RollFinished);
    QVERIFY(finished.wait(RollWait));
    QCOMPARE(counter->Value(), 1010);
    QCOMPARE(counter->RollTicks(), CellHeight);
    QCOMPARE(Picture(*counter), IdlePicture(4, 1010));
}

void TestAnalogNumber::valueSetDuringRollEndsOnNextValue()
{
    auto counter = Counter(4, NoSeparator, 1000);
    counter->SetClockRate(20 * CellHeight);
    counter->SetNextValue(1001);
    counter->SetValue(500);
    QVERIFY(counter->Rolling());
    QSignalSpy finished(counter.get(), &TAnalogNumber::RollFinished);
    QVERIFY(finished.wait(RollWait));
    QCOMPARE(Picture(*counter), IdlePicture(4, 1001));
}

void TestAnalogNumber::rollingCellSlidesDown()
{
    const QImage before = IdlePicture(4, 1000);
    const QImage after = IdlePicture(4, 1001);
    auto counter = Counter(4, NoSeparator, 1000);
    counter->SetClockRate(100 * CellHeight);
    counter->SetNextValue(1001);
    // Away from half a cell, where a roll upwards would look the same.
    QTRY_VERIFY(counter->Offsets()[3] <= CellHeight / 4);
    const int offset = counter->Offsets()[3];
    const QImage rolling = Picture(*counter);
    QVERIFY(offset > 0);

    // Unchanged cells stand still; the last shows the lower part of the new digit
    // above the upper part of the old one, as on a drum turning downwards.
    const int left = 3 * CellWidth;
    QCOMPARE(rolling.copy(0, 0, left, CellHeight), before.copy(0, 0, left, CellHeight));
    const int split = CellHeight - offset;
    QCOMPARE(rolling.copy(left, 0, CellWidth, split), after.copy(left, offset, CellWidth, split));
    QCOMPARE(rolling.copy(left, split, CellWidth, offset), before.copy(left, 0, CellWidth, offset));
    QVERIFY(after.copy(left, offset, CellWidth, split) != before.copy(left, offset, CellWidth, split));
}

void TestAnalogNumber::framedCellsAndSeparator()
{
    constexpr int Spare = 3;   // pixels right of the cells, too few for wider cells
    auto counter = Counter(4, 2);
    counter->resize(4 * CellWidth + Spare, CellHeight);
    counter->SetColor(Qt::darkBlue);
    counter->SetBorderColor(Qt::red);   // shows: the resize left the control unprepared
    const QImage image = Picture(*counter);

    for (const QPoint frame : {QPoint(CellWidth / 2, 0), QPoint(CellWidth / 2, CellHeight - 1),
                               QPoint(0, CellHeight / 2), QPoint(CellWidth - 1, CellHeight / 2)})
        QCOMPARE(QColor(image.pixel(frame + QPoint(3 * CellWidth, 0))), QColor(Qt::red));
    QCOMPARE(QColor(image.pixel(4 * CellWidth + 1, CellHeight / 2)), QColor(Qt::darkBlue));

    // A new separator shows at once, not only after the next resize. Wide as it is,
    // it ends at the middle of its cell (give or take a pixel of smoothing).
    counter->SetSeparator(u'W');
    const QImage wide = Picture(*counter);
    const QRect separatorCell(2 * CellWidth, 0, CellWidth, CellHeight);
    QVERIFY(wide.copy(separatorCell) != image.copy(separatorCell));
    const QRect rightHalf(2 * CellWidth + CellWidth / 2 + 1, 1, CellWidth / 2 - 2, CellHeight - 2);
    QCOMPARE(wide.copy(rightHalf).convertToFormat(QImage::Format_Indexed8).colorCount(), 1);
}

void TestAnalogNumber::pictureCells()
{
    // As in the small window: the picture decides the cells, the rest is background.
    const QImage face = MakeDigitPicture();
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(2 * face.width() + 3, face.height() + 1);
    counter->SetDigits(2);
    counter->SetColor(Qt::darkBlue);
    counter->SetDigitPicture(face);
    const QImage image = Picture(*counter);

    // Corners hold no glyph, so they show the picture itself.
    QCOMPARE(image.pixel(face.width(), 0), face.pixel(0, 0));
    QCOMPARE(image.pixel(2 * face.width() - 1, face.height() - 1),
             face.pixel(face.width() - 1, face.height() - 1));
    QCOMPARE(QColor(image.pixel(2 * face.width() + 1, 1)), QColor(Qt::darkBlue));
    QCOMPARE(QColor(image.pixel(1, face.height())), QColor(Qt::darkBlue));
    // A third digit asks its window for a third cell's width, and never less.
    counter->SetNextValue(123);
    QCOMPARE(counter->minimumSizeHint(), QSize(3 * face.width(), face.height()));
}

void TestAnalogNumber::fontFitsCell_data()
{
    QTest::addColumn<int>("cellWidth");
    QTest::addColumn<int>("cellHeight");
    QTest::addColumn<int>("minHeight");
    QTest::addColumn<int>("maxHeight");
    QTest::addColumn<bool>("fitsWidth");

    // Font heights count the internal leading; a cell keeps a margin of 4 pixels.
    QTest::newRow("small window cell") << 14 << 18 << 12 << 14 << true;
    QTest::newRow("big window cell") << 40 << 90 << 60 << 86 << true;
    // The tallest font whose "0" fits: 17 pixels high would be 9 wide.
    QTest::newRow("narrow tall cell: width decides") << 8 << 40 << 16 << 16 << true;
    QTest::newRow("too narrow: stops at 6") << 2 << 30 << 5 << 6 << false;
    QTest::newRow("flat cell: at least 6") << 20 << 5 << 5 << 6 << true;
}

void TestAnalogNumber::fontFitsCell()
{
    QFETCH(int, cellWidth);
    QFETCH(int, cellHeight);
    QFETCH(int, minHeight);
    QFETCH(int, maxHeight);

    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(4 * cellWidth, cellHeight);
    counter->SetDigits(4);
    const QFontMetrics metrics(counter->GlyphFont());
    QVERIFY2(metrics.height() >= minHeight && metrics.height() <= maxHeight,
             qPrintable(QString::number(metrics.height())));
    QTEST(metrics.horizontalAdvance(u'0') <= cellWidth, "fitsWidth");
}

void TestAnalogNumber::degenerateSizesStillRoll()
{
    // Six cells in three pixels and no clock rate: one tick, no crash.
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(3, 1);
    counter->SetClockRate(0);
    QSignalSpy finished(counter.get(), &TAnalogNumber::RollFinished);
    counter->SetNextValue(6);
    QVERIFY(finished.wait(RollWait));
    QCOMPARE(counter->RollTicks(), 1);
    QCOMPARE(Picture(*counter).size(), QSize(3, 1));
}

QTEST_MAIN(TestAnalogNumber)
#include "tst_analognumber.moc"
