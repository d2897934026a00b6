// The floor's SSE2 path: four rows at a time. SSE2 is part of every x86-64 processor and of every
// processor the 32-bit build runs on.
#include "floor_rows.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace farview {
namespace {

struct Sse2Lanes {
    static constexpr int32_t count = 4;
    using Floats = __m128;
    using Ints = __m128i;

    static Floats load(const float *values) { return _mm_loadu_ps(values); }
    // Lane i of left and of right side by side, at values[2 i] and values[2 i + 1].
    static void storePairs(int32_t *values, Ints left, Ints right) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(values), _mm_unpacklo_epi32(left, right));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(values + 4), _mm_unpackhi_epi32(left, right));
    }
    static Floats splat(float x) { return _mm_set1_ps(x); }
    static Ints splatInt(int32_t x) { return _mm_set1_epi32(x); }

    static Floats add(Floats a, Floats b) { return _mm_add_ps(a, b); }
    static Floats sub(Floats a, Floats b) { return _mm_sub_ps(a, b); }
    static Floats mul(Floats a, Floats b) { return _mm_mul_ps(a, b); }
    static Floats absolute(Floats x) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), x); }
    // NaN gives low: the maximum returns its second operand when either is NaN.
    static Floats clamp(Floats x, Floats low, Floats high) { return _mm_min_ps(_mm_max_ps(x, low), high); }
    static Ints truncate(Floats x) { return _mm_cvttps_epi32(x); }
    // SSE2 has no rounding instruction: truncate, then step down where that went up. Exact for
    // |x| < 2^31, which covers every row the vector path keeps.
    static Floats floor(Floats x) {
        const Floats truncated = _mm_cvtepi32_ps(_mm_cvttps_epi32(x));
        return _mm_sub_ps(truncated, _mm_and_ps(_mm_cmpgt_ps(truncated, x), _mm_set1_ps(1.0f)));
    }

    // Comparisons give all ones where they hold.
    static Floats less(Floats a, Floats b) { return _mm_cmplt_ps(a, b); }
    static Floats notLess(Floats a, Floats b) { return _mm_cmpge_ps(a, b); }
    static Floats both(Floats a, Floats b) { return _mm_and_ps(a, b); }
    static Floats keep(Floats mask, Floats x) { return _mm_and_ps(mask, x); }
    static Ints select(Floats mask, Ints a, Ints b) {
        const Ints m = _mm_castps_si128(mask);
        return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
    }
    static uint32_t laneBits(Floats mask) { return static_cast<uint32_t>(_mm_movemask_ps(mask)); }

    static Ints bitAnd(Ints a, Ints b) { return _mm_and_si128(a, b); }
    static Ints bitOr(Ints a, Ints b) { return _mm_or_si128(a, b); }
    // The low 16 bits of x in the low half of each lane, those of y in the high half.
    static Ints pack16(Ints x, Ints y) {
        return _mm_or_si128(_mm_and_si128(x, _mm_set1_epi32(0xFFFF)), _mm_slli_epi32(y, 16));
    }
    static Ints multiplyAdd16(Ints a, Ints b) { return _mm_madd_epi16(a, b); }
};

} // namespace
} // namespace farview

#include "floor_lanes.h"

namespace farview {

// A 32-bit host may call with the stack aligned to 4 bytes only; the vector spills need 16.
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
uint32_t
drawFloorRowsSse2(const FloorSource &source, const FloorGroup &group) {
    return drawFloorRowsInLanes<Sse2Lanes>(source, group);
}

} // namespace farview

#else

namespace farview {
uint32_t drawFloorRowsSse2(const FloorSource &, const FloorGroup &) { return 0; }
} // namespace farview

#endif
