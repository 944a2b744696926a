#include <QApplication>

#include <memory>

#include "uDesktopPlatform.h"
#include "uMain.h"
#include "uQtDutch.h"
#include "uSignals.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Belvora Webmaster Monitor"));
    QApplication::setApplicationVersion(QStringLiteral(BV_APP_VERSION));
    InstallQtDutch();

    Platform::Install(std::make_unique<TDesktopPlatform>());

    int exitCode = 0;
    {
        // Catch the signals before the window exists: one that arrives while it is being
        // built waits in the notifier's socket until the event loop runs.
        TTerminationSignals termination;
        TfrmMain frmMain;
        // A signal, a "QUIT" server message and a fatal service reply all end the run as
        // if the window were closed: stop polling, sign off, then save on destruction.
        const auto endRun = [&frmMain] {
            frmMain.close();
            QApplication::quit();
        };
        QObject::connect(&termination, &TTerminationSignals::Terminate, &frmMain, endRun);
        QObject::connect(&frmMain, &TfrmMain::QuitRequested, &frmMain, endRun, Qt::QueuedConnection);
        frmMain.show();
        exitCode = QApplication::exec();
    }
    Platform::Install(nullptr);
    return exitCode;
}
