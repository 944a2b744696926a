#include "uHttpMessage.h"

QByteArray THttpRequest::Header(const QByteArray &name) const
{
    for (const auto &header : Headers) {
        if (header.first == name)
            return header.second;
    }
    return {};
}

bool THttpRequest::HasHeader(const QByteArray &name) const
{
    for (const auto &header : Headers) {
        if (header.first == name)
            return true;
    }
    return false;
}

bool THttpRequest::WantsKeepAlive() const
{
    const QByteArray connection = Header("connection").toLower();
    if (Version == "HTTP/1.0")
        return connection.contains("keep-alive");
    return !connection.contains("close");
}

void THttpResponse::AddHeader(const QByteArray &name, const QByteArray &value)
{
    Headers.append({name, value});
}

QByteArray THttpResponse::Serialize(bool keepAlive) const
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(Status) + ' ' + ReasonPhrase(Status) + "\r\n";
    for (const auto &header : Headers)
        out += header.first + ": " + header.second + "\r\n";
    out += "Content-Length: " + QByteArray::number(Body.size()) + "\r\n";
    out += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    out += "\r\n";
    out += Body;
    return out;
}

THttpResponse THttpResponse::Text(int status, const QByteArray &body)
{
    THttpResponse response;
    response.Status = status;
    response.AddHeader("Content-Type", "text/plain; charset=windows-1252");
    response.Body = body;
    return response;
}

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Status";
    }
}
