#pragma once

#include <QList>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

// The floor's countdown picture: one of its frames per part of the poll interval.
class TFloorCountdown final : public QWidget
{
public:
    static constexpr int FrameCount = 8;

    explicit TFloorCountdown(int intervalMs, QWidget *parent = nullptr);
    void Restart();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QPixmap> Frames;
    QTimer Timer;
    int Frame = 0;
};
