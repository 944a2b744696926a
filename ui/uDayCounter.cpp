#include "uDayCounter.h"

#include "uAnalogNumber.h"

namespace {
constexpr int CounterClockRate = 700;
} // namespace

TAnalogNumber *MakeDayCounter(int digits, const QString &hint, QWidget *parent)
{
    auto *counter = new TAnalogNumber(parent);
    counter->SetDigits(digits);
    counter->SetColor(Qt::black);
    counter->SetTextColor(Qt::white);
    counter->SetClockRate(CounterClockRate);
    counter->setToolTip(hint);
    return counter;
}
