#include "uStatusSnapshot.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>
#include <functional>
#include <limits>

#include "uGlobal.h"
#include "uUnits.h"

namespace {

const QString Missing = QStringLiteral("–");

// To the hundredth, as euro cents are made.
double Cents(double value)
{
    return double(MakeInteger(value * CentsPerEuro)) / CentsPerEuro;
}

QJsonValue OptionalJson(const std::optional<double> &value, const std::function<double(double)> &shape)
{
    return value ? QJsonValue(shape(*value)) : QJsonValue(QJsonValue::Null);
}

double Whole(double value)
{
    return double(MakeInteger(value));
}

std::optional<int> ReadCount(const QJsonValue &value)
{
    const double number = value.toDouble(-1.0);
    if (!value.isDouble() || number < 0 || number > std::numeric_limits<int>::max() || number != std::floor(number))
        return std::nullopt;
    return int(number);
}

// Null or a number; `valid` goes false for anything else.
std::optional<double> ReadOptional(const QJsonValue &value, bool &valid)
{
    if (value.isDouble())
        return value.toDouble();
    valid = valid && value.isNull();
    return std::nullopt;
}

QString YesNo(bool value)
{
    return value ? QStringLiteral("ja") : QStringLiteral("nee");
}

QString WholeText(const std::optional<double> &value)
{
    return value ? QLocale().toString(MakeInteger(*value)) : Missing;
}

QString CentsText(const std::optional<double> &value)
{
    return value ? FormatFixed2(*value) : Missing;
}

} // namespace

QByteArray StatusJson(const TStatusSnapshot &status)
{
    QJsonObject json{
        {QStringLiteral("online"), status.Online},
        {QStringLiteral("callers"), status.Callers},
        {QStringLiteral("minutes"), Cents(status.Minutes)},
        {QStringLiteral("euros"), OptionalJson(status.Euros, Cents)},
        {QStringLiteral("stale"), status.Stale},
        {QStringLiteral("quiet"), status.Quiet},
        {QStringLiteral("forecast"), QJsonValue::Null},
        {QStringLiteral("lastReply"), QJsonValue::Null},
    };
    if (status.Forecast) {
        json.insert(QStringLiteral("forecast"), QJsonObject{
                                                    {QStringLiteral("callers"), OptionalJson(status.Forecast->Callers, Whole)},
                                                    {QStringLiteral("minutes"), OptionalJson(status.Forecast->Minutes, Cents)},
                                                    {QStringLiteral("euros"), OptionalJson(status.Forecast->Euros, Cents)},
                                                });
    }
    if (status.LastReply.isValid()) {
        // With the offset, so a reader elsewhere (or after a clock change) knows the moment.
        const QDateTime withOffset = status.LastReply.toOffsetFromUtc(status.LastReply.offsetFromUtc());
        json.insert(QStringLiteral("lastReply"), withOffset.toString(Qt::ISODate));
    }
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

std::optional<TStatusSnapshot> ReadStatusJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    TStatusSnapshot status;
    const std::optional<int> online = ReadCount(object.value(QStringLiteral("online")));
    const std::optional<int> callers = ReadCount(object.value(QStringLiteral("callers")));
    const QJsonValue minutes = object.value(QStringLiteral("minutes"));
    const QJsonValue stale = object.value(QStringLiteral("stale"));
    const QJsonValue quiet = object.value(QStringLiteral("quiet"));
    bool valid = online && callers && minutes.isDouble() && stale.isBool() && quiet.isBool();
    if (!valid)
        return std::nullopt;
    status.Online = *online;
    status.Callers = *callers;
    status.Minutes = minutes.toDouble();
    status.Stale = stale.toBool();
    status.Quiet = quiet.toBool();
    status.Euros = ReadOptional(object.value(QStringLiteral("euros")), valid);

    const QJsonValue forecast = object.value(QStringLiteral("forecast"));
    if (forecast.isObject()) {
        const QJsonObject figures = forecast.toObject();
        status.Forecast = TStatusSnapshot::TForecast{ReadOptional(figures.value(QStringLiteral("callers")), valid),
                                                     ReadOptional(figures.value(QStringLiteral("minutes")), valid),
                                                     ReadOptional(figures.value(QStringLiteral("euros")), valid)};
    } else {
        valid = valid && forecast.isNull();
    }

    const QJsonValue lastReply = object.value(QStringLiteral("lastReply"));
    if (lastReply.isString()) {
        status.LastReply = QDateTime::fromString(lastReply.toString(), Qt::ISODate);
        valid = valid && status.LastReply.isValid();
    } else {
        valid = valid && lastReply.isNull();
    }
    return valid ? std::optional(status) : std::nullopt;
}

QString FillStatusTemplate(const QString &format, const TStatusSnapshot &status)
{
    const TStatusSnapshot::TForecast forecast = status.Forecast.value_or(TStatusSnapshot::TForecast{});
    const QHash<QString, QString> values{
        {QStringLiteral("online"), QLocale().toString(status.Online)},
        {QStringLiteral("callers"), QLocale().toString(status.Callers)},
        {QStringLiteral("minutes"), FormatFixed2(status.Minutes)},
        {QStringLiteral("euros"), CentsText(status.Euros)},
        {QStringLiteral("forecast.callers"), WholeText(forecast.Callers)},
        {QStringLiteral("forecast.minutes"), WholeText(forecast.Minutes)},
        {QStringLiteral("forecast.euros"), CentsText(forecast.Euros)},
        {QStringLiteral("stale"), YesNo(status.Stale)},
        {QStringLiteral("quiet"), YesNo(status.Quiet)},
        // In the offset it was written with: the running monitor's local time.
        {QStringLiteral("lastReply"),
         status.LastReply.isValid() ? status.LastReply.toString(QStringLiteral("HH:mm")) : Missing},
    };
    QString line;
    qsizetype from = 0;
    while (from < format.size()) {
        const qsizetype open = format.indexOf(QLatin1Char('{'), from);
        const qsizetype close = open < 0 ? -1 : format.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0) {
            line += format.mid(from);
            break;
        }
        const auto value = values.constFind(format.mid(open + 1, close - open - 1));
        // An unknown name stays as written; a "{" inside it may still begin a known one.
        line += format.mid(from, open - from);
        if (value == values.cend()) {
            line += QLatin1Char('{');
            from = open + 1;
        } else {
            line += *value;
            from = close + 1;
        }
    }
    return line;
}
