#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <memory>
#include <vector>

#include "uCommandLine.h"
#include "uDataFolder.h"
#include "uDesktopPlatform.h"
#include "uDesktopSession.h"
#include "uMain.h"
#include "uQtDutch.h"
#include "uSignals.h"
#include "uSingleInstance.h"

namespace {

constexpr int Refused = 1;

QStringList GivenArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// A start that cannot go on says why where the user looks: from the menu or at login
// that is a message box, from a terminal also standard error. A signal closes the box.
int Refuse(const QString &text, TTerminationSignals &termination)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Belvora Webmaster Monitor"), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // Above the running one's main window, which may be on top and hung.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(&termination, &TTerminationSignals::Terminate, &box, &QDialog::reject);
    box.exec();
    return Refused;
}

} // namespace

int main(int argc, char *argv[])
{
    // --help, --version and --status need no display: a core application answers them.
    if (CommandLine::AsksForText(GivenArguments(argc, argv))) {
        QCoreApplication app(argc, argv);
        SetDesktopIdentity();
        InstallQtDutch();
        return CommandLine::Answer(QCoreApplication::arguments()).value_or(0);
    }

    QByteArrayList qtArguments = QtArguments(argc, argv);
    std::vector<char *> qtArgv;
    for (QByteArray &argument : qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = int(qtArguments.size());
    QApplication app(qtArgc, qtArgv.data());
    SetDesktopIdentity();
    InstallQtDutch();
    if (const std::optional<int> status = CommandLine::Answer(QApplication::arguments()))
        return *status;

    // Catch the signals before any window exists: one that arrives while the main window
    // is being built waits in the notifier's socket until the event loop runs.
    TTerminationSignals termination;
    const QString programDir = DefaultProgramDir();
    if (const QString foreign = ForeignEntry(programDir); !foreign.isEmpty()) {
        return Refuse(QStringLiteral("Belvora Webmaster Monitor start niet: %1 is van een andere gebruiker, kan door "
                                     "anderen gewijzigd worden of is een koppeling. Zo zou een ander het programma "
                                     "kunnen sturen. Ruim het op en start opnieuw.")
                          .arg(QDir::toNativeSeparators(foreign)),
                      termination);
    }
    TSingleInstance instance(programDir, PrivateRuntimeDir());
    if (!instance.TryBecomePrimary()) {
        if (instance.Ask(TSingleInstance::ShowRequest) == TSingleInstance::Done)
            return 0;
        return Refuse(QStringLiteral("Belvora Webmaster Monitor draait al met de map %1, maar antwoordt niet.")
                          .arg(QDir::toNativeSeparators(programDir)),
                      termination);
    }

    Platform::Install(std::make_unique<TDesktopPlatform>());

    int exitCode = 0;
    {
        TfrmMain frmMain(programDir);
        instance.Answer(TSingleInstance::ShowRequest, [&frmMain] {
            frmMain.Restore();
            return TSingleInstance::Done;
        });
        instance.Answer(TSingleInstance::StatusRequest, [&frmMain] { return StatusJson(frmMain.StatusSnapshot()); });
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
