#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <optional>

#include "uClock.h"
#include "uDayReference.h"
#include "uForecast.h"

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
        QCOMPARE(text, QStringLiteral("Verwacht vandaag: 512 bellers, 1.840 minuten, € 184,00 (op basis van gisteren)"));
    else if (expected < 0)
        QVERIFY(text.isEmpty());
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
