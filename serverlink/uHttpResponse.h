#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QPair>

// Reads one HTTP/1.1 response as its bytes arrive: the status line, the head and the
// body (by Content-Length, chunked, or up to the close), each within its limit. Knows
// nothing of sockets, so any bytes can be fed to it.
class THttpResponseReader final
{
public:
    enum class TState { Head, Body, Complete, TooLarge, Malformed };

    // The head (status line and header lines) may take at most `maxHeadBytes`, the body
    // at most `maxBodyBytes`.
    THttpResponseReader(qsizetype maxHeadBytes, qsizetype maxBodyBytes);

    // Takes the next bytes; returns the state after them.
    TState Feed(QByteArrayView bytes);
    // The connection closed: a body that runs to the close is complete, anything else not.
    TState Closed();

    TState State() const { return m_state; }
    bool HeadRead() const { return m_status > 0; }
    int Status() const { return m_status; }
    // The first value of that header (name in any case), or empty.
    QByteArray Header(QByteArrayView name) const;
    QByteArrayList Headers(QByteArrayView name) const;
    // The length the head announced, or -1.
    qint64 ContentLength() const { return m_length; }
    const QByteArray &Body() const { return m_body; }

private:
    enum class TBody { Length, Chunked, ToClose };
    enum class TChunk { Size, Data, DataEnd, Trailer };

    // Takes a line (without its CR LF) if one ends within `limit` bytes; past that the
    // state becomes `overflow`.
    bool ReadLine(QByteArray &line, qsizetype limit, TState overflow);
    void ReadHead();
    void ParseHead();
    void ReadBody();
    void ReadChunks();
    void Take(qsizetype count);

    const qsizetype m_maxHead;
    const qsizetype m_maxBody;
    TState m_state = TState::Head;
    QByteArray m_pending;      // bytes fed and not yet read
    QByteArray m_head;
    int m_status = 0;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    TBody m_bodyKind = TBody::ToClose;
    TChunk m_chunk = TChunk::Size;
    qint64 m_length = -1;
    qint64 m_chunkLeft = 0;
    QByteArray m_body;
};
