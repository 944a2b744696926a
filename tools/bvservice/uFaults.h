#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Injected failures, written on the command line as KIND[:ARG][@COND,...]:
// "delay:2000", "drop@cmd=103", "http:503@every=3", "session@cmd=103,skip=2,times=1", "drip:2".
// Each fault counts the requests its conditions let through (cmd=) and strikes on every
// Nth of them (every=), after the first few (skip=), a limited number of times (times=).
enum class TFaultKind { Delay, Drop, Cut, Http, Echo, Session, Garbage, Empty, Fatal, Hang, Endless, Drip, Headers };

struct TFault
{
    TFaultKind Kind = TFaultKind::Drop;
    int Number = 0;        // delay in ms, the HTTP status, or bytes a second of a drip
    QString Text;          // the message of a fatal reply
    bool HasText = false;
    QString Command;       // empty: every command
    int Every = 1;
    int Skip = 0;
    int Times = 0;         // 0: no limit
    int Seen = 0;
    int Struck = 0;
};

// The fault a command-line text describes, or nothing with a reason in error.
std::optional<TFault> ParseFault(const QString &text, QString &error);

// The faults of one run, matched against each request in the order they were given.
class TFaultPlan final
{
public:
    struct TStrike
    {
        int DelayMs = 0;
        const TFault *Fault = nullptr;   // the first fault other than a delay, or none
    };

    void Add(const TFault &fault);
    bool IsEmpty() const { return Faults.empty(); }
    // Counts the request with every fault and says which of them strike it.
    TStrike Match(const QString &command);

    static QString Help();

private:
    std::vector<TFault> Faults;
};
