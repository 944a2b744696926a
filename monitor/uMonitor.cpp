#include "uMonitor.h"

#include <QPointer>

#include "uClock.h"
#include "uDebugLog.h"
#include "uDayStore.h"
#include "uFetcher.h"
#include "uHistory.h"
#include "uPlatform.h"
#include "uSettings.h"
#include "uTriggers.h"
#include "uUnits.h"

namespace {

// Six or more arrivals in one poll are not worth a balloon.
constexpr int MaxAnnouncedCallers = 5;
// The minutes counter shows hundredths of a minute.
constexpr double MinuteHundredths = 100.0;

template <std::size_t N>
int Sum(const std::array<int, N> &values)
{
    int sum = 0;
    for (const int value : values)
        sum = SaturatingAdd(sum, value);
    return sum;
}

template <std::size_t N>
double Sum(const std::array<double, N> &values)
{
    double sum = 0.0;
    for (const double value : values)
        sum += value;
    return sum;
}

// Ties the monitor to one callers request: when the request goes away unanswered
// (cancelled, or a transfer that never ended) the monitor still returns to idle.
struct TPollGuard
{
    QPointer<TBelvoraMonitor> Monitor;
    std::function<void()> OnDropped;
    bool Answered = false;
    ~TPollGuard()
    {
        if (!Answered && Monitor && OnDropped)
            OnDropped();
    }
};

} // namespace

TBelvoraMonitor::TBelvoraMonitor(QObject *owner)
    : QObject(owner)
{
    if (Settings.FetchUrl.isEmpty())
        Settings.FetchUrl = QLatin1String(DefaultFetchUrl);
    m_dayStore = std::make_unique<TDayStore>();
    m_history = std::make_unique<THistoryGraph>(*m_dayStore);
    NextMidnight = MidnightAfterToday();
    CreatedMs = Clock::MonotonicMs();
}

TBelvoraMonitor::~TBelvoraMonitor() = default;

qint64 TBelvoraMonitor::MidnightAfterToday()
{
    const QDateTime midnight(Clock::Now().date(), QTime(0, 0));
    return Clock::LocalSeconds(midnight) + SecondsPerDay;
}

int TBelvoraMonitor::OnlineNow() const
{
    return Sum(Figures.OnlineByAccess);
}

int TBelvoraMonitor::CallsToday() const
{
    return Sum(Figures.CallsByAccess);
}

int TBelvoraMonitor::SecondsToday() const
{
    return Sum(Figures.SecondsByAccess);
}

double TBelvoraMonitor::EurosToday() const
{
    return Sum(Figures.EurosByAccess);
}

int TBelvoraMonitor::MinutesCounterValue() const
{
    return MakeInteger(MinutesFromSeconds(SecondsToday() * MinuteHundredths));
}

int TBelvoraMonitor::EurosCounterValue() const
{
    return MakeInteger(EurosToday());
}

void TBelvoraMonitor::Update()
{
    if (Busy)
        return;
    TFetcher *connector = Connector();
    if (!connector)
        return;
    Busy = true;
    TotalsSeen = false;
    PollTime = Clock::LocalSecondsNow();
    if (PollTime >= NextMidnight)
        NewDay();

    auto guard = std::make_shared<TPollGuard>();
    guard->Monitor = this;
    guard->OnDropped = [this] { RequestDropped(); };
    connector->RequestCallers(int(Callers.size()), [guard](const TFetchReply &reply) {
        // The failure path of a request may call a callback a second time.
        if (guard->Answered || !guard->Monitor)
            return;
        guard->Answered = true;
        guard->Monitor->CallersFetched(reply);
    });
}

void TBelvoraMonitor::RequestDropped()
{
    DebugLog(DebugLevel::Requests, QStringLiteral("Callers request ended without a reply"));
    FailurePath();
}

void TBelvoraMonitor::CallersFetched(const TFetchReply &reply)
{
    NewCallersText.clear();
    NewCallerCount = 0;
    if (!reply.ReplyOk() || reply.ErrorCount > 0) {
        FailurePath();
        return;
    }
    ProcessCallersReply(reply.ReplyLines);
}

void TBelvoraMonitor::FailurePath()
{
    Busy = false;
    Q_EMIT FetchFailed();
}

void TBelvoraMonitor::ProcessCallersReply(const QStringList &replyLines)
{
    TotalsSeen = false;
    NewCallersText.clear();
    NewCallerCount = 0;
    // Whatever a step below does, the next tick must be able to poll again.
    struct TIdleOnExit
    {
        bool &Busy;
        ~TIdleOnExit() { Busy = false; }
    } idleOnExit{Busy};

    try {
        const std::size_t oldCount = Callers.size();
        for (const auto &caller : Callers)
            caller->Seen = 0;
        ParseCallers(replyLines);
        UpdateCallersView();
        if (NewCallerCount > MaxAnnouncedCallers)
            NewCallersText.clear();
        if (TotalsSeen) {
            SumTotalsFigures();
            // Also while its tab is hidden: nothing else refills the list when it is shown.
            UpdateTotalsView(false);
            Q_EMIT TotalsChanged();
        }
        CountOnline();
        PlayArrivalSound(oldCount);
        Q_EMIT FiguresChanged();
        if (m_dayStore->AddSample(PollTime, int(Callers.size()), CallsToday(), SecondsToday(),
                                  MakeInteger(EurosToday() * CentsPerEuro)))
            NewDay();
        LastReplyTime = PollTime;
        LastReplyMs = Clock::MonotonicMs();
        EvaluateTriggers(PollTime, Figures, TriggerContext());
    } catch (const std::exception &error) {
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(QString::fromLocal8Bit(error.what())));
    }
    Q_EMIT ReplyProcessed();
}

void TBelvoraMonitor::SumTotalsFigures()
{
    Figures.CallsByAccess = {};
    Figures.SecondsByAccess = {};
    Figures.EurosByAccess = {};
    for (const auto &totals : Totals) {
        for (int country = 0; country < CountryCount; ++country) {
            for (int access = 0; access < AccessTypeCount; ++access) {
                Figures.CallsByAccess[access] = SaturatingAdd(Figures.CallsByAccess[access], totals->Calls[country][access]);
                Figures.SecondsByAccess[access] =
                    SaturatingAdd(Figures.SecondsByAccess[access], totals->Seconds[country][access]);
                Figures.EurosByAccess[access] += totals->Euros[country][access];
            }
        }
    }
}

void TBelvoraMonitor::ReleaseCaller(std::size_t index)
{
    TCaller *caller = Callers[index].get();
    if (Details.ShownCaller && Details.ShownCaller() == caller && Details.ShowNoCaller)
        Details.ShowNoCaller();
    m_callersModel.RemoveRowOf(*caller);
    m_callerIndex.erase(caller->Id.text());
    Callers.erase(Callers.begin() + qsizetype(index));
}

void TBelvoraMonitor::CountOnline()
{
    Figures.OnlineByAccess = {};
    TCaller *shown = Details.ShownCaller ? Details.ShownCaller() : nullptr;
    for (std::size_t i = 0; i < Callers.size();) {
        TCaller &caller = *Callers[i];
        if (caller.Seen == 0) {
            ReleaseCaller(i);
            continue;
        }
        // Test calls and unknown types count online in the sample, not per type.
        if (caller.Access >= 0 && caller.Access < AccessTypeCount)
            ++Figures.OnlineByAccess[caller.Access];
        if (&caller == shown && Details.Refresh)
            Details.Refresh();
        ++i;
    }
}

bool TBelvoraMonitor::QuietNow() const
{
    return IsQuiet && IsQuiet();
}

int TBelvoraMonitor::SecondOfDay() const
{
    return int(PollTime - m_dayStore->DayStart());
}

TTriggerContext TBelvoraMonitor::TriggerContext() const
{
    // The figures the day file holds, so that today compares like with like.
    TTriggerContext context;
    context.Today = {double(Callers.size()), double(CallsToday()), MinutesFromSeconds(SecondsToday())};
    const TDayReference &yesterday = m_dayStore->Yesterday();
    for (int what = 0; what < YesterdayFigureCount; ++what) {
        if (const auto value = yesterday.ValueAt(what, SecondOfDay()))
            context.Yesterday[std::size_t(what)] =
                what == THistorySample::SeriesMinutes ? MinutesFromSeconds(*value) : *value;
    }
    context.Quiet = QuietNow();
    return context;
}

TDayForecast TBelvoraMonitor::Forecast() const
{
    if (LastReplyTime == 0)
        return {};
    const std::optional<double> euros = PayoutRules.empty() ? std::nullopt : std::optional(EurosToday());
    return ForecastFor(m_dayStore->Yesterday(), m_dayStore->SameWeekdays(), SecondOfDay(), CallsToday(), SecondsToday(),
                       euros);
}

void TBelvoraMonitor::PlayArrivalSound(std::size_t oldCount)
{
    if (!Settings.SoundOn || QuietNow())
        return;
    if (Callers.size() > oldCount && !Settings.SoundUp.isEmpty())
        Platform::Get().PlaySoundAsync(Settings.SoundUp);
    else if (Callers.size() < oldCount && !Settings.SoundDown.isEmpty())
        Platform::Get().PlaySoundAsync(Settings.SoundDown);
}

void TBelvoraMonitor::ClearCallers()
{
    TCaller *shown = Details.ShownCaller ? Details.ShownCaller() : nullptr;
    for (const auto &caller : Callers) {
        if (caller.get() == shown && Details.ShowNoCaller)
            Details.ShowNoCaller();
    }
    m_callersModel.Clear();
    Callers.clear();
    m_callerIndex.clear();
    m_callersModel.Publish();
}

void TBelvoraMonitor::ClearTotals()
{
    m_totalsModel.Clear();
    Totals.clear();
    m_totalsIndex.clear();
    m_totalsModel.Publish();
}

void TBelvoraMonitor::NewDay()
{
    ResetTriggerStates();
    NextMidnight = MidnightAfterToday();
    ClearCallers();
    ClearTotals();
    Figures = {};
}

bool TBelvoraMonitor::SaveHistory()
{
    return m_dayStore->SaveDay();
}
