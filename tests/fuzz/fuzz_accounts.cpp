// The programme and account replies: 106 (partner programmes), 107 (account keys),
// 101 (key added) and 105 (key removed).
//
// Input: one byte choosing the command (and whether the request succeeded), then the
// reply lines after the command echo.

#include "fFuzz.h"

#include <QSet>

#include <algorithm>

#include "uAccounts.h"
#include "uPayout.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    FindPayoutRule(QStringLiteral("AB"), true)->Amounts.Set(-1, -1, 0.5);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList commands{"106", "107", "101", "105"};
    if (size < 1)
        return 0;
    const QByteArray input = Fuzz::Bytes(data, size);
    const QString command = commands[uchar(input[0]) % commands.size()];
    const bool ok = (uchar(input[0]) & 0x80) == 0;
    const QStringList lines = QStringList{command} + Fuzz::Lines(input.mid(1));

    // Each reply starts from some accounts and programmes, as the dialog would have them.
    TAccounts.clear();
    AddAccount(QStringLiteral("K1"), QStringLiteral("Eerste"), true);
    TPProgs.clear();

    QString info;
    if (command == QLatin1String("106")) {
        ProgsFetched(ok, lines);
        // Programme codes are unique and short; a rule's rates reach its programme.
        QSet<QString> codes;
        for (const auto &p : TPProgs) {
            FUZZ_CHECK(p->ProgCode.text().size() <= 2);
            FUZZ_CHECK(p->ProgName.size() > 2);
            codes.insert(p->ProgCode);
            if (p->ProgCode.text() == QLatin1String("AB"))
                FUZZ_CHECK(p->Rates.At(-1, -1) == 0.5);
        }
        FUZZ_CHECK(codes.size() == qsizetype(TPProgs.size()));
        FUZZ_CHECK(ok || TPProgs.empty());
        return 0;
    }
    if (command == QLatin1String("107"))
        info = ReadAccountKeysReply(ok, lines);
    else if (command == QLatin1String("101"))
        info = ReadAddAccountKeyReply(ok, lines, QStringLiteral("K2"), true);
    else
        info = ReadRemoveAccountKeyReply(ok, lines);
    // A failed request always says so; accounts come only from lines long enough to hold one.
    if (!ok)
        FUZZ_CHECK(info.startsWith(QLatin1String("FOUT TIJDENS")));
    for (const auto &account : TAccounts)
        FUZZ_CHECK(account->Key == QLatin1String("K1") || account->Key == QLatin1String("K2")
                   || lines.contains(account->Key) || std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
                          return line.size() >= 33 && line.startsWith(account->Key);
                      }));
    return 0;
}
