// The floor's SSE2 path: four rows at a time. SSE2 is part of every x86-64 processor and of every
// processor the 32-bit build runs on.
#include <emmintrin.h>

#include "floor_lanes.h"

namespace farview {
namespace {

struct Sse2Lanes : VectorLanes<kSse2Lanes> {
    static Ints truncate(Floats x) { return Ints(_mm_cvttps_epi32(x)); }
    // SSE2 has no rounding instruction: truncate, then step down where that went up. Exact for
    // |x| < 2^31, which covers every row the vector path keeps.
    static Floats floor(Floats x) {
        const Floats truncated = __builtin_convertvector(truncate(x), Floats);
        return truncated - (truncated > x ? splat<Floats>(1.0f) : Floats{});
    }
    static Ints multiplyAdd16(Ints a, Ints b) { return Ints(_mm_madd_epi16(__m128i(a), __m128i(b))); }
};

} // namespace

uint32_t drawFloorRowsSse2(const FloorSource &source, const FloorGroup &group) {
    return drawFloorRowsInLanes<Sse2Lanes>(source, group);
}

} // namespace farview
