#include "bFloorCallers.h"

#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>

#include <array>

namespace {

constexpr int PictureSize = 16;
constexpr int SecondsPerDay = 86400;
constexpr int CallerFields = 13;
enum TColumn { Caption, Time, Number, Start, Info };
enum TField { Code, Id, Name, Country, Access = 6, CallerNumber, Stamp, Seconds, PromoInfo = 11 };

// "hh:mm:ss" of a duration, without a heap string until the text differs.
std::array<char16_t, 8> Duration(int seconds)
{
    const int inDay = ((seconds % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
    const int parts[] = {inDay / 3600, inDay / 60 % 60, inDay % 60};
    std::array<char16_t, 8> text{};
    for (int i = 0; i < 3; ++i) {
        text[i * 3] = char16_t(u'0' + parts[i] / 10);
        text[i * 3 + 1] = char16_t(u'0' + parts[i] % 10);
        if (i < 2)
            text[i * 3 + 2] = u':';
    }
    return text;
}

// "yyyymmdd hhnnss" as "dd-mm-yyyy hh:nn:ss".
QString StartText(QStringView stamp)
{
    if (stamp.size() < 15)
        return stamp.toString();
    QString text;
    text.reserve(19);
    text.append(stamp.sliced(6, 2)).append(u'-').append(stamp.sliced(4, 2)).append(u'-').append(stamp.sliced(0, 4));
    text.append(u' ').append(stamp.sliced(9, 2)).append(u':').append(stamp.sliced(11, 2)).append(u':');
    return text.append(stamp.sliced(13, 2));
}

void SetIfDiffers(QTreeWidgetItem &row, int column, QStringView text)
{
    if (row.text(column) != text)
        row.setText(column, text.toString());
}

QPixmap Picture(int index, bool round)
{
    QPixmap picture(PictureSize, PictureSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv(index * 37 % 360, 160, 220));
    if (round)
        painter.drawEllipse(1, 1, PictureSize - 2, PictureSize - 2);
    else
        painter.drawRect(0, 3, PictureSize, PictureSize - 6);
    return picture;
}

} // namespace

TFloorCallers::TFloorCallers(QTreeWidget *list)
    : List(list)
{
}

void TFloorCallers::Take(QStringView line, const QHash<QString, QString> &progNames)
{
    std::array<QStringView, CallerFields> fields;
    qsizetype count = 0;
    for (QStringView field : line.tokenize(u'|')) {
        if (count == CallerFields)
            break;
        fields[count++] = field;
    }
    if (count < CallerFields || fields[Code].size() < 3)
        return;
    const QString id = fields[Id].toString();
    if (Seen.contains(id))
        return;
    QTreeWidgetItem *row = Rows.take(id);
    if (!row) {
        row = new QTreeWidgetItem;
        row->setTextAlignment(Time, Qt::AlignRight | Qt::AlignVCenter);
        row->setIcon(Caption, Pictures(fields[Country].toInt(), fields[Access].toInt()));
        Arrived.append(row);
    }
    Seen.insert(id, row);
    const QString progName = progNames.value(fields[Code].sliced(1, 2).toString());
    const QString caption = row->text(Caption);
    if (caption.size() != progName.size() + 2 + fields[Name].size() || !caption.endsWith(fields[Name])
        || !caption.startsWith(progName))
        row->setText(Caption, QString(progName).append(QStringLiteral(": ")).append(fields[Name]));
    const auto duration = Duration(fields[Seconds].toInt());
    SetIfDiffers(*row, Time, QStringView(duration.data(), qsizetype(duration.size())));
    SetIfDiffers(*row, Number, fields[CallerNumber]);
    // A call's start never changes.
    if (row->text(Start).isEmpty())
        row->setText(Start, StartText(fields[Stamp]));
    SetIfDiffers(*row, Info, fields[PromoInfo]);
}

int TFloorCallers::End()
{
    const bool rowsChanged = !Rows.isEmpty() || !Arrived.isEmpty();
    // Whoever is left was not in the reply.
    qDeleteAll(Rows);
    List->addTopLevelItems(Arrived);
    Arrived.clear();
    Rows.swap(Seen);
    Seen.clear();
    // Rows that came and went would lay the list out again after the new texts were
    // painted: lay it out now, so that the list is painted once.
    if (rowsChanged)
        List->doItemsLayout();
    return int(Rows.size());
}

QIcon TFloorCallers::Pictures(int country, int access)
{
    const int key = country * 1000 + access;
    auto found = PictureCache.constFind(key);
    if (found != PictureCache.constEnd())
        return *found;
    QPixmap both(2 * PictureSize, PictureSize);
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, Picture(country, false));
    painter.drawPixmap(PictureSize, 0, Picture(access, true));
    painter.end();
    return *PictureCache.insert(key, QIcon(both));
}
