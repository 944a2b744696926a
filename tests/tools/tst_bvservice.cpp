// Runs the built bvservice and talks to it as the monitor does: encoded POST bodies,
// basic authentication, cookies, scrambled replies; and as a hostile client would.

#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

#include "uCodec.h"

namespace {

constexpr int WaitMs = 15000;
const QByteArray DemoKey = "DEMO-KEY-0001";
const QByteArray DemoPassword = "demo";
const QByteArray UserAgent = "BVMonitor V1.4.0.0";
// A fixed day keeps every run alike; mid-morning has callers and totals.
const QStringList FixedDay = {"--seed", "7", "--start-time", "2024-03-15T10:30:00", "--rate", "6"};

// The client's side of the envelope, written from the protocol, not from the service.
QByteArray EncodeArgs(const QByteArray &args, const QByteArray &key)
{
    QByteArray body;
    for (qsizetype i = 0; i < args.size(); ++i)
        body += QByteArray::number(static_cast<unsigned char>(args[i] ^ key[i % key.size()]), 16).rightJustified(2, '0');
    return body;
}

QByteArray Unscramble(const QByteArray &raw, const QByteArray &key)
{
    if (!raw.startsWith('>'))
        return raw;
    QByteArray body = raw.mid(1);
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(body[i] ^ 0xA5 ^ key[i % key.size()]);
    return body;
}

QStringList SplitLines(const QByteArray &body)
{
    const qsizetype zero = body.indexOf('\0');
    const QString text = Codec::Decode(zero < 0 ? body : body.left(zero));
    if (text.isEmpty())
        return {};
    return text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
}

// The client's reading of a MSG header: URL-decoded, the number before the first blank
// is how many characters of text follow, "|" separates the action.
QPair<QString, QString> ReadMessage(const QByteArray &header)
{
    QByteArray value = header;
    value.replace('+', ' ');
    const QString decoded = Codec::Decode(QByteArray::fromPercentEncoding(value));
    const qsizetype blank = decoded.indexOf(u' ');
    const int length = decoded.left(blank).toInt();
    const QString text = decoded.mid(blank + 1, length);
    const qsizetype bar = text.indexOf(u'|');
    if (bar < 0)
        return {text, QString()};
    return {text.left(bar), text.mid(bar + 1)};
}

struct TReply
{
    bool Finished = false;
    int Status = 0;
    QNetworkReply::NetworkError Error = QNetworkReply::NoError;
    QByteArray Raw;
    QByteArray Body;                 // unscrambled
    QStringList Lines;
    QList<QNetworkReply::RawHeaderPair> Headers;
    qint64 Ms = 0;

    QByteArray Header(const QByteArray &name) const
    {
        for (const auto &header : Headers) {
            if (header.first.compare(name, Qt::CaseInsensitive) == 0)
                return header.second;
        }
        return {};
    }
};

// One running service; stopped with SIGTERM when the test is done with it.
class TService final
{
public:
    explicit TService(const QStringList &arguments)
    {
        Process.setProgram(QStringLiteral(BVSERVICE_PATH));
        Process.setArguments(arguments);
        Process.setProcessChannelMode(QProcess::SeparateChannels);
        Process.start();
        QElapsedTimer timer;
        timer.start();
        QSignalSpy output(&Process, &QProcess::readyReadStandardOutput);
        while (!Process.canReadLine() && timer.elapsed() < WaitMs && Process.state() != QProcess::NotRunning)
            output.wait(500);
        const QString line = QString::fromLatin1(Process.readLine()).trimmed();
        const QRegularExpression pattern(QStringLiteral("^Listening on (http://127\\.0\\.0\\.1:\\d+/)$"));
        const QRegularExpressionMatch match = pattern.match(line);
        if (match.hasMatch())
            Url = QUrl(match.captured(1));
    }

    ~TService()
    {
        if (Process.state() != QProcess::NotRunning) {
            Process.terminate();
            if (!Process.waitForFinished(5000))
                Process.kill();
        }
    }

    TService(const TService &) = delete;
    TService &operator=(const TService &) = delete;

    QProcess Process;
    QUrl Url;
};

// One client with its own cookie store, like one running monitor.
class TClient final
{
public:
    explicit TClient(const QUrl &url) : Url(url) {}

    TReply Post(const QByteArray &args)
    {
        return PostBody(EncodeArgs(args, Key));
    }

    TReply PostBody(const QByteArray &body)
    {
        QNetworkRequest request(Url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/html"));
        request.setRawHeader("User-Agent", Agent);
        request.setRawHeader("Accept", "text/html, */*");
        if (!Authorization.isNull())
            request.setRawHeader("Authorization", Authorization);
        else if (SendAuthorization)
            request.setRawHeader("Authorization", "Basic " + (Key + ':' + Password).toBase64());
        return Wait(Manager.post(request, body));
    }

    TReply Get(const QString &path)
    {
        QUrl url = Url;
        url.setPath(path);
        return Wait(Manager.get(QNetworkRequest(url)));
    }

    QUrl Url;
    QByteArray Key = DemoKey;
    QByteArray Password = DemoPassword;
    QByteArray Agent = UserAgent;
    QByteArray Authorization;        // replaces the header built from key and password
    bool SendAuthorization = true;
    QNetworkAccessManager Manager;

private:
    TReply Wait(QNetworkReply *reply)
    {
        QElapsedTimer timer;
        timer.start();
        QSignalSpy finished(reply, &QNetworkReply::finished);
        TReply result;
        result.Finished = reply->isFinished() || finished.wait(WaitMs);
        result.Ms = timer.elapsed();
        result.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.Error = reply->error();
        result.Raw = reply->readAll();
        result.Headers = reply->rawHeaderPairs();
        result.Body = Unscramble(result.Raw, Key);
        result.Lines = SplitLines(result.Body);
        reply->deleteLater();
        return result;
    }
};

// Reads one raw HTTP answer: its head and as much body as Content-Length announces.
QByteArray ReadAnswer(QTcpSocket &socket)
{
    QByteArray answer;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < WaitMs) {
        const qsizetype headEnd = answer.indexOf("\r\n\r\n");
        if (headEnd >= 0) {
            const QRegularExpression length(QStringLiteral("\r\nContent-Length: (\\d+)\r\n"));
            const QRegularExpressionMatch match = length.match(QString::fromLatin1(answer.left(headEnd + 2)));
            if (match.hasMatch() && answer.size() >= headEnd + 4 + match.captured(1).toLongLong())
                break;
        }
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(1000)
            && socket.state() == QAbstractSocket::UnconnectedState)
            break;
        answer += socket.readAll();
    }
    return answer;
}

QStringList Fields(const QString &line)
{
    return line.split(u'|');
}

QSet<QString> ProgrammeCodes(TClient &client)
{
    QSet<QString> codes;
    const TReply reply = client.Post("c=106");
    for (const QString &line : reply.Lines.mid(1))
        codes.insert(line.section(u':', 0, 0));
    return codes;
}

qint64 LocalSeconds(const QString &stamp)
{
    const QDateTime time = QDateTime::fromString(stamp, QStringLiteral("yyyyMMdd HHmmss"));
    return time.isValid() ? QDateTime(time.date(), time.time(), Qt::UTC).toSecsSinceEpoch() : -1;
}

int CallCount(const TReply &reply)
{
    int calls = 0;
    for (const QString &line : reply.Lines) {
        if (line.startsWith(u'$'))
            calls += Fields(line).value(3).toInt();
    }
    return calls;
}

} // namespace

class TestBvService final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void authentication_data();
    void authentication();
    void cookieOpensAndSignOffEndsSession();
    void echoLine_data();
    void echoLine();
    void plainRepliesAreNotScrambled();
    void programmes();
    void callersReply();
    void callersComeGoAndTotalsGrow();
    void historyHonoursIdsSent();
    void sameSeedSameDay();
    void detailsCarryPicture();
    void accountKeys();
    void contactDataRoundTrip();
    void upgrade_data();
    void upgrade();
    void serverMessage();
    void faults_data();
    void faults();
    void faultConditions();
    void hangEndlessAndHeaderFaults();
    void hostileRequests_data();
    void hostileRequests();
    void keepAliveServesSeveralRequests();
    void versionFile();
    void badOptionsRefused_data();
    void badOptionsRefused();
    void stopsOnSigterm();

private:
    std::unique_ptr<TService> Service;      // the fixed day, clock running
    std::unique_ptr<TService> Frozen;       // the fixed day, clock stopped
    std::unique_ptr<TService> Strict;       // a minimum program version
};

void TestBvService::initTestCase()
{
    Service = std::make_unique<TService>(FixedDay);
    QVERIFY2(Service->Url.isValid(), "the service did not print its URL");
    Frozen = std::make_unique<TService>(FixedDay + QStringList{"--speed", "0"});
    QVERIFY(Frozen->Url.isValid());
}

void TestBvService::cleanupTestCase()
{
    Service.reset();
    Frozen.reset();
    Strict.reset();
}

void TestBvService::authentication_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("status");

    QTest::newRow("right") << DemoKey << DemoPassword << QByteArray() << 200;
    QTest::newRow("wrong password") << DemoKey << QByteArray("demo2") << QByteArray() << 401;
    QTest::newRow("wrong key") << QByteArray("DEMO-KEY-0002") << DemoPassword << QByteArray() << 401;
    QTest::newRow("empty password") << DemoKey << QByteArray() << QByteArray() << 401;
    QTest::newRow("not base64") << DemoKey << DemoPassword << QByteArray("Basic ***") << 401;
    QTest::newRow("other scheme") << DemoKey << DemoPassword << QByteArray("Bearer " + (DemoKey + ":demo").toBase64()) << 401;
    QTest::newRow("no colon") << DemoKey << DemoPassword << QByteArray("Basic " + DemoKey.toBase64()) << 401;
}

void TestBvService::authentication()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, header);
    QFETCH(int, status);

    TClient client(Service->Url);
    client.Key = key;
    client.Password = password;
    client.Authorization = header;
    const TReply reply = client.Post("c=106");
    QVERIFY(reply.Finished);
    QCOMPARE(reply.Status, status);
    if (status == 401) {
        QVERIFY(reply.Header("WWW-Authenticate").startsWith("Basic"));
        QVERIFY(reply.Header("Set-Cookie").isEmpty());
    }
}

void TestBvService::cookieOpensAndSignOffEndsSession()
{
    TClient client(Service->Url);
    const TReply first = client.Post("c=106");
    const QByteArray cookie = first.Header("Set-Cookie");
    QVERIFY2(cookie.startsWith("BVSESSION="), cookie.constData());
    const QByteArray id = cookie.mid(10).split(';').first();
    QVERIFY(!id.isEmpty());

    // The client sends the cookie back, so the session goes on without a new one.
    const TReply second = client.Post("c=103&x=0");
    QCOMPARE(second.Lines.value(0), QStringLiteral("103"));
    QVERIFY(second.Header("Set-Cookie").isEmpty());

    const TReply signOff = client.Post("c=100");
    QCOMPARE(signOff.Lines.value(0), QStringLiteral("100"));
    QVERIFY(signOff.Header("Set-Cookie").contains("Max-Age=0"));
    QVERIFY(client.Manager.cookieJar()->cookiesForUrl(Service->Url).isEmpty());

    // After signing off the next request starts a new session instead of failing.
    const TReply again = client.Post("c=103&x=0");
    QCOMPARE(again.Lines.value(0), QStringLiteral("103"));
    const QByteArray fresh = again.Header("Set-Cookie");
    QVERIFY(fresh.startsWith("BVSESSION="));
    QVERIFY(fresh.mid(10).split(';').first() != id);
}

void TestBvService::echoLine_data()
{
    QTest::addColumn<QByteArray>("args");
    QTest::addColumn<QString>("echo");

    QTest::newRow("100") << QByteArray("c=100") << "100";
    QTest::newRow("101") << QByteArray("c=101&k=ECHO-KEY-1&a=1") << "101";
    QTest::newRow("102") << QByteArray("c=102&s=1&p=101&x=BB") << "102";
    QTest::newRow("103") << QByteArray("c=103&x=3") << "103";
    QTest::newRow("103 without count") << QByteArray("c=103") << "103";
    QTest::newRow("105") << QByteArray("c=105&k=NO-SUCH-KEY") << "105";
    QTest::newRow("106") << QByteArray("c=106") << "106";
    QTest::newRow("107") << QByteArray("c=107") << "107";
    QTest::newRow("108") << QByteArray("c=108") << "108";
    QTest::newRow("110") << QByteArray("c=110") << "110";
    QTest::newRow("111") << QByteArray("c=111&e=a@b.example&p=06&m=m@b.example") << "111";
    // Commands the service does not know must not be echoed: the client would take
    // the reply as good.
    QTest::newRow("104 unused") << QByteArray("c=104") << "?";
    QTest::newRow("no command") << QByteArray("x=1") << "?";
    QTest::newRow("empty") << QByteArray() << "?";
}

void TestBvService::echoLine()
{
    QFETCH(QByteArray, args);
    QFETCH(QString, echo);

    TClient client(Service->Url);
    const TReply reply = client.Post(args);
    QCOMPARE(reply.Status, 200);
    QVERIFY(reply.Raw.startsWith('>'));
    QCOMPARE(reply.Lines.value(0), echo);
}

void TestBvService::plainRepliesAreNotScrambled()
{
    TService plain(FixedDay + QStringList{"--plain"});
    QVERIFY(plain.Url.isValid());
    TClient client(plain.Url);
    const TReply reply = client.Post("c=106");
    QVERIFY(reply.Raw.startsWith("106\r\n"));
}

void TestBvService::programmes()
{
    TClient client(Service->Url);
    const TReply reply = client.Post("c=106");
    QCOMPARE(reply.Lines.value(0), QStringLiteral("106"));
    QVERIFY(reply.Lines.size() >= 4);
    QSet<QString> codes;
    for (const QString &line : reply.Lines.mid(1)) {
        const qsizetype colon = line.indexOf(u':');
        QVERIFY2(colon == 2, qPrintable(line));
        QVERIFY2(line.size() - colon - 1 > 2, qPrintable(line));
        QVERIFY2(!codes.contains(line.left(2)), qPrintable(line));
        codes.insert(line.left(2));
    }
    // Windows-1252 on the wire: "é" is the one byte 0xE9.
    QVERIFY(reply.Lines.contains(QStringLiteral("CC:Caf\u00e9 Contact")));
    QVERIFY(reply.Body.contains("Caf\xe9 Contact"));
}

void TestBvService::callersReply()
{
    TClient client(Service->Url);
    const QSet<QString> codes = ProgrammeCodes(client);
    const TReply reply = client.Post("c=103&x=0");
    QCOMPARE(reply.Lines.value(0), QStringLiteral("103"));

    const QRegularExpression stamp(QStringLiteral("^\\d{8}.\\d{6}$"));
    QSet<QString> ids;
    QSet<qint64> nows;
    int callers = 0;
    int totals = 0;
    QSet<int> countries;
    QSet<int> accesses;
    QSet<QString> totalProgrammes;
    for (const QString &line : reply.Lines.mid(1)) {
        QVERIFY2(!line.isEmpty(), "the service sends no empty lines");
        const QStringList fields = Fields(line);
        if (line.startsWith(u'+')) {
            ++callers;
            QCOMPARE(fields.size(), 13);
            QVERIFY2(codes.contains(fields[0].mid(1)), qPrintable(line));
            QVERIFY(!fields[1].isEmpty() && fields[1].size() <= 20);
            QVERIFY2(!ids.contains(fields[1]), "caller ids are unique");
            ids.insert(fields[1]);
            QVERIFY(!fields[2].isEmpty() && fields[2].size() <= 25);
            const int country = fields[3].toInt();
            const int access = fields[6].toInt();
            QVERIFY2((country >= 0 && country <= 17) || country == 99, qPrintable(line));
            QVERIFY2((access >= 0 && access <= 16) || access == 99, qPrintable(line));
            QVERIFY(fields[4].toInt() >= 1);
            QVERIFY(!fields[7].isEmpty() && fields[7].size() <= 20);
            QVERIFY2(stamp.match(fields[8]).hasMatch(), qPrintable(line));
            // Seconds online and the start, as a stamp and as a number, tell the same time.
            const qint64 seconds = fields[9].toLongLong();
            const qint64 start = fields[10].toLongLong();
            QVERIFY(seconds >= 0);
            QCOMPARE(LocalSeconds(fields[8]), start);
            nows.insert(start + seconds);
            QVERIFY(fields[11].size() <= 32);
            QVERIFY(fields[12].count(u'.') == 3 && fields[12].size() <= 16);
        } else if (line.startsWith(u'$')) {
            ++totals;
            QCOMPARE(fields.size(), 5);
            QVERIFY2(codes.contains(fields[0].mid(1)), qPrintable(line));
            const int country = fields[1].toInt();
            const int access = fields[2].toInt();
            QVERIFY(country >= 0 && country <= 17);
            QVERIFY(access >= 0 && access <= 16);
            QVERIFY(fields[3].toInt() > 0);
            QVERIFY(fields[4].toInt() >= fields[3].toInt());
            countries.insert(country);
            accesses.insert(access);
            totalProgrammes.insert(fields[0].mid(1));
        } else {
            QVERIFY2(line.startsWith(u'='), qPrintable(line));
        }
    }
    QVERIFY(callers >= 3);
    QVERIFY(nows.size() <= 2);   // one poll, one moment (a second may tick over)
    QVERIFY(totals >= 20);
    QVERIFY(countries.size() >= 4);
    QVERIFY(totalProgrammes.size() >= 3);
    QVERIFY2(accesses.contains(2) && accesses.contains(5), "per-call types appear in the totals");
}

void TestBvService::callersComeGoAndTotalsGrow()
{
    // A minute of simulated time per real second.
    TService fast({"--seed", "11", "--start-time", "2024-03-15T20:00:00", "--rate", "20", "--speed", "60"});
    QVERIFY(fast.Url.isValid());
    TClient client(fast.Url);

    QSet<QString> nameless;
    bool nameArrived = false;
    bool callerLeft = false;
    bool callerCame = false;
    QSet<QString> previous;
    const int firstCalls = CallCount(client.Post("c=103"));
    int lastCalls = firstCalls;
    QElapsedTimer timer;
    timer.start();
    while (!(nameArrived && callerLeft && callerCame && lastCalls > firstCalls) && timer.elapsed() < 20000) {
        const TReply reply = client.Post("c=103");
        QCOMPARE(reply.Lines.value(0), QStringLiteral("103"));
        QSet<QString> online;
        for (const QString &line : reply.Lines) {
            if (!line.startsWith(u'+'))
                continue;
            const QStringList fields = Fields(line);
            online.insert(fields[1]);
            if (fields[2] == u"?")
                nameless.insert(fields[1]);
            else if (nameless.contains(fields[1]))
                nameArrived = true;
        }
        if (!previous.isEmpty()) {
            callerLeft = callerLeft || !(previous - online).isEmpty();
            callerCame = callerCame || !(online - previous).isEmpty();
        }
        previous = online;
        const int calls = CallCount(reply);
        QVERIFY2(calls >= lastCalls, "day totals never shrink within a day");
        lastCalls = calls;
    }
    QVERIFY2(nameArrived, "a caller first shown as \"?\" later shows a name");
    QVERIFY(callerLeft);
    QVERIFY(callerCame);
    QVERIFY(lastCalls > firstCalls);
}

void TestBvService::historyHonoursIdsSent()
{
    TClient client(Frozen->Url);
    const TReply all = client.Post("c=108");
    QCOMPARE(all.Lines.value(0), QStringLiteral("108"));
    QVERIFY(all.Lines.size() > 50);

    // Per programme: ids rise through the list, as calls end; the marks are per class.
    QHash<QString, QList<QStringList>> byProgramme;
    for (const QString &line : all.Lines.mid(1)) {
        const QStringList fields = Fields(line);
        QCOMPARE(fields.size(), 14);
        QCOMPARE(fields[0].size(), 2);
        bool ok = false;
        fields[1].toInt(&ok);
        QVERIFY2(ok, "history ids are numbers");
        const qint64 start = LocalSeconds(fields[8]);
        QCOMPARE(fields[9].toLongLong(), start);
        QCOMPARE(LocalSeconds(fields[10]) - start, fields[11].toLongLong());
        QVERIFY(fields[11].toInt() > 0);
        if (!byProgramme[fields[0]].isEmpty())
            QVERIFY(fields[1].toInt() > byProgramme[fields[0]].last()[1].toInt());
        byProgramme[fields[0]].append(fields);
    }
    QVERIFY(byProgramme.size() >= 3);

    // Marks halfway through BB: only BB calls above them, all calls of the others.
    const QList<QStringList> &bb = byProgramme.value(QStringLiteral("BB"));
    QVERIFY(bb.size() > 10);
    int ppmMark = 0;
    int otherMark = 0;
    for (const QStringList &call : bb.mid(0, bb.size() / 2)) {
        int &mark = call[6].toInt() > 1 ? otherMark : ppmMark;
        mark = qMax(mark, call[1].toInt());
    }
    int expected = all.Lines.size() - 1;
    for (const QStringList &call : bb) {
        const int mark = call[6].toInt() > 1 ? otherMark : ppmMark;
        if (call[1].toInt() <= mark)
            --expected;
    }
    const TReply newer = client.Post(QByteArray("c=108&BB=") + QByteArray::number(ppmMark) + ',' + QByteArray::number(otherMark));
    QCOMPARE(newer.Lines.size() - 1, expected);
    for (const QString &line : newer.Lines.mid(1)) {
        const QStringList fields = Fields(line);
        if (fields[0] == u"BB")
            QVERIFY(fields[1].toInt() > (fields[6].toInt() > 1 ? otherMark : ppmMark));
    }

    // With every mark at the top, a stopped clock has nothing newer.
    QByteArray args = "c=108";
    for (auto it = byProgramme.cbegin(); it != byProgramme.cend(); ++it) {
        int ppm = 0;
        int other = 0;
        for (const QStringList &call : it.value()) {
            int &mark = call[6].toInt() > 1 ? other : ppm;
            mark = qMax(mark, call[1].toInt());
        }
        args += '&' + it.key().toLatin1() + '=' + QByteArray::number(ppm) + ',' + QByteArray::number(other);
    }
    QCOMPARE(client.Post(args).Lines, QStringList{QStringLiteral("108")});

    // Marks that are not numbers count as 0.
    QCOMPARE(client.Post("c=108&BB=x,y&ZZ=1,2&bad").Lines.size(), all.Lines.size());
}

void TestBvService::sameSeedSameDay()
{
    TService twin(FixedDay + QStringList{"--speed", "0"});
    TService other({"--seed", "8", "--start-time", "2024-03-15T10:30:00", "--rate", "6", "--speed", "0"});
    QVERIFY(twin.Url.isValid() && other.Url.isValid());
    TClient a(Frozen->Url);
    TClient b(twin.Url);
    TClient c(other.Url);
    QCOMPARE(b.Post("c=103").Lines, a.Post("c=103").Lines);
    QCOMPARE(b.Post("c=108").Lines, a.Post("c=108").Lines);
    QVERIFY(c.Post("c=103").Lines != a.Post("c=103").Lines);
}

void TestBvService::detailsCarryPicture()
{
    TClient client(Service->Url);
    const TReply reply = client.Post("c=102&s=3&p=117&x=CC");
    QCOMPARE(reply.Lines.value(0), QStringLiteral("102"));
    QCOMPARE(reply.Lines.value(1), QStringLiteral("flirtcaf\u00e9.example"));
    QCOMPARE(reply.Lines.value(2), QStringLiteral("Jansen & Zn. Reclame"));

    // The client finds the bitmap by "BM>" in the text before the first zero byte.
    const qsizetype zero = reply.Body.indexOf('\0');
    const qsizetype at = reply.Body.indexOf("BM>");
    QVERIFY(at > 0 && at < zero);
    const QImage picture = QImage::fromData(reply.Body.mid(at), "BMP");
    QCOMPARE(picture.size(), QSize(300, 48));

    const TReply cached = client.Post("c=102&s=3&p=117&x=CC&b=4102444800");
    QCOMPARE(cached.Lines.size(), 3);
    QVERIFY(!cached.Body.contains("BM>"));

    const TReply unknown = client.Post("c=102&s=999&p=0&x=ZZ");
    QCOMPARE(unknown.Lines.size(), 3);
    QVERIFY(!unknown.Lines.value(1).isEmpty());
}

void TestBvService::accountKeys()
{
    TService own(FixedDay);
    TClient client(own.Url);
    const auto accountLines = [&client] {
        const TReply reply = client.Post("c=107");
        QStringList lines;
        if (reply.Lines.value(1) == u"OK") {
            for (const QString &line : reply.Lines.mid(2)) {
                if (line.size() > 32)
                    lines.append(line);
            }
        }
        return lines;
    };
    const QStringList before = accountLines();
    QVERIFY(before.size() >= 1);
    QVERIFY(before.first().startsWith(QString::fromLatin1(DemoKey) + u'|'));

    const TReply added = client.Post("c=101&k=NEW-KEY-42&a=0");
    QCOMPARE(added.Lines.value(1), QStringLiteral("OK"));
    QVERIFY(!added.Lines.value(2).isEmpty() && added.Lines.value(2).size() <= 32);
    const QStringList after = accountLines();
    QCOMPARE(after.size(), before.size() + 1);
    QVERIFY(after.last().startsWith(QStringLiteral("NEW-KEY-42|")));
    QVERIFY(after.last().endsWith(QStringLiteral("|0")));

    const TReply twice = client.Post("c=101&k=NEW-KEY-42&a=1");
    QVERIFY(twice.Lines.value(1) != u"OK");
    QVERIFY(!twice.Lines.value(2).isEmpty());

    const TReply removed = client.Post("c=105&k=NEW-KEY-42");
    QCOMPARE(removed.Lines.mid(1), (QStringList{"OK", "NEW-KEY-42"}));
    QCOMPARE(accountLines(), before);

    const TReply mainKey = client.Post("c=105&k=" + DemoKey);
    QVERIFY(mainKey.Lines.value(1) != u"OK");
    QCOMPARE(mainKey.Lines.size(), 3);
}

void TestBvService::contactDataRoundTrip()
{
    TService own(FixedDay);
    TClient client(own.Url);
    const TReply initial = client.Post("c=110");
    QCOMPARE(initial.Lines.size(), 4);
    QVERIFY(initial.Lines.value(1).contains(u'@'));

    const QByteArray args = Codec::Encode(QStringLiteral("c=111&e=jan@belgi\u00eb.example&p=0470123456&m=jan@msn.example"));
    QCOMPARE(client.Post(args).Lines.value(0), QStringLiteral("111"));
    const TReply after = client.Post("c=110");
    QCOMPARE(after.Lines.mid(1), (QStringList{QStringLiteral("jan@belgi\u00eb.example"), "0470123456", "jan@msn.example"}));
}

void TestBvService::upgrade_data()
{
    QTest::addColumn<QByteArray>("agent");
    QTest::addColumn<bool>("refused");

    QTest::newRow("older") << QByteArray("BVMonitor V1.4.0.0") << true;
    QTest::newRow("older last number") << QByteArray("BVMonitor V1.5.0.1") << true;
    QTest::newRow("equal") << QByteArray("BVMonitor V1.5.0.2") << false;
    QTest::newRow("newer by number, not by text") << QByteArray("BVMonitor V1.10.0.0") << false;
    QTest::newRow("no version record") << QByteArray("BVMonitor V?") << true;
    QTest::newRow("another program") << QByteArray("Mozilla/5.0") << true;
}

void TestBvService::upgrade()
{
    QFETCH(QByteArray, agent);
    QFETCH(bool, refused);

    if (!Strict)
        Strict = std::make_unique<TService>(FixedDay + QStringList{"--min-version", "1.5.0.2"});
    QVERIFY(Strict->Url.isValid());
    TClient client(Strict->Url);
    client.Agent = agent;
    const TReply reply = client.Post("c=103&x=0");
    if (refused)
        QCOMPARE(reply.Lines, (QStringList{"X", "UPGRADE"}));
    else
        QCOMPARE(reply.Lines.value(0), QStringLiteral("103"));
}

void TestBvService::serverMessage()
{
    TService talking(FixedDay + QStringList{"--message", "Nieuw: Caf\u00e9 Contact 50% extra|http://www.belvora.example/actie"});
    TClient client(talking.Url);
    const TReply first = client.Post("c=106");
    QVERIFY(!first.Header("MSG").isEmpty());
    const auto message = ReadMessage(first.Header("MSG"));
    QCOMPARE(message.first, QStringLiteral("Nieuw: Caf\u00e9 Contact 50% extra"));
    QCOMPARE(message.second, QStringLiteral("http://www.belvora.example/actie"));
    QVERIFY(client.Post("c=103").Header("MSG").isEmpty());

    TService repeating(FixedDay + QStringList{"--message", "Hallo", "--message-every", "2"});
    TClient other(repeating.Url);
    QStringList seen;
    for (int i = 0; i < 4; ++i)
        seen.append(ReadMessage(other.Post("c=103").Header("MSG")).first);
    QCOMPARE(seen, (QStringList{"Hallo", "", "Hallo", ""}));
}

void TestBvService::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("delay") << "delay:800" << "late";
    QTest::newRow("drop") << "drop" << "dropped";
    QTest::newRow("cut") << "cut" << "cut";
    QTest::newRow("http500") << "http500" << "500";
    QTest::newRow("http:503") << "http:503" << "503";
    QTest::newRow("echo") << "echo" << "echo";
    QTest::newRow("session") << "session" << "session";
    QTest::newRow("garbage") << "garbage" << "garbage";
    QTest::newRow("empty") << "empty" << "empty";
    QTest::newRow("fatal") << "fatal" << "fatal";
    QTest::newRow("fatal with text") << "fatal:Account geblokkeerd" << "fatal text";
    QTest::newRow("drip") << "drip:4000" << "dripped";
}

void TestBvService::faults()
{
    QFETCH(QString, fault);
    QFETCH(QString, outcome);

    TService faulty(FixedDay + QStringList{"--fault", fault});
    QVERIFY(faulty.Url.isValid());
    TClient client(faulty.Url);
    const TReply reply = client.Post("c=103&x=0");
    QVERIFY(reply.Finished);

    if (outcome == u"dripped") {
        // Whole and right, only slow: at 4000 bytes a second.
        QCOMPARE(reply.Lines.value(0), QStringLiteral("103"));
        QVERIFY2(reply.Ms >= reply.Raw.size() * 1000 / 4000 - 100, qPrintable(QString::number(reply.Ms)));
    } else if (outcome == u"late") {
        QVERIFY2(reply.Ms >= 800, qPrintable(QString::number(reply.Ms)));
        QCOMPARE(reply.Lines.value(0), QStringLiteral("103"));
    } else if (outcome == u"dropped") {
        QCOMPARE(reply.Error, QNetworkReply::RemoteHostClosedError);
        QVERIFY(reply.Raw.isEmpty());
    } else if (outcome == u"cut") {
        // Part of the body arrives before the connection breaks.
        QCOMPARE(reply.Error, QNetworkReply::RemoteHostClosedError);
        QCOMPARE(reply.Status, 200);
    } else if (outcome == u"500" || outcome == u"503") {
        QCOMPARE(QString::number(reply.Status), outcome);
    } else if (outcome == u"echo") {
        QCOMPARE(reply.Status, 200);
        QVERIFY(reply.Raw.startsWith('>'));
        QVERIFY(!reply.Lines.isEmpty());
        QVERIFY(reply.Lines.value(0) != u"103");
        QVERIFY(reply.Lines.value(0) != u"!" && !reply.Lines.value(0).startsWith(u'X'));
    } else if (outcome == u"session") {
        QCOMPARE(reply.Lines, QStringList{QStringLiteral("!")});
        QVERIFY(client.Manager.cookieJar()->cookiesForUrl(faulty.Url).isEmpty());
    } else if (outcome == u"garbage") {
        QCOMPARE(reply.Status, 200);
        QVERIFY(!reply.Raw.isEmpty());
        QVERIFY(!reply.Raw.startsWith('>') && !reply.Raw.startsWith('X') && !reply.Raw.startsWith('!'));
        QVERIFY(reply.Lines.value(0) != u"103");
    } else if (outcome == u"empty") {
        QCOMPARE(reply.Status, 200);
        QVERIFY(reply.Raw.isEmpty());
    } else if (outcome == u"fatal") {
        QCOMPARE(reply.Lines, QStringList{QStringLiteral("X")});
    } else if (outcome == u"fatal text") {
        QCOMPARE(reply.Lines, (QStringList{"X", "Account geblokkeerd"}));
    }

    // A fault given without conditions strikes every request.
    const TReply next = client.Post("c=106");
    if (outcome == u"late")
        QVERIFY(next.Ms >= 800);
    else if (outcome == u"dripped")
        QCOMPARE(next.Lines.value(0), QStringLiteral("106"));
    else if (outcome == u"cut")
        QCOMPARE(next.Error, QNetworkReply::RemoteHostClosedError);
    else
        QVERIFY(next.Lines.value(0) != u"106");
}

void TestBvService::faultConditions()
{
    TService faulty(FixedDay + QStringList{"--fault", "http500@cmd=103,every=2", "--fault", "session@cmd=106,skip=1,times=1",
                                           "--fault", "drop@cmd=110,every=2"});
    TClient client(faulty.Url);
    QList<int> statuses;
    QStringList echoes;
    QList<bool> dropped;
    for (int i = 0; i < 4; ++i) {
        statuses.append(client.Post("c=103").Status);
        echoes.append(client.Post("c=106").Lines.value(0));
        // Were a dropped request sent again by the client, the retry would pass and
        // hide the fault.
        dropped.append(client.Post("c=110").Error != QNetworkReply::NoError);
    }
    QCOMPARE(statuses, (QList<int>{200, 500, 200, 500}));
    QCOMPARE(echoes, (QStringList{"106", "!", "106", "106"}));
    QCOMPARE(dropped, (QList<bool>{false, true, false, true}));
}

void TestBvService::hangEndlessAndHeaderFaults()
{
    TService faulty(FixedDay + QStringList{"--fault", "hang@cmd=106", "--fault", "endless@cmd=107", "--fault",
                                           "headers@cmd=110"});
    const auto post = [&faulty](QTcpSocket &socket, const QByteArray &args) {
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(faulty.Url.port()));
        const QByteArray body = EncodeArgs(args, DemoKey);
        socket.write("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Basic "
                     + (DemoKey + ':' + DemoPassword).toBase64() + "\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        return socket.waitForConnected(WaitMs);
    };
    QTcpSocket hung;
    QTcpSocket endless;
    QVERIFY(post(hung, "c=106"));
    QVERIFY(post(endless, "c=107"));
    // The endless answer keeps coming, chunk after chunk, far beyond any reply.
    constexpr qsizetype Enough = 4 * 1024 * 1024;
    QByteArray received;
    while (received.size() < Enough && endless.waitForReadyRead(WaitMs))
        received += endless.readAll();
    QVERIFY(received.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(received.contains("\r\nTransfer-Encoding: chunked\r\n"));
    QVERIFY(received.size() >= Enough);
    // Header lines keep coming too, and the head never ends.
    QTcpSocket headers;
    QVERIFY(post(headers, "c=110"));
    QByteArray head;
    while (head.size() < Enough && headers.waitForReadyRead(WaitMs))
        head += headers.readAll();
    QVERIFY(head.startsWith("HTTP/1.1 200 OK\r\nX-Vulling-1: "));
    QVERIFY(head.size() >= Enough && !head.contains("\r\n\r\n"));
    // Meanwhile others are served, and the hung request has had nothing.
    TClient client(faulty.Url);
    QCOMPARE(client.Post("c=103&x=0").Lines.value(0), QStringLiteral("103"));
    QCOMPARE(hung.bytesAvailable(), 0);
    QCOMPARE(hung.state(), QAbstractSocket::ConnectedState);
}

void TestBvService::hostileRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");

    const QByteArray auth = "Authorization: Basic " + (DemoKey + ':' + DemoPassword).toBase64() + "\r\n";
    QTest::newRow("not http") << QByteArray("\x01\x02\xff garbage\r\n\r\n", 16) << 400;
    QTest::newRow("no target") << QByteArray("POST HTTP/1.1\r\n\r\n") << 400;
    QTest::newRow("http 2") << QByteArray("POST / HTTP/2.0\r\n\r\n") << 505;
    QTest::newRow("header without colon") << QByteArray("POST / HTTP/1.1\r\nHost\r\n\r\n") << 400;
    QTest::newRow("folded header") << QByteArray("POST / HTTP/1.1\r\nHost: a\r\n b\r\n\r\n") << 400;
    QTest::newRow("length not a number") << QByteArray("POST / HTTP/1.1\r\nContent-Length: 1x\r\n\r\n") << 400;
    QTest::newRow("negative length") << QByteArray("POST / HTTP/1.1\r\nContent-Length: -5\r\n\r\n") << 400;
    QTest::newRow("two lengths") << QByteArray("POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab") << 400;
    QTest::newRow("huge length") << QByteArray("POST / HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n") << 413;
    QTest::newRow("chunked") << QByteArray("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n") << 501;
    QTest::newRow("huge head") << QByteArray("POST / HTTP/1.1\r\nX: " + QByteArray(40000, 'a')) << 431;
    QTest::newRow("odd hex body") << QByteArray("POST / HTTP/1.1\r\n" + auth + "Content-Length: 3\r\n\r\nabc") << 200;
    QTest::newRow("not hex body") << QByteArray("POST / HTTP/1.1\r\n" + auth + "Content-Length: 4\r\n\r\nzz!!") << 200;
    QTest::newRow("other method") << QByteArray("DELETE / HTTP/1.1\r\n\r\n") << 405;
}

void TestBvService::hostileRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(Service->Url.port()));
    QVERIFY(socket.waitForConnected(WaitMs));
    socket.write(request);
    const QByteArray answer = ReadAnswer(socket);
    QVERIFY2(answer.startsWith("HTTP/1.1 " + QByteArray::number(status) + ' '), answer.left(80).constData());
    if (status == 200) {
        const QByteArray body = Unscramble(answer.mid(answer.indexOf("\r\n\r\n") + 4), DemoKey);
        QCOMPARE(SplitLines(body).value(0), QStringLiteral("?"));
    }

    // Whatever came before, the service still serves.
    TClient client(Service->Url);
    QCOMPARE(client.Post("c=106").Lines.value(0), QStringLiteral("106"));
}

void TestBvService::keepAliveServesSeveralRequests()
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(Service->Url.port()));
    QVERIFY(socket.waitForConnected(WaitMs));
    const QByteArray body = EncodeArgs("c=106", DemoKey);
    const QByteArray request = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Basic "
        + (DemoKey + ':' + DemoPassword).toBase64() + "\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\n\r\n" + body;
    // Two requests in one write: both are answered, in order, on the same connection.
    socket.write(request + request);
    QByteArray answer;
    QElapsedTimer timer;
    timer.start();
    while (answer.count("HTTP/1.1 200") < 2 && timer.elapsed() < WaitMs && socket.waitForReadyRead(1000))
        answer += socket.readAll();
    QCOMPARE(answer.count("HTTP/1.1 200 OK"), 2);
    QCOMPARE(answer.count("Connection: keep-alive"), 2);
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
}

void TestBvService::versionFile()
{
    TClient client(Service->Url);
    const TReply version = client.Get(QStringLiteral("/bvmonitor.ver"));
    QCOMPARE(version.Status, 200);
    QCOMPARE(version.Raw.trimmed(), QByteArray(BV_APP_VERSION));
    QCOMPARE(client.Get(QStringLiteral("/nothing")).Status, 404);
}

void TestBvService::badOptionsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("unknown fault") << QStringList{"--fault", "meltdown"};
    QTest::newRow("fault condition") << QStringList{"--fault", "drop@every=0"};
    QTest::newRow("delay without time") << QStringList{"--fault", "delay"};
    QTest::newRow("min version") << QStringList{"--min-version", "1.x"};
    QTest::newRow("start time") << QStringList{"--start-time", "gisteren"};
    QTest::newRow("empty key") << QStringList{"--key", ""};
    QTest::newRow("rate") << QStringList{"--rate", "-1"};
}

void TestBvService::badOptionsRefused()
{
    QFETCH(QStringList, arguments);

    QProcess process;
    process.start(QStringLiteral(BVSERVICE_PATH), arguments);
    QVERIFY(process.waitForFinished(WaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(!process.readAllStandardError().isEmpty());
}

void TestBvService::stopsOnSigterm()
{
    TService running(FixedDay);
    QVERIFY(running.Url.isValid());
    // An open connection must not keep it from stopping.
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(running.Url.port()));
    QVERIFY(idle.waitForConnected(WaitMs));

    QSignalSpy finished(&running.Process, &QProcess::finished);
    running.Process.terminate();
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(running.Process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(running.Process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestBvService)
#include "tst_bvservice.moc"
