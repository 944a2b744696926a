#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "uDayStore.h"
#include "uHistory.h"
#include "uHistoryBox.h"

namespace {

void SendMouse(QWidget &box, QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF at(x, 5);
    QMouseEvent event(type, at, box.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &event);
}

void Drag(QWidget &box, int fromX, int toX, Qt::MouseButton button)
{
    SendMouse(box, QEvent::MouseButtonPress, fromX, button, button);
    SendMouse(box, QEvent::MouseMove, toX, Qt::NoButton, button);
    SendMouse(box, QEvent::MouseButtonRelease, toX, button, Qt::NoButton);
}

QImage Shown(QWidget &box)
{
    return box.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// What the graph paints into a view of this size.
QImage Painted(THistoryGraph &graph, const QSize &size)
{
    QImage view(size, QImage::Format_RGB32);
    QPainter painter(&view);
    graph.Paint(painter, view.rect());
    return view;
}

} // namespace

class TestHistoryBox final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void showsAndDragsTheGraph();
    void followsItsSize();
    void oneBoxAtATime();

private:
    std::optional<TProcessState> m_state;
};

void TestHistoryBox::init()
{
    m_state.emplace(QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
}

void TestHistoryBox::cleanup()
{
    m_state.reset();
}

void TestHistoryBox::showsAndDragsTheGraph()
{
    TDayStore store;
    THistoryGraph graph(store);
    THistoryBox box;
    box.resize(400, 48);
    box.ShowGraph(&graph);
    const QImage placed = Shown(box);
    QCOMPARE(placed, Painted(graph, box.size()));

    Drag(box, 200, 100, Qt::RightButton);
    QCOMPARE(Shown(box), placed);
    Drag(box, 200, 100, Qt::LeftButton);
    const QImage later = Shown(box);
    QVERIFY(later != placed);
    QCOMPARE(later, Painted(graph, box.size()));
    // A double click goes on to the parent and starts no drag.
    SendMouse(box, QEvent::MouseButtonDblClick, 100, Qt::LeftButton, Qt::LeftButton);
    SendMouse(box, QEvent::MouseMove, 300, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(Shown(box), later);
}

void TestHistoryBox::followsItsSize()
{
    TDayStore store;
    THistoryGraph graph(store);
    THistoryBox box;
    box.resize(400, 48);
    box.ShowGraph(&graph);
    // Hidden widgets receive their resize events only when shown.
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.resize(500, 80);
    const QImage view = Shown(box);
    QCOMPARE(view.size(), QSize(500, 80));
    QCOMPARE(view, Painted(graph, box.size()));
    // 80 pixels label in the normal font: the plot ends above row 70.
    QCOMPARE(view.pixelColor(250, 70) == THistoryGraph::PlotColor, false);
}

void TestHistoryBox::oneBoxAtATime()
{
    TDayStore store;
    THistoryGraph graph(store);
    QSignalSpy detached(&graph, &THistoryGraph::Detached);
    THistoryBox strip;
    strip.resize(400, 48);
    auto mini = std::make_unique<THistoryBox>();
    mini->resize(34, 18);
    strip.ShowGraph(&graph);
    mini->ShowGraph(&graph);
    QCOMPARE(detached.count(), 1);
    const QImage shown = Shown(*mini);
    QCOMPARE(shown, Painted(graph, mini->size()));
    // The strip let go: dragging it moves nothing.
    Drag(strip, 200, 100, Qt::LeftButton);
    QCOMPARE(Shown(*mini), shown);
    // A box that goes away takes the graph out of view with it.
    mini.reset();
    QCOMPARE(detached.count(), 2);
    strip.ShowGraph(&graph);
    strip.ShowGraph(nullptr);
    QCOMPARE(detached.count(), 3);
}

QTEST_MAIN(TestHistoryBox)
#include "tst_historybox.moc"
