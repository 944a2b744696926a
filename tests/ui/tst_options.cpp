#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "tLoopbackServer.h"
#include "tRecordingPlatform.h"
#include "uAutostart.h"
#include "uFetcher.h"
#include "uIniFile.h"
#include "uMain.h"
#include "uOptions.h"
#include "uPayout.h"
#include "uPayoutEditor.h"
#include "uSettings.h"
#include "uTriggers.h"

namespace {

const QByteArray Key = "K";
// Account lines must be longer than 32 characters.
const QByteArray AccountA = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA|Eerste|1";
const QByteArray AccountB = "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB|Tweede|0";

template <typename T>
T *Find(QWidget *parent, const char *name)
{
    T *child = parent->findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

QStringList TreeRows(QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells.append(list->topLevelItem(i)->text(c));
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

QStringList GridRows(QTableWidget *grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells.append(grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

void AddProg(const QString &code, const QString &name)
{
    auto prog = std::make_unique<TPProgItem>();
    prog->ProgCode = code;
    prog->ProgName = name;
    TPProgs.push_back(std::move(prog));
}

// The settings file as it is on disk; empty when there is none.
QByteArray FileBytes()
{
    QFile file(SettingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The options dialog driven through its controls, against a loopback service.
class TestOptions final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void settingsShownAndWrittenOnOk();
    void cancelWritesNothing();
    void intervalControls();
    void emptiedIntervalKeepsSetting();
    void passwordTakenAtTabChange();
    void openingRequests_data();
    void openingRequests();
    void accountList_data();
    void accountList();
    void addKey_data();
    void addKey();
    void addListedKeySendsNothing();
    void removeKey();
    void replyAfterCloseIgnored();
    void contactDataRoundTrip();
    void soundButtons();
    void startAtLogin();
    void autostartExec_data();
    void autostartExec();
    void autostartPercentOnPath();
    void autostartSwitchedOff_data();
    void autostartSwitchedOff();

    void triggerColumnTexts_data();
    void triggerColumnTexts();
    void triggerAddEditDelete();
    void browsingKeepsTriggerState();
    void deletingLastTriggerClearsEditor();
    void unreadableTimeRejected();
    void threeTriggersSavedAfterFive();

    void payoutRowsFromRules();
    void payoutTabWithoutProgrammes_data();
    void payoutTabWithoutProgrammes();
    void payoutAmountEntry_data();
    void payoutAmountEntry();
    void payoutAmountTypedInCell();
    void payoutRebuiltOnOk();
    void payoutUntouched_data();
    void payoutUntouched();
    void payoutDeleteRow();

    void setupFromMainWindow();

private:
    void Serve(const QByteArray &command, const QByteArray &data, int status = 200);
    QByteArrayList Commands() const;
    QByteArrayList CommandsWhenIdle();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLoopbackServer> m_server;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
    std::unique_ptr<TFetcher> m_connector;
    QMap<QByteArray, QPair<QByteArray, int>> m_replies;
};

void TestOptions::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
}

void TestOptions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<TLoopbackServer>();
    m_replies.clear();
    m_server->SetResponder([this](const TRecordedRequest &request) {
        const QByteArray args = TLoopbackServer::Unscramble(request.Body, Key);
        QByteArray command = args.mid(2, 3);
        const auto reply = m_replies.value(command, {QByteArray(), 200});
        return TServerAction::Reply(TLoopbackServer::HttpReply(command + "\r\n" + reply.first, reply.second));
    });
    m_platform = std::make_unique<TRecordingPlatformGuard>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toLocal8Bit());
    TPProgs.clear();
    TAccounts.clear();
    TTriggers.clear();
    PayoutRules.clear();
    LoadSettings(m_dir->path());
    Settings.FetchUrl = m_server->Url().toString();
    Settings.Key = QString::fromLatin1(Key);
    Settings.Password = QStringLiteral("pw");
    m_connector = std::make_unique<TFetcher>();
    SetConnector(m_connector.get());
}

void TestOptions::cleanup()
{
    SetConnector(nullptr);
    m_connector.reset();
    m_platform.reset();
    m_server.reset();
    m_dir.reset();
}

void TestOptions::Serve(const QByteArray &command, const QByteArray &data, int status)
{
    m_replies[command] = {data, status};
}

QByteArrayList TestOptions::Commands() const
{
    QByteArrayList commands;
    for (const TRecordedRequest &request : m_server->Requests)
        commands.append(TLoopbackServer::Unscramble(request.Body, Key));
    return commands;
}

QByteArrayList TestOptions::CommandsWhenIdle()
{
    if (!QTest::qWaitFor([this] { return m_connector->QueuedCount() == 0 && !m_connector->Busy(); }))
        qWarning("connector still busy");
    return Commands();
}

void TestOptions::settingsShownAndWrittenOnOk()
{
    Settings.Interval = 30;
    Settings.SoundUp = QStringLiteral("/snd/up.wav");
    Settings.SoundDown = QStringLiteral("/snd/down.wav");
    Settings.MainFG = true;
    Settings.MiniFG = false;
    Settings.NoMini = true;
    Settings.BalloonTips = false;
    TfrmOptions dialog;
    QCOMPARE(Find<QLabel>(&dialog, "lblVersion")->text(), QStringLiteral("Versie ") + AppVersion);
    QCOMPARE(Find<QSpinBox>(&dialog, "seInterval")->value(), 30);
    QCOMPARE(Find<QSlider>(&dialog, "tbInterval")->value(), 30);
    QCOMPARE(Find<QLineEdit>(&dialog, "eUpSound")->text(), QStringLiteral("/snd/up.wav"));
    QCOMPARE(Find<QLineEdit>(&dialog, "eDownSound")->text(), QStringLiteral("/snd/down.wav"));
    QCOMPARE(Find<QLineEdit>(&dialog, "mBVKey")->text(), QStringLiteral("K"));
    QCOMPARE(Find<QLineEdit>(&dialog, "ePass")->text(), QStringLiteral("pw"));
    QVERIFY(Find<QCheckBox>(&dialog, "chkForeground")->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, "chkFGMini")->isChecked());
    QVERIFY(Find<QCheckBox>(&dialog, "chkNoMini")->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, "chkBalloonTips")->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, "chkQuiet")->isChecked());
    QVERIFY(!Find<QTimeEdit>(&dialog, "teQuietFrom")->isEnabled());
    QCOMPARE(Find<QTabWidget>(&dialog, "pgOptions")->currentIndex(), 0);

    Find<QSpinBox>(&dialog, "seInterval")->setValue(45);
    Find<QLineEdit>(&dialog, "eUpSound")->setText(QStringLiteral("/snd/in.wav"));
    Find<QLineEdit>(&dialog, "eDownSound")->setText(QStringLiteral("/snd/uit.wav"));
    Find<QLineEdit>(&dialog, "ePass")->setText(QStringLiteral("geheim"));
    Find<QCheckBox>(&dialog, "chkForeground")->setChecked(false);
    Find<QCheckBox>(&dialog, "chkFGMini")->setChecked(true);
    Find<QCheckBox>(&dialog, "chkNoMini")->setChecked(false);
    Find<QCheckBox>(&dialog, "chkBalloonTips")->setChecked(true);
    Find<QCheckBox>(&dialog, "chkQuiet")->setChecked(true);
    // Equal times are quiet hours that never hold: refused.
    Find<QTimeEdit>(&dialog, "teQuietTo")->setTime(QTime(22, 0));
    QSignalSpy finished(&dialog, &QDialog::finished);
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(finished.size(), 0);
    Find<QTimeEdit>(&dialog, "teQuietTo")->setTime(QTime(6, 30));
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));
    QVERIFY(!frmOptions);

    // What the file holds is what the next start reads.
    Settings = TSettings{};
    LoadSettings(m_dir->path());
    QCOMPARE(Settings.Interval, 45);
    QCOMPARE(Settings.SoundUp, QStringLiteral("/snd/in.wav"));
    QCOMPARE(Settings.SoundDown, QStringLiteral("/snd/uit.wav"));
    QCOMPARE(Settings.Key, QStringLiteral("K"));
    QCOMPARE(Settings.Password, QStringLiteral("geheim"));
    QVERIFY(!Settings.MainFG);
    QVERIFY(Settings.MiniFG);
    QVERIFY(!Settings.NoMini);
    QVERIFY(Settings.BalloonTips);
    QCOMPARE(Settings.QuietFrom, QStringLiteral("22:00"));
    QCOMPARE(Settings.QuietTo, QStringLiteral("06:30"));
}

void TestOptions::cancelWritesNothing()
{
    const TSettings before = Settings;
    const QByteArray file = FileBytes();
    TfrmOptions dialog;
    Find<QSpinBox>(&dialog, "seInterval")->setValue(200);
    Find<QLineEdit>(&dialog, "eUpSound")->setText(QStringLiteral("/x.wav"));
    Find<QCheckBox>(&dialog, "chkBalloonTips")->setChecked(!before.BalloonTips);
    QSignalSpy finished(&dialog, &QDialog::finished);
    Find<QPushButton>(&dialog, "btnCancel")->click();
    QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
    QCOMPARE(Settings.Interval, before.Interval);
    QCOMPARE(Settings.SoundUp, before.SoundUp);
    QCOMPARE(Settings.BalloonTips, before.BalloonTips);
    QCOMPARE(FileBytes(), file);
}

void TestOptions::intervalControls()
{
    TfrmOptions dialog;
    auto *track = Find<QSlider>(&dialog, "tbInterval");
    auto *spin = Find<QSpinBox>(&dialog, "seInterval");
    spin->setValue(120);
    QCOMPARE(track->value(), 120);
    track->setValue(200);
    QCOMPARE(spin->value(), 200);
    // The spin edit starts at 10, so the track bar's lowest positions show 10.
    track->setValue(7);
    QCOMPARE(spin->value(), 10);
    spin->findChild<QLineEdit *>()->clear();
    dialog.seIntervalExit();
    QCOMPARE(spin->text(), QStringLiteral("10"));
}

void TestOptions::emptiedIntervalKeepsSetting()
{
    Settings.Interval = 60;
    TfrmOptions dialog;
    Find<QSpinBox>(&dialog, "seInterval")->findChild<QLineEdit *>()->clear();
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(Settings.Interval, 60);
}

void TestOptions::passwordTakenAtTabChange()
{
    const QByteArray file = FileBytes();
    TfrmOptions dialog;
    // Pasted with the blanks and line end around them.
    Find<QLineEdit>(&dialog, "ePass")->setText(QStringLiteral(" nieuw\r\n"));
    Find<QLineEdit>(&dialog, "mBVKey")->setText(QStringLiteral("K2\n"));
    QCOMPARE(Settings.Password, QStringLiteral("pw"));
    Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(2);
    QCOMPARE(Settings.Password, QStringLiteral("nieuw"));
    QCOMPARE(Settings.Key, QStringLiteral("K2"));
    Find<QPushButton>(&dialog, "btnCancel")->click();
    QCOMPARE(Settings.Password, QStringLiteral("nieuw"));
    QCOMPARE(FileBytes(), file);
}

void TestOptions::openingRequests_data()
{
    QTest::addColumn<bool>("progsKnown");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArrayList>("commands");
    QTest::newRow("no programmes") << false << "pw" << QByteArrayList{"c=106", "c=107"};
    QTest::newRow("programmes known") << true << "pw" << QByteArrayList{"c=107"};
    QTest::newRow("no password") << false << "" << QByteArrayList{};
}

void TestOptions::openingRequests()
{
    QFETCH(bool, progsKnown);
    QFETCH(QString, password);
    if (progsKnown)
        AddProg("AB", "Alpha");
    Settings.Password = password;
    TfrmOptions dialog;
    QCOMPARE(Find<QLabel>(&dialog, "lblInfo")->text(),
             password.isEmpty() ? QString() : QStringLiteral("Account keys ophalen..."));
    QVERIFY(!Find<QPushButton>(&dialog, "btnAdd")->isEnabled());
    QTEST(CommandsWhenIdle(), "commands");
}

void TestOptions::accountList_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("info");
    QTest::addColumn<bool>("addEnabled");
    QTest::newRow("ok") << QByteArray("OK\r\n" + AccountA + "\r\nkort|x|1\r\n" + AccountB + "\r\n") << 200
                        << QStringList{QString::fromLatin1(AccountA.left(32)) + "|Eerste|Ja",
                                       QString::fromLatin1(AccountB.left(32)) + "|Tweede|Nee"}
                        << "" << true;
    QTest::newRow("refused") << QByteArray("ERR\r\nGeen toegang\r\n") << 200 << QStringList{} << "Geen toegang"
                             << true;
    QTest::newRow("refused in markup") << QByteArray("ERR\r\n<img src=\"x.png\"><b>Nee</b>\r\n") << 200
                                       << QStringList{} << "<img src=\"x.png\"><b>Nee</b>" << true;
    QTest::newRow("short") << QByteArray() << 200 << QStringList{} << "FOUT TIJDENS OPHALEN!" << false;
    QTest::newRow("http error") << QByteArray("OK\r\n") << 500 << QStringList{} << "FOUT TIJDENS OPHALEN!"
                                << false;
}

void TestOptions::accountList()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, status);
    AddProg("AB", "Alpha");
    // The list is the server's: an old entry must go whatever the reply.
    TAccounts.push_back(std::make_unique<TAccount>(TAccount{"OUD", "Oud", true}));
    Serve("107", reply, status);
    TfrmOptions dialog;
    auto *info = Find<QLabel>(&dialog, "lblInfo");
    QTRY_VERIFY(info->text() != QStringLiteral("Account keys ophalen..."));
    QTEST(info->text(), "info");
    QCOMPARE(info->textFormat(), Qt::PlainText);
    QTEST(TreeRows(Find<QTreeWidget>(&dialog, "lvAccounts")), "rows");
    QTEST(Find<QPushButton>(&dialog, "btnAdd")->isEnabled(), "addEnabled");
}

void TestOptions::addKey_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("added") << QByteArray("OK\r\nDerde\r\n") << "Key is toegevoegd" << QStringList{"NIEUW|Derde|Ja"};
    QTest::newRow("refused") << QByteArray("ERR\r\nOngeldige key\r\n") << "Ongeldige key" << QStringList{};
    QTest::newRow("short") << QByteArray("OK\r\n") << "FOUT TIJDENS TOEVOEGEN!" << QStringList{};
}

void TestOptions::addKey()
{
    QFETCH(QByteArray, reply);
    AddProg("AB", "Alpha");
    Serve("107", "OK\r\n");
    Serve("101", reply);
    TfrmOptions dialog;
    auto *add = Find<QPushButton>(&dialog, "btnAdd");
    QTRY_VERIFY(add->isEnabled());
    Find<QLineEdit>(&dialog, "eAKey")->setText(QStringLiteral("NIEUW"));
    add->click();
    // The new key's programmes are fetched again with the next request that needs them.
    QVERIFY(TPProgs.empty());
    auto *info = Find<QLabel>(&dialog, "lblInfo");
    QTRY_VERIFY(!info->text().isEmpty());
    QTEST(info->text(), "info");
    QTEST(TreeRows(Find<QTreeWidget>(&dialog, "lvAccounts")), "rows");
    QCOMPARE(Commands().last(), QByteArray("c=101&k=NIEUW&a=1"));
}

void TestOptions::addListedKeySendsNothing()
{
    AddProg("AB", "Alpha");
    Serve("107", "OK\r\n" + AccountA + "\r\n");
    TfrmOptions dialog;
    QTRY_COMPARE(Find<QTreeWidget>(&dialog, "lvAccounts")->topLevelItemCount(), 1);
    const qsizetype sent = CommandsWhenIdle().size();
    Find<QLineEdit>(&dialog, "eAKey")->setText(QString::fromLatin1(AccountA.left(32)));
    Find<QPushButton>(&dialog, "btnAdd")->click();
    QCOMPARE(Find<QLabel>(&dialog, "lblInfo")->text(), QStringLiteral("Key is al toegevoegd!"));
    QCOMPARE(TPProgs.size(), size_t(1));
    QCOMPARE(CommandsWhenIdle().size(), sent);
}

void TestOptions::removeKey()
{
    AddProg("AB", "Alpha");
    const QByteArray key = AccountB.left(32);
    Serve("107", "OK\r\n" + AccountA + "\r\n" + AccountB + "\r\n");
    Serve("105", "OK\r\n" + key + "\r\n");
    TfrmOptions dialog;
    auto *list = Find<QTreeWidget>(&dialog, "lvAccounts");
    QTRY_COMPARE(list->topLevelItemCount(), 2);
    auto *del = Find<QPushButton>(&dialog, "btnDel");
    del->click(); // nothing selected: nothing asked
    QVERIFY(m_platform->Events().isEmpty());
    list->setCurrentItem(list->topLevelItem(1));
    del->click(); // answered No
    QCOMPARE(m_platform->Events(),
             QStringList{"ask:Bevestigen|Account Key \"" + QString::fromLatin1(key) + "\" verwijderen ?"});
    QCOMPARE(CommandsWhenIdle().size(), 1);
    m_platform->Recorder().Answer = true;
    del->click();
    QTRY_COMPARE(Find<QLabel>(&dialog, "lblInfo")->text(), QStringLiteral("Key is verwijderd"));
    QCOMPARE(Commands().last(), "c=105&k=" + key);
    QCOMPARE(TreeRows(list), QStringList{QString::fromLatin1(AccountA.left(32)) + "|Eerste|Ja"});
    QVERIFY(TPProgs.empty());
}

void TestOptions::replyAfterCloseIgnored()
{
    AddProg("AB", "Alpha");
    TAccounts.push_back(std::make_unique<TAccount>(TAccount{"OUD", "Oud", true}));
    Serve("107", "OK\r\n" + AccountA + "\r\n");
    {
        TfrmOptions dialog;
        Find<QPushButton>(&dialog, "btnCancel")->click();
        QTRY_COMPARE(CommandsWhenIdle().size(), 1);
    }
    QCOMPARE(TAccounts.size(), size_t(1));
    QCOMPARE(TAccounts.front()->Key, QStringLiteral("OUD"));
}

void TestOptions::contactDataRoundTrip()
{
    AddProg("AB", "Alpha");
    Serve("110", "piet@example.nl\r\n0612345678\r\npiet@msn\r\n");
    TfrmOptions dialog;
    auto *tabs = Find<QTabWidget>(&dialog, "pgOptions");
    tabs->setCurrentIndex(1);
    QTRY_COMPARE(Find<QLineEdit>(&dialog, "eEmail")->text(), QStringLiteral("piet@example.nl"));
    QCOMPARE(Find<QLineEdit>(&dialog, "eMobile")->text(), QStringLiteral("0612345678"));
    QCOMPARE(Find<QLineEdit>(&dialog, "eMSN")->text(), QStringLiteral("piet@msn"));
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(1);
    QCOMPARE(CommandsWhenIdle(), (QByteArrayList{"c=107", "c=110"}));
    // Sent back although nothing was typed.
    Find<QPushButton>(&dialog, "btnOk")->click();
    QTRY_COMPARE(Commands().size(), 3);
    QCOMPARE(Commands().last(), QByteArray("c=111&e=piet@example.nl&p=0612345678&m=piet@msn"));
}

void TestOptions::soundButtons()
{
    Settings.SoundUp = QStringLiteral("/snd/up.wav");
    Settings.Password.clear();
    TfrmOptions dialog;
    Find<QLineEdit>(&dialog, "eDownSound")->setText(QStringLiteral("/snd/down.wav"));
    Find<QPushButton>(&dialog, "SpeedButton1")->click();
    // Enter on a play button plays; it does not press OK.
    dialog.show();
    QSignalSpy finished(&dialog, &QDialog::finished);
    QTest::keyClick(Find<QPushButton>(&dialog, "SpeedButton2"), Qt::Key_Return);
    QCOMPARE(finished.size(), 0);
    QCOMPARE(m_platform->Events(), (QStringList{"sound-sync:/snd/up.wav", "sound-sync:/snd/down.wav"}));

    const QString wav = m_dir->filePath("kies.wav");
    QFile file(wav);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    // No file dialog until one is asked for: it writes Qt's settings file when it goes.
    QVERIFY(!dialog.findChild<QFileDialog *>());
    Find<QPushButton>(&dialog, "btnOpenDown")->click();
    auto *files = Find<QFileDialog>(&dialog, "dlgOpen");
    QVERIFY(files->isVisible());
    emit files->fileSelected(wav);
    files->reject();
    QCOMPARE(Find<QLineEdit>(&dialog, "eDownSound")->text(), wav);
    QCOMPARE(Find<QLineEdit>(&dialog, "eUpSound")->text(), QStringLiteral("/snd/up.wav"));

    // The trigger editor's browse button takes any file for other actions, and the sound
    // filter comes back afterwards.
    auto *action = Find<QComboBox>(&dialog, "cbxAction");
    action->setCurrentIndex(1);
    QVERIFY(!Find<QPushButton>(&dialog, "btnPlay")->isEnabled());
    QTRY_VERIFY(!dialog.findChild<QFileDialog *>());
    Find<QPushButton>(&dialog, "btnBrowse")->click();
    files = Find<QFileDialog>(&dialog, "dlgOpen");
    QCOMPARE(files->nameFilters(), QStringList{"Alle bestanden (*.*)"});
    emit files->fileSelected(QStringLiteral("/usr/bin/prog"));
    files->reject();
    QCOMPARE(Find<QLineEdit>(&dialog, "eAction")->text(), QStringLiteral("/usr/bin/prog"));
    action->setCurrentIndex(0);
    auto *play = Find<QPushButton>(&dialog, "btnPlay");
    QVERIFY(play->isEnabled());
    play->click();
    QCOMPARE(m_platform->Events().last(), QStringLiteral("sound-sync:/usr/bin/prog"));
}

void TestOptions::triggerColumnTexts_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("row");
    QTest::newRow("na") << "3|14:30|1|3|100|4|Drukte|0|1" << "tijd na 14:30|Bellers|=>100|Ballontip|Ja";
    QTest::newRow("kind without time") << "3||0|0|5|0|a.wav|0|0" << "altijd|Online|<5|Geluid|Nee";
    QTest::newRow("altijd with time") << "0|14:30|2|4|9|3|u|2|1" << "altijd|Minuten|>9|URL|Ja";
    QTest::newRow("tussen") << "4|12:00 14:00|11|2|1|1|p|1|1" << "tijd tussen 12:00 14:00|Gemiddeld Voice|=1|Programma|Ja";
    QTest::newRow("under yesterday") << "0||1|5|80|4|Rustig|0|1" << "altijd|Bellers|80% onder gisteren|Ballontip|Ja";
}

void TestOptions::triggerColumnTexts()
{
    QFETCH(QString, line);
    Settings.Password.clear();
    TTrigger trigger;
    ParseTrigger(trigger, line);
    TTriggers.push_back(std::make_unique<TTrigger>(trigger));
    TfrmOptions dialog;
    auto *list = Find<QTreeWidget>(&dialog, "lvTrigger");
    QTEST(TreeRows(list).value(0), "row");
    // Every text whole, "80% onder gisteren" too.
    for (int c = 0; c < list->columnCount(); ++c)
        QVERIFY(list->columnWidth(c) > list->fontMetrics().horizontalAdvance(list->topLevelItem(0)->text(c)));
}

void TestOptions::triggerAddEditDelete()
{
    Settings.Password.clear();
    TfrmOptions dialog;
    auto *list = Find<QTreeWidget>(&dialog, "lvTrigger");
    Find<QLineEdit>(&dialog, "eWhy")->setText(QStringLiteral("10"));
    Find<QLineEdit>(&dialog, "eAction")->setText(QStringLiteral("/snd/a.wav"));
    Find<QPushButton>(&dialog, "btnTAdd")->click();
    QCOMPARE(TTriggers.size(), size_t(1));
    // Nothing chosen in cbxWhen: kind -1; the other choices at their initial items.
    QCOMPARE(TriggerLine(*TTriggers[0]), QStringLiteral("-1||0|2|10|0|/snd/a.wav|0|1"));
    QCOMPARE(list->topLevelItemCount(), 1);
    // The row being edited is the one highlighted, so Wijzigen and Verwijder act on it.
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(0)});

    Find<QComboBox>(&dialog, "cbxWhen")->setCurrentIndex(3);
    Find<QLineEdit>(&dialog, "eWhen")->setText(QStringLiteral("14:30"));
    Find<QComboBox>(&dialog, "cbxWhat")->setCurrentIndex(1);
    Find<QComboBox>(&dialog, "cbxAction")->setCurrentIndex(4);
    Find<QLineEdit>(&dialog, "eAction")->setText(QStringLiteral("Drukte"));
    Find<QCheckBox>(&dialog, "chkTActive")->click();
    TTriggers[0]->State = 2;
    Find<QPushButton>(&dialog, "btnTEdit")->click();
    QCOMPARE(TTriggers.size(), size_t(1));
    QCOMPARE(TriggerLine(*TTriggers[0]), QStringLiteral("3|14:30|1|2|10|4|Drukte|0|0"));
    QCOMPARE(TTriggers[0]->State, 0);
    QCOMPARE(TreeRows(list), QStringList{"tijd na 14:30|Bellers|=10|Ballontip|Nee"});
    // A second trigger added while the first is selected takes the selection over.
    Find<QPushButton>(&dialog, "btnTAdd")->click();
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(1)});
    Find<QPushButton>(&dialog, "btnTEdit")->click();
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(1)});

    list->setCurrentItem(list->topLevelItem(0));
    Find<QPushButton>(&dialog, "btnTDel")->click(); // answered No
    QCOMPARE(TTriggers.size(), size_t(2));
    m_platform->Recorder().Answer = true;
    Find<QPushButton>(&dialog, "btnTDel")->click();
    QCOMPARE(m_platform->Events(), QStringList(2, "ask:Bevestigen|Trigger #0 \"tijd na 14:30\" verwijderen ?"));
    QCOMPARE(TTriggers.size(), size_t(1));
    QCOMPARE(list->topLevelItemCount(), 1);
    Find<QPushButton>(&dialog, "btnTDel")->click();
    QCOMPARE(m_platform->Events().size(), 2);
}

void TestOptions::browsingKeepsTriggerState()
{
    Settings.Password.clear();
    AddTrigger(TTriggers, "14:30", "5", "/a.wav", 3, 1, 3, 0, true, 1)->State = 2;
    AddTrigger(TTriggers, "", "7", "Hoi", 0, 0, 4, 4, false, 0)->State = 1;
    TfrmOptions dialog;
    auto *list = Find<QTreeWidget>(&dialog, "lvTrigger");
    list->setCurrentItem(list->topLevelItem(0));
    QCOMPARE(Find<QLineEdit>(&dialog, "eWhen")->text(), QStringLiteral("14:30"));
    QCOMPARE(Find<QComboBox>(&dialog, "cbxWhy")->currentIndex(), 3);
    list->setCurrentItem(list->topLevelItem(1));
    QCOMPARE(Find<QLineEdit>(&dialog, "eAction")->text(), QStringLiteral("Hoi"));
    QVERIFY(!Find<QCheckBox>(&dialog, "chkTActive")->isChecked());
    QCOMPARE(TTriggers[0]->State, 2);
    // An edit typed into trigger 1 is written when the selection moves on.
    Find<QLineEdit>(&dialog, "eWhy")->setText(QStringLiteral("8"));
    list->setCurrentItem(list->topLevelItem(0));
    QCOMPARE(TTriggers[1]->Value, QStringLiteral("8"));
    QCOMPARE(TTriggers[1]->State, 0);
    QCOMPARE(TTriggers[0]->State, 2);
    // OK writes a pending edit of the selected trigger.
    // A threshold is stored plain, so another locale reads it back the same.
    Find<QLineEdit>(&dialog, "eWhy")->setText(QStringLiteral("1.000,5"));
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(TTriggers[0]->Value, QStringLiteral("1000,5"));
    QCOMPARE(TTriggers.size(), size_t(2));
}

void TestOptions::deletingLastTriggerClearsEditor()
{
    Settings.Password.clear();
    AddTrigger(TTriggers, "", "5", "/a.wav", 0, 0, 3, 0, true, 0);
    AddTrigger(TTriggers, "", "7", "Hoi", 0, 1, 4, 4, false, 0);
    TfrmOptions dialog;
    auto *list = Find<QTreeWidget>(&dialog, "lvTrigger");
    list->setCurrentItem(list->topLevelItem(1));
    m_platform->Recorder().Answer = true;
    Find<QPushButton>(&dialog, "btnTDel")->click();
    // Removing the last row must not leave another row selected over a stale editor.
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(Find<QLineEdit>(&dialog, "eAction")->text(), QString());
    list->setCurrentItem(list->topLevelItem(0));
    QCOMPARE(Find<QLineEdit>(&dialog, "eAction")->text(), QStringLiteral("/a.wav"));
    Find<QPushButton>(&dialog, "btnTEdit")->click();
    QCOMPARE(TTriggers.size(), size_t(1));
}

void TestOptions::unreadableTimeRejected()
{
    Settings.Password.clear();
    TfrmOptions dialog;
    Find<QComboBox>(&dialog, "cbxWhen")->setCurrentIndex(4);
    Find<QLineEdit>(&dialog, "eWhen")->setText(QStringLiteral("12:00"));
    Find<QLineEdit>(&dialog, "eWhy")->setText(QStringLiteral("1"));
    Find<QPushButton>(&dialog, "btnTAdd")->click();
    QVERIFY(TTriggers.empty());
    QCOMPARE(m_platform->Events(),
             QStringList{"message:1|Opties|Ongeldige tijd: 12:00\nVerwacht: twee tijden, zoals 12:00 14:00"});
    // OK keeps the dialog open on the trigger tab.
    QSignalSpy finished(&dialog, &QDialog::finished);
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(finished.size(), 0);
    QCOMPARE(Find<QTabWidget>(&dialog, "pgOptions")->currentIndex(), 3);
    Find<QLineEdit>(&dialog, "eWhen")->setText(QStringLiteral("12:00 14:00"));
    // The threshold is compared as a number.
    Find<QLineEdit>(&dialog, "eWhy")->setText(QStringLiteral("1|0"));
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(finished.size(), 0);
    QCOMPARE(m_platform->Events().last(), QStringLiteral("message:1|Opties|Ongeldig getal: 1|0"));
    // Yesterday's figures are those of the day file: no averages.
    Find<QLineEdit>(&dialog, "eWhy")->setText(QStringLiteral("1"));
    Find<QComboBox>(&dialog, "cbxWhat")->setCurrentIndex(3);
    Find<QComboBox>(&dialog, "cbxWhy")->setCurrentIndex(TriggerCompare::AboveYesterday);
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(finished.size(), 0);
    QVERIFY(m_platform->Events().last().contains("gisteren"));
    Find<QComboBox>(&dialog, "cbxWhat")->setCurrentIndex(2);
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(TTriggers.size(), size_t(1));
    QCOMPARE(TTriggers[0]->WhenText, QStringLiteral("12:00 14:00"));
}

void TestOptions::threeTriggersSavedAfterFive()
{
    Settings.Password.clear();
    for (int i = 0; i < 5; ++i)
        AddTrigger(TTriggers, "", QString::number(i), "a", 0, 0, 0, 0, true, 0);
    SaveSettings();
    TfrmOptions dialog;
    auto *list = Find<QTreeWidget>(&dialog, "lvTrigger");
    m_platform->Recorder().Answer = true;
    for (int row : {4, 1}) {
        list->setCurrentItem(list->topLevelItem(row));
        Find<QPushButton>(&dialog, "btnTDel")->click();
    }
    Find<QPushButton>(&dialog, "btnOk")->click();
    TIniFile ini(SettingsFilePath());
    QCOMPARE(ini.ReadSection(TriggerSection), (QStringList{"0", "1", "2"}));
    QCOMPARE(ini.ReadString(TriggerSection, "1"), QStringLiteral("0||0|0|2|0|a|0|1"));
}

void TestOptions::payoutRowsFromRules()
{
    AddProg("AB", "Alpha");
    AddProg("CD", "Delta");
    FindPayoutRule("", true)->Amounts.Set(-1, -1, 0.1);
    TPayoutRule *rule = FindPayoutRule("CD", true);
    rule->Amounts.Set(0, 2, 0.5);
    rule->Amounts.Set(-1, 5, 1.25);
    TfrmOptions dialog;
    auto *grid = Find<QTableWidget>(&dialog, "sgPayout");
    Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(4);
    QCOMPARE(GridRows(grid), (QStringList{"(alle)|(alle)|(alle)|0,1", "Delta|(alle)|SMS|1,25",
                                          "Delta|Nederland|PPC|0,5", "|||"}));
    auto *prog = Find<QComboBox>(&dialog, "cbxPProg");
    QCOMPARE(prog->count(), 3);
    QCOMPARE(prog->itemText(2), QStringLiteral("Delta"));
}

void TestOptions::payoutTabWithoutProgrammes_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("signed in") << "pw" << "" << QStringList{"Delta|Nederland|(alle)|2", "|||"};
    QTest::newRow("no password") << "" << "Niet aangemeld!" << QStringList{"|||"};
}

void TestOptions::payoutTabWithoutProgrammes()
{
    QFETCH(QString, password);
    QFETCH(QStringList, rows);
    Settings.Password = password;
    FindPayoutRule("CD", true)->Amounts.Set(0, -1, 2.0);
    Serve("107", "OK\r\n");
    Serve("106", "AB:Alpha\r\nCD:Delta\r\n");
    TfrmOptions dialog;
    auto *info = Find<QLabel>(&dialog, "lblInfo");
    QTRY_VERIFY(info->text() != QStringLiteral("Account keys ophalen..."));
    // Programmes fetched at opening count as known: empty them to make the tab ask itself.
    TPProgs.clear();
    Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(4);
    auto *grid = Find<QTableWidget>(&dialog, "sgPayout");
    QTRY_COMPARE(GridRows(grid), rows);
    QTEST(info->text(), "info");
}

void TestOptions::payoutAmountEntry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("point") << "0.5" << "0,5";
    QTest::newRow("comma") << "0,25" << "0,25";
    QTest::newRow("not a number") << "veel" << "0";
}

void TestOptions::payoutAmountEntry()
{
    QFETCH(QString, typed);
    AddProg("AB", "Alpha");
    TfrmOptions dialog;
    auto *grid = Find<QTableWidget>(&dialog, "sgPayout");
    Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(4);
    QCOMPARE(grid->rowCount(), 1);
    grid->setCurrentCell(0, 3);
    grid->item(0, 3)->setText(typed);
    QTest::keyClick(grid, Qt::Key_Return);
    QTEST(grid->item(0, 3)->text(), "shown");
    QCOMPARE(grid->rowCount(), 2);
}

void TestOptions::payoutAmountTypedInCell()
{
    AddProg("AB", "Alpha");
    TfrmOptions dialog;
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *grid = Find<QTableWidget>(&dialog, "sgPayout");
    Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(4);
    grid->setCurrentCell(0, 3);
    grid->editItem(grid->item(0, 3));
    auto *editor = grid->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("0.75"));
    // Enter ends the cell's own editing; the grid then reads the amount.
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(grid->item(0, 3)->text(), QStringLiteral("0,75"));
    QCOMPARE(grid->rowCount(), 2);
    dialog.reject();
}

void TestOptions::payoutRebuiltOnOk()
{
    AddProg("AB", "Alpha");
    AddProg("CD", "Delta");
    FindPayoutRule("AB", true)->Amounts.Set(3, 0, 9.0);
    TfrmOptions dialog;
    auto *grid = Find<QTableWidget>(&dialog, "sgPayout");
    Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(4);
    QCOMPARE(grid->rowCount(), 2);
    // Programme, country and type through the combo boxes laid over the cells.
    const auto choose = [&](int row, int column, const char *comboName, const QString &text) {
        grid->setCurrentCell(row, column);
        dialog.tsPayout->ShowCellEditor(false);
        auto *combo = Find<QComboBox>(&dialog, comboName);
        QVERIFY(!combo->isHidden());
        const int index = combo->findText(text);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        QVERIFY(combo->isHidden());
    };
    choose(1, 0, "cbxPProg", "Delta");
    QCOMPARE(grid->rowCount(), 3);
    choose(1, 1, "cbxCountry", Countries()[1]);
    choose(1, 2, "cbxAccess", "PPC");
    grid->item(1, 3)->setText(QStringLiteral("0.35"));
    choose(2, 0, "cbxPProg", "(alle)");
    grid->item(2, 3)->setText(QStringLiteral("0,1"));
    // AB's amount removed in the grid: its rule stays, empty, and still shadows the default.
    grid->item(0, 3)->setText(QString());
    Find<QPushButton>(&dialog, "btnOk")->click();

    QCOMPARE(PayoutRules.size(), size_t(3));
    QCOMPARE(PayoutRules[0]->ProgCode.text(), QStringLiteral("AB"));
    QCOMPARE(PayoutRules[0]->Amounts.At(3, 0), 0.0);
    QCOMPARE(PayoutRules[1]->ProgCode.text(), QStringLiteral("CD"));
    QCOMPARE(PayoutRules[1]->Amounts.At(1, 2), 0.35);
    QCOMPARE(PayoutRules[2]->ProgCode.text(), QString());
    QCOMPARE(PayoutRules[2]->Amounts.At(-1, -1), 0.1);
    // Applied to the programmes at once.
    QCOMPARE(TPProgs[0]->Rates.At(-1, -1), 0.0);
    QCOMPARE(TPProgs[1]->Rates.At(1, 2), 0.35);
}

void TestOptions::payoutUntouched_data()
{
    QTest::addColumn<bool>("openTab");
    QTest::addColumn<bool>("addKey");
    QTest::newRow("tab not opened") << false << false;
    QTest::newRow("programmes emptied by a new key") << true << true;
}

void TestOptions::payoutUntouched()
{
    QFETCH(bool, openTab);
    QFETCH(bool, addKey);
    AddProg("AB", "Alpha");
    FindPayoutRule("AB", true)->Amounts.Set(0, 1, 0.2);
    Serve("107", "OK\r\n");
    TfrmOptions dialog;
    if (openTab) {
        Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(4);
        Find<QTableWidget>(&dialog, "sgPayout")->item(0, 3)->setText(QStringLiteral("3"));
    }
    if (addKey) {
        QTRY_VERIFY(Find<QPushButton>(&dialog, "btnAdd")->isEnabled());
        Find<QLineEdit>(&dialog, "eAKey")->setText(QStringLiteral("NIEUW"));
        Find<QPushButton>(&dialog, "btnAdd")->click();
    }
    Find<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(PayoutRules.size(), size_t(1));
    QCOMPARE(PayoutRules[0]->Amounts.At(0, 1), 0.2);
}

void TestOptions::payoutDeleteRow()
{
    AddProg("AB", "Alpha");
    FindPayoutRule("", true)->Amounts.Set(-1, -1, 0.1);
    TfrmOptions dialog;
    auto *grid = Find<QTableWidget>(&dialog, "sgPayout");
    Find<QTabWidget>(&dialog, "pgOptions")->setCurrentIndex(4);
    grid->setCurrentCell(0, 1);
    QTest::keyClick(grid, Qt::Key_Delete);
    QVERIFY(m_platform->Events().isEmpty());
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(m_platform->Events(), QStringList{"ask:Vraag|Uitbetalingsregel voor \"(alle)\" verwijderen ?"});
    QCOMPARE(GridRows(grid).first(), QStringLiteral("(alle)|(alle)|(alle)|0,1"));
    m_platform->Recorder().Answer = true;
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(GridRows(grid), (QStringList{"|||", "|||"}));
    Find<QPushButton>(&dialog, "btnOk")->click();
    QVERIFY(PayoutRules.empty());
}

void TestOptions::startAtLogin()
{
    const QString entry = m_dir->filePath("config/autostart/" BV_APP_ID ".desktop");
    const auto confirm = [](bool startAtLogin, bool ok) {
        TfrmOptions dialog;
        auto *box = Find<QCheckBox>(&dialog, "chkAutostart");
        // The box shows whether the entry exists.
        QCOMPARE(box->isChecked(), !startAtLogin);
        box->setChecked(startAtLogin);
        Find<QPushButton>(&dialog, ok ? "btnOk" : "btnCancel")->click();
    };
    confirm(true, true);
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + "\n"));
    const QByteArray settingsWithEntry = FileBytes();
    confirm(false, false);
    QVERIFY(QFile::exists(entry));
    confirm(false, true);
    QVERIFY(!QFile::exists(entry));
    // The file is the setting: the settings file does not change with it.
    QCOMPARE(FileBytes(), settingsWithEntry);
}

void TestOptions::autostartExec_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QByteArray>("exec");
    QTest::newRow("plain") << QString("/usr/bin/bvmonitor") << QByteArray("/usr/bin/bvmonitor");
    QTest::newRow("space") << QString("/opt/Belvora Monitor/bvmonitor") << QByteArray(R"("/opt/Belvora Monitor/bvmonitor")");
    // Escaped inside the quotes, and then the value's own escape doubles each backslash.
    QTest::newRow("quote, dollar, backslash")
        << QString(R"(/home/a"b/$x\y/bvmonitor)") << QByteArray(R"("/home/a\\"b/\\$x\\\\y/bvmonitor")");
    // The session looks for the program before it undoes "%%": no entry it cannot start.
    QTest::newRow("percent, not on the PATH") << QString("/srv/100%/bvmonitor") << QByteArray();
}

void TestOptions::autostartExec()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, exec);
    QVERIFY(SetAutostart(false));
    QCOMPARE(SetAutostart(true, program), !exec.isEmpty());
    if (exec.isEmpty()) {
        QVERIFY(!QFile::exists(AutostartFilePath()));
        return;
    }
    QFile file(AutostartFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("\nExec=" + exec + "\n"), text.constData());
    // Once the program is gone, the session skips the entry.
    QVERIFY2(text.contains("\nTryExec=" + program.toUtf8().replace("\\", "\\\\") + "\n"), text.constData());
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    QVERIFY2(!validator.isEmpty(), "desktop-file-validate (desktop-file-utils) is not installed");
    QProcess validate;
    validate.start(validator, {AutostartFilePath()});
    QVERIFY(validate.waitForFinished());
    QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
}

void TestOptions::autostartPercentOnPath()
{
    // The same program on the PATH, reached without the percent sign, starts at login.
    const QString program = m_dir->filePath("100%/bvmonitor");
    QVERIFY(QDir().mkpath(m_dir->filePath("100%")));
    QVERIFY(QDir().mkpath(m_dir->filePath("bin")));
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(QFile::link(program, m_dir->filePath("bin/bvmonitor")));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_dir->filePath("bin")));
    const QString started = AutostartProgram(program);
    qputenv("PATH", path);
    QCOMPARE(started, m_dir->filePath("bin/bvmonitor"));
}

void TestOptions::autostartSwitchedOff_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("as written") << QByteArray() << true;
    // What session tools write when the user unticks the entry: the box must not stay ticked.
    QTest::newRow("hidden") << QByteArray("Hidden=true\n") << false;
    QTest::newRow("GNOME's switch off") << QByteArray("X-GNOME-Autostart-enabled=false\n") << false;
    QTest::newRow("GNOME's switch on") << QByteArray("X-GNOME-Autostart-enabled=true\nHidden=false\n") << true;
    QTest::newRow("in another group") << QByteArray("[Desktop Action x]\nHidden=true\n") << true;
}

void TestOptions::autostartSwitchedOff()
{
    QFETCH(QByteArray, keys);
    QFETCH(bool, enabled);
    QVERIFY(SetAutostart(true, QStringLiteral("/usr/bin/bvmonitor")));
    QFile file(AutostartFilePath());
    QVERIFY(file.open(QIODevice::Append));
    file.write(keys);
    file.close();
    QCOMPARE(AutostartEnabled(), enabled);
    TfrmOptions dialog;
    QCOMPARE(Find<QCheckBox>(&dialog, "chkAutostart")->isChecked(), enabled);
}

void TestOptions::setupFromMainWindow()
{
    // The window makes its own connector from the settings file.
    SetConnector(nullptr);
    m_connector.reset();
    QFile file(m_dir->filePath("bvsettings.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\r\nfetchurl=" + m_server->Url().toString().toLatin1() + "\r\nkey=K\r\npassword=pw\r\nInterval=20\r\n");
    file.close();
    TfrmMain main(m_dir->path());
    auto *euros = main.findChild<QWidget *>("anEuros");
    QVERIFY(euros);
    QVERIFY(euros->isHidden());
    // A hand-set interval below the minimum, kept by an emptied interval field.
    Settings.Interval = 3;
    AddProg("AB", "Alpha");
    main.acStartStopExecute();
    QVERIFY(main.Polling());
    bool readyWhileOpen = true;
    QTimer::singleShot(0, &main, [&] {
        readyWhileOpen = main.Ready();
        QVERIFY(frmOptions);
        QCOMPARE(frmOptions->lblVersion->text(), QStringLiteral("Versie ") + AppVersion);
        frmOptions->pgOptions->setCurrentIndex(4);
        frmOptions->tsPayout->sgPayout->setCurrentCell(0, 0);
        frmOptions->tsPayout->ShowCellEditor(false);
        frmOptions->tsPayout->cbxPProg->setCurrentIndex(0);
        emit frmOptions->tsPayout->cbxPProg->activated(0);
        frmOptions->tsPayout->sgPayout->item(0, 3)->setText(QStringLiteral("0.2"));
        // Emptied last: leaving the page would put the spin box's value back.
        frmOptions->pgOptions->setCurrentIndex(0);
        frmOptions->seInterval->findChild<QLineEdit *>()->clear();
        frmOptions->btnOk->click();
    });
    main.acSetupExecute();
    QVERIFY(!readyWhileOpen);
    QVERIFY(main.Ready());
    QVERIFY(!frmOptions);
    QCOMPARE(Settings.Interval, 5);
    QVERIFY(main.Polling());
    QVERIFY(!euros->isHidden());
    QCOMPARE(TPProgs[0]->Rates.At(-1, -1), 0.2);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
