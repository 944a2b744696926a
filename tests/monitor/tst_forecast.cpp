#include <QLocale>
#include <QTest>

#include <optional>

#include "uDayReference.h"
#include "uForecast.h"
#include "uFreshness.h"

class TestForecast final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void forecastsFromYesterday_data();
    void forecastsFromYesterday();
    void staleAfterTwoPollsAndSlack_data();
    void staleAfterTwoPollsAndSlack();
};

void TestForecast::forecastsFromYesterday_data()
{
    QTest::addColumn<int>("then");     // yesterday at this time; -1: no sample within ten minutes
    QTest::addColumn<int>("dayEnd");
    QTest::addColumn<double>("today");
    QTest::addColumn<double>("expected"); // -1: no forecast
    QTest::newRow("as yesterday went on") << 100 << 400 << 128.0 << 512.0;
    QTest::newRow("nothing yet yesterday") << 0 << 400 << 5.0 << -1.0;
    QTest::newRow("no sample then") << -1 << 400 << 5.0 << -1.0;
    QTest::newRow("nothing yet today") << 100 << 400 << 0.0 << 0.0;
}

void TestForecast::forecastsFromYesterday()
{
    QFETCH(int, then);
    QFETCH(int, dayEnd);
    QFETCH(double, today);
    QFETCH(double, expected);
    const std::optional<qint32> yesterdayThen = then < 0 ? std::nullopt : std::optional<qint32>(then);
    QCOMPARE(ForecastDay(today, yesterdayThen, dayEnd).value_or(-1.0), expected);

    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    TDayForecast forecast;
    forecast.Callers = ForecastDay(today, yesterdayThen, dayEnd);
    forecast.Minutes = ForecastDay(500.0, yesterdayThen, 368);
    forecast.Euros = ForecastDay(50.0, yesterdayThen, 368);
    const QString text = ForecastText(forecast);
    if (expected == 512.0)
        QCOMPARE(text, QStringLiteral("Verwacht vandaag: 512 bellers, 1.840 minuten, € 184,00"));
    else if (expected < 0)
        QVERIFY(text.isEmpty());
    QLocale::setDefault(QLocale::c());
}

void TestForecast::staleAfterTwoPollsAndSlack_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("age");
    QTest::addColumn<bool>("stale");
    QTest::newRow("at the limit") << 10 << 30 << false;
    QTest::newRow("one second past") << 10 << 31 << true;
    QTest::newRow("five-second polls") << 5 << 21 << true;
    QTest::newRow("fresh") << 5 << 0 << false;
}

void TestForecast::staleAfterTwoPollsAndSlack()
{
    QFETCH(int, interval);
    QFETCH(int, age);
    QFETCH(bool, stale);
    const qint64 last = 1'700'000'000;
    QCOMPARE(TFreshness::IsStale(last + age, last, interval), stale);
    QCOMPARE(TFreshness::StaleText(last + 3 * 60 + 5, last), QStringLiteral("Laatste gegevens %1, 3 min geleden")
                                                     .arg(QDateTime::fromSecsSinceEpoch(last, Qt::UTC)
                                                              .toString(QStringLiteral("HH:mm"))));
    QVERIFY(TFreshness::StaleText(last + 25, last).endsWith(", 25 s geleden"));
    QVERIFY(TFreshness::StaleText(last + 2 * 3600 + 60, last).endsWith(", 2 uur 1 min geleden"));
    QCOMPARE(TFreshness::StaleText(last, 0), QStringLiteral("Nog geen gegevens"));
}

QTEST_GUILESS_MAIN(TestForecast)
#include "tst_forecast.moc"
