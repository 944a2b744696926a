#include "uService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

#include <cmath>

#include "uCodec.h"
#include "uEnvelope.h"

namespace {

// How long an identical request counts as the client's resend of a dropped one.
constexpr qint64 ResendWindowMs = 1000;

qint64 LocalNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return QDateTime(now.date(), now.time(), Qt::UTC).toSecsSinceEpoch();
}

quint64 ChooseSeed(const TServiceOptions &options)
{
    if (options.SeedGiven)
        return options.Seed;
    return static_cast<quint64>(QDateTime::currentMSecsSinceEpoch()) ^ static_cast<quint64>(QCoreApplication::applicationPid());
}

TSimulation::TOptions SimulationOptions(quint64 seed, qint64 start, double rate)
{
    TSimulation::TOptions options;
    options.Seed = seed;
    options.Start = start;
    options.RatePerMinute = rate;
    return options;
}

THttpResponse TextResponse(int status, const QByteArray &contentType, const QByteArray &body)
{
    THttpResponse response;
    response.Status = status;
    response.AddHeader("Content-Type", contentType);
    response.Body = body;
    return response;
}

} // namespace

TService::TService(const TServiceOptions &options)
    : Options(options),
      SeedValue(ChooseSeed(options)),
      StartLocal(options.StartTime.value_or(LocalNow())),
      KeyBytes(Codec::Encode(options.Key)),
      Simulation(SimulationOptions(SeedValue, StartLocal, options.Rate)),
      Accounts(options.Key),
      Replies(Simulation, Accounts),
      GarbageRandom(static_cast<quint32>(SeedValue ^ 0x9E3779B9u))
{
    for (const TFault &fault : options.Faults)
        Faults.Add(fault);
    Elapsed.start();
}

THttpAnswer TService::Handle(const THttpRequest &request)
{
    if (request.Method == "POST")
        return HandlePost(request);
    if (request.Method == "GET")
        return HandleGet(request);
    THttpAnswer answer;
    answer.Response = THttpResponse::Text(405, "Alleen GET en POST\n");
    answer.Response.AddHeader("Allow", "GET, POST");
    return answer;
}

THttpAnswer TService::HandleGet(const THttpRequest &request) const
{
    // The provider's web site: the version file and the update page.
    QByteArray path = request.Target;
    const qsizetype query = path.indexOf('?');
    if (query >= 0)
        path.truncate(query);
    THttpAnswer answer;
    if (path == "/bvmonitor.ver") {
        answer.Response = TextResponse(200, "text/plain", Options.OfferVersion.toLatin1() + "\r\n");
    } else if (path == "/update.php" || path == "/") {
        answer.Response = TextResponse(200, "text/html; charset=windows-1252",
                                       Codec::Encode(QStringLiteral(
                                           "<html><head><title>Belvora Webmaster Monitor</title></head><body>"
                                           "<h1>Belvora Webmaster Monitor</h1>"
                                           "<p>Testdienst. De nieuwste versie is %1.</p></body></html>\r\n")
                                                         .arg(Options.OfferVersion.toHtmlEscaped())));
    } else {
        answer.Response = THttpResponse::Text(404, "Niet gevonden\n");
    }
    // One arg() call: a second one would read "%1" inside the client's text.
    Log(QStringLiteral("GET %1 -> %2").arg(QString::fromLatin1(path), QString::number(answer.Response.Status)));
    return answer;
}

THttpAnswer TService::HandlePost(const THttpRequest &request)
{
    THttpAnswer answer;
    if (!Authorized(request)) {
        answer.Response = THttpResponse::Text(401, "Toegang geweigerd\n");
        answer.Response.AddHeader("WWW-Authenticate", "Basic realm=\"Belvora Webmaster\"");
        Log(QStringLiteral("POST refused: wrong key or password"));
        return answer;
    }

    const QByteArray requestKey = request.Header("cookie") + '\n' + request.Body;
    if (requestKey == DroppedRequest && Elapsed.elapsed() - DroppedAt < ResendWindowMs) {
        DroppedAt = Elapsed.elapsed();
        answer.CutAt = 0;
        Log(QStringLiteral("POST dropped again (resent)"));
        return answer;
    }

    THttpResponse &response = answer.Response;
    response.AddHeader("Content-Type", "text/html; charset=windows-1252");
    const std::optional<QByteArray> plainArgs = Envelope::DecodeRequest(request.Body, KeyBytes);
    const QString argString = plainArgs ? Codec::Decode(*plainArgs) : QString();
    const Envelope::TArgs args(argString);
    const QString command = args.Value(QStringLiteral("c"));

    // Signing off needs no session of its own.
    QByteArray session = Sessions.Find(request.Header("cookie"));
    if (session.isEmpty() && command != u"100") {
        session = Sessions.Create();
        response.AddHeader("Set-Cookie", TSessionStore::SetCookie(session));
    }

    const TFaultPlan::TStrike strike = Faults.Match(command);
    answer.DelayMs = strike.DelayMs;
    if (strike.Fault) {
        THttpAnswer faulty = FaultAnswer(*strike.Fault, command, args, response);
        faulty.DelayMs = strike.DelayMs;
        if (strike.Fault->Kind == TFaultKind::Session)
            Sessions.Remove(session);
        if (strike.Fault->Kind == TFaultKind::Drop) {
            DroppedRequest = requestKey;
            DroppedAt = Elapsed.elapsed();
        }
        Log(QStringLiteral("POST %1 -> fault").arg(argString));
        return faulty;
    }

    QStringList lines;
    QByteArray tail;
    if (!VersionAccepted(request)) {
        lines = {QStringLiteral("X"), QStringLiteral("UPGRADE")};
    } else if (!plainArgs) {
        lines = {QStringLiteral("?"), QStringLiteral("Ongeldig verzoek")};
    } else {
        Simulation.AdvanceTo(SimulatedNow());
        TCommandReplies::TReply reply = Replies.Answer(command, args);
        lines = std::move(reply.Lines);
        tail = std::move(reply.Tail);
    }
    response.Body = Wrap(lines, tail);

    const int replyNumber = Sessions.NextReply(session);
    const int every = Options.MessageEvery;
    if (!Options.Message.isEmpty() && (every > 0 ? (replyNumber - 1) % every == 0 : replyNumber == 1))
        response.AddHeader("MSG", Envelope::MessageHeader(Codec::Encode(Options.Message)));

    if (command == u"100") {
        Sessions.Remove(session);
        response.AddHeader("Set-Cookie", TSessionStore::ExpireCookie());
    }
    Log(QStringLiteral("POST %1 -> %2 (%3 lines)").arg(argString, lines.value(0), QString::number(lines.size())));
    return answer;
}

THttpAnswer TService::FaultAnswer(const TFault &fault, const QString &command, const Envelope::TArgs &args,
                                  THttpResponse response)
{
    THttpAnswer answer;
    switch (fault.Kind) {
    case TFaultKind::Delay:
        break;
    case TFaultKind::Drop:
        answer.CutAt = 0;
        break;
    case TFaultKind::Cut: {
        response.Body = Wrap(Replies.Answer(command, args).Lines);
        // The head and half the body: the client has begun to receive when it ends.
        const QByteArray whole = response.Serialize(true);
        answer.CutAt = whole.size() - response.Body.size() / 2;
        break;
    }
    case TFaultKind::Http:
        response = THttpResponse::Text(fault.Number, ReasonPhrase(fault.Number) + "\n");
        break;
    case TFaultKind::Echo: {
        Simulation.AdvanceTo(SimulatedNow());
        QStringList lines = Replies.Answer(command, args).Lines;
        lines[0] = command == u"103" ? QStringLiteral("102") : QStringLiteral("103");
        response.Body = Wrap(lines);
        break;
    }
    case TFaultKind::Session:
        response.Body = Wrap({QStringLiteral("!")});
        response.AddHeader("Set-Cookie", TSessionStore::ExpireCookie());
        break;
    case TFaultKind::Garbage: {
        // Never a ">" marker, an "X" or a "!" first, and no digit: it must not pass as
        // a scrambled, fatal, expired or echoed reply.
        static const QByteArray firsts = "abcdefghijklmnopqrstuvw#%&*";
        QByteArray bytes(32 + static_cast<int>(GarbageRandom.bounded(224)), '\0');
        for (char &byte : bytes)
            byte = static_cast<char>(GarbageRandom.bounded(256));
        bytes[0] = firsts[GarbageRandom.bounded(static_cast<int>(firsts.size()))];
        response.Body = bytes;
        break;
    }
    case TFaultKind::Empty:
        response.Body.clear();
        break;
    case TFaultKind::Fatal:
        response.Body = Wrap(fault.HasText ? QStringList{QStringLiteral("X"), fault.Text} : QStringList{QStringLiteral("X")});
        break;
    case TFaultKind::Hang:
        answer.Stream = THttpAnswer::TStream::Hang;
        break;
    case TFaultKind::Endless:
        response.Body = Wrap({command});
        answer.Stream = THttpAnswer::TStream::Endless;
        break;
    case TFaultKind::Drip:
        Simulation.AdvanceTo(SimulatedNow());
        response.Body = Wrap(Replies.Answer(command, args).Lines);
        answer.Stream = THttpAnswer::TStream::Drip;
        answer.DripRate = fault.Number;
        break;
    case TFaultKind::Headers:
        answer.Stream = THttpAnswer::TStream::Headers;
        break;
    }
    answer.Response = response;
    return answer;
}

bool TService::Authorized(const THttpRequest &request) const
{
    const QByteArray header = request.Header("authorization");
    if (!header.toLower().startsWith("basic "))
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(header.mid(6).trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return false;
    // Clients differ in how they encode a non-ASCII password; either form is taken.
    const QByteArray windows = KeyBytes + ':' + Codec::Encode(Options.Password);
    const QByteArray utf8 = Options.Key.toUtf8() + ':' + Options.Password.toUtf8();
    return *decoded == windows || *decoded == utf8;
}

bool TService::VersionAccepted(const THttpRequest &request) const
{
    if (!Options.MinVersion)
        return true;
    const std::optional<Version::TVersion> version = Version::FromUserAgent(request.Header("user-agent"));
    return version && *version >= *Options.MinVersion;
}

qint64 TService::SimulatedNow() const
{
    return StartLocal + static_cast<qint64>(std::floor(static_cast<double>(Elapsed.elapsed()) * Options.Speed / 1000.0));
}

QByteArray TService::Wrap(const QStringList &lines, const QByteArray &tail) const
{
    QByteArray text = Codec::Encode(lines.join(QStringLiteral("\r\n")));
    if (!tail.isEmpty())
        text += "\r\n" + tail;
    return Options.Plain ? text : Envelope::ScrambleReply(text, KeyBytes);
}

void TService::Log(const QString &text) const
{
    if (!Options.Verbose)
        return;
    QTextStream(stderr) << QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")) << ' ' << text << Qt::endl;
}
