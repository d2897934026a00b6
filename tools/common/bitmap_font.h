// A small bitmap font for the tools' own lettering (labels on pictures, overlays): 6 x 10 pixels a
// character, printable ASCII only.
#pragma once

#include <cstdint>
#include <string>

namespace tools {

constexpr int32_t kGlyphWidth = 6;   // the advance from one character to the next
constexpr int32_t kGlyphHeight = 10; // the line height, descenders included
constexpr unsigned char kFirstCharacter = 32;
constexpr unsigned char kLastCharacter = 126;

// The 10 rows of a character's glyph, bit 7 the left column; '?' for characters outside ASCII 32
// to 126.
const uint8_t *glyphRows(char character);

// Whether pixel (column, row) of the character's glyph is set; false outside the glyph.
bool glyphPixel(char character, int32_t column, int32_t row);

// Calls plot(x, y) for every set pixel of the text drawn with its top-left corner at (x, y), each
// font pixel as a scale x scale square. One line: a '\n' is drawn as '?'.
template <class Plot> void drawText(const std::string &text, int32_t x, int32_t y, int32_t scale, Plot plot) {
    for (size_t i = 0; i < text.size(); ++i) {
        const int32_t left = x + static_cast<int32_t>(i) * kGlyphWidth * scale;
        for (int32_t row = 0; row < kGlyphHeight; ++row)
            for (int32_t column = 0; column < kGlyphWidth; ++column)
                if (glyphPixel(text[i], column, row))
                    for (int32_t dy = 0; dy < scale; ++dy)
                        for (int32_t dx = 0; dx < scale; ++dx) plot(left + column * scale + dx, y + row * scale + dy);
    }
}

inline int32_t textWidth(const std::string &text, int32_t scale) {
    return static_cast<int32_t>(text.size()) * kGlyphWidth * scale;
}

} // namespace tools
