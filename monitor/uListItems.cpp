#include "uListItems.h"

#include <QPainter>

#include <array>

#include "uGlobal.h"
#include "uTokens.h"
#include "uUnits.h"

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

namespace {

// "hh:mm:ss" in place: a row's time changes at every poll, its other texts rarely.
class TDurationText final
{
public:
    explicit TDurationText(int seconds)
    {
        const int inDay = ((seconds % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
        Put(0, inDay / SecondsPerHour);
        m_text[2] = u':';
        Put(3, inDay / SecondsPerMinute % MinutesPerHour);
        m_text[5] = u':';
        Put(6, inDay % SecondsPerMinute);
    }
    QStringView View() const { return QStringView(m_text.data(), qsizetype(m_text.size())); }

private:
    void Put(int at, int value)
    {
        m_text[at] = char16_t(u'0' + value / 10);
        m_text[at + 1] = char16_t(u'0' + value % 10);
    }
    std::array<char16_t, 8> m_text{};
};

// Sets a column's text only when it differs, so an unchanged row costs no copy.
void SetText(QTreeWidgetItem &item, int column, QStringView text)
{
    if (item.text(column) != text)
        item.setText(column, text.toString());
}

// Whether a caption reads programme name, separator and caller name.
bool IsCallerCaption(const QString &caption, QStringView progName, QStringView name)
{
    return caption.size() == progName.size() + CaptionSeparator.size() + name.size() && caption.startsWith(progName)
        && QStringView(caption).sliced(progName.size(), CaptionSeparator.size()) == CaptionSeparator
        && caption.endsWith(name);
}

} // namespace

QString FormatDuration(int seconds)
{
    return TDurationText(seconds).View().toString();
}

void FillCallerRow(QTreeWidgetItem &item, const TCaller &caller, const QString &progName, const TImageLists &images)
{
    if (!IsCallerCaption(item.text(CaptionColumn), progName, caller.Name.text()))
        item.setText(CaptionColumn, progName + CaptionSeparator + caller.Name.text());
    SetText(item, TimeColumn, TDurationText(caller.Seconds).View());
    SetText(item, NumberColumn, caller.CallerId.text());
    SetCallerPictures(item, caller.Access, caller.Country, images);
    SetText(item, StartColumn, caller.Start.text());
    SetText(item, InfoColumn, caller.Info.text());
    item.setTextAlignment(TimeColumn, Qt::AlignRight | Qt::AlignVCenter);
}

void ReadCallerIdentity(TCaller &caller)
{
    caller.Name.Assign(NextTokenView());
    caller.Country = NextTokenInt();
    caller.SiteId = NextTokenInt();
    caller.PromoterId = NextTokenInt();
    caller.Access = NextTokenInt();
    caller.CallerId.Assign(NextTokenView());
    caller.Start.Assign(TStampText(NextTokenView()).View());
}
