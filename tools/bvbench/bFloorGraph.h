#pragma once

#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

// The floor's history strip: hour lines and labels drawn once per size into a picture,
// the day's online counts as one line over it, painted opaque.
class TFloorGraph final : public QWidget
{
public:
    static constexpr int StripHeight = 48;

    explicit TFloorGraph(QWidget *parent = nullptr);
    void AddSample(int secondOfDay, int online);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPixmap Background;
    QList<QPoint> Samples;
    int MaxOnline = 1;
};
