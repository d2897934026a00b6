// A contact sheet: every map of a game as a small picture, labelled with the map's number, in one
// PNG image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

// Up to kLargeSheet maps the thumbnails are half the screen's size, ten to a row; beyond, a
// quarter, twenty to a row, so that a game of hundreds of maps still fits a screen's width.
constexpr size_t kLargeSheet = 100;

class ContactSheet {
public:
    // Room for count cells, filled left to right and top to bottom in the order they are added;
    // cells beyond count are not drawn.
    explicit ContactSheet(size_t count);

    // The screen's pixels (RGB565, row by row, 320 x 240) of the map's still, made smaller by
    // averaging.
    void add(int32_t mapId, const std::vector<uint16_t> &screen);
    // A cell for a map that could not be rendered, labelled as failed.
    void addFailed(int32_t mapId);

    bool write(const std::string &path, std::string *error) const;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

private:
    struct Cell {
        int32_t left, top; // the thumbnail's top-left pixel; its label lies under it
    };
    bool nextCell(Cell &cell);
    void shrink(const Cell &cell, const std::vector<uint16_t> &screen);
    void label(const Cell &cell, const std::string &text, uint32_t rgb);
    void fill(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rgb);
    void put(int32_t x, int32_t y, uint32_t rgb);

    size_t count_;
    int32_t scale_;   // screen pixels a thumbnail pixel stands for, each way
    int32_t columns_; // cells a row
    int32_t thumbnailWidth_;
    int32_t thumbnailHeight_;
    int32_t width_;
    int32_t height_;
    size_t next_ = 0; // the next cell to fill
    std::vector<uint8_t> rgb_;
};

} // namespace preview
