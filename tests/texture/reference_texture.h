// The map texture built the plain way, cell by cell: clear the texture, draw the lower layer, then
// copy every upper cell over it, testing every pixel for index 0. The fast builder must produce
// exactly these pixels. Header-only: the benchmark program includes it as well.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "host/host.h"
#include "mapdata/map_loading.h"
#include "texture/map_texture.h"

namespace farview_test {

// Copies one 16 x 16 tileset cell, index 0 transparent; a cell not wholly inside the tileset is
// not drawn.
inline void referenceCopyCell(FvHostImage &texture, int32_t targetX, int32_t targetY, const FvHostImage *tileset,
                              int32_t sourceX, int32_t sourceY) {
    if (tileset == nullptr || tileset->pixels == nullptr) return;
    if (sourceX < 0 || sourceY < 0 || sourceX + 16 > tileset->width || sourceY + 16 > tileset->height) return;
    for (int32_t i = 0; i < 16; ++i)
        for (int32_t j = 0; j < 16; ++j) {
            const uint8_t index = tileset->pixels[size_t(sourceY + i) * size_t(tileset->width) + size_t(sourceX + j)];
            if (index != 0) texture.pixels[size_t(targetY + i) * size_t(texture.width) + size_t(targetX + j)] = index;
        }
}

// Plain lower tiles and upper tiles: six to a row, 96 to a band of six columns; ids beyond the
// 480-pixel width have no cell.
inline bool referenceBandCell(int32_t firstColumn, int32_t d, int32_t &x, int32_t &y) {
    if (d < 0) return false;
    x = 16 * (firstColumn + 6 * (d / 96) + d % 6);
    y = 16 * ((d % 96) / 6);
    return x + 16 <= 480;
}

// Expects a record filled by a map load (or by setRandomMap) with a resolved tileset file name.
inline void buildMapTextureReference(farview::MapRecord &record) {
    if (record.mapTexture == nullptr) record.mapTexture = farview::host().createImage();
    farview::loadTilesetGraphic(record);
    FvHostImage &texture = *record.mapTexture;
    farview::host().setImageSize(&texture, record.width * 16, record.height * 16);
    texture.option = 1;
    std::copy(std::begin(record.tilesetImage->palette), std::end(record.tilesetImage->palette), texture.palette);
    farview::host().applyPalette(&texture);
    if (texture.pixels == nullptr) return;
    std::memset(texture.pixels, 0, size_t(texture.width) * size_t(texture.height));

    int32_t x = 0, y = 0;
    for (int32_t row = 0; row < record.height; ++row)
        for (int32_t column = 0; column < record.width; ++column) {
            const uint16_t id = record.lowerTileGrid.at(column, row);
            if (id < 5000)
                farview::composeLowerCell(record, id, 16 * column, 16 * row);
            else if (referenceBandCell(12, id - 5000, x, y))
                referenceCopyCell(texture, 16 * column, 16 * row, record.tilesetImage, x, y);
        }
    for (int32_t row = 0; row < record.height; ++row)
        for (int32_t column = 0; column < record.width; ++column)
            if (referenceBandCell(18, record.upperTileGrid.at(column, row) - 9952, x, y))
                referenceCopyCell(texture, 16 * column, 16 * row, record.tilesetImage, x, y);
}

} // namespace farview_test
