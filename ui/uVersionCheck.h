#pragma once

#include <QString>

// The start-up comparison of the program's version with the one the web site offers.

// "a.b.c.d" weighed as a * 10000 + b * 1000 + c * 100 + d. A field that is missing or not
// a plain decimal number counts 0; a line end after the last field is not part of it.
int VersionWeight(const QString &version);

// Whether `offered` (the version file's text) is newer than `own`.
bool NewerVersionOffered(const QString &own, const QString &offered);
