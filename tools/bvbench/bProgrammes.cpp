#include "bProgrammes.h"

#include <memory>

#include "uGlobal.h"
#include "uPayout.h"

namespace {

constexpr double RatePerMinute = 0.2;

} // namespace

QString ProgCode(int i)
{
    return QStringLiteral("%1%2").arg(QChar('A' + i / 26)).arg(QChar('A' + i % 26));
}

void FillProgrammes(int count)
{
    TPProgs.clear();
    for (int i = 0; i < count; ++i) {
        auto prog = std::make_unique<TPProgItem>();
        prog->ProgCode = ProgCode(i);
        prog->ProgName = QStringLiteral("Programma %1").arg(i);
        TPProgs.push_back(std::move(prog));
    }
    FindPayoutRule(QString(), true)->Amounts.Set(-1, -1, RatePerMinute);
    ApplyPayoutRules();
}
