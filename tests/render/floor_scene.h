// Scenes for the floor's tests: images built in the stand-in host, a view and a map record, and
// the screen read back.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "mapdata/map_record.h"
#include "render/sprite_registry.h"
#include "render/view_state.h"
#include "support/host_fixture.h"

namespace farview_test {

constexpr uint16_t kUntouched = 0xA5A5; // what the host drew before the floor

// Palette entry i is a colour of its own in the screen format, so each pixel tells its index.
uint32_t indexColour(uint8_t index);
// The palette index whose colour this is; -1 for a colour of no index.
int32_t indexOfColour(uint16_t colour);

// An image whose pixel (x, y) has palette index indexAt(x, y), with the index palette.
FvHostImage *makeIndexedImage(int32_t width, int32_t height, const std::function<uint8_t(int32_t, int32_t)> &indexAt);

using ScreenPixels = std::vector<uint16_t>; // 240 rows of 320, as the host's screen holds them

ScreenPixels readScreen();
inline uint16_t at(const ScreenPixels &screen, int32_t x, int32_t y) { return screen[y * 320 + x]; }

class FloorTest : public HostTest {
protected:
    void SetUp() override;

    // A map of the given size in tiles whose texture is makeIndexedImage(indexAt).
    void useMap(int32_t tilesWide, int32_t tilesHigh, const std::function<uint8_t(int32_t, int32_t)> &indexAt);
    // Puts the hero on a map cell: with the stand-in host the camera point is (16 column + 8,
    // 16 row + 16), whatever the scroll.
    void placeHero(int32_t column, int32_t row);

    // Row 239 alone is drawn, and it shows u = cameraX + (c - 160) * step at column c and v = rowV,
    // exactly (sine -1, cosine 0: angle 270 without rounding; step a power of two; the band is left
    // alone). Call after placeHero.
    void probeLastRow(float step, float rowV);
    void render(); // the shipped floor with the probe's or the test's sine and cosine

    farview::ViewState view;
    farview::MapRecord map;
    farview::SpriteRegistry registry; // empty: the floor alone
    float sine = -1.0f;
    float cosine = 0.0f;
    int32_t heroColumn = 0;
    int32_t heroRow = 0;
};

} // namespace farview_test
