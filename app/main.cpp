#include <QApplication>

#include <cstdio>
#include <memory>

#include "uDataFolder.h"
#include "uDesktopPlatform.h"
#include "uDesktopSession.h"
#include "uMain.h"
#include "uQtDutch.h"
#include "uSignals.h"
#include "uSingleInstance.h"

int main(int argc, char *argv[])
{
    ChooseQtPlatform();
    QApplication app(argc, argv);
    SetDesktopIdentity();
    QApplication::setApplicationVersion(QStringLiteral(BV_APP_VERSION));
    InstallQtDutch();

    const QString programDir = DefaultProgramDir();
    TSingleInstance instance(programDir);
    if (!instance.IsPrimary()) {
        if (instance.AskPrimaryToShow())
            return 0;
        std::fprintf(stderr, "Belvora Webmaster Monitor draait al met de map %s, maar antwoordt niet.\n",
                     qPrintable(programDir));
        return 1;
    }

    Platform::Install(std::make_unique<TDesktopPlatform>());

    int exitCode = 0;
    {
        // Catch the signals before the window exists: one that arrives while it is being
        // built waits in the notifier's socket until the event loop runs.
        TTerminationSignals termination;
        TfrmMain frmMain(programDir);
        QObject::connect(&instance, &TSingleInstance::ShowRequested, &frmMain, &TfrmMain::Restore);
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
