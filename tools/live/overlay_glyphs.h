// The overlay's lettering: GNU Unifont's glyphs (16 pixels high, 8 or 16 wide) for every script
// the games' code pages hold, compiled in from Debian's unifont package at build time
// (overlay_glyphs.cmake), so that the programs need no installed font.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace live {

constexpr int32_t kGlyphRows = 16;
constexpr int32_t kNarrowGlyphWidth = 8; // a column of the overlay; wide glyphs take two

struct Glyph {
    const uint8_t *rows = nullptr; // kGlyphRows rows of width / 8 bytes each, bit 7 the left pixel
    int32_t width = 0;             // 8 or 16
    bool mark = false;             // drawn over the character before it, taking no room
};

// The glyph of a code point; U+FFFD's for one the set lacks.
Glyph overlayGlyph(char32_t codePoint);

// The code points of UTF-8 text; a byte that is no UTF-8 character stands for U+FFFD.
std::vector<char32_t> codePointsOf(const std::string &utf8);

// The columns the text takes: 1 a narrow glyph, 2 a wide one, none a mark.
size_t textColumns(const std::string &utf8);

// Calls plot(x, y) for every set pixel of the text drawn with its top-left corner at (x, y), each
// glyph pixel as a scale x scale square. One line.
template <class Plot> void drawGlyphs(const std::string &utf8, int32_t x, int32_t y, int32_t scale, Plot plot) {
    int32_t pen = x;
    for (char32_t c : codePointsOf(utf8)) {
        const Glyph glyph = overlayGlyph(c);
        const int32_t left = glyph.mark ? pen - glyph.width * scale : pen;
        const int32_t bytes = glyph.width / 8;
        for (int32_t row = 0; row < kGlyphRows; ++row)
            for (int32_t column = 0; column < glyph.width; ++column)
                if ((glyph.rows[row * bytes + column / 8] >> (7 - column % 8)) & 1)
                    for (int32_t dy = 0; dy < scale; ++dy)
                        for (int32_t dx = 0; dx < scale; ++dx) plot(left + column * scale + dx, y + row * scale + dy);
        if (!glyph.mark) pen += glyph.width * scale;
    }
}

} // namespace live
