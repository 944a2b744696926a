#include "uPicture.h"

#include <QtEndian>

namespace Picture {

namespace {

constexpr int Width = 300;
constexpr int Height = 48;
constexpr int HeaderSize = 14 + 40;

void PutUInt32(QByteArray &out, qsizetype at, quint32 value)
{
    qToLittleEndian(value, out.data() + at);
}

void PutUInt16(QByteArray &out, qsizetype at, quint16 value)
{
    qToLittleEndian(value, out.data() + at);
}

} // namespace

QByteArray ProgrammeBitmap(const QString &code)
{
    const int rowBytes = Width * 3;   // 900: already a multiple of four
    const int pixelBytes = rowBytes * Height;
    const int gap = ('>' - (HeaderSize + pixelBytes) % 256 + 256) % 256;
    const int dataOffset = HeaderSize + gap;
    const int fileSize = dataOffset + pixelBytes;

    QByteArray out(fileSize, '\0');
    out[0] = 'B';
    out[1] = 'M';
    PutUInt32(out, 2, static_cast<quint32>(fileSize));
    PutUInt32(out, 10, static_cast<quint32>(dataOffset));
    PutUInt32(out, 14, 40);
    PutUInt32(out, 18, Width);
    PutUInt32(out, 22, Height);
    PutUInt16(out, 26, 1);
    PutUInt16(out, 28, 24);
    PutUInt32(out, 34, static_cast<quint32>(pixelBytes));
    PutUInt32(out, 38, 2835);   // 72 dpi
    PutUInt32(out, 42, 2835);

    // Each programme gets its own colour from its code; a gradient and a band make it
    // recognisable in the details panel.
    const uint hash = qHash(code);
    const int red = 64 + static_cast<int>(hash % 160);
    const int green = 64 + static_cast<int>((hash / 160) % 160);
    const int blue = 64 + static_cast<int>((hash / 25600) % 160);
    for (int y = 0; y < Height; ++y) {
        char *row = out.data() + dataOffset + static_cast<qsizetype>(y) * rowBytes;
        const bool band = y >= 6 && y < 12;
        for (int x = 0; x < Width; ++x) {
            const int shade = band ? 255 : 155 + x * 100 / Width;
            row[x * 3 + 0] = static_cast<char>(blue * shade / 255);
            row[x * 3 + 1] = static_cast<char>(green * shade / 255);
            row[x * 3 + 2] = static_cast<char>(red * shade / 255);
        }
    }
    return out;
}

} // namespace Picture
