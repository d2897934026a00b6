// The floor's paths against each other: the input is the view state target's (see
// view_input.h), and each floor path the processor has must paint the same pixels as the plain
// one, the vector paths being an optimisation that never changes a pixel. Kept apart from the
// view state target, which renders one frame per input: the plain path draws one pixel at a time
// and would take most of that target's time.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_main.h"
#include "fuzz/view_input.h"
#include "render/floor.h"
#include "simhost/simhost.h"

namespace {

// The screen's rows as bytes (a row may start at an odd address when the pitch is odd).
using Screen = std::vector<uint8_t>;
constexpr size_t kRowBytes = 2 * simhost::kScreenWidth;

void fillScreen(uint16_t colour) {
    uint8_t row[kRowBytes];
    for (size_t x = 0; x < kRowBytes; x += 2) std::memcpy(row + x, &colour, 2);
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
        std::memcpy(simhost::surfaceRow(simhost::screen(), y), row, kRowBytes);
}

void paintFloor(farview::FloorPath path, farview::ViewState view, const farview::MapRecord &map, float sine,
                float cosine, Screen &pixels) {
    fillScreen(0x4208);
    farview::renderFloorWith(path, view, map, sine, cosine);
    pixels.resize(kRowBytes * simhost::kScreenHeight);
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
        std::memcpy(pixels.data() + kRowBytes * y, simhost::surfaceRow(simhost::screen(), y), kRowBytes);
}

// The frame driver's direction of view, worked out the same way.
void directionOf(float angle, float &sine, float &cosine) {
    const double radians = 0.0174532925 * double{angle};
    sine = static_cast<float>(std::sin(radians));
    cosine = static_cast<float>(std::cos(radians));
}

void checkFloorPathsAgree(const farview::ViewState &view, const farview::MapRecord &map) {
    static Screen plain, other; // kept from input to input: no allocation per input
    float sine = 0.0f, cosine = 0.0f;
    directionOf(view.rotationAngle, sine, cosine);
    paintFloor(farview::FloorPath::plain, view, map, sine, cosine, plain);
    for (farview::FloorPath path : {farview::FloorPath::sse2, farview::FloorPath::avx2}) {
        if (!farview::floorPathAvailable(path)) continue;
        paintFloor(path, view, map, sine, cosine, other);
        if (other != plain)
            fuzz::fail(path == farview::FloorPath::sse2 ? "the SSE2 floor differs from the plain floor"
                                                        : "the AVX2 floor differs from the plain floor");
    }
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    const ViewInput input = takeViewInput(data, size);
    checkFloorPathsAgree(input.view, *input.map);
    clearViewInput();
}
