// The HTTP response as the connector reads it off the socket: status line, head and body
// by length, chunks or up to the close, each within its limit.
//
// Input: one byte choosing where the bytes are split, then the response as it arrives.

#include "fFuzz.h"

#include "uHttpResponse.h"

namespace {

// Small limits, so that both are met often.
constexpr qsizetype MaxHead = 512;
constexpr qsizetype MaxBody = 4096;

THttpResponseReader::TState Read(THttpResponseReader &reader, const QByteArray &bytes, qsizetype piece)
{
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        reader.Feed(QByteArrayView(bytes).sliced(at, qMin(piece, bytes.size() - at)));
    return reader.Closed();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input = Fuzz::Bytes(data, size);
    const qsizetype piece = 1 + uchar(input[0]) % 17;
    const QByteArray response = input.mid(1);

    THttpResponseReader whole(MaxHead, MaxBody);
    THttpResponseReader pieces(MaxHead, MaxBody);
    const auto state = Read(whole, response, qMax<qsizetype>(1, response.size()));
    // However the bytes come in, the reading is the same.
    FUZZ_CHECK(Read(pieces, response, piece) == state);
    FUZZ_CHECK(pieces.Body() == whole.Body() && pieces.Status() == whole.Status());
    FUZZ_CHECK(whole.Body().size() <= MaxBody);
    if (state == THttpResponseReader::TState::Complete) {
        FUZZ_CHECK(whole.Status() >= 100 && whole.Status() <= 999);
        if (whole.ContentLength() >= 0 && !whole.Header("transfer-encoding").toLower().contains("chunked")
            && whole.Status() != 204 && whole.Status() != 304)
            FUZZ_CHECK(whole.Body().size() == whole.ContentLength());
    }
    return 0;
}
