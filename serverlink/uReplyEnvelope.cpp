#include "uReplyEnvelope.h"

#include "uCodec.h"
#include "uDebugLog.h"
#include "uSettings.h"
#include "uTokens.h"

#include <cstring>

namespace {

constexpr char ScrambleMarker = '>';
// Only the first characters of a scrambled reply go into the log.
constexpr int LoggedScrambledChars = 80;

const QString CrLf = QStringLiteral("\r\n");

// The text of a fatal reply: its line 1, the version-expired text for "UPGRADE".
QString FatalMessage(const QStringList &lines)
{
    // An empty line 1 would give an empty box.
    if (lines.size() < 2 || lines[1].trimmed().isEmpty())
        return QStringLiteral("Onbekende fout! Programma wordt afgesloten.");
    if (lines[1] != QLatin1String("UPGRADE"))
        return lines[1];
    const QString updateUrl = Settings.UpdateUrl.isEmpty() ? QLatin1String(DefaultUpdateUrl) : Settings.UpdateUrl;
    return QStringLiteral("Deze versie is verlopen!") + CrLf + QStringLiteral("Kijk op ") + updateUrl
        + QStringLiteral(" om uw versie bij te werken");
}

} // namespace

QByteArray Encode(const QByteArray &args, const QByteArray &key)
{
    static constexpr char Hex[] = "0123456789abcdef";
    QByteArray body;
    if (key.isEmpty())
        return body;
    body.reserve(args.size() * 2);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const auto byte = static_cast<unsigned char>(args[i] ^ key[i % key.size()]);
        body.append(Hex[byte >> 4]);
        body.append(Hex[byte & 0x0F]);
    }
    return body;
}

void Decode(QByteArray &body, const QByteArray &key)
{
    if (key.isEmpty())
        return;
    // The mask folded into the key once, and the key repeated to a whole number of words
    // so that the reply, tens of kilobytes at every poll, is unmasked a word at a time.
    constexpr qsizetype Word = sizeof(quint64);
    QByteArray stream = key.repeated(Word);
    for (char &c : stream)
        c = static_cast<char>(c ^ static_cast<char>(ReplyMask));
    char *out = body.data();
    const char *mask = stream.constData();
    const qsizetype period = stream.size();
    const qsizetype size = body.size();
    qsizetype i = 0, k = 0;
    for (; i + Word <= size; i += Word) {
        quint64 word = 0, masking = 0;
        std::memcpy(&word, out + i, Word);
        std::memcpy(&masking, mask + k, Word);
        word ^= masking;
        std::memcpy(out + i, &word, Word);
        k += Word;
        if (k == period)
            k = 0;
    }
    for (qsizetype j = 0; i + j < size; ++j)
        out[i + j] = static_cast<char>(out[i + j] ^ mask[k + j]);
}

QStringList SplitReplyLines(const QString &text)
{
    QStringList lines;
    const char16_t *data = QStringView(text).utf16();
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && data[end] != u'\r' && data[end] != u'\n')
            ++end;
        lines.append(text.mid(start, end - start));
        if (end < size && data[end] == u'\r')
            ++end;
        if (end < size && data[end] == u'\n')
            ++end;
        start = end;
    }
    return lines;
}

TReplyReading ReadReply(const QByteArray &body, const QString &command)
{
    TReplyReading reading;
    if (body.isEmpty())
        return reading;
    reading.Body = body;
    QByteArray text = body;
    if (body.startsWith(ScrambleMarker)) {
        text.remove(0, 1);
        DebugLog(DebugLevel::Requests, QStringLiteral("Decoding(%1) using %2")
                                           .arg(Codec::Decode(text.left(LoggedScrambledChars)), Settings.Key));
        const QByteArray key = Codec::Encode(Settings.Key);
        Decode(text, key);
        // Without a key a scrambled reply cannot be read: it counts as a reply without
        // the command's echo.
        if (key.isEmpty())
            text.clear();
        else
            reading.Body = ScrambleMarker + text;
    }
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);
    reading.Lines = SplitReplyLines(Codec::Decode(text));
    if (DebugLogEnabled(DebugLevel::Requests)) {
        if (!reading.Lines.isEmpty())
            DebugLog(DebugLevel::Requests, QStringLiteral("Fetched result[0]: %1").arg(reading.Lines[0]));
        if (reading.Lines.size() > 1)
            DebugLog(DebugLevel::Data, QStringLiteral("Fetched result[1]: %1").arg(reading.Lines[1]));
    }

    const QString line0 = reading.Lines.value(0);
    if (line0.startsWith(QLatin1Char('X'))) {
        reading.Outcome = TFetchOutcome::Fatal;
        reading.Message = FatalMessage(reading.Lines);
    } else if (reading.Lines.isEmpty() || line0 != command) {
        reading.Outcome = TFetchOutcome::Refused;
        reading.Message = line0 == QLatin1String("!") ? QStringLiteral("Sessie is verlopen of afgesloten!")
                                                     : QStringLiteral("Communicatie fout!");
    } else {
        reading.Outcome = TFetchOutcome::Ok;
    }
    return reading;
}

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray UrlDecode(const QByteArray &value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '+') {
            out.append(' ');
        } else if (c == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0
                   && HexValue(value[i + 2]) >= 0) {
            out.append(static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2])));
            i += 2;
        } else {
            out.append(c);
        }
    }
    return out;
}

TServerMessage ParseMessageHeader(const QByteArray &rawValue)
{
    TServerMessage message;
    if (rawValue.isEmpty())
        return message;
    const QString value = Codec::Decode(UrlDecode(rawValue));
    const qsizetype space = value.indexOf(QLatin1Char(' '));
    // Without a space the count is all but the last character and there is no text.
    const QString countText = space < 0 ? value.left(value.size() - 1) : value.left(space);
    const int count = StrToIntDef(countText, 0);
    if (count <= 0)
        return message;
    message.Present = true;
    message.Text = space < 0 ? QString() : value.mid(space + 1).left(count);
    const qsizetype bar = message.Text.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
        message.Action = message.Text.mid(bar + 1);
        message.Text.truncate(bar);
    }
    return message;
}
