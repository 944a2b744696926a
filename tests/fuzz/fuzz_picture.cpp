// The details reply (command 102) with the programme picture it may carry: names, the
// picture check and the picture file, through the details panel's own handler.
//
// Input: a programme code up to the first line feed, then the reply body.

#include "fFuzz.h"

#include <QDir>
#include <QRegularExpression>

#include "uDetails.h"
#include "uReplyEnvelope.h"
#include "uGlobal.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TCallerDetails *details = new TCallerDetails(nullptr);
    static int shows = 0;
    const QByteArray input = Fuzz::Bytes(data, size);
    const qsizetype end = input.indexOf('\n');
    if (end < 0 || end > 16)
        return 0;
    const QString code = QString::fromLatin1(input.left(end));

    // Picture checks: what passes is the start of the data and stays within the limit.
    const QByteArray checked = TCallerDetails::CheckedBitmap(input.mid(end + 1));
    FUZZ_CHECK(checked.isEmpty() || (input.mid(end + 1).startsWith(checked) && checked.startsWith("BM")));
    FUZZ_CHECK(checked.size() <= TCallerDetails::MaxPictureBytes);

    TCaller caller;
    caller.ProgCode = code;
    caller.SiteId = 7;
    caller.PromoterId = 9;
    details->ShowCaller(&caller);
    ++shows;
    // The reply as the connector hands it to the panel.
    const TReplyReading reading = ReadReply(input.mid(end + 1), QStringLiteral("102"));
    TFetchReply reply;
    reply.Outcome = reading.Outcome;
    reply.ReplyLines = reading.Outcome == TFetchOutcome::Refused ? QStringList() : reading.Lines;
    reply.ReplyStream = reading.Body;
    details->OnDetailsFetched(reply, shows, code);
    details->ShowCaller(nullptr);

    // Nothing is written but a picture file named by a plain code, in Bitmaps.
    static const QRegularExpression pictureFile(QStringLiteral("^Bitmaps/[A-Za-z0-9_-]{1,16}\\.bmp$"));
    for (const QString &file : Fuzz::FilesInFolder())
        FUZZ_CHECK(pictureFile.match(file).hasMatch());
    QDir(Fuzz::Folder() + QStringLiteral("Bitmaps")).removeRecursively();
    return 0;
}
