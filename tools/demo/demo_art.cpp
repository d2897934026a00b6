#include "tools/demo/demo_art.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "numeric/numeric.h"
#include "simhost/simhost.h"

namespace preview::demo {

Canvas::Canvas(int32_t w, int32_t h, const Palette &colours)
    : width(std::max(w, 0)), height(std::max(h, 0)), pixels(size_t(width) * size_t(height), 0), palette(colours) {}

void Canvas::fillRect(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour) {
    for (int32_t row = std::max(y, 0); row < std::min(y + h, height); ++row)
        for (int32_t column = std::max(x, 0); column < std::min(x + w, width); ++column)
            pixels[size_t(row) * width + column] = colour;
}

void Canvas::fillEllipse(double centreX, double centreY, double radiusX, double radiusY, uint8_t colour) {
    if (radiusX <= 0.0 || radiusY <= 0.0) return;
    const int32_t top = floorToInt(centreY - radiusY), bottom = floorToInt(centreY + radiusY);
    const int32_t left = floorToInt(centreX - radiusX), right = floorToInt(centreX + radiusX);
    for (int32_t y = top; y <= bottom; ++y) {
        for (int32_t x = left; x <= right; ++x) {
            const double dx = (x + 0.5 - centreX) / radiusX, dy = (y + 0.5 - centreY) / radiusY;
            if (dx * dx + dy * dy <= 1.0) set(x, y, colour);
        }
    }
}

void Canvas::blit(const Canvas &source, int32_t sourceX, int32_t sourceY, int32_t w, int32_t h, int32_t x, int32_t y) {
    for (int32_t row = 0; row < h; ++row) {
        for (int32_t column = 0; column < w; ++column) {
            const uint8_t colour = source.at(sourceX + column, sourceY + row);
            if (colour != 0) set(x + column, y + row, colour);
        }
    }
}

void Canvas::outline(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour) {
    std::vector<uint8_t> ring(size_t(std::max(w, 0)) * size_t(std::max(h, 0)), 0);
    auto drawn = [&](int32_t column, int32_t row) {
        return column >= x && row >= y && column < x + w && row < y + h && at(column, row) != 0;
    };
    for (int32_t row = y; row < y + h; ++row) {
        for (int32_t column = x; column < x + w; ++column) {
            if (at(column, row) != 0) continue;
            if (drawn(column - 1, row) || drawn(column + 1, row) || drawn(column, row - 1) || drawn(column, row + 1))
                ring[size_t(row - y) * w + (column - x)] = 1;
        }
    }
    for (int32_t row = 0; row < h; ++row)
        for (int32_t column = 0; column < w; ++column)
            if (ring[size_t(row) * w + column] != 0) set(x + column, y + row, colour);
}

bool writeCanvas(const Canvas &canvas, const std::filesystem::path &file, std::string *error) {
    FvHostImage image;
    std::memset(&image, 0, sizeof image);
    std::vector<uint8_t> pixels = canvas.pixels; // the host image's buffer is not const
    image.pixels = pixels.data();
    image.width = canvas.width;
    image.height = canvas.height;
    std::copy(canvas.palette.begin(), canvas.palette.end(), image.palette);
    return simhost::writeImagePng(image, file.string(), error);
}

uint32_t hash(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9e3779b9u ^ uint32_t(x) * 0x85ebca6bu ^ uint32_t(y) * 0xc2b2ae35u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

double hashUnit(int32_t x, int32_t y, uint32_t seed) { return (hash(x, y, seed) >> 8) / double(1u << 24); }

double smoothNoise(double x, double y, double scale, uint32_t seed) {
    const double u = x / scale, v = y / scale;
    const int32_t cellX = floorToInt(u), cellY = floorToInt(v);
    const double fx = u - cellX, fy = v - cellY;
    const double sx = fx * fx * (3.0 - 2.0 * fx), sy = fy * fy * (3.0 - 2.0 * fy);
    const double top = hashUnit(cellX, cellY, seed) * (1.0 - sx) + hashUnit(cellX + 1, cellY, seed) * sx;
    const double bottom = hashUnit(cellX, cellY + 1, seed) * (1.0 - sx) + hashUnit(cellX + 1, cellY + 1, seed) * sx;
    return top * (1.0 - sy) + bottom * sy;
}

double ditherThreshold(int32_t x, int32_t y) {
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (kBayer[y & 3][x & 3] + 0.5) / 16.0;
}

int32_t floorToInt(double value) { return farview::truncateToInt32(std::floor(value)); }

} // namespace preview::demo
