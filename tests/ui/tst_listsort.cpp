#include <QLocale>
#include <QPainter>
#include <QTest>

#include "uGlobal.h"
#include "uListItems.h"
#include "uListSort.h"
#include "uListView.h"
#include "uVersionCheck.h"

namespace {

constexpr int SimpleColumnCount = 4;

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

// The order rules of the lists and the weighing of version numbers, on values alone.
class TestListSort final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void compareText_data();
    void compareText();
    void startColumnByStartValue();
    void rowPicturesStandSideBySide();
    void totalsCells_data();
    void totalsCells();
    void versionWeight_data();
    void versionWeight();
    void newerVersion_data();
    void newerVersion();
};

void TestListSort::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestListSort::compareText_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("sign");
    QTest::newRow("A-Z ignore case") << "Jan de Vries" << "JAN DE VRIES" << 0;
    QTest::newRow("lower a before upper B") << "anna" << "Bert" << -1;
    // Letters are upper-cased, so "_" (0x5F) lands after them, not before as in lower case.
    QTest::newRow("underscore after letters") << "_x" << "ax" << 1;
    QTest::newRow("accent not folded") << "\u00e9" << "E" << 1;
    QTest::newRow("umlaut case kept") << "\u00e4" << "\u00c4" << 1;
    // The euro sign is 0x80 in Windows-1252, far below its Unicode code.
    QTest::newRow("Windows-1252 codes") << "\u20ac" << "\u00e4" << -1;
    QTest::newRow("shorter first") << "Jan" << "Janneke" << -1;
}

void TestListSort::compareText()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, sign);
    QCOMPARE(Sign(CompareListText(first, second)), sign);
    QCOMPARE(Sign(CompareListText(second, first)), -sign);
}

void TestListSort::startColumnByStartValue()
{
    // The start texts sort the other way round from the start values. The late and the
    // middle caller tie on both start and "Info", and keep their order.
    TCaller early, middle, late;
    early.StartValue = 20240131;
    middle.StartValue = 20240201;
    late.StartValue = 20240201;
    TCallerRows rows(CallerColumnCount);
    for (TCaller *caller : {&late, &early, &middle})
        rows.RowFor(*caller);
    rows.SetText(rows.RowOf(early.ListItem), 3, QStringLiteral("31-01-2024 23:00:00"));
    rows.SetText(rows.RowOf(middle.ListItem), 3, QStringLiteral("01-02-2024 07:00:00"));
    rows.SetText(rows.RowOf(late.ListItem), 3, QStringLiteral("01-02-2024 08:00:00"));
    rows.SetText(rows.RowOf(early.ListItem), 4, QStringLiteral("b"));
    rows.SetText(rows.RowOf(middle.ListItem), 4, QStringLiteral("A"));
    rows.SetText(rows.RowOf(late.ListItem), 4, QStringLiteral("a"));
    const auto order = [&rows] {
        QList<const TCaller *> records;
        for (int row = 0; row < rows.RowCount(); ++row)
            records.append(rows.Record(row));
        return records;
    };
    using TOrder = QList<const TCaller *>;
    QVERIFY(SortCallerRows(rows, 3, false));
    QCOMPARE(order(), TOrder({&early, &late, &middle}));
    QVERIFY(SortCallerRows(rows, 3, true));
    QCOMPARE(order(), TOrder({&late, &middle, &early}));
    // Other columns go by their text, ties keeping their order either way.
    QVERIFY(!SortCallerRows(rows, 4, false));
    QVERIFY(SortCallerRows(rows, 4, true));
    QCOMPARE(order(), TOrder({&early, &late, &middle}));
    // The records keep their rows.
    QCOMPARE(rows.RowOf(middle.ListItem), 2);
}

void TestListSort::rowPicturesStandSideBySide()
{
    // The flag left, the access picture right, in one picture of two places.
    QPixmap red(16, 16), blue(16, 16);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    const TListPictures pictures{{QIcon(red)}, {QIcon(), QIcon(blue)}};
    const QIcon icon = CallerRowPicture(pictures, 0, 1);
    QCOMPARE(icon.actualSize(QSize(64, 64)), QSize(32, 16));
    const QImage picture = icon.pixmap(32, 16).toImage();
    QCOMPARE(picture.pixelColor(4, 8), QColor(Qt::blue));
    QCOMPARE(picture.pixelColor(28, 8), QColor(Qt::red));
    QVERIFY(CallerRowPicture(pictures, -1, 5).isNull());
}

void TestListSort::totalsCells_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("sign");
    QTest::newRow("less than 1 apart ties") << 2 << "10,4" << "10,9" << 0;
    QTest::newRow("0,9 apart across a whole ties") << 2 << "9,5" << "10,4" << 0;
    QTest::newRow("1,1 apart") << 2 << "9,5" << "10,6" << -1;
    QTest::newRow("numbers, not texts") << 1 << "12" << "9" << 1;
    QTest::newRow("no number reads 0") << 3 << "" << "1,50" << -1;
    QTest::newRow("caption by text") << 0 << "alpha" << "Beta" << -1;
}

void TestListSort::totalsCells()
{
    QFETCH(int, column);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, sign);
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    TTotals a;
    TTotals b;
    TTotalsRows rows(SimpleColumnCount);
    rows.SetText(rows.RowFor(a), column, first);
    rows.SetText(rows.RowFor(b), column, second);
    QCOMPARE(Sign(CompareTotalsRows(rows, 0, 1, column)), sign);
    QCOMPARE(SortRows(rows, [&rows, column](int a, int b) { return CompareTotalsRows(rows, a, b, column); }), sign > 0);
}

void TestListSort::versionWeight_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("weight");
    QTest::newRow("four fields") << "1.2.0.5" << 12005;
    QTest::newRow("minor 10 weighs a major") << "1.10.0.0" << 20000;
    QTest::newRow("missing fields") << "1.4" << 14000;
    QTest::newRow("file's line end") << "1.4\r\n" << 14000;
    QTest::newRow("line end inside a field") << "1.4\r\n2.0" << 10000;
    QTest::newRow("blank in a field") << "1. 2.3.4" << 10304;
    QTest::newRow("not a number") << "1.x.3.4" << 10304;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("html page") << "<html>404</html>" << 0;
}

void TestListSort::versionWeight()
{
    QFETCH(QString, version);
    QTEST(VersionWeight(version), "weight");
}

void TestListSort::newerVersion_data()
{
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<bool>("newer");
    QTest::newRow("12005 over 11999") << "1.1.9.9" << "1.2.0.5" << true;
    QTest::newRow("20000 against 20000") << "1.10.0.0" << "2.0.0.0" << false;
    QTest::newRow("same") << "1.4.0.0" << "1.4.0.0\r\n" << false;
    QTest::newRow("unreadable file") << "1.4.0.0" << "niets" << false;
    QTest::newRow("own version unknown") << "?" << "0.0.0.1" << true;
}

void TestListSort::newerVersion()
{
    QFETCH(QString, own);
    QFETCH(QString, offered);
    QTEST(NewerVersionOffered(own, offered), "newer");
}

QTEST_MAIN(TestListSort)
#include "tst_listsort.moc"
