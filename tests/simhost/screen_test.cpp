// The screen surface: row pitch, the screen PNG, and the two drawing operations.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "support/host_fixture.h"

namespace {

using farview_test::HostTest;
using simhost::kScreenHeight;
using simhost::kScreenWidth;

constexpr uint16_t kBackground = 0x1234;

// A w x h image whose index at (x, y) is 1 + (x + 7y) mod 200, with index 0 wherever zeroAt
// says so, and colour 0x8000 + index for every index.
FvHostImage *makePatternImage(int32_t width, int32_t height, bool (*zeroAt)(int32_t, int32_t) = nullptr) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image->pixels[y * width + x] = (zeroAt && zeroAt(x, y)) ? 0 : uint8_t(1 + (x + 7 * y) % 200);
    for (int i = 0; i < 256; ++i) image->colors[i] = uint16_t(0x8000 + i);
    return image;
}

using Screen = std::vector<uint16_t>;

Screen readScreen() {
    Screen pixels;
    for (int32_t y = 0; y < kScreenHeight; ++y)
        for (int32_t x = 0; x < kScreenWidth; ++x) pixels.push_back(simhost::screenPixel(x, y));
    return pixels;
}

// Stretch-draw straight from its rule, visiting every screen pixel.
Screen expectedStretch(FvRect target, const FvHostImage &image, FvRect source) {
    Screen pixels(size_t(kScreenWidth) * kScreenHeight, kBackground);
    for (int64_t y = 0; y < kScreenHeight; ++y)
        for (int64_t x = 0; x < kScreenWidth; ++x) {
            int64_t i = x - target.x, j = y - target.y;
            if (i < 0 || j < 0 || i >= target.width || j >= target.height) continue;
            int64_t u = source.x + i * source.width / target.width;
            int64_t v = source.y + j * source.height / target.height;
            if (u < 0 || v < 0 || u >= image.width || v >= image.height) continue;
            uint8_t index = image.pixels[v * image.width + u];
            if (index != 0) pixels[size_t(y * kScreenWidth + x)] = image.colors[index];
        }
    return pixels;
}

// Unscaled draw straight from its rule.
Screen expectedDraw(int32_t x0, int32_t y0, const FvHostImage &image, FvRect source) {
    Screen pixels(size_t(kScreenWidth) * kScreenHeight, kBackground);
    for (int64_t y = 0; y < kScreenHeight; ++y)
        for (int64_t x = 0; x < kScreenWidth; ++x) {
            int64_t u = source.x + (x - x0), v = source.y + (y - y0);
            if (u < source.x || v < source.y || u >= int64_t{source.x} + source.width ||
                v >= int64_t{source.y} + source.height)
                continue;
            if (u < 0 || v < 0 || u >= image.width || v >= image.height) continue;
            uint8_t index = image.pixels[v * image.width + u];
            if (index != 0) pixels[size_t(y * kScreenWidth + x)] = image.colors[index];
        }
    return pixels;
}

size_t differences(const Screen &a, const Screen &b) {
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
    return count;
}

class ScreenTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        simhost::fillScreen(kBackground);
    }
};

// ---- Row pitch -------------------------------------------------------------------------------

TEST_F(ScreenTest, RowsAreOnePitchApartWithTheDefaultPitch) {
    FvHostSurface *surface = simhost::screen();
    EXPECT_EQ(simhost::surfacePitch(surface), 704);
    EXPECT_EQ(simhost::hostInterface().surfacePitch(surface), 704);
    auto *row0 = reinterpret_cast<uint8_t *>(simhost::surfaceRow(surface, 0));
    auto *row9 = reinterpret_cast<uint8_t *>(simhost::surfaceRow(surface, 9));
    EXPECT_EQ(row9 - row0, 9 * 704);
    simhost::surfaceRow(surface, 9)[319] = 0xBEEF;
    EXPECT_EQ(simhost::screenPixel(319, 9), 0xBEEF);
    EXPECT_EQ(simhost::screenPixel(0, 10), kBackground); // row 9 did not spill into row 10
}

TEST_F(ScreenTest, AnOddPitchLaysRowsOutAtThatManyBytes) {
    simhost::setScreenPitch(705);
    simhost::fillScreen(kBackground);
    FvHostSurface *surface = simhost::screen();
    EXPECT_EQ(simhost::screenPitch(), 705);
    auto *row0 = reinterpret_cast<uint8_t *>(simhost::surfaceRow(surface, 0));
    auto *row3 = reinterpret_cast<uint8_t *>(simhost::surfaceRow(surface, 3));
    EXPECT_EQ(row3 - row0, 3 * 705);
    uint16_t colour = 0xCAFE;
    std::memcpy(row3 + 2 * 5, &colour, 2); // row 3 starts at an odd address
    EXPECT_EQ(simhost::screenPixel(5, 3), 0xCAFE);

    FvHostImage *image = makePatternImage(8, 8);
    simhost::drawImage(surface, 0, 0, image, {0, 0, 8, 8});
    EXPECT_EQ(simhost::screenPixel(3, 3), image->colors[image->pixels[3 * 8 + 3]]);
}

TEST_F(ScreenTest, PitchIsAtLeastARowAndSettingItClearsTheScreen) {
    simhost::setScreenPitch(100);
    EXPECT_EQ(simhost::screenPitch(), 640);
    EXPECT_EQ(simhost::screenPixel(10, 10), 0);
    simhost::resetEngine();
    EXPECT_EQ(simhost::screenPitch(), 704);
}

TEST_F(ScreenTest, OutsideRowsHaveNoAddressAndOutsidePixelsReadBlack) {
    FvHostSurface *surface = simhost::screen();
    EXPECT_EQ(simhost::surfaceRow(surface, -1), nullptr);
    EXPECT_EQ(simhost::surfaceRow(surface, 240), nullptr);
    EXPECT_EQ(simhost::surfaceRow(nullptr, 0), nullptr);
    EXPECT_EQ(simhost::screenPixel(320, 0), 0);
    EXPECT_EQ(simhost::screenPixel(0, -1), 0);
}

// ---- Screen PNG -----------------------------------------------------------------------------------

std::vector<uint8_t> readRgbPng(const std::string &path, uint32_t *width, uint32_t *height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> pixels;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return pixels;
    image.format = PNG_FORMAT_RGB;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) pixels.clear();
    *width = image.width;
    *height = image.height;
    return pixels;
}

TEST_F(ScreenTest, ScreenPngWidensChannelsSoEveryValueIsRecoverable) {
    farview_test::ScratchDirectory scratch;
    // 76800 pixels: every 16-bit value appears at least once.
    for (int32_t y = 0; y < kScreenHeight; ++y)
        for (int32_t x = 0; x < kScreenWidth; ++x)
            simhost::surfaceRow(simhost::screen(), y)[x] = uint16_t(y * kScreenWidth + x);
    std::string error;
    ASSERT_TRUE(simhost::writeScreenPng("screen.png", &error)) << error;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb = readRgbPng("screen.png", &width, &height);
    ASSERT_EQ(width, 320u);
    ASSERT_EQ(height, 240u);
    for (size_t i = 0; i < size_t(kScreenWidth) * kScreenHeight; ++i) {
        uint8_t red = rgb[3 * i], green = rgb[3 * i + 1], blue = rgb[3 * i + 2];
        uint16_t value = uint16_t(i);
        uint32_t r5 = value >> 11, g6 = (value >> 5) & 63, b5 = value & 31;
        ASSERT_EQ(red, (r5 << 3) | (r5 >> 2)) << i;
        ASSERT_EQ(green, (g6 << 2) | (g6 >> 4)) << i;
        ASSERT_EQ(blue, (b5 << 3) | (b5 >> 2)) << i;
        ASSERT_EQ(uint16_t((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3)), value) << i;
    }
    EXPECT_EQ(rgb[3 * 0xFFFF], 255); // white stays white
}

TEST_F(ScreenTest, ScreenPngToAnUnwritablePathFails) {
    std::string error;
    EXPECT_FALSE(simhost::writeScreenPng("/nonexistent-folder/screen.png", &error));
    EXPECT_NE(error.find("/nonexistent-folder/screen.png"), std::string::npos);
}

// ---- Unscaled draw ----------------------------------------------------------------------------------

bool checkerZero(int32_t x, int32_t y) { return (x + y) % 3 == 0; }

TEST_F(ScreenTest, DrawCopiesUnscaledWithIndexZeroTransparent) {
    FvHostImage *image = makePatternImage(20, 10, checkerZero);
    simhost::drawImage(simhost::screen(), 100, 50, image, {2, 3, 12, 6});
    EXPECT_EQ(differences(readScreen(), expectedDraw(100, 50, *image, {2, 3, 12, 6})), 0u);
    EXPECT_EQ(simhost::screenPixel(100, 50), image->colors[image->pixels[3 * 20 + 2]]);
    EXPECT_EQ(simhost::screenPixel(101, 50), kBackground); // (3, 3) holds index 0
}

TEST_F(ScreenTest, DrawClipsAtEverySurfaceEdge) {
    FvHostImage *image = makePatternImage(40, 30, checkerZero);
    for (auto [x, y] : {std::pair{-15, 100}, {300, 100}, {150, -20}, {150, 225}, {-39, -29}, {319, 239}}) {
        simhost::fillScreen(kBackground);
        simhost::drawImage(simhost::screen(), x, y, image, {0, 0, 40, 30});
        ASSERT_EQ(differences(readScreen(), expectedDraw(x, y, *image, {0, 0, 40, 30})), 0u) << x << "," << y;
    }
}

TEST_F(ScreenTest, DrawNeverReadsOutsideTheImage) {
    FvHostImage *image = makePatternImage(16, 16);
    FvRect sources[] = {{-5, -5, 30, 30},
                        {10, 10, 100, 100},
                        {-100, 0, 50, 16},
                        {0, 0, -4, 16},
                        {INT32_MAX - 2, 0, INT32_MAX, 4},
                        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    for (const FvRect &source : sources) {
        simhost::fillScreen(kBackground);
        simhost::drawImage(simhost::screen(), 50, 60, image, source);
        ASSERT_EQ(differences(readScreen(), expectedDraw(50, 60, *image, source)), 0u) << source.x;
    }
    simhost::drawImage(simhost::screen(), INT32_MAX, INT32_MIN, image, {0, 0, 16, 16});
    simhost::drawImage(simhost::screen(), INT32_MIN, INT32_MAX, image, {INT32_MIN, 0, INT32_MAX, 16});
}

TEST_F(ScreenTest, DrawingNothingOrIntoNothingIsHarmless) {
    FvHostImage *empty = simhost::createImage();
    simhost::drawImage(simhost::screen(), 0, 0, empty, {0, 0, 10, 10});
    simhost::stretchDrawImage(simhost::screen(), {0, 0, 10, 10}, empty, {0, 0, 10, 10});
    simhost::drawImage(simhost::screen(), 0, 0, nullptr, {0, 0, 10, 10});
    FvHostImage *image = makePatternImage(4, 4);
    simhost::drawImage(nullptr, 0, 0, image, {0, 0, 4, 4});
    simhost::stretchDrawImage(nullptr, {0, 0, 4, 4}, image, {0, 0, 4, 4});
    EXPECT_EQ(differences(readScreen(), Screen(size_t(kScreenWidth) * kScreenHeight, kBackground)), 0u);
}

// ---- Stretch-draw ---------------------------------------------------------------------------------

TEST_F(ScreenTest, StretchHalvingTakesEverySecondPixel) {
    FvHostImage *image = makePatternImage(8, 6);
    simhost::stretchDrawImage(simhost::screen(), {10, 20, 4, 3}, image, {0, 0, 8, 6});
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(simhost::screenPixel(10 + i, 20 + j), image->colors[image->pixels[(2 * j) * 8 + 2 * i]]);
    EXPECT_EQ(simhost::screenPixel(14, 20), kBackground);
    EXPECT_EQ(simhost::screenPixel(10, 23), kBackground);
}

TEST_F(ScreenTest, StretchTriplingRepeatsEachPixelThreeTimes) {
    FvHostImage *image = makePatternImage(5, 4);
    simhost::stretchDrawImage(simhost::screen(), {30, 40, 6, 6}, image, {1, 1, 2, 2});
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 6; ++i)
            ASSERT_EQ(simhost::screenPixel(30 + i, 40 + j), image->colors[image->pixels[(1 + j / 3) * 5 + 1 + i / 3]]);
}

TEST_F(ScreenTest, StretchClipsAtEveryEdgeAndKeepsIndexZeroTransparent) {
    FvHostImage *image = makePatternImage(24, 18, checkerZero);
    FvRect targets[] = {{-20, 50, 70, 40},    {290, 50, 70, 40}, {100, -25, 50, 60}, {100, 220, 50, 60},
                        {-50, -50, 420, 340}, {319, 239, 5, 5},  {-4, -4, 5, 5}};
    for (const FvRect &target : targets) {
        simhost::fillScreen(kBackground);
        simhost::stretchDrawImage(simhost::screen(), target, image, {0, 0, 24, 18});
        ASSERT_EQ(differences(readScreen(), expectedStretch(target, *image, {0, 0, 24, 18})), 0u)
            << target.x << "," << target.y;
    }
}

TEST_F(ScreenTest, AHugeTargetDrawsItsVisiblePartCorrectly) {
    FvHostImage *image = makePatternImage(200, 150, checkerZero);
    FvRect target{-30000, -20000, 65535, 65535};
    simhost::stretchDrawImage(simhost::screen(), target, image, {0, 0, 200, 150});
    EXPECT_EQ(differences(readScreen(), expectedStretch(target, *image, {0, 0, 200, 150})), 0u);
}

TEST_F(ScreenTest, AStretchSourcePartlyOutsideTheImageDrawsOnlyWhatIsInside) {
    FvHostImage *image = makePatternImage(10, 10);
    FvRect sources[] = {{-5, -5, 20, 20},
                        {5, 5, 20, 20},
                        {-30, 0, 10, 10},
                        {9, 9, -20, -20},
                        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                        {0, 0, INT32_MAX, INT32_MAX}};
    for (const FvRect &source : sources) {
        simhost::fillScreen(kBackground);
        simhost::stretchDrawImage(simhost::screen(), {40, 40, 120, 100}, image, source);
        ASSERT_EQ(differences(readScreen(), expectedStretch({40, 40, 120, 100}, *image, source)), 0u)
            << source.x << "," << source.width;
    }
    // Source column -5 + i * 20 / 120 reaches the image at i = 30, source row at j = 25.
    simhost::fillScreen(kBackground);
    simhost::stretchDrawImage(simhost::screen(), {40, 40, 120, 100}, image, {-5, -5, 20, 20});
    EXPECT_EQ(simhost::screenPixel(69, 65), kBackground);
    EXPECT_EQ(simhost::screenPixel(70, 64), kBackground);
    EXPECT_EQ(simhost::screenPixel(70, 65), image->colors[image->pixels[0]]);
}

TEST_F(ScreenTest, StretchWithEmptyOrOverflowingRectanglesIsHarmless) {
    FvHostImage *image = makePatternImage(10, 10);
    FvRect targets[] = {{0, 0, 0, 10},
                        {0, 0, 10, -1},
                        {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
                        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                        {-2147483000, 0, INT32_MAX, 5}};
    for (const FvRect &target : targets) {
        simhost::fillScreen(kBackground);
        simhost::stretchDrawImage(simhost::screen(), target, image, {0, 0, 10, 10});
        ASSERT_EQ(differences(readScreen(), expectedStretch(target, *image, {0, 0, 10, 10})), 0u) << target.x;
    }
}

} // namespace
