// The floor's AVX2 path: eight rows at a time. This file alone is compiled for AVX2; the frame
// runs it only on processors that have it (floorPathAvailable). It defines no inline function that
// another file could share, so no AVX2 instruction leaks into code that runs everywhere.
#include "floor_rows.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace farview {
namespace {

struct Avx2Lanes {
    static constexpr int32_t count = 8;
    using Floats = __m256;
    using Ints = __m256i;

    static Floats load(const float *values) { return _mm256_loadu_ps(values); }
    // Lane i of left and of right side by side, at values[2 i] and values[2 i + 1].
    static void storePairs(int32_t *values, Ints left, Ints right) {
        const Ints low = _mm256_unpacklo_epi32(left, right), high = _mm256_unpackhi_epi32(left, right);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(values), _mm256_permute2x128_si256(low, high, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(values + 8), _mm256_permute2x128_si256(low, high, 0x31));
    }
    static Floats splat(float x) { return _mm256_set1_ps(x); }
    static Ints splatInt(int32_t x) { return _mm256_set1_epi32(x); }

    static Floats add(Floats a, Floats b) { return _mm256_add_ps(a, b); }
    static Floats sub(Floats a, Floats b) { return _mm256_sub_ps(a, b); }
    static Floats mul(Floats a, Floats b) { return _mm256_mul_ps(a, b); }
    static Floats absolute(Floats x) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), x); }
    // NaN gives low: the maximum returns its second operand when either is NaN.
    static Floats clamp(Floats x, Floats low, Floats high) { return _mm256_min_ps(_mm256_max_ps(x, low), high); }
    static Ints truncate(Floats x) { return _mm256_cvttps_epi32(x); }
    static Floats floor(Floats x) { return _mm256_floor_ps(x); }

    // Comparisons give all ones where they hold, and never hold for NaN.
    static Floats less(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static Floats notLess(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
    static Floats both(Floats a, Floats b) { return _mm256_and_ps(a, b); }
    static Floats keep(Floats mask, Floats x) { return _mm256_and_ps(mask, x); }
    static Ints select(Floats mask, Ints a, Ints b) {
        return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(b), _mm256_castsi256_ps(a), mask));
    }
    static uint32_t laneBits(Floats mask) { return static_cast<uint32_t>(_mm256_movemask_ps(mask)); }

    static Ints bitAnd(Ints a, Ints b) { return _mm256_and_si256(a, b); }
    static Ints bitOr(Ints a, Ints b) { return _mm256_or_si256(a, b); }
    // The low 16 bits of x in the low half of each lane, those of y in the high half.
    static Ints pack16(Ints x, Ints y) { return _mm256_blend_epi16(x, _mm256_slli_epi32(y, 16), 0xAA); }
    static Ints multiplyAdd16(Ints a, Ints b) { return _mm256_madd_epi16(a, b); }
};

} // namespace
} // namespace farview

#include "floor_lanes.h"

namespace farview {

// A 32-bit host may call with the stack aligned to 4 bytes only; the vector spills need 32.
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
uint32_t
drawFloorRowsAvx2(const FloorSource &source, const FloorGroup &group) {
    return drawFloorRowsInLanes<Avx2Lanes>(source, group);
}

} // namespace farview

#else

namespace farview {
uint32_t drawFloorRowsAvx2(const FloorSource &, const FloorGroup &) { return 0; }
} // namespace farview

#endif
