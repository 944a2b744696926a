#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <optional>

#include "uClock.h"
#include "uDayReference.h"
#include "uForecast.h"
#include "uFreshness.h"

namespace {

// A day with `then` callers at noon and `end` just before midnight; damaged: no good line.
TDayReference WrittenDay(const QString &folder, const QDate &date, int then, int end, bool damaged = false)
{
    const qint64 start = Clock::LocalSeconds(QDateTime(date, QTime(0, 0)));
    const QString name = folder + date.toString(QStringLiteral("/dd-MM-yyyy.hlg"));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(name));
    if (damaged)
        file.write("\x01\xff,,garbage\r\n;;;\r\n12");
    for (const auto &[time, value] : {std::pair{43200, then}, std::pair{86100, end}}) {
        if (!damaged)
            file.write(QStringLiteral("%1,1,%2,%3,%4\r\n").arg(start + time).arg(value).arg(value * 60).arg(value).toLatin1());
    }
    file.close();
    TDayReference day;
    day.Load(name, start);
    return day;
}

} // namespace

class TestForecast final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void forecastsFromYesterday_data();
    void forecastsFromYesterday();
    void forecastsFromSameWeekdays_data();
    void forecastsFromSameWeekdays();
    void staleAfterTwoPollsAndSlack_data();
    void staleAfterTwoPollsAndSlack();
};

void TestForecast::forecastsFromYesterday_data()
{
    QTest::addColumn<int>("then");     // yesterday's callers at noon; -1: no sample within ten minutes
    QTest::addColumn<int>("endAt");    // seconds after midnight of yesterday's last sample
    QTest::addColumn<bool>("euros");   // the user has payout rules
    QTest::addColumn<QString>("text");
    const QString all = QStringLiteral("Verwacht vandaag: 512 bellers, 2.000 minuten, € 200,00 (op basis van gisteren)");
    QTest::newRow("as yesterday went on") << 100 << 86000 << true << all;
    QTest::newRow("no payout rules, no euros") << 100 << 86000 << false
                                               << "Verwacht vandaag: 512 bellers, 2.000 minuten (op basis van gisteren)";
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
    const TDayForecast forecast = ForecastFor(yesterday, {}, 43200, 128, 30000, euros ? std::optional(50.0) : std::nullopt);
    QCOMPARE(ForecastText(forecast), text);
    QLocale::setDefault(QLocale::c());
}

void TestForecast::forecastsFromSameWeekdays_data()
{
    QTest::addColumn<int>("weeks");   // bit k: a day file k + 1 weeks back
    QTest::addColumn<int>("damaged"); // bit k: that file is rubbish
    QTest::addColumn<double>("callers");
    QTest::addColumn<QString>("basis");
    // Whole day / noon: yesterday 10, the weeks back 4, 3, 5 and 2.
    QTest::newRow("none: yesterday") << 0 << 0 << 100.0 << "op basis van gisteren";
    QTest::newRow("one week") << 0b0001 << 0 << 40.0 << "op basis van vorige dinsdag";
    QTest::newRow("two: the mean of the middle") << 0b0011 << 0 << 35.0 << "op basis van de laatste 2 dinsdagen";
    QTest::newRow("three") << 0b0111 << 0 << 40.0 << "op basis van de laatste 3 dinsdagen";
    QTest::newRow("four") << 0b1111 << 0 << 35.0 << "op basis van de laatste 4 dinsdagen";
    QTest::newRow("a week missing") << 0b1101 << 0 << 40.0 << "op basis van 3 van de laatste 4 dinsdagen";
    QTest::newRow("a damaged file") << 0b1111 << 0b0010 << 40.0 << "op basis van 3 van de laatste 4 dinsdagen";
    QTest::newRow("only a damaged file") << 0b0001 << 0b0001 << 100.0 << "op basis van gisteren";
}

void TestForecast::forecastsFromSameWeekdays()
{
    QFETCH(int, weeks);
    QFETCH(int, damaged);
    QTemporaryDir dir;
    const QDate today(2027, 3, 2); // a Tuesday
    const TDayReference yesterday = WrittenDay(dir.path(), today.addDays(-1), 100, 1000);
    const int ratios[] = {4, 3, 5, 2};
    std::array<TDayReference, SameWeekdayWeeks> sameWeekdays;
    for (int k = 0; k < SameWeekdayWeeks; ++k) {
        if (weeks & (1 << k))
            sameWeekdays[std::size_t(k)] = WrittenDay(dir.path(), today.addDays(-7 * (k + 1)), 100, 100 * ratios[k],
                                                      damaged & (1 << k));
    }
    const TDayForecast forecast = ForecastFor(yesterday, sameWeekdays, 43200, 10, 600, 10.0);
    QTEST(forecast.Callers.value_or(-1), "callers");
    QTEST(forecast.Minutes.value_or(-1), "callers");
    QFETCH(QString, basis);
    QVERIFY2(ForecastText(forecast).endsWith(QLatin1Char('(') + basis + QLatin1Char(')')), qPrintable(ForecastText(forecast)));
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
