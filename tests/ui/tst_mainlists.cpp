#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QTabWidget>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <optional>

#include "tLoopbackServer.h"
#include "tProcessState.h"
#include "tRecordingPlatform.h"
#include "tTestData.h"
#include "uClock.h"
#include "uListItems.h"
#include "uListView.h"
#include "uMain.h"
#include "uMonitor.h"
#include "uSettings.h"

namespace {

QString CallerLine(const QString &id, const QString &name, const QString &start, int startValue)
{
    return QStringLiteral("+AB|%1|%2|0|1|2|1|0612345678|%3|60|%4|info|10.0.0.1")
        .arg(id, name, start)
        .arg(startValue);
}

QStringList Captions(const TListView &list)
{
    QStringList captions;
    for (int i = 0; i < list.Rows()->RowCount(); ++i)
        captions.append(list.Rows()->Text(i, 0));
    return captions;
}

bool HasSortPicture(const TListView &list, int column)
{
    return !list.model()->headerData(column, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull();
}

// Counts the paints of a widget.
class TPaintCount final : public QObject
{
public:
    explicit TPaintCount(QWidget *widget) { widget->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        Count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

// The main window's lists (sorting, copying), its chart grouping and the version offer.
class TestMainLists final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void callersClicks_data();
    void callersClicks();
    void startColumn();
    void sortedAfterPoll();
    void pollPaintsCallersOnce();
    void totalsClicks_data();
    void totalsClicks();
    void copyTotals();
    void columnsFitTexts();
    void chartChoices();
    void chartLabels_data();
    void chartLabels();
    void chartTextsFit_data();
    void chartTextsFit();
    void versionOffer_data();
    void versionOffer();

private:
    void WriteSettings(const QByteArray &extra = {});
    void Poll(TfrmMain &main, const QStringList &lines);
    static TListView &List(TfrmMain &main, const char *name);

    std::optional<TProcessState> m_state;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
};

void TestMainLists::init()
{
    m_state.emplace();
    m_platform = std::make_unique<TRecordingPlatformGuard>();
    AddTestProg(QStringLiteral("AB"), QStringLiteral("Alpha"));
    AddTestProg(QStringLiteral("AA"), QStringLiteral("Een"));
    AddTestProg(QStringLiteral("BB"), QStringLiteral("Twee"));
    AddTestProg(QStringLiteral("CC"), QStringLiteral("Drie"));
}

void TestMainLists::cleanup()
{
    m_platform.reset();
    m_state.reset();
}

void TestMainLists::WriteSettings(const QByteArray &extra)
{
    QFile file(m_state->FilePath("bvsettings.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\r\nfetchurl=http://127.0.0.1:9/\r\nkey=K\r\n" + extra);
}

void TestMainLists::Poll(TfrmMain &main, const QStringList &lines)
{
    main.Monitor().PollTime = Clock::LocalSecondsNow();
    main.Monitor().ProcessCallersReply(QStringList{QStringLiteral("103")} + lines);
    // Re-sorting waits until the monitor has filled every row.
    QCoreApplication::processEvents();
}

TListView &TestMainLists::List(TfrmMain &main, const char *name)
{
    auto *list = main.findChild<TListView *>(QLatin1String(name));
    Q_ASSERT(list);
    return *list;
}

void TestMainLists::callersClicks_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<bool>("picture");
    QTest::newRow("once: ascending") << 1 << QStringList{"Alpha: jan", "Alpha: Kees", "Alpha: Piet"} << true;
    QTest::newRow("twice: descending") << 2 << QStringList{"Alpha: Piet", "Alpha: Kees", "Alpha: jan"} << true;
    QTest::newRow("three times: monitor order") << 3 << QStringList{"Alpha: Kees", "Alpha: Piet", "Alpha: jan"}
                                                << false;
    QTest::newRow("four times: ascending again") << 4 << QStringList{"Alpha: jan", "Alpha: Kees", "Alpha: Piet"}
                                                 << true;
}

void TestMainLists::callersClicks()
{
    QFETCH(int, clicks);
    QFETCH(bool, picture);
    WriteSettings();
    TfrmMain main(m_state->Folder());
    Poll(main, {CallerLine("c1", "Kees", "", 1), CallerLine("c2", "Piet", "", 2), CallerLine("c3", "jan", "", 3)});
    const QString announced = main.Monitor().NewCallersText;
    TListView &callers = List(main, "lvCallers");
    for (int i = 0; i < clicks; ++i)
        main.lvCallersColumnClick(0);
    QTEST(Captions(callers), "order");
    QCOMPARE(HasSortPicture(callers, 0), picture);
    QCOMPARE(HasSortPicture(List(main, "lvHistory"), 0), picture);
    // Rows and records still point at each other, and refilling announced nobody again.
    const TCallerRows &rows = main.Monitor().CallerRows();
    QCOMPARE(rows.RowCount(), 3);
    for (int i = 0; i < rows.RowCount(); ++i)
        QCOMPARE(rows.RowOf(rows.Record(i)->ListItem), i);
    QCOMPARE(main.Monitor().NewCallersText, announced);
}

void TestMainLists::startColumn()
{
    WriteSettings();
    TfrmMain main(m_state->Folder());
    Poll(main, {CallerLine("c1", "Laat", "01-02-2024 08:00:00", 20240201),
                CallerLine("c2", "Vroeg", "31-01-2024 23:00:00", 20240131)});
    main.lvCallersColumnClick(3);
    QCOMPARE(Captions(List(main, "lvCallers")), (QStringList{"Alpha: Vroeg", "Alpha: Laat"}));
}

void TestMainLists::sortedAfterPoll()
{
    WriteSettings();
    TfrmMain main(m_state->Folder());
    Poll(main, {CallerLine("c1", "Kees", "", 1), CallerLine("c2", "Piet", "", 2)});
    main.lvCallersColumnClick(0);
    main.lvCallersColumnClick(0);
    Poll(main, {CallerLine("c1", "Kees", "", 1), CallerLine("c2", "Piet", "", 2), CallerLine("c3", "Zoe", "", 3),
                CallerLine("c4", "Anna", "", 4)});
    QCOMPARE(Captions(List(main, "lvCallers")),
             (QStringList{"Alpha: Zoe", "Alpha: Piet", "Alpha: Kees", "Alpha: Anna"}));
}

void TestMainLists::pollPaintsCallersOnce()
{
    WriteSettings();
    TfrmMain main(m_state->Folder());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    Poll(main, {CallerLine("c1", "Kees", "", 1), CallerLine("c2", "Piet", "", 2), CallerLine("c3", "Jan", "", 3)});
    QCoreApplication::processEvents();
    TPaintCount paints(List(main, "lvCallers").viewport());
    // One caller leaves, one arrives, the others' times move: all of it in one paint.
    Poll(main, {CallerLine("c1", "Kees", "", 1).replace("|60|", "|65|"), CallerLine("c3", "Jan", "", 3),
                CallerLine("c4", "Zoe", "", 4)});
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(paints.Count, 1);
    QCOMPARE(Captions(List(main, "lvCallers")), (QStringList{"Alpha: Kees", "Alpha: Jan", "Alpha: Zoe"}));
}

void TestMainLists::totalsClicks_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QStringList>("order");
    // Minutes 10,90 (Een), 10,40 (Twee) and 5,00 (Drie): the first two tie and keep their order.
    QTest::newRow("minutes ascending") << 2 << 1 << QStringList{"Drie", "Een", "Twee"};
    QTest::newRow("minutes descending") << 2 << 2 << QStringList{"Een", "Twee", "Drie"};
    QTest::newRow("names ascending") << 0 << 1 << QStringList{"Drie", "Een", "Twee"};
    QTest::newRow("names descending") << 0 << 2 << QStringList{"Twee", "Een", "Drie"};
    QTest::newRow("names unsorted") << 0 << 3 << QStringList{"Een", "Twee", "Drie"};
}

void TestMainLists::totalsClicks()
{
    QFETCH(int, column);
    QFETCH(int, clicks);
    WriteSettings();
    TfrmMain main(m_state->Folder());
    Poll(main, {"$AA|0|1|1|654", "$BB|0|1|1|624", "$CC|0|1|1|300"});
    main.Monitor().UpdateTotalsView(false);
    TListView &totals = List(main, "lvTotals");
    QCOMPARE(Captions(totals), (QStringList{"Een", "Twee", "Drie"}));
    for (int i = 0; i < clicks; ++i)
        main.lvTotalsColumnClick(column);
    QTEST(Captions(totals), "order");
    const TTotalsRows &rows = main.Monitor().TotalsRows();
    QCOMPARE(rows.RowCount(), 3);
    for (int i = 0; i < rows.RowCount(); ++i)
        QCOMPARE(rows.RowOf(rows.Record(i)->ListItem), i);
}

void TestMainLists::copyTotals()
{
    WriteSettings();
    TfrmMain main(m_state->Folder());
    Poll(main, {"$AA|0|1|2|654", "$CC|0|1|1|300"});
    main.Monitor().UpdateTotalsView(false);
    main.lvTotalsColumnClick(0);
    main.mnuCopyClick();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->data("text/plain"), QByteArray("Programma\tBellers\tMinuten\tGemiddeld\r\n"
                                                  "Drie\t1\t5,00\t5,00\r\n"
                                                  "Een\t2\t10,90\t5,45\r\n"));
}

void TestMainLists::columnsFitTexts()
{
    WriteSettings();
    TfrmMain main(m_state->Folder());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    Poll(main, {CallerLine("c1", "Kees", "20261208 134500", 1), "$AA|0|1|1|600600"});
    main.Monitor().UpdateTotalsView(false);
    TListView &callers = List(main, "lvCallers");
    TListView &totals = List(main, "lvTotals");
    // Wide enough for the value and the cell's margins in the list's font, and never
    // below the set width.
    const auto fits = [](TListView &list, int column, int least) {
        const int text = list.fontMetrics().horizontalAdvance(list.Rows()->Text(0, column));
        return list.columnWidth(column) >= text + 6 && list.columnWidth(column) >= least;
    };
    QCOMPARE(callers.Rows()->Text(0, 3), QStringLiteral("08-12-2026 13:45:00"));
    QVERIFY(fits(callers, 3, 120));
    QVERIFY(fits(totals, 2, 60));
    // The programme names take the room the numbers leave.
    int numbers = 0;
    for (int c = 1; c < totals.header()->count(); ++c)
        numbers += totals.columnWidth(c);
    QCOMPARE(totals.columnWidth(0), totals.viewport()->width() - numbers);
    QVERIFY(totals.columnWidth(totals.header()->count() - 1) < totals.columnWidth(0));
}

void TestMainLists::chartChoices()
{
    WriteSettings("[chart]\r\nlabels=2\r\nitem=1\r\n[window]\r\nInfo=1\r\n");
    {
        TfrmMain main(m_state->Folder());
        auto *cbxChart = main.findChild<QComboBox *>("cbxChart");
        auto *cbxType = main.findChild<QComboBox *>("cbxType");
        QCOMPARE(cbxChart->currentText(), QStringLiteral("Procenten"));
        QCOMPARE(cbxType->currentText(), QStringLiteral("Toegang"));
        QCOMPARE(main.Monitor().ChartGrouping, 1);
        cbxType->setCurrentIndex(3);
        QCOMPARE(main.Monitor().ChartGrouping, 3);
        cbxChart->setCurrentIndex(5);
        // Where the panel has room, the choices take it rather than cut their texts.
        main.show();
        for (QTabWidget *tabs : main.findChildren<QTabWidget *>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->widget(i)->isAncestorOf(cbxChart))
                    tabs->setCurrentIndex(i);
            }
        }
        QTRY_VERIFY(cbxChart->isVisible());
        for (const QComboBox *combo : {cbxChart, cbxType})
            QVERIFY(combo->width() > combo->minimumSizeHint().width());
    }
    QFile file(m_state->FilePath("bvsettings.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY2(saved.contains("item=3\r\n"), saved.constData());
    QVERIFY2(saved.contains("labels=5\r\n"), saved.constData());
}

void TestMainLists::chartLabels_data()
{
    QTest::addColumn<int>("labels");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("later");
    // Een has 10,9 of 15,9 minutes, and at the next poll 21,8 of 26,8.
    QTest::newRow("Geen") << 0 << false << "Een" << "Een";
    QTest::newRow("Waarden") << 1 << true << "10,9" << "21,8";
    QTest::newRow("Procenten") << 2 << true << "68,55 %" << "81,34 %";
    QTest::newRow("Naam + waarde") << 5 << true << "Een 10,9" << "Een 21,8";
    QTest::newRow("Naam+procent+totaal") << 8 << true << "Een 68,55 % van 15,9" << "Een 81,34 % van 26,8";
}

void TestMainLists::chartLabels()
{
    QFETCH(int, labels);
    WriteSettings("[window]\r\ninfo=1\r\n[chart]\r\ntype=5\r\nlabels=" + QByteArray::number(labels) + "\r\n");
    TfrmMain main(m_state->Folder());
    auto *view = main.findChild<QChartView *>("chtTotals");
    QWidget *page = view->parentWidget();
    auto *tabs = qobject_cast<QTabWidget *>(page->parentWidget()->parentWidget());
    QVERIFY(tabs);
    tabs->setCurrentWidget(page);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // The classic size, wider than the test screen the window was fitted into.
    main.resize(864, 520);
    Poll(main, {"$AA|0|1|1|654", "$CC|0|1|1|300"});
    const auto series = view->chart()->series();
    QCOMPARE(series.size(), 1);
    auto *pie = qobject_cast<QPieSeries *>(series.first());
    QVERIFY(pie);
    QPieSlice *een = pie->slices().first();
    QTEST(een->isLabelVisible(), "visible");
    // Labels that do not fit on one line carry their figure on a second.
    QTEST(een->label().replace(QStringLiteral("<br>"), QStringLiteral(" ")), "text");
    // The legend keeps naming the programmes.
    QCOMPARE(view->chart()->legend()->markers(pie).first()->label(), QStringLiteral("Een"));
    // New minutes go into the same slice, and its label follows them.
    Poll(main, {"$AA|0|1|2|1308"});
    QCOMPARE(pie->slices().first(), een);
    QTEST(een->label().replace(QStringLiteral("<br>"), QStringLiteral(" ")), "later");

    // Names come from the service: markup in one is shown as it is.
    FindProg(QStringLiteral("AA"))->ProgName = QStringLiteral("<b>Een</b>");
    Poll(main, {"$AA|0|1|1|655", "$CC|0|1|1|300"});
    const auto shownAsItIs = [view] {
        const QList<QGraphicsItem *> items = view->scene()->items();
        return std::any_of(items.begin(), items.end(), [](QGraphicsItem *item) {
            const auto *text = dynamic_cast<QGraphicsTextItem *>(item);
            return text && text->toPlainText().startsWith(QLatin1String("<b>Een</b>"));
        });
    };
    QTRY_VERIFY(shownAsItIs());
}

void TestMainLists::chartTextsFit_data()
{
    QTest::addColumn<int>("grouping");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("countries");
    const char *groupings[] = {"programma", "toegang", "land"};
    const char *styles[] = {"lijn", "area", "point", "bar", "horizontal bar", "pie", "fast line"};
    for (int g = 0; g < 3; ++g) {
        for (int style = 0; style <= 6; ++style)
            QTest::addRow("%s, %s", groupings[g], styles[style]) << (g == 2 ? 3 : g) << style << 4;
    }
    for (const int style : {2, 3, 4})
        QTest::addRow("every country, %s", styles[style]) << 3 << style << CountryCount;
}

// Six programmes and four (or all) countries at the window's classic size: no text of the
// chart covers another, runs out of the chart or is cut short, but for names in a legend;
// every category is named; values show in the chosen style as whole numbers.
void TestMainLists::chartTextsFit()
{
    QFETCH(int, grouping);
    QFETCH(int, style);
    QFETCH(int, countries);
    const QStringList names{"Babbelbox Live", "Gouden Lijn", "Café Contact", "Datingverlies België",
                            "Nachtservice", "Spelletjeslijn Ü18"};
    // Shares of a day like the test service's: a few large programmes, a tail of small ones.
    const int shares[] = {40, 25, 15, 10, 7, 3};
    QStringList lines;
    for (int p = 0; p < names.size(); ++p) {
        AddTestProg(QStringLiteral("P%1").arg(p), names[p]);
        for (int country = 0; country < countries; ++country) {
            for (const int access : {0, 1, 2, 5})
                lines.append(QStringLiteral("$P%1|%2|%3|9|%4").arg(p).arg(country).arg(access).arg(
                    4300 * shares[p] / (1 + country * 3) / (1 + access)));
        }
    }
    WriteSettings("[window]\r\ninfo=1\r\n[chart]\r\nlabels=4\r\nitem=" + QByteArray::number(grouping)
                  + "\r\ntype=" + QByteArray::number(style) + "\r\n");
    TfrmMain main(m_state->Folder());
    auto *view = main.findChild<QChartView *>("chtTotals");
    qobject_cast<QTabWidget *>(view->parentWidget()->parentWidget()->parentWidget())->setCurrentWidget(view->parentWidget());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.resize(864, 520);
    Poll(main, lines);
    QCoreApplication::processEvents();
    QList<QGraphicsTextItem *> texts;
    const QList<QGraphicsItem *> items = view->scene()->items();
    for (QGraphicsItem *item : items) {
        auto *text = dynamic_cast<QGraphicsTextItem *>(item);
        if (text && text->isVisible() && !text->toPlainText().isEmpty())
            texts.append(text);
    }
    QVERIFY(texts.size() > 4);
    const QRectF chart = view->chart()->sceneBoundingRect();
    for (int i = 0; i < texts.size(); ++i) {
        const QString shown = texts[i]->toPlainText();
        const QRectF rect = texts[i]->sceneBoundingRect().adjusted(1, 1, -1, -1);
        QVERIFY2(chart.contains(rect), qPrintable(shown));
        QVERIFY2(!shown.endsWith(QStringLiteral("...")) || view->chart()->legend()->isAncestorOf(texts[i]),
                 qPrintable(shown));
        // Numbers in the Dutch form: "1.025" groups thousands, "57.6" is English.
        static const QRegularExpression english(QStringLiteral("\\d\\.(\\d{1,2}|\\d{4,})(?!\\d)"));
        QVERIFY2(!english.match(shown).hasMatch(), qPrintable(shown));
        for (int j = 0; j < i; ++j) {
            QVERIFY2(!rect.intersects(texts[j]->sceneBoundingRect().adjusted(1, 1, -1, -1)),
                     qPrintable(shown + QStringLiteral(" / ") + texts[j]->toPlainText()));
        }
    }
    // At the classic size a pie of programmes names them by their slices, as chosen.
    if (grouping == 0 && style == 5)
        QVERIFY(!view->chart()->legend()->isVisible());
    if (grouping != 3 || style == 5)
        return;
    // "Naam + procent": whole percentages ("23 %", not "23,4 %" or a bare value).
    static const QRegularExpression percent(QStringLiteral("^(\\S.* )?\\d+ %$"));
    QVERIFY(std::any_of(texts.begin(), texts.end(), [](auto *t) { return percent.match(t->toPlainText()).hasMatch(); }));
    for (const QGraphicsTextItem *text : texts)
        QVERIFY2(!text->toPlainText().contains(QRegularExpression(QStringLiteral("\\d,\\d"))), qPrintable(text->toPlainText()));
    for (int c = 0; c < countries; ++c) {
        const QString country = Countries()[c];
        const bool named = std::any_of(texts.begin(), texts.end(), [&](auto *t) {
            QString shown = t->toPlainText();
            return shown == country || (shown.endsWith(QChar(0x2026)) && country.startsWith(shown.chopped(1)));
        });
        QVERIFY2(named, qPrintable(country));
    }
}

void TestMainLists::versionOffer_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("quits");
    const QString ask = QStringLiteral("ask:Update|Er is een nieuwe versie beschikbaar!\nWilt u deze versie nu ophalen?");
    const QString open = QStringLiteral("open:http://www.belvora.example/update.php");
    QTest::newRow("newer, yes") << TLoopbackServer::HttpReply("1.2.0.5\r\n") << true << QStringList{ask, open} << 1;
    QTest::newRow("newer, no") << TLoopbackServer::HttpReply("1.2.0.5\r\n") << false << QStringList{ask} << 0;
    QTest::newRow("older") << TLoopbackServer::HttpReply("1.1.9.8\r\n") << true << QStringList{} << 0;
    QTest::newRow("not found") << TLoopbackServer::HttpReply("9.9.9.9", 404) << true << QStringList{} << 0;
}

void TestMainLists::versionOffer()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, answer);
    TLoopbackServer server;
    server.SetResponder([reply](const TRecordedRequest &) { return TServerAction::Reply(reply); });
    WriteSettings("versionurl=" + server.Url().toString().toLatin1() + "bvmonitor.ver\r\n");
    const QString ownVersion = AppVersion;
    AppVersion = QStringLiteral("1.1.9.9");
    m_platform->Recorder().Answer = answer;
    {
        TfrmMain main(m_state->Folder());
        QSignalSpy quit(&main, &TfrmMain::QuitRequested);
        main.CheckVersion();
        QTRY_COMPARE(server.Requests.size(), 1);
        // The answer is awaited without blocking, so give the reply a moment to arrive.
        QTest::qWait(200);
        QCOMPARE(server.Requests.first().Method, QByteArray("GET"));
        QCOMPARE(server.Requests.first().Path, QByteArray("/bvmonitor.ver"));
        QFETCH(QStringList, events);
        QTRY_COMPARE(m_platform->Events(), events);
        QTEST(int(quit.size()), "quits");
    }
    AppVersion = ownVersion;
}

QTEST_MAIN(TestMainLists)
#include "tst_mainlists.moc"
