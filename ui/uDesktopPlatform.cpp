#include "uDesktopPlatform.h"

#include <QApplication>
#include <QFileDialog>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QThread>
#include <QUrl>

#include <canberra.h>

namespace {

constexpr uint32_t SoundId = 1;
// The options dialog's test buttons wait for the sound, but never for ever.
constexpr int SyncSoundLimitMs = 10000;
constexpr int SyncSoundPollMs = 20;

} // namespace

TDesktopPlatform::TDesktopPlatform()
{
    if (ca_context_create(&m_context) != CA_SUCCESS)
        m_context = nullptr;
}

TDesktopPlatform::~TDesktopPlatform()
{
    if (m_context)
        ca_context_destroy(m_context);
}

bool TDesktopPlatform::Playing()
{
    int playing = 0;
    return m_context && ca_context_playing(m_context, SoundId, &playing) == CA_SUCCESS && playing;
}

bool TDesktopPlatform::StartSound(const QString &fileName)
{
    if (!m_context || fileName.isEmpty() || !QFileInfo::exists(fileName))
        return false;
    const QByteArray path = QFile::encodeName(fileName);
    return ca_context_play(m_context, SoundId, CA_PROP_MEDIA_FILENAME, path.constData(), nullptr)
        == CA_SUCCESS;
}

void TDesktopPlatform::PlaySoundAsync(const QString &fileName)
{
    if (Playing())
        return;
    StartSound(fileName);
}

void TDesktopPlatform::PlaySoundSync(const QString &fileName)
{
    if (!StartSound(fileName))
        return;
    QElapsedTimer waited;
    waited.start();
    while (Playing() && waited.elapsed() < SyncSoundLimitMs)
        QThread::msleep(SyncSoundPollMs);
}

void TDesktopPlatform::ShellOpen(const QString &target)
{
    const QFileInfo info(target);
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
        return;
    }
    const QUrl url = info.exists() ? QUrl::fromLocalFile(info.absoluteFilePath())
                                   : QUrl::fromUserInput(target);
    QDesktopServices::openUrl(url);
}

void TDesktopPlatform::ShowBalloon(const QString &title, const QString &text, int timeoutMs)
{
    if (OrdinaryBalloonShown)
        OrdinaryBalloonShown();
    // Without a tray (offscreen, a bare X server) balloons are dropped.
    if (m_tray && QSystemTrayIcon::isSystemTrayAvailable() && m_tray->isVisible())
        m_tray->showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
}

// A box belongs to the window the user works in, so the window manager keeps it above
// that window rather than opening it behind, out of sight.
void TDesktopPlatform::ShowMessage(TMessageKind kind, const QString &title, const QString &text)
{
    QWidget *owner = QApplication::activeWindow();
    switch (kind) {
    case TMessageKind::Information:
        QMessageBox::information(owner, title, text);
        break;
    case TMessageKind::Warning:
        QMessageBox::warning(owner, title, text);
        break;
    case TMessageKind::Error:
        QMessageBox::critical(owner, title, text);
        break;
    }
}

QString TDesktopPlatform::AskSaveFileName(const QString &title, const QString &proposedPath, const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, proposedPath, filter);
}

bool TDesktopPlatform::AskYesNo(const QString &title, const QString &text)
{
    return QMessageBox::question(QApplication::activeWindow(), title, text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}
