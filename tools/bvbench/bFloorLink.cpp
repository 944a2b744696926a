#include "bFloorLink.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr char ReplyMarker = '>';
constexpr unsigned char ReplyMask = 0xA5;

} // namespace

TFloorLink::TFloorLink(const QUrl &url, const QByteArray &key, const QByteArray &password, QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_key(key)
    , m_authorization("Basic " + (key + ':' + password).toBase64())
    , m_decoder("windows-1252")
{
}

bool TFloorLink::Post(const QByteArray &args, TReplied replied)
{
    if (m_busy || m_key.isEmpty())
        return false;
    QByteArray scrambled = args;
    for (qsizetype i = 0; i < scrambled.size(); ++i)
        scrambled[i] = char(scrambled[i] ^ m_key[i % m_key.size()]);
    QNetworkRequest request(m_url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Authorization", m_authorization);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    m_busy = true;
    QNetworkReply *reply = m_network.post(request, scrambled.toHex());
    connect(reply, &QNetworkReply::finished, this, [this, reply, replied = std::move(replied)] {
        reply->deleteLater();
        m_busy = false;
        QByteArray bytes = reply->readAll();
        if (reply->error() != QNetworkReply::NoError || !bytes.startsWith(ReplyMarker))
            return;
        char *data = bytes.data();
        const char *key = m_key.constData();
        const qsizetype keySize = m_key.size();
        for (qsizetype i = 1; i < bytes.size(); ++i)
            data[i] = char(data[i] ^ ReplyMask ^ key[(i - 1) % keySize]);
        replied(m_decoder.decode(QByteArrayView(bytes).sliced(1)));
    });
    return true;
}
