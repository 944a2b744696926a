#include "bFloorCounter.h"

#include <QPainter>
#include <QPixmap>

namespace {

constexpr int CellWidth = 9;
constexpr int CellHeight = 16;

// "0" to "9" white on black, side by side, made once for all counters.
const QPixmap &DigitStrip()
{
    static const QPixmap strip = [] {
        QPixmap pixmap(10 * CellWidth, CellHeight);
        pixmap.fill(Qt::black);
        QPainter painter(&pixmap);
        painter.setPen(Qt::white);
        for (int digit = 0; digit < 10; ++digit)
            painter.drawText(QRect(digit * CellWidth, 0, CellWidth, CellHeight), Qt::AlignCenter, QString::number(digit));
        return pixmap;
    }();
    return strip;
}

} // namespace

TFloorCounter::TFloorCounter(int digits, QWidget *parent)
    : QWidget(parent)
    , Digits(digits)
{
    setFixedSize(digits * CellWidth, CellHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TFloorCounter::SetValue(qint64 value)
{
    if (value == Value)
        return;
    Value = value;
    update();
}

void TFloorCounter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    qint64 rest = Value;
    for (int cell = Digits - 1; cell >= 0; --cell) {
        const int digit = int(rest % 10);
        rest /= 10;
        painter.drawPixmap(cell * CellWidth, 0, DigitStrip(), digit * CellWidth, 0, CellWidth, CellHeight);
    }
}
