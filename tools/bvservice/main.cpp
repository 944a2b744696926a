// bvservice: a stand-in for the provider's endpoint, for tests and demos.

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include "uHttpServer.h"
#include "uService.h"
#include "uServiceOptions.h"
#include "uSignalWatcher.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bvservice"));

    TServiceOptions options;
    if (const std::optional<int> exitCode = ParseServiceOptions(QCoreApplication::arguments(), options))
        return *exitCode;

    TService service(options);
    THttpServer server([&service](const THttpRequest &request) { return service.Handle(request); });
    if (!server.Listen(options.Port)) {
        QTextStream(stderr) << "bvservice: cannot listen on port " << options.Port << ": " << server.ErrorString() << "\n";
        return 1;
    }

    TSignalWatcher stopSignals;
    QObject::connect(&stopSignals, &TSignalWatcher::Stop, &app, [&server] {
        server.Close();
        QCoreApplication::quit();
    });

    QTextStream(stderr) << "bvservice: key " << options.Key << ", seed " << service.Seed() << "\n";
    // Scripts wait for this one line.
    QTextStream(stdout) << "Listening on http://127.0.0.1:" << server.Port() << "/" << Qt::endl;
    return app.exec();
}
