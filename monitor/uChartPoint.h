#pragma once

#include <QString>

// A point of the totals chart: a value and its label.
struct TChartPoint
{
    double Value = 0.0;
    QString Label;
    friend bool operator==(const TChartPoint &, const TChartPoint &) = default;
};
