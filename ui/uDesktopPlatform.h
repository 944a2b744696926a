#pragma once

#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>

#include "uPlatform.h"

struct ca_context;

// The real desktop behind the platform seam: libcanberra for sounds, the desktop's
// opener for files and URLs, the tray icon for balloons, QMessageBox for messages
// and questions.
class TDesktopPlatform final : public TPlatform
{
public:
    TDesktopPlatform();
    ~TDesktopPlatform() override;
    TDesktopPlatform(const TDesktopPlatform &) = delete;
    TDesktopPlatform &operator=(const TDesktopPlatform &) = delete;

    void SetTrayIcon(QSystemTrayIcon *tray) { m_tray = tray; }
    // Told whenever an ordinary balloon is shown: a click on it must not act on an
    // earlier server message.
    std::function<void()> OrdinaryBalloonShown;

    void PlaySoundAsync(const QString &fileName) override;
    void PlaySoundSync(const QString &fileName) override;
    void ShellOpen(const QString &target) override;
    void ShowBalloon(const QString &title, const QString &text, int timeoutMs) override;
    void ShowMessage(TMessageKind kind, const QString &title, const QString &text) override;
    bool AskYesNo(const QString &title, const QString &text) override;
    QString AskSaveFileName(const QString &title, const QString &proposedPath, const QString &filter) override;

private:
    bool Playing();
    bool StartSound(const QString &fileName);

    ca_context *m_context = nullptr;
    QPointer<QSystemTrayIcon> m_tray;
};
