#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <array>
#include <optional>

#include "tProcessState.h"
#include "uClock.h"
#include "uDayReference.h"
#include "uForecast.h"
#include "uFreshness.h"
#include "uMonitor.h"
#include "uSettings.h"
#include "uTriggers.h"

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
    void triggerComparesMinutesWithYesterdays_data();
    void triggerComparesMinutesWithYesterdays();
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
    QTest::newRow("one caller yesterday then") << 1 << 86000 << false
                                              << "Verwacht vandaag: 51.200 bellers, 200.000 minuten (op basis van gisteren)";
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
    QTest::addColumn<QDateTime>("reply"); // UTC; invalid: no reply yet
    QTest::addColumn<int>("later");       // seconds of real time from the reply (or the start) on
    QTest::addColumn<int>("interval");
    QTest::addColumn<QString>("text");    // empty: the figures are live
    const QDateTime two(QDate(2026, 12, 8), QTime(13, 0), Qt::UTC); // 14:00 in Amsterdam
    QTest::newRow("at the limit") << two << 30 << 10 << QString();
    QTest::newRow("one second past") << two << 31 << 10 << "Laatste gegevens 14:00, 31 s geleden";
    QTest::newRow("five-second polls") << two << 21 << 5 << "Laatste gegevens 14:00, 21 s geleden";
    QTest::newRow("minutes") << two << 3 * 60 + 5 << 10 << "Laatste gegevens 14:00, 3 min geleden";
    QTest::newRow("hours") << two << 2 * 3600 + 60 << 10 << "Laatste gegevens 14:00, 2 uur 1 min geleden";
    QTest::newRow("a day") << two << 86400 << 10 << "Laatste gegevens 08-12-2026 14:00, 24 uur 0 min geleden";
    QTest::newRow("no reply yet") << QDateTime() << 31 << 10 << "Nog geen gegevens";
    // 02:59:50 summer time, then the clock goes back: 02:10 winter time is 20 minutes on.
    QTest::newRow("after falling back") << QDateTime(QDate(2026, 10, 25), QTime(0, 59, 50), Qt::UTC) << 20 * 60 + 10
                                        << 10 << "Laatste gegevens 02:59, 20 min geleden";
    // 01:59:55 winter time, then the clock jumps: 03:00:05 summer time is 10 s on.
    QTest::newRow("after springing forward") << QDateTime(QDate(2026, 3, 29), QTime(0, 59, 55), Qt::UTC) << 10 << 10
                                             << QString();
}

void TestForecast::staleAfterTwoPollsAndSlack()
{
    QFETCH(QDateTime, reply);
    QFETCH(int, later);
    QFETCH(int, interval);
    QFETCH(QString, text);
    const QTimeZone amsterdam("Europe/Amsterdam");
    const QDateTime start = reply.isValid() ? reply : QDateTime(QDate(2026, 12, 8), QTime(13, 0), Qt::UTC);
    TProcessState state(start.toTimeZone(amsterdam));
    Settings.Interval = interval;
    TBelvoraMonitor monitor(nullptr);
    if (reply.isValid()) {
        monitor.PollTime = Clock::LocalSecondsNow();
        monitor.ProcessCallersReply({QStringLiteral("103")});
    }
    state.SetNow(start.addSecs(later).toTimeZone(amsterdam));
    const TFreshness freshness(monitor);
    QCOMPARE(freshness.Text(), text);
    QCOMPARE(freshness.Stale(), !text.isEmpty());
}

void TestForecast::triggerComparesMinutesWithYesterdays_data()
{
    QTest::addColumn<int>("seconds"); // today's at noon
    QTest::addColumn<int>("state");
    // Yesterday at noon: 100 minutes, kept in the file as 6000 seconds.
    QTest::newRow("120 minutes: above 110 %") << 7200 << TriggerState::ConditionTrue;
    QTest::newRow("100 minutes: not above 110 %") << 6000 << TriggerState::ConditionFalse;
}

void TestForecast::triggerComparesMinutesWithYesterdays()
{
    QFETCH(int, seconds);
    QFETCH(int, state);
    TProcessState process(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
    QVERIFY(QDir().mkpath(process.FilePath(QStringLiteral("History"))));
    WrittenDay(process.FilePath(QStringLiteral("History")), QDate(2026, 12, 7), 100, 400);
    auto prog = std::make_unique<TPProgItem>();
    prog->ProgCode = QStringLiteral("AB");
    TPProgs.push_back(std::move(prog));
    AddTrigger(TTriggers, QString(), QStringLiteral("110"), QStringLiteral("Druk"), TriggerWhen::Always, 2,
               TriggerCompare::AboveYesterday, TriggerAction::Balloon, true, TriggerRepeat::OnceUntilNext);
    TBelvoraMonitor monitor(nullptr);
    monitor.PollTime = Clock::LocalSecondsNow();
    monitor.ProcessCallersReply({QStringLiteral("103"), QStringLiteral("$AB|0|0|5|%1").arg(seconds)});
    QCOMPARE(TTriggers[0]->State, state);
}

QTEST_MAIN(TestForecast)
#include "tst_forecast.moc"
