#include "uStatusQuery.h"

#include <cstdio>

#include "uDataFolder.h"
#include "uSingleInstance.h"
#include "uStatusSnapshot.h"

namespace StatusQuery {

int Run(const std::optional<QString> &format)
{
    const TSingleInstance instance(DefaultProgramDir(), PrivateRuntimeDir());
    const std::optional<QByteArray> answer = instance.Ask(TSingleInstance::StatusRequest, AnswerTimeoutMs, false);
    const std::optional<TStatusSnapshot> status = answer ? ReadStatusJson(*answer) : std::nullopt;
    if (!status) {
        std::fputs("Belvora Webmaster Monitor draait niet of antwoordt niet.\n", stderr);
        return NotRunning;
    }
    const QByteArray line = format ? FillStatusTemplate(*format, *status).toUtf8() : *answer;
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace StatusQuery
