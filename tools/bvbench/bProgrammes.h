#pragma once

#include <QString>

// The benchmarks' partner programmes: codes AA, AB ... named "Programma 0" ..., all paid
// by one default payout rule.
QString ProgCode(int i);
void FillProgrammes(int count);
