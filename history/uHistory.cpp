#include "uHistory.h"

#include <algorithm>
#include <limits>

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QRegion>

#include "uClock.h"
#include "uDayStore.h"

namespace {

constexpr int GridStep = 5;          // one horizontal grid line per 5 pixels of height
constexpr int LowGridHeight = 10;    // below this only two grid intervals
constexpr int LowGridLines = 2;
constexpr int LabelLineExtra = 4;    // a labelled mark reaches this far below the plot
constexpr int LabelTextGap = 3;      // label top below the plot
constexpr int TickLength = 2;
constexpr int LabelSpacingGap = 2;
// As large as a widget can be: sizes beyond it come only from a damaged caller.
constexpr int MaxViewSize = (1 << 24) - 1;

const char *const SeriesNames[THistorySample::SeriesCount] = {"Online", "Bellers", "Minuten", "Euro"};

int ClampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QString TimeOfDayText(int seconds)
{
    const int hours = (seconds / SecondsPerHour) % HoursPerDay;
    const int minutes = (seconds / SecondsPerMinute) % MinutesPerHour;
    return QStringLiteral("%1:%2").arg(hours, 2, 10, QLatin1Char('0')).arg(minutes, 2, 10, QLatin1Char('0'));
}

} // namespace

THistoryGraph::THistoryGraph(const TDayStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    // The glyphs are our own drawing, so the graph can label a low strip from the start.
    m_graph.SetDigitStrip(TGraph::MakeDigitStrip());
    connect(&store, &TDayStore::DayStarted, this, &THistoryGraph::DayStarted);
    connect(&store, &TDayStore::DayLoaded, this, &THistoryGraph::DayLoaded);
    connect(&store, &TDayStore::SampleAdded, this, &THistoryGraph::SampleAdded);
    NotifyExtremes();
}

void THistoryGraph::DayStarted()
{
    m_scaleTop = -1;
    // Yesterday's scroll position would park the view at the end of the new day.
    m_scrollOffset = -1;
}

void THistoryGraph::DayLoaded()
{
    m_scaleTop = -1;
    NotifyExtremes();
}

void THistoryGraph::SampleAdded(int slot)
{
    if (m_store.Sample(slot).Value(m_series) > m_scaleTop)
        Redraw();
    else
        DrawNewSample(slot);
    NotifyExtremes();
}

void THistoryGraph::Attach(int width, int height)
{
    if (m_attached)
        Detach();
    m_attached = true;
    SetSize(width, height);
}

void THistoryGraph::Detach()
{
    m_dragStartX = -1;
    if (!m_attached)
        return;
    m_attached = false;
    Q_EMIT Detached();
}

void THistoryGraph::SetSize(int width, int height)
{
    m_viewWidth = std::clamp(width, 0, MaxViewSize);
    height = std::clamp(height, 0, MaxViewSize);
    if (height != m_viewHeight || m_labelsChanged) {
        m_viewHeight = height;
        Redraw();
    } else {
        UpdateScroll();
    }
}

void THistoryGraph::UpdateScroll()
{
    const TGraphSides margins = m_graph.Margins();
    m_visibleSeconds = ClampToInt(qint64(m_viewWidth - margins.Left - margins.Right) * m_secondsPerPixel);
    m_maxScroll = ClampToInt(qint64(SecondsPerDay) - m_visibleSeconds);
    if (m_maxScroll < m_scrollOffset)
        m_scrollOffset = ClampToInt(qint64(m_maxScroll) - 1);
}

void THistoryGraph::Redraw()
{
    m_labelsChanged = false;
    m_graph.Reset();
    m_graph.SetTinyDigits(m_viewHeight < TinyGlyphHeightLimit);

    const int textHeight = m_graph.TextHeight(QStringLiteral("Xj"));
    // One scale for both days, so the curves can be compared by eye. Clamped both ways: a
    // damaged file may hold a maximum near the bottom of the range.
    const int dayMax = m_showYesterday ? std::max(m_store.MaxValue(m_series), m_store.Yesterday().MaxValue(m_series))
                                       : m_store.MaxValue(m_series);
    const int top = MakeInteger(std::clamp(dayMax * ScaleRoom, 0.0, double(std::numeric_limits<int>::max())));
    const int topMargin = m_showTimeLabels ? textHeight / 2 + 1 : 0;
    const int bottomMargin = m_showTimeLabels ? textHeight + LabelLineExtra : 0;
    m_graph.SetMargins(0, topMargin, 0, bottomMargin);
    m_secondsPerPixel = DefaultSecondsPerPixel;
    UpdateScroll();
    m_graph.SetSize(DayPixels, m_viewHeight);
    m_scaleTop = m_graph.NiceTop(top);
    m_graph.SetWorld(0, 0, SecondsPerDay, m_scaleTop);

    const int plotWidth = m_graph.PlotWidth();
    const int plotHeight = m_graph.PlotHeight();
    const int left = m_graph.Margins().Left;
    m_baseline = topMargin + plotHeight;
    if (m_graph.Width() == 0 || m_graph.Height() == 0) {
        // Nothing to paint into until a view gives the picture a height.
        RequestRepaint();
        return;
    }

    m_graph.Clear();
    m_graph.SetBrushColor(PlotColor);
    m_graph.FillRect(left, topMargin, left + plotWidth, topMargin + plotHeight);

    const int gridLines = m_viewHeight < LowGridHeight ? LowGridLines : m_viewHeight / GridStep;
    m_graph.SetPenColor(GridColor);
    for (int i = 0; i <= gridLines; ++i) {
        const int y = std::max(0, topMargin + plotHeight - MakeInteger(double(i) * plotHeight / gridLines));
        m_graph.SetPenStyle(i % 2 == 0 ? TGraphPenStyle::Dot : TGraphPenStyle::Solid);
        m_graph.Line(left, y, left + plotWidth, y);
    }

    m_graph.SetPenColor(AxisColor);
    m_graph.SetPenStyle(TGraphPenStyle::Solid);
    m_graph.SetFontColor(LabelColor);
    const int labelSpacing = m_graph.TextWidth(QStringLiteral("00:00")) + LabelSpacingGap;
    const int plotBottom = topMargin + plotHeight;
    int lastLabel = 0;
    m_timeLabels.clear();
    for (int i = 0; i <= AxisMarks; ++i) {
        const int t = MinuteLabelStep * i;
        const int x = m_graph.XToPixel(t);
        if (!m_showTimeLabels) {
            m_graph.Line(x, topMargin, x, plotBottom);
        } else if (x > lastLabel + labelSpacing && i % LabelEvery == 0) {
            m_graph.Line(x, topMargin, x, plotBottom + LabelLineExtra);
            lastLabel = x;
            const QString label = TimeOfDayText(t);
            m_graph.TextOut(x, plotBottom + LabelTextGap, QLatin1Char('~') + label);
            const int width = m_graph.TextWidth(label);
            m_timeLabels.push_back(QRect(x - width / 2 - 1, plotBottom + LabelTextGap, width + 2, textHeight));
        } else {
            m_graph.Line(x, plotBottom, x, plotBottom + TickLength);
        }
    }

    if (m_showYesterday)
        DrawYesterday();

    m_graph.SetPenColor(SampleColor);
    if (m_series == THistorySample::SeriesMinutes) {
        for (int i = 0; i < m_store.Count(); ++i)
            DrawSample(i);
        m_graph.FlushPolyline();
    } else {
        DrawBars();
    }
    RequestRepaint();
}

int THistoryGraph::DayColumn(qint64 time, qint64 dayStart) const
{
    return m_graph.XToPixel(double(time) - double(dayStart));
}

void THistoryGraph::DrawSample(int slot)
{
    const THistorySample &s = m_store.Sample(slot);
    const double x = DayColumn(s.Time, m_store.DayStart());
    const double y = m_graph.YToPixel(s.Value(m_series));
    if (m_series == THistorySample::SeriesMinutes)
        m_graph.PolyLineTo(x, y);
    else
        m_graph.Line(x, y, x, m_baseline);
}

void THistoryGraph::DrawBars()
{
    // All bars of one column end on the baseline, so together they cover the column from
    // the highest bar's top (or, below the baseline, the lowest bar's foot): one line per
    // column paints exactly the pixels of one line per sample, many times faster.
    const int width = m_graph.Width();
    const qint64 dayStart = m_store.DayStart();
    m_barTops.assign(std::size_t(width), m_baseline);
    m_barFeet.assign(std::size_t(width), m_baseline);
    for (int i = 0; i < m_store.Count(); ++i) {
        const THistorySample &s = m_store.Sample(i);
        const int x = DayColumn(s.Time, dayStart);
        if (x < 0 || x >= width)
            continue;
        const int y = m_graph.YToPixel(s.Value(m_series));
        if (y < m_barTops[std::size_t(x)])
            m_barTops[std::size_t(x)] = y;
        else if (y > m_barFeet[std::size_t(x)])
            m_barFeet[std::size_t(x)] = y;
    }
    for (int x = 0; x < width; ++x) {
        if (m_barTops[std::size_t(x)] < m_baseline)
            m_graph.Line(x, m_barTops[std::size_t(x)], x, m_baseline);
        if (m_barFeet[std::size_t(x)] > m_baseline)
            m_graph.Line(x, m_barFeet[std::size_t(x)], x, m_baseline);
    }
}

void THistoryGraph::DrawYesterday()
{
    // One point per picture column, its highest value: a line through 17,280 jumpy online
    // counts would only be a grey smear.
    const TDayReference &yesterday = m_store.Yesterday();
    const int width = m_graph.Width();
    m_barTops.assign(std::size_t(width), std::numeric_limits<int>::min());
    for (int i = 0; i < yesterday.Count(); ++i) {
        const THistorySample &s = yesterday.Sample(i);
        const int x = DayColumn(s.Time, yesterday.DayStart());
        if (x >= 0 && x < width)
            m_barTops[std::size_t(x)] = std::max(m_barTops[std::size_t(x)], s.Value(m_series));
    }
    m_graph.SetPenColor(YesterdayColor);
    m_graph.SetPenStyle(TGraphPenStyle::Solid);
    for (int x = 0; x < width; ++x) {
        if (m_barTops[std::size_t(x)] != std::numeric_limits<int>::min())
            m_graph.PolyLineTo(x, m_graph.YToPixel(m_barTops[std::size_t(x)]));
    }
    m_graph.FlushPolyline();
}

void THistoryGraph::DrawNewSample(int slot)
{
    const qint64 dayStart = m_store.DayStart();
    const THistorySample &s = m_store.Sample(slot);
    m_graph.SetPenColor(SampleColor);
    m_graph.SetPenStyle(TGraphPenStyle::Solid);
    const double x = DayColumn(s.Time, dayStart);
    const double y = m_graph.YToPixel(s.Value(m_series));
    if (m_series != THistorySample::SeriesMinutes) {
        m_graph.Line(x, y, x, m_baseline);
    } else if (slot > 0) {
        const THistorySample &p = m_store.Sample(slot - 1);
        m_graph.Line(DayColumn(p.Time, dayStart), m_graph.YToPixel(p.Value(m_series)), x, y);
    }

    const qint64 t = qint64(s.Time) - dayStart;
    if (t > qint64(m_scrollOffset) + m_visibleSeconds)
        m_scrollOffset = ClampToInt(t - m_visibleSeconds - 1);
    CopyView(m_scrollOffset);
}

void THistoryGraph::CopyView(int offset)
{
    if (!m_attached)
        return;
    PlaceView();
    if (offset == -1)
        offset = m_scrollOffset;
    m_viewOffset = offset;
    // A view paints only inside its paint event: the copy itself happens there.
    RequestRepaint();
}

void THistoryGraph::PlaceView()
{
    if (m_scrollOffset == -1)
        m_scrollOffset = ClampToInt(Clock::LocalSecondsNow() - m_store.DayStart() - m_visibleSeconds - FollowLead);
}

void THistoryGraph::RequestRepaint()
{
    if (m_attached)
        Q_EMIT Changed();
}

void THistoryGraph::Paint(QPainter &painter, const QRect &area)
{
    if (!Dragging()) {
        PlaceView();
        m_viewOffset = m_scrollOffset;
    }
    const QImage &picture = m_graph.Bitmap();
    const int column = m_viewOffset <= 0 ? 0 : m_graph.XToPixel(m_viewOffset);
    const QRect view(0, 0, m_viewWidth, m_viewHeight);
    const QRect source = view.translated(column, 0).intersected(picture.rect());

    QRegion uncovered(area);
    if (!source.isEmpty()) {
        const QPoint at(source.left() - column, 0);
        painter.drawImage(at, picture, source);
        uncovered -= QRect(at, source.size());
    }
    // Right of the day (a view wider than the picture) or below it: background.
    const QColor background = QGuiApplication::palette().color(QPalette::Button);
    for (const QRect &rect : uncovered)
        painter.fillRect(rect, background);
    // A time label the view's edge cuts would read as another time ("2" of "22:00").
    for (const QRect &label : m_timeLabels) {
        const QRect shown = label.translated(-column, 0);
        if (shown.intersects(view) && !view.contains(shown))
            painter.fillRect(shown.intersected(view), background);
    }
}

void THistoryGraph::MouseDown(int x)
{
    m_dragStartX = x;
    m_dragStartOffset = m_scrollOffset;
}

void THistoryGraph::MouseMove(int x, bool leftButton)
{
    if (!leftButton || !Dragging())
        return;
    qint64 offset = qint64(m_dragStartX - x) * m_secondsPerPixel + m_dragStartOffset;
    if (offset < 0)
        offset = 0;
    else if (offset > m_maxScroll)
        offset = m_maxScroll;
    CopyView(int(offset));
    m_scrollOffset = int(offset);
}

void THistoryGraph::MouseUp()
{
    m_dragStartX = -1;
}

void THistoryGraph::SetShowTimeLabels(bool on)
{
    if (on == m_showTimeLabels)
        return;
    m_showTimeLabels = on;
    m_labelsChanged = true;
}

void THistoryGraph::SetSeries(int series)
{
    series = std::clamp(series, 0, THistorySample::SeriesCount - 1);
    if (series == m_series)
        return;
    m_series = series;
    Redraw();
    NotifyExtremes();
}

void THistoryGraph::NextSeries()
{
    SetSeries((m_series + 1) % SelectableSeries);
}

QString THistoryGraph::SeriesName() const
{
    return QString::fromLatin1(SeriesNames[m_series]);
}

int THistoryGraph::ScaledValue(int value) const
{
    switch (m_series) {
    case THistorySample::SeriesMinutes:
        return MakeInteger(MinutesFromSeconds(value));
    case THistorySample::SeriesEuro:
        return MakeInteger(double(value) / CentsPerEuro);
    default:
        return value;
    }
}

QString THistoryGraph::MaxText() const
{
    return QString::number(ScaledValue(m_store.MaxValue(m_series)));
}

QString THistoryGraph::MinText() const
{
    return QString::number(ScaledValue(m_store.MinValue(m_series)));
}

void THistoryGraph::SetShowYesterday(bool on)
{
    if (on == m_showYesterday)
        return;
    m_showYesterday = on;
    Redraw();
}

void THistoryGraph::NotifyExtremes()
{
    const int max = ScaledValue(m_store.MaxValue(m_series));
    const int min = ScaledValue(m_store.MinValue(m_series));
    if (m_series == m_shownSeries && max == m_shownMax && min == m_shownMin)
        return;
    m_shownSeries = m_series;
    m_shownMax = max;
    m_shownMin = min;
    Q_EMIT ExtremesChanged(MaxText(), MinText());
}
