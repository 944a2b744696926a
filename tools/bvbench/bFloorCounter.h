#pragma once

#include <QWidget>

// One of the floor's counters: a fixed number of digit cells copied from a digit strip,
// repainted when its value changes.
class TFloorCounter final : public QWidget
{
public:
    explicit TFloorCounter(int digits, QWidget *parent = nullptr);
    void SetValue(qint64 value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int Digits;
    qint64 Value = 0;
};
