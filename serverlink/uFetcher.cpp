#include "uFetcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "uCodec.h"
#include "uDebugLog.h"
#include "uFetcherTesting.h"
#include "uPlatform.h"
#include "uReplyEnvelope.h"
#include "uSettings.h"

namespace {

constexpr int SignOffWaitMs = 5000;
// A post that makes no progress for this long shows the window, so its cancel is offered.
constexpr int StalledPostMs = 15000;
// Far beyond any real reply (a day's callers and totals are tens of kilobytes).
constexpr qsizetype MaxReplyBytes = 16 * 1024 * 1024;
// What Qt may read ahead of us; without a limit an endless reply fills memory faster
// than the size check can see it.
constexpr qint64 ReadBufferBytes = 256 * 1024;
// SignOff lets the interface run in slices of this length while it waits.
constexpr int SignOffWaitStepMs = 10;
// Only the first characters of a scrambled reply go into the log.
constexpr int LoggedScrambledChars = 80;

constexpr char RefererUrl[] = "http://www.belvora.example/.";
constexpr char UserAgentPrefix[] = "BVMonitor V";
constexpr char BodyContentType[] = "text/html";
constexpr char AcceptTypes[] = "text/html, */*";
constexpr char MessageHeaderName[] = "MSG";
constexpr char ScrambleMarker = '>';

const QString CrLf = QStringLiteral("\r\n");

int signOffWaitMs = SignOffWaitMs;
int stalledPostMs = StalledPostMs;
bool fetchActive = false;
int deferredCount = 0;
QPointer<TfrmFetcher> currentConnector;

// What the HTTP client raises: it ends the request as a transport failure.
class TFetchError final : public std::runtime_error
{
public:
    explicit TFetchError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// A request body that can be read once only. When a connection closes before any reply
// byte, Qt Network sends the request again on a new one, unless it cannot rewind the body:
// then it fails the request with ContentReSendError. The service may have acted on the
// first post, so a request must never reach it twice.
class TOneShotBody final : public QIODevice
{
public:
    TOneShotBody(const QByteArray &body, QObject *parent) : QIODevice(parent), m_body(body)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override { return m_body.size() - m_read + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, qint64(m_body.size()) - m_read);
        memcpy(data, m_body.constData() + m_read, size_t(count));
        m_read += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray m_body;
    qint64 m_read = 0;
};

QString ErrorText(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

// Cookies the service sets must outlive a connector the monitor replaces.
QNetworkCookieJar *ProcessCookieJar()
{
    static QPointer<QNetworkCookieJar> jar;
    if (!jar)
        jar = new QNetworkCookieJar(QCoreApplication::instance());
    return jar;
}

bool DetailsWanted()
{
    return (Settings.Debug & DebugDetailsBit) != 0;
}

QString ForDisplay(QString text)
{
    return text.replace(CrLf, QStringLiteral("\n"));
}

bool IsCompleteHttpError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
        || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

} // namespace

QByteArray Encode(const QByteArray &args, const QByteArray &key)
{
    static constexpr char Hex[] = "0123456789abcdef";
    QByteArray body;
    if (key.isEmpty())
        return body;
    body.reserve(args.size() * 2);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const auto byte = static_cast<unsigned char>(args[i] ^ key[i % key.size()]);
        body.append(Hex[byte >> 4]);
        body.append(Hex[byte & 0x0F]);
    }
    return body;
}

void Decode(QByteArray &body, const QByteArray &key)
{
    if (key.isEmpty())
        return;
    // The mask folded into the key once, and the key walked along: a reply is tens of
    // kilobytes at every poll.
    QByteArray masked = key;
    for (char &c : masked)
        c = static_cast<char>(c ^ static_cast<char>(ReplyMask));
    char *out = body.data();
    const char *mask = masked.constData();
    const qsizetype keySize = masked.size();
    for (qsizetype i = 0, k = 0; i < body.size(); ++i) {
        out[i] = static_cast<char>(out[i] ^ mask[k]);
        if (++k == keySize)
            k = 0;
    }
}

bool FetchActive()
{
    return fetchActive;
}

int DeferredCount()
{
    return deferredCount;
}

namespace FetcherTesting {

void SetSignOffWaitMs(int ms)
{
    signOffWaitMs = ms > 0 ? ms : SignOffWaitMs;
}

void SetStalledPostMs(int ms)
{
    stalledPostMs = ms > 0 ? ms : StalledPostMs;
}

void AnswerWith(TfrmFetcher &fetcher, TFetchRequest &request, const QByteArray &messageHeader)
{
    fetcher.FReplyLines.clear();
    fetcher.FReplyOk = false;
    fetcher.FMessageHeader = messageHeader;
    fetcher.FReplyStream = &request.Reply;
    try {
        fetcher.HandleCompletedPost(request);
        if (request.Callback)
            request.Callback(fetcher);
    } catch (const std::exception &error) {
        fetcher.HandleFailure(request, ErrorText(error));
    }
    fetcher.FReplyStream = nullptr;
}

} // namespace FetcherTesting

TfrmFetcher *Connector()
{
    return currentConnector.data();
}

void SetConnector(TfrmFetcher *connector)
{
    TfrmFetcher *previous = currentConnector.data();
    currentConnector = connector;
    if (previous && connector && previous != connector && previous->FRetired)
        previous->HandOverQueue(*connector);
}

TfrmFetcher::TfrmFetcher(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    http.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    QNetworkCookieJar *jar = ProcessCookieJar();
    http.setCookieJar(jar);
    // The manager adopts the jar; give it back so it survives this connector.
    jar->setParent(QCoreApplication::instance());

    tiCounter.setInterval(50);
    connect(&tiCounter, &QTimer::timeout, this, &TfrmFetcher::tiCounterTimer);
    tiStalled.setSingleShot(true);
    connect(&tiStalled, &QTimer::timeout, this, &TfrmFetcher::ShowStalled);

    CreateControls();
    FormCreate();
}

TfrmFetcher::~TfrmFetcher()
{
    tiCounter.stop();
    if (FReply)
        FReply->disconnect(this);
}

TFetchRequest *TfrmFetcher::NewRequest(const QString &title, TFetchCallback callback)
{
    auto request = std::make_unique<TFetchRequest>();
    request->Title = title;
    request->Callback = std::move(callback);
    Requests.push_back(std::move(request));
    return Requests.back().get();
}

void TfrmFetcher::StartPump()
{
    if (!FRetired)
        tiCounter.start();
}

void TfrmFetcher::Resume()
{
    if (!Requests.empty())
        StartPump();
}

const QStringList &TfrmFetcher::ReplyLines() const
{
    return FReplyLines;
}

const QByteArray *TfrmFetcher::ReplyStream() const
{
    return FReplyStream;
}

bool TfrmFetcher::ReplyOk() const
{
    return FReplyOk;
}

int TfrmFetcher::ErrorCount() const
{
    return FErrorCount;
}

int TfrmFetcher::FailCount() const
{
    return FFailCount;
}

void TfrmFetcher::SetFailCount(int count)
{
    FFailCount = count;
}

QString TfrmFetcher::MessageText() const
{
    return FMessageText;
}

QString TfrmFetcher::MessageAction() const
{
    return FMessageAction;
}

bool TfrmFetcher::Busy() const
{
    return FBusy;
}

int TfrmFetcher::QueuedCount() const
{
    return static_cast<int>(Requests.size());
}

void TfrmFetcher::Retire()
{
    FRetired = true;
    tiCounter.stop();
    ShownByFetch = false;
    hide();
    TfrmFetcher *successor = Connector();
    if (successor && successor != this)
        HandOverQueue(*successor);
    ReleaseIfRetired();
}

void TfrmFetcher::ReleaseIfRetired()
{
    // A deleteLater posted here runs only after the event loop below the running Fetch
    // regains control, so no frame of this connector is left on the stack by then.
    if (FRetired && FActiveCalls == 0)
        deleteLater();
}

void TfrmFetcher::HandOverQueue(TfrmFetcher &to)
{
    // Requests still waiting here would otherwise die with this connector unanswered.
    std::deque<std::unique_ptr<TFetchRequest>> waiting;
    for (auto it = Requests.begin(); it != Requests.end();) {
        if (it->get() == FRunning) {
            ++it;
        } else {
            waiting.push_back(std::move(*it));
            it = Requests.erase(it);
        }
    }
    if (waiting.empty())
        return;
    // They were queued before anything the successor holds, except its running request.
    auto insertAt = to.Requests.begin();
    if (to.FRunning && insertAt != to.Requests.end() && insertAt->get() == to.FRunning)
        ++insertAt;
    to.Requests.insert(insertAt, std::make_move_iterator(waiting.begin()),
                       std::make_move_iterator(waiting.end()));
    to.StartPump();
}

void TfrmFetcher::Fetch()
{
    // A tick posted just before a sign-off may arrive inside the sign-off's post.
    if (FBusy)
        return;
    if (Requests.empty()) {
        Ticks = 0;
        HideIfShownByFetch();
        tiCounter.stop();
        FBusy = false;
        // FetchActive is left alone here: it belongs to the Fetch that set it, which may
        // be another connector's still running callback.
        return;
    }
    if (fetchActive)
        return;

    fetchActive = true;
    ++FActiveCalls;
    TFetchRequest *request = Requests.front().get();
    FRunning = request;
    mLog->clear();
    FReplyLines.clear();
    lblStatus->setText(request->Title);
    ShowInfo(lblInfo->text(), false);
    pg->setValue(0);
    CurCommand = request->Command;
    CurArgs = request->Args;
    FReplyOk = false;
    Ticks = 0;

    try {
        DebugLog(DebugLevel::Requests,
                 QStringLiteral("Fetch(%1 POST[%2, %3])").arg(Settings.FetchUrl, CurCommand, CurArgs));
        const bool ok = InternalFetch(request->Reply);
        DebugLog(DebugLevel::Requests, ok ? QStringLiteral("Fetched (OK)") : QStringLiteral("Fetched (ERROR!)"));
        FReplyStream = &request->Reply;
        if (ok)
            HandleCompletedPost(*request);
        // Also after a cancelled or refused post: a requester waiting for its answer
        // (the monitor's Busy) must always hear that the request is over.
        if (request->Callback)
            request->Callback(*this);
    } catch (const std::exception &error) {
        HandleFailure(*request, ErrorText(error));
    } catch (...) {
        HandleFailure(*request, QStringLiteral("Onbekende fout"));
    }

    FBusy = false;
    fetchActive = false;
    HideIfShownByFetch();
    FReplyStream = nullptr;
    FRunning = nullptr;
    RemoveRequest(request);
    --FActiveCalls;
    ReleaseIfRetired();
}

void TfrmFetcher::RemoveRequest(const TFetchRequest *request)
{
    const auto it = std::find_if(Requests.begin(), Requests.end(),
                                 [request](const auto &queued) { return queued.get() == request; });
    if (it != Requests.end())
        Requests.erase(it);
}

void TfrmFetcher::HandleFailure(TFetchRequest &request, const QString &error)
{
    DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(error));
    QString lines;
    for (const QString &line : std::as_const(FReplyLines))
        lines += line + CrLf;
    DebugLog(DebugLevel::Data, QStringLiteral("Data: %1").arg(lines));

    const QString failure = QStringLiteral("Fout: ") + error;
    mLog->setPlainText(ForDisplay(DetailsWanted() ? QStringLiteral("Cmd = ") + request.Command
                                          + QStringLiteral(", args=") + request.Args + CrLf + CrLf + failure
                                                  : failure));
    ShowInfo(QStringLiteral("FOUT IN COMMUCATIE!"), true);
    // The callback may already have acted on an accepted reply before it failed; it
    // must not take the same reply as good a second time.
    FReplyOk = false;
    try {
        if (request.Callback)
            request.Callback(*this);
    } catch (const std::exception &again) {
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(ErrorText(again)));
        mLog->appendPlainText(QStringLiteral("Fout: ") + ErrorText(again));
    } catch (...) {
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: Onbekende fout"));
    }
    FBusy = false;
    ++FFailCount;
}

bool TfrmFetcher::InternalFetch(QByteArray &buffer)
{
    DebugLog(DebugLevel::Requests, QStringLiteral("InternalFetch %1").arg(deferredCount));
    if (FBusy) {
        ++deferredCount;
        return false;
    }
    if (deferredCount > 0)
        --deferredCount;
    FBusy = true;
    WorkEnded = false;
    Cancelled = false;
    FTooLarge = false;
    btnCancel->setEnabled(true);

    QNetworkRequest request{QUrl(Settings.FetchUrl)};
    ApplyHeaders(request);
    const QByteArray body = EncodeCurArgs();
    PostLines = QStringList{QString::fromLatin1(body)};
    FMessageHeader.clear();

    // Qt buffers (and so could resend) a sequential body unless told not to, which it only
    // accepts with a length.
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    auto *upload = new TOneShotBody(body, nullptr);
    QNetworkReply *reply = http.post(request, upload);
    upload->setParent(reply);
    FReply = reply;
    ConnectReply(reply, buffer);
    if (!reply->isFinished()) {
        QEventLoop wait;
        connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    tiStalled.stop();
    // Only the program's quit ends the wait early: what came so far is not a reply.
    if (!reply->isFinished())
        BreakOff(QStringLiteral("the program ends"));

    reply->disconnect(this);
    if (reply->isOpen())
        buffer.append(reply->readAll());
    FMessageHeader = reply->rawHeader(MessageHeaderName);
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QString errorString = reply->errorString();
    FReply = nullptr;
    reply->deleteLater();

    if (!Cancelled && (error == QNetworkReply::NoError || (status.isValid() && IsCompleteHttpError(error))))
        httpWorkEnd();
    httpDisconnected();
    btnCancel->setEnabled(false);

    if (!Cancelled) {
        // Qt wanted the body once more: for a connection closed before any reply byte, or
        // for a redirect or challenge, whose status then says what went wrong.
        const bool notSentAgain = error == QNetworkReply::ContentReSendError;
        QString failure;
        if (FTooLarge)
            failure = QStringLiteral("Antwoord is te groot");
        else if (notSentAgain && !status.isValid())
            failure = QStringLiteral("Verbinding gesloten voordat er antwoord kwam");
        else if (error != QNetworkReply::NoError && !notSentAgain)
            failure = errorString;
        else if (const int code = status.toInt(); !status.isValid() || code < 200 || code > 299)
            failure = QStringLiteral("HTTP/1.1 %1 %2").arg(code).arg(reason);
        if (!failure.isEmpty()) {
            // Busy must not outlive a failed post, also when no Fetch is there to clear it
            // (the sign-off post).
            FBusy = false;
            throw TFetchError(failure);
        }
    }
    const bool result = WorkEnded && !Cancelled;
    FBusy = false;
    return result;
}

void TfrmFetcher::ApplyHeaders(QNetworkRequest &request) const
{
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(BodyContentType));
    request.setRawHeader("Accept", AcceptTypes);
    request.setRawHeader("Referer", RefererUrl);
    const QString version = AppVersion.isEmpty() ? QStringLiteral("?") : AppVersion;
    request.setHeader(QNetworkRequest::UserAgentHeader, QString(QLatin1String(UserAgentPrefix) + version));
    // Qt answers only a 401 challenge; the service expects the credentials at once.
    const QByteArray credentials = Codec::Encode(Settings.Key) + ':' + Codec::Encode(Settings.Password);
    request.setRawHeader("Authorization", "Basic " + credentials.toBase64());
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
}

QByteArray TfrmFetcher::EncodeCurArgs() const
{
    const QByteArray body = Encode(Codec::Encode(CurArgs), Codec::Encode(Settings.Key));
    DebugLog(DebugLevel::Requests, QStringLiteral("Encoded(%1) using %2").arg(CurArgs, Settings.Key));
    return body;
}

void TfrmFetcher::ConnectReply(QNetworkReply *reply, QByteArray &buffer)
{
    // Qt passes the limit on to its transfer thread only once the request has started,
    // which it does from the event loop: set it right after that.
    QMetaObject::invokeMethod(reply, [reply] { reply->setReadBufferSize(ReadBufferBytes); }, Qt::QueuedConnection);
    // There is no read time-out; any sign of life restarts the wait for the next one.
    tiStalled.start(stalledPostMs);
    const auto restart = qOverload<>(&QTimer::start);
    connect(reply, &QNetworkReply::socketStartedConnecting, &tiStalled, restart);
    connect(reply, &QNetworkReply::requestSent, &tiStalled, restart);
    connect(reply, &QNetworkReply::uploadProgress, &tiStalled, restart);
    connect(reply, &QNetworkReply::metaDataChanged, &tiStalled, restart);
    connect(reply, &QNetworkReply::readyRead, &tiStalled, restart);
    connect(reply, &QNetworkReply::downloadProgress, &tiStalled, restart);

    connect(reply, &QNetworkReply::socketStartedConnecting, this,
            [this] { httpStatus(THttpStatus::Connecting); });
    connect(reply, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64) {
        if (sent > 0)
            httpStatus(THttpStatus::Transfer);
    });
    connect(reply, &QNetworkReply::requestSent, this, [this] { httpStatus(THttpStatus::Connected); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const qint64 size = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        httpWorkBegin(size);
        if (size > MaxReplyBytes)
            RejectTooLarge(reply);
    });
    // No read time-out is allowed, so an endless stream is cut off by size, before the
    // bytes that would pass the limit are taken.
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, &buffer] {
        if (buffer.size() + reply->bytesAvailable() > MaxReplyBytes)
            RejectTooLarge(reply);
        else
            buffer.append(reply->readAll());
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 done, qint64) {
        httpWork(done);
        if (done > MaxReplyBytes)
            RejectTooLarge(reply);
    });
}

void TfrmFetcher::RejectTooLarge(QNetworkReply *reply)
{
    if (FTooLarge || reply->isFinished())
        return;
    FTooLarge = true;
    reply->abort();
}

void TfrmFetcher::BreakOff(const QString &why)
{
    DebugLog(DebugLevel::Requests, QStringLiteral("Post broken off: %1").arg(why));
    Cancelled = true;
    // Emits finished before it returns, which ends the wait in InternalFetch.
    if (FReply)
        FReply->abort();
}

void TfrmFetcher::HandleCompletedPost(TFetchRequest &request)
{
    FFailCount = 0;
    lblInfo->clear();
    HandleMessageHeader();
    HandleReplyBody(request);
}

void TfrmFetcher::HandleMessageHeader()
{
    const TServerMessage message = ParseMessageHeader(FMessageHeader);
    if (!message.Present)
        return;
    FMessageText = message.Text;
    FMessageAction = message.Action;
    Q_EMIT Message(FMessageText);
}

void TfrmFetcher::HandleReplyBody(TFetchRequest &request)
{
    QByteArray &body = request.Reply;
    if (body.isEmpty())
        return;
    QByteArray text;
    if (body.startsWith(ScrambleMarker)) {
        QByteArray scrambled = body.mid(1);
        DebugLog(DebugLevel::Requests, QStringLiteral("Decoding(%1) using %2")
                                           .arg(Codec::Decode(scrambled.left(LoggedScrambledChars)), Settings.Key));
        const QByteArray key = Codec::Encode(Settings.Key);
        // Without a key a scrambled reply cannot be read: it counts as a reply without
        // the command's echo.
        if (!key.isEmpty()) {
            Decode(scrambled, key);
            body.replace(1, scrambled.size(), scrambled);
            text = scrambled;
        }
    } else {
        text = body;
    }
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);
    FReplyLines = SplitReplyLines(Codec::Decode(text));

    if (DebugLogEnabled(DebugLevel::Requests)) {
        if (!FReplyLines.isEmpty())
            DebugLog(DebugLevel::Requests, QStringLiteral("Fetched result[0]: %1").arg(FReplyLines[0]));
        if (FReplyLines.size() > 1)
            DebugLog(DebugLevel::Data, QStringLiteral("Fetched result[1]: %1").arg(FReplyLines[1]));
    }
    Classify(request);
}

void TfrmFetcher::Classify(const TFetchRequest &request)
{
    const QString line0 = FReplyLines.value(0);
    if (line0.startsWith(QLatin1Char('X'))) {
        ++FErrorCount;
        QString message = FReplyLines.size() > 1 ? FReplyLines[1]
                                                 : QStringLiteral("Onbekende fout! Programma wordt afgesloten.");
        if (message == QLatin1String("UPGRADE")) {
            const QString updateUrl =
                Settings.UpdateUrl.isEmpty() ? QLatin1String(DefaultUpdateUrl) : Settings.UpdateUrl;
            message = QStringLiteral("Deze versie is verlopen!") + CrLf + QStringLiteral("Kijk op ") + updateUrl
                + QStringLiteral(" om uw versie bij te werken");
        }
        ShowFatalError(request, message);
        return;
    }
    if (FReplyLines.isEmpty() || line0 != request.Command) {
        ++FErrorCount;
        ShowProtocolError(request, !FReplyLines.isEmpty() && line0 == QLatin1String("!")
                                       ? QStringLiteral("Sessie is verlopen of afgesloten!")
                                       : QStringLiteral("Communicatie fout!"));
        return;
    }
    FErrorCount = 0;
    FReplyOk = true;
}

void TfrmFetcher::ShowFatalError(const TFetchRequest &request, const QString &message)
{
    ShowInfo(message, true);
    ShowByError();
    if (DetailsWanted()) {
        mLog->setPlainText(ForDisplay(DetailsText(request, message)));
        return;
    }
    mLog->setPlainText(ForDisplay(message));
    Q_EMIT StopPolling();
    Platform::Get().ShowMessage(TPlatform::TMessageKind::Error, QStringLiteral("ERROR"), message);
    Q_EMIT QuitRequested();
}

void TfrmFetcher::ShowProtocolError(const TFetchRequest &request, const QString &message)
{
    mLog->setPlainText(ForDisplay(DetailsWanted() ? DetailsText(request, message) : message));
    FReplyLines.clear();
    ShowInfo(message, true);
}

QString TfrmFetcher::DetailsText(const TFetchRequest &request, const QString &message) const
{
    QString text = QStringLiteral("Cmd = ") + request.Command + QStringLiteral(", args=") + request.Args + CrLf
        + message + CrLf;
    for (const QString &line : FReplyLines)
        text += line + CrLf;
    // The key itself is not shown: the window is for the user's eyes and screenshots.
    return text + CrLf + QStringLiteral("key=");
}

void TfrmFetcher::SignOff(bool show)
{
    ++FActiveCalls;
    tiCounter.stop();
    setVisible(show);
    ShownByFetch = false;
    Ticks = 0;
    lblStatus->setText(QStringLiteral("Verbinding afsluiten..."));

    // A post that is busy now runs beneath this call (everything shares one thread), so
    // Busy itself cannot clear before we return: wait for its transfer instead.
    QElapsedTimer waited;
    waited.start();
    while (FBusy && FReply && !FReply->isFinished() && !waited.hasExpired(signOffWaitMs)) {
        QEventLoop pause;
        QTimer::singleShot(SignOffWaitStepMs, &pause, &QEventLoop::quit);
        pause.exec();
    }
    const bool transferBelow = FBusy && FReply && !FReply->isFinished();
    // Stopping must not leave a post hanging for good, with polling stuck behind it: the
    // post beneath ends as if cancelled once we return to it.
    if (transferBelow)
        BreakOff(QStringLiteral("no answer before the sign-off"));

    lblStatus->setText(QStringLiteral("Afmelden..."));
    const QString command = CurCommand;
    const QString args = CurArgs;
    CurCommand = QStringLiteral("100");
    CurArgs = QStringLiteral("c=100");
    QByteArray ignored;
    // A service that never answers must not keep the program from closing.
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, this, [this] {
        if (FReply)
            FReply->abort();
    });
    limit.start(signOffWaitMs);
    // When the post beneath has finished its transfer, sign off all the same, and leave
    // its state as it was for the post to complete.
    const bool busyBelow = FBusy && !transferBelow;
    const bool workEnded = WorkEnded;
    const bool cancelled = Cancelled;
    QPointer<QNetworkReply> replyBelow = FReply;
    if (busyBelow)
        FBusy = false;
    try {
        InternalFetch(ignored);
    } catch (const std::exception &error) {
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1").arg(ErrorText(error)));
    }
    if (busyBelow) {
        FBusy = true;
        WorkEnded = workEnded;
        Cancelled = cancelled;
        FReply = replyBelow;
        CurCommand = command;
        CurArgs = args;
    }
    --FActiveCalls;
    ReleaseIfRetired();
}
