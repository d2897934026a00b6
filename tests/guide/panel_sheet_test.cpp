// The guide's pictures: a picture of at most 256 colours is an 8-bit paletted PNG that keeps every
// pixel of its panels; one of more colours is written in full colour instead.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/simhost.h"
#include "support/host_fixture.h"
#include "tools/guide/panel_sheet.h"

namespace {

constexpr size_t kScreenPixels = size_t(simhost::kScreenWidth) * simhost::kScreenHeight;

// The PNG colour type in the file's header: 3 paletted, 2 RGB.
int colourType(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> header(26);
    in.read(header.data(), 26);
    return in ? header[25] : -1;
}

std::vector<uint16_t> screenOf(uint16_t (*colourAt)(size_t)) {
    std::vector<uint16_t> screen(kScreenPixels);
    for (size_t i = 0; i < kScreenPixels; ++i) screen[i] = colourAt(i);
    return screen;
}

TEST(PanelSheet, APictureOfAtMost256ColoursIsPalettedAndKeepsEveryPixel) {
    farview_test::ScratchDirectory scratch;
    simhost::resetEngine();
    const std::vector<guide::Panel> panels = {
        {screenOf([](size_t i) { return uint16_t(i % 200 * 257); }), "first"},
        {screenOf([](size_t i) { return uint16_t(i / 320 % 50 * 31); }), "second"},
    };
    std::string error;
    ASSERT_TRUE(guide::writePanelSheet(panels, "sheet.png", &error)) << error;
    ASSERT_EQ(colourType("sheet.png"), 3);
    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, "sheet.png", 1);
    ASSERT_EQ(image->width, 4 + 2 * (simhost::kScreenWidth + 4));
    const int32_t secondLeft = 4 + simhost::kScreenWidth + 4, top = 4;
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y) {
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x) {
            const size_t at = size_t(y) * simhost::kScreenWidth + size_t(x);
            ASSERT_EQ(image->colors[image->pixels[(top + y) * image->width + 4 + x]], panels[0].screen[at]);
            ASSERT_EQ(image->colors[image->pixels[(top + y) * image->width + secondLeft + x]], panels[1].screen[at]);
        }
    }
    simhost::destroyImage(image);
}

TEST(PanelSheet, APictureOfMoreColoursIsWrittenInFullColour) {
    farview_test::ScratchDirectory scratch;
    const std::vector<guide::Panel> panels = {{screenOf([](size_t i) { return uint16_t(i); }), "every colour"}};
    std::string error;
    ASSERT_TRUE(guide::writePanelSheet(panels, "sheet.png", &error)) << error;
    EXPECT_EQ(colourType("sheet.png"), 2);
}

} // namespace
