// Private to the floor's vector paths: a group of floor rows drawn side by side, for any lane width.
//
// Each lane of a vector holds one row. A lane adds its row's steps in float exactly as the plain
// path does, so the chain of additions that dominates the plain path's time runs for several rows
// at once. For a block of columns the lanes turn their ground points into texel codes; then the
// block's pixels are looked up one by one, which overlaps with the vector work of the next block.
//
// The lanes are the compiler's vector types (GCC's and clang's vector extensions): + - * & | << and
// the comparisons work lane by lane, a comparison giving all ones where it holds and never for NaN,
// and mask ? a : b picks lane by lane (of floats). So everything here is written once for every lane width. An
// instruction set's file adds a record, derived from VectorLanes, with what no operator says:
// truncate (toward zero, INT32_MIN where the result is no int32), floor and multiplyAdd16; it may
// replace pack16 with a faster one of its own. Everything here has internal linkage, so each file
// keeps its own copy, compiled for its own instruction set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "floor_rows.h"

namespace farview {
namespace {

template <int32_t Count> struct VectorLanes {
    static constexpr int32_t count = Count;
    using Floats [[gnu::vector_size(4 * Count)]] = float;
    using Ints [[gnu::vector_size(4 * Count)]] = int32_t;
    using Bits [[gnu::vector_size(4 * Count)]] = uint32_t; // shifts of negative ints would be undefined

    // The low 16 bits of x in the low half of each lane, those of y in the high half.
    static Ints pack16(Ints x, Ints y) { return Ints((Bits(x) & 0xFFFFu) | Bits(y) << 16); }
};

// Every lane x. (Vector{} + x would not fold away: it turns -0 into +0.)
template <class Vector, class Lane> Vector splat(Lane x) { return x - Vector{}; }

template <class Vector, class Lane> Vector loadLanes(const Lane *values) {
    Vector lanes;
    std::memcpy(&lanes, values, sizeof lanes);
    return lanes;
}

template <class L> uint32_t laneBits(typename L::Ints mask) {
    uint32_t bits = 0;
    for (int32_t lane = 0; lane < L::count; ++lane) bits |= static_cast<uint32_t>(mask[lane] & 1) << lane;
    return bits;
}

// Lane i of left and of right side by side, at values[2 i] and values[2 i + 1].
template <class L, std::size_t... Index>
void storePairs(int32_t *values, typename L::Ints left, typename L::Ints right, std::index_sequence<Index...>) {
    constexpr std::size_t count = L::count;
    const typename L::Ints low = __builtin_shufflevector(left, right, (Index % 2 * count + Index / 2)...);
    const typename L::Ints high = __builtin_shufflevector(left, right, (Index % 2 * count + (count + Index) / 2)...);
    std::memcpy(values, &low, sizeof low);
    std::memcpy(values + count, &high, sizeof high);
}

// a where the mask is set, b elsewhere. GCC makes this one blend; its own mask ? a : b of integers
// inverts the mask first.
template <class Ints> Ints select(Ints mask, Ints a, Ints b) { return (mask & a) | (~mask & b); }

// min(max(x, low), high) as the processors' own maximum and minimum: NaN gives low.
template <class Floats> Floats clampLanes(Floats x, Floats low, Floats high) {
    const Floats atLeastLow = x > low ? x : low;
    return atLeastLow < high ? atLeastLow : high;
}

constexpr int32_t kBlockColumns = 16;

template <class L> struct LaneWalk {
    typename L::Floats u, v, du, dv;

    void step() {
        u += du;
        v += dv;
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
        : texels(source.mapPixels), colours(source.mapColors),
          strideFactors(splat<typename L::Ints>(1 | source.width << 16)) {}

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
        : MapTexels<L>(source), baseU(loadLanes<Floats>(group.wrapBaseU)), baseV(loadLanes<Floats>(group.wrapBaseV)),
          columns(splat<Floats>(float(source.width - 1))), rows(splat<Floats>(float(source.height - 1))) {}

    static typename L::Ints wrap(Floats x, Floats base, Floats period) {
        const Floats offset = L::floor(x) - base;
        return L::truncate(offset - (offset >= period ? period : Floats{}));
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
        : MapTexels<L>(source), columns(splat<Floats>(float(source.width - 1))),
          lastColumn(splat<Floats>(float(source.width - 2))), perColumn(splat<Floats>(1.0f / float(source.width - 1))),
          rows(splat<Floats>(float(source.height - 1))), lastRow(splat<Floats>(float(source.height - 2))),
          perRow(splat<Floats>(1.0f / float(source.height - 1))) {}

    static typename L::Ints wrap(Floats x, Floats period, Floats last, Floats inversePeriod) {
        const Floats whole = L::floor(x);
        Floats rest = whole - period * L::floor(whole * inversePeriod);
        rest -= rest >= period ? period : Floats{};
        return L::truncate(clampLanes(rest, Floats{}, last));
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
    using Ints = typename L::Ints;
    const uint16_t *boundaryColour;
    Floats columnsEnd, rowsEnd;

    explicit BoundedTexels(const FloorSource &source)
        : MapTexels<L>(source), boundaryColour(source.boundaryColour),
          columnsEnd(splat<Floats>(float(source.width - 1))), rowsEnd(splat<Floats>(float(source.height - 1))) {}

    Ints code(Floats u, Floats v) const {
        const Ints inside = (u >= 0.0f) & (u < columnsEnd) & (v >= 0.0f) & (v < rowsEnd);
        const Ints pair = L::pack16(L::truncate(u), L::truncate(v));
        const Ints mapTexel = L::multiplyAdd16(pair, this->strideFactors);
        // (x & 15) + 16 * (y & 15)
        const Ints boundaryTexel =
            L::multiplyAdd16(pair & (kBoundaryMask | kBoundaryMask << 16), splat<Ints>(1 | kBoundarySide << 16));
        return select(inside, mapTexel, boundaryTexel | kBoundaryCode);
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
            storePairs<L>(codes + c * lanes, left, right, std::make_index_sequence<lanes>());
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

template <class L> typename L::Ints withinExactLimit(typename L::Floats x) {
    return (x < kExactCoordinateLimit) & (x > -kExactCoordinateLimit);
}

// The additions move each coordinate one way only: a row whose first coordinates and those one
// column past its end are within the limit stayed within it throughout.
template <class L> uint32_t exactLanes(const LaneWalk<L> &first, const LaneWalk<L> &end) {
    return laneBits<L>(withinExactLimit<L>(first.u) & withinExactLimit<L>(first.v) & withinExactLimit<L>(end.u) &
                       withinExactLimit<L>(end.v));
}

template <class L> uint32_t drawFloorRowsInLanes(const FloorSource &source, const FloorGroup &group) {
    float u[L::count], v[L::count], du[L::count], dv[L::count];
    for (int32_t lane = 0; lane < L::count; ++lane) {
        u[lane] = group.rows[lane].u;
        v[lane] = group.rows[lane].v;
        du[lane] = group.rows[lane].du;
        dv[lane] = group.rows[lane].dv;
    }
    using Floats = typename L::Floats;
    const LaneWalk<L> walk{loadLanes<Floats>(u), loadLanes<Floats>(v), loadLanes<Floats>(du), loadLanes<Floats>(dv)};
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
