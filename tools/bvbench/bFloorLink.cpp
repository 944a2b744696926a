#include "bFloorLink.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr char ReplyMarker = '>';
constexpr unsigned char ReplyMask = 0xA5;

} // namespace

TFloorLink::TFloorLink(const QUrl &url, const QByteArray &key, const QByteArray &password, QObject *parent)
    : QObject(parent)
    , Url(url)
    , Key(key)
    , Authorization("Basic " + (key + ':' + password).toBase64())
    , Decoder("windows-1252")
{
}

bool TFloorLink::Post(const QByteArray &args, TReplied replied)
{
    if (Busy || Key.isEmpty())
        return false;
    QByteArray scrambled = args;
    for (qsizetype i = 0; i < scrambled.size(); ++i)
        scrambled[i] = char(scrambled[i] ^ Key[i % Key.size()]);
    QNetworkRequest request(Url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Authorization", Authorization);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    Busy = true;
    QNetworkReply *reply = Network.post(request, scrambled.toHex());
    connect(reply, &QNetworkReply::finished, this, [this, reply, replied = std::move(replied)] {
        reply->deleteLater();
        Busy = false;
        QByteArray bytes = reply->readAll();
        if (reply->error() != QNetworkReply::NoError || !bytes.startsWith(ReplyMarker))
            return;
        char *data = bytes.data();
        const char *key = Key.constData();
        const qsizetype keySize = Key.size();
        for (qsizetype i = 1; i < bytes.size(); ++i)
            data[i] = char(data[i] ^ ReplyMask ^ key[(i - 1) % keySize]);
        replied(Decoder.decode(QByteArrayView(bytes).sliced(1)));
    });
    return true;
}
