#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QPainter>
#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "uClock.h"
#include "uDayStore.h"
#include "uDebugLog.h"
#include "uHistory.h"
#include "uSettings.h"

namespace {

const QDate Day(2026, 12, 7);

QByteArray ReadAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QList<int> Fields(const THistorySample &s)
{
    return {s.Time, s.Online, s.Callers, s.Seconds, s.Cents};
}

} // namespace

class TestDayFile final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startsEmptyWithoutFile();
    void emptyDaySavesEmptyFile();
    void writesTheDocumentedLine();
    void roundTripIsByteIdentical();
    void scansLines_data();
    void scansLines();
    void splitsLines_data();
    void splitsLines();
    void ignoresLinesBeyondCapacity();
    void survivesAnyContent_data();
    void survivesAnyContent();
    void dayChangesAtMidnightNotBefore();
    void newDayTakesTheClocksDate();
    void dropsSamplesBeyondCapacity();
    void namesTheFileByDate();
    void createsMissingFolder();
    void reportsSaveFailureAndStillChangesDay();
    void readsYesterday_data();
    void readsYesterday();

private:
    void SetNow(const QDateTime &now) { m_state->SetNow(now); }
    QString DayFile(const QDate &date) const;

    std::optional<TProcessState> m_state;
};

void TestDayFile::init()
{
    m_state.emplace(QDateTime(Day, QTime(14, 30)));
}

void TestDayFile::cleanup()
{
    m_state.reset();
}

QString TestDayFile::DayFile(const QDate &date) const
{
    return m_state->FilePath(QStringLiteral("History/") + date.toString(QStringLiteral("dd-MM-yyyy")) + QStringLiteral(".hlg"));
}

void TestDayFile::startsEmptyWithoutFile()
{
    TDayStore history;
    QCOMPARE(history.DayStart(), Clock::LocalSeconds(QDateTime(Day, QTime(0, 0))));
    QCOMPARE(history.Count(), 0);
    for (int v = 0; v < THistorySample::SeriesCount; ++v) {
        QCOMPARE(history.MaxValue(v), 0);
        QCOMPARE(history.MinValue(v), 0);
    }
    QVERIFY(!QFile::exists(history.DayFileName()));

    // A folder where the day file should be cannot be read: an empty day, and a trace.
    Settings.Debug = DebugLevel::Requests;
    QDir().mkpath(history.DayFileName());
    TDayStore unreadable;
    Settings.Debug = 0;
    QCOMPARE(unreadable.Count(), 0);
    QVERIFY(ReadAll(DebugLogFileName).contains("History.LoadDay"));
}

void TestDayFile::emptyDaySavesEmptyFile()
{
    TDayStore history;
    QVERIFY(history.SaveDay());
    QVERIFY(QFile::exists(DayFile(Day)));
    QCOMPARE(ReadAll(DayFile(Day)), QByteArray());
}

void TestDayFile::writesTheDocumentedLine()
{
    TDayStore history;
    const qint64 time = history.DayStart() + 52200;
    history.AddSample(time, 3, 41, 15620, 1234);
    QVERIFY(history.SaveDay());
    QCOMPARE(ReadAll(DayFile(Day)), QByteArray::number(time) + ",3,41,15620,1234\r\n");
}

void TestDayFile::roundTripIsByteIdentical()
{
    QByteArray first;
    QList<QList<int>> written;
    {
        TDayStore history;
        const qint64 start = history.DayStart();
        history.AddSample(start + 10, 0, 0, 0, 0);
        history.AddSample(start + 20, -5, 2147483647, -2147483647 - 1, 7);
        history.AddSample(start + 86399, 12, 345, 6789, -1234);
        for (int i = 0; i < history.Count(); ++i)
            written << Fields(history.Sample(i));
        QVERIFY(history.SaveDay());
        first = ReadAll(DayFile(Day));
    }
    TDayStore reread;
    QCOMPARE(reread.Count(), written.size());
    for (int i = 0; i < reread.Count(); ++i)
        QCOMPARE(Fields(reread.Sample(i)), written[i]);
    QVERIFY(reread.SaveDay());
    QCOMPARE(ReadAll(DayFile(Day)), first);
    // The extremes of what was read span every sample, not only the first.
    QCOMPARE(reread.MaxValue(THistorySample::SeriesCallers), 2147483647);
    QCOMPARE(reread.MinValue(THistorySample::SeriesEuro), -1234);
}

void TestDayFile::scansLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<int>>("fields");

    QTest::newRow("plain") << QByteArray("100,1,2,3,4") << QList<int>{100, 1, 2, 3, 4};
    QTest::newRow("blanks before first and second") << QByteArray(" 100, 1,2,3,4") << QList<int>{100, 1, 2, 3, 4};
    QTest::newRow("tabs before every number") << QByteArray("\t100,\t1,\t2,\t3,\t4") << QList<int>{100, 1, 2, 3, 4};
    QTest::newRow("semicolons") << QByteArray("100;1;2;3;4") << QList<int>{100, 0, 0, 0, 0};
    QTest::newRow("empty") << QByteArray("") << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("blank before comma") << QByteArray("100 ,1,2,3,4") << QList<int>{100, 0, 0, 0, 0};
    QTest::newRow("three fields") << QByteArray("100,1,2") << QList<int>{100, 1, 2, 0, 0};
    QTest::newRow("signs") << QByteArray("+100,-1,+2,-3,4") << QList<int>{100, -1, 2, -3, 4};
    QTest::newRow("sign without digits") << QByteArray("100,-,2,3,4") << QList<int>{100, 0, 0, 0, 0};
    QTest::newRow("letters after a number") << QByteArray("100,1x,2,3,4") << QList<int>{100, 1, 0, 0, 0};
    QTest::newRow("more than five fields") << QByteArray("100,1,2,3,4,5,6") << QList<int>{100, 1, 2, 3, 4};
    QTest::newRow("leading zeros") << QByteArray("0100,007,2,3,4") << QList<int>{100, 7, 2, 3, 4};
    QTest::newRow("32-bit limits") << QByteArray("2147483647,-2147483648,0,0,0")
                                   << QList<int>{2147483647, -2147483647 - 1, 0, 0, 0};
    QTest::newRow("beyond 32 bits") << QByteArray("100,2147483648,2,3,4") << QList<int>{100, 0, 0, 0, 0};
    QTest::newRow("very long number") << QByteArray("100,1" + QByteArray(500, '9') + ",2")
                                      << QList<int>{100, 0, 0, 0, 0};
    QTest::newRow("text") << QByteArray("hello") << QList<int>{0, 0, 0, 0, 0};
}

void TestDayFile::scansLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<int>, fields);
    WriteAll(DayFile(Day), line + "\r\n" + "1,2,3,4,5\r\n");
    TDayStore history;
    QCOMPARE(history.Count(), 2);
    QCOMPARE(Fields(history.Sample(0)), fields);
    // The damaged line takes exactly one slot; the next line is unaffected.
    QCOMPARE(Fields(history.Sample(1)), (QList<int>{1, 2, 3, 4, 5}));
}

void TestDayFile::splitsLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("times");

    QTest::newRow("empty file") << QByteArray() << QList<int>{};
    QTest::newRow("CR LF") << QByteArray("1\r\n2\r\n") << QList<int>{1, 2};
    QTest::newRow("lone LF") << QByteArray("1\n2\n") << QList<int>{1, 2};
    QTest::newRow("lone CR") << QByteArray("1\r2\r") << QList<int>{1, 2};
    QTest::newRow("mixed") << QByteArray("1\r\n2\n3\r4") << QList<int>{1, 2, 3, 4};
    QTest::newRow("no final line end") << QByteArray("1\r\n2") << QList<int>{1, 2};
    QTest::newRow("empty lines take slots") << QByteArray("1\r\n\r\n\n3\r\n") << QList<int>{1, 0, 0, 3};
    QTest::newRow("LF CR is two ends") << QByteArray("1\n\r2") << QList<int>{1, 0, 2};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QList<int>{0};
}

void TestDayFile::splitsLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, times);
    WriteAll(DayFile(Day), content);
    TDayStore history;
    QList<int> read;
    for (int i = 0; i < history.Count(); ++i)
        read << history.Sample(i).Time;
    QCOMPARE(read, times);
}

void TestDayFile::ignoresLinesBeyondCapacity()
{
    QByteArray content;
    for (int i = 1; i <= TDayStore::Capacity + 1; ++i)
        content += QByteArray::number(i) + ",1,2,3,4\r\n";
    WriteAll(DayFile(Day), content);
    TDayStore history;
    QCOMPARE(history.Count(), TDayStore::Capacity);
    QCOMPARE(history.Sample(TDayStore::Capacity - 1).Time, TDayStore::Capacity);
}

void TestDayFile::survivesAnyContent_data()
{
    QTest::addColumn<QByteArray>("content");

    QByteArray noise(3 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator random(20261207);
    for (char &c : noise)
        c = char(random.bounded(256));
    QTest::newRow("random bytes") << noise;

    QByteArray wild;
    for (int i = 0; i < 40000; ++i)
        wild += QByteArray::number(qint32(random.generate())) + ",-2147483648,2147483647,-1,"
                + QByteArray::number(random.bounded(-1000000, 1000000)) + "\n";
    QTest::newRow("extreme numbers") << wild;

    QTest::newRow("one endless line") << QByteArray(5 * 1024 * 1024, ' ');
    QTest::newRow("only line ends") << QByteArray(100000, '\n');
    QTest::newRow("a day at the 32-bit minimum") << QByteArray("0,-2147483648,0,0,0\r\n");
}

void TestDayFile::survivesAnyContent()
{
    QFETCH(QByteArray, content);
    WriteAll(DayFile(Day), content);
    TDayStore history;
    QVERIFY(history.Count() <= TDayStore::Capacity);
    // Drawing whatever was read must not fail either, in every series and size.
    THistoryGraph graph(history);
    QImage view(500, 48, QImage::Format_RGB32);
    QPainter painter(&view);
    graph.Attach(500, 48);
    for (int series = 0; series < THistorySample::SeriesCount; ++series) {
        graph.SetSeries(series);
        graph.Paint(painter, view.rect());
    }
    graph.SetShowTimeLabels(false);
    graph.SetSize(34, 18);
    graph.Paint(painter, view.rect());
    history.AddSample(history.DayStart() + 100, 2147483647, -2147483647 - 1, 5, 5);
    graph.Paint(painter, view.rect());
}

void TestDayFile::readsYesterday_data()
{
    QTest::addColumn<QByteArray>("file");          // "-" for no file at all
    QTest::addColumn<int>("askAt");                // seconds after midnight
    QTest::addColumn<int>("callersThen");          // -1: no sample near enough
    QTest::addColumn<int>("callersAtEnd");         // -1: no day value
    const qint64 y = Clock::LocalSeconds(QDateTime(Day.addDays(-1), QTime(0, 0)));
    const auto line = [](qint64 time, int callers) {
        return QByteArray::number(time) + ",1," + QByteArray::number(callers) + ",60,100\r\n";
    };
    const QByteArray day = line(y + 43200, 100) + line(y + 43800, 150) + line(y + 72000, 400) + line(y + 85800, 500);
    QTest::newRow("ten minutes after a sample") << day << 72000 + 600 << 400 << 500;
    QTest::newRow("just beyond ten minutes") << day << 72000 + 601 << -1 << 500;
    QTest::newRow("nearest of two") << day << 43600 << 150 << 500;
    QTest::newRow("damaged: garbage, other days, out of order")
        << "garbage\r\n" + line(y + 86399, 400) + line(y + 86400, 999) + line(y - 1, 7) + line(y + 43200, 100)
        << 43200 << 100 << -1;
    QTest::newRow("the second before the day") << line(y - 1, 7) + line(y + 86000, 5) << 0 << -1 << 5;
    QTest::newRow("the day's first second") << line(y, 7) + line(y + 86000, 5) << 0 << 7 << 5;
    QTest::newRow("two at one time: the first") << line(y + 600, 7) + line(y + 600, 8) + line(y + 86000, 5) << 600
                                                << 7 << 5;
    QTest::newRow("the second after the day") << line(y + 86000, 5) + line(y + 86400, 999) << 86399 << 5 << 5;
    QTest::newRow("ends early: no day value") << line(y + 28800, 10) + line(y + 85799, 150) << 85799 << 150 << -1;
    // At 03:00 the clock goes back to 02:00: 25 hours of samples, in the order taken.
    QByteArray longDay;
    for (int i = 0; i < 25 * 720; ++i)
        longDay += line(y + i * 5 - (i * 5 >= 3 * 3600 ? 3600 : 0), i);
    QTest::newRow("the day the clock goes back") << longDay << 43200 << 9360 << 25 * 720 - 1;
    QTest::newRow("empty file") << QByteArray() << 43200 << -1 << -1;
    QTest::newRow("no file") << QByteArray("-") << 43200 << -1 << -1;
}

void TestDayFile::readsYesterday()
{
    QFETCH(QByteArray, file);
    QFETCH(int, askAt);
    QFETCH(int, callersThen);
    QFETCH(int, callersAtEnd);
    if (file != "-")
        WriteAll(DayFile(Day.addDays(-1)), file);
    TDayStore history;
    const TDayReference &yesterday = history.Yesterday();
    QCOMPARE(yesterday.DayStart(), history.DayStart() - 86400);
    QCOMPARE(yesterday.ValueAt(THistorySample::SeriesCallers, askAt).value_or(-1), callersThen);
    QCOMPARE(yesterday.DayValue(THistorySample::SeriesCallers).value_or(-1), callersAtEnd);
    // A forecast needs both, and something yesterday at this time.
    QCOMPARE(ForecastDay(1.0, yesterday.ValueAt(THistorySample::SeriesCallers, askAt),
                         yesterday.DayValue(THistorySample::SeriesCallers))
                 .has_value(),
             callersThen > 0 && callersAtEnd >= 0);
}

void TestDayFile::dayChangesAtMidnightNotBefore()
{
    TDayStore history;
    const qint64 start = history.DayStart();
    QVERIFY(!history.AddSample(start + 100, 1, 2, 3, 4));
    QVERIFY(!history.AddSample(start + 86399, 5, 6, 7, 8));
    QCOMPARE(history.Count(), 2);
    QCOMPARE(history.DayStart(), start);
    QVERIFY(!QFile::exists(DayFile(Day)));

    SetNow(QDateTime(Day.addDays(1), QTime(0, 0, 3)));
    QVERIFY(history.AddSample(start + 86400, 9, 1, 2, 3));
    // The old day was written under its own date before the new day began.
    QCOMPARE(ReadAll(DayFile(Day)),
             QByteArray::number(start + 100) + ",1,2,3,4\r\n" + QByteArray::number(start + 86399) + ",5,6,7,8\r\n");
    QCOMPARE(history.DayStart(), start + 86400);
    QCOMPARE(history.Count(), 1);
    QCOMPARE(Fields(history.Sample(0)), (QList<int>{int(start + 86400), 9, 1, 2, 3}));
    // The day just ended is now yesterday, the base of the new day's comparisons.
    QCOMPARE(history.Yesterday().Count(), 2);
    QCOMPARE(history.Yesterday().DayValue(THistorySample::SeriesCallers), 6);
    QCOMPARE(history.MaxValue(0), 9);
    QCOMPARE(history.MinValue(0), 9);
    QCOMPARE(history.DayFileName(), DayFile(Day.addDays(1)));
}

void TestDayFile::newDayTakesTheClocksDate()
{
    TDayStore history;
    const qint64 start = history.DayStart();
    history.AddSample(start + 10, 1, 1, 1, 1);
    history.AddSample(start + 20, 2, 2, 2, 2);
    // The clock, not the sample, decides the new date; the slots of the old day are cleared.
    SetNow(QDateTime(Day.addDays(3), QTime(8, 0)));
    QVERIFY(history.AddSample(start + 86400 + 5, 4, 4, 4, 4));
    QCOMPARE(history.DayStart(), start + 3 * 86400);
    QCOMPARE(history.Count(), 1);
    QCOMPARE(history.Sample(1).Time, 0);
}

void TestDayFile::dropsSamplesBeyondCapacity()
{
    // Polled every 5 s through the day the clock goes back at 03:00: 25 hours, all kept.
    TDayStore history;
    const qint64 start = history.DayStart();
    for (int i = 0; i < TDayStore::Capacity; ++i) {
        const int sinceMidnight = i * 5;
        const int onTheClock = sinceMidnight < 3 * 3600 ? sinceMidnight : sinceMidnight - 3600;
        QVERIFY(!history.AddSample(start + onTheClock, 1, i, 0, 0));
    }
    QCOMPARE(history.Count(), TDayStore::Capacity);
    QCOMPARE(qint64(history.Sample(TDayStore::Capacity - 1).Time), start + 86395);
    QCOMPARE(history.Sample(TDayStore::Capacity - 1).Callers, TDayStore::Capacity - 1);
    QVERIFY(!history.AddSample(start + 86399, 99, 99, 99, 99));
    QCOMPARE(history.Count(), TDayStore::Capacity);
    QCOMPARE(history.MaxValue(0), 1);
}

void TestDayFile::namesTheFileByDate()
{
    SetNow(QDateTime(QDate(2027, 3, 1), QTime(23, 59, 59)));
    TDayStore history;
    QCOMPARE(history.DayFileName(), ProgramDir + QStringLiteral("History/01-03-2027.hlg"));

    // A folder name is taken as it is, placeholders and all.
    const QString oldDir = ProgramDir;
    ProgramDir = QStringLiteral("/tmp/a%2b%4/");
    QCOMPARE(history.DayFileName(), QStringLiteral("/tmp/a%2b%4/History/01-03-2027.hlg"));
    ProgramDir = oldDir;
}

void TestDayFile::createsMissingFolder()
{
    TDayStore history;
    history.AddSample(history.DayStart() + 1, 1, 2, 3, 4);
    QVERIFY(!QDir(ProgramDir + QStringLiteral("History")).exists());
    QVERIFY(history.SaveDay());
    QCOMPARE(ReadAll(DayFile(Day)), QByteArray::number(history.DayStart() + 1) + ",1,2,3,4\r\n");
}

void TestDayFile::reportsSaveFailureAndStillChangesDay()
{
    // A plain file where the folder should be: no day file can be written.
    WriteAll(ProgramDir + QStringLiteral("History"), "not a folder");
    TDayStore history;
    const qint64 start = history.DayStart();
    history.AddSample(start + 1, 1, 2, 3, 4);
    QVERIFY(!history.SaveDay());
    QVERIFY(!history.LastError().isEmpty());

    SetNow(QDateTime(Day.addDays(1), QTime(0, 0, 1)));
    Settings.Debug = DebugLevel::Requests;
    QVERIFY(history.AddSample(start + 86401, 5, 6, 7, 8));
    Settings.Debug = 0;
    QCOMPARE(history.DayStart(), start + 86400);
    QCOMPARE(history.Count(), 1);
    QVERIFY(ReadAll(DebugLogFileName).contains("History.SaveDay exception"));
}

QTEST_MAIN(TestDayFile)
#include "tst_dayfile.moc"
