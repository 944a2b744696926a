#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The provider's side of the envelope: request bodies arrive as hex pairs XORed with the
// account key, replies leave with a ">" marker and each byte XORed with ReplyMask and
// the key, a server message travels URL-encoded in the MSG header.
namespace Envelope {

constexpr unsigned char ReplyMask = 0xA5;

// The argument string of a request body, or nothing when the body is not hex pairs.
std::optional<QByteArray> DecodeRequest(const QByteArray &body, const QByteArray &key);

// ">" followed by the scrambled text; an empty key leaves the text as it is.
QByteArray ScrambleReply(const QByteArray &text, const QByteArray &key);

// The MSG header value for a message: its length, a blank and the text, URL-encoded.
QByteArray MessageHeader(const QByteArray &text);

// "c=103&x=4" as ordered name/value pairs; values are taken as they are.
class TArgs final
{
public:
    explicit TArgs(const QString &argString);

    QString Value(const QString &name) const;
    bool Has(const QString &name) const;
    const QList<QPair<QString, QString>> &Pairs() const { return Items; }

private:
    QList<QPair<QString, QString>> Items;
};

} // namespace Envelope
