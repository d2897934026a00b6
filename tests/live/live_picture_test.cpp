// The window's pixels: the host's screen scaled by a whole factor, nearest neighbour, and the
// overlay cut to the window.
#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/live/live_picture.h"
#include "tools/live/overlay_glyphs.h"

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
// break in it starts a new line, and a character outside ASCII keeps its own glyph.
TEST(LiveOverlay, LongMessagesWrapAndLineBreaksBreak) {
    const std::vector<live::OverlayLine> lines = live::wrappedLines(
        {{"There was an error.\nPlease load the map first", true}, {"CharSet/B\xC3\xA4ume.png", false}}, 14);
    const std::vector<std::string> expected = {
        "There was an", "  error.", "Please load", "  the map", "  first", "CharSet/B\xC3\xA4ume.", "  png"};
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, expected[i]);
        EXPECT_EQ(lines[i].warning, i < 5);
    }
    live::WindowImage image{70, 40, std::vector<uint32_t>(70 * 40, 0xFFFFFFu)};
    live::drawOverlay({{std::string(12, 'M')}}, 1, image);
    // Eight columns of 8 pixels fit between margins of 2: the band ends at 68, two lines of 16 down.
    EXPECT_EQ(image.pixels[67], 0x7F7F7Fu);
    EXPECT_EQ(image.pixels[68], 0xFFFFFFu);
    EXPECT_EQ(image.pixels[35 * 70], 0x7F7F7Fu);
    EXPECT_EQ(image.pixels[36 * 70], 0xFFFFFFu);
}

// A Chinese name (the overlay showed "??" for it once) is drawn in glyphs of its own, two columns a
// character.
TEST(LiveOverlay, ChineseCharactersHaveTheirOwnGlyphsTwoColumnsWide) {
    const std::vector<live::OverlayLine> lines = live::wrappedLines({{"ChipSet/\u5167\u90E8.png", false}}, 10);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "ChipSet/\u5167");
    EXPECT_EQ(lines[1].text, "  \u90E8.png");
    const auto drawn = [](const std::string &text) {
        live::WindowImage image{40, 20, std::vector<uint32_t>(40 * 20, 0xFFFFFFu)};
        live::drawOverlay({{text}}, 1, image);
        return image.pixels;
    };
    const std::vector<uint32_t> inside = drawn("\u5167");
    EXPECT_NE(inside, drawn("\uFFFD")); // what stands for a character the glyphs lack
    EXPECT_NE(inside, drawn("\u90E8"));
    EXPECT_EQ(inside[19], 0x7F7F7Fu); // 16 pixels and the margins
    EXPECT_EQ(inside[20], 0xFFFFFFu);
}

// A message's bytes that are no UTF-8 character (a name cut short, an overlong form, a surrogate)
// show as the replacement character, read no further than the text.
TEST(LiveOverlay, BytesThatAreNoUtf8ShowAsTheReplacementCharacter) {
    EXPECT_EQ(live::codePointsOf("a\xE5\x85"), (std::vector<char32_t>{U'a', 0xFFFD}));
    EXPECT_EQ(live::codePointsOf("\xC0\x80z"), (std::vector<char32_t>{0xFFFD, 0xFFFD, U'z'}));
    EXPECT_EQ(live::codePointsOf("\xED\xA0\x80\xF4\x90\x80\x80"), (std::vector<char32_t>{0xFFFD, 0xFFFD}));
}

} // namespace
