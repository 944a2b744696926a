#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "uFaults.h"
#include "uVersion.h"

// Everything the command line can set, with the demo account as default.
struct TServiceOptions
{
    static constexpr const char *DemoKey = "DEMO-KEY-0001";
    static constexpr const char *DemoPassword = "demo";

    quint16 Port = 0;
    QString Key = QString::fromLatin1(DemoKey);
    QString Password = QString::fromLatin1(DemoPassword);
    quint64 Seed = 0;
    bool SeedGiven = false;
    double Rate = 2.0;
    double Speed = 1.0;
    std::optional<qint64> StartTime;   // local-clock seconds
    bool Plain = false;
    QString Message;
    int MessageEvery = 0;
    std::optional<Version::TVersion> MinVersion;
    QString OfferVersion;
    std::vector<TFault> Faults;
    bool Verbose = false;
};

// Reads the command line (arguments[0] is the program). Returns the exit code when
// the program should end here (help, version, a bad option), else nothing.
std::optional<int> ParseServiceOptions(const QStringList &arguments, TServiceOptions &options);
