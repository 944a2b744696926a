// The token scanner every reply and settings parser goes through.
//
// Input: one byte choosing the separator, then the text (Windows-1252).

#include "fFuzz.h"

#include <QRegularExpression>

#include <limits>

#include "uCodec.h"
#include "uTokens.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList separators{"|", ";", ":", ",", "", "aB", "||"};
    if (size < 1)
        return 0;
    const QByteArray input = Fuzz::Bytes(data, size);
    const QString separator = separators[uchar(input[0]) % separators.size()];
    const QString text = Codec::Decode(input.mid(1));

    // The tokens never hold more than the text, and an integer field reads as its text does.
    TokenInit(text, separator);
    qsizetype taken = 0;
    QStringList tokens;
    for (qsizetype i = 0; i <= text.size() + 1; ++i) {
        tokens.append(NextToken());
        taken += tokens.last().size();
    }
    FUZZ_CHECK(taken <= text.size());
    FUZZ_CHECK(tokens.last().isEmpty());
    TokenInit(text, separator);
    for (const QString &token : std::as_const(tokens))
        FUZZ_CHECK(NextTokenInt() == StrToIntDef(token, 0));

    // A plain decimal number in the 32-bit range reads as itself; outside it, as the default.
    static const QRegularExpression decimal(QStringLiteral("\\A *([+-]?[0-9]{1,18})\\z"));
    for (const QString &token : std::as_const(tokens)) {
        const QRegularExpressionMatch match = decimal.match(token);
        if (!match.hasMatch())
            continue;
        const qlonglong value = match.captured(1).toLongLong();
        const bool fits = value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
        FUZZ_CHECK(StrToIntDef(token, 7) == (fits ? int(value) : 7));
    }
    // Every number written the way the program writes it reads back.
    if (input.size() >= 5) {
        const int number = int(quint32(uchar(input[1])) | quint32(uchar(input[2])) << 8 | quint32(uchar(input[3])) << 16
                               | quint32(uchar(input[4])) << 24);
        FUZZ_CHECK(StrToIntDef(QString::number(number), number ^ 1) == number);
    }
    return 0;
}
