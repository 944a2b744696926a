#include "uHistory.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QRegion>
#include <QResizeEvent>
#include <QSaveFile>

#include "uClock.h"
#include "uDayTotals.h"
#include "uDebugLog.h"
#include "uSettings.h"

namespace {

constexpr int GridStep = 5;          // one horizontal grid line per 5 pixels of height
constexpr int LowGridHeight = 10;    // below this only two grid intervals
constexpr int LowGridLines = 2;
constexpr int LabelLineExtra = 4;    // a labelled mark reaches this far below the plot
constexpr int LabelTextGap = 3;      // label top below the plot
constexpr int TickLength = 2;
constexpr int LabelSpacingGap = 2;
constexpr int SecondsPerMinute = 60;
constexpr int CentsPerEuro = 100;
constexpr int SecondsPerHour = 3600;
constexpr int DaysPerWeek = 7;
constexpr int HoursPerDay = 24;

const char *const SeriesNames[THistoryGraph::SeriesCount] = {"Online", "Bellers", "Minuten", "Euro"};

int ClampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QString TimeOfDayText(int seconds)
{
    const int hours = (seconds / SecondsPerHour) % HoursPerDay;
    const int minutes = (seconds / SecondsPerMinute) % SecondsPerMinute;
    return QStringLiteral("%1:%2").arg(hours, 2, 10, QLatin1Char('0')).arg(minutes, 2, 10, QLatin1Char('0'));
}

} // namespace

THistoryGraph::THistoryGraph(QObject *parent)
    : QObject(parent)
    , m_samples(Capacity)
{
    // The glyphs are our own drawing, so the graph can label a low strip from the start.
    m_graph.SetDigitStrip(TGraph::MakeDigitStrip());
    m_dayStart = MidnightNow();
    LoadDay();
    LoadYesterday();
}

THistoryGraph::~THistoryGraph()
{
    Detach();
}

qint64 THistoryGraph::MidnightNow() const
{
    const qint64 now = Clock::LocalSecondsNow();
    qint64 intoDay = now % DaySeconds;
    if (intoDay < 0)
        intoDay += DaySeconds;
    return now - intoDay;
}

// --- Day store ---

void THistoryGraph::ClearDay()
{
    // Slot 0 included even when empty: an empty day's extremes come from a zero slot 0.
    std::memset(static_cast<void *>(m_samples.data()), 0, sizeof(THistorySample) * std::max(m_count, 1));
    m_count = 0;
    m_maxValues.fill(0);
    m_minValues.fill(0);
}

bool THistoryGraph::AddSample(qint64 time, int online, int callers, int seconds, int cents)
{
    bool newDay = false;
    if (time >= m_dayStart + DaySeconds) {
        if (!SaveDay())
            DebugLog(DebugLevel::Requests, QStringLiteral("History.SaveDay exception: %1").arg(m_lastError));
        m_dayStart = MidnightNow();
        ClearDay();
        LoadYesterday();
        m_scaleTop = -1;
        // Yesterday's scroll position would park the view at the end of the new day.
        m_scrollOffset = -1;
        newDay = true;
    }
    if (m_count == Capacity)
        return newDay;

    THistorySample &sample = m_samples[m_count++];
    sample = {qint32(time), online, callers, seconds, cents};
    if (sample.Value(m_series) > m_scaleTop) {
        Redraw();
    } else {
        Widen(sample);
        DrawNewSample();
    }
    NotifyExtremes();
    return newDay;
}

bool THistoryGraph::SaveDay()
{
    QByteArray text;
    FormatDayFile(m_samples.data(), m_count, text);

    const QString name = DayFileName();
    QDir().mkpath(QFileInfo(name).path());
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        m_lastError = QStringLiteral("%1: %2").arg(name, file.errorString());
        return false;
    }
    m_lastError.clear();
    return true;
}

void THistoryGraph::LoadDay()
{
    ClearDay();
    m_scaleTop = -1;
    QFile file(DayFileName());
    if (file.exists()) {
        if (file.open(QIODevice::ReadOnly))
            m_count = ReadDayFile(file, m_samples.data(), Capacity);
        else
            DebugLog(DebugLevel::Requests, QStringLiteral("History.LoadDay: %1: %2").arg(file.fileName(), file.errorString()));
    }
    // The labels are right before the first redraw too.
    RecomputeExtremes();
    NotifyExtremes();
}

void THistoryGraph::LoadYesterday()
{
    const qint64 dayStart = m_dayStart - DaySeconds;
    m_yesterday.Load(DayFileNameFor(dayStart), dayStart);
    for (int week = 1; week <= SameWeekdayWeeks; ++week) {
        const qint64 weekStart = m_dayStart - qint64(week) * DaysPerWeek * DaySeconds;
        m_sameWeekdays[std::size_t(week - 1)].Load(DayFileNameFor(weekStart), weekStart);
    }
}

QString THistoryGraph::DayFileName() const
{
    return DayFileNameFor(m_dayStart);
}

QString THistoryGraph::DayFileNameFor(qint64 dayStart) const
{
    return DayFilePath(ProgramDir, Clock::FromLocalSeconds(dayStart).date());
}

void THistoryGraph::RecomputeExtremes()
{
    for (int v = 0; v < SeriesCount; ++v)
        m_maxValues[v] = m_minValues[v] = m_samples[0].Value(v);
    for (int i = 1; i < m_count; ++i)
        Widen(m_samples[i]);
}

void THistoryGraph::Widen(const THistorySample &sample)
{
    const qint32 values[SeriesCount] = {sample.Online, sample.Callers, sample.Seconds, sample.Cents};
    for (int v = 0; v < SeriesCount; ++v) {
        if (values[v] > m_maxValues[v])
            m_maxValues[v] = values[v];
        else if (values[v] < m_minValues[v])
            m_minValues[v] = values[v];
    }
}

// --- Graph ---

void THistoryGraph::Attach(QWidget *target)
{
    if (m_target)
        Detach();
    if (!target)
        return;
    m_target = target;
    target->installEventFilter(this);
    SetSize(target->width(), target->height());
    target->update();
}

void THistoryGraph::Detach()
{
    if (m_target)
        m_target->removeEventFilter(this);
    m_target = nullptr;
    m_dragStartX = -1;
}

void THistoryGraph::SetSize(int width, int height)
{
    m_viewWidth = std::clamp(width, 0, QWIDGETSIZE_MAX);
    height = std::clamp(height, 0, QWIDGETSIZE_MAX);
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
    m_maxScroll = ClampToInt(qint64(DaySeconds) - m_visibleSeconds);
    if (m_maxScroll < m_scrollOffset)
        m_scrollOffset = ClampToInt(qint64(m_maxScroll) - 1);
}

void THistoryGraph::Redraw()
{
    m_labelsChanged = false;
    m_graph.Reset();
    m_graph.SetTinyDigits(m_viewHeight < TinyGlyphHeightLimit);
    RecomputeExtremes();

    const int textHeight = m_graph.TextHeight(QStringLiteral("Xj"));
    // One scale for both days, so the curves can be compared by eye. Clamped both ways: a
    // damaged file may hold a maximum near the bottom of the range.
    const int dayMax = m_showYesterday ? std::max(m_maxValues[m_series], m_yesterday.MaxValue(m_series))
                                       : m_maxValues[m_series];
    const double top = RoundHalfEven(std::clamp(dayMax * ScaleRoom, 0.0, double(std::numeric_limits<int>::max())));
    const int topMargin = m_showTimeLabels ? textHeight / 2 + 1 : 0;
    const int bottomMargin = m_showTimeLabels ? textHeight + LabelLineExtra : 0;
    m_graph.SetMargins(0, topMargin, 0, bottomMargin);
    m_secondsPerPixel = DefaultSecondsPerPixel;
    UpdateScroll();
    m_graph.SetSize(DayPixels, m_viewHeight);
    m_scaleTop = m_graph.NiceTop(int(top));
    m_graph.SetWorld(0, 0, DaySeconds, m_scaleTop);

    const int plotWidth = m_graph.PlotWidth();
    const int plotHeight = m_graph.PlotHeight();
    const int left = m_graph.Margins().Left;
    m_baseline = topMargin + plotHeight;
    if (m_graph.Width() == 0 || m_graph.Height() == 0) {
        // Nothing to paint into until a target gives the picture a height.
        if (m_target)
            m_target->update();
        return;
    }

    m_graph.Clear();
    m_graph.SetBrushColor(PlotColor);
    m_graph.FillRect(left, topMargin, left + plotWidth, topMargin + plotHeight);

    const int gridLines = m_viewHeight < LowGridHeight ? LowGridLines : m_viewHeight / GridStep;
    m_graph.SetPenColor(GridColor);
    for (int i = 0; i <= gridLines; ++i) {
        const int y = std::max(
            0, topMargin + plotHeight - int(RoundHalfEven(double(i) * plotHeight / gridLines)));
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
    if (m_series == SeriesMinutes) {
        for (int i = 0; i < m_count; ++i)
            DrawSample(i);
        m_graph.FlushPolyline();
    } else {
        DrawBars();
    }

    if (m_target)
        m_target->update();
}

void THistoryGraph::DrawSample(int slot)
{
    const THistorySample &s = m_samples[slot];
    const double x = m_graph.XToPixel(double(s.Time) - double(m_dayStart));
    const double y = m_graph.YToPixel(s.Value(m_series));
    if (m_series == SeriesMinutes)
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
    m_barTops.assign(width, m_baseline);
    m_barFeet.assign(width, m_baseline);
    for (int i = 0; i < m_count; ++i) {
        const THistorySample &s = m_samples[i];
        const int x = m_graph.XToPixel(double(s.Time) - double(m_dayStart));
        if (x < 0 || x >= width)
            continue;
        const int y = m_graph.YToPixel(s.Value(m_series));
        if (y < m_barTops[x])
            m_barTops[x] = y;
        else if (y > m_barFeet[x])
            m_barFeet[x] = y;
    }
    for (int x = 0; x < width; ++x) {
        if (m_barTops[x] < m_baseline)
            m_graph.Line(x, m_barTops[x], x, m_baseline);
        if (m_barFeet[x] > m_baseline)
            m_graph.Line(x, m_barFeet[x], x, m_baseline);
    }
}

void THistoryGraph::DrawYesterday()
{
    // One point per picture column, its highest value: a line through 17,280 jumpy online
    // counts would only be a grey smear.
    const int width = m_graph.Width();
    m_barTops.assign(width, std::numeric_limits<int>::min());
    for (int i = 0; i < m_yesterday.Count(); ++i) {
        const THistorySample &s = m_yesterday.Sample(i);
        const int x = m_graph.XToPixel(double(s.Time) - double(m_yesterday.DayStart()));
        if (x >= 0 && x < width)
            m_barTops[x] = std::max(m_barTops[x], s.Value(m_series));
    }
    m_graph.SetPenColor(YesterdayColor);
    m_graph.SetPenStyle(TGraphPenStyle::Solid);
    for (int x = 0; x < width; ++x) {
        if (m_barTops[x] != std::numeric_limits<int>::min())
            m_graph.PolyLineTo(x, m_graph.YToPixel(m_barTops[x]));
    }
    m_graph.FlushPolyline();
}

void THistoryGraph::DrawNewSample()
{
    const THistorySample &s = m_samples[m_count - 1];
    m_graph.SetPenColor(SampleColor);
    m_graph.SetPenStyle(TGraphPenStyle::Solid);
    const double x = m_graph.XToPixel(double(s.Time) - double(m_dayStart));
    const double y = m_graph.YToPixel(s.Value(m_series));
    if (m_series != SeriesMinutes) {
        m_graph.Line(x, y, x, m_baseline);
    } else if (m_count > 1) {
        const THistorySample &p = m_samples[m_count - 2];
        m_graph.Line(m_graph.XToPixel(double(p.Time) - double(m_dayStart)),
                     m_graph.YToPixel(p.Value(m_series)), x, y);
    }

    const qint64 t = qint64(s.Time) - m_dayStart;
    if (t > qint64(m_scrollOffset) + m_visibleSeconds)
        m_scrollOffset = ClampToInt(t - m_visibleSeconds - 1);
    CopyView(m_scrollOffset);
}

void THistoryGraph::CopyView(int offset)
{
    if (!m_target)
        return;
    PlaceView();
    if (offset == -1)
        offset = m_scrollOffset;
    m_viewOffset = offset;
    // Widgets paint only inside their paint event: the copy itself happens there.
    m_target->update();
}

void THistoryGraph::PlaceView()
{
    if (m_scrollOffset == -1)
        m_scrollOffset = ClampToInt(Clock::LocalSecondsNow() - m_dayStart - m_visibleSeconds - FollowLead);
}

void THistoryGraph::PaintTarget()
{
    if (!Dragging()) {
        PlaceView();
        m_viewOffset = m_scrollOffset;
    }
    const QImage &picture = m_graph.Bitmap();
    const int column = m_viewOffset <= 0 ? 0 : m_graph.XToPixel(m_viewOffset);
    const QRect view(0, 0, m_viewWidth, m_viewHeight);
    const QRect source = view.translated(column, 0).intersected(picture.rect());

    QPainter painter(m_target);
    QRegion uncovered(m_target->rect());
    if (!source.isEmpty()) {
        const QPoint at(source.left() - column, 0);
        painter.drawImage(at, picture, source);
        uncovered -= QRect(at, source.size());
    }
    // Right of the day (a target wider than the picture) or below it: background.
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

bool THistoryGraph::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_target)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_dragStartX = int(mouse->position().x());
        m_dragStartOffset = m_scrollOffset;
        return true;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || !Dragging())
            return true;
        qint64 offset = qint64(m_dragStartX - int(mouse->position().x())) * m_secondsPerPixel + m_dragStartOffset;
        if (offset < 0)
            offset = 0;
        else if (offset > m_maxScroll)
            offset = m_maxScroll;
        CopyView(int(offset));
        m_scrollOffset = int(offset);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_dragStartX = -1;
        return true;
    case QEvent::Paint:
        PaintTarget();
        return true;
    case QEvent::Resize: {
        const auto *resize = static_cast<QResizeEvent *>(event);
        SetSize(resize->size().width(), resize->size().height());
        return false;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
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
    series = std::clamp(series, 0, SeriesCount - 1);
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
    case SeriesMinutes:
        return int(RoundHalfEven(double(value) / SecondsPerMinute));
    case SeriesEuro:
        return int(RoundHalfEven(double(value) / CentsPerEuro));
    default:
        return value;
    }
}

QString THistoryGraph::MaxText() const
{
    return QString::number(ScaledValue(m_maxValues[m_series]));
}

QString THistoryGraph::MinText() const
{
    return QString::number(ScaledValue(m_minValues[m_series]));
}

void THistoryGraph::SetDigitStrip(const QImage &strip)
{
    m_graph.SetDigitStrip(strip);
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
    const int max = ScaledValue(m_maxValues[m_series]);
    const int min = ScaledValue(m_minValues[m_series]);
    if (m_series == m_shownSeries && max == m_shownMax && min == m_shownMin)
        return;
    m_shownSeries = m_series;
    m_shownMax = max;
    m_shownMin = min;
    Q_EMIT ExtremesChanged(MaxText(), MinText());
}
