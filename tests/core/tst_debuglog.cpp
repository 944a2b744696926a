#include <QDir>
#include <QFile>
#include <QTest>

#include <optional>

#include <unistd.h>

#include "tProcessState.h"
#include "uClock.h"
#include "uDebugLog.h"
#include "uSettings.h"

namespace {

QByteArray LogContent()
{
    QFile file(DebugLogFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDebugLog final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void writesByLevel_data();
    void writesByLevel();
    void formatsLines();
    void recreatesDeletedFile();
    void unwritableLogIsSilent();
    void refusesLogOfOthers_data();
    void refusesLogOfOthers();

private:
    std::optional<TProcessState> m_state;
};

void TestDebugLog::init()
{
    m_state.emplace(QDateTime(QDate(2026, 3, 5), QTime(7, 8, 9)));
}

void TestDebugLog::cleanup()
{
    m_state.reset();
}

void TestDebugLog::writesByLevel_data()
{
    QTest::addColumn<int>("debug");
    QTest::addColumn<QStringList>("expected");
    // With the setting off there is no log at all, level 0 included.
    QTest::newRow("off") << 0 << QStringList{};
    QTest::newRow("details bit only") << 1 << QStringList{"zero"};
    QTest::newRow("requests") << 2 << QStringList{"zero", "two"};
    QTest::newRow("data") << 4 << QStringList{"zero", "four"};
    QTest::newRow("both") << 6 << QStringList{"zero", "two", "four"};
}

void TestDebugLog::writesByLevel()
{
    QFETCH(int, debug);
    QFETCH(QStringList, expected);
    Settings.Debug = debug;
    DebugLog(DebugLevel::Always, "zero");
    DebugLog(DebugLevel::Requests, "two");
    DebugLog(DebugLevel::Data, "four");
    QStringList written;
    for (const QByteArray &line : LogContent().split('\n')) {
        if (!line.isEmpty())
            written.append(QString::fromLatin1(line.mid(20).trimmed()));
    }
    QCOMPARE(written, expected);
}

void TestDebugLog::formatsLines()
{
    Settings.Debug = 2;
    DebugLog(DebugLevel::Requests, QStringLiteral("Fetch(België)"));
    QCOMPARE(LogContent(), QByteArray("05-03-2026 07:08:09 Fetch(Belgi\xEB)\r\n"));
    // It holds the account key: nobody but its owner may read it.
    QCOMPARE(QFile::permissions(DebugLogFileName) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
             QFileDevice::Permissions());
    // A reply's line ends cannot forge a line of their own.
    DebugLog(DebugLevel::Requests, QStringLiteral("a\r\n05-03-2026 07:08:09 forged\rb\nc"));
    QCOMPARE(LogContent().count('\n'), 2);
    QVERIFY(LogContent().endsWith(" a  05-03-2026 07:08:09 forged b c\r\n"));

    // Nothing is written, and no file made, when the level is off.
    QFile::remove(DebugLogFileName);
    Settings.Debug = 0;
    DebugLog(DebugLevel::Data, "x");
    QVERIFY(!QFile::exists(DebugLogFileName));
}

void TestDebugLog::recreatesDeletedFile()
{
    Settings.Debug = 2;
    DebugLog(DebugLevel::Requests, "a");
    QVERIFY(QFile::remove(DebugLogFileName));
    DebugLog(DebugLevel::Requests, "b");
    QCOMPARE(LogContent(), QByteArray("05-03-2026 07:08:09 b\r\n"));
}

void TestDebugLog::unwritableLogIsSilent()
{
    // A folder in the log's place cannot be opened as a file: the line is dropped.
    QVERIFY(QDir().mkdir(DebugLogFileName));
    Settings.Debug = 6;
    DebugLog(DebugLevel::Requests, "lost");
    QVERIFY(QFileInfo(DebugLogFileName).isDir());
    QDir().rmdir(DebugLogFileName);
}

void TestDebugLog::refusesLogOfOthers_data()
{
    QTest::addColumn<QString>("prepared");
    QTest::newRow("readable by others") << "chmod";
    QTest::newRow("a link to another file") << "link";
    QTest::newRow("a dangling link") << "dangling";
    QTest::newRow("another user's") << "chown";
}

void TestDebugLog::refusesLogOfOthers()
{
    // Prepared by someone else in a folder both can write: the account key must not go there.
    QFETCH(QString, prepared);
    const QString target = m_state->FilePath("elsewhere");
    QFile::remove(target);
    if (prepared == "link" || prepared == "chmod" || prepared == "chown") {
        QFile file(prepared == "link" ? target : QString(DebugLogFileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (prepared == "chmod")
        QVERIFY(QFile::setPermissions(DebugLogFileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                            | QFileDevice::ReadOther | QFileDevice::WriteOther));
    if (prepared == "link" || prepared == "dangling")
        QVERIFY(QFile::link(target, DebugLogFileName));
    if (prepared == "chown") {
        if (::geteuid() != 0)
            QSKIP("only root can give a file away");
        QCOMPARE(::chown(DebugLogFileName, 65534, 65534), 0);
    }
    Settings.Debug = 2;
    DebugLog(DebugLevel::Requests, "key");
    QCOMPARE(QFileInfo(DebugLogFileName).size() + QFileInfo(target).size(), 0);
    QCOMPARE(QFile::exists(target), prepared == "link");
}

QTEST_GUILESS_MAIN(TestDebugLog)
#include "tst_debuglog.moc"
