#include "uUnits.h"

#include <cmath>
#include <limits>

int MakeInteger(double value)
{
    if (!std::isfinite(value))
        return 0;
    // The default floating-point environment rounds to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(rounded);
}
