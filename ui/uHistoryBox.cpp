#include "uHistoryBox.h"

#include <QMouseEvent>
#include <QPainter>

#include "uHistory.h"

THistoryBox::THistoryBox(QWidget *parent)
    : TNoDrawPaintBox(parent)
{
}

THistoryBox::~THistoryBox()
{
    if (THistoryGraph *graph = m_graph) {
        Release();
        graph->Detach();
    }
}

void THistoryBox::ShowGraph(THistoryGraph *graph)
{
    // Released first: attaching detaches the graph from its box, which may be this one.
    THistoryGraph *previous = m_graph;
    Release();
    if (!graph) {
        if (previous)
            previous->Detach();
        return;
    }
    graph->Attach(width(), height());
    m_graph = graph;
    connect(graph, &THistoryGraph::Changed, this, qOverload<>(&QWidget::update));
    connect(graph, &THistoryGraph::Detached, this, &THistoryBox::Release);
    update();
}

void THistoryBox::Release()
{
    if (m_graph)
        disconnect(m_graph, nullptr, this, nullptr);
    m_graph = nullptr;
}

void THistoryBox::paintEvent(QPaintEvent *event)
{
    if (!m_graph)
        return TNoDrawPaintBox::paintEvent(event);
    QPainter painter(this);
    m_graph->Paint(painter, rect());
}

void THistoryBox::resizeEvent(QResizeEvent *event)
{
    if (m_graph)
        m_graph->SetSize(event->size().width(), event->size().height());
    TNoDrawPaintBox::resizeEvent(event);
}

void THistoryBox::mousePressEvent(QMouseEvent *event)
{
    if (!m_graph)
        return TNoDrawPaintBox::mousePressEvent(event);
    m_graph->MouseDown(int(event->position().x()));
}

void THistoryBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_graph)
        return TNoDrawPaintBox::mouseMoveEvent(event);
    m_graph->MouseMove(int(event->position().x()), event->buttons().testFlag(Qt::LeftButton));
}

void THistoryBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_graph)
        return TNoDrawPaintBox::mouseReleaseEvent(event);
    m_graph->MouseUp();
}

void THistoryBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click starts no drag and goes on to the parent.
    event->ignore();
}
