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
        m_frames.append(frame);
    }
    m_timer.setInterval(intervalMs / FrameCount);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % FrameCount;
        update();
    });
}

void TFloorCountdown::Restart()
{
    m_frame = 0;
    m_timer.start();
    update();
}

void TFloorCountdown::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(0, 0, m_frames[m_frame]);
}
