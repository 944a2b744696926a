#pragma once

#include <QString>

// Where the settings file, History/ and Bitmaps/ live. A portable copy (a writable
// folder that is not an installation, as the demo makes) keeps them next to itself; an
// installed program, or one in a folder it cannot write, keeps them in the user's data
// folder, which it creates readable by the user alone.
QString DefaultProgramDir();

// The same choice for a program in `executableDir`, with `userDataDir` as the user's
// data folder. An installation is told by its desktop entry, which lies where the install
// rules put it: root can write to /usr/bin and a user to ~/.local/bin, so being writable
// does not make a folder the program's own.
QString ChooseProgramDir(const QString &executableDir, const QString &userDataDir);
