#pragma once

#include <QColor>
#include <QObject>
#include <QRect>
#include <QString>

#include <vector>

#include "uDayFile.h"
#include "uGraph.h"
#include "uUnits.h"

class QPainter;
class QRect;
class TDayStore;

// The strip graph of the day store: one series over the whole day at 100 seconds per
// pixel, drawn into an off-screen picture of which a view shows a window that follows the
// newest sample and can be dragged. The monitor owns it beside the store; the view that
// shows it hands it its size, paint and mouse and repaints on Changed.
class THistoryGraph final : public QObject
{
    Q_OBJECT
public:
    static constexpr int SelectableSeries = 3;          // the selector never reaches Euro
    static constexpr int DefaultSecondsPerPixel = 100;
    static constexpr int DayPixels = SecondsPerDay / DefaultSecondsPerPixel;
    static constexpr int TinyGlyphHeightLimit = 50;     // lower pictures label with glyphs
    static constexpr int FollowLead = 300;              // seconds, when the view is first placed
    static constexpr double ScaleRoom = 1.05;           // room above the day's maximum
    static constexpr int MinuteLabelStep = 5 * SecondsPerMinute; // one axis mark every 5 minutes
    static constexpr int AxisMarks = SecondsPerDay / MinuteLabelStep;
    static constexpr int LabelEvery = 6;                // a label at most every half hour
    static inline const QColor PlotColor{233, 233, 238};
    static inline const QColor GridColor{219, 219, 225};
    static inline const QColor AxisColor{100, 100, 100};
    static inline const QColor LabelColor{0, 0, 0};
    static inline const QColor SampleColor{1, 0, 224};
    static inline const QColor YesterdayColor{150, 150, 160};

    // Draws `store`, which must outlive it, and follows its changes.
    explicit THistoryGraph(const TDayStore &store, QObject *parent = nullptr);

    // Shown from now on in a view of this size; the view that showed it before gets Detached.
    void Attach(int width, int height);
    // Shown nowhere; the view that showed it gets Detached.
    void Detach();
    void SetSize(int width, int height);
    void Redraw();

    // The view's paint: its window of the day picture over `area`, background beyond the day.
    void Paint(QPainter &painter, const QRect &area);
    // Mouse in the view at column x: a press starts a drag, a move with the left button held
    // scrolls the day under it, a release ends the drag.
    void MouseDown(int x);
    void MouseMove(int x, bool leftButton);
    void MouseUp();

    // Takes effect at the next full redraw (the next attach to a view of another height
    // or of the same height).
    void SetShowTimeLabels(bool on);
    // Any of the four series; redraws and reports the new maximum and minimum.
    void SetSeries(int series);
    // The selector's step: Online, Bellers, Minuten, Online...
    void NextSeries();
    QString SeriesName() const;
    QString MaxText() const;
    QString MinText() const;
    // Yesterday's curve of the shown series, thin and grey behind today's, on one scale.
    void SetShowYesterday(bool on);

Q_SIGNALS:
    // The shown series' day maximum or minimum text changed, or the series did.
    void ExtremesChanged(const QString &maxText, const QString &minText);
    // What the view shows changed: it should repaint.
    void Changed();
    // The view that showed the graph shows it no more.
    void Detached();

private:
    void DayStarted();
    void DayLoaded();
    void SampleAdded(int slot);
    void DrawSample(int slot);
    void DrawBars();
    void DrawYesterday();
    void DrawNewSample(int slot);
    void UpdateScroll();
    void CopyView(int offset);
    void NotifyExtremes();
    void PlaceView();
    void RequestRepaint();
    int ScaledValue(int value) const;
    int DayColumn(qint64 time, qint64 dayStart) const;
    bool Dragging() const { return m_dragStartX != -1; }

    const TDayStore &m_store;
    TGraph m_graph;
    // Per picture column while the bars are collected; kept to avoid allocating per redraw.
    // Where the picture holds time labels: one the view would cut is not shown.
    std::vector<QRect> m_timeLabels;
    std::vector<int> m_barTops;
    std::vector<int> m_barFeet;
    bool m_attached = false;
    int m_viewWidth = 0;
    int m_viewHeight = 0;
    int m_series = THistorySample::SeriesOnline;
    bool m_showTimeLabels = true;
    bool m_labelsChanged = false;
    bool m_showYesterday = true;
    int m_secondsPerPixel = DefaultSecondsPerPixel;
    int m_scaleTop = -1;
    int m_baseline = 0;
    int m_scrollOffset = -1;
    int m_viewOffset = -1;
    int m_visibleSeconds = 0;
    int m_maxScroll = SecondsPerDay;
    int m_dragStartX = -1;
    int m_dragStartOffset = 0;

    // What the last ExtremesChanged reported, so a sample that changes nothing is silent.
    int m_shownSeries = -1;
    int m_shownMax = 0;
    int m_shownMin = 0;
};
