#pragma once

#include <QString>

#include "uGlobal.h"

// Appends a partner programme to the global list, as a 106 reply would.
TPProgItem &AddTestProg(const QString &code, const QString &name);
