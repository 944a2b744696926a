#include "uAnalogNumber.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace {

// Laid over the cells of a dimmed counter: the digits stay readable, plainly not live.
const QColor DimmedVeil(128, 128, 128, 160);

constexpr int DefaultDigits = 6;
constexpr int DefaultClockRate = 1000;             // ms
constexpr int MinTickInterval = 10;                // ms
constexpr int FontMargin = 4;                      // cell height less the fitted font height
constexpr int MinFontHeight = 6;
constexpr int MinTextX = 1;
const QColor DefaultBorderColor{128, 128, 128};
constexpr char16_t DefaultSeparator = u',';

// a / b for positive b, to the nearest integer with a half going to the even neighbour.
int DivRoundEven(int a, int b)
{
    int quotient = a / b;
    const int twiceRemainder = 2 * (a % b);
    if (twiceRemainder > b || (twiceRemainder == b && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

// The glyph index of every cell for `number`, rightmost cell first.
TAnalogNumber::TCells CellsOf(int number, int digits, int separatorPos)
{
    TAnalogNumber::TCells cells{};
    // Counters only ever show day figures; a negative one (never expected) shows as 0.
    int rest = std::max(number, 0);
    for (int i = digits - 1; i >= 0; --i) {
        if (i == separatorPos) {
            cells[i] = TAnalogNumber::SeparatorGlyph;
        } else {
            cells[i] = rest % 10;
            rest /= 10;
        }
    }
    return cells;
}

// Decimal digits of a day figure; 0 and below have one.
int DigitCount(int number)
{
    int count = 1;
    for (int rest = std::max(number, 0); rest >= 10; rest /= 10)
        ++count;
    return count;
}

// `base` at the largest pixel size whose line height (internal leading included)
// is at most `height`.
QFont FontOfHeight(const QFont &base, int height)
{
    constexpr int ProbeSize = 100;
    QFont font = base;
    font.setPixelSize(ProbeSize);
    const int probeHeight = std::max(1, QFontMetrics(font).height());
    int size = std::max(1, height * ProbeSize / probeHeight);
    font.setPixelSize(size + 1);
    while (QFontMetrics(font).height() <= height) {
        ++size;
        font.setPixelSize(size + 1);
    }
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > height)
        font.setPixelSize(--size);
    return font;
}

// The largest font whose height (less a margin, at least MinFontHeight) fits a cell
// and whose "0" fits its width; where none does, the one of MinFontHeight. Heights are
// tried by halving the range: a walk down one pixel at a time loads a font a step.
QFont FittedFont(const QFont &base, int cellWidth, int cellHeight)
{
    const auto fits = [&](int height) {
        return QFontMetrics(FontOfHeight(base, height)).horizontalAdvance(QLatin1Char('0')) <= cellWidth;
    };
    const int top = std::max(cellHeight - FontMargin, MinFontHeight);
    int good = top;
    if (!fits(top)) {
        // `good` fits or is the least height; `bad` does not fit.
        good = MinFontHeight;
        int bad = top;
        while (bad - good > 1) {
            const int middle = good + (bad - good) / 2;
            (fits(middle) ? good : bad) = middle;
        }
    }
    return FontOfHeight(base, good);
}

} // namespace

TAnalogNumber::TAnalogNumber(QWidget *parent)
    : QWidget(parent)
    , m_color(Qt::black)
    , m_clockRate(DefaultClockRate)
    , m_borderColor(DefaultBorderColor)
    , m_digits(DefaultDigits)
    , m_separator(DefaultSeparator)
    , m_textColor(Qt::white)
    , m_tickInterval(MinTickInterval)
{
    QFont digitFont = font();
    digitFont.setFamily(QStringLiteral("Arial"));
    setFont(digitFont);
    // Every pixel is painted from the pictures.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_timer, &QTimer::timeout, this, &TAnalogNumber::RollTick);
    ComputeCells();
}

void TAnalogNumber::SetAutoFontSize(bool on)
{
    m_autoFontSize = on;
}

void TAnalogNumber::SetColor(const QColor &color)
{
    m_color = color;
}

void TAnalogNumber::SetClockRate(int milliseconds)
{
    // Below 1 ms the step would divide by zero; 1 ms already rolls in one tick.
    m_clockRate = std::max(1, milliseconds);
    // Timing needs no drawing, so a prepared control takes the new rate at once.
    if (m_layoutReady)
        ApplyTiming();
}

void TAnalogNumber::SetBorderColor(const QColor &color)
{
    // Shows with the next preparation of the pictures.
    m_borderColor = color;
}

void TAnalogNumber::SetValue(int value)
{
    MakeRoomFor(value);
    m_value = value;
    m_valueCells = CellsOf(m_value, m_digits, m_separatorPos);
    m_topShowsNext = false;
    DrawRow(m_valueCells, 0);
    update();
}

void TAnalogNumber::SetNextValue(int value)
{
    m_timer.stop();
    MakeRoomFor(value);
    m_nextValue = value;
    m_nextCells = CellsOf(m_nextValue, m_digits, m_separatorPos);
    // The offsets are in pixels of the cell, which the layout decides.
    PrepareLayout();
    for (int i = 0; i < MaxDigits; ++i)
        m_offsets[i] = (i < m_digits && m_nextCells[i] != m_valueCells[i]) ? m_cellHeight : 0;
    DrawRow(m_valueCells, m_cellHeight);
    DrawRow(m_nextCells, 0);
    m_topShowsNext = true;
    if (m_scroll && m_nextValue != m_value) {
        m_rollTicks = 0;
        m_timer.start(m_tickInterval);
    }
    update();
}

void TAnalogNumber::ShowValue(int value)
{
    m_timer.stop();
    m_offsets.fill(0);
    MakeRoomFor(value);
    m_nextValue = value;
    m_nextCells = CellsOf(m_nextValue, m_digits, m_separatorPos);
    SetValue(value);
}

void TAnalogNumber::SetDigits(int digits)
{
    m_digits = std::clamp(digits, 1, MaxDigits);
    // The cells of both numbers depend on the count: 123 in four cells is 0123.
    ComputeCells();
    Invalidate();
    updateGeometry();
    MakeRoomFor(std::max(m_value, m_nextValue));
    if (Rolling())
        SetNextValue(m_nextValue);
    update();
}

void TAnalogNumber::SetDigitPicture(const QImage &picture)
{
    m_digitPicture = picture;
    Invalidate();
    updateGeometry();
    update();
}

void TAnalogNumber::SetScroll(bool on)
{
    m_scroll = on;
    update();
}

void TAnalogNumber::SetSeparator(QChar separator)
{
    m_separator = separator;
    // The separator glyph lives in the strip, so only a new strip shows it.
    m_picturesReady = false;
    update();
}

void TAnalogNumber::SetSeparatorPos(int pos)
{
    m_separatorPos = pos;
    ComputeCells();
    DrawRows();
    update();
}

void TAnalogNumber::SetTextColor(const QColor &color)
{
    m_textColor = color;
}

QSize TAnalogNumber::sizeHint() const
{
    if (m_digitPicture.isNull())
        return QWidget::sizeHint();
    return QSize(m_digits * m_digitPicture.width(), m_digitPicture.height());
}

QSize TAnalogNumber::minimumSizeHint() const
{
    return m_digitPicture.isNull() ? QWidget::minimumSizeHint() : sizeHint();
}

void TAnalogNumber::paintEvent(QPaintEvent *)
{
    PreparePictures();
    QPainter painter(this);
    QRect covered;
    if (m_timer.isActive() && m_scroll) {
        for (int i = 0; i < m_digits; ++i) {
            painter.drawImage(QPoint(i * m_cellWidth, 0), m_rollPicture,
                              QRect(i * m_cellWidth, m_offsets[i], m_cellWidth, m_cellHeight));
        }
        covered = QRect(0, 0, m_digits * m_cellWidth, m_cellHeight);
    } else {
        covered = QRect(0, 0, width(), m_cellHeight);
        painter.drawImage(QPoint(0, 0), m_rollPicture, covered);
    }
    // What the cells leave free (right of them, below them) is background.
    const QRegion rest = QRegion(rect()).subtracted(QRegion(covered));
    for (const QRect &free : rest)
        painter.fillRect(free, m_color);
    if (m_dimmed)
        painter.fillRect(rect(), DimmedVeil);
}

void TAnalogNumber::SetDimmed(bool on)
{
    if (on == m_dimmed)
        return;
    m_dimmed = on;
    update();
}

void TAnalogNumber::resizeEvent(QResizeEvent *event)
{
    Invalidate();
    QWidget::resizeEvent(event);
}

void TAnalogNumber::Invalidate()
{
    m_layoutReady = false;
    m_picturesReady = false;
}

const TAnalogNumber &TAnalogNumber::Prepared() const
{
    // Preparing changes no visible state, only what it derives from the properties.
    const_cast<TAnalogNumber *>(this)->PrepareLayout();
    return *this;
}

// Cells, font and timing: wanted for a roll's offsets, so also while hidden. Until then
// nothing is measured: not at the size a control has before its window lays it out.
void TAnalogNumber::PrepareLayout()
{
    if (m_layoutReady)
        return;
    m_picturesReady = false;
    if (!m_digitPicture.isNull()) {
        m_cellWidth = m_digitPicture.width();
        m_cellHeight = m_digitPicture.height();
    } else {
        m_cellWidth = width() / m_digits;
        m_cellHeight = height();
    }
    // A control squeezed to nothing still needs pictures to copy from.
    m_cellWidth = std::max(1, m_cellWidth);
    m_cellHeight = std::max(1, m_cellHeight);

    FitFont();
    ApplyTiming();
    // A running roll keeps its progress within the new cell height.
    for (int &offset : m_offsets)
        offset = std::min(offset, m_cellHeight);
    m_layoutReady = true;
}

// The glyph strip and the roll picture: made when the control is painted, at its size.
void TAnalogNumber::PreparePictures()
{
    PrepareLayout();
    if (m_picturesReady)
        return;
    DrawGlyphStrip();
    // Two full rows even when a picture makes the cells taller than the control,
    // so the bottom row is never cut off.
    m_rollPicture = QImage(std::max(1, width()), 2 * std::max(height(), m_cellHeight),
                           QImage::Format_RGB32);
    m_rollPicture.fill(m_color);
    m_picturesReady = true;
    DrawRows();
}

void TAnalogNumber::FitFont()
{
    if (!m_autoFontSize)
        m_glyphFont = font();
    else
        m_glyphFont = FittedFont(font(), m_cellWidth, m_cellHeight);
    const QFontMetrics metrics(m_glyphFont);
    m_textPos = QPoint(std::max(MinTextX, (m_cellWidth - metrics.horizontalAdvance(QLatin1Char('0'))) / 2),
                       std::max(0, (m_cellHeight - metrics.height()) / 2));
}

void TAnalogNumber::DrawGlyphStrip()
{
    m_glyphStrip = QImage(m_cellWidth, GlyphCount * m_cellHeight, QImage::Format_RGB32);
    m_glyphStrip.fill(m_color);
    QPainter painter(&m_glyphStrip);
    painter.setFont(m_glyphFont);
    for (int digit = 0; digit <= 9; ++digit)
        DrawGlyphCell(painter, digit, QString(QChar(u'0' + digit)), m_textPos.x());
    // The separator ends at the middle of its cell.
    const int separatorX =
        m_cellWidth / 2 - QFontMetrics(m_glyphFont).horizontalAdvance(m_separator);
    DrawGlyphCell(painter, SeparatorGlyph, QString(m_separator), separatorX);
}

void TAnalogNumber::DrawGlyphCell(QPainter &painter, int glyph, const QString &text, int x)
{
    const int top = glyph * m_cellHeight;
    if (!m_digitPicture.isNull())
        painter.drawImage(QPoint(0, top), m_digitPicture);
    painter.setPen(m_textColor);
    painter.drawText(QPoint(x, top + m_textPos.y() + QFontMetrics(m_glyphFont).ascent()), text);
    if (m_digitPicture.isNull()) {
        painter.setPen(QPen(m_borderColor, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(0, top, m_cellWidth - 1, m_cellHeight - 1));
    }
}

void TAnalogNumber::ApplyTiming()
{
    m_tickInterval = DivRoundEven(m_clockRate, m_cellHeight);
    if (m_tickInterval * m_cellHeight > m_clockRate)
        --m_tickInterval;
    if (m_tickInterval < MinTickInterval) {
        m_tickInterval = MinTickInterval;
        m_step = std::max(1, DivRoundEven(MinTickInterval * m_cellHeight, m_clockRate));
    } else {
        m_step = 1;
    }
    if (m_timer.isActive())
        m_timer.setInterval(m_tickInterval);
}

void TAnalogNumber::DrawRow(const TCells &cells, int y)
{
    if (!m_picturesReady)
        return;
    QPainter painter(&m_rollPicture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int i = 0; i < m_digits; ++i) {
        painter.drawImage(QPoint(i * m_cellWidth, y), m_glyphStrip,
                          QRect(0, cells[i] * m_cellHeight, m_cellWidth, m_cellHeight));
    }
}

void TAnalogNumber::DrawRows()
{
    DrawRow(m_topShowsNext ? m_nextCells : m_valueCells, 0);
    DrawRow(m_valueCells, m_cellHeight);
}

void TAnalogNumber::ComputeCells()
{
    m_valueCells = CellsOf(m_value, m_digits, m_separatorPos);
    m_nextCells = CellsOf(m_nextValue, m_digits, m_separatorPos);
}

void TAnalogNumber::MakeRoomFor(int value)
{
    const bool separated = m_separatorPos >= 0 && m_separatorPos < m_digits;
    const int wanted = std::min(DigitCount(value) + (separated ? 1 : 0), int(MaxDigits));
    if (wanted <= m_digits)
        return;
    const int added = wanted - m_digits;
    m_digits = wanted;
    // The separator keeps its place counted from the right: minutes keep two decimals.
    if (m_separatorPos >= 0)
        m_separatorPos += added;
    ComputeCells();
    Invalidate();
    updateGeometry();
    emit DigitsGrown();
}

void TAnalogNumber::RollTick()
{
    ++m_rollTicks;
    bool done = true;
    for (int i = 0; i < m_digits; ++i) {
        if (m_offsets[i] > 0)
            m_offsets[i] = std::max(0, m_offsets[i] - m_step);
        if (m_offsets[i] > 0)
            done = false;
    }
    if (done) {
        m_timer.stop();
        m_value = m_nextValue;
        m_valueCells = CellsOf(m_value, m_digits, m_separatorPos);
        // A `Value` set during the roll may have replaced the top row; the roll
        // must end showing the number it reached.
        m_topShowsNext = false;
        DrawRow(m_valueCells, 0);
        emit RollFinished();
    }
    update();
}

QImage MakeDigitPicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    // Darker towards top and bottom, as a drum turning away from the eye.
    QLinearGradient drum(0, 0, 0, size.height());
    drum.setColorAt(0.0, QColor(10, 10, 10));
    drum.setColorAt(0.5, QColor(60, 60, 60));
    drum.setColorAt(1.0, QColor(10, 10, 10));
    painter.fillRect(picture.rect(), drum);
    painter.setPen(QColor(90, 90, 90));
    painter.drawLine(size.width() - 1, 0, size.width() - 1, size.height() - 1);
    painter.setPen(Qt::black);
    painter.drawLine(0, 0, 0, size.height() - 1);
    return picture;
}
