#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "uFetchReply.h"

// Both envelopes of the protocol, kept apart from the transport so they can be read
// without a connection: the scrambled request body, and what a reply body, its lines
// and its MSG header say.

// One protocol byte shared with the service: replies are XORed with it and the key.
constexpr unsigned char ReplyMask = 0xA5;

// Argument string to request body: each byte XOR the key, cycling, as two lower-case
// hex digits. An empty key gives an empty body.
QByteArray Encode(const QByteArray &args, const QByteArray &key);
// Unscrambles a reply body in place (without its ">" marker): byte XOR ReplyMask XOR key.
// With an empty key the body cannot be unscrambled and is left as it is.
void Decode(QByteArray &body, const QByteArray &key);

// Splits at CR LF, CR or LF; a final line end adds no empty line, an empty text no line.
QStringList SplitReplyLines(const QString &text);

// What the body of a completed post says for the command that was sent, unscrambled
// with Settings.Key: Ok, Empty, Refused or Fatal, the lines as read, for a refusal or a
// fatal reply the Dutch message to show, and the body with its scrambled part readable
// (picture data may follow the text).
struct TReplyReading
{
    TFetchOutcome Outcome = TFetchOutcome::Empty;
    QStringList Lines;
    QString Message;
    QByteArray Body;
};
TReplyReading ReadReply(const QByteArray &body, const QString &command);

// "+" becomes a space and "%" with two hexadecimal digits that byte; anything else,
// a broken escape included, is kept as it is.
QByteArray UrlDecode(const QByteArray &value);

// A server message: "<n> <text>", where at most n characters of the text count and an
// optional "|" separates the action from the text.
struct TServerMessage
{
    bool Present = false;
    QString Text;
    QString Action;
};

// Not present when the header is empty or its count is not above 0.
TServerMessage ParseMessageHeader(const QByteArray &rawValue);
