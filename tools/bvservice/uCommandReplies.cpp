#include "uCommandReplies.h"

#include <QDateTime>
#include <QHash>

#include "uAccountBook.h"
#include "uPicture.h"
#include "uSimTables.h"
#include "uSimulation.h"

namespace {

// A value from the client must not break the line structure of a later reply.
QString OneLine(const QString &text)
{
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ').replace(QChar(u'\0'), u' ');
    return line;
}

} // namespace

TCommandReplies::TCommandReplies(TSimulation &simulation, TAccountBook &accounts)
    : Simulation(simulation), Accounts(accounts)
{
}

QString TCommandReplies::Stamp(qint64 localSeconds)
{
    return QDateTime::fromSecsSinceEpoch(localSeconds, Qt::UTC).toString(QStringLiteral("yyyyMMdd HHmmss"));
}

TCommandReplies::TReply TCommandReplies::Answer(const QString &command, const Envelope::TArgs &args)
{
    TReply reply;
    if (command == u"100")
        reply.Lines = {QStringLiteral("OK")};
    else if (command == u"101")
        reply.Lines = AddAccount(args);
    else if (command == u"102")
        reply = Details(args);
    else if (command == u"103")
        reply.Lines = Callers();
    else if (command == u"105")
        reply.Lines = RemoveAccount(args);
    else if (command == u"106")
        reply.Lines = Programmes();
    else if (command == u"107")
        reply.Lines = AccountKeys();
    else if (command == u"108")
        reply.Lines = CallerHistory(args);
    else if (command == u"110")
        reply.Lines = ContactData();
    else if (command == u"111")
        reply.Lines = SaveContactData(args);
    else {
        // No echo: the client sees a communication error, not a fatal one.
        reply.Lines = {QStringLiteral("?"), QStringLiteral("Onbekend commando")};
        return reply;
    }
    reply.Lines.prepend(command);
    return reply;
}

QStringList TCommandReplies::AddAccount(const Envelope::TArgs &args)
{
    QString name;
    const QString error = Accounts.Add(OneLine(args.Value(QStringLiteral("k"))),
                                       args.Value(QStringLiteral("a")) == u"1", name);
    if (!error.isEmpty())
        return {QStringLiteral("FOUT"), error};
    return {QStringLiteral("OK"), name};
}

TCommandReplies::TReply TCommandReplies::Details(const Envelope::TArgs &args)
{
    TReply reply;
    reply.Lines = {SimTables::SiteName(args.Value(QStringLiteral("s")).toInt()),
                   SimTables::PromoterName(args.Value(QStringLiteral("p")).toInt())};
    const QString code = args.Value(QStringLiteral("x"));
    bool known = false;
    for (const auto &programme : SimTables::Programmes())
        known = known || programme.Code == code;
    // The client sends the age of the picture it holds; a copy at least as new as ours
    // needs no picture.
    const qint64 held = args.Value(QStringLiteral("b")).toLongLong();
    if (known && held < Picture::Stamp)
        reply.Tail = Picture::ProgrammeBitmap(code);
    return reply;
}

QStringList TCommandReplies::Callers()
{
    const qint64 now = Simulation.Now();
    const auto &programmes = SimTables::Programmes();
    QStringList lines;
    lines.append(QStringLiteral("=|%1|%2").arg(Stamp(now)).arg(Simulation.Online().size()));
    for (const TSimCall &call : Simulation.Online()) {
        lines.append(QStringList{
            u'+' + programmes[call.Programme].Code,
            call.OnlineId,
            call.NameAt(now),
            QString::number(call.Country),
            QString::number(call.SiteId),
            QString::number(call.PromoterId),
            QString::number(call.Access),
            call.CallerId,
            Stamp(call.Start),
            QString::number(now - call.Start),
            QString::number(call.Start),
            call.Info,
            call.IP,
        }.join(u'|'));
    }
    for (const TSimTotal &total : Simulation.Totals()) {
        lines.append(QStringLiteral("$%1|%2|%3|%4|%5")
                         .arg(programmes[total.Programme].Code)
                         .arg(total.Country)
                         .arg(total.Access)
                         .arg(total.Calls)
                         .arg(total.Seconds));
    }
    return lines;
}

QStringList TCommandReplies::RemoveAccount(const Envelope::TArgs &args)
{
    const QString key = OneLine(args.Value(QStringLiteral("k")));
    const QString error = Accounts.Remove(key);
    if (!error.isEmpty())
        return {QStringLiteral("FOUT"), error};
    return {QStringLiteral("OK"), key};
}

QStringList TCommandReplies::Programmes()
{
    QStringList lines;
    for (const auto &programme : SimTables::Programmes())
        lines.append(programme.Code + u':' + programme.Name);
    return lines;
}

QStringList TCommandReplies::AccountKeys()
{
    QStringList lines{QStringLiteral("OK")};
    for (const auto &account : Accounts.Accounts())
        lines.append(TAccountBook::AccountLine(account));
    return lines;
}

QStringList TCommandReplies::CallerHistory(const Envelope::TArgs &args)
{
    // Per programme code: the highest id the client has of per-minute calls and of others.
    QHash<QString, QPair<qint64, qint64>> marks;
    for (const auto &pair : args.Pairs()) {
        if (pair.first == u"c")
            continue;
        const QStringList ids = pair.second.split(u',');
        marks.insert(pair.first, {ids.value(0).toLongLong(), ids.value(1).toLongLong()});
    }
    const auto &programmes = SimTables::Programmes();
    QStringList lines;
    for (const TSimCall &call : Simulation.History()) {
        const QString &code = programmes[call.Programme].Code;
        const QPair<qint64, qint64> mark = marks.value(code, {0, 0});
        if (call.HistoryId <= (call.IsPerMinute() ? mark.first : mark.second))
            continue;
        lines.append(QStringList{
            code,
            QString::number(call.HistoryId),
            call.Name,
            QString::number(call.Country),
            QString::number(call.SiteId),
            QString::number(call.PromoterId),
            QString::number(call.Access),
            call.CallerId,
            Stamp(call.Start),
            QString::number(call.Start),
            Stamp(call.End),
            QString::number(call.End - call.Start),
            call.Info,
            call.IP,
        }.join(u'|'));
    }
    return lines;
}

QStringList TCommandReplies::ContactData()
{
    return {Accounts.Email, Accounts.Mobile, Accounts.Msn};
}

QStringList TCommandReplies::SaveContactData(const Envelope::TArgs &args)
{
    Accounts.Email = OneLine(args.Value(QStringLiteral("e")));
    Accounts.Mobile = OneLine(args.Value(QStringLiteral("p")));
    Accounts.Msn = OneLine(args.Value(QStringLiteral("m")));
    return {QStringLiteral("OK")};
}
