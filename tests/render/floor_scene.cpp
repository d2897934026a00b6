#include "render/floor_scene.h"

#include <cstring>

#include "render/floor.h"

namespace farview_test {

uint32_t indexColour(uint8_t index) {
    // High five bits of the index in red, low three in green: one RGB565 colour per index.
    return uint32_t{index & 0xF8u} << 16 | uint32_t{index & 0x07u} << 13;
}

int32_t indexOfColour(uint16_t colour) {
    for (int32_t i = 0; i < 256; ++i) {
        if (simhost::rgb565(indexColour(static_cast<uint8_t>(i))) == colour) return i;
    }
    return -1;
}

FvHostImage *makeIndexedImage(int32_t width, int32_t height, const std::function<uint8_t(int32_t, int32_t)> &indexAt) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) image->pixels[int64_t{y} * width + x] = indexAt(x, y);
    }
    for (int32_t i = 0; i < 256; ++i) image->palette[i] = indexColour(static_cast<uint8_t>(i));
    simhost::applyPalette(image);
    return image;
}

ScreenPixels readScreen() {
    ScreenPixels pixels(320 * 240);
    for (int32_t y = 0; y < 240; ++y) {
        std::memcpy(&pixels[y * 320], simhost::surfaceRow(simhost::screen(), y), 320 * sizeof(uint16_t));
    }
    return pixels;
}

void FloorTest::SetUp() {
    HostTest::SetUp();
    simhost::fillScreen(kUntouched);
}

void FloorTest::useMap(int32_t tilesWide, int32_t tilesHigh, const std::function<uint8_t(int32_t, int32_t)> &indexAt) {
    map.width = tilesWide;
    map.height = tilesHigh;
    map.pixelWidth = 16 * tilesWide;
    map.pixelHeight = 16 * tilesHigh;
    view.mapTexture = makeIndexedImage(map.pixelWidth, map.pixelHeight, indexAt);
}

void FloorTest::placeHero(int32_t column, int32_t row) {
    heroColumn = column;
    heroRow = row;
    simhost::hero().mapColumn = column;
    simhost::hero().mapRow = row;
}

void FloorTest::probeLastRow(float step, float rowV) {
    view.usingBackground = false;
    view.horizon = 239;
    view.horizonOffset = -238; // row 239 sees the ground at z = zValue * textureScaleY = 1
    view.zValue = 1.0f;
    view.textureScaleY = 1.0f;
    view.textureScaleX = 1.0f / step;
    const float cameraY = static_cast<float>(16 * heroRow + 16);
    view.rotationalOffset = rowV - cameraY + 7.0f;
    sine = -1.0f;
    cosine = 0.0f;
}

void FloorTest::render() { farview::renderFloor(view, map, sine, cosine); }

} // namespace farview_test
