#pragma once

#include <QCoreApplication>
#include <QString>

// Start at login through an XDG autostart entry, $XDG_CONFIG_HOME/autostart/<id>.desktop.
// The file is the setting: it is on when the file exists and the session would start it
// (no "Hidden=true", no "X-GNOME-Autostart-enabled=false"), and nothing about it goes
// into the settings file.
QString AutostartFilePath();
bool AutostartEnabled();
// The path the entry can start `program` by: itself, or where a percent sign in it would
// keep the session from finding it, the same program on the PATH; empty when there is none.
QString AutostartProgram(const QString &program);
// Writes the entry, pointing at `program`, or removes it; false (and logged) on failure.
bool SetAutostart(bool enabled, const QString &program = QCoreApplication::applicationFilePath());
