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

TFloorCounter::TFloorCounter(int digits, bool roll, QWidget *parent)
    : QWidget(parent)
    , Digits(digits)
    , Roll(roll)
{
    setFixedSize(digits * CellWidth, CellHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Timer.setInterval(RollMs / CellHeight);
    QObject::connect(&Timer, &QTimer::timeout, this, [this] {
        if (--Offset == 0)
            Timer.stop();
        update();
    });
}

void TFloorCounter::SetValue(qint64 value)
{
    if (value == Value)
        return;
    Previous = Value;
    Value = value;
    if (Roll) {
        Offset = CellHeight;
        Timer.start();
    }
    update();
}

void TFloorCounter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    qint64 rest = Value;
    qint64 previousRest = Previous;
    for (int cell = Digits - 1; cell >= 0; --cell) {
        const int digit = int(rest % 10);
        const int previous = int(previousRest % 10);
        rest /= 10;
        previousRest /= 10;
        const int x = cell * CellWidth;
        if (Offset > 0 && digit != previous) {
            painter.drawPixmap(x, Offset - CellHeight, DigitStrip(), digit * CellWidth, 0, CellWidth, CellHeight);
            painter.drawPixmap(x, Offset, DigitStrip(), previous * CellWidth, 0, CellWidth, CellHeight);
        } else {
            painter.drawPixmap(x, 0, DigitStrip(), digit * CellWidth, 0, CellWidth, CellHeight);
        }
    }
}
