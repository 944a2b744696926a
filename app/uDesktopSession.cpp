#include "uDesktopSession.h"

#include <QGuiApplication>

QByteArrayList QtArguments(int argc, char *argv[])
{
    QByteArrayList arguments;
    bool chosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    for (int i = 0; i < argc; ++i) {
        arguments.append(argv[i]);
        chosen = chosen || arguments.last() == "-platform" || arguments.last() == "--platform";
    }
    if (!chosen && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        arguments << "-platform" << "xcb";
    return arguments;
}

void SetDesktopIdentity()
{
    QGuiApplication::setApplicationName(QStringLiteral(BV_EXECUTABLE));
    QGuiApplication::setApplicationVersion(QStringLiteral(BV_APP_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(BV_APP_ID));
}
