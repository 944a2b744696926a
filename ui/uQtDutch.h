#pragma once

// Makes Qt's own texts (standard buttons, file dialog, context menus) Dutch like the rest
// of the program, whatever the user's locale. False when Qt's Dutch file is missing; the
// program then still runs, with those texts in English.
bool InstallQtDutch();
