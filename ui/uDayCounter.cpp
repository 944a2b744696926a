#include "uDayCounter.h"

#include "uAnalogNumber.h"

namespace {
constexpr int CounterClockRate = 700;
constexpr char BaseHintProperty[] = "bvBaseHint";
} // namespace

TAnalogNumber *MakeDayCounter(int digits, const QString &hint, QWidget *parent)
{
    auto *counter = new TAnalogNumber(parent);
    counter->SetDigits(digits);
    counter->SetColor(Qt::black);
    counter->SetTextColor(Qt::white);
    counter->SetClockRate(CounterClockRate);
    counter->setToolTip(hint);
    counter->setProperty(BaseHintProperty, hint);
    return counter;
}

void SetDayCounterNotes(TAnalogNumber *counter, const QString &notes)
{
    if (!counter)
        return;
    const QString hint = counter->property(BaseHintProperty).toString();
    counter->setToolTip(notes.isEmpty() ? hint : hint + QLatin1Char('\n') + notes);
}
