#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

#include "uFetchReply.h"
#include "uPost.h"
#include "uReplyEnvelope.h"


// The limits of the connector's posts. A post with no progress for max(StallFloorMs,
// StallIntervals x Interval) is broken off, and so is any post after TotalMs.
struct TFetchLimits
{
    int OfferCancelMs = 15 * 1000;
    int StallFloorMs = 30 * 1000;
    int StallIntervals = 3;
    int TotalMs = 120 * 1000;
    // SignOff waits this long for a running post, and its own post takes no longer.
    int SignOffWaitMs = 5000;
    qsizetype MaxReplyBytes = 16 * 1024 * 1024;
    qsizetype MaxHeadBytes = 64 * 1024;

    TPostLimits ForPoll(int intervalSeconds) const;
    TPostLimits ForSignOff() const;
};

// The connector: all traffic with the service. A FIFO queue of requests pumped by a 50 ms
// timer, one post at a time (the event loop keeps running inside it), the reply
// classified into an outcome that each request's callback receives. It shows nothing:
// the connector window and the main window show what its signals report. The main
// window owns it; `Connector()` names it for the rest of the program.
class TFetcher final : public QObject
{
    Q_OBJECT
public:
    explicit TFetcher(const TFetchLimits &limits = TFetchLimits(), QObject *parent = nullptr);
    TFetcher(const TFetcher &) = delete;
    TFetcher &operator=(const TFetcher &) = delete;
    ~TFetcher() override;

    // Appends a request; the builder sets Command and Args and starts the pump.
    TFetchRequest *NewRequest(const QString &title, TFetchCallback callback);

    // Command builders (uCommands.cpp): queue a request and start the pump; nothing is sent here.
    void AddAccountKey(const QString &key, bool active, TFetchCallback callback);
    void RequestDetails(const QString &progCode, int siteId, TFetchCallback callback, int promoterId,
                        qint64 pictureDate);
    // count < 0 leaves out "&x=". Queues 106 first while no programmes are known.
    void RequestCallers(int count, TFetchCallback callback);
    void RemoveAccountKey(const QString &key, TFetchCallback callback);
    void RequestPartnerProgrammes(TFetchCallback callback);
    void RequestAccountKeys(TFetchCallback callback);
    void RequestCallerHistory(TFetchCallback callback);
    void RequestData(TFetchCallback callback);
    void SaveData(const QString &email, const QString &mobile, const QString &msn, TFetchCallback callback);

    // Handles the oldest queued request; normally called by the pump.
    void Fetch();
    // Sends command 100 outside the queue and stops the pump.
    void SignOff(bool show);
    // Starts the pump again when requests are still queued, as after a sign-off: a poll
    // queued just before it would otherwise wait for ever and keep the monitor busy.
    void Resume();
    // Breaks off the running post as the user's cancel does.
    void Cancel();

    int ErrorCount() const { return FErrorCount; }
    int FailCount() const { return FFailCount; }
    // Why the last transfer failed and when, and when the failures in a row began.
    QString LastFailure() const { return FLastFailure; }
    QDateTime LastFailureAt() const { return FLastFailureAt; }
    QDateTime FailingSince() const { return FFailingSince; }
    QString MessageText() const { return FMessageText; }
    QString MessageAction() const { return FMessageAction; }

    bool Busy() const { return FPost != nullptr; } // a post is in progress
    int QueuedCount() const { return static_cast<int>(Requests.size()); }
    int Ticks() const { return FTicks; }

Q_SIGNALS:
    void RequestStarted(const TFetchRequest &request);
    void HttpStatus(THttpStatus status);
    void WorkBegin(qint64 size);
    void Work(qint64 done);
    void WorkEnd();
    void Disconnected(bool brokenOff, bool workEnded);
    void CancelAvailable(bool available);
    // A post without progress for a while: time to offer the cancel.
    void Stalled();
    void Ticked(int ticks);
    // A request's outcome, before its callback runs.
    void Answered(const TFetchRequest &request, const TFetchReply &reply);
    void RequestEnded();
    // The pump found the queue empty and stopped.
    void Idle();
    void SignOffStarted(bool show);
    void SignOffSending();
    // A server message from the MSG header (OnMessage).
    void Message(const TServerMessage &message);
    // FailCount or the last failure changed.
    void FailuresChanged();

private:
    TPostResult InternalFetch(const QString &args, const TPostLimits &limits);
    QList<QPair<QByteArray, QByteArray>> RequestHeaders() const;
    void StartPump();
    void tiCounterTimer();
    TFetchReply Answer(const TFetchRequest &request, const TPostResult &post);
    void HandleMessageHeader(const QByteArray &header);
    void Deliver(const TFetchRequest &request, TFetchReply &reply);
    void CountFailure(const QString &reason);
    void RemoveRequest(const TFetchRequest *request);

    const TFetchLimits Limits;
    QTimer tiCounter;
    std::deque<std::unique_ptr<TFetchRequest>> Requests;
    TPost *FPost = nullptr;          // the running post, on the stack of InternalFetch
    QString FMessageText;
    QString FMessageAction;
    QString FLastFailure;
    QDateTime FLastFailureAt;
    QDateTime FFailingSince;
    int FTicks = 0;
    int FErrorCount = 0;
    int FFailCount = 0;
    bool FFetchPosted = false;       // a tick has asked for a Fetch that has not yet run
};

// Process-wide: how many posts were refused because another was in progress.
int DeferredCount();

// The process-wide connector: the main window makes it and names it here.
TFetcher *Connector();
void SetConnector(TFetcher *connector);
