#pragma once

// Contract of the server link, written before its implementation: the monitor, the
// main window and the options dialog are built against these declarations.

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

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

// Argument string to request body: each byte XOR the key, cycling, as two lower-case
// hex digits. An empty key gives an empty body.
QByteArray Encode(const QByteArray &args, const QByteArray &key);
// Unscrambles a reply body in place (without its ">" marker): byte XOR ReplyMask XOR key.
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

    // private implementation details follow in the real header
};

// The process-wide connector: the main window creates it, the monitor may replace it.
TfrmFetcher *Connector();
void SetConnector(TfrmFetcher *connector);
