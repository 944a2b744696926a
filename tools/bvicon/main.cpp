// Renders the program's SVG icon into PNG files at build time, with the same SVG
// renderer the program uses for its window and tray icon, so every size is the one
// picture: bvicon SOURCE.svg OUTDIR NAME SIZE... writes OUTDIR/SIZExSIZE/apps/NAME.png.

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace {

constexpr int LargestSize = 1024;

int Fail(const QString &message)
{
    std::fprintf(stderr, "bvicon: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bvicon SOURCE.svg OUTDIR NAME SIZE...\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    QSvgRenderer renderer(source);
    if (!renderer.isValid())
        return Fail(QStringLiteral("cannot read %1").arg(source));
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QByteArray(argv[i]).toInt(&ok);
        if (!ok || size <= 0 || size > LargestSize)
            return Fail(QStringLiteral("bad size %1").arg(QString::fromLocal8Bit(argv[i])));
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !image.save(file, "PNG"))
            return Fail(QStringLiteral("cannot write %1").arg(file));
    }
    return 0;
}
