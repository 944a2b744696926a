#include "uTriggers.h"

#include <algorithm>

#include <QLocale>
#include <QStringList>
#include <QTime>

#include "uClock.h"
#include "uDebugLog.h"
#include "uIniFile.h"
#include "uNumbers.h"
#include "uPlatform.h"
#include "uSettings.h"
#include "uTokens.h"
#include "uUnits.h"

qint64 LastTriggerTime = 0;

namespace {

const QString Separator = QStringLiteral("|");
constexpr int StoredFieldCount = 9;
const QString ActiveText = QStringLiteral("1");
const QString InactiveText = QStringLiteral("0");
const QString MailPrefix = QStringLiteral("mailto:");
constexpr int FiguresPerGroup = 4; // online, calls, minutes, average

struct TWhenTimes
{
    int First = 0;              // seconds after midnight
    std::optional<int> Second;  // only with two times
};

bool IsTimeChar(QChar ch)
{
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char(':');
}

// One time, or two separated where the stored form puts the break: at the first character
// that is neither a digit nor ":". Failing that, at any blank, for locale forms that carry
// a marker ("2:00 PM 3:00 PM").
std::optional<TWhenTimes> ReadWhenTimes(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (const auto whole = ReadTimeOfDay(trimmed))
        return TWhenTimes{*whole, std::nullopt};

    const auto splitAt = [&trimmed](qsizetype at) -> std::optional<TWhenTimes> {
        const auto first = ReadTimeOfDay(trimmed.left(at));
        const auto second = ReadTimeOfDay(trimmed.mid(at + 1));
        if (first && second)
            return TWhenTimes{*first, *second};
        return std::nullopt;
    };
    qsizetype p = 0;
    while (p < trimmed.size() && IsTimeChar(trimmed[p]))
        ++p;
    if (p < trimmed.size()) {
        if (auto times = splitAt(p))
            return times;
    }
    for (qsizetype at = trimmed.indexOf(QLatin1Char(' ')); at >= 0;
         at = trimmed.indexOf(QLatin1Char(' '), at + 1)) {
        if (auto times = splitAt(at))
            return times;
    }
    return std::nullopt;
}

// Whether the time of day lets the trigger act; none when its text holds no usable time.
std::optional<bool> TimeConditionHolds(const TTrigger &trigger, qint64 now)
{
    // "altijd" (and no choice at all) needs no time: a text left over from another kind
    // must not silence it.
    if (trigger.WhenKind <= TriggerWhen::Always || trigger.WhenText.trimmed().isEmpty())
        return true;
    const auto times = ReadWhenTimes(trigger.WhenText);
    if (!times)
        return std::nullopt;
    const qint64 midnight = Clock::DayStartOf(now);
    const qint64 t1 = midnight + times->First;
    switch (trigger.WhenKind) {
    case TriggerWhen::Before:
        return now < t1;
    case TriggerWhen::At:
        // Looks one interval ahead; once a pass has gone past T1 it holds no more that day.
        return t1 > LastTriggerTime && now + Settings.Interval >= t1;
    case TriggerWhen::After:
        return now >= t1;
    case TriggerWhen::Between: {
        if (!times->Second)
            return std::nullopt;
        const qint64 t2 = midnight + *times->Second;
        if (t1 <= t2)
            return t1 <= now && now <= t2;
        return now >= t1 || now <= t2; // a span across midnight, 22:00 02:00
    }
    default:
        return false;
    }
}

bool IsYesterdayCompare(int compare)
{
    return compare == TriggerCompare::BelowYesterday || compare == TriggerCompare::AboveYesterday;
}

bool YesterdayConditionHolds(const TTrigger &trigger, double percent, const TTriggerContext &context)
{
    if (trigger.What < 0 || trigger.What >= YesterdayFigureCount)
        return false;
    const std::optional<double> yesterday = context.Yesterday[std::size_t(trigger.What)];
    // Nothing yesterday at this time is no base for a percentage.
    if (!yesterday || *yesterday <= 0.0)
        return false;
    const double today = context.Today[std::size_t(trigger.What)];
    const double part = *yesterday * percent / 100.0;
    return trigger.Compare == TriggerCompare::BelowYesterday ? today < part : today > part;
}

bool FigureConditionHolds(const TTrigger &trigger, double threshold, const TFigureBlock &figures,
                          const TTriggerContext &context)
{
    if (IsYesterdayCompare(trigger.Compare))
        return YesterdayConditionHolds(trigger, threshold, context);
    const std::optional<double> figure = TriggerFigure(trigger.What, figures);
    if (!figure)
        return false;
    switch (trigger.Compare) {
    case TriggerCompare::Less:
        return *figure < threshold;
    case TriggerCompare::LessOrEqual:
        return *figure <= threshold;
    case TriggerCompare::Equal:
        return *figure == threshold;
    case TriggerCompare::GreaterOrEqual:
        return *figure >= threshold;
    case TriggerCompare::Greater:
        return *figure > threshold;
    default:
        return false;
    }
}

void RunTriggerAction(int action, const QString &param, bool quiet)
{
    if (quiet && (action == TriggerAction::Sound || action == TriggerAction::Balloon))
        return;
    TPlatform &platform = Platform::Get();
    switch (action) {
    case TriggerAction::Sound:
        platform.PlaySoundAsync(param);
        break;
    case TriggerAction::Program:
    case TriggerAction::Url:
        platform.ShellOpen(param);
        break;
    case TriggerAction::Mail:
        platform.ShellOpen(MailPrefix + param);
        break;
    case TriggerAction::Balloon:
        platform.ShowBalloon(QLatin1String(TriggerBalloonTitle), param.left(TriggerBalloonMaxLength),
                             TriggerBalloonTimeoutMs);
        break;
    default:
        break;
    }
}

bool IsInteger(const QString &field)
{
    return StrToIntDef(field, 0) == StrToIntDef(field, 1);
}

// Whether the fields before the action text of a line with extra fields still read as
// what they are: a "|" in any of them would have shifted the rest.
bool LeadingFieldsHold(const QStringList &fields)
{
    return IsInteger(fields[0]) && IsValidWhenText(StrToIntDef(fields[0], 0), fields[1]) && IsInteger(fields[2])
        && IsInteger(fields[3]) && (fields[4].isEmpty() || ReadLocaleThenCommaOrPointNumber(fields[4]))
        && IsInteger(fields[5]);
}

} // namespace

bool ParseTrigger(TTrigger &trigger, const QString &line)
{
    // There is no escaping, so a "|" typed into a text makes extra fields. Only the action
    // text (a URL, a balloon text) may hold one now; when the line still ends like a
    // written one and the fields before the action text read as their types, the extra
    // fields are put back into it. Any other line with extra fields cannot be read.
    QStringList fields = line.split(Separator);
    if (fields.size() > StoredFieldCount && fields.last().isEmpty())
        fields.removeLast(); // a trailing separator
    qsizetype extra = fields.size() - StoredFieldCount;
    const bool readable = extra <= 0
        || ((fields.last() == ActiveText || fields.last() == InactiveText) && LeadingFieldsHold(fields));
    if (!readable)
        extra = 0; // the fields as they stand, for showing only

    TokenInit(line, Separator);
    trigger.WhenKind = NextTokenInt();
    trigger.WhenText = NextToken();
    trigger.What = NextTokenInt();
    trigger.Compare = NextTokenInt();
    trigger.Value = NextToken();
    trigger.Action = NextTokenInt();
    QString param = NextToken();
    for (qsizetype i = 0; i < extra; ++i)
        param += Separator + NextToken();
    trigger.ActionParam = param;
    trigger.RepeatType = NextTokenInt();
    trigger.Active = NextToken() == ActiveText;
    return readable;
}

QString TriggerLine(const TTrigger &trigger)
{
    if (!trigger.UnreadLine.isEmpty())
        return trigger.UnreadLine;
    // Only the action text can give back a "|"; in a time or a threshold a blank reads the
    // same (it parts two times, and neither makes a number).
    const auto noSeparator = [](QString text) { return text.replace(Separator, QStringLiteral(" ")); };
    const QStringList fields{
        QString::number(trigger.WhenKind), noSeparator(trigger.WhenText),
        QString::number(trigger.What),     QString::number(trigger.Compare),
        noSeparator(trigger.Value),        QString::number(trigger.Action),
        trigger.ActionParam,               QString::number(trigger.RepeatType),
        trigger.Active ? ActiveText : InactiveText,
    };
    return fields.join(Separator);
}

void LoadTriggers(const TIniFile &ini)
{
    const QString section = QLatin1String(TriggerSection);
    if (!ini.SectionExists(section))
        return;
    TTriggerList loaded;
    // Line by line: a hand-edited file may repeat a key, and each line is a trigger.
    for (const auto &[key, value] : ini.ReadSectionValues(section)) {
        auto trigger = std::make_unique<TTrigger>();
        if (!ParseTrigger(*trigger, value)) {
            // Kept as it stands, so that a save does not erase what the user wrote by hand.
            DebugLog(DebugLevel::Requests, QStringLiteral("Trigger %1 cannot be read and stays inactive: \"%2\"")
                                             .arg(key, value));
            trigger->UnreadLine = value;
            trigger->Active = false;
        }
        loaded.push_back(std::move(trigger));
    }
    TTriggers = std::move(loaded);
}

void SaveTriggers(TIniFile &ini)
{
    QList<QPair<QString, QString>> entries;
    for (const auto &trigger : TTriggers) {
        if (trigger)
            entries.append({QString::number(entries.size()), TriggerLine(*trigger)});
    }
    ini.ReplaceSection(QLatin1String(TriggerSection), entries);
}

TTrigger *AddTrigger(TTriggerList &list, const QString &whenText, const QString &value,
                     const QString &actionParam, int whenKind, int what, int compare, int action,
                     bool active, int repeatType)
{
    list.push_back(std::make_unique<TTrigger>(whenText, value, actionParam, whenKind, what, compare,
                                              action, active, repeatType));
    return list.back().get();
}

void ResetTriggerStates()
{
    for (const auto &trigger : TTriggers) {
        if (trigger)
            trigger->State = trigger->PrevState = TriggerState::NotEvaluated;
    }
}

void EvaluateTriggers(qint64 pollTime, const TFigureBlock &figures, const TTriggerContext &context)
{
    // By index, and nothing touches a trigger after its action: an action may let the
    // event loop run, and the options dialog may change the list meanwhile.
    for (std::size_t i = 0; i < TTriggers.size(); ++i) {
        TTrigger *trigger = TTriggers[i].get();
        if (!trigger || !trigger->Active || trigger->Value.isEmpty() || trigger->ActionParam.isEmpty())
            continue;

        const std::optional<bool> timeHolds = TimeConditionHolds(*trigger, pollTime);
        // The clock going back an hour in autumn must not bring an "op" time round again
        // the same day; another day starts afresh.
        LastTriggerTime = Clock::DayStartOf(pollTime) == Clock::DayStartOf(LastTriggerTime)
                              ? std::max(LastTriggerTime, pollTime)
                              : pollTime;
        const std::optional<double> threshold = ReadLocaleThenCommaOrPointNumber(trigger->Value);
        // Once after each start, edit or day change, not on every poll.
        if (trigger->State != TriggerState::ConditionFalse) {
            if (!timeHolds) {
                DebugLog(DebugLevel::Requests, QStringLiteral("Trigger %1: \"%2\" is no usable time of day")
                                                 .arg(i)
                                                 .arg(trigger->WhenText));
            }
            if (!threshold) {
                DebugLog(DebugLevel::Requests,
                         QStringLiteral("Trigger %1: \"%2\" is no number").arg(i).arg(trigger->Value));
            }
        }
        const bool condition = timeHolds.value_or(false) && threshold
            && FigureConditionHolds(*trigger, *threshold, figures, context);

        bool act = false;
        if (condition) {
            // The first pass only records the condition: what holds at start or midnight
            // acts only after it has been false once.
            act = trigger->State != TriggerState::NotEvaluated
                  && (trigger->RepeatType == TriggerRepeat::Continuous
                      || trigger->PrevState != TriggerState::ConditionTrue);
            trigger->State = TriggerState::ConditionTrue;
        } else {
            trigger->State = TriggerState::ConditionFalse;
        }
        trigger->PrevState = trigger->State;

        if (act)
            RunTriggerAction(trigger->Action, QString(trigger->ActionParam), context.Quiet);
    }
}

std::optional<double> TriggerFigure(int what, const TFigureBlock &figures)
{
    if (what < 0 || what >= TriggerFigureCount)
        return std::nullopt;
    // Four figures (online, calls, minutes, average) for each of: Data and Voice together,
    // Data alone, Voice alone. Doubles, so hostile counts cannot overflow a sum.
    const int group = what / FiguresPerGroup;
    const bool data = group != 2;
    const bool voice = group != 1;
    const auto sum = [data, voice](const std::array<int, AccessTypeCount> &byAccess) {
        return (data ? double(byAccess[AccessPpmData]) : 0.0)
               + (voice ? double(byAccess[AccessPpmVoice]) : 0.0);
    };
    switch (what % FiguresPerGroup) {
    case 0:
        return sum(figures.OnlineByAccess);
    case 1:
        return sum(figures.CallsByAccess);
    case 2:
        return MinutesFromSeconds(sum(figures.SecondsByAccess));
    default: {
        const double calls = sum(figures.CallsByAccess);
        return calls == 0.0 ? 0.0 : sum(figures.SecondsByAccess) / calls;
    }
    }
}

bool IsValidCompare(int what, int compare)
{
    if (IsYesterdayCompare(compare))
        return what >= 0 && what < YesterdayFigureCount;
    return compare >= TriggerCompare::Less && compare <= TriggerCompare::Greater;
}

bool IsValidWhenText(int whenKind, const QString &whenText)
{
    TTrigger trigger;
    trigger.WhenKind = whenKind;
    trigger.WhenText = whenText;
    return TimeConditionHolds(trigger, 0).has_value();
}

std::optional<int> ReadTimeOfDay(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // 14:30 must be read whatever the locale; an English short form ("h:mm AP") rejects it.
    QTime time = QTime::fromString(trimmed, QStringLiteral("H:mm"));
    if (!time.isValid())
        time = QTime::fromString(trimmed, QStringLiteral("H:mm:ss"));
    if (!time.isValid())
        time = QLocale().toTime(trimmed, QLocale::ShortFormat);
    if (!time.isValid())
        return std::nullopt;
    return time.msecsSinceStartOfDay() / 1000;
}
