#include <QTemporaryDir>
#include <QTest>

#include "uIniFile.h"

namespace {

// A hand-edited Windows file: CR LF, a comment, an unknown section, keys in an odd
// order, values holding "=", "|", ";" and a Windows-1252 byte.
const QByteArray HandWritten =
    "; my monitor\r\n"
    "[settings]\r\n"
    "password=geheim\r\n"
    "Interval=15\r\n"
    "fetchurl=http://127.0.0.1:8080/x?a=b\r\n"
    "\r\n"
    "[mine]\r\n"
    "anything goes here\r\n"
    "colour=Belgi\xEB\r\n"
    "\r\n"
    "[triggers]\r\n"
    "0=1|14:30|3|2,5|a=b;c\r\n"
    "1=x\r\n";

QByteArray Saved(const TIniFile &ini)
{
    return ini.Serialize();
}

} // namespace

class TestIniFile final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsValues_data();
    void readsValues();
    void keepsWhatItDoesNotTouch();
    void writesInPlaceAndAppends();
    void readsSectionKeysInOrder();
    void replacesAndErasesSections();
    void readsLfFiles();
    void savesAtomicallyWithPermissions();
};

void TestIniFile::readsValues_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "settings" << "password" << "geheim";
    QTest::newRow("value with =") << "settings" << "fetchurl" << "http://127.0.0.1:8080/x?a=b";
    QTest::newRow("case-insensitive names") << "SETTINGS" << "interval" << "15";
    QTest::newRow("windows-1252") << "mine" << "colour" << QStringLiteral("België");
    QTest::newRow("trigger line") << "triggers" << "0" << "1|14:30|3|2,5|a=b;c";
    QTest::newRow("missing key") << "settings" << "key" << "default";
    QTest::newRow("missing section") << "nothing" << "key" << "default";
}

void TestIniFile::readsValues()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TIniFile ini;
    ini.Parse(HandWritten);
    QCOMPARE(ini.ReadString(section, key, "default"), expected);
}

void TestIniFile::keepsWhatItDoesNotTouch()
{
    TIniFile ini;
    ini.Parse(HandWritten);
    QCOMPARE(Saved(ini), HandWritten);
}

void TestIniFile::writesInPlaceAndAppends()
{
    TIniFile ini;
    ini.Parse(HandWritten);
    ini.WriteInteger("settings", "Interval", 20);
    ini.WriteString("settings", "key", "K");
    ini.WriteBool("sounds", "on", false);
    ini.WriteString("settings", "password", "abc\r\n[debug]\noptions=6");

    QByteArray expected = HandWritten;
    expected.replace("Interval=15\r\n", "Interval=20\r\n");
    // A line break in a value would forge a section: it becomes a blank.
    expected.replace("password=geheim", "password=abc  [debug] options=6");
    // A new key goes to the end of its section, before the blank line that separates it.
    expected.replace("x?a=b\r\n\r\n", "x?a=b\r\nkey=K\r\n\r\n");
    expected.append("[sounds]\r\non=0\r\n");
    QCOMPARE(Saved(ini), expected);
    QCOMPARE(ini.ReadInteger("settings", "interval", 0), 20);
    QCOMPARE(ini.ReadBool("sounds", "on", true), false);
}

void TestIniFile::readsSectionKeysInOrder()
{
    TIniFile ini;
    ini.Parse("[t]\r\n2=b\r\n0=a\r\n; comment=no\r\nnot a key\r\n1=c\r\n");
    QCOMPARE(ini.ReadSection("t"), (QStringList{"2", "0", "1"}));
    QCOMPARE(ini.ReadSection("none"), QStringList());

    // Line by line, a repeated key included.
    ini.Parse("[t]\r\n0=a\r\n0=b\r\n");
    QCOMPARE(ini.ReadSectionValues("t"), (QList<QPair<QString, QString>>{{"0", "a"}, {"0", "b"}}));
}

void TestIniFile::replacesAndErasesSections()
{
    TIniFile ini;
    ini.Parse(HandWritten);
    ini.ReplaceSection("triggers", {{"0", "new\nline"}});
    QCOMPARE(ini.ReadSection("triggers"), QStringList{"0"});
    QCOMPARE(ini.ReadString("triggers", "0"), QString("new line"));
    QCOMPARE(ini.ReadString("triggers", "1", "gone"), QString("gone"));

    ini.EraseSection("none such");
    ini.EraseSection("mine");
    QVERIFY(!ini.SectionExists("mine"));
    QVERIFY(ini.SectionExists("settings"));
    QVERIFY(!Saved(ini).contains("anything goes here"));
}

void TestIniFile::readsLfFiles()
{
    TIniFile ini;
    ini.Parse("[a]\nx=1\ny = 2 \n");
    QCOMPARE(ini.ReadInteger("a", "x", 0), 1);
    QCOMPARE(ini.ReadInteger("a", "y", 0), 2);
    QCOMPARE(Saved(ini), QByteArray("[a]\r\nx=1\r\ny = 2 \r\n"));

    // Only a line that starts with "[" heads a section; a "]" in a value is the value's.
    ini.Parse("[a]\nx=b]c\n");
    QCOMPARE(ini.ReadString("a", "x"), QString("b]c"));

    // A byte-order mark means UTF-8, and is no part of the first section's header; the
    // file is written back as it came.
    ini.Parse("\xEF\xBB\xBF[a]\r\nx=j\xC3\xB6rg\r\n");
    QCOMPARE(ini.ReadString("a", "x"), QStringLiteral("jörg"));
    ini.WriteInteger("a", "y", 2);
    QCOMPARE(Saved(ini), QByteArray("\xEF\xBB\xBF[a]\r\nx=j\xC3\xB6rg\r\ny=2\r\n"));
}

void TestIniFile::savesAtomicallyWithPermissions()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("a.ini");
    TIniFile ini;
    QVERIFY(!ini.Load(name)); // no file yet: empty
    ini.SetOwnerOnly(true);
    ini.WriteString("s", "k", "v");
    QVERIFY(ini.Save());
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther;
    QVERIFY(QFile::permissions(name) & QFileDevice::WriteOwner);
    QCOMPARE(QFile::permissions(name) & others, QFileDevice::Permissions());

    // An existing file keeps the permissions its owner gave it.
    QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                    | QFileDevice::WriteUser | QFileDevice::ReadGroup);
    TIniFile again(name);
    again.SetOwnerOnly(true);
    QCOMPARE(again.ReadString("s", "k"), QString("v"));
    QVERIFY(again.Save());
    QVERIFY(QFile::permissions(name) & QFileDevice::ReadGroup);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
