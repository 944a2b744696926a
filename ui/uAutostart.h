#pragma once

#include <QCoreApplication>
#include <QString>

// Start at login through an XDG autostart entry, $XDG_CONFIG_HOME/autostart/<id>.desktop.
// The file is the setting: whether it exists is whether the program starts at login, and
// nothing about it goes into the settings file.
QString AutostartFilePath();
bool AutostartEnabled();
// Writes the entry, pointing at `program`, or removes it; false (and logged) on failure.
bool SetAutostart(bool enabled, const QString &program = QCoreApplication::applicationFilePath());

