#pragma once

#include <QString>

// Where the settings file, History/ and Bitmaps/ live. A portable copy (a folder that is
// the user's own, that nobody else can write and that is not an installation, as the
// demo makes) keeps them next to itself; an installed program, or one in a folder it
// cannot write or that others could write, keeps them in the user's data folder, which
// it creates readable by the user alone.
QString DefaultProgramDir();

// The same choice for a program in `executableDir`, with `userDataDir` as the user's
// data folder. An installation is told by its desktop entry, which lies where the install
// rules put it: root can write to /usr/bin and a user to ~/.local/bin, so being writable
// does not make a folder the program's own.
QString ChooseProgramDir(const QString &executableDir, const QString &userDataDir);

// The first of the folder itself, its settings file, History/ and Bitmaps/ that another
// user owns or others may write, or (below the folder) that is a link: another user
// could steer the program through it, so it must not be used. Empty when all are sound
// or missing.
QString ForeignEntry(const QString &programDir);

// A folder for the one-instance socket that only this user can reach: $XDG_RUNTIME_DIR
// when it is the user's own and closed to others, else the user's data folder (created
// 0700); empty when neither is.
QString PrivateRuntimeDir();
