// What a group of floor rows can count on before it is drawn.
#include <algorithm>
#include <cmath>

#include "floor_rows.h"

namespace farview {

namespace {

struct Span {
    double low;
    double high;
};

// The values a row's coordinate takes from its first column to one past its last. The float
// additions move it one way only and each is off by at most 2^-24 of its result, so 320 of them
// stay within 2^-15 of the largest magnitude of the exact line; the margin is twice that. NaN
// spans compare false with everything.
Span coordinateSpan(float first, float step) {
    const double start = first;
    const double end = start + double{kFloorColumns} * double{step};
    const double margin = std::max(std::fabs(start), std::fabs(end)) * 0x1p-14 + 0x1p-60;
    return {std::min(start, end) - margin, std::max(start, end) + margin};
}

bool within(Span span, double low, double high) { return span.low >= low && span.high < high; }

// The largest multiple of the period at or below the span, if the span then stays below the
// second multiple above it.
bool wrapsOnce(Span span, double period, float &base) {
    if (!within(span, -double{kExactCoordinateLimit}, double{kExactCoordinateLimit})) return false;
    double start = period * std::floor(span.low / period);
    if (start > span.low) start -= period; // the quotient may have rounded up to a whole number
    base = static_cast<float>(start);      // an integer below 2^23: exact
    return span.high < start + 2.0 * period;
}

} // namespace

void describeFloorGroup(const FloorSource &source, int32_t lanes, FloorGroup &group) {
    const double columns = source.width - 1.0, rows = source.height - 1.0;
    group.insideMap = true;
    group.wrapsOnce = source.wrapping;
    for (int32_t lane = 0; lane < lanes; ++lane) {
        const FloorRow &row = group.rows[lane];
        const Span u = coordinateSpan(row.u, row.du), v = coordinateSpan(row.v, row.dv);
        group.insideMap = group.insideMap && within(u, 0.0, columns) && within(v, 0.0, rows);
        if (source.wrapping) {
            group.wrapsOnce = group.wrapsOnce && wrapsOnce(u, columns, group.wrapBaseU[lane]) &&
                              wrapsOnce(v, rows, group.wrapBaseV[lane]);
        }
    }
}

} // namespace farview
