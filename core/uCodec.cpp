#include "uCodec.h"

#include <array>
#include <cstring>

namespace Codec {

namespace {

// The five holes of Windows-1252 (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls
// of the same value, as Windows itself does, so every byte survives a round trip.
constexpr std::array<char16_t, 32> High80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToByte(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < High80.size(); ++i) {
        if (High80[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

QString Decode(const QByteArray &bytes)
{
    // Latin-1 but for 0x80 to 0x9F: the whole text converted at once, then those few
    // mended. Eight bytes without a high bit, nearly all of a reply, need no look.
    QString text = QString::fromLatin1(bytes);
    const char *in = bytes.constData();
    const qsizetype size = bytes.size();
    constexpr qsizetype Word = sizeof(quint64);
    constexpr quint64 HighBits = 0x8080808080808080ULL;
    for (qsizetype i = 0; i < size; i += Word) {
        const qsizetype n = qMin(Word, size - i);
        quint64 word = 0;
        std::memcpy(&word, in + i, n);
        if ((word & HighBits) == 0)
            continue;
        for (qsizetype j = i; j < i + n; ++j) {
            const auto byte = static_cast<unsigned char>(in[j]);
            if (byte >= 0x80 && byte < 0xA0)
                text[j] = QChar(High80[byte - 0x80]);
        }
    }
    return text;
}

QByteArray Encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A surrogate pair is one character outside the set: one "?".
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        bytes.append(ToByte(c.unicode()));
    }
    return bytes;
}

} // namespace Codec
