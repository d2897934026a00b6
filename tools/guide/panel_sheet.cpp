#include "tools/guide/panel_sheet.h"

#include <algorithm>

#include "simhost/simhost.h"
#include "tools/common/bitmap_font.h"
#include "tools/preview/preview_animation.h"

namespace guide {

namespace {

constexpr int32_t kMostColumns = 4;
constexpr int32_t kGap = 4; // between panels and round the picture
constexpr int32_t kLabelHeight = tools::kGlyphHeight + 4;
constexpr int32_t kCellWidth = simhost::kScreenWidth + kGap;
constexpr int32_t kCellHeight = simhost::kScreenHeight + kLabelHeight + kGap;
constexpr uint32_t kSheetColour = 0x202020;
constexpr uint32_t kLabelColour = 0xE8E8E8;
constexpr size_t kPaletteSize = 256;

// The picture in the screen's own colours, so that a panel keeps its pixels exactly.
struct Canvas {
    int32_t width;
    int32_t height;
    std::vector<uint16_t> pixels;

    void put(int32_t x, int32_t y, uint16_t colour) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    }
};

void placeScreen(const std::vector<uint16_t> &screen, int32_t left, int32_t top, Canvas &canvas) {
    if (screen.size() != size_t(simhost::kScreenWidth) * size_t(simhost::kScreenHeight)) return;
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x)
            canvas.put(left + x, top + y, screen[size_t(y) * simhost::kScreenWidth + size_t(x)]);
}

Canvas compose(const std::vector<Panel> &panels) {
    const int32_t columns = panelColumns(panels.size());
    const auto rows = static_cast<int32_t>((panels.size() + size_t(columns) - 1) / size_t(columns));
    Canvas canvas{kGap + columns * kCellWidth, kGap + std::max(rows, 1) * kCellHeight, {}};
    canvas.pixels.assign(size_t(canvas.width) * size_t(canvas.height), simhost::rgb565(kSheetColour));
    const uint16_t ink = simhost::rgb565(kLabelColour);
    for (size_t i = 0; i < panels.size(); ++i) {
        const int32_t left = kGap + static_cast<int32_t>(i % size_t(columns)) * kCellWidth;
        const int32_t top = kGap + static_cast<int32_t>(i / size_t(columns)) * kCellHeight;
        placeScreen(panels[i].screen, left, top, canvas);
        tools::drawText(panels[i].label, left, top + simhost::kScreenHeight + 2, 1,
                        [&](int32_t x, int32_t y) { canvas.put(x, y, ink); });
    }
    return canvas;
}

size_t colourCount(const std::vector<uint16_t> &pixels) {
    std::vector<bool> seen(size_t{1} << 16, false);
    size_t count = 0;
    for (uint16_t pixel : pixels) {
        if (!seen[pixel]) ++count;
        seen[pixel] = true;
    }
    return count;
}

bool writePaletted(const Canvas &canvas, const std::string &path, std::string *error) {
    preview::IndexedFrame indexed = preview::indexFrame(canvas.pixels);
    FvHostImage image{};
    image.pixels = indexed.indices.data();
    image.width = canvas.width;
    image.height = canvas.height;
    std::copy(indexed.palette.begin(), indexed.palette.end(), image.palette);
    return simhost::writeImagePng(image, path, error);
}

bool writeRgb(const Canvas &canvas, const std::string &path, std::string *error) {
    std::vector<uint8_t> rgb;
    rgb.reserve(canvas.pixels.size() * 3);
    for (uint16_t pixel : canvas.pixels) {
        const uint32_t colour = preview::rgbOf(pixel);
        rgb.insert(rgb.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
    }
    return simhost::writeRgbPng(path, canvas.width, canvas.height, rgb, error);
}

} // namespace

int32_t panelColumns(size_t panelCount) {
    const size_t rows = std::max<size_t>(1, (panelCount + kMostColumns - 1) / kMostColumns);
    return static_cast<int32_t>(std::max<size_t>(1, (panelCount + rows - 1) / rows));
}

bool writePanelSheet(const std::vector<Panel> &panels, const std::string &path, std::string *error) {
    const Canvas canvas = compose(panels);
    if (colourCount(canvas.pixels) <= kPaletteSize) return writePaletted(canvas, path, error);
    return writeRgb(canvas, path, error);
}

} // namespace guide
