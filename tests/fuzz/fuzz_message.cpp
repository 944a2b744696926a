// The MSG header of a reply, through the connector and the main window: the balloon and
// what a click on it may do.
//
// Input: the raw header value.

#include "fFuzz.h"

#include <QFileInfo>
#include <QUrl>

#include "uFetcher.h"
#include "uMain.h"
#include "uReplyEnvelope.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TfrmMain *main = new TfrmMain(Fuzz::Folder());
    static int quits = 0;
    static const bool connected = [] {
        QObject::connect(main, &TfrmMain::QuitRequested, main, [] { ++quits; });
        return true;
    }();
    Q_UNUSED(connected);
    const QByteArray header = Fuzz::Bytes(data, size);

    const TServerMessage message = ParseMessageHeader(header);
    if (message.Present)
        FUZZ_CHECK(!message.Text.contains(QLatin1Char('|')));
    else
        FUZZ_CHECK(message.Text.isEmpty() && message.Action.isEmpty());

    // As the connector reports a completed post's message.
    if (message.Present)
        Q_EMIT Connector()->Message(message);
    Fuzz::TakePlatformEvents();
    const int quitsBefore = quits;
    main->ServerMessageClicked();

    // Only a quit order or a web link is taken from the server: no file, no program.
    for (const QString &event : Fuzz::TakePlatformEvents()) {
        FUZZ_CHECK(event.startsWith(QLatin1String("open:")));
        const QString target = event.mid(5);
        const QUrl url(target, QUrl::StrictMode);
        FUZZ_CHECK(url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")));
        FUZZ_CHECK(!url.host().isEmpty());
        FUZZ_CHECK(!QFileInfo(target).isFile());
    }
    if (quits != quitsBefore)
        FUZZ_CHECK(message.Present && message.Action.trimmed() == QLatin1String("QUIT"));
    return 0;
}
