// The one float-to-integer conversion of the plug-in.
#pragma once

#include <cstdint>

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

} // namespace farview
