// Private to the floor's vector paths: a group of floor rows drawn side by side, for any lane width.
//
// Each lane of a vector holds one row. A lane adds its row's steps in float exactly as the plain
// path does, so the chain of additions that dominates the plain path's time runs for several rows
// at once. For a block of columns the lanes turn their ground points into texel codes; then the
// block's pixels are looked up one by one, which overlaps with the vector work of the next block.
//
// Included by one file per instruction set, each with its own Lanes record (count, Floats, Ints and
// the operations used below). Everything here has internal linkage, so each file keeps its own
// copy, compiled for its own instruction set.
#pragma once

#include <cstdint>
#include <cstring>

#include "floor_rows.h"

namespace farview {
namespace {

constexpr int32_t kBlockColumns = 16;

template <class L> struct LaneWalk {
    typename L::Floats u, v, du, dv;

    void step() {
        u = L::add(u, du);
        v = L::add(v, dv);
    }
};

// A texel code is the index of a map texture pixel (y * stride + x), or, for the boundary texture
// only, kBoundaryCode plus the boundary texel's index.
constexpr int32_t kBoundaryCode = INT32_MIN;

// y * stride + x for coordinates and strides below 2^15, as one 16 x 16-bit multiply-add:
// strideFactors holds 1 in the low and the stride in the high half of each lane.
template <class L> typename L::Ints texelIndex(typename L::Ints x, typename L::Ints y, typename L::Ints strideFactors) {
    return L::multiplyAdd16(L::pack16(x, y), strideFactors);
}

template <class L> struct MapTexels {
    const uint8_t *texels;
    const uint16_t *colours;
    typename L::Ints strideFactors;

    explicit MapTexels(const FloorSource &source)
        : texels(source.mapPixels), colours(source.mapColors), strideFactors(L::splatInt(1 | source.width << 16)) {}

    uint16_t colour(uint32_t code) const { return colours[texels[code]]; }
};

// Every column inside 0 <= u < W - 1, 0 <= v < H - 1, with or without wrapping: the texel at the
// truncated coordinates.
template <class L> struct InsideTexels : MapTexels<L> {
    using MapTexels<L>::MapTexels;

    typename L::Ints code(typename L::Floats u, typename L::Floats v) const {
        return texelIndex<L>(L::truncate(u), L::truncate(v), this->strideFactors);
    }
};

// Wrapping where each coordinate is at most one period past its row's base: one subtraction.
template <class L> struct OnceWrappedTexels : MapTexels<L> {
    using Floats = typename L::Floats;
    Floats baseU, baseV, columns, rows;

    OnceWrappedTexels(const FloorSource &source, const FloorGroup &group)
        : MapTexels<L>(source), baseU(L::load(group.wrapBaseU)), baseV(L::load(group.wrapBaseV)),
          columns(L::splat(float(source.width - 1))), rows(L::splat(float(source.height - 1))) {}

    static typename L::Ints wrap(Floats x, Floats base, Floats period) {
        const Floats offset = L::sub(L::floor(x), base);
        return L::truncate(L::sub(offset, L::keep(L::notLess(offset, period), period)));
    }
    typename L::Ints code(Floats u, Floats v) const {
        return texelIndex<L>(wrap(u, baseU, columns), wrap(v, baseV, rows), this->strideFactors);
    }
};

// Wrapping anywhere: floor(x) mod period. The quotient whole * inversePeriod is off by less than
// 0.5 / period (two roundings of 2^-24 on |whole| < 2^22), so its floor is exact except at an exact
// multiple of the period, where it can come out one under: the remainder is then the period
// itself, and one subtraction puts it back. Beyond the exact limit the clamp still keeps the texel
// inside the texture.
template <class L> struct WrappedTexels : MapTexels<L> {
    using Floats = typename L::Floats;
    Floats columns, lastColumn, perColumn, rows, lastRow, perRow;

    explicit WrappedTexels(const FloorSource &source)
        : MapTexels<L>(source), columns(L::splat(float(source.width - 1))),
          lastColumn(L::splat(float(source.width - 2))), perColumn(L::splat(1.0f / float(source.width - 1))),
          rows(L::splat(float(source.height - 1))), lastRow(L::splat(float(source.height - 2))),
          perRow(L::splat(1.0f / float(source.height - 1))) {}

    static typename L::Ints wrap(Floats x, Floats period, Floats last, Floats inversePeriod) {
        const Floats whole = L::floor(x);
        Floats rest = L::sub(whole, L::mul(period, L::floor(L::mul(whole, inversePeriod))));
        rest = L::sub(rest, L::keep(L::notLess(rest, period), period));
        return L::truncate(L::clamp(rest, L::splat(0.0f), last));
    }
    typename L::Ints code(Floats u, Floats v) const {
        return texelIndex<L>(wrap(u, columns, lastColumn, perColumn), wrap(v, rows, lastRow, perRow),
                             this->strideFactors);
    }
};

// The map texture inside 0 <= u < W - 1, 0 <= v < H - 1; the boundary texture elsewhere, its texel
// the truncated coordinates & 15. Codes are inside the images for any u and v.
template <class L> struct BoundedTexels : MapTexels<L> {
    using Floats = typename L::Floats;
    const uint16_t *boundaryColour;
    Floats columnsEnd, rowsEnd;

    explicit BoundedTexels(const FloorSource &source)
        : MapTexels<L>(source), boundaryColour(source.boundaryColour), columnsEnd(L::splat(float(source.width - 1))),
          rowsEnd(L::splat(float(source.height - 1))) {}

    typename L::Ints code(Floats u, Floats v) const {
        const Floats zero = L::splat(0.0f);
        const Floats inside = L::both(L::both(L::notLess(u, zero), L::less(u, columnsEnd)),
                                      L::both(L::notLess(v, zero), L::less(v, rowsEnd)));
        const typename L::Ints pair = L::pack16(L::truncate(u), L::truncate(v));
        const typename L::Ints mapTexel = L::multiplyAdd16(pair, this->strideFactors);
        // (x & 15) + 16 * (y & 15)
        const typename L::Ints boundaryTexel = L::multiplyAdd16(
            L::bitAnd(pair, L::splatInt(kBoundaryMask | kBoundaryMask << 16)), L::splatInt(1 | kBoundarySide << 16));
        return L::select(inside, mapTexel, L::bitOr(boundaryTexel, L::splatInt(kBoundaryCode)));
    }
    uint16_t colour(uint32_t code) const {
        return static_cast<int32_t>(code) >= 0 ? this->colours[this->texels[code]] : boundaryColour[code & 255];
    }
};

// Four pixels of one row from two pairs of codes: two loads for the codes, one store. Inlined: a
// call for every four pixels would cost as much as the pixels.
template <class Texels>
[[gnu::always_inline]] inline void drawFourPixels(const Texels &texels, const int32_t *firstPair,
                                                  const int32_t *secondPair, uint16_t *pixels) {
    uint64_t first, second;
    std::memcpy(&first, firstPair, sizeof first); // x86 is little-endian: the left code in the low bits
    std::memcpy(&second, secondPair, sizeof second);
    const uint64_t four = uint64_t{texels.colour(static_cast<uint32_t>(first))} |
                          uint64_t{texels.colour(static_cast<uint32_t>(first >> 32))} << 16 |
                          uint64_t{texels.colour(static_cast<uint32_t>(second))} << 32 |
                          uint64_t{texels.colour(static_cast<uint32_t>(second >> 32))} << 48;
    std::memcpy(pixels, &four, sizeof four);
}

// Returns the walk one column past the rows' ends.
template <class L, class Texels>
LaneWalk<L> drawRowsInLanes(const Texels &texels, LaneWalk<L> walk, uint16_t *const *pixels) {
    constexpr int32_t lanes = L::count;
    // One block's codes: columns c and c + 1 of a lane side by side, at (c / 2) * 2 * lanes + 2 * lane.
    int32_t codes[kBlockColumns * lanes];
    for (int32_t first = 0; first < kFloorColumns; first += kBlockColumns) {
        for (int32_t c = 0; c < kBlockColumns; c += 2) {
            const typename L::Ints left = texels.code(walk.u, walk.v);
            walk.step();
            const typename L::Ints right = texels.code(walk.u, walk.v);
            walk.step();
            L::storePairs(codes + c * lanes, left, right);
        }
        // Two rows at a time give the processor two independent chains of loads to interleave.
        for (int32_t lane = 0; lane < lanes; lane += 2) {
            uint16_t *row = pixels[lane] + first;
            uint16_t *nextRow = pixels[lane + 1] + first;
            for (int32_t c = 0; c < kBlockColumns; c += 4) {
                const int32_t *pair = codes + c * lanes + 2 * lane;
                drawFourPixels(texels, pair, pair + 2 * lanes, row + c);
                drawFourPixels(texels, pair + 2, pair + 2 + 2 * lanes, nextRow + c);
            }
        }
    }
    return walk;
}

template <class L> uint32_t laneBitsWithinExactLimit(typename L::Floats x) {
    return L::laneBits(L::less(L::absolute(x), L::splat(kExactCoordinateLimit)));
}

// The additions move each coordinate one way only: a row whose first coordinates and those one
// column past its end are within the limit stayed within it throughout.
template <class L> uint32_t exactLanes(const LaneWalk<L> &first, const LaneWalk<L> &end) {
    return laneBitsWithinExactLimit<L>(first.u) & laneBitsWithinExactLimit<L>(first.v) &
           laneBitsWithinExactLimit<L>(end.u) & laneBitsWithinExactLimit<L>(end.v);
}

template <class L> uint32_t drawFloorRowsInLanes(const FloorSource &source, const FloorGroup &group) {
    float u[L::count], v[L::count], du[L::count], dv[L::count];
    for (int32_t lane = 0; lane < L::count; ++lane) {
        u[lane] = group.rows[lane].u;
        v[lane] = group.rows[lane].v;
        du[lane] = group.rows[lane].du;
        dv[lane] = group.rows[lane].dv;
    }
    const LaneWalk<L> walk{L::load(u), L::load(v), L::load(du), L::load(dv)};
    constexpr uint32_t allLanes = (1u << L::count) - 1;
    if (group.insideMap) {
        drawRowsInLanes<L>(InsideTexels<L>(source), walk, group.pixels);
        return allLanes;
    }
    if (source.wrapping && group.wrapsOnce) {
        drawRowsInLanes<L>(OnceWrappedTexels<L>(source, group), walk, group.pixels);
        return allLanes;
    }
    const LaneWalk<L> end = source.wrapping ? drawRowsInLanes<L>(WrappedTexels<L>(source), walk, group.pixels)
                                            : drawRowsInLanes<L>(BoundedTexels<L>(source), walk, group.pixels);
    return exactLanes<L>(walk, end);
}

} // namespace
} // namespace farview
