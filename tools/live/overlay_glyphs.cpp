#include "tools/live/overlay_glyphs.h"

#include <algorithm>

namespace live {

namespace glyph_data {
// overlay_glyphs.cmake's records: a big-endian code point, then the rows.
extern const char kNarrow[];
extern const size_t kNarrowSize;
extern const char kWide[];
extern const size_t kWideSize;
extern const char kMarks[]; // code points alone
extern const size_t kMarksSize;
} // namespace glyph_data

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Records of one size, sorted by code point, searched by halves.
class Records {
public:
    Records(const char *bytes, size_t size, size_t rowBytes)
        : bytes_(reinterpret_cast<const uint8_t *>(bytes)), length_(2 + rowBytes), count_(size / length_) {}

    const uint8_t *find(char32_t c) const {
        size_t low = 0, high = count_;
        while (low < high) {
            const size_t middle = (low + high) / 2;
            const char32_t at = codePointAt(middle);
            if (at == c) return bytes_ + middle * length_ + 2;
            (at < c ? low = middle + 1 : high = middle);
        }
        return nullptr;
    }

private:
    char32_t codePointAt(size_t i) const {
        const uint8_t *record = bytes_ + i * length_;
        return static_cast<char32_t>(record[0] << 8 | record[1]);
    }

    const uint8_t *bytes_;
    size_t length_;
    size_t count_;
};

const Records &narrow() {
    static const Records records(glyph_data::kNarrow, glyph_data::kNarrowSize, kGlyphRows);
    return records;
}
const Records &wide() {
    static const Records records(glyph_data::kWide, glyph_data::kWideSize, 2 * kGlyphRows);
    return records;
}
const Records &marks() {
    static const Records records(glyph_data::kMarks, glyph_data::kMarksSize, 0);
    return records;
}

// The length of the UTF-8 sequence a lead byte starts and its payload bits; 0 for no lead byte.
size_t sequenceLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

} // namespace

Glyph overlayGlyph(char32_t c) {
    const bool mark = c <= 0xFFFF && marks().find(c) != nullptr;
    if (const uint8_t *rows = c <= 0xFFFF ? narrow().find(c) : nullptr) return {rows, kNarrowGlyphWidth, mark};
    if (const uint8_t *rows = c <= 0xFFFF ? wide().find(c) : nullptr) return {rows, 2 * kNarrowGlyphWidth, mark};
    static const uint8_t kBlank[2 * kGlyphRows] = {};
    return c == kReplacement ? Glyph{kBlank, 2 * kNarrowGlyphWidth, false} : overlayGlyph(kReplacement);
}

std::vector<char32_t> codePointsOf(const std::string &utf8) {
    std::vector<char32_t> points;
    for (size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<uint8_t>(utf8[at]);
        const size_t length = sequenceLength(lead);
        char32_t c = length <= 1 ? lead : lead & (0x7Fu >> length);
        size_t taken = 1;
        for (; length > 1 && taken < length && at + taken < utf8.size(); ++taken) {
            const auto next = static_cast<uint8_t>(utf8[at + taken]);
            if ((next & 0xC0) != 0x80) break;
            c = (c << 6) | (next & 0x3Fu);
        }
        const char32_t shortest = length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u; // no longer form
        const bool whole = length > 0 && taken == length && (length == 1 || c >= shortest);
        points.push_back(whole && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF) ? c : kReplacement);
        at += length == 0 ? 1 : taken;
    }
    return points;
}

size_t textColumns(const std::string &utf8) {
    size_t columns = 0;
    for (char32_t c : codePointsOf(utf8)) {
        const Glyph glyph = overlayGlyph(c);
        if (!glyph.mark) columns += static_cast<size_t>(glyph.width / kNarrowGlyphWidth);
    }
    return columns;
}

} // namespace live
