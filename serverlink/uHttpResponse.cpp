#include "uHttpResponse.h"

namespace {

// A chunk-size line is a hex number with optional extensions: far below this.
constexpr qsizetype MaxChunkLineBytes = 1024;

bool IsInterim(int status)
{
    // 101 switches protocols, which a post never asks for: it counts as a final answer.
    return status >= 100 && status < 200 && status != 101;
}

} // namespace

THttpResponseReader::THttpResponseReader(qsizetype maxHeadBytes, qsizetype maxBodyBytes)
    : m_maxHead(maxHeadBytes), m_maxBody(maxBodyBytes)
{
}

THttpResponseReader::TState THttpResponseReader::Feed(QByteArrayView bytes)
{
    if (m_state != TState::Head && m_state != TState::Body)
        return m_state;
    m_pending.append(bytes);
    if (m_state == TState::Head)
        ReadHead();
    if (m_state == TState::Body)
        ReadBody();
    return m_state;
}

THttpResponseReader::TState THttpResponseReader::Closed()
{
    if (m_state == TState::Body && m_bodyKind == TBody::ToClose)
        m_state = TState::Complete;
    return m_state;
}

QByteArray THttpResponseReader::Header(QByteArrayView name) const
{
    for (const auto &[key, value] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArrayList THttpResponseReader::Headers(QByteArrayView name) const
{
    QByteArrayList values;
    for (const auto &[key, value] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            values.append(value);
    }
    return values;
}

bool THttpResponseReader::ReadLine(QByteArray &line, qsizetype limit, TState overflow)
{
    const qsizetype end = m_pending.indexOf('\n');
    if (end < 0 || end > limit) {
        if (m_pending.size() > limit)
            m_state = overflow;
        return false;
    }
    line = m_pending.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    m_pending.remove(0, end + 1);
    return true;
}

void THttpResponseReader::ReadHead()
{
    QByteArray line;
    while (m_state == TState::Head && ReadLine(line, m_maxHead - m_head.size(), TState::TooLarge)) {
        if (!line.isEmpty()) {
            m_head.append(line).append('\n');
            continue;
        }
        // A blank line before the status line is left over from before: skip it.
        if (m_head.isEmpty())
            continue;
        ParseHead();
    }
}

void THttpResponseReader::ParseHead()
{
    const QList<QByteArray> lines = m_head.split('\n');
    const QList<QByteArray> statusLine = lines.value(0).split(' ');
    bool ok = false;
    const int status = statusLine.value(1).toInt(&ok);
    if (!statusLine.value(0).startsWith("HTTP/1.") || !ok || status < 100 || status > 999) {
        m_state = TState::Malformed;
        return;
    }
    QList<QPair<QByteArray, QByteArray>> headers;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0) {
            m_state = TState::Malformed;
            return;
        }
        headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    m_head.clear();
    if (IsInterim(status))
        return;
    m_status = status;
    m_headers = std::move(headers);

    if (Header("transfer-encoding").toLower().contains("chunked")) {
        m_bodyKind = TBody::Chunked;
    } else if (const QByteArray length = Header("content-length"); !length.isEmpty()) {
        m_length = length.toLongLong(&ok);
        if (!ok || m_length < 0) {
            m_state = TState::Malformed;
            return;
        }
        m_bodyKind = TBody::Length;
    }
    m_state = TState::Body;
    if (m_length > m_maxBody)
        m_state = TState::TooLarge;
    else if (m_status == 204 || m_status == 304 || (m_bodyKind == TBody::Length && m_length == 0))
        m_state = TState::Complete;
}

void THttpResponseReader::Take(qsizetype count)
{
    if (m_body.size() + count > m_maxBody) {
        m_state = TState::TooLarge;
        return;
    }
    m_body.append(m_pending.constData(), count);
    m_pending.remove(0, count);
}

void THttpResponseReader::ReadBody()
{
    switch (m_bodyKind) {
    case TBody::Length:
        Take(qMin(m_pending.size(), qsizetype(m_length) - m_body.size()));
        if (m_state == TState::Body && m_body.size() == m_length)
            m_state = TState::Complete;
        break;
    case TBody::ToClose:
        Take(m_pending.size());
        break;
    case TBody::Chunked:
        ReadChunks();
        break;
    }
}

void THttpResponseReader::ReadChunks()
{
    QByteArray line;
    while (m_state == TState::Body) {
        switch (m_chunk) {
        case TChunk::Size: {
            if (!ReadLine(line, MaxChunkLineBytes, TState::Malformed))
                return;
            const qsizetype extension = line.indexOf(';');
            bool ok = false;
            m_chunkLeft = line.left(extension < 0 ? line.size() : extension).trimmed().toLongLong(&ok, 16);
            if (!ok || m_chunkLeft < 0) {
                m_state = TState::Malformed;
                return;
            }
            if (m_body.size() + m_chunkLeft > m_maxBody) {
                m_state = TState::TooLarge;
                return;
            }
            m_chunk = m_chunkLeft == 0 ? TChunk::Trailer : TChunk::Data;
            break;
        }
        case TChunk::Data: {
            const qsizetype count = qMin(m_pending.size(), qsizetype(m_chunkLeft));
            if (count == 0)
                return;
            Take(count);
            m_chunkLeft -= count;
            if (m_chunkLeft == 0)
                m_chunk = TChunk::DataEnd;
            break;
        }
        case TChunk::DataEnd:
            if (!ReadLine(line, 2, TState::Malformed))
                return;
            if (!line.isEmpty())
                m_state = TState::Malformed;
            m_chunk = TChunk::Size;
            break;
        case TChunk::Trailer:
            // Trailer fields count as head, and are not kept.
            if (!ReadLine(line, m_maxHead - m_head.size(), TState::TooLarge))
                return;
            m_head.append(line).append('\n');
            if (line.isEmpty())
                m_state = TState::Complete;
            break;
        }
    }
}
