// Drawing for the demo game's images: a paletted canvas with small shapes, the noise the
// generators share, and the painters of each image. Every image keeps one 8-bit palette in which
// index 0 is transparent.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace preview::demo {

using Palette = std::array<uint32_t, 256>; // 0x00RRGGBB

struct Canvas {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels; // row by row
    Palette palette{};

    Canvas() = default;
    Canvas(int32_t w, int32_t h, const Palette &colours);

    bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint8_t at(int32_t x, int32_t y) const { return inside(x, y) ? pixels[size_t(y) * width + x] : 0; }
    void set(int32_t x, int32_t y, uint8_t colour) {
        if (inside(x, y)) pixels[size_t(y) * width + x] = colour;
    }
    void fillRect(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour);
    // The pixels whose centres lie inside the ellipse.
    void fillEllipse(double centreX, double centreY, double radiusX, double radiusY, uint8_t colour);
    // Copies a rectangle of another canvas; index 0 leaves the target as it was.
    void blit(const Canvas &source, int32_t sourceX, int32_t sourceY, int32_t w, int32_t h, int32_t x, int32_t y);
    // Draws a one-pixel line of the colour round every shape, on the transparent pixels that touch
    // a drawn one, inside the rectangle only.
    void outline(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour);
};

// Writes the canvas as an 8-bit paletted PNG; *error names the file when it cannot.
bool writeCanvas(const Canvas &canvas, const std::filesystem::path &file, std::string *error);

// Repeatable noise: the same inputs give the same value on every machine.
uint32_t hash(int32_t x, int32_t y, uint32_t seed);
double hashUnit(int32_t x, int32_t y, uint32_t seed); // 0 to 1
// Smooth value noise, 0 to 1, with features about `scale` units apart.
double smoothNoise(double x, double y, double scale, uint32_t seed);

// A 4 x 4 ordered-dither threshold, 0 to 1: pixels that mix two shades in a steady pattern.
double ditherThreshold(int32_t x, int32_t y);

// Floor of a double as an integer, through the one float-to-integer conversion.
int32_t floorToInt(double value);

// ---- The images ------------------------------------------------------------------------------------
Canvas paintTileset();   // 480 x 256, the layout the map texture builder reads
Canvas paintHeroSheet(); // 288 x 256 character sheets, eight characters each
Canvas paintVillagerSheet();
Canvas paintAnimalSheet();
Canvas paintHeroStrip();   // the hero's four views side by side, 24 x 32 each
Canvas paintStatueStrip(); // eight views of a statue, 32 x 48 each
Canvas paintTreeImage();   // one standing tree, 48 x 64
Canvas paintPanorama();    // the band above the horizon, one full turn wide

} // namespace preview::demo
