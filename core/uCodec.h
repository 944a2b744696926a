#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 at every boundary: the settings file, the wire and the debug log.
// Every byte decodes; a character outside the set encodes as "?".
namespace Codec {

QString Decode(const QByteArray &bytes);
QByteArray Encode(const QString &text);

} // namespace Codec
