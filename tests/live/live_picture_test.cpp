// The window's pixels: the host's screen scaled by a whole factor, nearest neighbour, and the
// overlay cut to the window.
#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/live/live_picture.h"

namespace {

using LivePicture = farview_test::HostTest;

TEST_F(LivePicture, EachScreenPixelBecomesASquareOfItsColour) {
    simhost::fillScreen(0x0000);
    simhost::surfaceRow(simhost::screen(), 239)[319] = 0xF800; // the last pixel, red
    simhost::surfaceRow(simhost::screen(), 0)[1] = 0x001F;     // blue
    live::WindowImage image;
    live::scaleScreen(3, image);
    ASSERT_EQ(image.width, 960);
    ASSERT_EQ(image.height, 720);
    auto at = [&](int32_t x, int32_t y) { return image.pixels[static_cast<size_t>(y * image.width + x)]; };
    for (int32_t y = 717; y < 720; ++y)
        for (int32_t x = 957; x < 960; ++x) EXPECT_EQ(at(x, y), 0xFF0000u) << x << "," << y;
    EXPECT_EQ(at(956, 719), 0x000000u);
    EXPECT_EQ(at(3, 2), 0x0000FFu);
    EXPECT_EQ(at(5, 2), 0x0000FFu);
    EXPECT_EQ(at(6, 0), 0x000000u);
    EXPECT_EQ(at(3, 3), 0x000000u);
}

// A message longer than the window wraps at blanks (a word too long for a line is cut), a line
// break in it starts a new line, and a character outside ASCII is one '?'.
TEST(LiveOverlay, LongMessagesWrapAndLineBreaksBreak) {
    const std::vector<live::OverlayLine> lines = live::wrappedLines(
        {{"There was an error.\nPlease load the map first", true}, {"CharSet/B\xC3\xA4ume.png", false}}, 14);
    const std::vector<std::string> expected = {"There was an", "  error.",       "Please load", "  the map",
                                               "  first",      "CharSet/B?ume.", "  png"};
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, expected[i]);
        EXPECT_EQ(lines[i].warning, i < 5);
    }
    live::WindowImage image{60, 40, std::vector<uint32_t>(60 * 40, 0xFFFFFFu)};
    live::drawOverlay({{std::string(12, 'M')}}, 1, image);
    // Nine characters of 6 pixels fit between margins of 2: the band ends at 58, two lines down.
    EXPECT_EQ(image.pixels[57], 0x7F7F7Fu);
    EXPECT_EQ(image.pixels[58], 0xFFFFFFu);
    EXPECT_EQ(image.pixels[23 * 60], 0x7F7F7Fu);
    EXPECT_EQ(image.pixels[24 * 60], 0xFFFFFFu);
}

} // namespace
