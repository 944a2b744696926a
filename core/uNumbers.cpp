#include "uNumbers.h"

#include <QLocale>

#include <cmath>

namespace {

// U+2212, the minus sign some locales write instead of "-".
constexpr char16_t LocaleMinusSign = 0x2212;

std::optional<double> Finite(double value, bool ok)
{
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> ReadUserLocaleNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    return Finite(value, ok);
}

std::optional<double> ReadCommaOrPointNumber(const QString &text)
{
    // Files are written in the locale of the day: a decimal comma or point, and some
    // locales' minus sign, must read back under any other locale.
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    plain.replace(QChar(LocaleMinusSign), QLatin1Char('-'));
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (const std::optional<double> number = Finite(value, ok))
        return number;
    return ReadUserLocaleNumber(text);
}

std::optional<double> ReadLocaleThenCommaOrPointNumber(const QString &text)
{
    if (const std::optional<double> value = ReadUserLocaleNumber(text))
        return value;
    return ReadCommaOrPointNumber(text);
}

std::optional<double> ReadPointOrLocaleNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!trimmed.contains(QLatin1Char('.')))
        return ReadUserLocaleNumber(trimmed);
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    return Finite(value, ok);
}
