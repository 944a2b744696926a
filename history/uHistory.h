#pragma once

#include <QColor>
#include <QObject>
#include <QRect>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

#include "uDayFile.h"
#include "uDayReference.h"
#include "uGraph.h"

// The day history: today's samples in memory and in the day file "History/dd-mm-yyyy.hlg",
// and the strip graph that draws them over the whole day at 100 seconds per pixel into
// an off-screen picture, of which an attached widget shows a window that follows the
// newest sample and can be dragged. The monitor creates and owns it; the widget it is
// attached to belongs to a window.
class THistoryGraph final : public QObject
{
    Q_OBJECT
public:
    static constexpr int Capacity = 17280;              // a day at one sample per 5 s
    static constexpr int SeriesCount = 4;
    static constexpr int SeriesOnline = 0;
    static constexpr int SeriesCallers = 1;
    static constexpr int SeriesMinutes = 2;
    static constexpr int SeriesEuro = 3;
    static constexpr int SelectableSeries = 3;          // the selector never reaches Euro
    static constexpr int DaySeconds = 86400;
    static constexpr int DefaultSecondsPerPixel = 100;
    static constexpr int DayPixels = DaySeconds / DefaultSecondsPerPixel;
    static constexpr int TinyGlyphHeightLimit = 50;     // lower pictures label with glyphs
    static constexpr int FollowLead = 300;              // seconds, when the view is first placed
    static constexpr double ScaleRoom = 1.05;           // room above the day's maximum
    static constexpr int MinuteLabelStep = 300;         // one axis mark every 5 minutes
    static constexpr int AxisMarks = DaySeconds / MinuteLabelStep;
    static constexpr int LabelEvery = 6;                // a label at most every half hour
    static inline const QColor PlotColor{233, 233, 238};
    static inline const QColor GridColor{219, 219, 225};
    static inline const QColor AxisColor{100, 100, 100};
    static inline const QColor LabelColor{0, 0, 0};
    static inline const QColor SampleColor{1, 0, 224};
    static inline const QColor YesterdayColor{150, 150, 160};

    // Starts today's day and reads its file, if any.
    explicit THistoryGraph(QObject *parent = nullptr);
    ~THistoryGraph() override;

    // --- Day store ---
    // True when this sample began a new day (the old day's file has then been written).
    bool AddSample(qint64 time, int online, int callers, int seconds, int cents);
    // Writes the whole day file atomically; false (and LastError) when it could not.
    bool SaveDay();
    // Replaces the held samples with the day file's, if it exists.
    void LoadDay();
    QString DayFileName() const;
    QString DayFileNameFor(qint64 dayStart) const;
    // The day before today, read from its file at start and at each day change.
    const TDayReference &Yesterday() const { return m_yesterday; }
    // The same weekday one to four weeks back, read with yesterday.
    const std::array<TDayReference, SameWeekdayWeeks> &SameWeekdays() const { return m_sameWeekdays; }
    void LoadYesterday();
    QString LastError() const { return m_lastError; }

    qint64 DayStart() const { return m_dayStart; }
    int Count() const { return m_count; }
    const THistorySample &Sample(int slot) const { return m_samples[slot]; }
    int MaxValue(int index) const { return m_maxValues[index]; }
    int MinValue(int index) const { return m_minValues[index]; }

    // --- Graph ---
    // Takes over the widget's mouse, paint and resize events; nullptr only detaches.
    void Attach(QWidget *target);
    void Detach();
    QWidget *Target() const { return m_target; }
    void SetSize(int width, int height);
    void UpdateScroll();
    void Redraw();
    // Shows the window of the day that starts `offset` seconds after midnight; -1 means
    // the current scroll position.
    void CopyView(int offset = -1);

    // Takes effect at the next full redraw (the next attach to a target of another height
    // or of the same height).
    void SetShowTimeLabels(bool on);
    bool ShowTimeLabels() const { return m_showTimeLabels; }
    // Any of the four series; redraws and reports the new maximum and minimum.
    void SetSeries(int series);
    // The selector's step: Online, Bellers, Minuten, Online...
    void NextSeries();
    int Series() const { return m_series; }
    QString SeriesName() const;
    QString MaxText() const;
    QString MinText() const;
    void SetDigitStrip(const QImage &strip);
    // Yesterday's curve of the shown series, thin and grey behind today's, on one scale.
    void SetShowYesterday(bool on);
    bool ShowYesterday() const { return m_showYesterday; }

    int ViewWidth() const { return m_viewWidth; }
    int ViewHeight() const { return m_viewHeight; }
    int SecondsPerPixel() const { return m_secondsPerPixel; }
    int ScaleTop() const { return m_scaleTop; }
    int Baseline() const { return m_baseline; }
    int ScrollOffset() const { return m_scrollOffset; }
    int VisibleSeconds() const { return m_visibleSeconds; }
    int MaxScroll() const { return m_maxScroll; }
    bool Dragging() const { return m_dragStartX != -1; }
    TGraph &Graph() { return m_graph; }

Q_SIGNALS:
    // The shown series' day maximum or minimum text changed, or the series did.
    void ExtremesChanged(const QString &maxText, const QString &minText);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ClearDay();
    void RecomputeExtremes();
    void Widen(const THistorySample &sample);
    void DrawSample(int slot);
    void DrawBars();
    void DrawYesterday();
    void DrawNewSample();
    void NotifyExtremes();
    void PlaceView();
    void PaintTarget();
    int ScaledValue(int value) const;
    qint64 MidnightNow() const;

    // Allocated once for the whole day; slot 0 stays zero while the day is empty.
    std::vector<THistorySample> m_samples;
    qint64 m_dayStart = 0;
    int m_count = 0;
    std::array<int, SeriesCount> m_maxValues{};
    std::array<int, SeriesCount> m_minValues{};
    QString m_lastError;
    TDayReference m_yesterday;
    std::array<TDayReference, SameWeekdayWeeks> m_sameWeekdays;
    bool m_showYesterday = true;

    TGraph m_graph;
    // Per picture column while the bars are collected; kept to avoid allocating per redraw.
    // Where the picture holds time labels: one the view would cut is not shown.
    std::vector<QRect> m_timeLabels;
    std::vector<int> m_barTops;
    std::vector<int> m_barFeet;
    QPointer<QWidget> m_target;
    int m_viewWidth = 0;
    int m_viewHeight = 0;
    int m_series = SeriesOnline;
    bool m_showTimeLabels = true;
    bool m_labelsChanged = false;
    int m_secondsPerPixel = DefaultSecondsPerPixel;
    int m_scaleTop = -1;
    int m_baseline = 0;
    int m_scrollOffset = -1;
    int m_viewOffset = -1;
    int m_visibleSeconds = 0;
    int m_maxScroll = DaySeconds;
    int m_dragStartX = -1;
    int m_dragStartOffset = 0;

    // What the last ExtremesChanged reported, so a sample that changes nothing is silent.
    int m_shownSeries = -1;
    int m_shownMax = 0;
    int m_shownMin = 0;
};
