#pragma once

#include <QRandomGenerator>
#include <QString>

#include <span>
#include <vector>

// One call of the simulated account, online or finished. Times are local-clock
// seconds: the wall clock counted from 1970-01-01 as if it were UTC.
struct TSimCall
{
    QString OnlineId;          // the key of an online caller
    int HistoryId = 0;         // given when the call ends; rises per programme
    int Programme = 0;         // index into SimTables::Programmes()
    QString Name;
    qint64 NameKnownAt = 0;    // until then the name reads "?"
    int Country = 0;
    int SiteId = 0;
    int PromoterId = 0;
    int Access = 0;
    QString CallerId;
    QString Info;
    QString IP;
    qint64 Start = 0;
    qint64 End = 0;

    bool IsTest() const { return Country == 99; }
    bool IsPerMinute() const { return Access == 0 || Access == 1; }
    QString NameAt(qint64 now) const;
};

// Running day figures of one cell: programme, country, access type.
struct TSimTotal
{
    int Programme = 0;
    int Country = 0;
    int Access = 0;
    int Calls = 0;
    int Seconds = 0;
};

// A webmaster account's day: callers arrive at random (a Poisson stream at the given
// rate), stay tens of seconds to many minutes and hang up; finished calls go into the
// day's history and totals. Everything is drawn from one generator in the order of
// events, so the state at a given time depends only on the seed and the start time,
// never on when or how often it is looked at.
class TSimulation final
{
public:
    struct TOptions
    {
        quint64 Seed = 1;
        qint64 Start = 0;           // the local-clock time the service starts at
        double RatePerMinute = 2.0;
    };

    explicit TSimulation(const TOptions &options);

    // Plays all arrivals, hang-ups and day changes up to the given time.
    void AdvanceTo(qint64 now);
    qint64 Now() const { return Current; }

    const std::vector<TSimCall> &Online() const { return OnlineCalls; }
    const std::vector<TSimCall> &History() const { return Finished; }
    // The non-empty cells of today's totals, by programme, country and access type.
    std::vector<TSimTotal> Totals() const;

private:
    void Arrive(qint64 at);
    void HangUp(std::size_t index);
    void StartDay(qint64 dayStart);
    void ScheduleArrival(double after);
    double Exponential(double mean);
    double Normal();
    int Pick(std::span<const int> weights);

    QRandomGenerator Random;
    double Rate;
    qint64 Current;
    qint64 DayStart;
    double NextArrival;
    quint32 Arrivals = 0;
    std::vector<int> NextHistoryId;
    std::vector<TSimCall> OnlineCalls;
    std::vector<TSimCall> Finished;
    std::vector<int> Calls;      // [programme][country][access], flattened
    std::vector<int> Seconds;
};
