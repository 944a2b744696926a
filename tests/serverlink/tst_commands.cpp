// The command builders, seen on the wire: each request's argument string as the server
// unscrambles it and the progress title the window shows while it runs.

#include <QTest>

#include <functional>
#include <memory>
#include <optional>

#include "tLoopbackServer.h"
#include "tProcessState.h"
#include "tRecordingPlatform.h"
#include "uFetcher.h"
#include "uGlobal.h"
#include "uSettings.h"

namespace {

const QByteArray TestKey("s3cr3t");

using TBuild = std::function<void(TFetcher &, TFetchCallback)>;

enum TProgs { NoProgs, ProgsWithoutIds, ProgsWithIds };

void AddProg(const char *code, int lastIdPpm, int lastIdOther)
{
    auto prog = std::make_unique<TPProgItem>();
    prog->ProgCode = QString::fromLatin1(code);
    prog->ProgName = QStringLiteral("Programma ") + QString::fromLatin1(code);
    prog->LastIdPpm = lastIdPpm;
    prog->LastIdOther = lastIdOther;
    TPProgs.push_back(std::move(prog));
}

} // namespace

Q_DECLARE_METATYPE(TBuild)

class TestCommands final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void builders_data();
    void builders();
    void programmesArriveBeforeCallers();

private:
    std::optional<TProcessState> m_state;
    std::unique_ptr<TLoopbackServer> m_server;
};

void TestCommands::init()
{
    m_state.emplace();
    Settings.Key = QString::fromLatin1(TestKey);
    Settings.Password = QStringLiteral("pw");
    Settings.Debug = 0;
    m_server = std::make_unique<TLoopbackServer>();
    m_server->SetResponder(TLoopbackServer::EchoResponder(TestKey));
    Settings.FetchUrl = m_server->Url().toString();
}

void TestCommands::cleanup()
{
    m_server.reset();
    m_state.reset();
}

void TestCommands::builders_data()
{
    QTest::addColumn<int>("progs");
    QTest::addColumn<TBuild>("build");
    QTest::addColumn<QByteArrayList>("args");
    QTest::addColumn<QStringList>("titles");

    const QString progsTitle = QStringLiteral("Partnerprogamma's ophalen");
    const QString callersTitle = QStringLiteral("Actuele bellerslijst opvragen");
    const QString historyTitle = QStringLiteral("Beller historie ophalen");

    QTest::newRow("101 active") << int(ProgsWithoutIds)
                                << TBuild([](TFetcher &f, TFetchCallback cb) { f.AddAccountKey("Kx9", true, cb); })
                                << QByteArrayList{"c=101&k=Kx9&a=1"} << QStringList{"Account key toevoegen"};
    QTest::newRow("101 not active") << int(ProgsWithoutIds)
                                    << TBuild([](TFetcher &f, TFetchCallback cb) { f.AddAccountKey("Kx9", false, cb); })
                                    << QByteArrayList{"c=101&k=Kx9&a=0"} << QStringList{"Account key toevoegen"};
    QTest::newRow("102 with picture date")
        << int(ProgsWithoutIds)
        << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestDetails("AB", 12, cb, 34, 1234); })
        << QByteArrayList{"c=102&s=12&p=34&x=AB&b=1234"} << QStringList{"Details ophalen"};
    QTest::newRow("102 picture date 0")
        << int(ProgsWithoutIds) << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestDetails("AB", 12, cb, 34, 0); })
        << QByteArrayList{"c=102&s=12&p=34&x=AB"} << QStringList{"Details ophalen"};
    QTest::newRow("102 picture date -1")
        << int(ProgsWithoutIds) << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestDetails("AB", -5, cb, -1, -1); })
        << QByteArrayList{"c=102&s=-5&p=-1&x=AB"} << QStringList{"Details ophalen"};
    QTest::newRow("103 with count") << int(ProgsWithoutIds)
                                    << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestCallers(5, cb); })
                                    << QByteArrayList{"c=103&x=5"} << QStringList{callersTitle};
    QTest::newRow("103 count 0") << int(ProgsWithoutIds)
                                 << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestCallers(0, cb); })
                                 << QByteArrayList{"c=103&x=0"} << QStringList{callersTitle};
    QTest::newRow("103 count -1") << int(ProgsWithoutIds)
                                  << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestCallers(-1, cb); })
                                  << QByteArrayList{"c=103"} << QStringList{callersTitle};
    QTest::newRow("103 without programmes") << int(NoProgs)
                                            << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestCallers(2, cb); })
                                            << QByteArrayList{"c=106", "c=103&x=2"}
                                            << QStringList{progsTitle, callersTitle};
    QTest::newRow("105") << int(ProgsWithoutIds)
                         << TBuild([](TFetcher &f, TFetchCallback cb) { f.RemoveAccountKey("Kx9", cb); })
                         << QByteArrayList{"c=105&k=Kx9"} << QStringList{"Account key verwijderen"};
    QTest::newRow("106") << int(ProgsWithoutIds)
                         << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestPartnerProgrammes(cb); })
                         << QByteArrayList{"c=106"} << QStringList{progsTitle};
    QTest::newRow("107") << int(ProgsWithoutIds)
                         << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestAccountKeys(cb); })
                         << QByteArrayList{"c=107"} << QStringList{"Account keys ophalen"};
    QTest::newRow("108 with ids") << int(ProgsWithIds)
                                  << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestCallerHistory(cb); })
                                  << QByteArrayList{"c=108&AB=5,0&EF=0,7&GH=3,-2"} << QStringList{historyTitle};
    QTest::newRow("108 without positive ids")
        << int(ProgsWithoutIds) << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestCallerHistory(cb); })
        << QByteArrayList{"c=108"} << QStringList{historyTitle};
    QTest::newRow("108 without programmes")
        << int(NoProgs) << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestCallerHistory(cb); })
        << QByteArrayList{"c=106", "c=108"} << QStringList{progsTitle, historyTitle};
    QTest::newRow("110") << int(ProgsWithoutIds)
                         << TBuild([](TFetcher &f, TFetchCallback cb) { f.RequestData(cb); })
                         << QByteArrayList{"c=110"} << QStringList{"Gegevens ophalen"};
    QTest::newRow("111") << int(ProgsWithoutIds)
                         << TBuild([](TFetcher &f, TFetchCallback cb) {
                                f.SaveData("jan@x.example", "0612345678", "jan@msn.example", cb);
                            })
                         << QByteArrayList{"c=111&e=jan@x.example&p=0612345678&m=jan@msn.example"}
                         << QStringList{"Gegevens opslaan"};
    // Values go in as they are, as Windows-1252 bytes, without URL-encoding.
    QTest::newRow("111 values as they are")
        << int(ProgsWithoutIds)
        << TBuild([](TFetcher &f, TFetchCallback cb) { f.SaveData(QStringLiteral("j\u00E9&x=1"), "", "", cb); })
        << QByteArrayList{"c=111&e=j\xE9&x=1&p=&m="} << QStringList{"Gegevens opslaan"};
}

void TestCommands::builders()
{
    QFETCH(int, progs);
    QFETCH(TBuild, build);
    QFETCH(QByteArrayList, args);
    QFETCH(QStringList, titles);

    if (progs != NoProgs) {
        const bool ids = progs == ProgsWithIds;
        AddProg("AB", ids ? 5 : 0, 0);
        AddProg("CD", 0, 0);
        AddProg("EF", 0, ids ? 7 : 0);
        AddProg("GH", ids ? 3 : 0, ids ? -2 : 0);
    }
    TFetcher fetcher;
    QStringList shownTitles;
    connect(&fetcher, &TFetcher::RequestStarted, this,
            [&](const TFetchRequest &request) { shownTitles.append(request.Title); });
    int answered = 0;
    build(fetcher, [&answered](const TFetchReply &) { ++answered; });
    QCOMPARE(fetcher.QueuedCount(), int(args.size()));
    QTRY_COMPARE(fetcher.QueuedCount(), 0);

    QByteArrayList sent;
    for (const TRecordedRequest &request : std::as_const(m_server->Requests))
        sent.append(TLoopbackServer::Unscramble(request.Body, TestKey));
    QCOMPARE(sent, args);
    QCOMPARE(shownTitles, titles);
    QCOMPARE(answered, 1);
}

void TestCommands::programmesArriveBeforeCallers()
{
    m_server->SetResponder([](const TRecordedRequest &request) {
        const QByteArray args = TLoopbackServer::Unscramble(request.Body, TestKey);
        const QByteArray body = args == "c=106" ? QByteArray("106\r\nAB:Alpha Bellen\r\nCD:Cedar Lijn\r\n")
                                                : QByteArray("103\r\n");
        return TServerAction::Reply(TLoopbackServer::HttpReply(TLoopbackServer::Scramble(body, TestKey)));
    });
    TFetcher fetcher;
    QStringList codesAtCallers;
    bool callersOk = false;
    fetcher.RequestCallers(0, [&](const TFetchReply &reply) {
        callersOk = reply.ReplyOk();
        for (const auto &prog : TPProgs)
            codesAtCallers.append(prog->ProgCode.text());
    });
    QTRY_VERIFY(callersOk);
    QCOMPARE(codesAtCallers, (QStringList{"AB", "CD"}));
    QCOMPARE(TPProgs[0]->ProgName, QStringLiteral("Alpha Bellen"));
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
