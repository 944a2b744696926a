#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include "tProcessState.h"
#include "uDataFolder.h"
#include "uGlobal.h"
#include "uIniFile.h"
#include "uPayout.h"
#include "uSettings.h"
#include "uTriggers.h"

namespace {

QByteArray ReadAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString PayoutRow(const QString &code, const QString &first)
{
    QString row = code + ";" + first;
    for (int i = 0; i < 17; ++i)
        row += ";0";
    return row;
}

} // namespace

class TestSettings final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void missingFileGivesDefaults();
    void readsIntervals_data();
    void readsIntervals();
    void nonNumericValuesGiveDefaults();
    void handWrittenFileSurvivesSave();
    void keepsUnownedKeysOverRepeatedSaves();
    void preparesFoldersOnlyOnNewVersion();
    void failedMoveLeavesFile();
    void roundTripsEveryField();
    void savesPayoutRules();
    void keepsHandEditedPayoutRows();
    void programFolderChoice_data();
    void programFolderChoice();
    void foreignEntries_data();
    void foreignEntries();
    void runtimeFolderIsPrivate();

private:
    std::optional<TProcessState> m_state;
    QString Ini() const { return m_state->FilePath("bvsettings.ini"); }
};

void TestSettings::init()
{
    m_state.emplace();
}

void TestSettings::cleanup()
{
    m_state.reset();
}

void TestSettings::missingFileGivesDefaults()
{
    LoadSettings(m_state->Folder());
    QCOMPARE(ProgramDir, m_state->Folder() + "/");
    QCOMPARE(Settings.Interval, 10);
    QCOMPARE(Settings.SmallPos, QPoint(FallbackScreenWidth - 410, 0));
    QCOMPARE(Settings.LargePos, QPoint(0, 0));
    QCOMPARE(Settings.LargeW, 640);
    QCOMPARE(Settings.LargeH, 117);
    QVERIFY(Settings.SoundOn && Settings.MainFG && Settings.MiniFG && Settings.Graph);
    QVERIFY(!Settings.NoMini && !Settings.BalloonTips && !Settings.Info);
    QCOMPARE(Settings.FetchUrl, QString(DefaultFetchUrl));
    QCOMPARE(Settings.ChartType, 7);
    QCOMPARE(Settings.ChartLabels, 4);
    QCOMPARE(Settings.ChartItem, 0);
    QCOMPARE(Settings.List, 0);
    QCOMPARE(Settings.Debug, 0);

    // The first start of a version stores it, and only it, and makes the folders.
    TIniFile ini(Ini());
    QCOMPARE(ini.ReadString("settings", "version"), AppVersion);
    QVERIFY(QDir(m_state->FilePath("Bitmaps")).exists());
    QVERIFY(QDir(m_state->FilePath("History")).exists());
    // It may hold a password: nobody else may read it.
    QCOMPARE(QFile::permissions(Ini()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
}

void TestSettings::readsIntervals_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("3 is raised") << QByteArray("Interval=3") << 5;
    QTest::newRow("0 is raised") << QByteArray("Interval=0") << 5;
    QTest::newRow("negative is raised") << QByteArray("Interval=-20") << 5;
    QTest::newRow("5 stays") << QByteArray("Interval=5") << 5;
    QTest::newRow("30 stays") << QByteArray("Interval=30") << 30;
    QTest::newRow("a day at most") << QByteArray("Interval=3000000") << 86400;
    QTest::newRow("not a number") << QByteArray("Interval=tien") << 10;
    QTest::newRow("missing") << QByteArray("other=1") << 10;
}

void TestSettings::readsIntervals()
{
    QFETCH(QByteArray, line);
    QFETCH(int, expected);
    WriteAll(Ini(), "[settings]\r\n" + line + "\r\n");
    LoadSettings(m_state->Folder());
    QCOMPARE(Settings.Interval, expected);
}

void TestSettings::nonNumericValuesGiveDefaults()
{
    WriteAll(Ini(), "[window]\r\nsmallX=links\r\nlargeW=breed\r\nmainFG=ja\r\nNoMini=2\r\n"
                    "[chart]\r\ntype=\r\n[debug]\r\noptions=$6\r\n");
    LoadSettings(m_state->Folder());
    QCOMPARE(Settings.SmallPos.x(), FallbackScreenWidth - 410);
    QCOMPARE(Settings.LargeW, 640);
    QCOMPARE(Settings.MainFG, true);
    QCOMPARE(Settings.NoMini, true); // any non-zero number is true
    QCOMPARE(Settings.ChartType, 7);
    QCOMPARE(Settings.Debug, 6);
}

void TestSettings::handWrittenFileSurvivesSave()
{
    const QByteArray original =
        "[window]\r\n"
        "list=2\r\n"
        "smallX=100\r\n"
        "[settings]\r\n"
        "fetchurl=http://127.0.0.1:9/\r\n"
        "password=p=w\r\n"
        "key=K1\r\n"
        "Interval=7\r\n"
        "version=" + AppVersion.toLatin1() + "\r\n"
        "[unknown]\r\n"
        "; a note\r\n"
        "x=y\r\n"
        "[triggers]\r\n"
        "0=1|14:30|5|3|2,5|4|Er is iets=raar|0|1\r\n"
        "[debug]\r\n"
        "options=6\r\n";
    WriteAll(Ini(), original);
    QFile::setPermissions(Ini(), QFile::permissions(Ini()) | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    LoadSettings(m_state->Folder());
    QCOMPARE(Settings.Password, QString("p=w"));
    QCOMPARE(Settings.List, 2);
    QCOMPARE(Settings.SmallPos.x(), 100);
    QVERIFY(SaveSettings());
    // Made by hand, readable by all; with a password in it, saved for its owner only.
    QCOMPARE(QFile::permissions(Ini()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());

    const QByteArray saved = ReadAll(Ini());
    // Everything of the original stands as it was, in its order.
    qsizetype from = 0;
    for (const QByteArray &line : original.split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype at = saved.indexOf(line + '\n', from);
        QVERIFY2(at >= 0, line.constData());
        from = at;
    }
    TIniFile ini(Ini());
    QCOMPARE(ini.ReadString("sounds", "on"), QString("1"));
    QCOMPARE(ini.ReadString("chart", "type"), QString("7"));
    QCOMPARE(ini.ReadString("settings", "Interval"), QString("7"));
}

void TestSettings::keepsUnownedKeysOverRepeatedSaves()
{
    WriteAll(Ini(), "[settings]\r\nfetchurl=http://localhost:1234/\r\nversionurl=http://v/\r\n"
                    "[debug]\r\noptions=7\r\n");
    for (int i = 0; i < 3; ++i) {
        LoadSettings(m_state->Folder());
        Settings.FetchUrl = "http://changed/";
        Settings.Debug = 0;
        Settings.Key = QString("K%1").arg(i);
        QVERIFY(SaveSettings());
    }
    TIniFile ini(Ini());
    QCOMPARE(ini.ReadString("settings", "fetchurl"), QString("http://localhost:1234/"));
    QCOMPARE(ini.ReadString("settings", "versionurl"), QString("http://v/"));
    QCOMPARE(ini.ReadString("debug", "options"), QString("7"));
    QCOMPARE(ini.ReadString("settings", "key"), QString("K2"));
}

void TestSettings::preparesFoldersOnlyOnNewVersion()
{
    WriteAll(m_state->FilePath("AB.bmp"), "b");
    WriteAll(m_state->FilePath("01-01-2026.hlg"), "h");
    WriteAll(Ini(), "[settings]\r\nversion=" + AppVersion.toLatin1() + "\r\n");
    LoadSettings(m_state->Folder());
    QVERIFY(!QDir(m_state->FilePath("Bitmaps")).exists());
    QVERIFY(QFile::exists(m_state->FilePath("AB.bmp")));

    // The new version is stored at once: a password in the file keeps it from others.
    WriteAll(Ini(), "[settings]\r\nversion=1.3.1.19\r\npassword=pw\r\n");
    QFile::setPermissions(Ini(), QFile::permissions(Ini()) | QFileDevice::ReadOther);
    LoadSettings(m_state->Folder());
    QCOMPARE(QFile::permissions(Ini()) & QFileDevice::ReadOther, QFileDevice::Permissions());
    QVERIFY(QFile::exists(m_state->FilePath("Bitmaps/AB.bmp")));
    QVERIFY(QFile::exists(m_state->FilePath("History/01-01-2026.hlg")));
    QVERIFY(!QFile::exists(m_state->FilePath("AB.bmp")));
    QCOMPARE(TIniFile(Ini()).ReadString("settings", "version"), AppVersion);
}

void TestSettings::failedMoveLeavesFile()
{
    QDir(m_state->Folder()).mkpath("Bitmaps");
    WriteAll(m_state->FilePath("Bitmaps/AB.bmp"), "old");
    WriteAll(m_state->FilePath("AB.bmp"), "new");
    LoadSettings(m_state->Folder());
    QCOMPARE(ReadAll(m_state->FilePath("AB.bmp")), QByteArray("new"));
    QCOMPARE(ReadAll(m_state->FilePath("Bitmaps/AB.bmp")), QByteArray("old"));
}

void TestSettings::roundTripsEveryField()
{
    LoadSettings(m_state->Folder());
    QFile::remove(Ini()); // made anew by the save: it holds the password, for its owner only
    for (int pass = 0; pass < 4; ++pass) {
        // Flag k holds bit `pass` of k + 1: every flag is true in one pass and false in
        // another, and no two flags agree in every pass.
        const auto flag = [pass](int k) { return (((k + 1) >> pass) & 1) != 0; };
        TSettings s = Settings;
        s.Interval = 20 + pass;
        s.SoundUp = "/snd/op.wav";
        s.SoundDown = "/snd/neer.wav";
        s.SmallPos = QPoint(11, 22);
        s.LargePos = QPoint(33, 44);
        s.LargeW = 555;
        s.LargeH = 66;
        s.GraphH = 77;
        s.Key = "K";
        s.Password = "P";
        s.List = 3;
        s.ChartLabels = 1;
        s.ChartItem = 2;
        s.ChartType = 5;
        s.SoundOn = flag(0);
        s.ShowCalls = flag(1);
        s.ShowOnline = flag(2);
        s.ShowMinutes = flag(3);
        s.MainFG = flag(4);
        s.MiniFG = flag(5);
        s.NoMini = flag(6);
        s.BalloonTips = flag(7);
        s.Graph = flag(8);
        s.Info = flag(9);
        s.ShowYesterday = flag(10);
        s.QuietUntil = QDateTime(QDate(2026, 12, 8), QTime(14, 30, pass)); // a snooze survives a restart
        s.QuietFrom = "22:00";
        s.QuietTo = "07:00";
        Settings = s;
        TTriggers.clear();
        TTriggers.push_back(std::make_unique<TTrigger>("", "1", "t", 0, 0, 0, 4, true, pass));
        QVERIFY(SaveSettings());
        Settings = TSettings();
        TTriggers.clear();
        LoadSettings(m_state->Folder());
        QVERIFY2(Settings == s, qPrintable(QString("pass %1").arg(pass)));
        QCOMPARE(TTriggers.size(), std::size_t(1));
    }
    QCOMPARE(QFile::permissions(Ini()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
}

void TestSettings::savesPayoutRules()
{
    // A code longer than a rule keeps is one rule with the code it keeps.
    WriteAll(Ini(), ("[payout]\r\nCount=2\r\nitem0cc-1=" + PayoutRow("", "0,1") + "\r\nitem1cc0="
                     + PayoutRow("AB", "0,35") + "\r\nitem1cc1=" + PayoutRow("ABX", "0,5") + "\r\n")
                        .toLatin1());
    LoadSettings(m_state->Folder());
    QCOMPARE(int(PayoutRules.size()), 2);
    QCOMPARE(PayoutRules[1]->Amounts.At(1, -1), 0.5);
    QCOMPARE(PayoutRules[0]->ProgCode.text(), QString());
    QCOMPARE(PayoutRules[0]->Amounts.At(-1, -1), 0.1);
    QCOMPARE(PayoutRules[1]->ProgCode.text(), QString("AB"));
    QCOMPARE(PayoutRules[1]->Amounts.At(0, -1), 0.35);

    QVERIFY(SaveSettings());
    PayoutRules.clear();
    QLocale::setDefault(QLocale::c()); // started once with LC_ALL=C: "0,35" must still read
    LoadSettings(m_state->Folder());
    QCOMPARE(int(PayoutRules.size()), 2);
    QCOMPARE(PayoutRules[1]->Amounts.At(0, -1), 0.35);
    TIniFile ini(Ini());
    QCOMPARE(ini.ReadSection("payout").size(), 1 + 2 * 19);

    // No rules left: Count 0 is written and the next start has none.
    PayoutRules.clear();
    QVERIFY(SaveSettings());
    LoadSettings(m_state->Folder());
    QVERIFY(PayoutRules.empty());
    QCOMPARE(TIniFile(Ini()).ReadString("payout", "Count"), QString("0"));
}

void TestSettings::keepsHandEditedPayoutRows()
{
    // Saved by an editor with a byte-order mark; a code longer than two letters in two
    // rows; an amount that is no number; a rule beyond Count; a rule left from a first load.
    WriteAll(Ini(), ("\xEF\xBB\xBF[payout]\r\nCount=1\r\nitem0cc-1=" + PayoutRow("ABC", "0.5") + "\r\nitem0cc0="
                     + PayoutRow("ABC", "twee") + "\r\nitem1cc0=" + PayoutRow("CD", "1") + "\r\n")
                        .toLatin1());
    FindPayoutRule("XY", true);
    LoadSettings(m_state->Folder());
    QCOMPARE(int(PayoutRules.size()), 1);
    QCOMPARE(PayoutRules[0]->ProgCode.text(), QString("AB"));
    QCOMPARE(PayoutRules[0]->Amounts.At(-1, -1), 0.5);
    QCOMPARE(PayoutRules[0]->Amounts.At(0, -1), 0.0);

    QVERIFY(SaveSettings());
    const QByteArray saved = ReadAll(Ini());
    QCOMPARE(saved.count("[payout]"), 1);
    QVERIFY(saved.contains("item0cc0=AB;twee;0;"));

    // Without a Count no row is read.
    PayoutRules.clear();
    WriteAll(Ini(), ("[payout]\r\nitem0cc-1=" + PayoutRow("", "1") + "\r\n").toLatin1());
    LoadSettings(m_state->Folder());
    QVERIFY(PayoutRules.empty());
}

void TestSettings::programFolderChoice_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<bool>("portable");
    QTest::newRow("a folder of its own") << QString() << 0755 << false << true;
    // Root or a ~/.local installation can write there, yet it is no place for data.
    QTest::newRow("installed, writable") << BV_BIN_TO_DATA "/applications/" BV_APP_ID ".desktop" << 0755 << false << false;
    QTest::newRow("another program's entry") << BV_BIN_TO_DATA "/applications/other.desktop" << 0755 << false << true;
    QTest::newRow("read-only") << QString() << 0500 << false << false;
    // Another user could plant a settings file with a trigger that runs as this one.
    QTest::newRow("shared, sticky") << QString() << 01777 << false << false;
    QTest::newRow("group may write") << QString() << 0775 << false << false;
    QTest::newRow("another user's") << QString() << 0755 << true << false;
}

void TestSettings::programFolderChoice()
{
    QFETCH(QString, layout);
    QFETCH(int, mode);
    QFETCH(bool, foreign);
    QFETCH(bool, portable);
    const QString bin = m_state->FilePath("bin");
    const QString data = m_state->FilePath("home/.local/share/bvmonitor");
    QVERIFY(QDir().mkpath(bin));
    if (!layout.isEmpty()) {
        QVERIFY(QDir(bin).mkpath(QFileInfo(layout).path()));
        WriteAll(bin + "/" + layout, "[Desktop Entry]\n");
    }
    if (foreign && ::geteuid() != 0)
        QSKIP("only root can give a folder away");
    if (mode == 0500 && ::geteuid() == 0)
        QSKIP("root writes to any folder");
    QCOMPARE(::chmod(QFile::encodeName(bin).constData(), mode_t(mode)), 0);
    if (foreign)
        QCOMPARE(::chown(QFile::encodeName(bin).constData(), 65534, 65534), 0);
    const QString chosen = ChooseProgramDir(bin, data);
    QCOMPARE(::chmod(QFile::encodeName(bin).constData(), 0700), 0);
    QCOMPARE(chosen, portable ? bin : data);
    QCOMPARE(QFileInfo::exists(data), !portable);
    // It holds the settings file with the password: the user's alone.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (!portable)
        QCOMPARE(QFile::permissions(data) & others, QFileDevice::Permissions());
}

void TestSettings::foreignEntries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("how");
    QTest::newRow("all sound") << QString() << QString();
    QTest::newRow("settings file, a link") << "bvsettings.ini" << "link";
    QTest::newRow("History, a link") << "History" << "link";
    QTest::newRow("settings file, another user's") << "bvsettings.ini" << "chown";
    QTest::newRow("Bitmaps, others may write") << "Bitmaps" << "chmod";
    QTest::newRow("the folder, others may write") << "." << "chmod";
}

void TestSettings::foreignEntries()
{
    QFETCH(QString, name);
    QFETCH(QString, how);
    const QString folder = m_state->FilePath("data");
    QVERIFY(QDir().mkpath(folder + "/History"));
    QVERIFY(QDir().mkpath(folder + "/Bitmaps"));
    QVERIFY(QDir().mkpath(m_state->FilePath("elsewhere")));
    WriteAll(folder + "/bvsettings.ini", "[settings]\r\n");
    const QString path = QDir::cleanPath(folder + "/" + name);
    if (how == "link") {
        QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
        QVERIFY(QFile::link(m_state->FilePath("elsewhere"), path));
    } else if (how == "chmod") {
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 01777), 0);
    } else if (how == "chown") {
        if (::geteuid() != 0)
            QSKIP("only root can give a file away");
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    }
    QCOMPARE(ForeignEntry(folder), how.isEmpty() ? QString() : path);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
}

// Without a runtime folder of the session's, the program makes one of its own, closed to others.
void TestSettings::runtimeFolderIsPrivate()
{
    const auto saved = [](const char *name) {
        return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    };
    const auto restore = [](const char *name, const std::optional<QByteArray> &value) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    };
    const std::optional<QByteArray> runtime = saved("XDG_RUNTIME_DIR");
    const std::optional<QByteArray> data = saved("XDG_DATA_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_DATA_HOME", m_state->FilePath("share").toLocal8Bit());
    const QString folder = PrivateRuntimeDir();
    restore("XDG_RUNTIME_DIR", runtime);
    restore("XDG_DATA_HOME", data);
    QVERIFY(folder.startsWith(m_state->FilePath("share/")));
    QCOMPARE(QFile::permissions(folder) & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                            | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
             QFileDevice::Permissions());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
