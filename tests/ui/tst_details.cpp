#include <QBuffer>
#include <QDirIterator>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QItemSelectionModel>

#include "tLoopbackServer.h"
#include "tRecordingPlatform.h"
#include "tTestData.h"
#include "uClock.h"
#include "uDetails.h"
#include "uFetcher.h"
#include "uListItems.h"
#include "uListView.h"
#include "uMonitor.h"
#include "uMain.h"
#include "uMonitor.h"

namespace {

const QByteArray Key = "K";

QString CallerLine(const QString &code, const QString &id, int country, int access)
{
    return QStringLiteral("+%1|%2|Kees|%3|7|9|%4|0612345678|01-02-2024 08:00:00|3725|1|promo|10.0.0.1")
        .arg(code, id)
        .arg(country)
        .arg(access);
}

// A 300 x 48 bitmap whose size field is padded so the header reads "BM>", as the
// service sends it.
QByteArray ProgrammeBitmap()
{
    QImage image(300, 48, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    while ((bytes.size() & 0xFF) != '>')
        bytes.append('\0');
    const quint32 size = quint32(bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[2 + i] = char(size >> (8 * i));
    return bytes;
}

} // namespace

// The caller details panel: fields, the details request, names and the programme picture.
class TestDetails final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void fields_data();
    void fields();
    void requestAndNames();
    void pictureCached();
    void hostilePicture_data();
    void hostilePicture();
    void checkedBitmap_data();
    void checkedBitmap();
    void leavingCallerClears();
    void historyCaller();
    void totalsHideCallerFields();
    void totalsRowStaysSelected();
    void infoPanelShare();

private:
    void WriteSettings();
    void Poll(TfrmMain &main, const QStringList &lines);
    void Select(TfrmMain &main, int row);
    QString Field(TfrmMain &main, const char *name);
    QStringList DetailRequests() const;

    // The program folder lies alone inside a tree of its own, so a search of that tree
    // sees every file the program wrote, also outside its folder, and nothing else.
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLoopbackServer> m_server;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
    QByteArray m_detailsReply = "102\r\n";
};

void TestDetails::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_dir = std::make_unique<QTemporaryDir>(m_root->filePath(QStringLiteral("program-XXXXXX")));
    m_server = std::make_unique<TLoopbackServer>();
    m_detailsReply = "102\r\n";
    m_server->SetResponder([this](const TRecordedRequest &request) {
        if (TLoopbackServer::Unscramble(request.Body, Key).startsWith("c=102"))
            return TServerAction::Reply(TLoopbackServer::HttpReply(m_detailsReply));
        return TLoopbackServer::EchoResponder(Key)(request);
    });
    m_platform = std::make_unique<TRecordingPlatformGuard>();
    TPProgs.clear();
    AddTestProg(QStringLiteral("AB"), QStringLiteral("Alpha"));
    WriteSettings();
}

void TestDetails::cleanup()
{
    m_platform.reset();
    m_server.reset();
    m_dir.reset();
    m_root.reset();
}

void TestDetails::WriteSettings()
{
    QFile file(m_dir->filePath("bvsettings.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\r\nfetchurl=" + m_server->Url().toString().toLatin1() + "\r\nkey=K\r\npassword=pw\r\n");
}

void TestDetails::Poll(TfrmMain &main, const QStringList &lines)
{
    main.Monitor().PollTime = Clock::LocalSecondsNow();
    main.Monitor().ProcessCallersReply(QStringList{QStringLiteral("103")} + lines);
    QCoreApplication::processEvents();
}

void TestDetails::Select(TfrmMain &main, int row)
{
    main.findChild<TListView *>(QStringLiteral("lvCallers"))->SelectRow(row);
}

QString TestDetails::Field(TfrmMain &main, const char *name)
{
    auto *label = main.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

QStringList TestDetails::DetailRequests() const
{
    QStringList requests;
    for (const TRecordedRequest &request : m_server->Requests) {
        const QByteArray args = TLoopbackServer::Unscramble(request.Body, Key);
        if (args.startsWith("c=102"))
            requests.append(QString::fromLatin1(args));
    }
    return requests;
}

void TestDetails::fields_data()
{
    QTest::addColumn<int>("country");
    QTest::addColumn<int>("access");
    QTest::addColumn<QString>("land");
    QTest::addColumn<QString>("toegang");
    QTest::newRow("known codes") << 0 << 0 << "Nederland  " << "PPM Data  ";
    QTest::newRow("test codes") << 99 << 99 << "TEST " << "TEST  ";
    QTest::newRow("codes outside the tables") << 30 << 20 << "? " << "?  ";
}

void TestDetails::fields()
{
    QFETCH(int, country);
    QFETCH(int, access);
    TfrmMain main(m_dir->path());
    Poll(main, {CallerLine("AB", "c1", country, access)});
    Select(main, 0);
    QVERIFY(main.Details().SelectedCaller());
    QCOMPARE(main.Details().SelectedCaller(), main.Monitor().Callers.front().get());
    QCOMPARE(Field(main, "stId"), QStringLiteral("c1"));
    QCOMPARE(Field(main, "stName"), QStringLiteral("Kees "));
    QCOMPARE(Field(main, "stSite"), QStringLiteral("#7 "));
    QCOMPARE(Field(main, "stPromo"), QStringLiteral("#9 "));
    QTEST(Field(main, "stLand"), "land");
    QTEST(Field(main, "stAccess"), "toegang");
    QCOMPARE(Field(main, "stCallerid"), QStringLiteral("0612345678 "));
    QCOMPARE(Field(main, "stStart"), main.Details().SelectedCaller()->Start + QLatin1Char(' '));
    QCOMPARE(Field(main, "stSessiontime"), QStringLiteral("01:02:05 "));
    QCOMPARE(Field(main, "stInfo"), QStringLiteral("promo "));
    QCOMPARE(Field(main, "stIP"), QStringLiteral("10.0.0.1 "));
    // Each caption stands beside its own field; only the number row is hidden.
    const auto *grid = main.Details().findChild<QGridLayout *>();
    const QStringList captions{"Id", "Loginnaam", "Site", "Promotor", "Toegang", "Callerid", "Nummer",
                               "Start", "Sessietijd", "Promo-info", "Land", "IP adres"};
    const QStringList fields{"stId", "stName", "stSite", "stPromo", "stAccess", "stCallerid", "stNumber",
                             "stStart", "stSessiontime", "stInfo", "stLand", "stIP"};
    for (int row = 0; row < captions.size(); ++row) {
        QVERIFY(grid->itemAtPosition(row, 0) && grid->itemAtPosition(row, 1));
        const auto *caption = qobject_cast<QLabel *>(grid->itemAtPosition(row, 0)->widget());
        QCOMPARE(caption->text(), captions[row]);
        QCOMPARE(grid->itemAtPosition(row, 1)->widget()->objectName(), fields[row]);
        QCOMPARE(caption->isHidden(), captions[row] == QLatin1String("Nummer"));
        QCOMPARE(grid->itemAtPosition(row, 1)->widget()->isHidden(), captions[row] == QLatin1String("Nummer"));
    }
}

void TestDetails::requestAndNames()
{
    m_detailsReply = "102\r\nMijn <b>site</b>\r\nPromo BV\r\n";
    TfrmMain main(m_dir->path());
    Poll(main, {CallerLine("AB", "c1", 0, 0), CallerLine("AB", "c2", 0, 0)});
    Select(main, 0);
    // Polls while the request runs do not ask again.
    Poll(main, {CallerLine("AB", "c1", 0, 0), CallerLine("AB", "c2", 0, 0)});
    QTRY_COMPARE(Field(main, "stSite"), QStringLiteral("#7 Mijn <b>site</b> "));
    QCOMPARE(main.findChild<QLabel *>(QStringLiteral("stSite"))->textFormat(), Qt::PlainText);
    QCOMPARE(DetailRequests(), QStringList{"c=102&s=7&p=9&x=AB"});
    QCOMPARE(Field(main, "stPromo"), QStringLiteral("#9 Promo BV "));
    TCaller *caller = main.Details().SelectedCaller();
    QCOMPARE(caller->SiteName, QStringLiteral("Mijn <b>site</b>"));
    QCOMPARE(caller->PromoterName, QStringLiteral("Promo BV"));

    // Known names show at once, without asking again.
    Select(main, 1);
    Select(main, 0);
    QCOMPARE(Field(main, "stSite"), QStringLiteral("#7 Mijn <b>site</b> "));
    QTRY_COMPARE(DetailRequests().size(), 2);
    QTest::qWait(50);
    QCOMPARE(DetailRequests().size(), 2);
}

void TestDetails::pictureCached()
{
    const QByteArray bitmap = ProgrammeBitmap();
    m_detailsReply = "102\r\nS\r\nP\r\n" + bitmap;
    TfrmMain main(m_dir->path());
    Poll(main, {CallerLine("AB", "c1", 0, 0), CallerLine("AB", "c2", 0, 0)});
    Select(main, 0);
    QTRY_COMPARE(main.Details().PictureCode, QStringLiteral("AB"));
    const QFileInfo file(m_dir->filePath("Bitmaps/AB.bmp"));
    QVERIFY(file.isFile());
    QCOMPARE(file.size(), bitmap.size());
    QCOMPARE(main.Details().Picture().size(), QSize(300, 48));
    QCOMPARE(main.Details().Picture().pixelColor(10, 10), QColor(Qt::red));
    const qint64 age = file.lastModified().toSecsSinceEpoch();
    QCOMPARE(main.Details().PictureAge, age);

    // The next caller of the programme sends the cached picture's date.
    Select(main, 1);
    QTRY_COMPARE(DetailRequests().size(), 2);
    QCOMPARE(DetailRequests().last(), QStringLiteral("c=102&s=7&p=9&x=AB&b=%1").arg(age));

    // A cleared panel reads the cached file again and gives its date.
    QTRY_COMPARE(main.Details().SelectedCaller()->SiteName, QStringLiteral("S"));
    main.Details().ShowCaller(nullptr);
    QVERIFY(main.Details().Picture().isNull());
    QCOMPARE(main.Details().LoadProgPicture(QStringLiteral("AB")),
             QFileInfo(m_dir->filePath("Bitmaps/AB.bmp")).lastModified().toSecsSinceEpoch());
    QCOMPARE(main.Details().Picture().pixelColor(10, 10), QColor(Qt::red));
}

void TestDetails::hostilePicture_data()
{
    const QByteArray good = ProgrammeBitmap();
    QByteArray wrongHeader = good;
    wrongHeader[1] = 'X';
    QByteArray bigSize = good;
    bigSize[5] = char(0x7f);
    QByteArray noPixels = good.left(54);
    noPixels[2] = '>';
    noPixels[3] = noPixels[4] = noPixels[5] = 0;
    QByteArray garbage = good;
    for (int i = 54; i < 200; ++i)
        garbage[i] = 'x';
    garbage[14] = 'x'; // an impossible info header size
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("shown");
    QTest::newRow("wrong header") << "AB" << wrongHeader << false << "(unkown)";
    QTest::newRow("truncated") << "AB" << good.left(good.size() / 2) << false << "(unkown)";
    QTest::newRow("size beyond the reply") << "AB" << bigSize << false << "(unkown)";
    QTest::newRow("header only") << "AB" << noPixels << false << "(unkown)";
    QTest::newRow("broken info header") << "AB" << garbage << false << "(unkown)";
    // A sound picture under a code that is no safe file name is shown, never written.
    QTest::newRow("code leaving the folder") << ".." << good << false << "..";
    QTest::newRow("code with a slash") << "/x" << good << false << "/x";
    QTest::newRow("sound picture") << "AB" << good << true << "AB";
}

void TestDetails::hostilePicture()
{
    QFETCH(QString, code);
    QFETCH(QByteArray, picture);
    QFETCH(bool, saved);
    m_detailsReply = "102\r\nS\r\nP\r\n" + picture;
    TfrmMain main(m_dir->path());
    Poll(main, {CallerLine(code, "c1", 0, 0)});
    QCOMPARE(main.Monitor().Callers.size(), std::size_t(1));
    Select(main, 0);
    QTRY_COMPARE(Field(main, "stSite"), QStringLiteral("#7 S "));
    QStringList pictures;
    QDirIterator it(m_root->path(), {QStringLiteral("*.bmp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        pictures.append(it.next());
    QCOMPARE(pictures, saved ? QStringList{m_dir->filePath("Bitmaps/AB.bmp")} : QStringList());
    QTEST(main.Details().PictureCode, "shown");
    QCOMPARE(main.Details().PictureAge > 0, saved);
    QCOMPARE(main.Details().Picture().size(), QSize(300, 48));
}

void TestDetails::checkedBitmap_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("size");
    const QByteArray good = ProgrammeBitmap();
    QTest::newRow("whole") << good << int(good.size());
    QTest::newRow("trailing bytes cut") << good + "tail" << int(good.size());
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("short") << QByteArray("BM>") << 0;
    QByteArray tooWide = good;
    tooWide[21] = char(0x7f);
    QTest::newRow("too wide") << tooWide << 0;
}

void TestDetails::checkedBitmap()
{
    QFETCH(QByteArray, data);
    QTEST(int(TCallerDetails::CheckedBitmap(data).size()), "size");
    QCOMPARE(TCallerDetails::SafeCode(QStringLiteral("../x")), QString());
    QCOMPARE(TCallerDetails::SafeCode(QStringLiteral("A_1")), QStringLiteral("A_1"));
}

void TestDetails::leavingCallerClears()
{
    m_detailsReply = "102\r\nS\r\nP\r\n";
    TfrmMain main(m_dir->path());
    Poll(main, {CallerLine("AB", "c1", 0, 0)});
    Select(main, 0);
    QTRY_COMPARE(Field(main, "stSite"), QStringLiteral("#7 S "));
    // A refreshed caller refreshes the panel.
    Poll(main, {CallerLine("AB", "c1", 0, 0).replace(QStringLiteral("|3725|"), QStringLiteral("|3726|"))});
    QCOMPARE(Field(main, "stSessiontime"), QStringLiteral("01:02:06 "));
    Poll(main, {});
    QVERIFY(main.Monitor().Callers.empty());
    QCOMPARE(main.Details().SelectedCaller(), nullptr);
    QCOMPARE(Field(main, "stId"), QString());
    QCOMPARE(Field(main, "stSite"), QString());
    QCOMPARE(Field(main, "stIP"), QString());
    QVERIFY(main.Details().Picture().isNull());
}

void TestDetails::historyCaller()
{
    TfrmMain main(m_dir->path());
    auto *pages = main.findChild<TListView *>(QStringLiteral("lvHistory"))->parentWidget();
    auto *history = main.findChild<TListView *>(QStringLiteral("lvHistory"));
    TCaller caller;
    caller.Id = QStringLiteral("h1");
    caller.ProgCode = QStringLiteral("AB");
    caller.SiteName = QStringLiteral("S");
    caller.PromoterName = QStringLiteral("P");
    TCallerRows &rows = main.Monitor().HistoryRows();
    const int row = rows.RowFor(caller);
    rows.Publish();
    const auto select = [history, row](bool on) {
        history->selectionModel()->select(history->model()->index(row, 0),
                                          (on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                                              | QItemSelectionModel::Rows);
    };
    QTabWidget *pcMain = nullptr;
    for (QWidget *w = pages; w && !pcMain; w = w->parentWidget())
        pcMain = qobject_cast<QTabWidget *>(w);
    QVERIFY(pcMain);
    pcMain->setCurrentIndex(2);

    // Only while the details page is the one showing.
    QTabWidget *pcInfo = nullptr;
    for (QWidget *w = &main.Details(); w && !pcInfo; w = w->parentWidget())
        pcInfo = qobject_cast<QTabWidget *>(w);
    QVERIFY(pcInfo);
    pcInfo->setCurrentIndex(1);
    select(true);
    QCOMPARE(main.Details().SelectedCaller(), nullptr);
    pcInfo->setCurrentIndex(0);
    select(false);
    select(true);
    QCOMPARE(main.Details().SelectedCaller(), &caller);
    QCOMPARE(Field(main, "stId"), QStringLiteral("h1"));
    QCOMPARE(Field(main, "stSite"), QStringLiteral("#0 S "));
    QVERIFY(DetailRequests().isEmpty());
    select(false);
    QCOMPARE(main.Details().SelectedCaller(), nullptr);
    rows.Clear();
}

void TestDetails::totalsHideCallerFields()
{
    TfrmMain main(m_dir->path());
    QTabWidget *pcMain = nullptr;
    for (QWidget *w = main.findChild<TListView *>(QStringLiteral("lvCallers")); w && !pcMain; w = w->parentWidget())
        pcMain = qobject_cast<QTabWidget *>(w);
    QVERIFY(pcMain);
    const auto *id = main.findChild<QLabel *>(QStringLiteral("stId"));
    pcMain->setCurrentIndex(1);
    QVERIFY(!id->isVisibleTo(&main.Details()));
    pcMain->setCurrentIndex(0);
    QVERIFY(id->isVisibleTo(&main.Details()));
}

void TestDetails::totalsRowStaysSelected()
{
    TfrmMain main(m_dir->path());
    Poll(main, {"$AB|0|1|1|60"});
    auto *totals = main.findChild<TListView *>(QStringLiteral("lvTotals"));
    totals->SelectRow(0);
    // New calls mark the row; the row the user chose stays chosen and keeps its details.
    Poll(main, {"$AB|0|1|2|120"});
    QCOMPARE(totals->CurrentSelectedRow(), 0);
    QVERIFY(main.Monitor().TotalsRows().Marked(0));
    Poll(main, {"$AB|0|1|2|180"});
    QCOMPARE(totals->CurrentSelectedRow(), 0);
    QVERIFY(!main.Monitor().TotalsRows().Marked(0));
}

void TestDetails::infoPanelShare()
{
    TfrmMain main(m_dir->path());
    auto *splitter = main.findChild<QSplitter *>(QStringLiteral("splMain"));
    QVERIFY(splitter);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QWidget *info = splitter->widget(1);
    if (info->isHidden())
        info->show();
    main.resize(800, 500);
    QTRY_COMPARE(splitter->width() > 0, true);
    const auto shareNow = [&] { return double(info->width() + splitter->handleWidth()) / splitter->width(); };
    QCoreApplication::processEvents();
    const double share = shareNow();
    main.resize(1200, 500);
    QTRY_VERIFY(splitter->width() > 1000);
    QVERIFY2(qAbs(shareNow() - share) < 0.02, qPrintable(QStringLiteral("%1 -> %2").arg(share).arg(shareNow())));
    // Resized while hidden (behind a counter window, in the tray, maximised), the panel
    // hidden and shown again: the share holds.
    main.hide();
    main.resize(950, 500);
    main.show();
    info->hide();
    info->show();
    QTRY_VERIFY(splitter->width() < 1000);
    QTRY_VERIFY2(qAbs(shareNow() - share) < 0.02, qPrintable(QStringLiteral("%1 -> %2").arg(share).arg(shareNow())));
}

QTEST_MAIN(TestDetails)
#include "tst_details.moc"
