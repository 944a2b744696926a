#include "fFuzz.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>

#include "tRecordingPlatform.h"
#include "uClock.h"
#include "uCodec.h"
#include "uReplyEnvelope.h"
#include "uSettings.h"

namespace {

QTemporaryDir *folder = nullptr;
TRecordingPlatform *recorder = nullptr;

} // namespace

namespace Fuzz {

void Start(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt keeps the references for the life of the application.
    static int qtArgc = *argc;
    static QApplication *app = new QApplication(qtArgc, *argv);
    Q_UNUSED(app);
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    // The program folder lies one level down, so a write beside it shows up too. Files
    // are written whole and synced for every input: in memory where there is room.
    const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    folder = inMemory ? new QTemporaryDir(QStringLiteral("/dev/shm/bvfuzz-XXXXXX")) : new QTemporaryDir;
    QDir(folder->path()).mkpath(QStringLiteral("program"));
    ProgramDir = folder->path() + QStringLiteral("/program/");
    QDir::setCurrent(ProgramDir);
    auto platform = std::make_unique<TRecordingPlatform>();
    recorder = platform.get();
    Platform::Install(std::move(platform));
}

void FixClock()
{
    Clock::SetNowFunction([] { return QDateTime(QDate(2026, 12, 7), QTime(0, 0).addSecs(FixedSecondOfDay)); });
}

QString Folder()
{
    return ProgramDir;
}

QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

QString OneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QStringList Lines(const QByteArray &bytes)
{
    return SplitReplyLines(Codec::Decode(bytes));
}

QStringList FilesInFolder()
{
    QStringList files;
    QDirIterator it(folder->path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(ProgramDir).relativeFilePath(it.next()));
    return files;
}

QByteArray ReadFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QStringList TakePlatformEvents()
{
    QStringList events;
    events.swap(recorder->Events);
    return events;
}

} // namespace Fuzz
