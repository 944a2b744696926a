#pragma once

// Contract of the server link, written before its implementation: the monitor, the
// main window and the options dialog are built against these declarations.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QNetworkReply;
class QNetworkRequest;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class TfrmFetcher;

// One protocol byte shared with the service: replies are XORed with it and the key.
constexpr unsigned char ReplyMask = 0xA5;

using TFetchCallback = std::function<void(TfrmFetcher &sender)>;

// One queued command; the connector's queue owns it.
struct TFetchRequest
{
    QString Title;
    QString Command;
    QString Args;
    QByteArray Reply;
    TFetchCallback Callback;
};

namespace FetcherTesting {
void AnswerWith(TfrmFetcher &fetcher, TFetchRequest &request, const QByteArray &messageHeader);
} // namespace FetcherTesting

// Argument string to request body: each byte XOR the key, cycling, as two lower-case
// hex digits. An empty key gives an empty body.
QByteArray Encode(const QByteArray &args, const QByteArray &key);
// Unscrambles a reply body in place (without its ">" marker): byte XOR ReplyMask XOR key.
// With an empty key the body cannot be unscrambled and is left as it is.
void Decode(QByteArray &body, const QByteArray &key);

// All traffic with the service: a FIFO queue pumped by a 50 ms timer, one blocking post
// at a time (the event loop keeps running inside it), reply classification, and a small
// tool window "Belvora Data Connector" that shows progress and errors.
class TfrmFetcher final : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmFetcher(QWidget *owner = nullptr);
    ~TfrmFetcher() override;

    // Appends a request; the builder sets Command and Args and starts the timer.
    TFetchRequest *NewRequest(const QString &title, TFetchCallback callback);

    // Command builders: queue a request and start the timer; nothing is sent here.
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

    // Sends command 100 outside the queue and stops the pump.
    void SignOff(bool show);
    // Starts the pump again when requests are still queued, as after a sign-off: a poll
    // queued just before it would otherwise wait for ever and keep the monitor busy.
    void Resume();

    // Handles the oldest queued request; normally called by the timer.
    void Fetch();

    // What a callback reads.
    const QStringList &ReplyLines() const;
    const QByteArray *ReplyStream() const;   // the raw body while a callback runs, else null
    bool ReplyOk() const;
    int ErrorCount() const;
    int FailCount() const;
    void SetFailCount(int count);            // a replacement starts with the old count
    QString MessageText() const;
    QString MessageAction() const;

    bool Busy() const;                       // a post is in progress
    bool Pumping() const { return tiCounter.isActive(); } // the queue's timer runs
    int QueuedCount() const;

    // The monitor replaces a connector from inside its callback: this hides it, stops its
    // pump and deletes it once its running Fetch has returned.
    void Retire();

Q_SIGNALS:
    // A server message from the MSG header (OnMessage).
    void Message(const QString &text);
    // A fatal "X" reply without debug flag 1: stop polling before the message box...
    void StopPolling();
    // ...and end the program after it.
    void QuitRequested();

private:
    // What the HTTP client reports; each state has its own text in lblInfo.
    enum class THttpStatus { Resolving, Connecting, Connected, Disconnecting, Disconnected, StatusText,
                             Transfer, Ready, Aborted, Other };

    // The window (uFetcherWindow.cpp).
    void CreateControls();
    void FormCreate();
    void httpStatus(THttpStatus status);
    void httpWorkBegin(qint64 size);
    void httpWork(qint64 done);
    void httpWorkEnd();
    void httpDisconnected();
    void btnCancelClick();
    void ShowStalled();
    void btnDetailsClick();
    void tiCounterTimer();
    void ShowInfo(const QString &text, bool error);
    void ShowByError();
    void HideIfShownByFetch();
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    // The transport (uFetcher.cpp).
    bool InternalFetch(QByteArray &buffer);
    void ApplyHeaders(QNetworkRequest &request) const;
    QByteArray EncodeCurArgs() const;
    void ConnectReply(QNetworkReply *reply, QByteArray &buffer);
    void RejectTooLarge(QNetworkReply *reply);
    void BreakOff(const QString &why);
    void HandleCompletedPost(TFetchRequest &request);
    void HandleMessageHeader();
    void HandleReplyBody(TFetchRequest &request);
    void Classify(const TFetchRequest &request);
    void ShowFatalError(const TFetchRequest &request, const QString &message);
    void ShowProtocolError(const TFetchRequest &request, const QString &message);
    QString DetailsText(const TFetchRequest &request, const QString &message) const;
    void HandleFailure(TFetchRequest &request, const QString &error);
    void RemoveRequest(const TFetchRequest *request);
    void HandOverQueue(TfrmFetcher &to);
    void ReleaseIfRetired();
    void StartPump();
    friend void SetConnector(TfrmFetcher *connector);
    friend void FetcherTesting::AnswerWith(TfrmFetcher &fetcher, TFetchRequest &request,
                                           const QByteArray &messageHeader);

    // Controls; the window owns them.
    QLabel *lblStatus = nullptr;
    QProgressBar *pg = nullptr;
    QLabel *lblInfo = nullptr;
    QPushButton *btnDetails = nullptr;
    QPushButton *btnCancel = nullptr;
    QLabel *lblTime = nullptr;
    QPlainTextEdit *mLog = nullptr;
    QNetworkAccessManager http;
    QTimer tiCounter;
    QTimer tiStalled;                    // a post without progress for this long offers its cancel

    std::deque<std::unique_ptr<TFetchRequest>> Requests;
    TFetchRequest *FRunning = nullptr;   // the request Fetch is handling
    QString CurCommand;
    QString CurArgs;
    QStringList PostLines;
    QStringList FReplyLines;
    const QByteArray *FReplyStream = nullptr;
    QString FMessageText;
    QString FMessageAction;
    QPointer<QNetworkReply> FReply;      // the running post
    QByteArray FMessageHeader;           // MSG header of the last completed post
    int Ticks = 0;
    bool ShownByFetch = false;
    bool FReplyOk = false;
    bool FBusy = false;
    bool WorkEnded = false;
    bool FTooLarge = false;             // the running post's reply passed the size limit
    bool Cancelled = false;
    int FErrorCount = 0;
    int FFailCount = 0;
    int FActiveCalls = 0;                // Fetch or SignOff on the stack: not yet safe to delete
    bool FFetchPosted = false;           // a tick has asked for a Fetch that has not yet run
    bool FRetired = false;
};

// Process-wide: a Fetch is running (guards against re-entry across connectors), and how
// many posts were refused because another was in progress.
bool FetchActive();
int DeferredCount();

// The process-wide connector: the main window creates it, the monitor may replace it.
TfrmFetcher *Connector();
void SetConnector(TfrmFetcher *connector);
