#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "uDayReference.h"
#include "uForecast.h"

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
    QTest::addColumn<int>("then");     // yesterday's callers at noon; -1: no sample within ten minutes
    QTest::addColumn<int>("endAt");    // seconds after midnight of yesterday's last sample
    QTest::addColumn<bool>("euros");   // the user has payout rules
    QTest::addColumn<QString>("text");
    const QString all = QStringLiteral("Verwacht vandaag: 512 bellers, 2.000 minuten, € 200,00");
    QTest::newRow("as yesterday went on") << 100 << 86000 << true << all;
    QTest::newRow("no payout rules, no euros") << 100 << 86000 << false
                                               << "Verwacht vandaag: 512 bellers, 2.000 minuten";
    QTest::newRow("yesterday ended early") << 100 << 54000 << true << QString();
    QTest::newRow("nothing yet yesterday") << 0 << 86000 << true << QString();
    QTest::newRow("no sample then") << -1 << 86000 << true << QString();
}

void TestForecast::forecastsFromYesterday()
{
    QFETCH(int, then);
    QFETCH(int, endAt);
    QFETCH(bool, euros);
    QFETCH(QString, text);
    // Yesterday's file: at noon `then` callers with 60 s and 10 cents each, at the end 400
    // callers, 24000 s and 4000 cents. Today at noon: 128 callers, 30000 s, € 50.
    const qint64 dayStart = 1'700'006'400;
    QTemporaryDir dir;
    QFile file(dir.filePath("y.hlg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (then >= 0)
        file.write(QStringLiteral("%1,1,%2,%3,%4\r\n").arg(dayStart + 43200).arg(then).arg(then * 60).arg(then * 10).toLatin1());
    file.write(QStringLiteral("%1,1,400,24000,4000\r\n").arg(dayStart + endAt).toLatin1());
    file.close();
    TDayReference yesterday;
    QVERIFY(yesterday.Load(file.fileName(), dayStart));

    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    const TDayForecast forecast = ForecastFor(yesterday, 43200, 128, 30000, euros ? std::optional(50.0) : std::nullopt);
    QCOMPARE(ForecastText(forecast), text);
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
    QCOMPARE(IsStale(last + age, last, interval), stale);
    QCOMPARE(StaleText(last + 3 * 60 + 5, last), QStringLiteral("Laatste gegevens %1, 3 min geleden")
                                                     .arg(QDateTime::fromSecsSinceEpoch(last, Qt::UTC)
                                                              .toString(QStringLiteral("HH:mm"))));
    QVERIFY(StaleText(last + 25, last).endsWith(", 25 s geleden"));
    QVERIFY(StaleText(last + 2 * 3600 + 60, last).endsWith(", 2 uur 1 min geleden"));
    QCOMPARE(StaleText(last, 0), QStringLiteral("Nog geen gegevens"));
}

QTEST_GUILESS_MAIN(TestForecast)
#include "tst_forecast.moc"
