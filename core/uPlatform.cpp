#include "uPlatform.h"

namespace {

class TSilentPlatform final : public TPlatform
{
public:
    void PlaySoundAsync(const QString &) override {}
    void PlaySoundSync(const QString &) override {}
    void ShellOpen(const QString &) override {}
    void ShowBalloon(const QString &, const QString &, int) override {}
    void ShowMessage(TMessageKind, const QString &, const QString &) override {}
    bool AskYesNo(const QString &, const QString &) override { return false; }
    QString AskSaveFileName(const QString &, const QString &, const QString &) override { return {}; }
};

std::unique_ptr<TPlatform> &Current()
{
    static std::unique_ptr<TPlatform> platform = std::make_unique<TSilentPlatform>();
    return platform;
}

} // namespace

namespace Platform {

TPlatform &Get()
{
    return *Current();
}

std::unique_ptr<TPlatform> Install(std::unique_ptr<TPlatform> platform)
{
    if (!platform)
        platform = std::make_unique<TSilentPlatform>();
    std::swap(Current(), platform);
    return platform;
}

} // namespace Platform
