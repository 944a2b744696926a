#include "bFloorCountdown.h"

#include <QPainter>

namespace {

constexpr int Size = 16;
constexpr int FullCircle = 360 * 16;

} // namespace

TFloorCountdown::TFloorCountdown(int intervalMs, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(Size, Size);
    for (int i = 0; i < FrameCount; ++i) {
        QPixmap frame(Size, Size);
        frame.fill(palette().window().color());
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::darkGray);
        painter.drawEllipse(1, 1, Size - 3, Size - 3);
        painter.setBrush(Qt::green);
        painter.drawPie(1, 1, Size - 3, Size - 3, FullCircle / 4, -FullCircle * (FrameCount - i) / FrameCount);
        Frames.append(frame);
    }
    Timer.setInterval(intervalMs / FrameCount);
    connect(&Timer, &QTimer::timeout, this, [this] {
        Frame = (Frame + 1) % FrameCount;
        update();
    });
}

void TFloorCountdown::Restart()
{
    Frame = 0;
    Timer.start();
    update();
}

void TFloorCountdown::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(0, 0, Frames[Frame]);
}
