#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <deque>
#include <functional>

class QTcpSocket;

// One HTTP request as it arrived on the wire; header names in lower case.
struct TRecordedRequest
{
    QByteArray Method;
    QByteArray Path;
    QMap<QByteArray, QByteArray> Headers;
    QByteArray Body;
};

// What the server does with one request: write each step after its delay, then close
// the connection or leave it hanging. No steps and closing is a dropped connection.
struct TServerAction
{
    struct TStep
    {
        int DelayMs = 0;
        QByteArray Bytes;
    };
    QList<TStep> Steps;
    bool Close = true;

    static TServerAction Reply(const QByteArray &raw) { return {{{0, raw}}, true}; }
    static TServerAction Drop() { return {{}, true}; }
    static TServerAction Hang() { return {{}, false}; }
};

// A real HTTP/1.1 server on 127.0.0.1 for the server-link tests: it records every request
// and answers with exact bytes, scripted per request or computed by a responder.
class TLoopbackServer final : public QObject
{
    Q_OBJECT
public:
    using TResponder = std::function<TServerAction(const TRecordedRequest &)>;

    explicit TLoopbackServer(QObject *parent = nullptr);

    QUrl Url() const;
    // Scripted actions go first, in order; then the responder (default: echo the command).
    void Enqueue(const TServerAction &action) { m_script.push_back(action); }
    void SetResponder(TResponder responder) { m_responder = std::move(responder); }
    // Answers every connection left hanging.
    void ReleaseHung(const QByteArray &raw);

    QList<TRecordedRequest> Requests;
    int MaxOpen = 0;   // most requests waiting for an answer at one time

    static QByteArray HttpReply(const QByteArray &body, int status = 200, const QByteArray &extraHeaders = {});
    // The service's scrambling, written independently of the program's: ">" marker, then
    // every byte XOR 0xA5 XOR the key.
    static QByteArray Scramble(const QByteArray &plain, const QByteArray &key);
    // A request body back to its argument string.
    static QByteArray Unscramble(const QByteArray &hexBody, const QByteArray &key);
    // Replies with line 0 the command number of the request (unscrambled with the key).
    static TResponder EchoResponder(const QByteArray &key, const QByteArray &data = {});

Q_SIGNALS:
    void RequestReceived(int index);

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket *socket);
    void Perform(QTcpSocket *socket, const TServerAction &action);
    void Finish(QTcpSocket *socket);

    QTcpServer m_server;
    std::deque<TServerAction> m_script;
    TResponder m_responder;
    QMap<QTcpSocket *, QByteArray> m_pending;
    QList<QTcpSocket *> m_hung;
    QList<QTcpSocket *> m_open;
};
