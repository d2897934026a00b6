// The floor's row values and its plain path: one pixel at a time, the rules as they read.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "floor_rows.h"
#include "numeric/numeric.h"

namespace farview {

namespace {

// The floor is drawn 6 map pixels toward -y of where the rows' distances put it, whatever the angle
// and the distance.
constexpr double kFloorShiftUp = 6.0;

static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<float>::is_iec559,
              "the floor's arithmetic is IEEE 754 arithmetic");

// a / b with the IEEE result, without dividing by zero: a row on the vanishing line and a zero
// texture scale give infinities or NaN, which the texel addressing handles like any other value.
double divide(double a, double b) {
    if (b != 0.0) return a / b;
    if (std::isnan(a) || a == 0.0) return std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    return std::signbit(a) != std::signbit(b) ? -infinity : infinity;
}

// n mod period, in 0 to period - 1 for negative n as well.
int32_t wrapInto(int32_t n, int32_t period) {
    const int32_t remainder = n % period;
    return remainder < 0 ? remainder + period : remainder;
}

// The map texture repeats with a period one less than its size: its last column and row are never
// shown. Needs W and H of 2 or more.
uint16_t wrappedTexelColour(const FloorSource &source, float u, float v) {
    const int32_t x = wrapInto(truncateToInt32(std::floor(u)), source.width - 1);
    const int32_t y = wrapInto(truncateToInt32(std::floor(v)), source.height - 1);
    return source.mapColors[source.mapPixels[y * int64_t{source.width} + x]];
}

// The last column and row count as outside; compared in double, where W - 1 is exact. Outside, the
// boundary texture tiles the plane, and truncation toward zero makes its column 0 two map pixels
// wide across u = 0.
uint16_t boundedTexelColour(const FloorSource &source, float u, float v) {
    if (u >= 0.0f && double{u} < source.width - 1.0 && v >= 0.0f && double{v} < source.height - 1.0) {
        return source.mapColors[source.mapPixels[truncateToInt32(v) * int64_t{source.width} + truncateToInt32(u)]];
    }
    const uint32_t column = static_cast<uint32_t>(truncateToInt32(u)) & kBoundaryMask;
    const uint32_t row = static_cast<uint32_t>(truncateToInt32(v)) & kBoundaryMask;
    return source.boundaryColour[row * kBoundarySide + column];
}

template <class TexelColour>
void walkRow(const FloorSource &source, FloorRow row, uint16_t *pixels, TexelColour texelColour) {
    float u = row.u, v = row.v;
    for (int32_t column = 0; column < kFloorColumns; ++column) {
        pixels[column] = texelColour(source, u, v);
        u += row.du;
        v += row.dv;
    }
}

} // namespace

FloorRow floorRowStart(const ViewState &view, float sine, float cosine, int32_t row) {
    const double k = double{view.zValue} * double{view.textureScaleY};
    const double z = divide(k, double(row) + double(view.horizonOffset));
    const double s = divide(z, double{view.textureScaleX});
    const double du = -double{sine} * s;
    const double dv = double{cosine} * s;
    const double ahead = z - double{view.rotationalOffset};
    const double u = double{view.cameraX} + double{cosine} * ahead + -kScreenCentreColumn * du;
    const double v = double{view.cameraY} + double{sine} * ahead + -kScreenCentreColumn * dv - kFloorShiftUp;
    return {roundToFloat(u), roundToFloat(v), roundToFloat(du), roundToFloat(dv)};
}

void floorRowStarts(const ViewState &view, float sine, float cosine, int32_t first, FloorRow *rows) {
    for (int32_t row = first; row < kScreenRows; ++row) rows[row] = floorRowStart(view, sine, cosine, row);
}

void drawFloorRowPlain(const FloorSource &source, FloorRow row, uint16_t *pixels) {
    if (!source.wrapping) {
        walkRow(source, row, pixels, boundedTexelColour);
    } else if (source.width >= 2 && source.height >= 2) {
        walkRow(source, row, pixels, wrappedTexelColour);
    } else {
        std::fill(pixels, pixels + kFloorColumns, uint16_t{0}); // a period of 0: no texel to show
    }
}

bool vectorPathFits(const FloorSource &source) {
    constexpr int32_t largest = 32767;
    const int32_t smallest = source.wrapping ? 2 : 1;
    return source.width >= smallest && source.height >= smallest && source.width <= largest && source.height <= largest;
}

} // namespace farview
