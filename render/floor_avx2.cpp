// The floor's AVX2 path: eight rows at a time. This file alone is compiled for AVX2; the frame
// runs it only on processors that have it (floorPathAvailable). It defines no inline function that
// another file could share, so no AVX2 instruction leaks into code that runs everywhere.
#include <immintrin.h>

#include "floor_lanes.h"

namespace farview {
namespace {

struct Avx2Lanes : VectorLanes<kAvx2Lanes> {
    static Floats floor(Floats x) { return _mm256_floor_ps(x); }
    static Ints truncate(Floats x) { return Ints(_mm256_cvttps_epi32(x)); }
    static Ints multiplyAdd16(Ints a, Ints b) { return Ints(_mm256_madd_epi16(__m256i(a), __m256i(b))); }
    static Ints pack16(Ints x, Ints y) { return Ints(_mm256_blend_epi16(__m256i(x), __m256i(Bits(y) << 16), 0xAA)); }
};

} // namespace

uint32_t drawFloorRowsAvx2(const FloorSource &source, const FloorGroup &group) {
    return drawFloorRowsInLanes<Avx2Lanes>(source, group);
}

} // namespace farview
