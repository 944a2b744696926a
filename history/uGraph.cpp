#include "uGraph.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <QGuiApplication>
#include <QPalette>
#include <QPen>

#include "uUnits.h"

namespace {

// Coordinates far outside any picture (from a damaged day file) are pulled in so that
// the integer conversion stays defined; nothing that far out is visible anyway.
constexpr double CoordinateLimit = 1 << 20;

int Px(double value)
{
    return MakeInteger(std::clamp(value, -CoordinateLimit, CoordinateLimit));
}

// Each glyph as five rows of three pixels, '#' black.
constexpr const char *GlyphRows[TGraph::GlyphCount][TGraph::GlyphHeight] = {
    {"###", "#.#", "#.#", "#.#", "###"}, // 0
    {".##", "..#", "..#", "..#", "..#"}, // 1
    {"###", "..#", "###", "#..", "###"}, // 2
    {"###", "..#", "###", "..#", "###"}, // 3
    {"#..", "#.#", "###", "..#", "..#"}, // 4
    {"###", "#..", "###", "..#", "###"}, // 5
    {"#..", "#..", "###", "#.#", "###"}, // 6
    {"###", "..#", "..#", "..#", "..#"}, // 7
    {"###", "#.#", "###", "#.#", "###"}, // 8
    {"###", "#.#", "###", "..#", "###"}, // 9
    {"...", ".#.", "...", ".#.", "..."}, // colon
    {"...", "...", "...", "...", ".#."}, // decimal point
};

int GlyphOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u == u':')
        return TGraph::ColonGlyph;
    if (u == u',' || u == u'.')
        return TGraph::PointGlyph;
    return -1;
}

// The small font; nothing changes it, so Reset need not set it again.
QFont MakeFont()
{
    QFont font;
    font.setPixelSize(TGraph::FontPixelSize);
    return font;
}

QColor ButtonFace()
{
    return QGuiApplication::palette().color(QPalette::Button);
}

} // namespace

TGraph::TGraph()
    : m_font(MakeFont())
    , m_metrics(m_font)
{
    Reset();
}

TGraph::~TGraph()
{
    EndPaint();
}

void TGraph::Reset()
{
    m_plotWidth = 0;
    m_plotHeight = 0;
    m_penX = 0;
    m_penY = 0;
    m_xScale = 1.0;
    m_yScale = 1.0;
    m_tinyDigits = false;
    m_margins = TGraphSides();
    SetWorld(0, 0, m_width, m_height);
    SetBrushColor(ButtonFace());
    SetBrushStyle(TGraphBrushStyle::Solid);
}

void TGraph::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    EndPaint();
    m_width = width;
    m_height = height;
    m_bitmap = width > 0 && height > 0 ? QImage(width, height, QImage::Format_RGB32) : QImage();
}

void TGraph::SetMargins(int left, int top, int right, int bottom)
{
    m_margins = {left, top, right, bottom};
}

void TGraph::SetWorld(int left, int top, int right, int bottom)
{
    m_world = {left, top, right, bottom};
    m_plotWidth = m_width - m_margins.Left - m_margins.Right;
    m_plotHeight = m_height - m_margins.Top - m_margins.Bottom;
    // In 64 bits: a world of the whole 32-bit range must not overflow.
    const qint64 spanX = qint64(right) - left + 1;
    const qint64 spanY = qint64(bottom) - top + 1;
    m_xScale = spanX != 0 ? m_plotWidth / double(spanX) : 1.0;
    m_yScale = spanY != 0 ? m_plotHeight / double(spanY) : 1.0;
}

int TGraph::XToPixel(double x) const
{
    return Px((x - m_world.Left) * m_xScale) + m_margins.Left;
}

int TGraph::YToPixel(double y) const
{
    return Px((m_world.Bottom - y) * m_yScale) + m_margins.Top;
}

int TGraph::NiceTop(int value) const
{
    // A negative maximum only comes from a damaged file; the halving below needs V >= 0.
    const qint64 v = std::max(value, 0);
    const int h = m_metrics.height();
    const int rows = h > 0 ? (m_height - 2 * h) / (2 * h) : 0;
    if (rows <= 0)
        return int(v);

    int digits = 1;
    qint64 power = 10;
    for (qint64 rest = v; rest >= 10; rest /= 10) {
        ++digits;
        power *= 10;
    }
    qint64 top = power;
    while (top / 2 > v)
        top /= 2;
    if (top <= 1)
        return 1;
    if (digits > 1) {
        // V is 10 or more here, so the top stays above it and above 1.
        const qint64 step = power / 10;
        while (top - step > v)
            top -= step;
    }
    return int(std::min<qint64>(top, std::numeric_limits<int>::max()));
}

void TGraph::MoveTo(double x, double y)
{
    m_penX = Px(x);
    m_penY = Px(y);
}

void TGraph::LineTo(double x, double y)
{
    const QPoint from(m_penX, m_penY);
    MoveTo(x, y);
    const QPoint to(m_penX, m_penY);
    // Without its end point a line of no length paints nothing; Qt would paint a dot.
    if (from == to)
        return;
    QPainter *p = Painter();
    if (!p)
        return;
    // A straight solid line is filled as a rectangle one pixel thin, holding the pixels
    // Qt's line paints (all but the higher end): one fill costs less than the stroker's
    // blend per pixel, and the day's grid and marks are hundreds of lines.
    if (m_penStyle == TGraphPenStyle::Solid && (from.x() == to.x() || from.y() == to.y())) {
        const QPoint start(std::min(from.x(), to.x()), std::min(from.y(), to.y()));
        const QSize size(std::max(1, std::abs(to.x() - from.x())), std::max(1, std::abs(to.y() - from.y())));
        p->fillRect(QRect(start, size), m_penColor);
    } else {
        p->drawLine(from, to);
    }
}

void TGraph::Line(double x1, double y1, double x2, double y2)
{
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TGraph::PolyLineTo(double x, double y)
{
    if (!m_points)
        m_points = std::make_unique<QPoint[]>(PolylineCapacity);
    if (m_pointCount == 0) {
        MoveTo(x, y);
    } else if (m_pointCount == PolylineCapacity) {
        const QPoint last = m_points[PolylineCapacity - 1];
        FlushPolyline();
        m_points[0] = last;
        m_pointCount = 1;
    }
    m_points[m_pointCount++] = QPoint(Px(x), Px(y));
}

void TGraph::FlushPolyline()
{
    // Segment by segment, like a chain of LineTo: Qt's polyline (and even a batch of
    // lines in one call) paints corner pixels that separate lines leave out, and the
    // history graph's incremental segments must match its full redraw pixel for pixel.
    // A repeated point (many samples fall on one pixel) adds no segment.
    QPainter *p = m_pointCount > 1 ? Painter() : nullptr;
    if (p) {
        for (int i = 1; i < m_pointCount; ++i) {
            if (m_points[i] != m_points[i - 1])
                p->drawLine(m_points[i - 1], m_points[i]);
        }
    }
    m_pointCount = 0;
}

void TGraph::FillRect(double x1, double y1, double x2, double y2)
{
    if (m_brushStyle == TGraphBrushStyle::Clear)
        return;
    const int left = Px(x1);
    const int top = Px(y1);
    const int right = Px(x2);
    const int bottom = Px(y2);
    if (right <= left || bottom <= top)
        return;
    if (QPainter *p = Painter())
        p->fillRect(QRect(left, top, right - left, bottom - top), m_brushColor);
}

void TGraph::Clear()
{
    if (QPainter *p = Painter())
        p->fillRect(QRect(0, 0, m_width, m_height), m_brushColor);
}

void TGraph::SetPenColor(const QColor &color)
{
    m_penColor = color;
    if (m_painter.isActive())
        ApplyPen();
}

void TGraph::SetPenStyle(TGraphPenStyle style)
{
    m_penStyle = style;
    if (m_painter.isActive())
        ApplyPen();
}

void TGraph::SetBrushColor(const QColor &color)
{
    m_brushColor = color;
}

void TGraph::SetBrushStyle(TGraphBrushStyle style)
{
    m_brushStyle = style;
}

void TGraph::SetFontColor(const QColor &color)
{
    m_fontColor = color;
}

bool TGraph::UsesGlyphs() const
{
    return m_tinyDigits && !m_digitStrip.isNull();
}

int TGraph::TextWidth(const QString &text) const
{
    if (!UsesGlyphs())
        return m_metrics.horizontalAdvance(text);
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        width += (u == u',' || u == u'.' || u == u':') ? NarrowAdvance : GlyphAdvance;
    }
    return width;
}

int TGraph::TextHeight(const QString &text) const
{
    Q_UNUSED(text);
    return UsesGlyphs() ? GlyphHeight : m_metrics.height();
}

void TGraph::TextOut(double x, double y, const QString &text)
{
    QStringView body(text);
    int left = Px(x);
    const int top = Px(y);
    if (!body.isEmpty() && (body.front() == u'`' || body.front() == u'~')) {
        const bool right = body.front() == u'`';
        body = body.mid(1);
        const int width = UsesGlyphs() ? GlyphAdvance * int(body.size())
                                       : m_metrics.horizontalAdvance(body.toString());
        left -= right ? width : width / 2;
    }

    QPainter *p = Painter();
    if (!p)
        return;
    if (UsesGlyphs()) {
        // The glyph's background is copied with it.
        p->setCompositionMode(QPainter::CompositionMode_Source);
        for (const QChar c : body) {
            const int glyph = GlyphOf(c);
            if (glyph < 0)
                continue;
            p->drawImage(QPoint(left, top), m_digitStrip,
                         QRect(glyph * GlyphWidth, 0, GlyphWidth, GlyphHeight));
            left += glyph < ColonGlyph ? GlyphAdvance : NarrowAdvance;
        }
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    p->setPen(m_fontColor);
    p->drawText(QPoint(left, top + m_metrics.ascent()), body.toString());
    ApplyPen();
}

void TGraph::SetDigitStrip(const QImage &strip)
{
    m_digitStrip = strip.convertToFormat(QImage::Format_RGB32);
}

QImage TGraph::MakeDigitStrip()
{
    QImage strip(GlyphCount * GlyphWidth, GlyphHeight, QImage::Format_RGB32);
    strip.fill(GlyphBackground);
    for (int glyph = 0; glyph < GlyphCount; ++glyph) {
        for (int row = 0; row < GlyphHeight; ++row) {
            for (int col = 0; col < GlyphWidth; ++col) {
                if (GlyphRows[glyph][row][col] == '#')
                    strip.setPixelColor(glyph * GlyphWidth + col, row, Qt::black);
            }
        }
    }
    return strip;
}

const QImage &TGraph::Bitmap()
{
    EndPaint();
    return m_bitmap;
}

QPainter *TGraph::Painter()
{
    if (m_painter.isActive())
        return &m_painter;
    if (m_bitmap.isNull() || !m_painter.begin(&m_bitmap))
        return nullptr;
    m_painter.setFont(m_font);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    ApplyPen();
    return &m_painter;
}

void TGraph::EndPaint()
{
    if (m_painter.isActive())
        m_painter.end();
}

void TGraph::ApplyPen()
{
    QPen pen(m_penColor, 1);
    pen.setCosmetic(true);
    // A flat cap leaves the end point of a line unpainted, so joined lines meet exactly.
    pen.setCapStyle(Qt::FlatCap);
    if (m_penStyle == TGraphPenStyle::Dot)
        pen.setDashPattern({1.0, 1.0});
    m_painter.setPen(pen);
}
