#include "uListItems.h"

#include <array>

#include "uGlobal.h"
#include "uTokens.h"
#include "uUnits.h"

namespace {

// "hh:mm:ss" in place: a row's time changes at every poll, its other texts rarely.
class TDurationText final
{
public:
    explicit TDurationText(int seconds)
    {
        const int inDay = ((seconds % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
        Put(0, inDay / SecondsPerHour);
        Text[2] = u':';
        Put(3, inDay / SecondsPerMinute % MinutesPerHour);
        Text[5] = u':';
        Put(6, inDay % SecondsPerMinute);
    }
    QStringView View() const { return QStringView(Text.data(), qsizetype(Text.size())); }

private:
    void Put(int at, int value)
    {
        Text[at] = char16_t(u'0' + value / 10);
        Text[at + 1] = char16_t(u'0' + value % 10);
    }
    std::array<char16_t, 8> Text{};
};

// Whether a caption reads programme name, separator and caller name.
bool IsCallerCaption(const QString &caption, QStringView progName, QStringView name)
{
    return caption.size() == progName.size() + CaptionSeparator.size() + name.size() && caption.startsWith(progName)
        && QStringView(caption).sliced(progName.size(), CaptionSeparator.size()) == CaptionSeparator
        && caption.endsWith(name);
}

} // namespace

int AccessImageIndex(int access, const TPictureCounts &pictures)
{
    return access >= 0 && access < pictures.AccessTypes ? access : -1;
}

int FlagIndex(int country, const TPictureCounts &pictures)
{
    if (country == TestCallCode)
        return pictures.Flags > 0 ? 0 : -1;
    return country >= 0 && country <= pictures.Flags - 2 ? country + 1 : -1;
}

QString FormatDuration(int seconds)
{
    return TDurationText(seconds).View().toString();
}

void FillCallerRow(TListModel &rows, int row, const TCaller &caller, const QString &progName,
                   const TPictureCounts &pictures)
{
    if (!IsCallerCaption(rows.Text(row, CaptionColumn), progName, caller.Name.text()))
        rows.SetText(row, CaptionColumn, progName + CaptionSeparator + caller.Name.text());
    rows.SetText(row, TimeColumn, TDurationText(caller.Seconds).View());
    rows.SetText(row, NumberColumn, caller.CallerId.text());
    rows.SetPictures(row, AccessImageIndex(caller.Access, pictures), FlagIndex(caller.Country, pictures));
    rows.SetText(row, StartColumn, caller.Start.text());
    rows.SetText(row, InfoColumn, caller.Info.text());
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
