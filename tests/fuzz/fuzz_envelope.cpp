// The reply envelope: unscrambling, the command echo, the error markers and the fatal
// reply, read as the connector reads every completed post.
//
// Input: one byte k (key length, 0..7), k key bytes, one byte choosing the command, then
// the reply body as the server sends it.

#include "fFuzz.h"

#include "uCodec.h"
#include "uReplyEnvelope.h"
#include "uSettings.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList commands{"100", "101", "102", "103", "105", "106", "107", "108", "110", "111"};
    if (size < 2)
        return 0;
    const QByteArray input = Fuzz::Bytes(data, size);
    const int keyLength = input[0] & 7;
    if (input.size() < 2 + keyLength)
        return 0;
    const QByteArray key = input.mid(1, keyLength);
    const QString command = commands[uchar(input[1 + keyLength]) % commands.size()];
    const QByteArray body = input.mid(2 + keyLength);

    // Unscrambling twice gives the text back; the request body is twice as long as its text.
    if (!key.isEmpty()) {
        QByteArray twice = body;
        Decode(twice, key);
        Decode(twice, key);
        FUZZ_CHECK(twice == body);
    }
    FUZZ_CHECK(Encode(body, key).size() == (key.isEmpty() ? 0 : 2 * body.size()));

    Settings.Key = Codec::Decode(key);
    Settings.Debug = uchar(input[0]) >> 7; // now and then with the log lines
    const TReplyReading reading = ReadReply(body, command);

    // Only a reply that repeats the command is good; a refusal or a fatal reply says why.
    FUZZ_CHECK((reading.Outcome == TFetchOutcome::Empty) == body.isEmpty());
    if (reading.Outcome == TFetchOutcome::Ok)
        FUZZ_CHECK(!reading.Lines.isEmpty() && reading.Lines[0] == command);
    if (reading.Outcome == TFetchOutcome::Fatal)
        FUZZ_CHECK(reading.Lines.value(0).startsWith(QLatin1Char('X')) && !reading.Message.isEmpty());
    if (reading.Outcome == TFetchOutcome::Refused)
        FUZZ_CHECK(reading.Lines.value(0) != command && !reading.Message.isEmpty());
    // The body keeps its length: picture data after the text stay where they were.
    FUZZ_CHECK(reading.Body.size() == body.size());
    for (const QString &line : reading.Lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')) && !line.contains(QChar()));
    // Reading a reply opens, starts or shows nothing.
    FUZZ_CHECK(Fuzz::TakePlatformEvents().isEmpty());
    return 0;
}
