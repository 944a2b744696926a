#include <QTest>

#include "uTokens.h"

class TestTokens final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scansFields_data();
    void scansFields();
    void readsIntegers_data();
    void readsIntegers();
    void stateIsShared();
};

void TestTokens::scansFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("expected"); // then empty for ever

    QTest::newRow("empty field in the middle") << "a||b" << "|" << QStringList{"a", "", "b"};
    QTest::newRow("trailing separator") << "a|" << "|" << QStringList{"a"};
    QTest::newRow("empty text") << "" << "|" << QStringList{};
    QTest::newRow("no separator") << "abc def" << "|" << QStringList{"abc def"};
    QTest::newRow("two-character separator") << "a<>b" << "<>" << QStringList{"a", "b"};
    QTest::newRow("separator ignores case") << "1xY2XY3" << "xy" << QStringList{"1", "2", "3"};
    QTest::newRow("letter and sign ignore case") << "1X|2x|3" << "x|" << QStringList{"1", "2", "3"};
    QTest::newRow("accented letter ignores case") << "1\u00c92\u00e93" << "\u00e9" << QStringList{"1", "2", "3"};
    QTest::newRow("numeral with case ignores it") << "1\u21602\u21703" << "\u2170" << QStringList{"1", "2", "3"};
    QTest::newRow("leading separator") << "|a" << "|" << QStringList{"", "a"};
}

void TestTokens::scansFields()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, expected);

    TokenInit(text, separator);
    for (const QString &field : expected)
        QCOMPARE(NextToken(), field);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(NextToken(), QString());
}

void TestTokens::readsIntegers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "12" << 12;
    QTest::newRow("every digit") << "1234567890" << 1234567890;
    QTest::newRow("leading space") << " 7" << 7;
    QTest::newRow("trailing space") << "7 " << 0;
    QTest::newRow("letter") << "a" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("minus") << "-5" << -5;
    QTest::newRow("two signs") << "--5" << 0;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("hex") << "$1f" << 31;
    QTest::newRow("hex in capitals") << "$1F" << 31;
    QTest::newRow("negative hex") << "-$10" << -16;
    QTest::newRow("hex without digits") << "$" << 0;
    QTest::newRow("hex digit in decimal") << "1f" << 0;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
    QTest::newRow("one beyond") << "2147483648" << 0;
    QTest::newRow("far beyond") << "99999999999999999999" << 0;
    QTest::newRow("hex beyond") << "$100000000" << 0;
    QTest::newRow("decimal point") << "1.5" << 0;
}

void TestTokens::readsIntegers()
{
    QFETCH(QString, field);
    QFETCH(int, expected);

    TokenInit(field + "|x", "|");
    QCOMPARE(NextTokenInt(), expected);
    QCOMPARE(NextToken(), QString("x"));
    // With a default, only a field that is no number gives the default.
    const bool isNumber = expected != 0;
    QCOMPARE(StrToIntDef(field, -77), isNumber ? expected : -77);
}

void TestTokens::stateIsShared()
{
    TokenInit("a|b", "|");
    QCOMPARE(NextToken(), QString("a"));
    TokenInit("c;d", ";");
    QCOMPARE(NextToken(), QString("c"));
    QCOMPARE(NextToken(), QString("d"));
}

QTEST_GUILESS_MAIN(TestTokens)
#include "tst_tokens.moc"
