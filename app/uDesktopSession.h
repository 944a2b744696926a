#pragma once

// Before the application object exists: on a session that offers Wayland and X11, run
// on X11 (through XWayland) unless the user chose a platform. Only there may the small
// window place itself, keep itself on top and stay off the taskbar.
void ChooseQtPlatform();

// After it exists: the names the desktop matches against the installed files. Every
// window's WM_CLASS is the application name, which the desktop entry gives as
// StartupWMClass; the desktop file name is the Wayland app id and names the entry.
void SetDesktopIdentity();
