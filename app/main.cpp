#include <QApplication>

#include <memory>

#include "uDesktopPlatform.h"
#include "uMain.h"
#include "uSignals.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Belvora Webmaster Monitor"));
    QApplication::setApplicationVersion(QStringLiteral(BV_APP_VERSION));

    Platform::Install(std::make_unique<TDesktopPlatform>());

    int exitCode = 0;
    {
        TfrmMain frmMain;
        TTerminationSignals termination;
        QObject::connect(&termination, &TTerminationSignals::Terminate, &frmMain, [&frmMain] {
            frmMain.close();
            QApplication::quit();
        });
        frmMain.show();
        exitCode = QApplication::exec();
    }
    Platform::Install(nullptr);
    return exitCode;
}
