#include "tTestData.h"

TPProgItem &AddTestProg(const QString &code, const QString &name)
{
    auto prog = std::make_unique<TPProgItem>();
    prog->ProgCode = code;
    prog->ProgName = name;
    TPProgs.push_back(std::move(prog));
    return *TPProgs.back();
}
