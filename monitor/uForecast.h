#pragma once

#include <QString>

#include <optional>
#include <span>

class TDayReference;

// What today will come to: from the same weekday of the last weeks where their day files
// give a base at this time of day (the median of their "whole day / at this time"), else
// as yesterday went on from this time. Each figure only where its base has one.
struct TDayForecast
{
    std::optional<double> Callers;
    std::optional<double> Minutes;
    std::optional<double> Euros;
    // 1 (Monday) to 7 when forecast from the same weekday; 0: from yesterday.
    int Weekday = 0;
    int Weeks = 0;      // how many of those days gave a base
    int WeeksBack = 0;  // the oldest of them, in weeks

    bool IsEmpty() const { return !Callers && !Minutes && !Euros; }
};

// `sameWeekdays`: today's weekday one, two, ... weeks back. `euros` none: the user has no
// payout rules, so there is nothing to forecast in euros.
TDayForecast ForecastFor(const TDayReference &yesterday, std::span<const TDayReference> sameWeekdays,
                         int secondOfDay, int callers, int seconds, std::optional<double> euros);
// "Verwacht vandaag: 512 bellers, 1.840 minuten, € 184,00 (op basis van de laatste 4
// dinsdagen)" in the user's number form; empty when there is nothing to forecast.
QString ForecastText(const TDayForecast &forecast);
