#include <QTest>

#include <ctime>

#include "uCsv.h"
#include "uQuiet.h"
#include "uSettings.h"

namespace {

const QDate Day(2026, 12, 7);

QDateTime At(int h, int m, int dayOffset = 0)
{
    return QDateTime(Day.addDays(dayOffset), QTime(h, m));
}

} // namespace

// Quiet hours and the snooze, and the CSV form of exported lists.
class TestQuiet final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void quietHoursAndSnooze_data();
    void quietHoursAndSnooze();
    void resumeLastsUntilTheHoursEnd();
    void writesCsvFields_data();
    void writesCsvFields();
};

void TestQuiet::initTestCase()
{
    // The clock changes of a Dutch desktop.
    qputenv("TZ", "Europe/Amsterdam");
    tzset();
}

void TestQuiet::quietHoursAndSnooze_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QDateTime>("snooze");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDateTime>("end");   // invalid: not quiet
    QTest::newRow("off") << "" << "" << QDateTime() << At(23, 0) << QDateTime();
    QTest::newRow("only one time set") << "22:00" << "" << QDateTime() << At(23, 0) << QDateTime();
    QTest::newRow("over midnight, late") << "22:00" << "07:00" << QDateTime() << At(23, 0) << At(7, 0, 1);
    QTest::newRow("over midnight, early") << "22:00" << "07:00" << QDateTime() << At(6, 59) << At(7, 0);
    QTest::newRow("over midnight, at the end") << "22:00" << "07:00" << QDateTime() << At(7, 0) << QDateTime();
    QTest::newRow("over midnight, at the start") << "22:00" << "07:00" << QDateTime() << At(22, 0) << At(7, 0, 1);
    QTest::newRow("daytime") << "12:00" << "13:00" << QDateTime() << At(12, 30) << At(13, 0);
    QTest::newRow("same times") << "12:00" << "12:00" << QDateTime() << At(12, 0) << QDateTime();
    QTest::newRow("snooze") << "" << "" << At(14, 30) << At(14, 0) << At(14, 30);
    QTest::newRow("snooze over") << "" << "" << At(14, 30) << At(14, 30) << QDateTime();
    QTest::newRow("snooze into the hours") << "22:00" << "07:00" << At(22, 30) << At(21, 45) << At(7, 0, 1);
    // 2026-03-29 has no 02:00-03:00: hours that end inside the gap end when it does.
    const QDateTime springThree(QDate(2026, 3, 29), QTime(3, 0));
    QTest::newRow("ending in the spring gap") << "22:00" << "02:30" << QDateTime()
                                              << QDateTime(QDate(2026, 3, 28), QTime(23, 0)) << springThree;
    QTest::newRow("ending where the gap starts") << "01:00" << "02:00" << QDateTime()
                                                 << QDateTime(QDate(2026, 3, 29), QTime(1, 30)) << springThree;
}

void TestQuiet::quietHoursAndSnooze()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QDateTime, snooze);
    QFETCH(QDateTime, now);
    QFETCH(QDateTime, end);
    Settings.QuietFrom = from;
    Settings.QuietTo = to;
    Settings.QuietUntil = snooze;
    const TQuietHours quiet;
    QCOMPARE(quiet.IsQuiet(now), end.isValid());
    QCOMPARE(quiet.EndsAt(now), end);
}

void TestQuiet::resumeLastsUntilTheHoursEnd()
{
    Settings.QuietFrom = QStringLiteral("22:00");
    Settings.QuietTo = QStringLiteral("07:00");
    TQuietHours quiet;
    quiet.SnoozeFor(At(23, 0), 30);
    QCOMPARE(Settings.QuietUntil, At(23, 30));
    quiet.Resume(At(23, 10));
    QVERIFY(!Settings.QuietUntil.isValid());
    QVERIFY(!quiet.IsQuiet(At(23, 10)));
    QVERIFY(!quiet.IsQuiet(At(6, 59, 1)));
    // The next night is quiet again.
    QVERIFY(quiet.IsQuiet(At(22, 0, 1)));
    // Until the morning: the hours' end, or seven without hours; in the small hours, today's.
    quiet.SnoozeUntilTomorrow(At(15, 0));
    QCOMPARE(Settings.QuietUntil, At(7, 0, 1));
    QCOMPARE(quiet.EndsAt(At(15, 0)), At(7, 0, 1));
    Settings.QuietFrom.clear();
    Settings.QuietTo.clear();
    quiet.SnoozeUntilTomorrow(At(1, 0));
    QCOMPARE(Settings.QuietUntil, At(7, 0));

    // "On again" inside hours that end in the spring gap lasts until the gap's end.
    Settings.QuietFrom = QStringLiteral("01:00");
    Settings.QuietTo = QStringLiteral("02:00");
    quiet.Resume(QDateTime(QDate(2026, 3, 29), QTime(1, 30)));
    QVERIFY(!quiet.IsQuiet(QDateTime(QDate(2026, 3, 29), QTime(1, 45))));
}

void TestQuiet::writesCsvFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("quantity");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "Babbelbox" << false << "Babbelbox";
    QTest::newRow("amount") << "12,50" << true << "12,50";
    QTest::newRow("negative amount") << "-12" << true << "-12";
    QTest::newRow("calling number") << "0612345678" << false << "\"=\"\"0612345678\"\"\"";
    QTest::newRow("international number") << "+31612345678" << false << "\"=\"\"+31612345678\"\"\"";
    QTest::newRow("separator") << "a;b" << false << "\"a;b\"";
    QTest::newRow("quote") << "zeg \"hoi\"" << false << "\"zeg \"\"hoi\"\"\"";
    QTest::newRow("line break") << "a\nb" << false << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb" << false << "\"a\rb\"";
    QTest::newRow("leading blank") << " a" << false << "\" a\"";
    QTest::newRow("euro sign") << "€ 5" << false << "€ 5";
    QTest::newRow("formula from the server") << "=HYPERLINK(\"http://x\")" << false << "\"'=HYPERLINK(\"\"http://x\"\")\"";
    QTest::newRow("lone =") << "=" << false << "'=";
    QTest::newRow("at sign") << "@SUM(A1)" << false << "'@SUM(A1)";
}

void TestQuiet::writesCsvFields()
{
    QFETCH(QString, text);
    QFETCH(bool, quantity);
    QFETCH(QString, written);
    QCOMPARE(Csv::Field(text, quantity ? Csv::TKind::Quantity : Csv::TKind::Text), written);
    const QByteArray document = Csv::Document({{QStringLiteral("Naam"), text}, {QStringLiteral("x")}},
                                              quantity ? Csv::TQuantityColumns{1} : Csv::TQuantityColumns{});
    QCOMPARE(document, "\xEF\xBB\xBF" + (QStringLiteral("Naam;") + written + QStringLiteral("\r\nx\r\n")).toUtf8());
}

QTEST_GUILESS_MAIN(TestQuiet)
#include "tst_quiet.moc"
