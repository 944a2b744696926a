// Known answers for the request and reply scrambling and the reply line splitting.

#include <QTest>

#include "uReplyEnvelope.h"

class TestEnvelope final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void splitLines_data();
    void splitLines();
};

void TestEnvelope::encode_data()
{
    QTest::addColumn<QByteArray>("args");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("body");

    // 'c' 0x63, '=' 0x3D, '1' 0x31, '0' 0x30, 'K' 0x4B
    QTest::newRow("one-character key") << QByteArray("c=100") << QByteArray("K") << QByteArray("28767a7b7b");
    QTest::newRow("key cycles") << QByteArray("c=103") << QByteArray("ab") << QByteArray("025f505252");
    QTest::newRow("key longer than args") << QByteArray("c=1") << QByteArray("ABCDEFGH") << QByteArray("227f72");
    QTest::newRow("empty key") << QByteArray("c=100") << QByteArray() << QByteArray();
    QTest::newRow("high byte stays two digits") << QByteArray("\xE9") << QByteArray("K") << QByteArray("a2");
    QTest::newRow("equal bytes give zero") << QByteArray("KK") << QByteArray("K") << QByteArray("0000");
}

void TestEnvelope::encode()
{
    QFETCH(QByteArray, args);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, body);
    QCOMPARE(Encode(args, key), body);
}

void TestEnvelope::decode_data()
{
    QTest::addColumn<QByteArray>("scrambled");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("plain");

    // With key "K" every byte is XORed with 0xA5 ^ 0x4B = 0xEE.
    QTest::newRow("one-character key") << QByteArray("\xDF\xDE\xDD\xE3\xE4") << QByteArray("K")
                                       << QByteArray("103\r\n");
    // 'X' 0x58 ^ 0xA5 ^ 'A' 0x41 = 0xBC: only the first key byte is used.
    QTest::newRow("key longer than reply") << QByteArray("\xBC") << QByteArray("ABCDEFGH") << QByteArray("X");
    // "ab": 0xA5^0x61 = 0xC4, 0xA5^0x62 = 0xC7.
    QTest::newRow("key cycles") << QByteArray("\xF5\xF7\xF4") << QByteArray("ab") << QByteArray("100");
    // Longer than the words the reply is unmasked by, with a key that does not divide them.
    QTest::newRow("key cycles over words")
        << QByteArray("\xEC\xEC\xEC\xD0\xD6\xF4\x99\x9D\xA3\xEC\xEE\xEC\xE9\xE9\xA3\x87\xB3\xBA\xA1\xE5\xA3\xA5")
        << QByteArray("xyz") << QByteArray("103\r\n+DA|12345|Zoe|9|x");
    QTest::newRow("zero bytes survive") << QByteArray("\xEE\xEE") << QByteArray("K") << QByteArray("\0\0", 2);
    QTest::newRow("empty key leaves the body") << QByteArray("\xDF\xDE") << QByteArray() << QByteArray("\xDF\xDE");
}

void TestEnvelope::decode()
{
    QFETCH(QByteArray, scrambled);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, plain);
    Decode(scrambled, key);
    QCOMPARE(scrambled, plain);
}

void TestEnvelope::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("no line end") << QStringLiteral("103") << QStringList{QStringLiteral("103")};
    QTest::newRow("final CR LF adds no line") << QStringLiteral("103\r\n") << QStringList{QStringLiteral("103")};
    QTest::newRow("CR LF, CR and LF mixed")
        << QStringLiteral("a\r\nb\rc\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty lines kept") << QStringLiteral("a\r\n\r\nb\n\n")
                                      << QStringList{"a", "", "b", ""};
    QTest::newRow("LF CR is two line ends") << QStringLiteral("a\n\rb") << QStringList{"a", "", "b"};
}

void TestEnvelope::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitReplyLines(text), lines);
}

QTEST_GUILESS_MAIN(TestEnvelope)
#include "tst_envelope.moc"
