#pragma once

// The units the figures are counted in, and the one rule that makes a figure whole.

constexpr int SecondsPerMinute = 60;
constexpr int MinutesPerHour = 60;
constexpr int SecondsPerHour = SecondsPerMinute * MinutesPerHour;
constexpr int HoursPerDay = 24;
// A day is always this long in local-clock seconds, whatever the time zone does.
constexpr int SecondsPerDay = HoursPerDay * SecondsPerHour;
constexpr int DaysPerWeek = 7;
constexpr int CentsPerEuro = 100;

// Minutes are seconds / 60, the fraction kept.
constexpr double MinutesFromSeconds(double seconds)
{
    return seconds / SecondsPerMinute;
}

// A figure made integer: the nearest integer, a half going to the even neighbour. Beyond
// the range of int the nearest end; not a number gives 0.
int MakeInteger(double value);
