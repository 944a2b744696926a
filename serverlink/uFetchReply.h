#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// How one request ended, as its requester and the connector window see it.
enum class TFetchOutcome {
    Ok,               // the reply repeats the command on line 0
    Empty,            // the post completed with an empty body: nothing to read
    Refused,          // a reply without the command's echo, or "!" (session gone)
    Fatal,            // an "X" reply: the service will not serve this program
    TransportFailure, // no complete reply: network, HTTP status, size or time limit
    Cancelled,        // broken off by the user, the sign-off or the program's end
};

// What a request's callback receives: the reply and the connector's counts at that moment.
struct TFetchReply
{
    TFetchOutcome Outcome = TFetchOutcome::Cancelled;
    QStringList ReplyLines;  // line 0 is the command echo; emptied for a refused reply
    QByteArray ReplyStream;  // the raw body of a completed post (picture data follow the text)
    QString ErrorText;       // Dutch: the refusal, the fatal message or why the transfer failed
    int ErrorCount = 0;      // replies in a row that were refused or fatal
    int FailCount = 0;       // failed transfers in a row before this one
    QString MessageText;     // the last server message (MSG header) and its action
    QString MessageAction;

    bool ReplyOk() const { return Outcome == TFetchOutcome::Ok; }
};

using TFetchCallback = std::function<void(const TFetchReply &reply)>;

// One queued command; the connector's queue owns it.
struct TFetchRequest
{
    QString Title;
    QString Command;
    QString Args;
    TFetchCallback Callback;
};
