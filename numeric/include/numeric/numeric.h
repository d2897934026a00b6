// The one float-to-integer conversion of the plug-in.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace farview {

// Truncates toward zero, as a plain conversion does wherever that is defined. Out of range the
// plain conversion is undefined behaviour, and command parameters, view values and projections can
// all get there: NaN gives 0 and out-of-range values saturate at the int32 limits.
inline int32_t truncateToInt32(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Rounds to the nearest float as the processor does; beyond the float range a plain conversion is
// undefined, so the IEEE result (the largest float, or infinity past the last rounding midpoint)
// is spelled out.
inline float roundToFloat(double value) {
    if (!(std::fabs(value) > FLT_MAX)) return static_cast<float>(value); // NaN included
    constexpr double overflowMidpoint = 0x1.ffffffp127;                  // FLT_MAX plus half a unit in its last place
    const float largest = std::fabs(value) < overflowMidpoint ? FLT_MAX : std::numeric_limits<float>::infinity();
    return value < 0.0 ? -largest : largest;
}

} // namespace farview
