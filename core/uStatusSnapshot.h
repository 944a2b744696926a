#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The figures a running monitor gives a panel (`bvmonitor --status`): what its counters,
// forecast and hints show at the moment of asking. The running side writes it as one
// line of JSON; the asking side reads it back and prints it, or fills a template.
struct TStatusSnapshot
{
    struct TForecast
    {
        std::optional<double> Callers;
        std::optional<double> Minutes;
        std::optional<double> Euros;

        bool operator==(const TForecast &) const = default;
    };

    int Online = 0;                  // callers online now
    int Callers = 0;                 // calls today
    double Minutes = 0;              // call minutes today
    std::optional<double> Euros;     // none without payout rules
    std::optional<TForecast> Forecast;
    bool Stale = false;
    bool Quiet = false;
    QDateTime LastReply;             // local time of the last processed reply; invalid: none yet

    bool operator==(const TStatusSnapshot &) const = default;
};

// One line of JSON: the keys online, callers, minutes, euros, forecast (callers, minutes,
// euros), stale, quiet, lastReply (ISO 8601 with the offset); minutes and euros to the
// cent, callers forecast whole; what is missing is null.
QByteArray StatusJson(const TStatusSnapshot &status);
// None for anything that is not such a line.
std::optional<TStatusSnapshot> ReadStatusJson(const QByteArray &json);
// `format` with each "{key}" replaced (also "{forecast.callers}" and its kin), numbers in
// the user's form, yes/no as "ja"/"nee", lastReply as "HH:mm", a missing value as "–";
// an unknown "{...}" stays as it is.
QString FillStatusTemplate(const QString &format, const TStatusSnapshot &status);
