#pragma once

#include <QString>

#include <optional>

// Numbers read from text, one function per rule. Each allows blanks around the number and
// gives none for anything else, "nan" and "inf" included; the caller chooses a default.

// The user's locale form: "1.234,5" under Dutch, "1,234.5" under English.
std::optional<double> ReadUserLocaleNumber(const QString &text);
// A comma or a point as decimal separator and no grouping, so a file written under any
// locale reads back under any other ("0,25", "0.25", a locale's minus sign); failing that,
// the user's locale form.
std::optional<double> ReadCommaOrPointNumber(const QString &text);
// The user's locale form first (under Dutch "1.000" is a thousand), failing that a comma
// or a point as decimal separator.
std::optional<double> ReadLocaleThenCommaOrPointNumber(const QString &text);
// A point is always the decimal point ("0.35" under Dutch too); without one, the user's
// locale form.
std::optional<double> ReadPointOrLocaleNumber(const QString &text);
