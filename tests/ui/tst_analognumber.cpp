#include <memory>

#include <QSignalSpy>
#include <QTest>

#include "uAnalogNumber.h"

namespace {

constexpr int CellWidth = 16;
constexpr int CellHeight = 20;
constexpr int RollWait = 10000;   // ms; every roll here takes well under that

// "01234,56": digits as themselves, the separator as ",", the empty glyph as "_".
QString CellText(const TAnalogNumber::TCells &cells, int digits)
{
    QString text;
    for (int i = 0; i < digits; ++i) {
        if (cells[i] == TAnalogNumber::SeparatorGlyph)
            text += u',';
        else if (cells[i] == TAnalogNumber::EmptyGlyph)
            text += u'_';
        else
            text += QChar(u'0' + cells[i]);
    }
    return text;
}

// A framed counter (no picture) whose cells are CellWidth x CellHeight.
std::unique_ptr<TAnalogNumber> FramedCounter(int digits, int separatorPos = TAnalogNumber::NoSeparator)
{
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(digits * CellWidth, CellHeight);
    counter->SetDigits(digits);
    counter->SetSeparatorPos(separatorPos);
    return counter;
}

// A counter whose cell size comes from a digit picture of the given height.
std::unique_ptr<TAnalogNumber> PictureCounter(int digits, int cellHeight, int clockRate)
{
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(digits * DefaultDigitPictureSize.width(), cellHeight);
    counter->SetDigits(digits);
    counter->SetDigitPicture(MakeDigitPicture(QSize(DefaultDigitPictureSize.width(), cellHeight)));
    counter->SetClockRate(clockRate);
    return counter;
}

QImage Picture(TAnalogNumber &counter)
{
    return counter.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// What an idle framed counter of `digits` cells shows for `value`.
QImage IdlePicture(int digits, int value, int separatorPos = TAnalogNumber::NoSeparator)
{
    auto counter = FramedCounter(digits, separatorPos);
    counter->ShowValue(value);
    return Picture(*counter);
}

bool IsBright(QRgb pixel)
{
    return qGray(pixel) > 160;
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
    void sameValueStartsNoRoll();
    void rollReachesNextValue_data();
    void rollReachesNextValue();
    void newNextValueRestartsRoll();
    void valueSetDuringRollEndsOnNextValue();
    void scrollOffShowsAtOnce();
    void rollingCellSlidesDown();
    void framedCellsAndSeparator();
    void pictureCellsLeaveBackground();
    void newSeparatorShowsAtOnce();
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
    QFETCH(int, interval);
    QFETCH(int, step);

    // The rate is set after the picture prepared the control: it must still count.
    auto counter = PictureCounter(4, cellHeight, clockRate);
    QCOMPARE(counter->CellHeight(), cellHeight);
    QCOMPARE(counter->TickInterval(), interval);
    QCOMPARE(counter->Step(), step);
}

void TestAnalogNumber::cells_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("separatorPos");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("four digits") << 4 << -1 << 1234 << "1234";
    QTest::newRow("leading zeros") << 6 << -1 << 42 << "000042";
    QTest::newRow("digits beyond the cells dropped") << 4 << -1 << 12345 << "2345";
    QTest::newRow("minutes with separator") << 8 << 5 << 123456 << "01234,56";
    QTest::newRow("zero with separator") << 8 << 5 << 0 << "00000,00";
    QTest::newRow("separator leftmost") << 4 << 0 << 98765 << ",765";
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

    auto counter = FramedCounter(digits, separatorPos);
    counter->SetScroll(false);
    counter->SetValue(value);
    QCOMPARE(CellText(counter->ValueCells(), digits), shown);
    counter->SetValue(0);
    counter->SetNextValue(value);
    QCOMPARE(CellText(counter->NextCells(), digits), shown);
}

void TestAnalogNumber::cellsFollowDigitsAndSeparator()
{
    auto counter = FramedCounter(6);
    counter->ShowValue(123);
    counter->SetDigits(4);
    QCOMPARE(CellText(counter->ValueCells(), 4), QStringLiteral("0123"));
    counter->SetSeparatorPos(2);
    QCOMPARE(CellText(counter->ValueCells(), 4), QStringLiteral("12,3"));
    // More cells than the largest counter holds are refused.
    counter->SetDigits(20);
    QCOMPARE(counter->Digits(), TAnalogNumber::MaxDigits);
}

void TestAnalogNumber::rollingCells_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("separatorPos");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("rolling");   // "1" where the cell rolls

    QTest::newRow("1999 to 2000: all four") << 4 << -1 << 1999 << 2000 << "1111";
    QTest::newRow("1000 to 1001: the last") << 4 << -1 << 1000 << 1001 << "0001";
    QTest::newRow("carry across the separator") << 8 << 5 << 99 << 100 << "00001011";
    QTest::newRow("down as well as up") << 4 << -1 << 2000 << 1999 << "1111";
}

void TestAnalogNumber::rollingCells()
{
    QFETCH(int, digits);
    QFETCH(int, separatorPos);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, rolling);

    auto counter = FramedCounter(digits, separatorPos);
    counter->ShowValue(from);
    counter->SetNextValue(to);
    QVERIFY(counter->Rolling());
    QString offsets;
    for (int i = 0; i < digits; ++i) {
        const int offset = counter->Offsets()[i];
        QVERIFY2(offset == 0 || offset == CellHeight, qPrintable(QString::number(offset)));
        offsets += offset == CellHeight ? u'1' : u'0';
    }
    QCOMPARE(offsets, rolling);
}

void TestAnalogNumber::sameValueStartsNoRoll()
{
    auto counter = FramedCounter(4);
    counter->ShowValue(42);
    counter->SetNextValue(42);
    QVERIFY(!counter->Rolling());
    QCOMPARE(counter->Offsets(), TAnalogNumber::TCells{});
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
    QFETCH(int, ticks);

    auto counter = PictureCounter(4, cellHeight, clockRate);
    counter->ShowValue(1999);
    QSignalSpy finished(counter.get(), &TAnalogNumber::RollFinished);
    counter->SetNextValue(2000);
    QCOMPARE(counter->Value(), 1999);
    QVERIFY(finished.wait(RollWait));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(counter->RollTicks(), ticks);
    QCOMPARE(counter->Value(), 2000);
    QCOMPARE(CellText(counter->ValueCells(), 4), QStringLiteral("2000"));
    QCOMPARE(counter->Offsets(), TAnalogNumber::TCells{});
    // Nothing runs between rolls.
    QVERIFY(!counter->Rolling());
}

void TestAnalogNumber::newNextValueRestartsRoll()
{
    auto counter = FramedCounter(4);
    counter->SetClockRate(50 * CellHeight);   // 50 ms a tick
    counter->ShowValue(1000);
    counter->SetNextValue(1001);
    QTRY_VERIFY(counter->Offsets()[3] < CellHeight);

    counter->SetNextValue(1010);
    QVERIFY(counter->Rolling());
    QCOMPARE(counter->Value(), 1000);
    QCOMPARE(counter->RollTicks(), 0);
    // Offsets start again from the unchanged `Value`: the last cell no longer rolls.
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
    auto counter = FramedCounter(4);
    counter->SetClockRate(20 * CellHeight);
    counter->ShowValue(1000);
    counter->SetNextValue(1001);
    counter->SetValue(500);
    QVERIFY(counter->Rolling());
    QSignalSpy finished(counter.get(), &TAnalogNumber::RollFinished);
    QVERIFY(finished.wait(RollWait));
    QCOMPARE(counter->Value(), 1001);
    QCOMPARE(Picture(*counter), IdlePicture(4, 1001));
}

void TestAnalogNumber::scrollOffShowsAtOnce()
{
    auto counter = FramedCounter(4);
    counter->ShowValue(12);
    counter->SetScroll(false);
    counter->SetNextValue(345);
    QVERIFY(!counter->Rolling());
    QCOMPARE(counter->Value(), 12);
    QCOMPARE(counter->NextValue(), 345);
    QCOMPARE(Picture(*counter), IdlePicture(4, 345));
}

void TestAnalogNumber::rollingCellSlidesDown()
{
    const QImage before = IdlePicture(4, 1000);
    const QImage after = IdlePicture(4, 1001);
    QVERIFY(before != after);

    auto counter = FramedCounter(4);
    counter->SetClockRate(100 * CellHeight);
    counter->ShowValue(1000);
    counter->SetNextValue(1001);
    QTRY_VERIFY(counter->Offsets()[3] <= CellHeight / 2);
    const int offset = counter->Offsets()[3];
    const QImage rolling = Picture(*counter);
    QVERIFY(counter->Rolling());
    QVERIFY(offset > 0);

    // Unchanged cells stand still; the last shows the lower part of the new digit on
    // top of the upper part of the old one, as on a drum turning downwards.
    const int left = 3 * CellWidth;
    QCOMPARE(rolling.copy(0, 0, left, CellHeight), before.copy(0, 0, left, CellHeight));
    for (int y = 0; y < CellHeight; ++y) {
        const bool fromNew = y < CellHeight - offset;
        const QImage &source = fromNew ? after : before;
        const int sourceY = fromNew ? y + offset : y - (CellHeight - offset);
        for (int x = left; x < left + CellWidth; ++x) {
            QVERIFY2(rolling.pixel(x, y) == source.pixel(x, sourceY),
                     qPrintable(QStringLiteral("pixel %1,%2 at offset %3").arg(x).arg(y).arg(offset)));
        }
    }
}

void TestAnalogNumber::framedCellsAndSeparator()
{
    constexpr int Digits = 8;
    constexpr int SeparatorPos = 5;
    constexpr int Spare = 7;   // pixels right of the cells
    auto counter = FramedCounter(Digits, SeparatorPos);
    counter->resize(Digits * CellWidth + Spare, CellHeight);
    counter->SetColor(Qt::darkBlue);
    counter->SetBorderColor(Qt::red);
    counter->ShowValue(0);
    const QImage image = Picture(*counter);

    for (int cell = 0; cell < Digits; ++cell) {
        const int left = cell * CellWidth;
        QCOMPARE(QColor(image.pixel(left + CellWidth / 2, 0)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(left + CellWidth / 2, CellHeight - 1)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(left, CellHeight / 2)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(left + CellWidth - 1, CellHeight / 2)), QColor(Qt::red));
        int brightLeft = 0;
        int brightRight = 0;
        for (int y = 1; y < CellHeight - 1; ++y) {
            for (int x = 1; x < CellWidth - 1; ++x) {
                if (IsBright(image.pixel(left + x, y)))
                    ++(x < CellWidth / 2 ? brightLeft : brightRight);
            }
        }
        if (cell == SeparatorPos) {
            QVERIFY2(brightLeft > 0 && brightRight == 0, "the separator ends at the middle");
        } else {
            QVERIFY2(brightLeft > 0 && brightRight > 0, "a digit sits in the middle");
        }
    }
    QCOMPARE(QColor(image.pixel(Digits * CellWidth + Spare / 2, CellHeight / 2)), QColor(Qt::darkBlue));
}

void TestAnalogNumber::pictureCellsLeaveBackground()
{
    // As in the small window: a 14 x 18 picture in a control one pixel taller.
    constexpr int Spare = 3;
    const QImage face = MakeDigitPicture();
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(2 * face.width() + Spare, face.height() + 1);
    counter->SetDigits(2);
    counter->SetColor(Qt::darkBlue);
    counter->SetDigitPicture(face);
    counter->ShowValue(7);
    const QImage image = Picture(*counter);

    QCOMPARE(counter->CellWidth(), face.width());
    QCOMPARE(counter->CellHeight(), face.height());
    for (int cell = 0; cell < 2; ++cell) {
        // Corners hold no glyph, so they show the picture itself.
        const int left = cell * face.width();
        QCOMPARE(image.pixel(left, 0), face.pixel(0, 0));
        QCOMPARE(image.pixel(left + face.width() - 1, face.height() - 1),
                 face.pixel(face.width() - 1, face.height() - 1));
    }
    QCOMPARE(QColor(image.pixel(2 * face.width() + 1, 1)), QColor(Qt::darkBlue));
    QCOMPARE(QColor(image.pixel(1, face.height())), QColor(Qt::darkBlue));
}

void TestAnalogNumber::newSeparatorShowsAtOnce()
{
    auto counter = FramedCounter(4, 2);
    counter->ShowValue(1234);
    const QImage comma = Picture(*counter);
    counter->SetSeparator(u'.');
    const QImage point = Picture(*counter);
    QVERIFY(point != comma);
    // Only the separator cell changes.
    QCOMPARE(point.copy(0, 0, 2 * CellWidth, CellHeight), comma.copy(0, 0, 2 * CellWidth, CellHeight));
    QCOMPARE(point.copy(3 * CellWidth, 0, CellWidth, CellHeight),
             comma.copy(3 * CellWidth, 0, CellWidth, CellHeight));
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
    QTest::newRow("narrow tall cell: width decides") << 8 << 40 << 10 << 20 << true;
    QTest::newRow("too narrow: stops at 6") << 2 << 30 << 5 << 6 << false;
    QTest::newRow("flat cell: at least 6") << 20 << 5 << 5 << 6 << true;
}

void TestAnalogNumber::fontFitsCell()
{
    QFETCH(int, cellWidth);
    QFETCH(int, cellHeight);
    QFETCH(int, minHeight);
    QFETCH(int, maxHeight);
    QFETCH(bool, fitsWidth);

    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(4 * cellWidth, cellHeight);
    counter->SetDigits(4);
    QCOMPARE(counter->CellWidth(), cellWidth);
    const QFontMetrics metrics(counter->GlyphFont());
    QVERIFY2(metrics.height() >= minHeight && metrics.height() <= maxHeight,
             qPrintable(QString::number(metrics.height())));
    QCOMPARE(metrics.horizontalAdvance(u'0') <= cellWidth, fitsWidth);
}

void TestAnalogNumber::degenerateSizesStillRoll()
{
    // Six cells in three pixels: each cell is still one pixel wide.
    auto counter = std::make_unique<TAnalogNumber>();
    counter->resize(3, 1);
    counter->SetClockRate(0);
    counter->ShowValue(5);
    QSignalSpy finished(counter.get(), &TAnalogNumber::RollFinished);
    counter->SetNextValue(6);
    QVERIFY(finished.wait(RollWait));
    QCOMPARE(counter->Value(), 6);
    QCOMPARE(counter->RollTicks(), 1);
    QCOMPARE(Picture(*counter).size(), QSize(3, 1));
}

QTEST_MAIN(TestAnalogNumber)
#include "tst_analognumber.moc"
