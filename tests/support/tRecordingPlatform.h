#pragma once

#include <QStringList>

#include <memory>

#include "uPlatform.h"

// Stands in for the desktop in tests: every effect becomes one line in `Events`,
// for example "sound-async:/tmp/up.wav" or "balloon:Trigger|text|5000".
class TRecordingPlatform final : public TPlatform
{
public:
    QStringList Events;
    // What AskYesNo answers ("ask:title|text" is recorded).
    bool Answer = false;

    void PlaySoundAsync(const QString &fileName) override;
    void PlaySoundSync(const QString &fileName) override;
    void ShellOpen(const QString &target) override;
    void ShowBalloon(const QString &title, const QString &text, int timeoutMs) override;
    void ShowMessage(TMessageKind kind, const QString &title, const QString &text) override;
    bool AskYesNo(const QString &title, const QString &text) override;
    // What AskSaveFileName answers ("save:title|proposed path" is recorded).
    QString SaveFileName;
    QString AskSaveFileName(const QString &title, const QString &proposedPath, const QString &filter) override;
};

// Installs a recorder for the life of the guard and puts the previous platform back.
class TRecordingPlatformGuard final
{
public:
    TRecordingPlatformGuard();
    ~TRecordingPlatformGuard();
    TRecordingPlatformGuard(const TRecordingPlatformGuard &) = delete;
    TRecordingPlatformGuard &operator=(const TRecordingPlatformGuard &) = delete;

    TRecordingPlatform &Recorder() { return *m_recorder; }
    QStringList &Events() { return m_recorder->Events; }

private:
    TRecordingPlatform *m_recorder;
    std::unique_ptr<TPlatform> m_previous;
};
