// The floor program: a window with one 200-row list and one chart, refreshed every 5 s.
// The monitor's figures are read against it (tools/bvbench/measure).

#include <QApplication>
#include <QTimer>

#include "bFloor.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TFloorWindow window;
    int poll = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &window, [&] { window.Refresh(++poll); });
    timer.start(5000);
    window.show();
    return QApplication::exec();
}
