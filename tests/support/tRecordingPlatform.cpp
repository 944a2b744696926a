#include "tRecordingPlatform.h"

void TRecordingPlatform::PlaySoundAsync(const QString &fileName)
{
    Events.append(QStringLiteral("sound-async:") + fileName);
}

void TRecordingPlatform::PlaySoundSync(const QString &fileName)
{
    Events.append(QStringLiteral("sound-sync:") + fileName);
}

void TRecordingPlatform::ShellOpen(const QString &target)
{
    Events.append(QStringLiteral("open:") + target);
}

void TRecordingPlatform::ShowBalloon(const QString &title, const QString &text, int timeoutMs)
{
    Events.append(QStringLiteral("balloon:%1|%2|%3").arg(title, text).arg(timeoutMs));
}

void TRecordingPlatform::ShowMessage(TMessageKind kind, const QString &title, const QString &text)
{
    Events.append(QStringLiteral("message:%1|%2|%3").arg(int(kind)).arg(title, text));
}

bool TRecordingPlatform::AskYesNo(const QString &title, const QString &text)
{
    Events.append(QStringLiteral("ask:%1|%2").arg(title, text));
    return Answer;
}

QString TRecordingPlatform::AskSaveFileName(const QString &title, const QString &proposedPath, const QString &)
{
    Events.append(QStringLiteral("save:%1|%2").arg(title, proposedPath));
    return SaveFileName;
}

TRecordingPlatformGuard::TRecordingPlatformGuard()
{
    auto recorder = std::make_unique<TRecordingPlatform>();
    m_recorder = recorder.get();
    m_previous = Platform::Install(std::move(recorder));
}

TRecordingPlatformGuard::~TRecordingPlatformGuard()
{
    Platform::Install(std::move(m_previous));
}
