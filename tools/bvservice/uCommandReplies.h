#pragma once

#include <QByteArray>
#include <QStringList>

#include "uEnvelope.h"

class TAccountBook;
class TSimulation;

// Builds the reply of each command 100 to 111 from the simulated day and the account
// book: the lines (line 0 echoes the command) and, for the details command, a picture
// after the text. Knows nothing of HTTP, sessions or scrambling.
class TCommandReplies final
{
public:
    struct TReply
    {
        QStringList Lines;
        QByteArray Tail;     // raw bytes after the text (the programme picture)
    };

    TCommandReplies(TSimulation &simulation, TAccountBook &accounts);

    TReply Answer(const QString &command, const Envelope::TArgs &args);

    static QString Stamp(qint64 localSeconds);

private:
    QStringList AddAccount(const Envelope::TArgs &args);
    TReply Details(const Envelope::TArgs &args);
    QStringList Callers();
    QStringList RemoveAccount(const Envelope::TArgs &args);
    QStringList Programmes();
    QStringList AccountKeys();
    QStringList CallerHistory(const Envelope::TArgs &args);
    QStringList ContactData();
    QStringList SaveContactData(const Envelope::TArgs &args);

    TSimulation &Simulation;
    TAccountBook &Accounts;
};
