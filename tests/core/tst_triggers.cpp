#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "tRecordingPlatform.h"
#include "uClock.h"
#include "uDebugLog.h"
#include "uIniFile.h"
#include "uSettings.h"
#include "uTriggers.h"
#include "uUnits.h"

namespace {

const QString Balloon = QStringLiteral("balloon:Trigger|Drukte|5000");

qint64 At(int h, int m, int s = 0)
{
    return Clock::LocalSeconds(QDateTime(QDate(2024, 5, 14), QTime(h, m, s)));
}

TFigureBlock WithCalls(int data, int voice = 0)
{
    TFigureBlock figures;
    figures.CallsByAccess[AccessPpmData] = data;
    figures.CallsByAccess[AccessPpmVoice] = voice;
    return figures;
}

TTrigger &Add(int whenKind, const QString &whenText, int what, int compare, const QString &value,
              int repeatType = 0, int action = TriggerAction::Balloon, const QString &param = "Drukte")
{
    return *AddTrigger(TTriggers, whenText, value, param, whenKind, what, compare, action, true,
                       repeatType);
}

} // namespace

class TestTriggers final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void parsesLines_data();
    void parsesLines();
    void writesLines();
    void savesOnlyCurrentKeys();
    void loadsInFileOrder();
    void handWrittenLineSurvivesSettings();
    void actsOnRisingCondition_data();
    void actsOnRisingCondition();
    void leavesUnusableTriggersAlone_data();
    void leavesUnusableTriggersAlone();
    void resetRestartsRecording();
    void timeWords_data();
    void timeWords();
    void readsTimesInEnglish();
    void atFiresOnce();
    void unreadableTimeSkipsOnlyItsTrigger();
    void figures_data();
    void figures();
    void readsThresholdInLocale_data();
    void readsThresholdInLocale();
    void actions_data();
    void actions();
    void comparesWithYesterday_data();
    void comparesWithYesterday();

private:
    std::optional<TProcessState> m_state;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
    QStringList &Events() { return m_platform->Events(); }
};

void TestTriggers::init()
{
    m_state.emplace();
    m_platform = std::make_unique<TRecordingPlatformGuard>();
}

void TestTriggers::cleanup()
{
    m_platform.reset();
    m_state.reset();
}

void TestTriggers::parsesLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QList<int>>("codes"); // WhenKind, What, Compare, Action, RepeatType
    QTest::addColumn<QStringList>("texts"); // WhenText, Value, ActionParam
    QTest::addColumn<bool>("active");
    QTest::newRow("stored") << "4|12:00 14:00|1|3|100|4|Drukte|0|1" << QList<int>{4, 1, 3, 4, 0}
                            << QStringList{"12:00 14:00", "100", "Drukte"} << true;
    QTest::newRow("missing fields") << "3|14:30|2" << QList<int>{3, 2, 0, 0, 0}
                                    << QStringList{"14:30", "", ""} << false;
    QTest::newRow("not numbers") << "x|a|y|z|5|q|p|r|1" << QList<int>{0, 0, 0, 0, 0}
                                 << QStringList{"a", "5", "p"} << true;
    QTest::newRow("empty") << "" << QList<int>{0, 0, 0, 0, 0} << QStringList{"", "", ""} << false;
    QTest::newRow("separator in action text")
        << "0||1|4|10|3|http://x/?a=1|b|2|1" << QList<int>{0, 1, 4, 3, 2}
        << QStringList{"", "10", "http://x/?a=1|b"} << true;
    QTest::newRow("against yesterday") << "0||1|5|80|4|Minder|0|1" << QList<int>{0, 1, 5, 4, 0}
                                       << QStringList{"", "80", "Minder"} << true;
    QTest::newRow("trailing separator") << "0||1|4|10|4|Drukte|2|1|" << QList<int>{0, 1, 4, 4, 2}
                                        << QStringList{"", "10", "Drukte"} << true;
}

void TestTriggers::parsesLines()
{
    QFETCH(QString, line);
    QFETCH(QList<int>, codes);
    QFETCH(QStringList, texts);
    QFETCH(bool, active);
    TTrigger trigger;
    ParseTrigger(trigger, line);
    QCOMPARE((QList<int>{trigger.WhenKind, trigger.What, trigger.Compare, trigger.Action,
                         trigger.RepeatType}),
             codes);
    QCOMPARE((QStringList{trigger.WhenText, trigger.Value, trigger.ActionParam}), texts);
    QCOMPARE(trigger.Active, active);
}

void TestTriggers::writesLines()
{
    QCOMPARE(TriggerLine(TTrigger("12:00 14:00", "100", "Drukte", 4, 1, 3, 4, true, 0)),
             QString("4|12:00 14:00|1|3|100|4|Drukte|0|1"));
    QCOMPARE(TriggerLine(TTrigger("", "2,5", "100%1", -1, 0, 0, 0, false, 2)),
             QString("-1||0|0|2,5|0|100%1|2|0"));
    // The settings file makes a line break a blank.
    TTriggers.push_back(std::make_unique<TTrigger>("", "1", "two\r\nlines", 0, 0, 0, 4, true, 0));
    TIniFile ini;
    SaveTriggers(ini);
    QCOMPARE(ini.ReadString(TriggerSection, "0"), QString("0||0|0|1|4|two  lines|0|1"));

    // A "|" in a threshold or a time cannot be given back: it is written as a blank.
    QCOMPARE(TriggerLine(TTrigger("12:00|14:00", "1|0", "Drukte", 4, 1, 4, 4, true, 0)),
             QString("4|12:00 14:00|1|4|1 0|4|Drukte|0|1"));

    const TTrigger piped("", "1", "a|b|c", 0, 0, 0, 4, true, 1);
    TTrigger read;
    ParseTrigger(read, TriggerLine(piped));
    QCOMPARE(read.ActionParam, piped.ActionParam);
    QCOMPARE(read.RepeatType, 1);
    QVERIFY(read.Active);
}

void TestTriggers::savesOnlyCurrentKeys()
{
    TIniFile ini;
    for (int i = 0; i < 5; ++i)
        Add(0, "", 1, 4, QString::number(i));
    SaveTriggers(ini);
    TTriggers.erase(TTriggers.begin() + 1, TTriggers.begin() + 3);
    SaveTriggers(ini);
    QCOMPARE(ini.ReadSection(TriggerSection), (QStringList{"0", "1", "2"}));
    QCOMPARE(ini.ReadString(TriggerSection, "1"), QString("0||1|4|3|4|Drukte|0|1"));

    TTriggers.clear();
    SaveTriggers(ini);
    QVERIFY(ini.SectionExists(TriggerSection));
    QVERIFY(ini.ReadSection(TriggerSection).isEmpty());
}

void TestTriggers::loadsInFileOrder()
{
    TIniFile ini;
    Add(0, "", 1, 4, "kept");
    LoadTriggers(ini);
    QCOMPARE(TTriggers.size(), std::size_t(1));

    // Extra fields only go into the action text when what stands before it still reads
    // as a kind, a time, two codes, a number and a code; other such lines are kept as they
    // stand, inactive.
    const QStringList unread{"0||1|4|1|x|4|Drukte|0|1", "2|12:00|14:00|1|4|1|4|Drukte|0|1", "0||1|4|1|4|Drukte|b|0|2"};
    ini.Parse("[triggers]\r\n5=1|14:30|0|4|1|3|http://x/?a=b|0|1\r\nkapot\r\n0=2\r\n1=" + unread[0].toLatin1()
              + "\r\n2=" + unread[1].toLatin1() + "\r\n3=" + unread[2].toLatin1()
              + "\r\n4=1|14:30|0|4|1,5|3|http://x/?a=b|c|0|1\r\n");
    LoadTriggers(ini);
    QCOMPARE(TTriggers.size(), std::size_t(6));
    QCOMPARE(TTriggers[0]->ActionParam, QString("http://x/?a=b"));
    QCOMPARE(TTriggers[1]->WhenKind, 2);
    QVERIFY(!TTriggers[1]->Active);
    QCOMPARE(TTriggers[1]->State, 0);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!TTriggers[2 + i]->Active);
        QCOMPARE(TriggerLine(*TTriggers[2 + i]), unread[i]);
    }
    QCOMPARE(TTriggers[5]->ActionParam, QString("http://x/?a=b|c"));
}

void TestTriggers::handWrittenLineSurvivesSettings()
{
    QTemporaryDir dir;
    const QByteArray lines = "0=1|14:30|5|3|2,5|2|info@example.nl?subject=a=b|1|1\r\n"
                             "1=4|12:00 14:00|1|3|100|4|Drukte|0|0\r\n"
                             "2=0||1|4|veel|4|a|b|0|1\r\n";
    QFile file(dir.filePath(SettingsFileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\r\nversion=" + AppVersion.toLatin1() + "\r\n[triggers]\r\n" + lines);
    file.close();
    LoadSettings(dir.path());
    QCOMPARE(TTriggers.size(), std::size_t(3));
    QVERIFY(SaveSettings());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("[triggers]\r\n" + lines));
}

void TestTriggers::actsOnRisingCondition_data()
{
    QTest::addColumn<int>("repeatType");
    QTest::addColumn<QList<int>>("calls");
    QTest::addColumn<QList<int>>("actingPasses");
    const QList<int> rising{8, 9, 11, 12, 9, 13};
    QTest::newRow("once until next") << 0 << rising << QList<int>{2, 5};
    QTest::newRow("once a day") << 1 << rising << QList<int>{2, 5};
    QTest::newRow("continuous") << 2 << rising << QList<int>{2, 3, 5};
    const QList<int> highAtStart{50, 50, 50, 10, 11};
    QTest::newRow("high at start, once") << 0 << highAtStart << QList<int>{4};
    QTest::newRow("high at start, once a day") << 1 << highAtStart << QList<int>{4};
    QTest::newRow("high at start, continuous") << 2 << highAtStart << QList<int>{1, 2, 4};
}

void TestTriggers::actsOnRisingCondition()
{
    QFETCH(int, repeatType);
    QFETCH(QList<int>, calls);
    QFETCH(QList<int>, actingPasses);
    Add(0, "", 1, TriggerCompare::Greater, "10", repeatType);
    QList<int> acted;
    for (int pass = 0; pass < calls.size(); ++pass) {
        const qsizetype before = Events().size();
        EvaluateTriggers(At(12, pass), WithCalls(calls[pass] - 1, 1));
        if (Events().size() > before)
            acted.append(pass);
    }
    QCOMPARE(acted, actingPasses);
    QCOMPARE(Events().value(0), Balloon);
}

void TestTriggers::leavesUnusableTriggersAlone_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("param");
    QTest::newRow("inactive") << false << "10" << "Drukte";
    QTest::newRow("no value") << true << "" << "Drukte";
    QTest::newRow("no action text") << true << "10" << "";
}

void TestTriggers::leavesUnusableTriggersAlone()
{
    QFETCH(bool, active);
    QFETCH(QString, value);
    QFETCH(QString, param);
    TTrigger &trigger = *AddTrigger(TTriggers, "", value, param, 0, 1, 4, 4, active, 2);
    trigger.State = trigger.PrevState = 1;
    EvaluateTriggers(At(12, 0), WithCalls(20));
    EvaluateTriggers(At(12, 1), WithCalls(30));
    QVERIFY(Events().isEmpty());
    QCOMPARE(trigger.State, 1);
    QCOMPARE(trigger.PrevState, 1);
    QCOMPARE(LastTriggerTime, qint64(0));
}

void TestTriggers::resetRestartsRecording()
{
    TTrigger &trigger = Add(0, "", 1, TriggerCompare::Greater, "10");
    EvaluateTriggers(At(23, 58), WithCalls(5));
    EvaluateTriggers(At(23, 59), WithCalls(20));
    QCOMPARE(Events().size(), 1);
    ResetTriggerStates();
    QCOMPARE(trigger.State, 0);
    QCOMPARE(trigger.PrevState, 0);
    EvaluateTriggers(At(23, 59) + 60, WithCalls(20));
    QCOMPARE(Events().size(), 1);
    EvaluateTriggers(At(23, 59) + 120, WithCalls(5));
    EvaluateTriggers(At(23, 59) + 180, WithCalls(11));
    QCOMPARE(Events().size(), 2);
}

void TestTriggers::timeWords_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<bool>("holds");
    QTest::newRow("voor, before") << 1 << "14:30" << QTime(14, 0) << true;
    QTest::newRow("voor, at") << 1 << "14:30" << QTime(14, 30) << false;
    QTest::newRow("voor, after") << 1 << "14:30" << QTime(15, 0) << false;
    QTest::newRow("na, before") << 3 << "14:30" << QTime(14, 0) << false;
    QTest::newRow("na, at") << 3 << "14:30" << QTime(14, 30) << true;
    QTest::newRow("na, after") << 3 << "14:30:00" << QTime(15, 0) << true;
    QTest::newRow("tussen, before") << 4 << "12:00 14:00" << QTime(11, 0) << false;
    QTest::newRow("tussen, start") << 4 << "12:00 14:00" << QTime(12, 0) << true;
    QTest::newRow("tussen, inside") << 4 << "12:00 14:00" << QTime(13, 0) << true;
    QTest::newRow("tussen, end") << 4 << "12:00 14:00" << QTime(14, 0) << true;
    QTest::newRow("tussen, after") << 4 << "12:00 14:00" << QTime(14, 0, 1) << false;
    QTest::newRow("tussen, one time") << 4 << "12:00" << QTime(13, 0) << false;
    QTest::newRow("tussen, second no time") << 4 << "12:00 14:xx" << QTime(13, 0) << false;
    QTest::newRow("tussen overnight, late") << 4 << "22:00 02:00" << QTime(23, 0) << true;
    QTest::newRow("tussen overnight, early") << 4 << "22:00 02:00" << QTime(1, 0) << true;
    QTest::newRow("tussen overnight, day") << 4 << "22:00 02:00" << QTime(12, 0) << false;
    QTest::newRow("tussen overnight, end") << 4 << "22:00 02:00" << QTime(2, 0) << true;
    QTest::newRow("tussen overnight, start") << 4 << "22:00 02:00" << QTime(22, 0) << true;
    QTest::newRow("tussen, times parted by a dash") << 4 << "10:00-12:00" << QTime(11, 0) << true;
    QTest::newRow("altijd with a time") << 0 << "14:30" << QTime(15, 0) << true;
    QTest::newRow("altijd with a left-over text") << 0 << "14.30" << QTime(15, 0) << true;
    QTest::newRow("nothing chosen") << -1 << "14:30" << QTime(15, 0) << true;
    QTest::newRow("voor without time") << 1 << "" << QTime(15, 0) << true;
    QTest::newRow("unknown kind") << 7 << "14:30" << QTime(15, 0) << false;
}

void TestTriggers::timeWords()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QTime, now);
    QFETCH(bool, holds);
    TTrigger &trigger = Add(kind, text, 0, TriggerCompare::GreaterOrEqual, "0");
    trigger.State = trigger.PrevState = 1;
    EvaluateTriggers(At(now.hour(), now.minute(), now.second()), TFigureBlock());
    QCOMPARE(trigger.State, holds ? 2 : 1);
    QCOMPARE(Events().size(), holds ? 1 : 0);
}

void TestTriggers::readsTimesInEnglish()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(ReadTimeOfDay(" 14:30 "), std::optional<int>(52200));
    QCOMPARE(ReadTimeOfDay("2:30 PM"), std::optional<int>(52200));
    QVERIFY(!ReadTimeOfDay("24:00"));
    TTrigger &trigger = Add(TriggerWhen::Between, "2:00 PM 3:00 PM", 0, TriggerCompare::GreaterOrEqual, "0");
    trigger.State = trigger.PrevState = 1;
    EvaluateTriggers(At(14, 30), TFigureBlock());
    QCOMPARE(Events().size(), 1);
}

void TestTriggers::atFiresOnce()
{
    Settings.Interval = 10;
    const TTrigger &trigger = Add(TriggerWhen::At, "14:30", 0, TriggerCompare::GreaterOrEqual, "0");
    QList<qint64> acted;
    // The second round is the hour the clock repeats in autumn: once a day is once.
    for (int round = 0; round < 2; ++round) {
        for (qint64 now = At(14, 29, 20); now <= At(14, 31); now += 10) {
            const qsizetype before = Events().size();
            EvaluateTriggers(now, TFigureBlock());
            if (Events().size() > before)
                acted.append(now);
        }
    }
    QCOMPARE(acted, QList<qint64>{At(14, 29, 50)}); // exactly one interval ahead counts
    QCOMPARE(trigger.State, 1); // not holding for the rest of the day
    // The next day it acts again.
    EvaluateTriggers(At(14, 29, 50) + SecondsPerDay, TFigureBlock());
    QCOMPARE(Events().size(), 2);
}

void TestTriggers::unreadableTimeSkipsOnlyItsTrigger()
{
    QTemporaryDir dir;
    const QString oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const int oldDebug = Settings.Debug;
    Settings.Debug = DebugLevel::Requests;
    TTrigger &broken = Add(TriggerWhen::Before, "14.30", 1, TriggerCompare::Greater, "10", 2);
    Add(0, "", 1, TriggerCompare::Greater, "10", 2);
    for (int pass = 0; pass < 3; ++pass)
        EvaluateTriggers(At(12, pass), WithCalls(20));
    QFile log(DebugLogFileName);
    const bool opened = log.open(QIODevice::ReadOnly);
    const QByteArray content = log.readAll();
    QDir::setCurrent(oldDir);
    Settings.Debug = oldDebug;
    QVERIFY(opened);
    QCOMPARE(content.count("14.30"), 1);
    QCOMPARE(broken.State, 1);
    QCOMPARE(Events(), (QStringList{Balloon, Balloon}));
}

void TestTriggers::figures_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<double>("expected");
    QTest::newRow("Online") << 0 << 5.0;
    QTest::newRow("Bellers") << 1 << 4.0;
    QTest::newRow("Minuten") << 2 << 6.5;
    QTest::newRow("Gemiddeld") << 3 << 97.5;
    QTest::newRow("Online Data") << 4 << 3.0;
    QTest::newRow("Bellers Data") << 5 << 4.0;
    QTest::newRow("Minuten Data") << 6 << 5.0;
    QTest::newRow("Gemiddeld Data") << 7 << 75.0;
    QTest::newRow("Online Voice") << 8 << 2.0;
    QTest::newRow("Bellers Voice") << 9 << 0.0;
    QTest::newRow("Minuten Voice") << 10 << 1.5;
    QTest::newRow("Gemiddeld Voice, no calls") << 11 << 0.0;
}

void TestTriggers::figures()
{
    QFETCH(int, what);
    QFETCH(double, expected);
    TFigureBlock block = WithCalls(4, 0);
    block.OnlineByAccess = {3, 2, 100};
    block.SecondsByAccess = {300, 90, 1000};
    block.CallsByAccess[AccessPpc] = 100;
    const std::optional<double> figure = TriggerFigure(what, block);
    QVERIFY(figure);
    QCOMPARE(*figure, expected);
    QVERIFY(!TriggerFigure(TriggerFigureCount, block));
    QVERIFY(!TriggerFigure(-1, block));
    // A figure that does not exist never holds, whatever the threshold.
    Add(0, "", TriggerFigureCount, TriggerCompare::GreaterOrEqual, "0").State = TriggerState::ConditionFalse;
    EvaluateTriggers(At(12, 0), block);
    QVERIFY(Events().isEmpty());
}

void TestTriggers::readsThresholdInLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("holds");
    const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("Dutch 2,5") << dutch << "2,5" << 150 << true;
    QTest::newRow("Dutch 2,5 started in English") << english << "2,5" << 150 << true;
    QTest::newRow("English 2.5") << english << "2.5" << 150 << true;
    QTest::newRow("Dutch 1.000 is a thousand") << dutch << "1.000" << 60000 << true;
    QTest::newRow("no number never holds") << english << "veel" << 0 << false;
}

void TestTriggers::readsThresholdInLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, value);
    QFETCH(int, seconds);
    QFETCH(bool, holds);
    QLocale::setDefault(locale);
    TTrigger &trigger = Add(0, "", 2, TriggerCompare::Equal, value);
    trigger.State = trigger.PrevState = 1;
    TFigureBlock block;
    block.SecondsByAccess[AccessPpmData] = seconds;
    EvaluateTriggers(At(12, 0), block);
    QCOMPARE(trigger.State, holds ? 2 : 1);
}

void TestTriggers::actions_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("param");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("Geluid") << 0 << "/s/a.wav" << false << QStringList{"sound-async:/s/a.wav"};
    QTest::newRow("Programma") << 1 << "/bin/x" << false << QStringList{"open:/bin/x"};
    QTest::newRow("E-mail") << 2 << "a@b.nl" << false << QStringList{"open:mailto:a@b.nl"};
    QTest::newRow("URL") << 3 << "http://x/?a=b" << false << QStringList{"open:http://x/?a=b"};
    const QString text(300, 'x');
    QTest::newRow("Ballontip") << 4 << text << false
                               << QStringList{"balloon:Trigger|" + text.left(255) + "|5000"};
    QTest::newRow("unknown") << 9 << "x" << false << QStringList{};
    QTest::newRow("Geluid, quiet") << 0 << "/s/a.wav" << true << QStringList{};
    QTest::newRow("Ballontip, quiet") << 4 << "Drukte" << true << QStringList{};
    QTest::newRow("URL, quiet") << 3 << "http://x/" << true << QStringList{"open:http://x/"};
}

void TestTriggers::actions()
{
    QFETCH(int, action);
    QFETCH(QString, param);
    QFETCH(bool, quiet);
    QFETCH(QStringList, events);
    TTrigger &trigger = Add(0, "", 0, TriggerCompare::GreaterOrEqual, "0", 0, action, param);
    trigger.State = trigger.PrevState = 1;
    TTriggerContext context;
    context.Quiet = quiet;
    EvaluateTriggers(At(12, 0), TFigureBlock(), context);
    QCOMPARE(Events(), events);
    // Kept quiet or not, it has fired: the end of the quiet brings no late burst.
    EvaluateTriggers(At(12, 1), TFigureBlock());
    QCOMPARE(Events(), events);
}

void TestTriggers::comparesWithYesterday_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<int>("compare");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<double>("today");
    QTest::addColumn<double>("yesterday");   // negative: no sample of yesterday near this time
    QTest::addColumn<bool>("holds");
    QTest::newRow("Bellers under 80 %") << 1 << 5 << "80" << 79.0 << 100.0 << true;
    QTest::newRow("Bellers at 80 %") << 1 << 5 << "80" << 80.0 << 100.0 << false;
    QTest::newRow("Minuten above 120 %") << 2 << 6 << "120" << 60.5 << 50.0 << true;
    QTest::newRow("Online at 120 %") << 0 << 6 << "120" << 6.0 << 5.0 << false;
    QTest::newRow("Online under 80 %") << 0 << 5 << "80" << 3.0 << 5.0 << true;
    QTest::newRow("no yesterday") << 1 << 5 << "80" << 0.0 << -1.0 << false;
    QTest::newRow("nothing yesterday is no base") << 0 << 6 << "120" << 3.0 << 0.0 << false;
    QTest::newRow("Gemiddeld has no yesterday") << 3 << 5 << "80" << 0.0 << 100.0 << false;
}

void TestTriggers::comparesWithYesterday()
{
    QFETCH(int, what);
    QFETCH(int, compare);
    QFETCH(QString, percent);
    QFETCH(double, today);
    QFETCH(double, yesterday);
    QFETCH(bool, holds);
    TTrigger &trigger = Add(0, "", what, compare, percent);
    trigger.State = trigger.PrevState = 1;
    TTriggerContext context;
    if (what < YesterdayFigureCount) {
        context.Today[what] = today;
        if (yesterday >= 0)
            context.Yesterday[what] = yesterday;
    }
    EvaluateTriggers(At(12, 0), TFigureBlock(), context);
    QCOMPARE(trigger.State, holds ? 2 : 1);
    QCOMPARE(IsValidCompare(what, compare), what < YesterdayFigureCount);
}

QTEST_GUILESS_MAIN(TestTriggers)
#include "tst_triggers.moc"
