#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QStringDecoder>
#include <QString>
#include <QUrl>

#include <functional>

// The floor's way to the service: one POST per command, the argument string scrambled
// with the account key and the reply unscrambled and decoded, the
// least the protocol asks of any client. One request at a time; a failed one is dropped.
class TFloorLink final : public QObject
{
public:
    using TReplied = std::function<void(const QString &reply)>;

    TFloorLink(const QUrl &url, const QByteArray &key, const QByteArray &password, QObject *parent = nullptr);
    // False while a request is still out.
    bool Post(const QByteArray &args, TReplied replied);

private:
    QNetworkAccessManager Network;
    QUrl Url;
    QByteArray Key;
    QByteArray Authorization;
    QStringDecoder Decoder;
    bool Busy = false;
};
