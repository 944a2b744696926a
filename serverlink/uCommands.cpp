// The numbered commands of the service: each builder queues one request with its
// progress title and argument string and starts the pump; nothing is sent here.

#include "uFetcher.h"

#include "uGlobal.h"
#include "uPayout.h"

namespace {

void SetCommand(TFetchRequest &request, int number, const QString &pairs = QString())
{
    request.Command = QString::number(number);
    request.Args = QStringLiteral("c=") + request.Command + pairs;
}

} // namespace

void TFetcher::AddAccountKey(const QString &key, bool active, TFetchCallback callback)
{
    TFetchRequest *request = NewRequest(QStringLiteral("Account key toevoegen"), std::move(callback));
    SetCommand(*request, 101,
               QStringLiteral("&k=") + key + QStringLiteral("&a=") + (active ? QLatin1Char('1') : QLatin1Char('0')));
    StartPump();
}

void TFetcher::RequestDetails(const QString &progCode, int siteId, TFetchCallback callback, int promoterId,
                                 qint64 pictureDate)
{
    TFetchRequest *request = NewRequest(QStringLiteral("Details ophalen"), std::move(callback));
    QString pairs = QStringLiteral("&s=%1&p=%2&x=").arg(siteId).arg(promoterId) + progCode;
    // No cached picture (0 or -1): the service sends one.
    if (pictureDate > 0)
        pairs += QStringLiteral("&b=") + QString::number(pictureDate);
    SetCommand(*request, 102, pairs);
    StartPump();
}

void TFetcher::RequestCallers(int count, TFetchCallback callback)
{
    // The callers reply names programmes by code: fetch them first.
    if (TPProgs.empty())
        RequestPartnerProgrammes([](const TFetchReply &reply) { ProgsFetched(reply.ReplyOk(), reply.ReplyLines); });
    TFetchRequest *request = NewRequest(QStringLiteral("Actuele bellerslijst opvragen"), std::move(callback));
    SetCommand(*request, 103, count >= 0 ? QStringLiteral("&x=") + QString::number(count) : QString());
    StartPump();
}

void TFetcher::RemoveAccountKey(const QString &key, TFetchCallback callback)
{
    TFetchRequest *request = NewRequest(QStringLiteral("Account key verwijderen"), std::move(callback));
    SetCommand(*request, 105, QStringLiteral("&k=") + key);
    StartPump();
}

void TFetcher::RequestPartnerProgrammes(TFetchCallback callback)
{
    TFetchRequest *request = NewRequest(QStringLiteral("Partnerprogamma's ophalen"), std::move(callback));
    SetCommand(*request, 106);
    StartPump();
}

void TFetcher::RequestAccountKeys(TFetchCallback callback)
{
    TFetchRequest *request = NewRequest(QStringLiteral("Account keys ophalen"), std::move(callback));
    SetCommand(*request, 107);
    StartPump();
}

void TFetcher::RequestCallerHistory(TFetchCallback callback)
{
    if (TPProgs.empty())
        RequestPartnerProgrammes([](const TFetchReply &reply) { ProgsFetched(reply.ReplyOk(), reply.ReplyLines); });
    TFetchRequest *request = NewRequest(QStringLiteral("Beller historie ophalen"), std::move(callback));
    QString pairs;
    for (const auto &prog : TPProgs) {
        if (prog->LastIdPpm > 0 || prog->LastIdOther > 0)
            pairs += QStringLiteral("&%1=%2,%3").arg(prog->ProgCode.text()).arg(prog->LastIdPpm).arg(prog->LastIdOther);
    }
    SetCommand(*request, 108, pairs);
    StartPump();
}

void TFetcher::RequestData(TFetchCallback callback)
{
    TFetchRequest *request = NewRequest(QStringLiteral("Gegevens ophalen"), std::move(callback));
    SetCommand(*request, 110);
    StartPump();
}

void TFetcher::SaveData(const QString &email, const QString &mobile, const QString &msn, TFetchCallback callback)
{
    TFetchRequest *request = NewRequest(QStringLiteral("Gegevens opslaan"), std::move(callback));
    SetCommand(*request, 111, QStringLiteral("&e=") + email + QStringLiteral("&p=") + mobile + QStringLiteral("&m=") + msn);
    StartPump();
}
