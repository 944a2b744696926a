#pragma once

#include <QPointer>

#include "uNoDrawPanel.h"

class THistoryGraph;

// The paint box that shows the day graph: it gives the graph its size, its paint and its
// mouse, and repaints when the graph asks. One box at a time shows the graph; the window
// chooses which (the main window's strip or the small window's mini graph).
class THistoryBox final : public TNoDrawPaintBox
{
    Q_OBJECT
public:
    explicit THistoryBox(QWidget *parent = nullptr);
    ~THistoryBox() override;

    // Shows `graph` from now on, taking it from any other box; nullptr shows nothing.
    void ShowGraph(THistoryGraph *graph);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // Lets go of the graph without detaching it (another box has it now).
    void Release();

    QPointer<THistoryGraph> m_graph;
};
