#include "uServiceOptions.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QTextStream>

#include <cstdio>

namespace {

std::optional<qint64> ParseStartTime(const QString &text)
{
    QDateTime when = QDateTime::fromString(text, Qt::ISODate);
    if (!when.isValid()) {
        QTime time = QTime::fromString(text, QStringLiteral("H:mm:ss"));
        if (!time.isValid())
            time = QTime::fromString(text, QStringLiteral("H:mm"));
        if (!time.isValid())
            return std::nullopt;
        when = QDateTime(QDate::currentDate(), time);
    }
    // Wall-clock fields taken as they are, as the client counts local time.
    return QDateTime(when.date(), when.time(), Qt::UTC).toSecsSinceEpoch();
}

std::optional<int> Fail(const QString &message)
{
    QTextStream(stderr) << "bvservice: " << message << "\n";
    return 2;
}

} // namespace

std::optional<int> ParseServiceOptions(const QStringList &arguments, TServiceOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Test service for the Belvora Webmaster Monitor: answers like the provider's endpoint\n"
        "on 127.0.0.1 over a simulated webmaster account, and prints the URL it listens on.\n"
        "Demo account: key %1, password %2.")
        .arg(QLatin1String(TServiceOptions::DemoKey), QLatin1String(TServiceOptions::DemoPassword)));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("TCP port; 0 (the default) takes any free port."), QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption key(QStringLiteral("key"), QStringLiteral("Account key (default %1).").arg(QLatin1String(TServiceOptions::DemoKey)), QStringLiteral("key"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password (default %1).").arg(QLatin1String(TServiceOptions::DemoPassword)), QStringLiteral("password"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the simulation; the same seed and start time give the same day (default: from the clock)."), QStringLiteral("number"));
    const QCommandLineOption rate(QStringLiteral("rate"), QStringLiteral("Callers arriving per minute of simulated time (default 2)."), QStringLiteral("per-minute"), QStringLiteral("2"));
    const QCommandLineOption startTime(QStringLiteral("start-time"), QStringLiteral("Simulated local time at start, yyyy-MM-ddTHH:mm:ss or HH:mm[:ss] today (default: now). The day up to it is played at once."), QStringLiteral("time"));
    const QCommandLineOption speed(QStringLiteral("speed"), QStringLiteral("Simulated seconds per real second (default 1; 0 stops the clock)."), QStringLiteral("factor"), QStringLiteral("1"));
    const QCommandLineOption plain(QStringLiteral("plain"), QStringLiteral("Send replies unscrambled, without the \">\" marker."));
    const QCommandLineOption message(QStringLiteral("message"), QStringLiteral("Server message for the MSG header: TEXT or TEXT|ACTION (ACTION a URL or QUIT)."), QStringLiteral("text"));
    const QCommandLineOption messageEvery(QStringLiteral("message-every"), QStringLiteral("Send the message with reply 1, 1+N, 1+2N ... of each session; 0 (the default) only with its first reply."), QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption minVersion(QStringLiteral("min-version"), QStringLiteral("Lowest program version served, four dotted numbers; older programs (by their User-Agent) get \"X\" \"UPGRADE\" (default: none)."), QStringLiteral("version"));
    const QCommandLineOption offerVersion(QStringLiteral("offer-version"), QStringLiteral("Version served at GET /bvmonitor.ver (default %1).").arg(QLatin1String(BV_APP_VERSION)), QStringLiteral("version"), QLatin1String(BV_APP_VERSION));
    const QCommandLineOption fault(QStringLiteral("fault"), TFaultPlan::Help(), QStringLiteral("fault"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every request on stderr."));
    parser.addOptions({port, key, password, seed, rate, startTime, speed, plain, message, messageEvery,
                       minVersion, offerVersion, fault, verbose});

    if (!parser.parse(arguments))
        return Fail(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return Fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber > 65535)
        return Fail(QStringLiteral("bad --port"));
    options.Port = static_cast<quint16>(portNumber);

    if (parser.isSet(key))
        options.Key = parser.value(key);
    if (options.Key.isEmpty())
        return Fail(QStringLiteral("the key must not be empty: replies are scrambled with it"));
    if (parser.isSet(password))
        options.Password = parser.value(password);

    if (parser.isSet(seed)) {
        options.Seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            return Fail(QStringLiteral("bad --seed"));
        options.SeedGiven = true;
    }
    options.Rate = parser.value(rate).toDouble(&ok);
    if (!ok || options.Rate < 0 || options.Rate > 600)
        return Fail(QStringLiteral("--rate must lie between 0 and 600"));
    options.Speed = parser.value(speed).toDouble(&ok);
    if (!ok || options.Speed < 0 || options.Speed > 3600)
        return Fail(QStringLiteral("--speed must lie between 0 and 3600"));
    if (parser.isSet(startTime)) {
        options.StartTime = ParseStartTime(parser.value(startTime));
        if (!options.StartTime)
            return Fail(QStringLiteral("bad --start-time"));
    }

    options.Plain = parser.isSet(plain);
    options.Message = parser.value(message);
    options.MessageEvery = parser.value(messageEvery).toInt(&ok);
    if (!ok || options.MessageEvery < 0)
        return Fail(QStringLiteral("bad --message-every"));

    if (parser.isSet(minVersion)) {
        options.MinVersion = Version::Parse(parser.value(minVersion));
        if (!options.MinVersion)
            return Fail(QStringLiteral("bad --min-version"));
    }
    options.OfferVersion = parser.value(offerVersion);

    for (const QString &text : parser.values(fault)) {
        QString error;
        const std::optional<TFault> parsed = ParseFault(text, error);
        if (!parsed)
            return Fail(error);
        options.Faults.push_back(*parsed);
    }
    options.Verbose = parser.isSet(verbose);
    return std::nullopt;
}
