#pragma once

#include <QString>

#include <memory>

// Effects on the desktop that tests must not cause: sounds, the shell's "open", tray
// balloons and message boxes that would block. The program installs the real one at
// start; tests install a recorder.
class TPlatform
{
public:
    enum class TMessageKind { Information, Warning, Error };

    virtual ~TPlatform() = default;

    // Asynchronous; skipped while the previous sound still plays. A missing file is silent.
    virtual void PlaySoundAsync(const QString &fileName) = 0;
    // For the test buttons: waits until the sound has played.
    virtual void PlaySoundSync(const QString &fileName) = 0;
    // An executable file is started, anything else (document, URL, "mailto:") opened.
    virtual void ShellOpen(const QString &target) = 0;
    virtual void ShowBalloon(const QString &title, const QString &text, int timeoutMs) = 0;
    virtual void ShowMessage(TMessageKind kind, const QString &title, const QString &text) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const QString &title, const QString &text) = 0;
    // A save dialog proposing `proposedPath`; the chosen path, or empty when cancelled.
    virtual QString AskSaveFileName(const QString &title, const QString &proposedPath, const QString &filter) = 0;
};

namespace Platform {

// Never null: until one is installed, effects go to a silent stand-in.
TPlatform &Get();
// Takes ownership; returns the previous one.
std::unique_ptr<TPlatform> Install(std::unique_ptr<TPlatform> platform);

} // namespace Platform
