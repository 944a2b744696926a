#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// Program versions as four numbers, compared number by number.
namespace Version {

using TVersion = std::array<int, 4>;

// "1.4.0.0"; fewer numbers are padded with zeros; anything else gives nothing.
std::optional<TVersion> Parse(const QString &text);
// The version a "BVMonitor V1.4.0.0" user agent carries, if it carries one.
std::optional<TVersion> FromUserAgent(const QByteArray &userAgent);

} // namespace Version
