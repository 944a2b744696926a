#include "uHttpParser.h"

namespace HttpParser {

namespace {

bool IsTokenChar(char c)
{
    if (c >= 'a' && c <= 'z') return true;
    if (c >= 'A' && c <= 'Z') return true;
    if (c >= '0' && c <= '9') return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool IsToken(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!IsTokenChar(c))
            return false;
    }
    return true;
}

bool HasControl(const QByteArray &text)
{
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t') || u == 0x7F)
            return true;
    }
    return false;
}

TResult Fail(int status)
{
    TResult result;
    result.Kind = TResult::Error;
    result.Status = status;
    return result;
}

// Splits the head into lines at LF, dropping a CR just before it; a lone CR is an error.
bool SplitLines(const QByteArray &head, QList<QByteArray> &lines)
{
    for (const QByteArray &raw : head.split('\n')) {
        QByteArray line = raw;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains('\r'))
            return false;
        lines.append(line);
    }
    return true;
}

bool ParseRequestLine(const QByteArray &line, THttpRequest &request, int &status)
{
    const QList<QByteArray> parts = line.split(' ');
    status = 400;
    if (parts.size() != 3 || !IsToken(parts[0]) || parts[1].isEmpty() || HasControl(parts[1]))
        return false;
    if (!parts[2].startsWith("HTTP/"))
        return false;
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0") {
        status = 505;
        return false;
    }
    request.Method = parts[0];
    request.Target = parts[1];
    request.Version = parts[2];
    return true;
}

} // namespace

TResult Parse(const QByteArray &buffer, THttpRequest &request)
{
    // Blank lines before a request line are tolerated, as clients may send them.
    qsizetype start = 0;
    while (start < buffer.size() && (buffer[start] == '\r' || buffer[start] == '\n'))
        ++start;

    qsizetype headEnd = -1;
    qsizetype bodyStart = -1;
    for (qsizetype i = start; i < buffer.size(); ++i) {
        if (buffer[i] != '\n')
            continue;
        if (i + 1 < buffer.size() && buffer[i + 1] == '\n') {
            headEnd = i;
            bodyStart = i + 2;
            break;
        }
        if (i + 2 < buffer.size() && buffer[i + 1] == '\r' && buffer[i + 2] == '\n') {
            headEnd = i;
            bodyStart = i + 3;
            break;
        }
    }
    if (headEnd < 0) {
        if (buffer.size() - start > MaxHeadBytes)
            return Fail(431);
        return {};
    }
    if (headEnd - start > MaxHeadBytes)
        return Fail(431);

    QList<QByteArray> lines;
    if (!SplitLines(buffer.mid(start, headEnd - start), lines) || lines.isEmpty())
        return Fail(400);

    THttpRequest parsed;
    int status = 400;
    if (!ParseRequestLine(lines.first(), parsed, status))
        return Fail(status);
    if (lines.size() - 1 > MaxHeaders)
        return Fail(431);

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(':');
        // A folded continuation line or a name with blanks is refused, as RFC 9112 asks.
        if (colon <= 0)
            return Fail(400);
        const QByteArray name = line.left(colon);
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (!IsToken(name) || HasControl(value))
            return Fail(400);
        parsed.Headers.append({name.toLower(), value});
    }

    if (parsed.HasHeader("transfer-encoding"))
        return Fail(501);

    qsizetype length = 0;
    bool lengthSeen = false;
    for (const auto &header : parsed.Headers) {
        if (header.first != "content-length")
            continue;
        const QByteArray &value = header.second;
        if (value.isEmpty() || value.size() > 12)
            return Fail(value.size() > 12 ? 413 : 400);
        for (char c : value) {
            if (c < '0' || c > '9')
                return Fail(400);
        }
        const qsizetype number = value.toLongLong();
        if (lengthSeen && number != length)
            return Fail(400);
        length = number;
        lengthSeen = true;
    }
    if (length > MaxBodyBytes)
        return Fail(413);

    if (buffer.size() - bodyStart < length) {
        TResult result;
        result.HeadComplete = true;
        result.ExpectContinue = parsed.Header("expect").toLower() == "100-continue";
        return result;
    }

    parsed.Body = buffer.mid(bodyStart, length);
    request = std::move(parsed);
    TResult result;
    result.Kind = TResult::Complete;
    result.Consumed = bodyStart + length;
    result.HeadComplete = true;
    return result;
}

} // namespace HttpParser
