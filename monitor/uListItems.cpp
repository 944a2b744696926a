#include "uListItems.h"

#include <QPainter>

#include "uGlobal.h"
#include "uTokens.h"

namespace {

constexpr int CaptionColumn = 0;
constexpr int TimeColumn = 1;
constexpr int NumberColumn = 2;
constexpr int StartColumn = 3;
constexpr int InfoColumn = 4;

// Flag left, access picture right, each in its own place so captions stay aligned
// when a row lacks one of them.
QIcon Combined(const QIcon &state, const QIcon &image)
{
    if (state.isNull() && image.isNull())
        return {};
    constexpr int Size = 16;
    QPixmap both(2 * Size, Size);
    both.fill(Qt::transparent);
    QPainter painter(&both);
    if (!state.isNull())
        painter.drawPixmap(0, 0, state.pixmap(Size, Size));
    if (!image.isNull())
        painter.drawPixmap(Size, 0, image.pixmap(Size, Size));
    return QIcon(both);
}

} // namespace

TCallerItem::TCallerItem(TCaller *caller)
    : QTreeWidgetItem(Type)
    , Caller(caller)
{
}

TTotalsItem::TTotalsItem(TTotals *totals)
    : QTreeWidgetItem(Type)
    , Totals(totals)
{
}

int AccessImageIndex(int access, const TImageLists &images)
{
    return access >= 0 && access < images.AccessTypes.size() ? access : -1;
}

int FlagIndex(int country, const TImageLists &images)
{
    if (country == TestCallCode)
        return images.Flags.isEmpty() ? -1 : 0;
    return country >= 0 && country <= images.Flags.size() - 2 ? country + 1 : -1;
}

void SetCallerPictures(QTreeWidgetItem &item, int access, int country, const TImageLists &images)
{
    const int image = AccessImageIndex(access, images);
    const int state = FlagIndex(country, images);
    if (item.data(CaptionColumn, ImageIndexRole) == image && item.data(CaptionColumn, StateIndexRole) == state)
        return;
    item.setData(CaptionColumn, ImageIndexRole, image);
    item.setData(CaptionColumn, StateIndexRole, state);
    item.setIcon(CaptionColumn, Combined(state >= 0 ? images.Flags[state] : QIcon(),
                                         image >= 0 ? images.AccessTypes[image] : QIcon()));
}

QString FormatDuration(int seconds)
{
    const int inDay = ((seconds % 86400) + 86400) % 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(inDay / 3600, 2, 10, QLatin1Char('0'))
        .arg(inDay / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(inDay % 60, 2, 10, QLatin1Char('0'));
}

void FillCallerRow(QTreeWidgetItem &item, const TCaller &caller, const QString &caption,
                   const TImageLists &images)
{
    item.setText(CaptionColumn, caption);
    item.setText(TimeColumn, FormatDuration(caller.Seconds));
    item.setText(NumberColumn, caller.CallerId);
    SetCallerPictures(item, caller.Access, caller.Country, images);
    item.setText(StartColumn, caller.Start);
    item.setText(InfoColumn, caller.Info);
    item.setTextAlignment(TimeColumn, Qt::AlignRight | Qt::AlignVCenter);
}

void ReadCallerIdentity(TCaller &caller)
{
    caller.Name = NextToken();
    caller.Country = NextTokenInt();
    caller.SiteId = NextTokenInt();
    caller.PromoterId = NextTokenInt();
    caller.Access = NextTokenInt();
    caller.CallerId = NextToken();
    caller.Start = FormatStamp(NextToken());
}
