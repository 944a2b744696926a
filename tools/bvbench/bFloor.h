#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringView>
#include <QWidget>

#include <limits>
#include <memory>

class QLabel;
class QPieSeries;
class QPieSlice;
class QTreeWidget;
class TFloorCallers;
class TFloorCountdown;
class TFloorCounter;
class TFloorGraph;

// The floor the monitor's figures are read against: the same visible work done the plain
// Qt way. A 270-row callers list with two pictures a row, whose time texts change at every
// poll while a few rows leave and arrive; a chart in a tab that is not shown; a history
// strip; four counters (rolling ones with `rollCounters`) and a countdown. bvfloor feeds it the service's replies; bvbench
// times it.
class TFloorWindow final : public QWidget
{
public:
    static constexpr int PollMs = 5000;

    explicit TFloorWindow(bool rollCounters = false, QWidget *parent = nullptr);
    ~TFloorWindow() override;

    // The programme list's reply ("CODE:Name" lines after the echo).
    void SetProgrammes(QStringView reply);
    // A callers reply: rows, counters, history strip and pie.
    void ShowCallers(QStringView reply);
    void RestartCountdown();

private:
    void UpdatePie(const QList<QPair<QStringView, qint64>> &secondsPerProgramme);

    QTreeWidget *List;
    QPieSeries *Pie;
    TFloorGraph *Graph;
    QLabel *MaxLabel;
    QLabel *MinLabel;
    int MaxOnline = 0;
    int MinOnline = std::numeric_limits<int>::max();
    TFloorCountdown *Countdown;
    QList<TFloorCounter *> Counters;
    std::unique_ptr<TFloorCallers> Callers;
    QHash<QString, QString> ProgNames;
    QHash<QString, QPieSlice *> Slices;
};
