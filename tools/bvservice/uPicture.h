#pragma once

#include <QByteArray>
#include <QString>

// The programme picture sent after the text of a details reply: a Windows bitmap,
// 300 x 48 pixels, 24 bits. Clients find it by its first three bytes "BM>", so the
// file size is padded until its low byte is ">".
namespace Picture {

// When the pictures were last changed, as a Unix time; a client that holds a copy
// at least this new gets none.
constexpr qint64 Stamp = 1704067200;

QByteArray ProgrammeBitmap(const QString &code);

} // namespace Picture
