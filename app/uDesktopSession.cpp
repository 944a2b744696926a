#include "uDesktopSession.h"

#include <QGuiApplication>

void ChooseQtPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void SetDesktopIdentity()
{
    QGuiApplication::setApplicationName(QStringLiteral(BV_EXECUTABLE));
    QGuiApplication::setDesktopFileName(QStringLiteral(BV_APP_ID));
}
