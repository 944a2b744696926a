#pragma once

class QChart;

// The label styles of the main window's chart, in the order of its "Labels" choice.
enum TChartLabels {
    LabelsNone,
    LabelsValue,
    LabelsPercent,
    LabelsName,
    LabelsNamePercent,
    LabelsNameValue,
    LabelsLegend,
    LabelsPercentTotal,
    LabelsNamePercentTotal,
    LabelsXValue,
};

// Gives the series of the main window's totals chart the label texts of `labels` and
// lays out labels, legend and axes for the chart's present size, so that no text
// overlaps another or runs out of the chart: a pie shrinks to make room for the labels
// around it, a label that finds no free place is left out, axis names turn upright (and
// smaller) when they do not fit side by side, so every category keeps its name. Bars and
// points get labels of the chart's own, in the chosen style with whole numbers. It reads
// only the series the chart holds, so it serves after a new series as well as after one
// changed in place, and after a resize. `legend` false hides the legend (a narrow chart).
void FitChartLabels(QChart &chart, int labels, bool legend);
