// The floor program: the monitor's visible work done the plain Qt way, fed by the same
// service. The monitor's figures are read against it (tools/bvbench/measure).
// Usage: bvfloor [--roll] URL [KEY [PASSWORD]]; --roll rolls the counters as the monitor does.

#include <QApplication>
#include <QTimer>
#include <QUrl>

#include <cstdio>

#include "bFloor.h"
#include "bFloorLink.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    const bool roll = args.removeAll(QStringLiteral("--roll")) > 0;
    const QUrl url(args.value(1));
    if (!url.isValid() || url.scheme() != u"http") {
        std::fprintf(stderr, "Usage: bvfloor [--roll] URL [KEY [PASSWORD]]\n");
        return 2;
    }
    TFloorLink link(url, args.value(2, QStringLiteral("DEMO-KEY-0001")).toLatin1(),
                    args.value(3, QStringLiteral("demo")).toLatin1());
    TFloorWindow window(roll);
    const auto poll = [&] {
        window.RestartCountdown();
        link.Post("c=103", [&](const QString &reply) { window.ShowCallers(reply); });
    };
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &window, poll);
    // Names first, then the callers at once and at every tick, as the monitor starts.
    link.Post("c=106", [&](const QString &reply) {
        window.SetProgrammes(reply);
        poll();
        timer.start(TFloorWindow::PollMs);
    });
    window.show();
    return QApplication::exec();
}
