#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "tRecordingPlatform.h"
#include "uAnalogNumber.h"
#include "uBig.h"
#include "uClock.h"
#include "uGlobal.h"
#include "uHistory.h"
#include "uMain.h"
#include "uHistoryBox.h"
#include "uMonitor.h"
#include "uNoDrawPanel.h"
#include "uScreenFit.h"
#include "uSettings.h"
#include "uSmall.h"

namespace {

QString CallerLine(const QString &id, const QString &name)
{
    return QStringLiteral("+AB|%1|%2|0|11|22|1|0612345678|20261208 101500|30|1765188900|promo|10.0.0.1").arg(id, name);
}

// A callers reply with `count` callers online, as if the last poll brought it.
void Feed(TfrmMain &main, int count)
{
    QStringList reply{QStringLiteral("103")};
    for (int i = 0; i < count; ++i)
        reply << CallerLine(QStringLiteral("c%1").arg(i), QStringLiteral("Beller%1").arg(i));
    main.Monitor().PollTime = Clock::LocalSecondsNow();
    main.Monitor().ProcessCallersReply(reply);
}

TAnalogNumber *MainCounter(TfrmMain &main, const QString &hint)
{
    for (TAnalogNumber *counter : main.findChildren<TAnalogNumber *>())
        if (counter->toolTip() == hint)
            return counter;
    return nullptr;
}

void AddPayoutRule()
{
    PayoutRules.push_back(std::make_unique<TPayoutRule>());
}

// Whether the box shows the day graph: with time labels the top row is background above
// the plot; without them every 5-minute mark runs the whole height.
bool ShowsDayGraph(QWidget *box, bool labels)
{
    const QImage view = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    bool fullHeightMark = false;
    for (int x = 0; x < view.width() && !fullHeightMark; ++x) {
        fullHeightMark = true;
        for (int y = 0; y < view.height(); ++y)
            fullHeightMark = fullHeightMark && view.pixelColor(x, y) == THistoryGraph::AxisColor;
    }
    if (!labels)
        return fullHeightMark;
    const QColor background = QGuiApplication::palette().color(QPalette::Button);
    for (int x = 0; x < view.width(); ++x) {
        if (view.pixelColor(x, 0) != background)
            return false;
    }
    return !fullHeightMark;
}

QRect WorkArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void SendMouse(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    const QPoint global = target->mapToGlobal(local);
    QMouseEvent event(type, QPointF(local), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

// The small and big counter windows: when the main window makes them, where they stand,
// which counters the monitor feeds, and what closing them stores.
class TestCounterWindows final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void minimiseOpensSmallWindow();
    void closingSmallWindowRestores();
    void noMiniLeavesNoSmallWindow();
    void smallEuroLayout_data();
    void smallEuroLayout();
    void smallWindowPresses_data();
    void smallWindowPresses();
    void smallWindowInsideScreen_data();
    void smallWindowInsideScreen();
    void keptInside_data();
    void keptInside();
    void snapping_data();
    void snapping();
    void dragSnapsToEdge();
    void maximiseOpensBigWindow_data();
    void maximiseOpensBigWindow();
    void closingBigWindowStoresPlace();
    void bigWidthSharing_data();
    void bigWidthSharing();
    void trayClickOrder_data();
    void trayClickOrder();
    void tickWithSmallWindow();

private:
    std::unique_ptr<TfrmMain> MakeMain(const QByteArray &window);
    TfrmSmall *Minimise(TfrmMain &main);
    TfrmBig *Maximise(TfrmMain &main);

    std::optional<TProcessState> m_state;
    std::unique_ptr<TRecordingPlatformGuard> m_platform;
};

void TestCounterWindows::init()
{
    m_state.emplace();
    m_platform = std::make_unique<TRecordingPlatformGuard>();
}

void TestCounterWindows::cleanup()
{
    m_platform.reset();
    m_state.reset();
}

std::unique_ptr<TfrmMain> TestCounterWindows::MakeMain(const QByteArray &window)
{
    QFile file(m_state->FilePath("bvsettings.ini"));
    if (!file.open(QIODevice::WriteOnly))
        return nullptr;
    // A version check that fails at once instead of asking the network.
    file.write("[settings]\r\nversionurl=http://127.0.0.1:1/bvmonitor.ver\r\n"
               "[window]\r\nmainFG=0\r\n" + window);
    file.close();
    auto main = std::make_unique<TfrmMain>(m_state->Folder());
    main->show();
    if (!QTest::qWaitForWindowExposed(main.get()))
        return nullptr;
    return main;
}

TfrmSmall *TestCounterWindows::Minimise(TfrmMain &main)
{
    main.showMinimized();
    if (!QTest::qWaitFor([&] { return main.SmallWindow() != nullptr; }))
        return nullptr;
    return main.SmallWindow();
}

TfrmBig *TestCounterWindows::Maximise(TfrmMain &main)
{
    main.showMaximized();
    if (!QTest::qWaitFor([&] { return main.BigWindow() != nullptr; }))
        return nullptr;
    return main.BigWindow();
}

void TestCounterWindows::minimiseOpensSmallWindow()
{
    auto main = MakeMain("smallX=120\r\nsmallY=40\r\n");
    QVERIFY(main);
    Feed(*main, 1);
    TfrmSmall *small = Minimise(*main);
    QVERIFY(small);
    QVERIFY(small->isVisible());
    QVERIFY(!main->isVisible());
    QCOMPARE(small->pos(), QPoint(120, 40));
    // The figures of the last poll show at once, not only after the next one.
    QCOMPARE(small->anOnline->Value(), 1);
    QVERIFY(ShowsDayGraph(small->pbMiniGraph, false));

    Feed(*main, 2);
    QCOMPARE(small->anOnline->NextValue(), 2);
    QCOMPARE(MainCounter(*main, "Online bellers")->NextValue(), 1);
}

void TestCounterWindows::closingSmallWindowRestores()
{
    auto main = MakeMain("");
    QVERIFY(main);
    QPointer<TfrmSmall> small = Minimise(*main);
    QVERIFY(small);
    small->move(200, 70);
    small->close();
    QCOMPARE(Settings.SmallPos, QPoint(200, 70));
    QTRY_VERIFY(main->isVisible());
    QTRY_VERIFY(!small);
    QVERIFY(!main->SmallWindow());
    QVERIFY(!main->isMinimized());
    QVERIFY(ShowsDayGraph(main->findChild<QWidget *>(QStringLiteral("pbHistory")), true));

    Feed(*main, 3);
    QCOMPARE(MainCounter(*main, "Online bellers")->NextValue(), 3);

    // The place stored is the place of the next small window.
    small = Minimise(*main);
    QVERIFY(small);
    QCOMPARE(small->pos(), QPoint(200, 70));
}

void TestCounterWindows::noMiniLeavesNoSmallWindow()
{
    auto main = MakeMain("NoMini=1\r\n");
    QVERIFY(main);
    QVERIFY(Settings.NoMini);
    main->showMinimized();
    QTest::qWait(50);
    QVERIFY(!main->SmallWindow());
    // No tray here: hiding would leave no way back, so the window stays minimised.
    QVERIFY(main->isVisible());
    QVERIFY(main->isMinimized());
    QVERIFY(!main->HiddenToTray());
}

void TestCounterWindows::smallEuroLayout_data()
{
    QTest::addColumn<bool>("rules");
    QTest::addColumn<int>("calls");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("graphX");
    QTest::newRow("payout rules") << true << 0 << QSize(500, 30) << 392;
    QTest::newRow("no payout rules") << false << 0 << QSize(410, 30) << 300;
    // Five digits where four were laid out: one cell more, and all right of it moves on.
    QTest::newRow("calls past 9999") << true << 16568 << QSize(514, 30) << 406;
}

void TestCounterWindows::smallEuroLayout()
{
    QFETCH(bool, rules);
    QFETCH(int, calls);
    auto main = MakeMain("");
    QVERIFY(main);
    if (rules)
        AddPayoutRule();
    TfrmSmall *small = Minimise(*main);
    QVERIFY(small);
    small->anCalls->SetNextValue(calls);
    QTEST(small->size(), "size");
    QTEST(small->pbMiniGraph->x(), "graphX");
    QCOMPARE(small->anCalls->geometry().right() < small->pbCountdown->x(), true);
    // Wherever it grew, the strip stays within the screen.
    QVERIFY(WorkArea().contains(small->frameGeometry()));
    QCOMPARE(small->anEuros->isVisible(), rules);
    QCOMPARE(small->im2->isVisible(), rules);
    QCOMPARE(small->im1->isVisible(), !rules);
    QCOMPARE((rules ? small->im2 : small->im1)->pixmap().size(), small->size());
}

void TestCounterWindows::smallWindowPresses_data()
{
    QTest::addColumn<bool>("rules");
    QTest::addColumn<int>("x");
    QTest::addColumn<bool>("closes");
    QTest::newRow("close band") << false << 11 << true;
    QTest::newRow("drag band start") << false << 12 << false;
    QTest::newRow("on a counter") << false << 60 << false;
    QTest::newRow("just left of the graph") << false << 299 << false;
    QTest::newRow("on the graph") << false << 310 << false;
    QTest::newRow("right of the graph") << false << 380 << true;
    QTest::newRow("euro counter, with rules") << true << 330 << false;
    QTest::newRow("right of the graph, with rules") << true << 450 << true;
}

void TestCounterWindows::smallWindowPresses()
{
    QFETCH(bool, rules);
    QFETCH(int, x);
    QFETCH(bool, closes);
    if (rules)
        AddPayoutRule();
    TfrmSmall small(MakeDigitPicture());
    small.setAttribute(Qt::WA_DeleteOnClose, false);
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    QWidget *target = small.childAt(x, 15);
    if (!target)
        target = &small;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&small, QPoint(x, 15)));
    QCOMPARE(small.isVisible(), !closes);
}

void TestCounterWindows::snapping_data()
{
    QTest::addColumn<QPoint>("wanted");
    QTest::addColumn<QPoint>("placed");
    // Work area 0, 0, 1000 x 700; the window is 410 x 30.
    QTest::newRow("free") << QPoint(300, 300) << QPoint(300, 300);
    QTest::newRow("50 from the left") << QPoint(50, 300) << QPoint(0, 300);
    QTest::newRow("51 from the left") << QPoint(51, 300) << QPoint(51, 300);
    QTest::newRow("past the left") << QPoint(-30, 300) << QPoint(0, 300);
    QTest::newRow("50 from the top") << QPoint(300, 50) << QPoint(300, 0);
    QTest::newRow("51 from the top") << QPoint(300, 51) << QPoint(300, 51);
    QTest::newRow("50 from the right") << QPoint(540, 300) << QPoint(590, 300);
    QTest::newRow("51 from the right") << QPoint(539, 300) << QPoint(539, 300);
    QTest::newRow("50 from the bottom") << QPoint(300, 620) << QPoint(300, 670);
    QTest::newRow("51 from the bottom") << QPoint(300, 619) << QPoint(300, 619);
    QTest::newRow("corner") << QPoint(580, 660) << QPoint(590, 670);
}

void TestCounterWindows::smallWindowInsideScreen_data()
{
    QTest::addColumn<QByteArray>("window");
    // The default place is the screen's width less 410: the strip with euros is 500 wide.
    QTest::newRow("default place, payout rule") << QByteArray();
    QTest::newRow("saved beyond the screen") << QByteArray("smallX=9000\r\nsmallY=-400\r\n");
}

void TestCounterWindows::smallWindowInsideScreen()
{
    QFETCH(QByteArray, window);
    auto main = MakeMain(window);
    QVERIFY(main);
    AddPayoutRule();
    TfrmSmall *small = Minimise(*main);
    QVERIFY(small);
    QVERIFY2(WorkArea().contains(small->frameGeometry()),
             qPrintable(QStringLiteral("%1,%2").arg(small->x()).arg(small->width())));
}

void TestCounterWindows::keptInside_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("placed");
    // A 1366 x 768 screen with a panel of 30 at the bottom.
    QTest::newRow("payout strip at the default place") << QRect(956, 0, 500, 30) << QPoint(866, 0);
    QTest::newRow("inside") << QRect(100, 200, 500, 30) << QPoint(100, 200);
    QTest::newRow("above and left") << QRect(-50, -10, 500, 30) << QPoint(0, 0);
    QTest::newRow("below the panel") << QRect(10, 730, 500, 30) << QPoint(10, 708);
    QTest::newRow("larger than the screen") << QRect(300, 300, 2000, 900) << QPoint(0, 0);
}

void TestCounterWindows::keptInside()
{
    QFETCH(QRect, frame);
    QTEST(TScreenFit::Inside(frame, QRect(0, 0, 1366, 738)), "placed");
}

void TestCounterWindows::snapping()
{
    QFETCH(QPoint, wanted);
    QTEST(TfrmSmall::SnapToEdges(QRect(wanted, QSize(410, 30)), QRect(0, 0, 1000, 700)), "placed");
}

void TestCounterWindows::dragSnapsToEdge()
{
    const QRect area = WorkArea();
    TfrmSmall small(MakeDigitPicture());
    small.setAttribute(Qt::WA_DeleteOnClose, false);
    small.move(area.left() + 200, area.top() + 200);
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    SendMouse(&small, QEvent::MouseButtonPress, QPoint(100, 15), Qt::LeftButton);
    // 40 pixels from the left edge: sticks to it; 60 from the top: stays.
    SendMouse(&small, QEvent::MouseMove, QPoint(100 - 160, 15 - 140), Qt::LeftButton);
    QCOMPARE(small.pos(), QPoint(area.left(), area.top() + 60));
    SendMouse(&small, QEvent::MouseButtonRelease, QPoint(100, 15), Qt::NoButton);
    QVERIFY(small.isVisible());
}

void TestCounterWindows::maximiseOpensBigWindow_data()
{
    QTest::addColumn<QByteArray>("window");
    // Width or height 0: that of the work area; x or y -1: against the far edge of it.
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("calls");
    QTest::addColumn<bool>("minutes");
    QTest::newRow("fits") << QByteArray("largeX=10\r\nlargeY=20\r\nlargeW=500\r\nlargeH=150\r\n")
                          << QRect(10, 20, 500, 150) << true << true << true;
    QTest::newRow("larger than the screen")
        << QByteArray("largeX=0\r\nlargeY=0\r\nlargeW=9000\r\nlargeH=7000\r\nonline=0\r\n") << QRect(0, 0, 0, 0)
        << false << true << true;
    QTest::newRow("placed off the screen") << QByteArray("largeX=9000\r\nlargeY=9000\r\nlargeW=300\r\nlargeH=100\r\n")
                                           << QRect(-1, -1, 300, 100) << true << true << true;
    QTest::newRow("only minutes") << QByteArray("largeW=300\r\nlargeH=100\r\nonline=0\r\ncalls=0\r\n")
                                  << QRect(0, 0, 300, 100) << false << false << true;
}

void TestCounterWindows::maximiseOpensBigWindow()
{
    QFETCH(QByteArray, window);
    QFETCH(QRect, expected);
    auto main = MakeMain(window);
    QVERIFY(main);
    Feed(*main, 2);
    TfrmBig *big = Maximise(*main);
    QVERIFY(big);
    QVERIFY(big->isVisible());
    QVERIFY(!main->isVisible());
    // The frame, where the window system draws one, stands inside the work area too.
    const QRect area = WorkArea();
    const QSize frame = big->frameGeometry().size() - big->size();
    const int width = expected.width() ? expected.width() : area.width() - frame.width();
    const int height = expected.height() ? expected.height() : area.height() - frame.height();
    QCOMPARE(big->size(), QSize(width, height));
    const int x = expected.x() < 0 ? area.left() + area.width() - width - frame.width() : expected.x();
    const int y = expected.y() < 0 ? area.top() + area.height() - height - frame.height() : expected.y();
    QCOMPARE(big->pos(), QPoint(x, y));
    QTEST(!big->pnOnline->isHidden(), "online");
    QTEST(!big->pnCalls->isHidden(), "calls");
    QTEST(!big->pnMin->isHidden(), "minutes");
    QVERIFY(big->pnEuro->isHidden());
    QCOMPARE(big->windowTitle(), QStringLiteral("Belvora Webmaster Monitor"));
    QCOMPARE(big->anOnline->Value(), 2);
    Feed(*main, 1);
    QCOMPARE(big->anOnline->NextValue(), 1);
    QCOMPARE(MainCounter(*main, "Online bellers")->NextValue(), 2);
}

void TestCounterWindows::closingBigWindowStoresPlace()
{
    auto main = MakeMain("largeX=30\r\nlargeY=40\r\nlargeW=600\r\nlargeH=120\r\n");
    QVERIFY(main);
    AddPayoutRule();
    QPointer<TfrmBig> big = Maximise(*main);
    QVERIFY(big);
    QVERIFY(!big->pnEuro->isHidden());
    big->Panel6DblClick();
    QVERIFY(big->pnCalls->isHidden());
    big->move(50, 60);
    big->resize(520, 110);
    big->close();
    QVERIFY(!Settings.ShowCalls);
    QVERIFY(Settings.ShowOnline);
    QVERIFY(Settings.ShowMinutes);
    QCOMPARE(Settings.LargePos, QPoint(50, 60));
    QCOMPARE(Settings.LargeW, 520);
    QCOMPARE(Settings.LargeH, 110);
    QTRY_VERIFY(main->isVisible());
    QTRY_VERIFY(!big);
    QVERIFY(ShowsDayGraph(main->findChild<QWidget *>(QStringLiteral("pbHistory")), true));

    big = Maximise(*main);
    QVERIFY(big);
    QVERIFY(big->pnCalls->isHidden());
    QCOMPARE(big->pos(), QPoint(50, 60));
    QCOMPARE(big->size(), QSize(520, 110));
}

void TestCounterWindows::bigWidthSharing_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("calls");
    QTest::addColumn<bool>("minutes");
    QTest::addColumn<bool>("euros");
    QTest::addColumn<bool>("reshowOnline");
    QTest::addColumn<QList<int>>("widths");   // online, calls, minutes, euros
    QTest::newRow("all four") << 204 << true << true << true << true << false << QList<int>{18, 36, 72, 41};
    QTest::newRow("only minutes") << 100 << false << false << true << false << false << QList<int>{20, 40, 80, 46};
    QTest::newRow("no euros") << 684 << true << true << true << false << false << QList<int>{94, 188, 376, 231};
    // Shares made without the online panel are made anew when it comes back.
    QTest::newRow("online back") << 684 << false << true << true << false << true << QList<int>{94, 188, 376, 231};
}

void TestCounterWindows::bigWidthSharing()
{
    QFETCH(int, width);
    QFETCH(bool, online);
    QFETCH(bool, calls);
    QFETCH(bool, minutes);
    QFETCH(bool, euros);
    QFETCH(QList<int>, widths);
    if (euros)
        AddPayoutRule();
    TfrmBig big;
    big.setAttribute(Qt::WA_DeleteOnClose, false);
    big.pnOnline->setVisible(online);
    big.pnCalls->setVisible(calls);
    big.pnMin->setVisible(minutes);
    big.show();
    QVERIFY(QTest::qWaitForWindowExposed(&big));
    big.resize(width, 117);
    QTRY_COMPARE(big.width(), width);
    QFETCH(bool, reshowOnline);
    if (reshowOnline)
        big.Panel5DblClick();
    QCOMPARE(big.pnOnline->width(), widths[0]);
    QCOMPARE(big.pnCalls->width(), widths[1]);
    QCOMPARE(big.pnMin->width(), widths[2]);
    QCOMPARE(big.pnEuro->width(), widths[3]);
    // Visible parts stand side by side from the left edge over the full height.
    int x = 0;
    for (QWidget *part : {big.pnOnline, big.Panel5, big.pnCalls, big.Panel6, big.pnMin, big.Panel7, big.pnEuro}) {
        if (part->isHidden())
            continue;
        QCOMPARE(part->x(), x);
        QCOMPARE(part->height(), 117);
        x += part->width();
    }
}

void TestCounterWindows::trayClickOrder_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("after");
    QTest::newRow("small window") << "small" << "restored";
    QTest::newRow("big window") << "big" << "restored";
    QTest::newRow("main window hidden") << "hidden" << "restored";
    QTest::newRow("main window shown") << "shown" << "small";
}

void TestCounterWindows::trayClickOrder()
{
    QFETCH(QString, state);
    QFETCH(QString, after);
    auto main = MakeMain("");
    QVERIFY(main);
    if (state == "small")
        QVERIFY(Minimise(*main));
    else if (state == "big")
        QVERIFY(Maximise(*main));
    else if (state == "hidden")
        main->hide();
    main->TrayActivated();
    if (after == "restored") {
        QTRY_VERIFY(main->isVisible());
        QTRY_VERIFY(!main->SmallWindow() && !main->BigWindow());
        QVERIFY(!main->isMinimized());
        QVERIFY(!main->isMaximized());
    } else {
        QTRY_VERIFY(main->SmallWindow());
        QVERIFY(!main->isVisible());
    }
}

void TestCounterWindows::tickWithSmallWindow()
{
    auto main = MakeMain("BalloonTips=1\r\n");
    QVERIFY(main);
    TfrmSmall *small = Minimise(*main);
    QVERIFY(small);
    small->SetCountdownInterval(1);
    QTRY_VERIFY(small->CountdownFrame() != 0);
    small->tiCountdown.stop();
    Feed(*main, 1);
    QVERIFY(!main->Monitor().NewCallersText.isEmpty());
    m_platform->Events().clear();
    // An outstanding poll: the tick starts no request of its own.
    main->Monitor().Busy = true;
    main->tiUpdateTimer();
    QCOMPARE(small->CountdownFrame(), 0);
    QCOMPARE(m_platform->Events(),
             QStringList{"balloon:Inbellers|" + main->Monitor().NewCallersText + "|2500"});
}

QTEST_MAIN(TestCounterWindows)
#include "tst_counterwindows.moc"
