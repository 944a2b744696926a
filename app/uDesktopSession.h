#pragma once

#include <QByteArrayList>

// Before the application object exists: the arguments to give it. On a session that
// offers Wayland and X11 the program runs on X11 (through XWayland) unless the user chose
// a platform: only there may the small window place itself, keep itself on top and stay
// off the taskbar. The choice is an argument ("-platform xcb"), not QT_QPA_PLATFORM, so
// the programs a trigger or the shell starts inherit the environment as it was.
QByteArrayList QtArguments(int argc, char *argv[]);

// After it exists: the names the desktop matches against the installed files. Every
// window's WM_CLASS is the application name, which the desktop entry gives as
// StartupWMClass; the desktop file name is the Wayland app id and names the entry.
void SetDesktopIdentity();
