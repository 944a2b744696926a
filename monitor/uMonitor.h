#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "uForecast.h"
#include "uGlobal.h"
#include "uListItems.h"
#include "uTextIndex.h"
#include "uTotalsChart.h"
#include "uTriggers.h"

struct TFetchReply;

class QChart;
class QTreeWidget;
class QWidget;
class TAnalogNumber;
class TDayStore;
class THistoryGraph;

// What the monitor needs of the caller-details panel of the window that shows it.
struct TDetailsPanel
{
    std::function<TCaller *()> ShownCaller;  // the caller it shows, or null
    std::function<void()> ShowNoCaller;
    std::function<void()> Refresh;           // the caller it shows has new values
};

enum TChartGrouping { GroupByProgramme = 0, GroupByAccess = 1, GroupByProgrammeAndAccess = 2, GroupByCountry = 3 };

// The engine of the program: one poll cycle per tick of the main window's timer. It asks
// the connector for the callers online (command 103), turns the reply into callers,
// totals, figures, list rows and chart points, moves the counters, adds a sample to the
// day history and evaluates the triggers. It owns the callers, the totals and the day
// store; the views and counters belong to the windows and are only filled from here.
class TBelvoraMonitor final : public QObject
{
    Q_OBJECT
public:
    explicit TBelvoraMonitor(QWidget *owner);
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

    // Binds counters (each may be null); shows the figures at once.
    void SetCounters(TAnalogNumber *online, TAnalogNumber *calls, TAnalogNumber *euros, TAnalogNumber *minutes);

    void ParseCallers(const QStringList &replyLines);
    void ParseTotalsLine(const QString &text);
    TTotals *FindTotals(const QString &code) const;
    void UpdateCallersView();

    void UpdateTotalsView(bool rebuild);
    void ShowTotalsDetails(QTreeWidget *view, const TTotals *totals) const;
    std::vector<TChartPoint> ChartPoints(QString *title) const;
    void UpdateChart();
    void SetChartStyle(int style);
    QString ProgLabel(const QString &code) const;

    int OnlineNow() const;
    int CallsToday() const;
    int SecondsToday() const;
    double EurosToday() const;
    int MinutesCounterValue() const; // hundredths of a minute
    int EurosCounterValue() const;   // whole euros
    // Where today is heading, judged by yesterday at the time of the last processed poll.
    TDayForecast Forecast() const;
    // Whether the figures shown are older than two polls and some slack, and since when.
    bool DataIsStale(qint64 now) const;
    QString StaleText(qint64 now) const;

    // Views, pictures and hooks the window hands over after creation.
    QPointer<QTreeWidget> CallersView;
    QPointer<QTreeWidget> TotalsView;
    TImageLists Images;
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
    qint64 CreatedTime = 0;
    int ChartGrouping = GroupByProgramme;
    bool TotalsDetail = false;

    TCallerList Callers;
    std::vector<std::unique_ptr<TTotals>> Totals;
    TDayStore &DayStore() const { return *m_dayStore; }
    THistoryGraph &History() const { return *m_history; }
    void SetChart(QChart *chart);
    // Moves whenever the chart's points change, in place or with a new series.
    int ChartRevision() const { return m_chart ? m_chart->Revision() : 0; }

Q_SIGNALS:
    // A callers request came back without a usable reply (OnFetchFailed).
    void FetchFailed();
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
    void MoveCounters();
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
    std::unique_ptr<TTotalsChart> m_chart;
    QPointer<TAnalogNumber> m_onlineCounter;
    QPointer<TAnalogNumber> m_callsCounter;
    QPointer<TAnalogNumber> m_minutesCounter;
    QPointer<TAnalogNumber> m_eurosCounter;
};
