#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>

#include <memory>

enum class TGraphPenStyle { Solid, Dot };
enum class TGraphBrushStyle { Solid, Clear };

// Four sides in pixels or world values.
struct TGraphSides
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// An off-screen picture with pixel drawing, a world-to-pixel mapping for a plot inside
// margins, readable scale tops, collected polylines and labels in a small font or in
// tiny 3 x 5 glyphs. The history graph owns one and copies windows of its picture to
// the screen. Every drawing position is a pixel of the picture, rounded half to even.
class TGraph final
{
public:
    // One day of samples fits in one polyline; a longer one is flushed and continued.
    static constexpr int PolylineCapacity = 17280;
    static constexpr int GlyphWidth = 3;
    static constexpr int GlyphHeight = 5;
    static constexpr int GlyphCount = 12;   // digits 0..9, colon, decimal point
    static constexpr int ColonGlyph = 10;
    static constexpr int PointGlyph = 11;
    static constexpr int GlyphAdvance = 4;  // a digit and its gap
    static constexpr int NarrowAdvance = 3; // colon and decimal point
    static constexpr int FontPixelSize = 9;
    static inline const QColor GlyphBackground{239, 239, 239};

    TGraph();
    ~TGraph();
    TGraph(const TGraph &) = delete;
    TGraph &operator=(const TGraph &) = delete;

    void Reset();
    // Resizes the picture only; the plot area keeps its size until the next SetWorld.
    void SetSize(int width, int height);
    void SetMargins(int left, int top, int right, int bottom);
    void SetWorld(int left, int top, int right, int bottom);

    int XToPixel(double x) const;
    int YToPixel(double y) const;
    int NiceTop(int value) const;

    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Line(double x1, double y1, double x2, double y2);
    void PolyLineTo(double x, double y);
    void FlushPolyline();
    void FillRect(double x1, double y1, double x2, double y2);
    void Clear();

    void SetPenColor(const QColor &color);
    void SetPenStyle(TGraphPenStyle style);
    void SetBrushColor(const QColor &color);
    void SetBrushStyle(TGraphBrushStyle style);
    void SetFontColor(const QColor &color);

    int TextWidth(const QString &text) const;
    int TextHeight(const QString &text) const;
    // A leading "`" right-aligns on x, a leading "~" centres on x.
    void TextOut(double x, double y, const QString &text);

    void SetDigitStrip(const QImage &strip);
    void SetTinyDigits(bool on) { m_tinyDigits = on; }
    bool TinyDigits() const { return m_tinyDigits; }
    // The 36 x 5 glyph picture: black glyphs on light grey.
    static QImage MakeDigitStrip();

    // The finished picture; any drawing under way is completed first.
    const QImage &Bitmap();
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    TGraphSides Margins() const { return m_margins; }
    int PlotWidth() const { return m_plotWidth; }
    int PlotHeight() const { return m_plotHeight; }
    int PenX() const { return m_penX; }
    int PenY() const { return m_penY; }
    int PointCount() const { return m_pointCount; }

private:
    // Null while the picture is empty; otherwise a painter that stays open between calls.
    QPainter *Painter();
    void EndPaint();
    void ApplyPen();
    bool UsesGlyphs() const;

    QImage m_bitmap;
    QPainter m_painter;
    int m_width = 0;
    int m_height = 0;
    TGraphSides m_margins;
    TGraphSides m_world;
    int m_plotWidth = 0;
    int m_plotHeight = 0;
    double m_xScale = 1.0;
    double m_yScale = 1.0;
    int m_penX = 0;
    int m_penY = 0;

    // Allocated at the first polyline and kept: a day's redraw never allocates again.
    std::unique_ptr<QPoint[]> m_points;
    int m_pointCount = 0;

    QColor m_penColor = Qt::black;
    TGraphPenStyle m_penStyle = TGraphPenStyle::Solid;
    QColor m_brushColor = Qt::white;
    TGraphBrushStyle m_brushStyle = TGraphBrushStyle::Solid;
    QColor m_fontColor = Qt::black;
    QFont m_font;
    QFontMetrics m_metrics;

    QImage m_digitStrip;
    bool m_tinyDigits = false;
};
