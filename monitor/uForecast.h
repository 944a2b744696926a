#pragma once

#include <QString>

#include <optional>

class TDayReference;

// What today will come to if the rest of it goes as yesterday's did: for callers,
// minutes and euros, each only where yesterday gives a base at this time of day.
struct TDayForecast
{
    std::optional<double> Callers;
    std::optional<double> Minutes;
    std::optional<double> Euros;

    bool IsEmpty() const { return !Callers && !Minutes && !Euros; }
};

// `euros` none: the user has no payout rules, so there is nothing to forecast in euros.
TDayForecast ForecastFor(const TDayReference &yesterday, int secondOfDay, int callers, int seconds,
                         std::optional<double> euros);
// "Verwacht vandaag: 512 bellers, 1.840 minuten, € 184,00" in the user's number form;
// empty when there is nothing to forecast.
QString ForecastText(const TDayForecast &forecast);

// Figures are old once the last processed reply is older than this: two polls missed and
// some slack for a slow reply.
qint64 StaleAfterSeconds(int interval);
bool IsStale(qint64 now, qint64 lastReply, int interval);
// "Laatste gegevens 14:32, 3 min geleden".
QString StaleText(qint64 now, qint64 lastReply);
