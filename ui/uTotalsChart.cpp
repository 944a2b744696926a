#include "uTotalsChart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QPieSeries>
#include <QScatterSeries>
#include <QSignalBlocker>
#include <QValueAxis>

namespace {

// Room above the highest point.
constexpr double AxisHeadroom = 1.1;

double TopOfAxis(const std::vector<TChartPoint> &points)
{
    double top = 0.0;
    for (const TChartPoint &point : points)
        top = qMax(top, point.Value);
    return top > 0.0 ? top * AxisHeadroom : 1.0;
}

} // namespace

TTotalsChart::TTotalsChart(QChart *chart)
    : m_chart(chart)
{
}

bool TTotalsChart::IsVisible() const
{
    if (!m_chart || !m_chart->scene())
        return false;
    const auto views = m_chart->scene()->views();
    for (const QGraphicsView *view : views) {
        if (view->isVisible())
            return true;
    }
    return false;
}

void TTotalsChart::RemoveSeriesAndAxes()
{
    m_chart->removeAllSeries();
    const auto axes = m_chart->axes();
    for (QAbstractAxis *axis : axes) {
        m_chart->removeAxis(axis);
        delete axis;
    }
}

void TTotalsChart::SetStyle(int style)
{
    m_style = style >= Line && style <= FastLine ? style : Pie;
    m_axesVisible = style >= 0 && style <= LastStyleWithAxes;
    m_shown = false;
    if (m_chart)
        RemoveSeriesAndAxes();
}

void TTotalsChart::Show(const QString &title, const std::vector<TChartPoint> &points)
{
    if (!m_chart)
        return;
    if (m_shown && title == m_shownTitle && points == m_shownPoints)
        return;
    ++m_revision;
    if (!m_shown || !ShowInPlace(title, points))
        Rebuild(title, points);
    m_shown = true;
    m_shownTitle = title;
    m_shownPoints = points;
}

// New values, and for a pie new names, go into the series it has: Qt then lays out only
// what changed instead of a whole new series, its axes and its legend.
bool TTotalsChart::ShowInPlace(const QString &title, const std::vector<TChartPoint> &points)
{
    const QList<QAbstractSeries *> all = m_chart->series();
    if (all.size() != 1 || points.size() != m_shownPoints.size() || title != m_shownTitle)
        return false;
    QAbstractSeries *series = all.first();
    const auto changed = [&](std::size_t i) { return points[i].Value != m_shownPoints[i].Value; };
    if (auto *pie = qobject_cast<QPieSeries *>(series)) {
        const QList<QPieSlice *> slices = pie->slices();
        if (m_style != Pie || std::size_t(slices.size()) != points.size())
            return false;
        // Each new value makes Qt lay out every slice again: all but the last go in
        // quietly, and the last one's change lays them out once, from all the values.
        // A slice takes a value as its size and ignores a change it cannot see.
        const auto moves = [&](std::size_t i) {
            return !qFuzzyIsNull(slices[qsizetype(i)]->value() - qAbs(points[i].Value));
        };
        std::size_t last = points.size();
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (moves(i))
                last = i;
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            QPieSlice &slice = *slices[qsizetype(i)];
            if (moves(i)) {
                const QSignalBlocker quiet(i == last ? nullptr : &slice);
                slice.setValue(points[i].Value);
            }
            // Escaped like a new series' names: they come from the server.
            if (points[i].Label != m_shownPoints[i].Label)
                slice.setLabel(points[i].Label.toHtmlEscaped());
        }
        return true;
    }
    // Along an axis the names are categories: new names make a new series.
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].Label != m_shownPoints[i].Label)
            return false;
    }
    QValueAxis *values = nullptr;
    const QList<QAbstractAxis *> axes = m_chart->axes();
    for (QAbstractAxis *axis : axes) {
        if (auto *found = qobject_cast<QValueAxis *>(axis)) {
            values = found;
            break;
        }
    }
    if (!values)
        return false;
    if (auto *bars = qobject_cast<QAbstractBarSeries *>(series)) {
        const QList<QBarSet *> sets = bars->barSets();
        if (sets.size() != 1 || std::size_t(sets.first()->count()) != points.size())
            return false;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (changed(i))
                sets.first()->replace(qsizetype(i), points[i].Value);
        }
    } else {
        auto *area = qobject_cast<QAreaSeries *>(series);
        QXYSeries *line = area ? area->upperSeries() : qobject_cast<QXYSeries *>(series);
        if (!line || std::size_t(line->count()) != points.size())
            return false;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (changed(i))
                line->replace(int(i), QPointF(double(i), points[i].Value));
        }
    }
    values->setRange(0.0, TopOfAxis(points));
    return true;
}

void TTotalsChart::Rebuild(const QString &title, const std::vector<TChartPoint> &points)
{
    RemoveSeriesAndAxes();
    m_chart->setTitle(title);
    m_chart->legend()->setVisible(m_style == Pie);

    // Charts render their labels as markup, and programme names come from the server:
    // escaped here, before any label is made of them, they show as they are.
    // A category axis takes each label once, but one label may stand for several points
    // (a programme and access type in more countries): repeats get invisible suffixes.
    QStringList labels;
    for (const TChartPoint &point : points) {
        QString label = point.Label.toHtmlEscaped();
        while (labels.contains(label))
            label += QChar(0x200B);
        labels.append(label);
    }

    if (m_style == Pie) {
        auto *series = new QPieSeries;
        for (const TChartPoint &point : points)
            series->append(point.Label.toHtmlEscaped(), point.Value);
        m_chart->addSeries(series);
        return;
    }

    QAbstractSeries *series = nullptr;
    if (m_style == Bar || m_style == HorizontalBar) {
        auto *set = new QBarSet(m_chart->title());
        for (const TChartPoint &point : points)
            set->append(point.Value);
        QAbstractBarSeries *bars = m_style == Bar ? static_cast<QAbstractBarSeries *>(new QBarSeries)
                                                  : new QHorizontalBarSeries;
        bars->append(set);
        series = bars;
    } else {
        QXYSeries *line = nullptr;
        QLineSeries *upper = nullptr;
        if (m_style == Point) {
            line = new QScatterSeries;
        } else {
            upper = new QLineSeries;
            line = upper;
        }
        for (std::size_t i = 0; i < points.size(); ++i)
            line->append(double(i), points[i].Value);
        if (m_style == Area) {
            auto *area = new QAreaSeries(upper);
            upper->setParent(area);
            series = area;
        } else {
            series = line;
        }
    }
    m_chart->addSeries(series);

    auto *categories = new QBarCategoryAxis;
    categories->append(labels);
    auto *values = new QValueAxis;
    values->setRange(0.0, TopOfAxis(points));
    const bool horizontal = m_style == HorizontalBar;
    m_chart->addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    m_chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categories);
    series->attachAxis(values);
    categories->setVisible(m_axesVisible);
    values->setVisible(m_axesVisible);
}
