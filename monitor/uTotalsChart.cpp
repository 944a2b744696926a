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
#include <QValueAxis>

#include "uMonitor.h"

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
    m_shown = true;
    m_shownTitle = title;
    m_shownPoints = points;
    RemoveSeriesAndAxes();
    m_chart->setTitle(title);
    m_chart->legend()->setVisible(m_style == Pie);

    // Charts render their labels as markup, and programme names come from the server:
    // escaped here, before any label is made of them, they show as they are.
    // A category axis takes each label once, but one label may stand for several points
    // (a programme and access type in more countries): repeats get invisible suffixes.
    QStringList labels;
    double top = 0.0;
    for (const TChartPoint &point : points) {
        QString label = point.Label.toHtmlEscaped();
        while (labels.contains(label))
            label += QChar(0x200B);
        labels.append(label);
        top = qMax(top, point.Value);
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
    values->setRange(0.0, top > 0.0 ? top * 1.1 : 1.0);
    const bool horizontal = m_style == HorizontalBar;
    m_chart->addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    m_chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categories);
    series->attachAxis(values);
    categories->setVisible(m_axesVisible);
    values->setVisible(m_axesVisible);
}
