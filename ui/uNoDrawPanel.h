#pragma once

#include <QWidget>

// A paint box that never erases its background: its owner paints every pixel, so
// skipping the erase avoids flicker on the graph strips.
class TNoDrawPaintBox : public QWidget
{
    Q_OBJECT
public:
    explicit TNoDrawPaintBox(QWidget *parent = nullptr);
};
