#pragma once

#include <QTimer>
#include <QWidget>

// One of the floor's counters: a fixed number of digit cells copied from a digit strip,
// repainted when its value changes. A rolling counter slides each changed digit in from
// the top, one pixel a tick over about RollMs, the plain Qt way: a timer and update().
class TFloorCounter final : public QWidget
{
public:
    static constexpr int RollMs = 700;

    TFloorCounter(int digits, bool roll, QWidget *parent = nullptr);
    void SetValue(qint64 value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int Digits;
    bool Roll;
    qint64 Value = 0;
    qint64 Previous = 0;
    int Offset = 0;   // pixels the new digits still have to slide
    QTimer Timer;
};
