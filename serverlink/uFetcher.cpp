#include "uFetcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkCookieJar>
#include <QPointer>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <utility>

#include "uClock.h"
#include "uCodec.h"
#include "uDebugLog.h"
#include "uSettings.h"

namespace {

constexpr int PumpMs = 50;
// SignOff lets the interface run in slices of this length while it waits.
constexpr int SignOffWaitStepMs = 10;

constexpr char RefererUrl[] = "http://www.belvora.example/.";
constexpr char UserAgentPrefix[] = "BVMonitor V";
constexpr char BodyContentType[] = "text/html";
constexpr char AcceptTypes[] = "text/html, */*";

const QString CrLf = QStringLiteral("\r\n");

bool fetchActive = false;
int deferredCount = 0;
QPointer<TFetcher> currentConnector;

// Cookies the service sets live as long as the process, whatever client sends them.
QNetworkCookieJar *ProcessCookieJar()
{
    static QPointer<QNetworkCookieJar> jar;
    if (!jar)
        jar = new QNetworkCookieJar(QCoreApplication::instance());
    return jar;
}

QString Joined(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + CrLf;
    return text;
}

} // namespace

TPostLimits TFetchLimits::ForPoll(int intervalSeconds) const
{
    TPostLimits limits;
    limits.OfferCancelMs = OfferCancelMs;
    limits.StallMs = std::max(StallFloorMs, StallIntervals * std::clamp(intervalSeconds, 0, TotalMs / 1000) * 1000);
    limits.TotalMs = TotalMs;
    limits.MaxReplyBytes = MaxReplyBytes;
    limits.MaxHeadBytes = MaxHeadBytes;
    return limits;
}

TPostLimits TFetchLimits::ForSignOff() const
{
    TPostLimits limits = ForPoll(0);
    // A service that never answers must not keep the program from closing.
    limits.StallMs = std::min(limits.StallMs, SignOffWaitMs);
    limits.TotalMs = SignOffWaitMs;
    return limits;
}

int DeferredCount()
{
    return deferredCount;
}

TFetcher *Connector()
{
    return currentConnector.data();
}

void SetConnector(TFetcher *connector)
{
    currentConnector = connector;
}

TFetcher::TFetcher(const TFetchLimits &limits, QObject *parent)
    : QObject(parent), Limits(limits)
{
    tiCounter.setInterval(PumpMs);
    connect(&tiCounter, &QTimer::timeout, this, &TFetcher::tiCounterTimer);
}

TFetcher::~TFetcher() = default;

TFetchRequest *TFetcher::NewRequest(const QString &title, TFetchCallback callback)
{
    auto request = std::make_unique<TFetchRequest>();
    request->Title = title;
    request->Callback = std::move(callback);
    Requests.push_back(std::move(request));
    return Requests.back().get();
}

void TFetcher::StartPump()
{
    tiCounter.start();
}

void TFetcher::Resume()
{
    if (!Requests.empty())
        StartPump();
}

void TFetcher::Cancel()
{
    if (FPost)
        FPost->Cancel(QStringLiteral("cancelled"));
}

void TFetcher::tiCounterTimer()
{
    // Fetch runs from an event of its own, not inside this handler: Qt holds a timer back
    // while its handler has not returned, and the ticks must go on during a post.
    if (!Busy() && !FFetchPosted) {
        FFetchPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                FFetchPosted = false;
                Fetch();
            },
            Qt::QueuedConnection);
    }
    ++FTicks;
    Q_EMIT Ticked(FTicks);
}

void TFetcher::Fetch()
{
    // A tick posted just before a sign-off may arrive inside the sign-off's post.
    if (Busy())
        return;
    if (Requests.empty()) {
        FTicks = 0;
        tiCounter.stop();
        Q_EMIT Idle();
        return;
    }
    // A tick that arrives while a callback or a message box of an earlier request is open.
    if (fetchActive)
        return;

    fetchActive = true;
    const TFetchRequest &request = *Requests.front();
    FTicks = 0;
    Q_EMIT RequestStarted(request);
    DebugLog(DebugLevel::Requests,
             QStringLiteral("Fetch(%1 POST[%2, %3])").arg(Settings.FetchUrl, request.Command, request.Args));
    const TPostResult post = InternalFetch(request.Args, Limits.ForPoll(Settings.Interval));
    DebugLog(DebugLevel::Requests, post.End == TPostResult::TEnd::Completed ? QStringLiteral("Fetched (OK)")
                                                                            : QStringLiteral("Fetched (ERROR!)"));
    TFetchReply reply = Answer(request, post);
    Q_EMIT Answered(request, reply);
    // The window has shown what a refused reply said; its requester reads no lines.
    if (reply.Outcome == TFetchOutcome::Refused)
        reply.ReplyLines.clear();
    Deliver(request, reply);

    fetchActive = false;
    Q_EMIT RequestEnded();
    RemoveRequest(&request);
}

TFetchReply TFetcher::Answer(const TFetchRequest &request, const TPostResult &post)
{
    TFetchReply reply;
    switch (post.End) {
    case TPostResult::TEnd::Completed: {
        if (FFailCount != 0) {
            FFailCount = 0;
            Q_EMIT FailuresChanged();
        }
        HandleMessageHeader(post.MessageHeader);
        TReplyReading reading = ReadReply(post.Body, request.Command);
        reply.Outcome = reading.Outcome;
        reply.ReplyLines = std::move(reading.Lines);
        reply.ReplyStream = std::move(reading.Body);
        reply.ErrorText = std::move(reading.Message);
        if (reply.Outcome == TFetchOutcome::Ok)
            FErrorCount = 0;
        else if (reply.Outcome == TFetchOutcome::Refused || reply.Outcome == TFetchOutcome::Fatal)
            ++FErrorCount;
        break;
    }
    case TPostResult::TEnd::Failed:
        reply.Outcome = TFetchOutcome::TransportFailure;
        reply.ErrorText = post.Error;
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(post.Error));
        DebugLog(DebugLevel::Data, QStringLiteral("Data: "));
        break;
    case TPostResult::TEnd::Cancelled:
    case TPostResult::TEnd::NotSent:
        reply.Outcome = TFetchOutcome::Cancelled;
        break;
    }
    reply.ErrorCount = FErrorCount;
    reply.FailCount = FFailCount;
    reply.MessageText = FMessageText;
    reply.MessageAction = FMessageAction;
    return reply;
}

void TFetcher::HandleMessageHeader(const QByteArray &header)
{
    const TServerMessage message = ParseMessageHeader(header);
    if (!message.Present)
        return;
    FMessageText = message.Text;
    FMessageAction = message.Action;
    Q_EMIT Message(message);
}

void TFetcher::Deliver(const TFetchRequest &request, TFetchReply &reply)
{
    // Also after a cancelled post: a requester waiting for its answer (the monitor's Busy)
    // must always hear that the request is over.
    QString failure;
    if (request.Callback) {
        try {
            request.Callback(reply);
        } catch (const std::exception &error) {
            failure = QString::fromLocal8Bit(error.what());
        } catch (...) {
            failure = QStringLiteral("Onbekende fout");
        }
    }
    if (failure.isEmpty()) {
        if (reply.Outcome == TFetchOutcome::TransportFailure)
            CountFailure(reply.ErrorText);
        return;
    }
    // A callback that fails counts as a failed transfer: it hears again, and the reply no
    // longer counts as good, since it may already have acted on it.
    DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(failure));
    DebugLog(DebugLevel::Data, QStringLiteral("Data: %1").arg(Joined(reply.ReplyLines)));
    if (reply.Outcome != TFetchOutcome::TransportFailure) {
        reply.Outcome = TFetchOutcome::TransportFailure;
        reply.ErrorText = failure;
        Q_EMIT Answered(request, reply);
        try {
            request.Callback(reply);
        } catch (const std::exception &again) {
            DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(QString::fromLocal8Bit(again.what())));
        } catch (...) {
            DebugLog(DebugLevel::Requests, QStringLiteral("Exception: Onbekende fout"));
        }
    }
    CountFailure(failure);
}

void TFetcher::CountFailure(const QString &reason)
{
    FLastFailureAt = Clock::Now();
    if (FFailCount == 0)
        FFailingSince = FLastFailureAt;
    ++FFailCount;
    FLastFailure = reason;
    Q_EMIT FailuresChanged();
}

void TFetcher::RemoveRequest(const TFetchRequest *request)
{
    const auto it = std::find_if(Requests.begin(), Requests.end(),
                                 [request](const auto &queued) { return queued.get() == request; });
    if (it != Requests.end())
        Requests.erase(it);
}

TPostResult TFetcher::InternalFetch(const QString &args, const TPostLimits &limits)
{
    DebugLog(DebugLevel::Requests, QStringLiteral("InternalFetch %1").arg(deferredCount));
    if (Busy()) {
        ++deferredCount;
        return {};
    }
    if (deferredCount > 0)
        --deferredCount;

    TPostRequest request;
    request.Url = QUrl(Settings.FetchUrl);
    request.Headers = RequestHeaders();
    request.Body = Encode(Codec::Encode(args), Codec::Encode(Settings.Key));
    DebugLog(DebugLevel::Requests, QStringLiteral("Encoded(%1) using %2").arg(args, Settings.Key));

    TPost post(*ProcessCookieJar(), limits);
    connect(&post, &TPost::Status, this, &TFetcher::HttpStatus);
    connect(&post, &TPost::WorkBegin, this, &TFetcher::WorkBegin);
    connect(&post, &TPost::Work, this, &TFetcher::Work);
    connect(&post, &TPost::Stalled, this, &TFetcher::Stalled);
    FPost = &post;
    Q_EMIT CancelAvailable(true);
    TPostResult result = post.Run(request);
    FPost = nullptr;
    if (result.WorkEnded) {
        FTicks = 0;
        Q_EMIT WorkEnd();
    }
    Q_EMIT Disconnected(result.BrokenOff, result.WorkEnded);
    Q_EMIT CancelAvailable(false);
    return result;
}

QList<QPair<QByteArray, QByteArray>> TFetcher::RequestHeaders() const
{
    const QByteArray version = AppVersion.isEmpty() ? QByteArray("?") : AppVersion.toLatin1();
    // Basic authentication is sent at once: the service never asks for it.
    const QByteArray credentials = Codec::Encode(Settings.Key) + ':' + Codec::Encode(Settings.Password);
    return {
        {"Content-Type", BodyContentType},
        {"Accept", AcceptTypes},
        // The envelope is small text: a compressed body would only bring decompression limits.
        {"Accept-Encoding", "identity"},
        {"Referer", RefererUrl},
        {"User-Agent", UserAgentPrefix + version},
        {"Authorization", "Basic " + credentials.toBase64()},
    };
}

void TFetcher::SignOff(bool show)
{
    tiCounter.stop();
    FTicks = 0;
    Q_EMIT SignOffStarted(show);

    // A post that is busy now runs beneath this call (everything shares one thread), so
    // it cannot end before we return: wait for its transfer instead.
    QElapsedTimer waited;
    waited.start();
    while (FPost && FPost->TransferRunning() && !waited.hasExpired(Limits.SignOffWaitMs)) {
        QEventLoop pause;
        QTimer::singleShot(SignOffWaitStepMs, &pause, &QEventLoop::quit);
        pause.exec();
    }
    // Stopping must not leave a post hanging for good, with polling stuck behind it: the
    // post beneath ends as cancelled once we return to it, and the sign-off is not sent.
    const bool brokeOff = FPost && FPost->TransferRunning();
    if (brokeOff)
        FPost->Cancel(QStringLiteral("no answer before the sign-off"));

    Q_EMIT SignOffSending();
    // A post beneath whose transfer has ended is set aside while the sign-off's own post
    // runs, and has its place back after.
    TPost *const below = brokeOff ? nullptr : std::exchange(FPost, nullptr);
    const TPostResult result = InternalFetch(QStringLiteral("c=100"), Limits.ForSignOff());
    if (result.End == TPostResult::TEnd::Failed)
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(result.Error));
    if (below)
        FPost = below;
}
