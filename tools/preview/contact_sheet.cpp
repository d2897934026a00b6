#include "tools/preview/contact_sheet.h"

#include <algorithm>

#include "simhost/simhost.h"
#include "tools/common/bitmap_font.h"
#include "tools/preview/preview_animation.h"

namespace preview {

namespace {

constexpr int32_t kGap = 4;                               // between cells and round the sheet
constexpr int32_t kLabelHeight = tools::kGlyphHeight + 4; // the strip under a thumbnail
constexpr uint32_t kSheetColour = 0x202020;
constexpr uint32_t kLabelColour = 0xE8E8E8;
constexpr uint32_t kFailedColour = 0x582020; // the thumbnail of a map that could not be rendered
constexpr uint32_t kFailedLabelColour = 0xFF9080;

} // namespace

ContactSheet::ContactSheet(size_t count) : count_(count) {
    const bool large = count > kLargeSheet;
    scale_ = large ? 4 : 2;
    columns_ = static_cast<int32_t>(std::clamp<size_t>(count, 1, large ? 20 : 10));
    thumbnailWidth_ = simhost::kScreenWidth / scale_;
    thumbnailHeight_ = simhost::kScreenHeight / scale_;
    const auto rows = static_cast<int32_t>(std::max<size_t>(1, (count + size_t(columns_) - 1) / size_t(columns_)));
    width_ = kGap + columns_ * (thumbnailWidth_ + kGap);
    height_ = kGap + rows * (thumbnailHeight_ + kLabelHeight + kGap);
    rgb_.resize(size_t(width_) * size_t(height_) * 3);
    fill(0, 0, width_, height_, kSheetColour);
}

void ContactSheet::add(int32_t mapId, const std::vector<uint16_t> &screen) {
    Cell cell{};
    if (!nextCell(cell)) return;
    if (screen.size() == size_t(simhost::kScreenWidth) * size_t(simhost::kScreenHeight)) shrink(cell, screen);
    label(cell, std::to_string(mapId), kLabelColour);
}

void ContactSheet::addFailed(int32_t mapId) {
    Cell cell{};
    if (!nextCell(cell)) return;
    fill(cell.left, cell.top, thumbnailWidth_, thumbnailHeight_, kFailedColour);
    label(cell, std::to_string(mapId) + " failed", kFailedLabelColour);
}

bool ContactSheet::write(const std::string &path, std::string *error) const {
    return simhost::writeRgbPng(path, width_, height_, rgb_, error);
}

bool ContactSheet::nextCell(Cell &cell) {
    if (next_ >= count_) return false;
    const auto index = static_cast<int32_t>(next_++);
    cell.left = kGap + (index % columns_) * (thumbnailWidth_ + kGap);
    cell.top = kGap + (index / columns_) * (thumbnailHeight_ + kLabelHeight + kGap);
    return true;
}

// Each thumbnail pixel is the average of the scale x scale screen pixels it stands for.
void ContactSheet::shrink(const Cell &cell, const std::vector<uint16_t> &screen) {
    const uint32_t area = uint32_t(scale_) * uint32_t(scale_);
    for (int32_t y = 0; y < thumbnailHeight_; ++y) {
        for (int32_t x = 0; x < thumbnailWidth_; ++x) {
            uint32_t red = 0, green = 0, blue = 0;
            for (int32_t dy = 0; dy < scale_; ++dy) {
                for (int32_t dx = 0; dx < scale_; ++dx) {
                    const size_t at = size_t(y * scale_ + dy) * size_t(simhost::kScreenWidth) + size_t(x * scale_ + dx);
                    const uint32_t rgb = rgbOf(screen[at]);
                    red += rgb >> 16;
                    green += (rgb >> 8) & 0xFF;
                    blue += rgb & 0xFF;
                }
            }
            put(cell.left + x, cell.top + y, ((red / area) << 16) | ((green / area) << 8) | (blue / area));
        }
    }
}

void ContactSheet::label(const Cell &cell, const std::string &text, uint32_t rgb) {
    tools::drawText(text, cell.left, cell.top + thumbnailHeight_ + 2, 1, [&](int32_t x, int32_t y) { put(x, y, rgb); });
}

void ContactSheet::fill(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rgb) {
    for (int32_t row = y; row < y + height; ++row)
        for (int32_t column = x; column < x + width; ++column) put(column, row, rgb);
}

void ContactSheet::put(int32_t x, int32_t y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t *pixel = &rgb_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
    pixel[0] = static_cast<uint8_t>(rgb >> 16);
    pixel[1] = static_cast<uint8_t>(rgb >> 8);
    pixel[2] = static_cast<uint8_t>(rgb);
}

} // namespace preview
