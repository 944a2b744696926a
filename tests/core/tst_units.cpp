#include <QTest>

#include <limits>

#include "uUnits.h"

class TestUnits final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void makesIntegerHalfToEven_data();
    void makesIntegerHalfToEven();
};

void TestUnits::makesIntegerHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("2.51") << 2.51 << 3;
    QTest::newRow("12.5 euros") << 12.5 << 12;
    QTest::newRow("13.5 euros") << 13.5 << 14;
    QTest::newRow("largest int") << 2147483647.0 << std::numeric_limits<int>::max();
    QTest::newRow("huge") << 1e300 << std::numeric_limits<int>::max();
    QTest::newRow("smallest int") << -2147483648.0 << std::numeric_limits<int>::min();
    QTest::newRow("hugely negative") << -1e300 << std::numeric_limits<int>::min();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 0;
}

void TestUnits::makesIntegerHalfToEven()
{
    QFETCH(double, value);
    QTEST(MakeInteger(value), "expected");
}

QTEST_GUILESS_MAIN(TestUnits)
#include "tst_units.moc"
