#pragma once

#include <QChart>
#include <QPointer>
#include <QString>

#include <vector>

#include "uChartPoint.h"

// The main window's chart of the totals: one series of the points the monitor gives, in
// one of seven styles.
class TTotalsChart final
{
public:
    enum TStyle { Line = 0, Area = 1, Point = 2, Bar = 3, HorizontalBar = 4, Pie = 5, FastLine = 6 };
    static constexpr int LastStyleWithAxes = 6;

    explicit TTotalsChart(QChart *chart);

    QChart *Chart() const { return m_chart; }
    bool IsVisible() const;
    // Releases the series and makes one of the style; any unknown style is a pie.
    void SetStyle(int style);
    void Show(const QString &title, const std::vector<TChartPoint> &points);
    // Counts the changes Show made, to the series in place or with a new one: whoever
    // lays out the labels does so again when it moves.
    int Revision() const { return m_revision; }

private:
    void RemoveSeriesAndAxes();
    bool ShowInPlace(const QString &title, const std::vector<TChartPoint> &points);
    void Rebuild(const QString &title, const std::vector<TChartPoint> &points);

    QPointer<QChart> m_chart;
    // What the chart shows now: a poll that changes nothing rebuilds nothing.
    QString m_shownTitle;
    std::vector<TChartPoint> m_shownPoints;
    bool m_shown = false;
    int m_style = Pie;
    bool m_axesVisible = false;
    int m_revision = 0;
};
