// The reply envelope: unscrambling, the command echo, the error markers and the fatal
// reply, run through the connector's own reply handling.
//
// Input: one byte k (key length, 0..7), k key bytes, one byte choosing the command, then
// the reply body as the server sends it.

#include "fFuzz.h"

#include "uCodec.h"
#include "uFetcher.h"
#include "uFetcherTesting.h"
#include "uSettings.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList commands{"100", "101", "102", "103", "105", "106", "107", "108", "110", "111"};
    static TfrmFetcher *fetcher = new TfrmFetcher;
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
    Settings.Debug = uchar(input[0]) >> 7; // now and then with the details in the window
    TFetchRequest request;
    request.Command = command;
    request.Args = QStringLiteral("c=") + command;
    request.Reply = body;
    int calls = 0;
    bool ok = false;
    QStringList lines;
    request.Callback = [&](TfrmFetcher &sender) {
        ++calls;
        ok = sender.ReplyOk();
        lines = sender.ReplyLines();
        FUZZ_CHECK(sender.ReplyStream() == &request.Reply);
    };
    FetcherTesting::AnswerWith(*fetcher, request, {});

    FUZZ_CHECK(calls == 1);
    // Only a reply that repeats the command is good, and only a good one keeps lines
    // apart from a fatal reply.
    if (ok)
        FUZZ_CHECK(!lines.isEmpty() && lines[0] == command);
    else if (!lines.isEmpty())
        FUZZ_CHECK(lines[0].startsWith(QLatin1Char('X')));
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')) && !line.contains(QChar()));
    // A fatal reply shows its box; nothing from a reply is ever opened or started.
    for (const QString &event : Fuzz::TakePlatformEvents())
        FUZZ_CHECK(event.startsWith(QLatin1String("message:2|ERROR|")));
    return 0;
}
