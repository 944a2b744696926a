#include "uCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

#include "uStatusQuery.h"

namespace {

constexpr int UsageError = 2;

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Toont deze hulp en stopt."));
const QCommandLineOption VersionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Toont het versienummer en stopt."));

const QCommandLineOption StatusOption(
    QStringLiteral("status"),
    QStringLiteral("Drukt de cijfers van de draaiende monitor af als een regel JSON (online, callers, minutes, euros, "
                   "forecast, stale, quiet, lastReply) en stopt; zonder draaiende monitor met afsluitcode 3."));
const QCommandLineOption FormatOption(
    QStringLiteral("format"),
    QStringLiteral("Met --status: drukt <sjabloon> af met {online}, {callers}, {minutes}, {euros}, "
                   "{forecast.callers}, {forecast.minutes}, {forecast.euros}, {stale}, {quiet} (ja/nee) en "
                   "{lastReply} (uu:mm) ingevuld; wat ontbreekt wordt \"–\"."),
    QStringLiteral("sjabloon"));

std::unique_ptr<QCommandLineParser> MakeParser()
{
    auto parser = std::make_unique<QCommandLineParser>();
    parser->setApplicationDescription(QStringLiteral(
        "Belvora Webmaster Monitor: live bellers, minuten en verdiensten van je Belvora-partnerprogramma's.\n"
        "Zonder opties start het programma, of brengt het de al draaiende monitor naar voren."));
    parser->addOption(HelpOption);
    parser->addOption(VersionOption);
    parser->addOption(StatusOption);
    parser->addOption(FormatOption);
    return parser;
}

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(qPrintable(text), stream);
    std::fflush(stream);
}

} // namespace

namespace CommandLine {

bool AsksForText(const QStringList &arguments)
{
    const auto parser = MakeParser();
    // Unknown options (Qt's own among them) do not stop the parser seeing these.
    parser->parse(arguments);
    return parser->isSet(HelpOption) || parser->isSet(VersionOption) || parser->isSet(StatusOption)
        || parser->isSet(FormatOption);
}

std::optional<int> Answer(const QStringList &arguments)
{
    const auto parser = MakeParser();
    const bool parsed = parser->parse(arguments);
    if (parser->isSet(HelpOption)) {
        // "Gebruik:" and "Opties:" come from Qt's Dutch texts.
        Print(stdout, parser->helpText());
        return 0;
    }
    if (parser->isSet(VersionOption)) {
        Print(stdout, QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
                          + QLatin1Char('\n'));
        return 0;
    }
    const bool formatAlone = parser->isSet(FormatOption) && !parser->isSet(StatusOption);
    if (!parsed || !parser->positionalArguments().isEmpty() || formatAlone) {
        const QString error = !parsed     ? parser->errorText()
                            : formatAlone ? QStringLiteral("--format hoort bij --status")
                                          : QStringLiteral("Onbekend argument: %1")
                                                .arg(parser->positionalArguments().join(QLatin1Char(' ')));
        Print(stderr, error + QStringLiteral("\nZie: %1 --help\n").arg(QCoreApplication::applicationName()));
        return UsageError;
    }
    if (parser->isSet(StatusOption)) {
        return StatusQuery::Run(parser->isSet(FormatOption) ? std::optional(parser->value(FormatOption))
                                                            : std::nullopt);
    }
    return std::nullopt;
}

} // namespace CommandLine
