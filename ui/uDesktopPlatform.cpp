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

#include "uNotifier.h"

namespace {

constexpr uint32_t SoundId = 1;
// The options dialog's test buttons wait for the sound, but never for ever.
constexpr int SyncSoundLimitMs = 10000;
constexpr int SyncSoundPollMs = 20;

// The texts may come from the server: shown as they are, never as markup.
int RunMessageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                  QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

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
    ShowPlainBalloon(m_tray, title, text, timeoutMs);
}

// A box belongs to the window the user works in, so the window manager keeps it above
// that window rather than opening it behind, out of sight.
void TDesktopPlatform::ShowMessage(TMessageKind kind, const QString &title, const QString &text)
{
    const QMessageBox::Icon icon = kind == TMessageKind::Error     ? QMessageBox::Critical
                                 : kind == TMessageKind::Warning ? QMessageBox::Warning
                                                                 : QMessageBox::Information;
    RunMessageBox(icon, title, text, QMessageBox::Ok);
}

QString TDesktopPlatform::AskSaveFileName(const QString &title, const QString &proposedPath, const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, proposedPath, filter);
}

bool TDesktopPlatform::AskYesNo(const QString &title, const QString &text)
{
    return RunMessageBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}
