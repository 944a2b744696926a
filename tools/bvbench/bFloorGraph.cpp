#include "bFloorGraph.h"

#include <QPainter>
#include <QPolygon>

namespace {

constexpr int SecondsPerDay = 86400;

} // namespace

TFloorGraph::TFloorGraph(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(StripHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TFloorGraph::AddSample(int secondOfDay, int online)
{
    m_samples.append({secondOfDay, online});
    m_max = qMax(m_max, online);
    update();
}

void TFloorGraph::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    QPolygon line;
    line.reserve(m_samples.size());
    for (const QPoint &sample : m_samples)
        line.append({int(qint64(sample.x()) * width() / SecondsPerDay), height() - 1 - sample.y() * (height() - 2) / m_max});
    painter.setPen(Qt::green);
    painter.drawPolyline(line);
}
