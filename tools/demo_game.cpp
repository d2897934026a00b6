#include "tools/demo_game.h"

#include <cstdint>
#include <functional>

#include "simhost/simhost.h"
#include "tools/mapfile_writer.h"

namespace preview {

namespace {

constexpr int32_t kMapWidth = 40;
constexpr int32_t kMapHeight = 30;

enum Colour : uint8_t { Clear, Grass, GrassDark, Water, WaterLight, Stone, StoneDark, Bark, Leaf, LeafDark, Petal, Sky, SkyHigh, Hill, Cloud };

const uint32_t kPalette[] = {0x000000, 0x4c9a3c, 0x3d7f31, 0x2a5fa8, 0x5d8fd6, 0x9a9282, 0x6f6a5e, 0x6b4a2b,
                             0x2f7a2a, 0x1f5a1c, 0xe6d34a, 0x8cc4ee, 0x4d87c9, 0x5f7f4a, 0xf2f4f8};

using Painter = std::function<uint8_t(int32_t x, int32_t y)>; // pixel of a 16 x 16 cell

void paintCell(FvHostImage &image, int32_t cellX, int32_t cellY, const Painter &paint) {
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            image.pixels[(cellY * 16 + y) * image.width + cellX * 16 + x] = paint(x, y);
}

uint8_t grass(int32_t x, int32_t y) { return ((x * 7 + y * 13) % 11 == 0) ? GrassDark : Grass; }
uint8_t water(int32_t x, int32_t y) { return ((x + 2 * y) % 9 == 0) ? WaterLight : Water; }
uint8_t stone(int32_t x, int32_t y) { return (x % 8 == 0 || y % 8 == 0) ? StoneDark : Stone; }

uint8_t tree(int32_t x, int32_t y) {
    int32_t dx = x - 8, dy = y - 6;
    if (dx * dx + dy * dy <= 30) return ((dx + dy) % 3 == 0) ? LeafDark : Leaf;
    if (y >= 11 && x >= 7 && x <= 8) return Bark;
    return Clear;
}

uint8_t flowers(int32_t x, int32_t y) { return ((x * 5 + y * 3) % 13 == 0) ? Petal : Clear; }

// The cells the demo map uses: the water autotile's base cell, two plain lower tiles (grass,
// road) and two upper tiles (tree, flowers).
bool writeTileset(const std::filesystem::path &file, std::string *error) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, 480, 256);
    for (int i = 0; i < 15; ++i) image->palette[i] = kPalette[i];
    paintCell(*image, 0, 4, water);    // column autotile A, base cell
    paintCell(*image, 12, 0, grass);   // plain lower tile 5000
    paintCell(*image, 13, 0, stone);   // plain lower tile 5001
    paintCell(*image, 18, 8, tree);    // upper tile 10000
    paintCell(*image, 19, 8, flowers); // upper tile 10001
    bool ok = simhost::writeImagePng(*image, file.string(), error);
    simhost::destroyImage(image);
    return ok;
}

mapfile::MapLayers demoLayers() {
    mapfile::MapLayers layers;
    layers.width = kMapWidth;
    layers.height = kMapHeight;
    for (int32_t y = 0; y < kMapHeight; ++y) {
        for (int32_t x = 0; x < kMapWidth; ++x) {
            int32_t px = x - 28, py = y - 9;
            bool pond = px * px + 2 * py * py < 30;
            bool road = (y == 15 || x == 20) && !pond;
            bool border = x == 0 || y == 0 || x == kMapWidth - 1 || y == kMapHeight - 1;
            uint16_t lower = pond ? 0 : road ? 5001 : 5000;
            uint16_t upper = 10002; // an empty upper tile: index 0 throughout
            if (!pond && !road && (border || (x * 31 + y * 17) % 23 == 0)) upper = 10000;
            else if (!pond && !road && (x * 13 + y * 7) % 19 == 0) upper = 10001;
            layers.lower.push_back(lower);
            layers.upper.push_back(upper);
        }
    }
    return layers;
}

bool writeBackground(const std::filesystem::path &file, std::string *error) {
    FvHostImage *image = simhost::createImage();
    const int32_t width = 720, height = 120;
    simhost::setImageSize(image, width, height);
    for (int i = 0; i < 15; ++i) image->palette[i] = kPalette[i];
    for (int32_t x = 0; x < width; ++x) {
        int32_t hill = 92 + (x % 180 < 90 ? x % 90 : 90 - x % 90) / 4; // a row of low hills
        for (int32_t y = 0; y < height; ++y) {
            uint8_t colour = y < 40 ? SkyHigh : Sky;
            if (y >= hill) colour = Hill;
            if (y > 20 && y < 30 && (x / 60) % 3 == 0 && (x % 60) > 10) colour = Cloud;
            image->pixels[y * width + x] = colour;
        }
    }
    bool ok = simhost::writeImagePng(*image, file.string(), error);
    simhost::destroyImage(image);
    return ok;
}

} // namespace

bool writeDemoGame(const std::filesystem::path &folder, std::string *error) {
    std::error_code failure;
    std::filesystem::create_directories(folder / "ChipSet", failure);
    if (failure) {
        *error = "cannot create " + (folder / "ChipSet").string() + ": " + failure.message();
        return false;
    }
    return writeTileset(folder / "ChipSet" / "Meadow.png", error) &&
           mapfile::writeMapFile((folder / mapfile::mapFileName(1)).string(), demoLayers(), error) &&
           writeBackground(folder / "background.png", error);
}

const char *const kDemoScript = R"(# The demo: the hero in the middle of a meadow, the view turning round him.
map 1 40 30
tileset Meadow Meadow
hero 20 15 0
@load_map_to_texture
@set_boundary_texture 1, 1
@set_background "background.png"
@init_mode7 true
frame frame-0-default.png
@rotate_right_by 45
frame frame-1-angle-315.png
@rotate_to 90
frame frame-2-angle-90.png
@set_horizon 30, 10
@set_wrapping true
frame frame-3-wrapping.png
)";

} // namespace preview
