#pragma once

#include <QList>
#include <QPoint>
#include <QWidget>

// The floor's history strip: the day's online counts as one line, drawn opaque.
class TFloorGraph final : public QWidget
{
public:
    static constexpr int StripHeight = 48;

    explicit TFloorGraph(QWidget *parent = nullptr);
    void AddSample(int secondOfDay, int online);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QPoint> m_samples;
    int m_max = 1;
};
