#pragma once

#include <QString>

class QWidget;
class TAnalogNumber;

// The day counters look the same in every window: white digits on black that roll
// to a new value in 700 ms.
TAnalogNumber *MakeDayCounter(int digits, const QString &hint, QWidget *parent = nullptr);
// Lines under the counter's own hint (how old the figures are, the day's forecast); an
// empty text leaves the hint alone.
void SetDayCounterNotes(TAnalogNumber *counter, const QString &notes);
