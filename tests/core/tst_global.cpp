#include <QLocale>
#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "tTestData.h"
#include "uAccounts.h"
#include "uGlobal.h"
#include "uNumbers.h"
#include "uPayout.h"

Q_DECLARE_METATYPE(QLocale::Language)

class TestGlobal final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void codeTables();
    void cutsToCapacity();
    void totalsTexts_data();
    void totalsTexts();
    void lookups();
    void formatsStamps_data();
    void formatsStamps();
    void stampDates_data();
    void stampDates();
    void readsProgrammes();
    void ratesFallBack();
    void earnsEuros_data();
    void earnsEuros();
    void rulesApplyPerProgramme();
    void readsPointOrLocaleNumbers_data();
    void readsPointOrLocaleNumbers();
    void readsCommaOrPointNumbers_data();
    void readsCommaOrPointNumbers();
    void readsAccountReplies();

private:
    std::optional<TProcessState> m_state;
};

void TestGlobal::init()
{
    m_state.emplace();
}

void TestGlobal::cleanup()
{
    m_state.reset();
}

void TestGlobal::codeTables()
{
    QCOMPARE(Countries().size(), CountryCount);
    QCOMPARE(AccessTypes().size(), AccessTypeCount);
    QCOMPARE(CountryName(1), QStringLiteral("België"));
    QCOMPARE(CountryName(17), QStringLiteral("Ierland"));
    QCOMPARE(CountryName(TestCallCode), QString());
    QCOMPARE(AccessTypeName(12), AccessTypeName(10));
    QCOMPARE(AccessTypeName(16), QStringLiteral("iDeal"));
    QCOMPARE(AccessTypeName(-1), QString());
    QCOMPARE(AccessTypeName(AccessTypeCount), QString());
    QCOMPARE(CountryName(CountryCount), QString());
    QCOMPARE(CountryName(0), QStringLiteral("Nederland"));
    QVERIFY(IsPaidPerCall(2) && IsPaidPerCall(5) && !IsPaidPerCall(0) && !IsPaidPerCall(3));
    QCOMPARE(DetailColumns().size(), DetailColumnCount);
    QCOMPARE(DetailColumns()[4], QString("gesprekken"));
    QCOMPARE(DetailColumns()[5], QString());
    QCOMPARE(DetailColumns()[28], QString("iDeal"));
    QCOMPARE(DetailColumns().join(","), QString("bellers,minuten,bellers,minuten,gesprekken,,,,bellers,minuten,SMS,,,,"
                                                "Wallie,,,,,,Creditcard,,,,Creditcard,,VAS,,iDeal,"));
}

void TestGlobal::cutsToCapacity()
{
    TCaller caller;
    caller.Name = QString(30, 'n');
    caller.IP = "123.123.123.123:80";
    caller.Id = QString(25, '7');
    QCOMPARE(caller.Name.text(), QString(25, 'n'));
    QCOMPARE(caller.IP.text(), QString("123.123.123.123:"));
    QCOMPARE(caller.Id.text().size(), 20);
    QVERIFY(caller.Stop.isEmpty() && caller.Seconds == 0 && caller.ListItem == NoListRow);
}

void TestGlobal::totalsTexts_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<int>("access");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QString>("calls");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QString>("euros");

    QTest::newRow("dutch, all") << QLocale::Dutch << 0 << true << "4" << "1,50" << "0,38" << "1234,50";
    QTest::newRow("english, all") << QLocale::English << 0 << true << "4" << "1.50" << "0.38" << "1234.50";
    QTest::newRow("one type") << QLocale::Dutch << 12 << false << "1" << "1,00" << "1,00" << "1234,00";
    QTest::newRow("type without calls") << QLocale::Dutch << 3 << false << "0" << "0,00" << "" << "0,00";
    QTest::newRow("type out of range") << QLocale::Dutch << 99 << false << "0" << "0,00" << "" << "0,00";
}

void TestGlobal::totalsTexts()
{
    QFETCH(QLocale::Language, language);
    QFETCH(int, access);
    QFETCH(bool, all);
    QLocale::setDefault(QLocale(language));

    TTotals t;
    t.Calls[0][0] = 1;
    t.Seconds[0][0] = 30;
    t.Calls[17][10] = 2;
    t.Euros[17][10] = 0.5;
    t.Calls[3][12] = 1; // "Creditcard" again, but its own cell
    t.Seconds[3][12] = 60;
    t.Euros[3][12] = 1234.0;

    QTEST(CallsText(t, access, all), "calls");
    QTEST(MinutesText(t, access, all), "minutes");
    QTEST(AverageText(t, access, all), "average");
    QTEST(EurosText(t, access, all), "euros");
    QCOMPARE(TotalCalls(t), 4);
    QCOMPARE(TotalSeconds(t), 90);
    QCOMPARE(TotalEuros(t), 1234.5);
}

void TestGlobal::lookups()
{
    AddTestProg("AB", "Alpha");
    AddTestProg("ab", "lower");
    QCOMPARE(IndexOfProg("ab"), 1);
    QCOMPARE(IndexOfProg("XY"), -1);
    QCOMPARE(ProgName("AB"), QString("Alpha"));
    QCOMPARE(ProgName("XY"), QString("XY"));
    QVERIFY(FindProg("Ab") == nullptr);
}

void TestGlobal::formatsStamps_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blank between") << "20070315 143005" << "15-03-2007 14:30:05";
    QTest::newRow("any separator") << "20070315T143005" << "15-03-2007 14:30:05";
    QTest::newRow("more after") << "20070315 1430059" << "15-03-2007 14:30:05";
    QTest::newRow("digits unchecked") << "2007xx15 1430zz" << "15-xx-2007 14:30:zz";
    QTest::newRow("short stamp") << "2007031" << "1-03-2007 ::";
    QTest::newRow("empty") << "" << "-- ::";
}

void TestGlobal::formatsStamps()
{
    QFETCH(QString, stamp);
    QTEST(FormatStamp(stamp), "expected");
}

void TestGlobal::stampDates_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("valid") << "20070315 143005" << QDate(2007, 3, 15);
    QTest::newRow("30 february") << "20070230 000000" << QDate();
    QTest::newRow("letters") << "2007ab15" << QDate();
    QTest::newRow("short") << "200703" << QDate();
    QTest::newRow("leap day") << "20080229" << QDate(2008, 2, 29);
}

void TestGlobal::stampDates()
{
    QFETCH(QString, stamp);
    QTEST(StampDate(stamp), "expected");
}

void TestGlobal::readsProgrammes()
{
    AddTestProg("ZZ", "old");
    ProgsFetched(false, {"106", "AB:Alpha"});
    QCOMPARE(int(TPProgs.size()), 1); // a failed request keeps what we had

    FindPayoutRule("EF", true)->Amounts.Set(-1, -1, 0.3);
    ProgsFetched(true, {"106", "AB:Alpha", "AB:Second", "CD:xy", "EF:xyz", "", "GHIJ:Long code",
                        "KLMNO", "Q:with:colon"});
    QStringList seen;
    for (const auto &prog : TPProgs)
        seen << prog->ProgCode.text() + "=" + prog->ProgName;
    QCOMPARE(seen, (QStringList{"AB=Alpha", "EF=xyz", "GH=Long code", "KL=KLMNO", "Q=with:colon"}));
    QCOMPARE(FindProg("EF")->Rates.At(-1, -1), 0.3); // the rules apply to a fetched list at once
}

void TestGlobal::ratesFallBack()
{
    TPProgItem prog;
    prog.Rates.Set(-1, 3, 0.2);
    QCOMPARE(RateFor(prog, 0, 3), 0.2);
    QCOMPARE(RateFor(prog, 17, 3), 0.2);
    QCOMPARE(RateFor(prog, 0, 4), 0.0);
    prog.Rates.Set(-1, -1, 0.1);
    prog.Rates.Set(2, -1, 0.3);
    QCOMPARE(RateFor(prog, 2, 3), 0.3); // both fallbacks set: the country's comes first
    prog.Rates.Set(2, 3, 0.4);
    QCOMPARE(RateFor(prog, 0, 4), 0.1);
    QCOMPARE(RateFor(prog, 2, 4), 0.3);
    QCOMPARE(RateFor(prog, 2, 3), 0.4);
    QCOMPARE(RateFor(prog, 99, 99), 0.1); // a test call earns the all/all amount
    prog.Rates.Set(40, 3, 9.0);             // out of range: never written
    QCOMPARE(prog.Rates.At(40, 3), 0.0);
}

void TestGlobal::earnsEuros_data()
{
    QTest::addColumn<int>("country");
    QTest::addColumn<int>("access");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("euros");
    QTest::newRow("per minute, all/all") << 0 << 1 << 3 << 600 << 1.00;
    QTest::newRow("per call, own cell") << 0 << 2 << 3 << 600 << 1.50;
    QTest::newRow("per call, falls through") << 1 << 2 << 3 << 600 << 0.30;
    QTest::newRow("sms per call") << 4 << 5 << 4 << 1000 << 0.40;
}

void TestGlobal::earnsEuros()
{
    QFETCH(int, country);
    QFETCH(int, access);
    QFETCH(int, calls);
    QFETCH(int, seconds);
    QFETCH(double, euros);
    TPayoutRule *rule = FindPayoutRule("AB", true);
    rule->Amounts.Set(-1, -1, 0.10);
    rule->Amounts.Set(0, 2, 0.50);
    AddTestProg("AB", "Alpha");
    ApplyPayoutRules();
    const double amount = EuroAmount(access, calls, seconds, RateFor(*TPProgs[0], country, access));
    QVERIFY2(qAbs(amount - euros) < 1e-9, qPrintable(QString::number(amount)));
    QCOMPARE(EuroAmount(5, 4, 1000, 0.25), 1.0);
}

void TestGlobal::rulesApplyPerProgramme()
{
    AddTestProg("AB", "Alpha");
    AddTestProg("CD", "Delta");
    TPProgs[1]->Rates.Set(2, 3, 0.7);
    ApplyPayoutRules(); // no rule at all: rates stay
    QCOMPARE(TPProgs[1]->Rates.At(2, 3), 0.7);
    QVERIFY(FindPayoutRule("AB", false) == nullptr);
    FindPayoutRule("", true)->Amounts.Set(-1, -1, 0.1);
    ApplyPayoutRules();
    QCOMPARE(TPProgs[0]->Rates.At(-1, -1), 0.1);
    QCOMPARE(TPProgs[1]->Rates.At(-1, -1), 0.1);

    FindPayoutRule("AB", true)->Amounts.Set(-1, -1, 0.2);
    ApplyPayoutRules();
    QCOMPARE(TPProgs[0]->Rates.At(-1, -1), 0.2);
    QCOMPARE(TPProgs[1]->Rates.At(-1, -1), 0.1);
    QCOMPARE(int(PayoutRules.size()), 2);
    QCOMPARE(FindPayoutRule("XY", false), PayoutRules[0].get()); // the default rule
    std::swap(PayoutRules[0], PayoutRules[1]);
    QCOMPARE(FindPayoutRule("XY", false), PayoutRules[1].get()); // also when it comes second
    PayoutRules.pop_back();
    QVERIFY(FindPayoutRule("XY", false) == nullptr); // another programme's rule is no default
}

void TestGlobal::readsPointOrLocaleNumbers_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected"); // -1: no number
    QTest::newRow("point, dutch") << QLocale::Dutch << "0.35" << 0.35;
    QTest::newRow("point, english") << QLocale::English << "0.35" << 0.35;
    QTest::newRow("comma, dutch") << QLocale::Dutch << " 0,35 " << 0.35;
    QTest::newRow("comma, english") << QLocale::English << "0,35" << -1.0; // no number in English
    QTest::newRow("not a number") << QLocale::Dutch << "veel" << -1.0;
    QTest::newRow("empty") << QLocale::Dutch << "" << -1.0;
    QTest::newRow("nan") << QLocale::Dutch << "nan" << -1.0;
    QTest::newRow("infinity, english") << QLocale::English << "inf" << -1.0;
    QTest::newRow("infinity") << QLocale::Dutch << "-inf" << -1.0;
    QTest::newRow("infinity with a point") << QLocale::Dutch << "1.0e999" << -1.0;
}

void TestGlobal::readsPointOrLocaleNumbers()
{
    QFETCH(QLocale::Language, language);
    QFETCH(QString, text);
    QFETCH(double, expected);
    QLocale::setDefault(QLocale(language));
    QCOMPARE(ReadPointOrLocaleNumber(text).value_or(-1.0), expected);
}

void TestGlobal::readsCommaOrPointNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected"); // -1: no number
    QTest::newRow("comma") << "0,25" << 0.25;
    QTest::newRow("point") << " 0.25 " << 0.25;
    QTest::newRow("locale minus sign") << QString(QChar(0x2212)) + "1,5" << -1.5;
    QTest::newRow("exponent") << "2,5e-05" << 2.5e-05;
    QTest::newRow("not finite") << "nan" << -1.0;
    QTest::newRow("text") << "twee" << -1.0;
    QTest::newRow("grouped, the user's form") << "1,234.5" << 1234.5;
}

void TestGlobal::readsCommaOrPointNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QLocale::setDefault(QLocale(QLocale::English)); // a file written in Dutch, read in English
    QCOMPARE(ReadCommaOrPointNumber(text).value_or(-1.0), expected);
}

void TestGlobal::readsAccountReplies()
{
    const QString line1 = "KEY-AAAA-BBBB-CCCC-DDDD|Eerste account|1";
    const QString line2 = "KEY-EEEE-FFFF-GGGG-HHHH|Tweede account|0";
    // Account lines are longer than 32 characters.
    const QString line32 = "KEY-XXXX-YYYY-ZZZZ-WWWW|Twaalf|1";
    const QString line33 = "KEY-XXXX-YYYY-ZZZZ-WWWW|Dertien|1";
    QCOMPARE(ReadAccountKeysReply(true, {"107", "OK", line1, "short|x|1", line2, line32, line33}), QString());
    QCOMPARE(int(TAccounts.size()), 3);
    QCOMPARE(TAccounts[2]->Name, QString("Dertien"));
    QCOMPARE(TAccounts[0]->Name, QString("Eerste account"));
    QVERIFY(TAccounts[0]->Active && !TAccounts[1]->Active);

    QCOMPARE(ReadAccountKeysReply(true, {"107", "NO", "Geen toegang"}), QString("Geen toegang"));
    QVERIFY(TAccounts.empty());
    QCOMPARE(ReadAccountKeysReply(false, {}), QString("FOUT TIJDENS OPHALEN!"));

    AddAccount("K1", "old", true);
    QCOMPARE(AddAccount("K1", "new", false).Name, QString("old"));
    QCOMPARE(ReadAddAccountKeyReply(true, {"101", "OK"}, "K2", true), QString("FOUT TIJDENS TOEVOEGEN!"));
    QCOMPARE(ReadAddAccountKeyReply(true, {"101", "OK", "Nieuw"}, "K2", false), QString("Key is toegevoegd"));
    QCOMPARE(TAccounts.back()->Name, QString("Nieuw"));

    AddTestProg("AB", "Alpha");
    QCOMPARE(ReadRemoveAccountKeyReply(true, {"105", "OK", "unknown"}), QString("Key is verwijderd"));
    QCOMPARE(int(TPProgs.size()), 1);
    QCOMPARE(ReadRemoveAccountKeyReply(true, {"105", "OK", "K1"}), QString("Key is verwijderd"));
    QVERIFY(TPProgs.empty());
    QCOMPARE(ReadRemoveAccountKeyReply(true, {"105", "NEE", "Mag niet"}), QString("Mag niet"));
    QCOMPARE(ReadRemoveAccountKeyReply(false, {}), QString("FOUT TIJDENS VERWIJDEREN!"));
}

QTEST_GUILESS_MAIN(TestGlobal)
#include "tst_global.moc"
