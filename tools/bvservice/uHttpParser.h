#pragma once

#include <QByteArray>

#include "uHttpMessage.h"

// Reads one HTTP/1.1 request from the front of a receive buffer: request line, headers,
// Content-Length body. Every byte is hostile, so every limit is checked and anything
// odd is an error status, never an exception or a guess.
namespace HttpParser {

constexpr qsizetype MaxHeadBytes = 16 * 1024;
constexpr qsizetype MaxBodyBytes = 1024 * 1024;
constexpr int MaxHeaders = 100;

struct TResult
{
    enum TKind { NeedMore, Complete, Error };
    TKind Kind = NeedMore;
    int Status = 0;              // the error status to answer with
    qsizetype Consumed = 0;      // bytes of the buffer that the complete request used
    bool HeadComplete = false;   // the head is in and valid
    bool ExpectContinue = false; // ... and the client waits for "100 Continue" before its body
};

// Parses from the start of buffer; fills request only when the result is Complete.
TResult Parse(const QByteArray &buffer, THttpRequest &request);

} // namespace HttpParser
