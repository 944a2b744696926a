#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>

#include "uAccountBook.h"
#include "uCommandReplies.h"
#include "uFaults.h"
#include "uHttpMessage.h"
#include "uServiceOptions.h"
#include "uSessions.h"
#include "uSimulation.h"

// The provider's endpoint: takes each HTTP request through authentication, the session
// cookie, the request envelope, the injected faults and the version check to the
// command's reply, and wraps that reply in its envelope. One per run.
class TService final
{
public:
    explicit TService(const TServiceOptions &options);
    TService(const TService &) = delete;
    TService &operator=(const TService &) = delete;

    THttpAnswer Handle(const THttpRequest &request);

    quint64 Seed() const { return SeedValue; }

private:
    THttpAnswer HandleGet(const THttpRequest &request) const;
    THttpAnswer HandlePost(const THttpRequest &request);
    THttpAnswer FaultAnswer(const TFault &fault, const QString &command, const Envelope::TArgs &args,
                            THttpResponse response);
    bool Authorized(const THttpRequest &request) const;
    bool VersionAccepted(const THttpRequest &request) const;
    qint64 SimulatedNow() const;
    QByteArray Wrap(const QStringList &lines, const QByteArray &tail = {}) const;
    void Log(const QString &text) const;

    TServiceOptions Options;
    quint64 SeedValue;
    qint64 StartLocal;
    QByteArray KeyBytes;
    QElapsedTimer Elapsed;
    TSimulation Simulation;
    TAccountBook Accounts;
    TCommandReplies Replies;
    TSessionStore Sessions;
    TFaultPlan Faults;
    QRandomGenerator GarbageRandom;
    // The last dropped request: an HTTP client resends a request whose connection
    // closed without an answer, and that resend must fail too.
    QByteArray DroppedRequest;
    qint64 DroppedAt = 0;
};
