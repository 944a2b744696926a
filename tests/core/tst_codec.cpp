#include <QTest>

#include "uCodec.h"

class TestCodec final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyByteSurvives();
    void knownCharacters_data();
    void knownCharacters();
    void unknownCharactersBecomeQuestionMarks();
};

void TestCodec::everyByteSurvives()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Codec::Decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(Codec::Encode(text), all);
}

void TestCodec::knownCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("België") << QStringLiteral("België") << QByteArray("Belgi\xEB");
    QTest::newRow("Italië") << QStringLiteral("Italië") << QByteArray("Itali\xEB");
    QTest::newRow("euro sign") << QStringLiteral("€ 5") << QByteArray("\x80 5");
    QTest::newRow("quotes") << QStringLiteral("‘x’") << QByteArray("\x91x\x92");
    QTest::newRow("euro sign after a word") << QStringLiteral("12345678 €") << QByteArray("12345678 \x80");
    QTest::newRow("ascii") << QStringLiteral("key=a|b") << QByteArray("key=a|b");
}

void TestCodec::knownCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Codec::Encode(text), bytes);
    QCOMPARE(Codec::Decode(bytes), text);
}

void TestCodec::unknownCharactersBecomeQuestionMarks()
{
    QCOMPARE(Codec::Encode(QStringLiteral("a\u0100b")), QByteArray("a?b"));
    // One character outside the basic plane is one "?", not two.
    QCOMPARE(Codec::Encode(QStringLiteral("x\U0001F600y")), QByteArray("x?y"));
    QCOMPARE(Codec::Encode(QStringLiteral("x\U0001F600")), QByteArray("x?"));
}

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
