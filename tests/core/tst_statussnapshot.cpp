#include <QTest>

#include "uStatusSnapshot.h"

Q_DECLARE_METATYPE(TStatusSnapshot)

namespace {

const QDateTime TenFifteen(QDate(2026, 12, 8), QTime(10, 15), Qt::OffsetFromUTC, 3600);

TStatusSnapshot Full()
{
    return {3, 1234, 600.5, 184.256, TStatusSnapshot::TForecast{2000.4, 1840.333, 300.0}, false, false, TenFifteen};
}

} // namespace

// The figures a running monitor gives a panel: one JSON line both ways, and a template.
class TestStatusSnapshot final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesReadsAndFills_data();
    void writesReadsAndFills();
    void rejectsOtherAnswers_data();
    void rejectsOtherAnswers();
};

void TestStatusSnapshot::writesReadsAndFills_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<TStatusSnapshot>("status");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("line");

    QTest::newRow("full") << "nl_NL" << Full()
                          << QByteArray(R"({"callers":1234,"euros":184.26,"forecast":{"callers":2000,"euros":300,)"
                                        R"("minutes":1840.33},"lastReply":"2026-12-08T10:15:00+01:00","minutes":600.5,)"
                                        R"("online":3,"quiet":false,"stale":false})")
                          << "{online} nu, {callers} bellers, {minutes} min, € {euros}, verwacht "
                             "{forecast.callers}/{forecast.minutes}/{forecast.euros}, {lastReply}"
                          << "3 nu, 1.234 bellers, 600,50 min, € 184,26, verwacht 2.000/1.840/300,00, 10:15";

    TStatusSnapshot noRules = Full();
    noRules.Euros.reset();
    noRules.Forecast->Euros.reset();
    QTest::newRow("no payout rules")
        << "nl_NL" << noRules
        << QByteArray(R"({"callers":1234,"euros":null,"forecast":{"callers":2000,"euros":null,"minutes":1840.33},)"
                      R"("lastReply":"2026-12-08T10:15:00+01:00","minutes":600.5,"online":3,"quiet":false,"stale":false})")
        << "€ {euros} / {forecast.euros}" << "€ – / –";

    QTest::newRow("before the first reply")
        << "nl_NL" << TStatusSnapshot{}
        << QByteArray(R"({"callers":0,"euros":null,"forecast":null,"lastReply":null,"minutes":0,"online":0,)"
                      R"("quiet":false,"stale":false})")
        << "{callers} om {lastReply}, {forecast.callers}" << "0 om –, –";

    TStatusSnapshot stale = Full();
    stale.Stale = true;
    stale.Forecast.reset();
    QTest::newRow("stale")
        << "nl_NL" << stale
        << QByteArray(R"({"callers":1234,"euros":184.26,"forecast":null,"lastReply":"2026-12-08T10:15:00+01:00",)"
                      R"("minutes":600.5,"online":3,"quiet":false,"stale":true})")
        << "{stale}/{quiet}" << "ja/nee";

    TStatusSnapshot quiet = stale;
    quiet.Stale = false;
    quiet.Quiet = true;
    QTest::newRow("quiet")
        << "nl_NL" << quiet
        << QByteArray(R"({"callers":1234,"euros":184.26,"forecast":null,"lastReply":"2026-12-08T10:15:00+01:00",)"
                      R"("minutes":600.5,"online":3,"quiet":true,"stale":false})")
        << "{stale}/{quiet}" << "nee/ja";

    const TStatusSnapshot seven{1, 7, 0.25, 1234.5, std::nullopt, false, false, QDateTime()};
    const QByteArray sevenJson = R"({"callers":7,"euros":1234.5,"forecast":null,"lastReply":null,"minutes":0.25,)"
                                 R"("online":1,"quiet":false,"stale":false})";
    QTest::newRow("unknown placeholders") << "nl_NL" << seven << sevenJson
                                          << "{callers} {foo} {forecast} {Callers} {x {callers}} {callers"
                                          << "7 {foo} {forecast} {Callers} {x 7} {callers";
    QTest::newRow("English numbers") << "en_US" << TStatusSnapshot{1, 1234, 0.25, 1234.5, std::nullopt, false, false, {}}
                                     << QByteArray(sevenJson).replace(":7,", ":1234,")
                                     << "{callers} bellers, {minutes} min, € {euros}" << "1,234 bellers, 0.25 min, € 1234.50";
}

void TestStatusSnapshot::writesReadsAndFills()
{
    QFETCH(QString, locale);
    QFETCH(TStatusSnapshot, status);
    QFETCH(QByteArray, json);
    QFETCH(QString, format);
    QFETCH(QString, line);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(StatusJson(status), json);
    // The asking side fills the template from what it read.
    const std::optional<TStatusSnapshot> read = ReadStatusJson(json);
    QVERIFY(read);
    QCOMPARE(StatusJson(*read), json);
    QCOMPARE(FillStatusTemplate(format, *read), line);
}

void TestStatusSnapshot::rejectsOtherAnswers_data()
{
    QTest::addColumn<QByteArray>("json");
    const QByteArray good = StatusJson(Full());
    QTest::newRow("unknown request") << QByteArray("?");
    QTest::newRow("a key missing") << QByteArray(good).replace("\"online\":3,", "");
    QTest::newRow("a count as text") << QByteArray(good).replace(":1234,", ":\"1234\",");
    QTest::newRow("a forecast figure as text") << QByteArray(good).replace(":2000,", ":true,");
    QTest::newRow("no time") << QByteArray(good).replace("2026-12-08T10:15:00+01:00", "gisteren");
}

void TestStatusSnapshot::rejectsOtherAnswers()
{
    QFETCH(QByteArray, json);
    QVERIFY(!ReadStatusJson(json));
}

QTEST_GUILESS_MAIN(TestStatusSnapshot)
#include "tst_statussnapshot.moc"
