#include "uSimulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "uClock.h"
#include "uSimTables.h"
#include "uUnits.h"

namespace {

constexpr int CountryCount = 18;
constexpr int AccessCount = 17;
// Callers already online at midnight come from the hour before it.
constexpr qint64 WarmUpSeconds = SecondsPerHour;
constexpr int TestCallPercent = 2;
constexpr int HiddenNamePercent = 30;

std::size_t Cell(int programme, int country, int access)
{
    return (static_cast<std::size_t>(programme) * CountryCount + static_cast<std::size_t>(country)) * AccessCount
        + static_cast<std::size_t>(access);
}

} // namespace

QString TSimCall::NameAt(qint64 now) const
{
    return now < NameKnownAt ? QStringLiteral("?") : Name;
}

TSimulation::TSimulation(const TOptions &options)
    : Rate(std::max(0.0, options.RatePerMinute))
{
    const quint32 seed[2] = {static_cast<quint32>(options.Seed), static_cast<quint32>(options.Seed >> 32)};
    Random = QRandomGenerator(seed);

    const auto programmeCount = static_cast<std::size_t>(SimTables::Programmes().size());
    Calls.assign(programmeCount * CountryCount * AccessCount, 0);
    Seconds.assign(Calls.size(), 0);
    for (std::size_t i = 0; i < programmeCount; ++i)
        NextHistoryId.push_back(static_cast<int>(i + 1) * 10000 + static_cast<int>(Random.bounded(1000)));

    Current = Clock::DayStartOf(options.Start) - WarmUpSeconds;
    DayStart = Clock::DayStartOf(Current);
    NextArrival = static_cast<double>(Current);
    ScheduleArrival(NextArrival);
    AdvanceTo(options.Start);
}

void TSimulation::AdvanceTo(qint64 now)
{
    while (true) {
        std::size_t ending = OnlineCalls.size();
        qint64 endTime = std::numeric_limits<qint64>::max();
        for (std::size_t i = 0; i < OnlineCalls.size(); ++i) {
            if (OnlineCalls[i].End < endTime) {
                endTime = OnlineCalls[i].End;
                ending = i;
            }
        }
        const qint64 arrivalTime = std::isfinite(NextArrival) ? static_cast<qint64>(std::floor(NextArrival))
                                                              : std::numeric_limits<qint64>::max();
        const qint64 eventTime = std::min(endTime, arrivalTime);
        if (eventTime > now)
            break;
        if (Clock::DayStartOf(eventTime) > DayStart)
            StartDay(Clock::DayStartOf(eventTime));
        Current = eventTime;
        if (endTime <= arrivalTime)
            HangUp(ending);
        else
            Arrive(arrivalTime);
    }
    if (Clock::DayStartOf(now) > DayStart)
        StartDay(Clock::DayStartOf(now));
    Current = std::max(Current, now);
}

std::vector<TSimTotal> TSimulation::Totals() const
{
    std::vector<TSimTotal> cells;
    const int programmeCount = static_cast<int>(SimTables::Programmes().size());
    for (int p = 0; p < programmeCount; ++p) {
        for (int c = 0; c < CountryCount; ++c) {
            for (int a = 0; a < AccessCount; ++a) {
                const std::size_t cell = Cell(p, c, a);
                if (Calls[cell] > 0)
                    cells.push_back({p, c, a, Calls[cell], Seconds[cell]});
            }
        }
    }
    return cells;
}

void TSimulation::Arrive(qint64 at)
{
    const auto &programmes = SimTables::Programmes();
    std::vector<int> programmeWeights;
    for (const auto &programme : programmes)
        programmeWeights.push_back(programme.Weight);
    std::vector<int> siteWeights;
    for (const auto &site : SimTables::Sites())
        siteWeights.push_back(site.Weight);
    std::vector<int> promoterWeights;
    for (const auto &promoter : SimTables::Promoters())
        promoterWeights.push_back(promoter.Weight);

    TSimCall call;
    ++Arrivals;
    call.OnlineId = QString::number(7300000 + Arrivals * 7 + Random.bounded(7));
    call.Programme = Pick(programmeWeights);
    call.Start = at;
    call.SiteId = SimTables::Sites()[Pick(siteWeights)].Id;
    call.PromoterId = SimTables::Promoters()[Pick(promoterWeights)].Id;

    const bool test = static_cast<int>(Random.bounded(100)) < TestCallPercent;
    qint64 duration = 0;
    if (test) {
        call.Country = 99;
        call.Access = 99;
        call.Name = QStringLiteral("TEST");
        call.CallerId = QStringLiteral("0900-TEST");
        call.Info = QStringLiteral("testgesprek");
        duration = 20 + Random.bounded(70);
    } else {
        call.Country = Pick(SimTables::CountryWeights());
        call.Access = Pick(SimTables::AccessWeights());
        const QStringList &names = SimTables::LoginNames();
        call.Name = names[Random.bounded(static_cast<int>(names.size()))];
        if (Random.bounded(100) < 40)
            call.Name += QString::number(Random.bounded(10, 99));
        if (Random.bounded(100) < 6) {
            call.CallerId = QStringLiteral("anoniem");
        } else {
            QString digits;
            for (int i = 0; i < 8; ++i)
                digits += QChar(u'0' + Random.bounded(10));
            if (call.Country == 0)
                call.CallerId = QStringLiteral("06") + digits;
            else if (call.Country == 1)
                call.CallerId = QStringLiteral("047") + digits.left(7);
            else
                call.CallerId = QStringLiteral("00") + SimTables::DialCode(call.Country) + QChar(u'1' + Random.bounded(9)) + digits;
        }
        const QStringList &infos = SimTables::PromoInfos();
        call.Info = infos[Random.bounded(static_cast<int>(infos.size()))];
        if (call.Access == 5) {
            duration = 3 + Random.bounded(25);
        } else if (call.Access == 2) {
            duration = 20 + static_cast<qint64>(Exponential(150.0));
        } else {
            // Log-normal: most calls take a few minutes, a few go on for most of an hour.
            duration = static_cast<qint64>(std::exp(std::log(150.0) + 0.9 * Normal()));
        }
    }
    duration = std::clamp<qint64>(duration, 3, SecondsPerHour);
    call.End = at + duration;

    static const int firstOctets[] = {62, 77, 80, 81, 83, 84, 85, 86, 87, 145, 194, 212, 213, 217};
    call.IP = QStringLiteral("%1.%2.%3.%4")
                  .arg(firstOctets[Random.bounded(static_cast<int>(std::size(firstOctets)))])
                  .arg(Random.bounded(256))
                  .arg(Random.bounded(256))
                  .arg(1 + Random.bounded(254));

    call.NameKnownAt = at;
    if (!test && static_cast<int>(Random.bounded(100)) < HiddenNamePercent)
        call.NameKnownAt = at + std::min<qint64>(8 + Random.bounded(30), std::max<qint64>(1, duration / 2));

    OnlineCalls.push_back(std::move(call));
    ScheduleArrival(NextArrival);
}

void TSimulation::HangUp(std::size_t index)
{
    TSimCall call = std::move(OnlineCalls[index]);
    OnlineCalls.erase(OnlineCalls.begin() + static_cast<std::ptrdiff_t>(index));
    call.HistoryId = ++NextHistoryId[static_cast<std::size_t>(call.Programme)];
    if (!call.IsTest()) {
        const std::size_t cell = Cell(call.Programme, call.Country, call.Access);
        Calls[cell] += 1;
        Seconds[cell] += static_cast<int>(call.End - call.Start);
    }
    Finished.push_back(std::move(call));
}

void TSimulation::StartDay(qint64 dayStart)
{
    // History ids keep rising over midnight: a client's marks never fall back.
    DayStart = dayStart;
    Finished.clear();
    std::fill(Calls.begin(), Calls.end(), 0);
    std::fill(Seconds.begin(), Seconds.end(), 0);
}

void TSimulation::ScheduleArrival(double after)
{
    NextArrival = Rate > 0 ? after + Exponential(double(SecondsPerMinute) / Rate) : std::numeric_limits<double>::infinity();
}

double TSimulation::Exponential(double mean)
{
    return -mean * std::log(1.0 - Random.generateDouble());
}

double TSimulation::Normal()
{
    const double u1 = 1.0 - Random.generateDouble();
    const double u2 = Random.generateDouble();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

int TSimulation::Pick(std::span<const int> weights)
{
    int total = 0;
    for (int weight : weights)
        total += weight;
    int r = static_cast<int>(Random.bounded(static_cast<quint32>(std::max(1, total))));
    for (std::size_t i = 0; i < weights.size(); ++i) {
        if (r < weights[i])
            return static_cast<int>(i);
        r -= weights[i];
    }
    return 0;
}
