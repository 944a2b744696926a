#include "uArtwork.h"

#include <functional>

#include <QPainter>
#include <QSvgRenderer>

#include "uGlobal.h"

namespace Artwork {

namespace {

constexpr int IconSize = 16;
constexpr int CountdownFrameCount = 8;
// Window, tray and dialog logo sizes.
constexpr int ApplicationIconSizes[] = {16, 22, 24, 32, 48, 64};

QPixmap Blank()
{
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A round badge with a short text: readable at 16 pixels and distinct by colour.
QIcon Badge(const QColor &colour, const QString &text)
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker(150));
    p.drawEllipse(QRectF(0.5, 0.5, IconSize - 1, IconSize - 1));
    QFont font = p.font();
    font.setPixelSize(text.size() > 1 ? 7 : 10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, IconSize, IconSize), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

// Three bands, horizontal or vertical, like most flags of the table.
QIcon Bands(const QColor &a, const QColor &b, const QColor &c, bool vertical = false)
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    const QColor colours[] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        const QRect band = vertical ? QRect(1 + i * 5, 3, 5, 10) : QRect(1, 3 + i * 10 / 3, 15, 4);
        p.fillRect(band, colours[i]);
    }
    p.setPen(QColor(90, 90, 90));
    p.drawRect(0, 2, 15, 11);
    return QIcon(pixmap);
}

QIcon Cross(const QColor &field, const QColor &cross)
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.fillRect(QRect(1, 3, 15, 10), field);
    p.fillRect(QRect(5, 3, 2, 10), cross);
    p.fillRect(QRect(1, 7, 15, 2), cross);
    p.setPen(QColor(90, 90, 90));
    p.drawRect(0, 2, 15, 11);
    return QIcon(pixmap);
}

QIcon Lettered(const QColor &field, const QString &letters)
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.fillRect(QRect(1, 3, 15, 10), field);
    QFont font = p.font();
    font.setPixelSize(7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(1, 3, 15, 10), Qt::AlignCenter, letters);
    p.setPen(QColor(90, 90, 90));
    p.drawRect(0, 2, 15, 11);
    return QIcon(pixmap);
}

} // namespace

QList<QIcon> AccessTypeIcons()
{
    static const char *const letters[AccessTypeCount] = {"D", "V", "C", "CD", "CM", "S", "I", "W", "VI",
                                                         "VO", "CC", "M", "CC", "VA", "iD", "B", "iD"};
    QList<QIcon> icons;
    for (int i = 0; i < AccessTypeCount; ++i)
        icons.append(Badge(QColor::fromHsv((i * 47) % 360, 170, 190), QString::fromLatin1(letters[i])));
    return icons;
}

QList<QIcon> FlagIcons()
{
    const QColor red(200, 16, 46), white(Qt::white), blue(33, 70, 139), black(Qt::black),
        yellow(253, 218, 36), green(0, 146, 70), orange(255, 130, 0), navy(0, 36, 125);
    return {
        Lettered(QColor(120, 120, 120), QStringLiteral("T")), // test call
        Bands(red, white, blue),                              // Nederland
        Bands(black, yellow, red, true),                      // België
        Cross(white, red),                                    // Engeland
        Bands(black, red, yellow),                            // Duitsland
        Bands(red, white, red),                               // Oostenrijk
        Cross(red, white),                                    // Zwitserland
        Bands(red, yellow, red),                              // Spanje
        Bands(green, white, red, true),                       // Italië
        Bands(blue, white, red, true),                        // Frankrijk
        Lettered(navy, QStringLiteral("US")),                 // U.S.A.
        Bands(red, white, QColor(0, 161, 222)),               // Luxemburg
        Cross(red, white),                                    // Denemarken
        Cross(QColor(0, 106, 167), yellow),                   // Zweden
        Lettered(navy, QStringLiteral("AU")),                 // Australië
        Lettered(navy, QStringLiteral("NZ")),                 // Nieuw Zeeland
        Bands(red, white, red, true),                         // Canada
        Cross(QColor(13, 94, 175), white),                    // Griekenland
        Bands(green, white, orange, true),                    // Ierland
    };
}

QList<QImage> CountdownFrames()
{
    QList<QImage> frames;
    for (int i = 0; i < CountdownFrameCount; ++i) {
        QImage image(IconSize, IconSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF circle(1.5, 1.5, IconSize - 3, IconSize - 3);
        p.setPen(QPen(QColor(200, 200, 200), 1));
        p.setBrush(QColor(60, 60, 60));
        p.drawEllipse(circle);
        // The green part is the time left until the next poll.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 200, 90));
        const int span = 360 * 16 * (CountdownFrameCount - i) / CountdownFrameCount;
        p.drawPie(circle, 90 * 16, span);
        frames.append(image);
    }
    return frames;
}

QList<QImage> SmallCountdownFrames()
{
    constexpr int Size = 18;
    QList<QImage> frames;
    for (const QImage &frame : CountdownFrames()) {
        QImage image(Size, Size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(0, 0, Size, Size), frame);
        frames.append(image);
    }
    return frames;
}

QImage SmallBackground(int width)
{
    constexpr int Height = 30;
    QImage image(qMax(1, width), Height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient shade(0, 0, 0, Height);
    shade.setColorAt(0, QColor(70, 70, 78));
    shade.setColorAt(1, QColor(25, 25, 30));
    p.fillRect(image.rect(), shade);
    // The left band closes the window on a click: marked apart from the drag area.
    p.fillRect(QRect(0, 0, 12, Height), QColor(120, 30, 30));
    p.setPen(QPen(Qt::white, 1.5));
    p.setRenderHint(QPainter::Antialiasing);
    p.drawLine(QPointF(3, 12), QPointF(9, 18));
    p.drawLine(QPointF(9, 12), QPointF(3, 18));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(140, 140, 150));
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

QList<QIcon> CounterIcons()
{
    return {Badge(QColor(40, 160, 60), QStringLiteral("O")), Badge(QColor(40, 90, 200), QStringLiteral("#")),
            Badge(QColor(200, 120, 20), QStringLiteral("m")), Badge(QColor(180, 150, 20), QStringLiteral("€"))};
}

namespace {

// The application icon at each of its sizes, `decorate` drawing over each picture.
QIcon RenderedIcon(const std::function<void(QPainter &, int)> &decorate)
{
    // Drawn here rather than through Qt's SVG icon plug-in, which need not be installed.
    QSvgRenderer renderer(QStringLiteral(":/bvmonitor.svg"));
    QIcon icon;
    for (const int size : ApplicationIconSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        renderer.render(&p);
        if (decorate)
            decorate(p, size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon ApplicationIcon()
{
    return RenderedIcon({});
}

QIcon QuietIcon()
{
    // The application icon with a no-entry sign in its lower right corner.
    return RenderedIcon([](QPainter &p, int size) {
        p.setRenderHint(QPainter::Antialiasing);
        const qreal sign = size * 0.55;
        const QRectF disc(size - sign, size - sign, sign, sign);
        p.setPen(QPen(Qt::white, qMax(1.0, size / 16.0)));
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
        const qreal bar = sign * 0.16;
        p.fillRect(QRectF(disc.left() + sign * 0.22, disc.center().y() - bar / 2, sign * 0.56, bar), Qt::white);
    });
}

QIcon ToolIcon(TToolIcon which)
{
    switch (which) {
    case TToolIcon::Stopped:
        return Badge(QColor(40, 160, 60), QStringLiteral("▶"));
    case TToolIcon::Running:
        return Badge(QColor(200, 40, 40), QStringLiteral("■"));
    case TToolIcon::Setup:
        return Badge(QColor(110, 110, 110), QStringLiteral("⚙"));
    case TToolIcon::Sound:
        return Badge(QColor(120, 60, 170), QStringLiteral("♪"));
    case TToolIcon::Callers:
        return Badge(QColor(40, 160, 60), QStringLiteral("O"));
    case TToolIcon::Totals:
        return Badge(QColor(40, 90, 200), QStringLiteral("Σ"));
    case TToolIcon::History:
        return Badge(QColor(150, 100, 40), QStringLiteral("H"));
    case TToolIcon::Graph:
        return Badge(QColor(30, 140, 160), QStringLiteral("~"));
    case TToolIcon::Info:
        return Badge(QColor(60, 60, 160), QStringLiteral("i"));
    }
    return {};
}

QIcon SortArrow(TSortArrow which)
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 96, 96));
    // A small triangle: point up for ascending, down for descending.
    const bool up = which == TSortArrow::Ascending;
    const qreal top = up ? 5.0 : 11.0;
    const qreal base = up ? 11.0 : 5.0;
    const QPointF triangle[] = {{8.0, top}, {4.0, base}, {12.0, base}};
    p.drawPolygon(triangle, 3);
    return QIcon(pixmap);
}

} // namespace Artwork
