#pragma once

#include <array>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>

// A mechanical-looking day counter: a row of fixed-width digit cells, optionally with
// a separator cell. Setting `NextValue` rolls every changing digit to its new glyph in
// about one `ClockRate` period; the new digit slides in from the top.
// Every glyph is rendered once into the glyph strip and both numbers once into the roll
// picture, so a roll tick and a paint only copy rectangles. The roll timer runs only
// while a roll is under way. A number with more digits than the cells hold gets more
// cells (never a cut number): with a digit picture the control then asks for more width.
// Owned by the window that places it (parent ownership).
class TAnalogNumber final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool AutoFontSize READ AutoFontSize WRITE SetAutoFontSize)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int ClockRate READ ClockRate WRITE SetClockRate)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int NextValue READ NextValue WRITE SetNextValue)
    Q_PROPERTY(int Digits READ Digits WRITE SetDigits)
    Q_PROPERTY(QImage DigitPicture READ DigitPicture WRITE SetDigitPicture)
    Q_PROPERTY(bool Scroll READ Scroll WRITE SetScroll)
    Q_PROPERTY(QChar Separator READ Separator WRITE SetSeparator)
    Q_PROPERTY(int SeparatorPos READ SeparatorPos WRITE SetSeparatorPos)
    Q_PROPERTY(QColor TextColor READ TextColor WRITE SetTextColor)

public:
    static constexpr int MaxDigits = 12;
    static constexpr int SeparatorGlyph = 10;
    static constexpr int EmptyGlyph = 11;
    static constexpr int GlyphCount = 12;   // ten digits, the separator, one empty cell
    static constexpr int NoSeparator = -1;

    // Per cell, leftmost first; only the first `Digits` entries mean anything.
    using TCells = std::array<int, MaxDigits>;

    explicit TAnalogNumber(QWidget *parent = nullptr);

    bool AutoFontSize() const { return m_autoFontSize; }
    void SetAutoFontSize(bool on);
    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    int ClockRate() const { return m_clockRate; }
    void SetClockRate(int milliseconds);
    QColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(const QColor &color);
    int Value() const { return m_value; }
    void SetValue(int value);
    int NextValue() const { return m_nextValue; }
    void SetNextValue(int value);
    int Digits() const { return m_digits; }
    void SetDigits(int digits);
    QImage DigitPicture() const { return m_digitPicture; }
    void SetDigitPicture(const QImage &picture);
    bool Scroll() const { return m_scroll; }
    void SetScroll(bool on);
    QChar Separator() const { return m_separator; }
    void SetSeparator(QChar separator);
    int SeparatorPos() const { return m_separatorPos; }
    void SetSeparatorPos(int pos);
    QColor TextColor() const { return m_textColor; }
    void SetTextColor(const QColor &color);

    // Shows `value` at once without a roll: stops a running roll and makes both
    // `Value` and `NextValue` the new number (used when counters are bound).
    void ShowValue(int value);

    // The state of the control, for its owner's status and for tests.
    bool Rolling() const { return m_timer.isActive(); }
    // Greyed, for figures that are no longer live.
    bool Dimmed() const { return m_dimmed; }
    void SetDimmed(bool on);
    int RollTicks() const { return m_rollTicks; }   // ticks of the running or last roll
    TCells ValueCells() const { return m_valueCells; }
    TCells NextCells() const { return m_nextCells; }
    TCells Offsets() const { return m_offsets; }
    int CellWidth() const { return Prepared().m_cellWidth; }
    int CellHeight() const { return Prepared().m_cellHeight; }
    int TickInterval() const { return Prepared().m_tickInterval; }
    int Step() const { return Prepared().m_step; }
    QFont GlyphFont() const { return Prepared().m_glyphFont; }   // the font after fitting

    // With a digit picture the cells decide the size, and it is the least size too:
    // squeezed, the cells would be cut. Framed cells fit any size.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void RollFinished();
    // A number needed more cells than the control had: owners without a layout place it anew.
    void DigitsGrown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Preparing is lazy: a change of size, digits or picture only invalidates.
    void Invalidate();
    void PrepareLayout();
    void PreparePictures();
    const TAnalogNumber &Prepared() const;
    void FitFont();
    void DrawGlyphStrip();
    void DrawGlyphCell(QPainter &painter, int glyph, const QString &text, int x);
    void ApplyTiming();
    void DrawRow(const TCells &cells, int y);
    void DrawRows();
    void ComputeCells();
    // Adds cells, before the separator, until `value` fits whole.
    void MakeRoomFor(int value);
    void RollTick();

    bool m_autoFontSize = true;
    QColor m_color;
    int m_clockRate;
    QColor m_borderColor;
    int m_value = 0;
    int m_nextValue = 0;
    int m_digits;
    QImage m_digitPicture;
    bool m_scroll = true;
    QChar m_separator;
    int m_separatorPos = NoSeparator;
    QColor m_textColor;

    int m_cellWidth = 1;
    int m_cellHeight = 1;
    TCells m_valueCells{};
    TCells m_nextCells{};
    TCells m_offsets{};
    bool m_topShowsNext = false;   // which number the roll picture's top row holds
    QFont m_glyphFont;
    QPoint m_textPos;
    QImage m_glyphStrip;
    QImage m_rollPicture;
    int m_tickInterval;
    int m_step = 1;
    int m_rollTicks = 0;
    QTimer m_timer;
    bool m_layoutReady = false;     // cells, font and timing
    bool m_picturesReady = false;   // glyph strip and roll picture
    bool m_dimmed = false;
};

// The counters' default cell background: a dark drum face with a lighter rim, so a
// strip of cells reads as a mechanical counter.
inline constexpr QSize DefaultDigitPictureSize{14, 18};
QImage MakeDigitPicture(QSize size = DefaultDigitPictureSize);
