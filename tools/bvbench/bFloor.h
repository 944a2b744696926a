#pragma once

#include <QWidget>

class QChartView;
class QPieSeries;
class QTreeWidget;

// The floor every figure of the monitor is measured against: the least a Qt Widgets
// program does to show what it shows, one 200-row list and one chart, both refreshed in
// place. bvfloor runs it every 5 s against a real display; bvbench times its refresh.
class TFloorWindow final : public QWidget
{
public:
    static constexpr int RowCount = 200;
    static constexpr int SliceCount = 20;

    explicit TFloorWindow(QWidget *parent = nullptr);
    // New texts in every row's time column and new values in every slice.
    void Refresh(int poll);

private:
    QTreeWidget *m_list;
    QChartView *m_chart;
    QPieSeries *m_pie;
};
