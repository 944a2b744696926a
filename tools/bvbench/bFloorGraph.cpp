#include "bFloorGraph.h"

#include <QPainter>
#include <QPolygon>

namespace {

constexpr int SecondsPerDay = 86400;
constexpr int HoursPerDay = 24;
constexpr int LabelHeight = 12;

} // namespace

TFloorGraph::TFloorGraph(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(StripHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TFloorGraph::AddSample(int secondOfDay, int online)
{
    Samples.append({secondOfDay, online});
    MaxOnline = qMax(MaxOnline, online);
    update();
}

void TFloorGraph::resizeEvent(QResizeEvent *)
{
    Background = QPixmap(size());
    Background.fill(Qt::white);
    QPainter painter(&Background);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    for (int hour = 1; hour < HoursPerDay; ++hour) {
        const int x = hour * width() / HoursPerDay;
        painter.setPen(Qt::lightGray);
        painter.drawLine(x, 0, x, height() - LabelHeight);
        painter.setPen(Qt::black);
        painter.drawText(QRect(x - 15, height() - LabelHeight, 30, LabelHeight), Qt::AlignCenter,
                         QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0')));
    }
}

void TFloorGraph::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Background);
    const int plotHeight = height() - LabelHeight - 2;
    QPolygon line;
    line.reserve(Samples.size());
    for (const QPoint &sample : Samples)
        line.append({int(qint64(sample.x()) * width() / SecondsPerDay), 1 + plotHeight - sample.y() * plotHeight / MaxOnline});
    painter.setPen(Qt::blue);
    painter.drawPolyline(line);
}
