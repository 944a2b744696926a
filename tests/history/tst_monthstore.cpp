#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include "uClock.h"
#include "uPeriods.h"

namespace {

qint64 DayStart(const QDate &date)
{
    return Clock::LocalSeconds(QDateTime(date, QTime(0, 0)));
}

void WriteFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Line(const QDate &date, int callers, int second = 43200)
{
    return QByteArray::number(DayStart(date) + second) + ",1," + QByteArray::number(callers) + ","
        + QByteArray::number(callers * 60) + "," + QByteArray::number(callers * 100) + "\r\n";
}

int Weekend(const QDate &date)
{
    return date.dayOfWeek() >= 6 ? 30 : 10;
}

} // namespace

class TestMonthStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }

    // One file per day from `from` to `to` with `callers` of the day, except `missing`.
    void WriteDays(const QDate &from, const QDate &to, const std::function<int(QDate)> &callers,
                   const QList<QDate> &missing = {})
    {
        QDir(Folder() + QStringLiteral("History")).removeRecursively();
        for (QDate d = from; d <= to; d = d.addDays(1)) {
            if (!missing.contains(d))
                WriteFile(DayFilePath(Folder(), d), Line(d, callers(d) / 2, 21600) + Line(d, callers(d)));
        }
    }

private Q_SLOTS:
    void readDayTotal_data()
    {
        const QDate day(2027, 3, 2);
        const QByteArray good = Line(day, 5) + Line(day, 7);
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("callers"); // -1: no total
        QTest::addColumn<bool>("damaged");
        QTest::newRow("whole") << good << 7 << false;
        QTest::newRow("LF ends") << QByteArray(good).replace("\r\n", "\n") << 7 << false;
        QTest::newRow("cut last line") << good + Line(day, 9).left(20) << 7 << true;
        QTest::newRow("number cut at the end") << good + Line(day, 9).chopped(3) << 7 << true;
        QTest::newRow("rubbish after") << good + "x,y\r\n" << 7 << true;
        QTest::newRow("nothing yet is a sample") << Line(day, 0) << 0 << false;
        QTest::newRow("negative figure") << good + Line(day, -4) << 7 << true;
        QTest::newRow("two signs") << good + Line(day, 9).replace(",1,", ",+-0,") << 7 << true;
        QTest::newRow("next day's time") << good + Line(day.addDays(1), 9) << 7 << true;
        QTest::newRow("rubbish beyond the first tail") << good + QByteArray(9000, 'x') + "\r\n" << 7 << true;
        QTest::newRow("nothing good") << QByteArray("1,2\r\n\r\n") << -1 << true;
        QTest::newRow("empty: a day without samples") << QByteArray("") << -1 << false;
    }
    void readDayTotal()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, callers);
        QFETCH(bool, damaged);
        const QDate day(2027, 3, 2);
        const QString name = DayFilePath(Folder(), day);
        WriteFile(name, content);
        const TDayTotal total = ReadDayTotal(name, DayStart(day));
        QVERIFY(total.Present);
        QCOMPARE(total.Last ? total.Last->Callers : -1, callers);
        QCOMPARE(total.Damaged, damaged);
        QVERIFY(!ReadDayTotal(name + QStringLiteral("x"), DayStart(day)).Present);
    }

    void periods_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("missing");
        QTest::addColumn<int>("period"); // 0 week, 1 month, 2 last month
        QTest::addColumn<qint64>("now");
        QTest::addColumn<int>("days");
        QTest::addColumn<qint64>("before");
        QTest::addColumn<int>("percent"); // -999: none
        QTest::addColumn<int>("soFar");   // today up to this second; -1: whole
        const QDate none;
        QTest::newRow("month over the month end") << QDate(2027, 3, 2) << none << 1 << qint64(20) << 2 << qint64(20) << 0 << -1;
        QTest::newRow("a day missing before") << QDate(2027, 3, 2) << QDate(2027, 2, 2) << 1 << qint64(20) << 2
                                              << qint64(10) << 100 << -1;
        QTest::newRow("a day missing now") << QDate(2027, 3, 2) << QDate(2027, 3, 1) << 1 << qint64(10) << 1
                                           << qint64(20) << -50 << -1;
        QTest::newRow("31 March against 28 February") << QDate(2027, 3, 31) << none << 1 << qint64(310) << 31
                                                      << qint64(280) << 11 << -1;
        QTest::newRow("February against January") << QDate(2027, 3, 2) << none << 2 << qint64(280) << 28
                                                   << qint64(310) << -10 << -1;
        QTest::newRow("February with a gap") << QDate(2027, 3, 2) << QDate(2027, 2, 10) << 2 << qint64(270) << 27
                                             << qint64(310) << -13 << -1;
        QTest::newRow("week over the month end") << QDate(2027, 3, 2) << QDate(2027, 2, 23) << 0 << qint64(20) << 2
                                                 << qint64(10) << 100 << -1;
        QTest::newRow("nothing before") << QDate(2027, 1, 2) << none << 1 << qint64(20) << 2 << qint64(0) << -999 << -1;
        QTest::newRow("today so far against the same time") << QDate(2027, 3, 2) << none << 0 << qint64(20) << 2
                                                            << qint64(15) << 33 << 21600;
    }
    void periods()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, missing);
        QFETCH(int, period);
        WriteDays(QDate(2027, 1, 1), QDate(2027, 3, 31), [](QDate) { return 10; }, {missing});
        TMonthStore store(Folder());
        store.Load(OverviewStart(today), today);
        QFETCH(int, soFar);
        const std::optional<int> upTo = soFar < 0 ? std::nullopt : std::optional<int>(soFar);
        const TDayFigure callers = TDayFigure::Callers;
        const TPeriodChange change = period == 0 ? ThisWeek(store, today, callers, upTo)
            : period == 1                        ? ThisMonth(store, today, callers, upTo)
                                                 : LastMonth(store, today, callers);
        QTEST(change.Now.Value, "now");
        QTEST(change.Now.Days, "days");
        QTEST(change.Before.Value, "before");
        QTEST(change.Percent.value_or(-999), "percent");
        QCOMPARE(SumOver(store, today, today, TDayFigure::Cents).Value, qint64(1000));
    }

    void monthForecast()
    {
        const QDate today(2027, 3, 2);
        WriteDays(QDate(2027, 2, 1), today, Weekend);
        TMonthStore store(Folder());
        store.Load(OverviewStart(today), today);
        double whole = 0;
        for (QDate d(2027, 3, 1); d.month() == 3; d = d.addDays(1))
            whole += Weekend(d);
        QCOMPARE(MonthForecast(store, today, TDayFigure::Callers).value_or(-1), whole);
        const auto best = BestDay(store, today.addDays(1 - OverviewDays), today, TDayFigure::Callers);
        QVERIFY(best);
        QCOMPARE(best->Date, QDate(2027, 2, 6)); // the first of the highest
        store.SetLive(today, THistorySample{0, 0, 99, 0, 0});
        QCOMPARE(BestDay(store, today.addDays(1 - OverviewDays), today, TDayFigure::Callers)->Date, today);
        // The span's first day takes a live sample too.
        store.SetLive(store.From(), THistorySample{0, 0, 7, 0, 0});
        QCOMPARE(store.Value(store.From(), TDayFigure::Callers).value_or(-1), 7);
        // Days beside the span hold nothing.
        QVERIFY(!store.Value(store.From().addDays(-1), TDayFigure::Callers));
        QVERIFY(!store.Value(store.To().addDays(1), TDayFigure::Callers));

        // Without Saturdays in the four weeks, a Saturday counts as the average day.
        const QList<QDate> saturdays{{2027, 2, 6}, {2027, 2, 13}, {2027, 2, 20}, {2027, 2, 27}};
        WriteDays(QDate(2027, 2, 1), today, Weekend, saturdays);
        store.Load(OverviewStart(today), today);
        const double average = (4 * 30 + 20 * 10) / 24.0;
        QCOMPARE(*MonthForecast(store, today, TDayFigure::Callers), 20 + 21 * 10 + 4 * 30 + 4 * average);

        WriteDays(today, today, Weekend);
        store.Load(OverviewStart(today), today);
        QVERIFY(!MonthForecast(store, today, TDayFigure::Callers));
    }
};

QTEST_GUILESS_MAIN(TestMonthStore)
#include "tst_monthstore.moc"
