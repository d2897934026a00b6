#include "tools/live/live_picture.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

#include "simhost/simhost.h"
#include "tools/live/overlay_glyphs.h"
#include "tools/preview/preview_animation.h"

namespace live {

namespace {

constexpr uint32_t kTextColour = 0xFFFFFF;
constexpr uint32_t kWarningColour = 0xFFD75F;
constexpr int32_t kMargin = 2; // font pixels round the text

// Every screen colour's window colour, worked out once.
const uint32_t *windowColours() {
    static const std::unique_ptr<std::array<uint32_t, 65536>> table = [] {
        auto colours = std::make_unique<std::array<uint32_t, 65536>>();
        for (uint32_t c = 0; c < colours->size(); ++c) (*colours)[c] = preview::rgbOf(static_cast<uint16_t>(c));
        return colours;
    }();
    return table->data();
}

const char *facingName(int32_t facing) {
    static const char *const kNames[] = {"up", "right", "down", "left"};
    return facing >= 0 && facing < 4 ? kNames[facing] : "?";
}

std::string yesNo(bool value) { return value ? "yes" : "no"; }

constexpr const char *kIndent = "  ";

std::string utf8Of(std::vector<char32_t>::const_iterator first, std::vector<char32_t>::const_iterator last) {
    std::string text;
    for (; first != last; ++first) {
        const char32_t c = *first;
        if (c < 0x80) {
            text += static_cast<char>(c);
            continue;
        }
        const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static const unsigned kLeads[] = {0, 0xC0, 0xE0, 0xF0}; // by the number of bytes after the lead
        text += static_cast<char>(kLeads[extra] | (c >> (6 * extra)));
        for (int i = extra - 1; i >= 0; --i) text += static_cast<char>(0x80u | ((c >> (6 * i)) & 0x3Fu));
    }
    return text;
}

size_t columnsOf(char32_t c) {
    const Glyph glyph = overlayGlyph(c);
    return glyph.mark ? 0 : static_cast<size_t>(glyph.width / kNarrowGlyphWidth);
}

// Where a line of room columns ends in text: at its last blank that leaves something before it,
// else as many characters as fit (one at least), a character's marks kept with it.
size_t cutFor(const std::vector<char32_t> &text, size_t room) {
    size_t used = 0, cut = 0, lastBlank = 0;
    while (cut < text.size() && (used + columnsOf(text[cut]) <= room || cut == 0)) {
        used += columnsOf(text[cut]);
        if (text[cut] == ' ' && cut > 0) lastBlank = cut;
        ++cut;
    }
    while (cut < text.size() && columnsOf(text[cut]) == 0) ++cut;
    return cut == text.size() || text[cut] == ' ' || lastBlank == 0 ? cut : lastBlank;
}

// Darkens the band the text stands on to half, so that it reads on any floor.
void darken(WindowImage &image, int32_t width, int32_t height) {
    for (int32_t y = 0; y < std::min(height, image.height); ++y) {
        uint32_t *row = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
        for (int32_t x = 0; x < std::min(width, image.width); ++x) row[x] = (row[x] >> 1) & 0x7F7F7Fu;
    }
}

// libpng reports a failure by a long jump out of the writing call: nothing here owns anything
// that a jump could leak but the file and libpng's own structures, closed by the caller.
bool writeRows(std::FILE *file, const WindowImage &image, const std::vector<png_byte> &rgb) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < image.height; ++y)
        png_write_row(png, rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width) * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writeWindowPng(const WindowImage &image, const std::string &path, std::string *error) {
    std::vector<png_byte> rgb;
    rgb.reserve(image.pixels.size() * 3);
    for (uint32_t pixel : image.pixels)
        for (int shift : {16, 8, 0}) rgb.push_back(static_cast<png_byte>(pixel >> shift));
    std::FILE *file = image.width > 0 && image.height > 0 ? std::fopen(path.c_str(), "wb") : nullptr;
    const bool written = file != nullptr && writeRows(file, image, rgb);
    const bool closed = file != nullptr && std::fclose(file) == 0;
    if (!written || !closed) *error = "cannot write " + path;
    return written && closed;
}

void scaleScreen(int32_t scale, WindowImage &image) {
    const int32_t s = std::max(1, scale);
    image.width = simhost::kScreenWidth * s;
    image.height = simhost::kScreenHeight * s;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    const uint32_t *colours = windowColours();
    const size_t rowBytes = static_cast<size_t>(image.width) * sizeof(uint32_t);
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y) {
        const uint16_t *source = simhost::surfaceRow(simhost::screen(), y);
        uint32_t *first = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(s * image.width);
        uint32_t *out = first;
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x, out += s) std::fill_n(out, s, colours[source[x]]);
        for (int32_t copy = 1; copy < s; ++copy) std::memcpy(first + copy * image.width, first, rowBytes);
    }
}

std::vector<OverlayLine> overlayLines(const OverlayFacts &facts) {
    const LiveState &s = facts.state;
    const ViewValues &v = s.view;
    std::vector<OverlayLine> lines{
        {"map " + std::to_string(facts.mapId) + "  hero " + std::to_string(s.hero.column) + "," +
         std::to_string(s.hero.row) + " facing " + facingName(s.facing) + "  angle " + formatNumber(v.angle) +
         (s.relativeWalking ? "  walking relative to the view" : "  walking in map directions")},
        {"horizon " + std::to_string(v.horizon) + ", " + std::to_string(v.horizonOffset) + "  camera height " +
         formatNumber(v.cameraHeight) + "  scale " + formatNumber(v.scale) + "  rotational offset " +
         formatNumber(v.rotationalOffset)},
        {"wrapping " + yesNo(v.wrapping) + "  background " + yesNo(v.usingBackground) + "  drawing " +
         yesNo(v.drawing)},
        {"+/- changes the " + std::string(settingName(s.setting)) + " by " +
         std::to_string(settingStep(s.setting, false)) + " (with Ctrl by " +
         std::to_string(settingStep(s.setting, true)) + ")"},
        {"plug-in " + std::to_string(facts.pluginMicroseconds) + " us a frame, " +
         std::to_string(facts.framesPerSecond) + " frames a second" + (facts.recording ? "  recording a turn" : "")},
    };
    for (const std::string &line : facts.sent) lines.push_back({"> " + line});
    for (const Message &note : facts.notes) lines.push_back(note);
    return lines;
}

std::vector<OverlayLine> wrappedLines(const std::vector<OverlayLine> &lines, size_t columns) {
    std::vector<OverlayLine> wrapped;
    if (columns == 0) return wrapped;
    const size_t indent = std::string(kIndent).size();
    for (const OverlayLine &line : lines) {
        std::vector<char32_t> text = codePointsOf(line.text);
        std::replace(text.begin(), text.end(), U'\t', U' ');
        for (auto start = text.begin(); start <= text.end();) {
            const auto end = std::find(start, text.end(), U'\n');
            std::vector<char32_t> rest(start, end);
            for (bool first = true; first || !rest.empty(); first = false) {
                const size_t room = first || columns <= indent + 1 ? columns : columns - indent;
                size_t cut = cutFor(rest, room);
                const std::string shown = utf8Of(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(cut));
                wrapped.push_back({(first || columns <= indent + 1 ? "" : kIndent) + shown, line.warning});
                while (cut < rest.size() && rest[cut] == U' ') ++cut;
                rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(cut));
            }
            if (end == text.end()) break;
            start = end + 1;
        }
    }
    return wrapped;
}

void drawOverlay(const std::vector<OverlayLine> &given, int32_t fontScale, WindowImage &image) {
    const int32_t scale = std::max(1, fontScale);
    const int32_t lineHeight = kGlyphRows * scale;
    const int32_t margin = kMargin * scale;
    const int32_t columnWidth = kNarrowGlyphWidth * scale;
    const size_t longest = static_cast<size_t>(std::max(0, (image.width - 2 * margin) / columnWidth));
    const std::vector<OverlayLine> lines = wrappedLines(given, longest);
    size_t widest = 0;
    for (const OverlayLine &line : lines) widest = std::max(widest, std::min(textColumns(line.text), longest));
    darken(image, static_cast<int32_t>(widest) * columnWidth + 2 * margin,
           static_cast<int32_t>(lines.size()) * lineHeight + 2 * margin);
    for (size_t i = 0; i < lines.size(); ++i) {
        const uint32_t colour = lines[i].warning ? kWarningColour : kTextColour;
        const int32_t top = margin + static_cast<int32_t>(i) * lineHeight;
        drawGlyphs(lines[i].text, margin, top, scale, [&](int32_t x, int32_t y) {
            if (x >= 0 && y >= 0 && x < image.width && y < image.height)
                image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
                    colour;
        });
    }
}

} // namespace live
