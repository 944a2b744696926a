#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The parts of a reply that do not depend on the transport, kept apart so they can be
// read without a connection: line splitting and the MSG header.

// Splits at CR LF, CR or LF; a final line end adds no empty line, an empty text no line.
QStringList SplitReplyLines(const QString &text);

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
