#include "uFaults.h"

namespace {

bool ReadNumber(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < low || number > high)
        return false;
    value = number;
    return true;
}

bool ParseCondition(const QString &condition, TFault &fault, QString &error)
{
    const qsizetype equals = condition.indexOf(u'=');
    const QString name = condition.left(equals);
    const QString value = equals < 0 ? QString() : condition.mid(equals + 1);
    if (name == u"cmd" && !value.isEmpty()) {
        fault.Command = value;
        return true;
    }
    if (name == u"every" && ReadNumber(value, 1, 1000000, fault.Every))
        return true;
    if (name == u"skip" && ReadNumber(value, 0, 1000000, fault.Skip))
        return true;
    if (name == u"times" && ReadNumber(value, 0, 1000000, fault.Times))
        return true;
    error = QStringLiteral("bad fault condition \"%1\"").arg(condition);
    return false;
}

bool ParseKind(const QString &kind, const QString &argument, bool hasArgument, TFault &fault, QString &error)
{
    static const struct { const char *Name; TFaultKind Kind; } plain[] = {
        {"drop", TFaultKind::Drop},       {"cut", TFaultKind::Cut},         {"echo", TFaultKind::Echo},
        {"session", TFaultKind::Session}, {"garbage", TFaultKind::Garbage}, {"empty", TFaultKind::Empty},
        {"hang", TFaultKind::Hang},       {"endless", TFaultKind::Endless}, {"headers", TFaultKind::Headers},
    };
    for (const auto &entry : plain) {
        if (kind == QLatin1String(entry.Name) && !hasArgument) {
            fault.Kind = entry.Kind;
            return true;
        }
    }
    if (kind == u"delay" && ReadNumber(argument, 0, 600000, fault.Number)) {
        fault.Kind = TFaultKind::Delay;
        return true;
    }
    if (kind == u"drip" && (hasArgument ? ReadNumber(argument, 1, 1000000, fault.Number) : (fault.Number = 2, true))) {
        fault.Kind = TFaultKind::Drip;
        return true;
    }
    if (kind == u"fatal") {
        fault.Kind = TFaultKind::Fatal;
        fault.Text = argument;
        fault.HasText = hasArgument;
        return true;
    }
    // "http", "http:503" and the short form "http500".
    QString code;
    if (kind == u"http")
        code = hasArgument ? argument : QStringLiteral("500");
    else if (kind.startsWith(u"http") && !hasArgument)
        code = kind.mid(4);
    if (!code.isEmpty() && ReadNumber(code, 300, 599, fault.Number)) {
        fault.Kind = TFaultKind::Http;
        return true;
    }
    error = QStringLiteral("bad fault \"%1\"").arg(hasArgument ? kind + u':' + argument : kind);
    return false;
}

} // namespace

std::optional<TFault> ParseFault(const QString &text, QString &error)
{
    TFault fault;
    const qsizetype at = text.indexOf(u'@');
    const QString head = at < 0 ? text : text.left(at);
    const qsizetype colon = head.indexOf(u':');
    const QString kind = colon < 0 ? head : head.left(colon);
    if (!ParseKind(kind, colon < 0 ? QString() : head.mid(colon + 1), colon >= 0, fault, error))
        return std::nullopt;
    if (at >= 0) {
        for (const QString &condition : text.mid(at + 1).split(u',')) {
            if (!ParseCondition(condition, fault, error))
                return std::nullopt;
        }
    }
    return fault;
}

void TFaultPlan::Add(const TFault &fault)
{
    Faults.push_back(fault);
}

TFaultPlan::TStrike TFaultPlan::Match(const QString &command)
{
    TStrike strike;
    for (TFault &fault : Faults) {
        if (!fault.Command.isEmpty() && fault.Command != command)
            continue;
        ++fault.Seen;
        const int counted = fault.Seen - fault.Skip;
        if (counted <= 0 || counted % fault.Every != 0)
            continue;
        if (fault.Times > 0 && fault.Struck >= fault.Times)
            continue;
        if (fault.Kind == TFaultKind::Delay) {
            ++fault.Struck;
            strike.DelayMs += fault.Number;
        } else if (!strike.Fault) {
            ++fault.Struck;
            strike.Fault = &fault;
        }
    }
    return strike;
}

QString TFaultPlan::Help()
{
    return QStringLiteral(
        "Inject a fault, KIND[:ARG][@COND,...]; may be given more than once. "
        "KIND: delay:MS (answer late), drop (close without an answer; the client's quick resends of it too), cut (close halfway "
        "through the answer), http[:CODE] or http500 (HTTP error status, default 500), "
        "echo (wrong command on line 0), session (\"!\": session expired), garbage "
        "(random bytes), empty (empty body), fatal[:TEXT] (\"X\" reply), hang (take the "
        "request, never answer), endless (an answer that never ends, as fast as the client reads), "
        "drip[:N] (the whole answer at N bytes a second, default 2), headers (response headers "
        "that never end, as fast as the client reads). "
        "COND: cmd=N (only command N), every=N (every Nth such request), skip=N (not "
        "the first N), times=N (at most N times). Example: drop@cmd=103,every=3");
}
