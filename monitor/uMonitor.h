#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "uChartPoint.h"
#include "uForecast.h"
#include "uGlobal.h"
#include "uListItems.h"
#include "uListModel.h"
#include "uTextIndex.h"
#include "uTriggers.h"

struct TFetchReply;

class TDayStore;
class THistoryGraph;

// What the monitor needs of the caller-details panel of the window that shows it.
struct TDetailsPanel
{
    std::function<TCaller *()> ShownCaller;  // the caller it shows, or null
    std::function<void()> ShowNoCaller;
    std::function<void()> Refresh;           // the caller it shows has new values
};

// The totals list in simple form: programme, calls, minutes and average, and euros
// while payout rules exist.
constexpr int SimpleTotalsColumns = 4;
constexpr int SimpleTotalsColumnsWithEuros = 5;

enum TChartGrouping { GroupByProgramme = 0, GroupByAccess = 1, GroupByProgrammeAndAccess = 2, GroupByCountry = 3 };

// One line of the detail list of a programme's totals: the access type whose picture it
// shows (-1: none), its caption and its value.
struct TTotalsDetailRow
{
    int Access = -1;
    QString Caption;
    QString Value;
    friend bool operator==(const TTotalsDetailRow &, const TTotalsDetailRow &) = default;
};

// The engine of the program: one poll cycle per tick of the main window's timer. It asks
// the connector for the callers online (command 103), turns the reply into callers,
// totals, figures, list rows and chart points, adds a sample to the day history and
// evaluates the triggers. It owns the callers, the totals, the rows of the three lists
// and the day store; the windows show the rows, the figures and the chart points.
class TBelvoraMonitor final : public QObject
{
    Q_OBJECT
public:
    explicit TBelvoraMonitor(QObject *owner);
    ~TBelvoraMonitor() override;

    // Starts one poll unless one is outstanding.
    void Update();
    // Completion of the callers request.
    void CallersFetched(const TFetchReply &reply);
    // The reply handling proper, on the lines of an accepted reply.
    void ProcessCallersReply(const QStringList &replyLines);
    void NewDay();
    // False when the day file could not be written; DayStore().LastError() says why.
    bool SaveHistory();

    void ParseCallers(const QStringList &replyLines);
    // Brings the callers rows in line with the callers and collects the announcements.
    void UpdateCallersView();
    // Brings the totals rows in line with the totals; `rebuild` makes every row anew.
    void UpdateTotalsView(bool rebuild);
    // The detail list of one programme's totals; empty until it has figures.
    std::vector<TTotalsDetailRow> TotalsDetails(const TTotals *totals) const;
    std::vector<TChartPoint> ChartPoints(QString *title) const;
    QString ProgLabel(const QString &code) const;

    int OnlineNow() const;
    int CallsToday() const;
    int SecondsToday() const;
    double EurosToday() const;
    int MinutesCounterValue() const; // hundredths of a minute
    int EurosCounterValue() const;   // whole euros
    // Where today is heading, judged by yesterday at the time of the last processed poll.
    TDayForecast Forecast() const;

    // The rows of the callers, totals and history lists, shown by the window's views.
    TCallerRows &CallerRows() { return m_callersModel; }
    TTotalsRows &TotalsRows() { return m_totalsModel; }
    TCallerRows &HistoryRows() { return m_historyModel; }

    // Pictures and hooks the window hands over after creation.
    TPictureCounts Pictures;
    TDetailsPanel Details;
    // Whether sounds are to keep quiet now (quiet hours, a snooze); unset: never.
    std::function<bool()> IsQuiet;

    TFigureBlock Figures;
    bool Busy = false;
    bool TotalsSeen = false;
    int NewCallerCount = 0;
    QString NewCallersText;
    bool ShortNames = false;
    qint64 PollTime = 0;
    qint64 NextMidnight = 0;
    qint64 LastReplyTime = 0;     // local-clock seconds of the last processed reply's poll; 0: none yet
    // When the last reply was processed and the monitor made, on the monotonic clock.
    qint64 LastReplyMs = 0;
    qint64 CreatedMs = 0;
    int ChartGrouping = GroupByProgramme;
    bool TotalsDetail = false;

    TCallerList Callers;
    std::vector<std::unique_ptr<TTotals>> Totals;
    TDayStore &DayStore() const { return *m_dayStore; }
    THistoryGraph &History() const { return *m_history; }

Q_SIGNALS:
    // A callers request came back without a usable reply (OnFetchFailed).
    void FetchFailed();
    // The totals of a reply are in: the chart's points are new.
    void TotalsChanged();
    // The counters' figures of a reply are in: the counters move to them.
    void FiguresChanged();
    // A callers reply has been processed: figures, lists and history are new.
    void ReplyProcessed();

private:
    void IndexRecords();
    void ApplyTotalsFields(QStringView codeField, const TTextIndex<int> &progs);
    void FailurePath();
    void RequestDropped();
    void ReleaseCaller(std::size_t index);
    void ClearCallers();
    void ClearTotals();
    void SumTotalsFigures();
    void CountOnline();
    void PlayArrivalSound(std::size_t oldCount);
    TTriggerContext TriggerContext() const;
    int SecondOfDay() const;
    bool QuietNow() const;
    static qint64 MidnightAfterToday();

    // Callers by id and totals by programme code; the records own the texts.
    TTextIndex<TCaller *> m_callerIndex;
    TTextIndex<TTotals *> m_totalsIndex;
    // The graph draws the store: made after it, released before it.
    std::unique_ptr<TDayStore> m_dayStore;
    std::unique_ptr<THistoryGraph> m_history;
    TCallerRows m_callersModel{CallerColumnCount};
    TTotalsRows m_totalsModel{SimpleTotalsColumns};
    TCallerRows m_historyModel{CallerColumnCount};
};
