// The demo tileset "Meadow": 480 x 256 pixels in the layout the map texture builder reads. Every
// ground texture is a function of the pixel's place within its 16 x 16 cell, so that the same
// ground drawn in two cells, or in the part of an autotile piece that shows it, meets without a
// seam.
#include <cmath>
#include <functional>

#include "tools/demo/demo_art.h"
#include "tools/demo/demo_tiles.h"

namespace preview::demo {

namespace {

enum Colour : uint8_t {
    Clear,
    Ink,
    Grass0,
    Grass1,
    Grass2,
    Grass3,
    Tall0,
    Tall1,
    Tall2,
    Sand0,
    Sand1,
    Sand2,
    WetSand,
    Deep,
    Water,
    Ripple,
    Shallow,
    Foam,
    Sparkle,
    QuayWater,
    Stone0,
    Stone1,
    Stone2,
    Stone3,
    Dirt0,
    Dirt1,
    Dirt2,
    Dirt3,
    Soil0,
    Soil1,
    Soil2,
    Wood0,
    Wood1,
    Wood2,
    Wood3,
    Leaf0,
    Leaf1,
    Leaf2,
    Leaf3,
    Pine0,
    Pine1,
    Pine2,
    Shade,
    Red,
    Yellow,
    White,
    Blue,
    Pink,
    Orange,
    Wheat0,
    Wheat1,
    Cabbage0,
    Cabbage1,
    Carrot,
    Iron,
    Glow,
    Brass,
    ChestRed,
    ColourCount
};

const Palette &tilesetPalette() {
    static const Palette palette = [] {
        Palette p{};
        const uint32_t colours[ColourCount] = {
            0x000000, 0x1c1a22, 0x3f7a2c, 0x4c8f34, 0x58a03b, 0x78bb4c, 0x2d6322, 0x397828, 0x468a2e, 0xc8a562,
            0xdcbd79, 0xecd394, 0xb08f56, 0x1d4b8a, 0x255da3, 0x3473bb, 0x4f97cf, 0xd9edf2, 0x9fd3ef, 0x173c6e,
            0x4f5057, 0x6f7077, 0x96969a, 0xc0beb6, 0x6f4d2d, 0x8c6540, 0xa57b4f, 0xbf9868, 0x4f3320, 0x654329,
            0x7f5836, 0x4e311a, 0x6e4624, 0x936233, 0xb98549, 0x1c4519, 0x2a6424, 0x3b832f, 0x5aa641, 0x143a26,
            0x1f5535, 0x2d7247, 0x346227, 0xd8383a, 0xf0cf3f, 0xf4f3ea, 0x5b7be0, 0xea86b9, 0xe88a30, 0xd9b950,
            0xb0902f, 0x86c274, 0x4b9346, 0xe4782a, 0x36363e, 0xfff0a0, 0xc8a040, 0x9c3224,
        };
        for (int i = 0; i < ColourCount; ++i) p[i] = colours[i];
        return p;
    }();
    return palette;
}

constexpr int32_t kCell = 16;

// One 16 x 16 cell of the tileset, addressed from its top-left pixel.
struct Cell {
    Canvas &canvas;
    int32_t left, top;
    void set(int32_t x, int32_t y, uint8_t colour) const {
        if (x >= 0 && y >= 0 && x < kCell && y < kCell) canvas.set(left + x, top + y, colour);
    }
    void fill(const std::function<uint8_t(int32_t, int32_t)> &paint) const {
        for (int32_t y = 0; y < kCell; ++y)
            for (int32_t x = 0; x < kCell; ++x) set(x, y, paint(x, y));
    }
    void rect(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour) const {
        for (int32_t row = y; row < y + h; ++row)
            for (int32_t column = x; column < x + w; ++column) set(column, row, colour);
    }
    void disc(double cx, double cy, double rx, double ry, uint8_t colour) const {
        for (int32_t y = 0; y < kCell; ++y) {
            for (int32_t x = 0; x < kCell; ++x) {
                const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
                if (dx * dx + dy * dy <= 1.0) set(x, y, colour);
            }
        }
    }
};

Cell cellAt(Canvas &canvas, int32_t pixelX, int32_t pixelY) { return Cell{canvas, pixelX, pixelY}; }

// Where the builder takes a plain lower or an upper tile from.
Cell lowerTileCell(Canvas &canvas, uint16_t id) {
    const int32_t d = id - 5000;
    return cellAt(canvas, kCell * (12 + 6 * (d / 96) + d % 6), kCell * ((d % 96) / 6));
}

Cell upperTileCell(Canvas &canvas, uint16_t id) {
    const int32_t d = id - 9952;
    return cellAt(canvas, kCell * (18 + 6 * (d / 96) + d % 6), kCell * ((d % 96) / 6));
}

// ---- Ground textures, by the place within the cell --------------------------------------------

// Smooth noise on a lattice of cells x cells points that repeats with every tile, so that
// neighbouring tiles continue each other's patches.
double tileNoise(int32_t x, int32_t y, int32_t cells, uint32_t seed) {
    const double spacing = double(kCell) / cells;
    const double u = (x + 0.5) / spacing - 0.5, v = (y + 0.5) / spacing - 0.5;
    const int32_t i = floorToInt(u), j = floorToInt(v);
    const double fx = u - i, fy = v - j;
    const double sx = fx * fx * (3.0 - 2.0 * fx), sy = fy * fy * (3.0 - 2.0 * fy);
    auto lattice = [&](int32_t a, int32_t b) { return hashUnit((a + cells) % cells, (b + cells) % cells, seed); };
    const double top = lattice(i, j) * (1.0 - sx) + lattice(i + 1, j) * sx;
    const double bottom = lattice(i, j + 1) * (1.0 - sx) + lattice(i + 1, j + 1) * sx;
    return top * (1.0 - sy) + bottom * sy;
}

uint8_t grassPixel(int32_t x, int32_t y) {
    const double blade = hashUnit(x, y, 11);
    if (blade < 0.06) return Grass0;
    if (hashUnit(x, (y + 1) % kCell, 11) < 0.06 && blade < 0.5) return Grass3; // the lit tip above a dark blade
    const double patch = tileNoise(x, y, 4, 12);
    return patch + 0.3 * (ditherThreshold(x, y) - 0.5) > 0.62 ? Grass2 : Grass1;
}

uint8_t tallGrassPixel(int32_t x, int32_t y) {
    const int32_t column = (x + int32_t(hash(x, 0, 13) % 3)) % kCell;
    const int32_t phase = (y + int32_t(hash(column, 1, 14) % 4)) % 4; // blades four pixels high
    if (phase == 0) return Tall2;
    if (phase == 3) return Tall0;
    return hashUnit(x, y, 15) < 0.15 ? Grass1 : Tall1;
}

uint8_t sandPixel(int32_t x, int32_t y) {
    const double grain = hashUnit(x, y, 21);
    if (grain < 0.12) return Sand0;
    if (grain > 0.93) return Sand2;
    return Sand1;
}

uint8_t waterPixel(int32_t x, int32_t y) {
    // Short ripples in rows four pixels apart, shifted from row to row, and a rare sparkle.
    if (y % 4 == 1) {
        const int32_t shift = int32_t(hash(0, y, 31) % 8);
        const int32_t along = (x + shift) % 8;
        if (along < 3) return along == 1 && hashUnit(x, y, 32) < 0.35 ? Sparkle : Ripple;
    }
    return hashUnit(x, y, 33) < 0.05 ? Deep : Water;
}

uint8_t dirtPixel(int32_t x, int32_t y) {
    const double grain = hashUnit(x, y, 41);
    if (grain < 0.10) return Dirt0;
    if (grain > 0.95) return Stone2;
    if (grain > 0.82) return Dirt3;
    return tileNoise(x, y, 4, 42) > 0.6 ? Dirt2 : Dirt1;
}

uint8_t cobblePixel(int32_t x, int32_t y) {
    // Stones of 4 x 4 pixels in rows shifted by half a stone, with dark joints.
    const int32_t shift = (y / 4) % 2 == 0 ? 0 : 2;
    const int32_t u = (x + shift) % 4, v = y % 4;
    if (u == 3 || v == 3) return Stone0;
    const uint32_t stone = hash((x + shift) / 4, y / 4, 51) % 3;
    if (u == 0 && v == 0) return Stone3;
    return stone == 0 ? Stone1 : Stone2;
}

uint8_t furrowPixel(int32_t x, int32_t y) {
    const int32_t v = y % 4;
    if (v == 0) return Soil0;
    if (v == 3) return Soil2;
    return hashUnit(x, y, 61) < 0.1 ? Soil0 : Soil1;
}

// ---- Edges of a region within a cell ------------------------------------------------------------

// Which sides of a cell border ground of another kind, and at which corners only the diagonal
// neighbour does (an inner corner).
struct Edges {
    bool left = false, top = false, right = false, bottom = false;
    bool innerTopLeft = false, innerTopRight = false, innerBottomRight = false, innerBottomLeft = false;
};

constexpr Edges kAllEdges{true, true, true, true};
constexpr Edges kNoEdges{};
constexpr Edges kAllInnerCorners{false, false, false, false, true, true, true, true};

// Distance in pixels from the pixel's centre to the region's boundary, inside the region
// (negative outside). Outer corners are rounded with the radius; inner corners are a quarter
// circle, or a square when round is false, about the cell's corner point.
double edgeDistance(const Edges &e, int32_t x, int32_t y, double radius, bool round) {
    const double fromLeft = x + 0.5, fromTop = y + 0.5, fromRight = kCell - fromLeft, fromBottom = kCell - fromTop;
    double d = 1e9;
    if (e.left) d = std::min(d, fromLeft);
    if (e.top) d = std::min(d, fromTop);
    if (e.right) d = std::min(d, fromRight);
    if (e.bottom) d = std::min(d, fromBottom);
    auto corner = [&](bool sideA, bool sideB, bool inner, double a, double b) {
        if (sideA && sideB && radius > 0.0 && a < radius && b < radius)
            d = radius - std::hypot(radius - a, radius - b);
        else if (!sideA && !sideB && inner)
            d = std::min(d, round ? std::hypot(a, b) : std::max(a, b));
    };
    corner(e.left, e.top, e.innerTopLeft, fromLeft, fromTop);
    corner(e.top, e.right, e.innerTopRight, fromRight, fromTop);
    corner(e.right, e.bottom, e.innerBottomRight, fromRight, fromBottom);
    corner(e.bottom, e.left, e.innerBottomLeft, fromLeft, fromBottom);
    return d;
}

// A grain that moves a boundary by up to a pixel, the same wherever the same pixel is drawn.
double jitter(int32_t x, int32_t y, uint32_t seed) { return hashUnit(x, y, seed) - 0.5; }

using GroundPainter = uint8_t (*)(const Edges &, int32_t, int32_t);

uint8_t seaPixel(const Edges &e, int32_t x, int32_t y) {
    const double d = edgeDistance(e, x, y, 6.0, true) + 0.6 * jitter(x, y, 71);
    if (d < 0.0) return sandPixel(x, y);
    if (d < 1.0) return WetSand;
    if (d < 2.3) return Foam;
    if (d < 4.5) return Shallow;
    if (d < 5.5) return ditherThreshold(x, y) < 0.5 ? Shallow : Ripple;
    return waterPixel(x, y);
}

uint8_t canalPixel(const Edges &e, int32_t x, int32_t y) {
    const double d = edgeDistance(e, x, y, 0.0, false);
    if (d < 3.0) return (x + y) % 6 == 0 ? Stone1 : (d < 1.0 ? Stone3 : Stone2); // the kerb
    if (d < 4.0) return Stone0;                                                  // the quay's face
    if (d < 5.0) return QuayWater;                                               // its shadow
    return waterPixel(x, y);
}

uint8_t beachPixel(const Edges &e, int32_t x, int32_t y) {
    const double d = edgeDistance(e, x, y, 5.0, true) + jitter(x, y, 72);
    if (d < 0.0) return grassPixel(x, y);
    if (d < 1.5) return hashUnit(x, y, 73) < 0.5 ? Grass0 : Sand0;
    return sandPixel(x, y);
}

uint8_t meadowPixel(const Edges &e, int32_t x, int32_t y) {
    const double d = edgeDistance(e, x, y, 5.0, true) + 1.2 * jitter(x, y, 74);
    if (d < 0.0) return grassPixel(x, y);
    if (d < 1.2) return Tall0;
    return tallGrassPixel(x, y);
}

uint8_t fieldPixel(const Edges &e, int32_t x, int32_t y) {
    const double d = edgeDistance(e, x, y, 2.0, false);
    if (d < 0.0) return grassPixel(x, y);
    if (d < 1.0) return Grass0;
    if (d < 2.0) return Soil0;
    return furrowPixel(x, y);
}

uint8_t plazaPixel(const Edges &e, int32_t x, int32_t y) {
    const double d = edgeDistance(e, x, y, 2.0, false);
    if (d < 0.0) return grassPixel(x, y);
    if (d < 1.0) return Stone0;
    if (d < 2.5) return Stone3;
    return cobblePixel(x, y);
}

uint8_t roadPixel(const Edges &e, int32_t x, int32_t y) {
    const double d = edgeDistance(e, x, y, 4.0, true) + 1.4 * jitter(x, y, 75);
    if (d < 1.0) return grassPixel(x, y);
    if (d < 2.0) return Dirt0;
    return dirtPixel(x, y);
}

void paintGround(Canvas &canvas, int32_t pixelX, int32_t pixelY, const Edges &edges, GroundPainter paint) {
    cellAt(canvas, pixelX, pixelY).fill([&](int32_t x, int32_t y) { return paint(edges, x, y); });
}

// ---- Autotile source cells ------------------------------------------------------------------------

// A column autotile: closed cell, sides, top and bottom, inner corners, one above the other.
void paintColumnAutotile(Canvas &canvas, int32_t originX, GroundPainter paint) {
    paintGround(canvas, originX, 0, kAllEdges, paint);
    paintGround(canvas, originX, 16, Edges{true, false, true, false}, paint);
    paintGround(canvas, originX, 32, Edges{false, true, false, true}, paint);
    paintGround(canvas, originX, 48, kAllInnerCorners, paint);
}

// A block autotile of 48 x 64: the closed cell and the inner corners above a 3 x 3 frame whose
// middle is the ground itself.
void paintBlockAutotile(Canvas &canvas, int32_t originX, int32_t originY, GroundPainter paint) {
    paintGround(canvas, originX, originY, kAllEdges, paint);
    paintGround(canvas, originX + 16, originY, kNoEdges, paint); // not read by the builder: a plain sample
    paintGround(canvas, originX + 32, originY, kAllInnerCorners, paint);
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < 3; ++column) {
            const Edges frame{column == 0, row == 0, column == 2, row == 2};
            paintGround(canvas, originX + 16 * column, originY + 16 + 16 * row, frame, paint);
        }
    }
}

void paintAutotiles(Canvas &canvas) {
    paintColumnAutotile(canvas, 0, seaPixel);
    paintColumnAutotile(canvas, 48, canalPixel);
    paintGround(canvas, 0, 64, kNoEdges, seaPixel); // the water both column autotiles share
    paintBlockAutotile(canvas, 0, 128, beachPixel);
    paintBlockAutotile(canvas, 48, 128, meadowPixel);
    paintBlockAutotile(canvas, 0, 192, fieldPixel);
    paintBlockAutotile(canvas, 48, 192, plazaPixel);
}

// ---- The fixed tile and the strip tiles -----------------------------------------------------------

void paintBoardwalk(Cell cell) {
    cell.fill([](int32_t x, int32_t y) -> uint8_t {
        if (y % 4 == 3) return Wood0;
        if (x == (y / 4 * 5 + 3) % kCell) return Wood0; // board ends, staggered
        return hashUnit(x, y, 81) < 0.15 ? Wood1 : Wood2;
    });
}

// Crops in rows across the furrows, so a field of them keeps its stripes.
void paintCrop(Cell cell, uint8_t leaf, uint8_t light, uint8_t fruit) {
    cell.fill(furrowPixel);
    for (int32_t row = 0; row < 4; ++row) {
        for (int32_t plant = 0; plant < 4; ++plant) {
            const int32_t x = plant * 4 + 1 + row % 2, y = row * 4;
            cell.rect(x, y, 2, 2, leaf);
            cell.set(x, y, light);
            if (fruit != 0) cell.set(x + 1, y + 2, fruit);
        }
    }
}

void paintStripTiles(Canvas &canvas) {
    paintBoardwalk(cellAt(canvas, 0, 112));
    paintCrop(cellAt(canvas, 48, 64), Wheat1, Wheat0, 0);
    paintCrop(cellAt(canvas, 64, 64), Cabbage1, Cabbage0, 0);
    paintCrop(cellAt(canvas, 80, 64), Cabbage1, Cabbage0, Carrot);
}

// ---- Plain lower tiles ------------------------------------------------------------------------------

void paintPlainLowerTiles(Canvas &canvas) {
    using namespace tiles;
    lowerTileCell(canvas, kGrass).fill(grassPixel);
    for (uint16_t variant = 1; variant < kGrassVariantCount; ++variant) {
        const Cell cell = lowerTileCell(canvas, kGrass + variant);
        cell.fill(grassPixel);
        // A few lighter tufts and a pebble, away from the edges so the cells still meet cleanly.
        for (int32_t i = 0; i < 3; ++i) {
            const int32_t x = 3 + int32_t(hash(variant, i, 91) % 10), y = 3 + int32_t(hash(variant, i, 92) % 10);
            cell.set(x, y, Grass3);
            cell.set(x, y + 1, Grass2);
        }
        if (variant == 2) cell.rect(9, 6, 2, 1, Stone2);
    }
    lowerTileCell(canvas, kDirt).fill(dirtPixel);
    for (uint16_t sides = 0; sides < 16; ++sides) {
        const Edges edges{!(sides & kWest), !(sides & kNorth), !(sides & kEast), !(sides & kSouth)};
        const Cell cell = lowerTileCell(canvas, kRoad + sides);
        cell.fill([&](int32_t x, int32_t y) { return roadPixel(edges, x, y); });
    }
}

// ---- Upper tiles ---------------------------------------------------------------------------------------

// A round crown seen from above, lit from the top left, with its shadow thrown to the bottom right.
void paintCrown(Cell cell, double cx, double cy, double radius, const uint8_t shades[4]) {
    cell.disc(cx + 1.5, cy + 1.5, radius, radius * 0.9, Shade);
    cell.disc(cx, cy, radius, radius, shades[0]);
    cell.disc(cx - 0.6, cy - 0.6, radius - 1.0, radius - 1.0, shades[1]);
    cell.disc(cx - 1.5, cy - 1.5, radius * 0.55, radius * 0.55, shades[2]);
    cell.disc(cx - 2.2, cy - 2.2, radius * 0.2, radius * 0.2, shades[3]);
    for (int32_t i = 0; i < 5; ++i) { // clumps of leaves
        const double angle = i * 1.3 + radius;
        cell.set(floorToInt(cx + std::cos(angle) * radius * 0.6), floorToInt(cy + std::sin(angle) * radius * 0.6),
                 shades[0]);
    }
}

void paintBigTree(Canvas &canvas) {
    using namespace tiles;
    // Drawn once into a 32 x 32 scratch canvas, then cut into its four cells.
    Canvas tree(32, 32, tilesetPalette());
    tree.fillEllipse(17.5, 17.5, 13.5, 12.5, Shade);
    const uint8_t shades[] = {Leaf0, Leaf1, Leaf2, Leaf3};
    const double lobes[][3] = {{16, 16, 13}, {10, 11, 7}, {22, 11, 7}, {10, 21, 7}, {22, 21, 7}};
    for (int32_t shade = 0; shade < 4; ++shade) {
        for (const auto &lobe : lobes) {
            const double r = lobe[2] * (1.0 - 0.22 * shade);
            tree.fillEllipse(lobe[0] - shade * 1.2, lobe[1] - shade * 1.2, r, r, shades[shade]);
        }
    }
    const uint16_t parts[2][2] = {{kBigTreeTopLeft, kBigTreeTopRight}, {kBigTreeBottomLeft, kBigTreeBottomRight}};
    for (int32_t row = 0; row < 2; ++row) {
        for (int32_t column = 0; column < 2; ++column) {
            const Cell cell = upperTileCell(canvas, parts[row][column]);
            canvas.blit(tree, column * 16, row * 16, 16, 16, cell.left, cell.top);
        }
    }
}

void paintPine(Cell cell) {
    cell.disc(9.5, 9.5, 6.5, 6.0, Shade);
    const uint8_t rings[] = {Pine0, Pine1, Pine2};
    for (int32_t ring = 0; ring < 3; ++ring) {
        const double r = 7.0 - ring * 2.2;
        for (int32_t y = 0; y < kCell; ++y) {
            for (int32_t x = 0; x < kCell; ++x) {
                const double dx = x + 0.5 - 8.0, dy = y + 0.5 - 8.0;
                const double spikes = 0.8 * std::cos(std::atan2(dy, dx) * 8.0);
                if (std::hypot(dx, dy) <= r + spikes) cell.set(x, y, rings[ring]);
            }
        }
    }
    cell.set(7, 7, Leaf3);
}

void paintFlowers(Cell cell, uint8_t petal, uint32_t seed) {
    for (int32_t i = 0; i < 6; ++i) {
        const int32_t x = 2 + int32_t(hash(i, 0, seed) % 11), y = 2 + int32_t(hash(i, 1, seed) % 11);
        cell.set(x, y + 1, Grass0); // stalk
        cell.set(x - 1, y, petal);
        cell.set(x + 1, y, petal);
        cell.set(x, y - 1, petal);
        cell.set(x, y, i % 2 == 0 ? Yellow : Orange);
    }
}

void paintSmallThings(Canvas &canvas) {
    using namespace tiles;
    const uint8_t leaves[] = {Leaf1, Leaf2, Leaf3, Yellow};
    const uint8_t bush[] = {Leaf1, Leaf2, Leaf3, Leaf3};
    paintCrown(upperTileCell(canvas, kBush), 7.5, 7.5, 4.5, bush);
    paintCrown(upperTileCell(canvas, kSmallTree), 7.5, 7.5, 6.5, leaves);
    paintPine(upperTileCell(canvas, kPine));
    paintFlowers(upperTileCell(canvas, kRedFlowers), Red, 101);
    paintFlowers(upperTileCell(canvas, kYellowFlowers), Yellow, 102);
    paintFlowers(upperTileCell(canvas, kWhiteFlowers), White, 103);
    paintFlowers(upperTileCell(canvas, kBlueFlowers), Blue, 104);

    const Cell mushrooms = upperTileCell(canvas, kMushrooms);
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t x = 4 + 3 * i, y = 5 + 3 * (i % 2);
        mushrooms.rect(x, y + 2, 1, 2, White);
        mushrooms.disc(x + 0.5, y + 1.0, 2.0, 1.5, Red);
        mushrooms.set(x, y, White);
    }
    const Cell rock = upperTileCell(canvas, kRock);
    rock.disc(8.5, 9.5, 4.0, 3.0, Shade);
    rock.disc(8.0, 8.5, 3.5, 2.8, Stone1);
    rock.disc(7.2, 7.8, 2.0, 1.5, Stone2);
    const Cell boulder = upperTileCell(canvas, kBoulder);
    boulder.disc(9.0, 9.5, 6.5, 5.5, Shade);
    boulder.disc(8.0, 8.0, 6.5, 5.5, Stone0);
    boulder.disc(7.5, 7.5, 5.5, 4.5, Stone1);
    boulder.disc(6.0, 6.0, 3.0, 2.5, Stone2);
    boulder.set(5, 5, Stone3);
    const Cell stump = upperTileCell(canvas, kStump);
    stump.disc(9.0, 9.0, 4.5, 4.0, Shade);
    stump.disc(8.0, 8.0, 4.5, 4.0, Wood1);
    stump.disc(8.0, 8.0, 3.5, 3.0, Wood3);
    stump.disc(8.0, 8.0, 2.0, 1.6, Wood2);
    stump.set(8, 8, Wood1);

    const Cell lily = upperTileCell(canvas, kLilyPad);
    const double pads[][3] = {{5.5, 6.0, 3.2}, {11.0, 10.5, 2.6}, {4.5, 12.0, 2.0}};
    for (const auto &pad : pads) {
        lily.disc(pad[0], pad[1], pad[2], pad[2] * 0.85, Leaf2);
        lily.disc(pad[0] - 0.6, pad[1] - 0.6, pad[2] * 0.5, pad[2] * 0.4, Leaf3);
        lily.set(floorToInt(pad[0]), floorToInt(pad[1]), Water); // the pad's notch
    }
    lily.set(6, 5, Pink);
    lily.set(5, 5, White);

    const Cell reeds = upperTileCell(canvas, kReeds);
    for (int32_t i = 0; i < 6; ++i) {
        const int32_t x = 2 + int32_t(hash(i, 2, 105) % 12), top = 2 + int32_t(hash(i, 3, 105) % 6);
        reeds.rect(x, top, 1, 13 - top, i % 2 == 0 ? Tall1 : Tall2);
        reeds.rect(x, top, 1, 2, Wood1); // the seed head
    }
}

void paintFences(Canvas &canvas) {
    using namespace tiles;
    for (uint16_t sides = 0; sides < 16; ++sides) {
        const Cell cell = upperTileCell(canvas, kFence + sides);
        // Shadow first, one pixel down and to the right, then rails and the post over it.
        for (int32_t pass = 0; pass < 2; ++pass) {
            const int32_t o = pass == 0 ? 1 : 0;
            const uint8_t rail = pass == 0 ? Shade : Wood2;
            if (sides & kNorth) cell.rect(7 + o, 0 + o, 2, 8, rail);
            if (sides & kSouth) cell.rect(7 + o, 8 + o, 2, 8, rail);
            if (sides & kWest) cell.rect(0 + o, 7 + o, 8, 2, rail);
            if (sides & kEast) cell.rect(8 + o, 7 + o, 8, 2, rail);
            cell.rect(6 + o, 6 + o, 4, 4, pass == 0 ? Shade : Wood1);
        }
        cell.rect(7, 7, 2, 2, Wood3);
        if (sides & (kWest | kEast))
            cell.rect((sides & kWest) ? 0 : 8, 7, (sides & kWest) && (sides & kEast) ? 16 : 8, 1, Wood3);
        if (sides & (kNorth | kSouth))
            cell.rect(7, (sides & kNorth) ? 0 : 8, 1, (sides & kNorth) && (sides & kSouth) ? 16 : 8, Wood3);
        cell.rect(6, 6, 4, 1, Wood3);
    }
}

void paintBridges(Canvas &canvas) {
    using namespace tiles;
    // Boards laid across the way, with a rail on either side.
    upperTileCell(canvas, kBridgeEastWest).fill([](int32_t x, int32_t y) -> uint8_t {
        if (y <= 1 || y >= 14) return (x % 8 == 0) ? Wood0 : (y == 1 || y == 14 ? Wood1 : Wood3);
        if (x % 4 == 3) return Wood0;
        return hashUnit(x / 4, y, 111) < 0.2 ? Wood1 : Wood2;
    });
    upperTileCell(canvas, kBridgeNorthSouth).fill([](int32_t x, int32_t y) -> uint8_t {
        if (x <= 1 || x >= 14) return (y % 8 == 0) ? Wood0 : (x == 1 || x == 14 ? Wood1 : Wood3);
        if (y % 4 == 3) return Wood0;
        return hashUnit(x, y / 4, 112) < 0.2 ? Wood1 : Wood2;
    });
    upperTileCell(canvas, kPier).fill([](int32_t x, int32_t y) -> uint8_t {
        if (y < 3 || y > 12) return (x % 8 == 2 && (y == 2 || y == 13)) ? Wood0 : Clear; // posts
        if (y == 12) return QuayWater; // the deck's shadow on the water
        if (x % 4 == 3) return Wood0;
        return hashUnit(x / 4, y, 113) < 0.2 ? Wood1 : Wood2;
    });
}

// Things that events show standing up. The sprite stage stretches a tile to 24 x 32, half again as
// wide and twice as high, so they are drawn squat and narrow here.
void paintStandingThings(Canvas &canvas) {
    using namespace tiles;
    const Cell sign = upperTileCell(canvas, kSignpost);
    sign.rect(7, 5, 2, 11, Wood1);
    sign.rect(7, 5, 1, 11, Wood2);
    sign.rect(1, 1, 12, 5, Wood2);
    sign.rect(13, 2, 1, 3, Wood2);
    sign.set(14, 3, Wood2); // the arrow's point
    sign.rect(1, 5, 12, 1, Wood0);
    sign.rect(3, 3, 8, 1, Wood0); // writing
    const Cell lamp = upperTileCell(canvas, kLamp);
    lamp.rect(7, 5, 2, 10, Iron);
    lamp.rect(5, 14, 6, 2, Iron);
    lamp.rect(5, 1, 6, 5, Iron);
    lamp.rect(6, 2, 4, 3, Glow);
    lamp.rect(6, 0, 4, 1, Iron);
    const Cell barrel = upperTileCell(canvas, kBarrel);
    barrel.rect(4, 3, 8, 13, Wood2);
    barrel.rect(3, 5, 10, 9, Wood2);
    barrel.rect(4, 3, 2, 13, Wood1);
    barrel.rect(10, 3, 2, 13, Wood3);
    barrel.rect(3, 5, 10, 1, Iron);
    barrel.rect(3, 12, 10, 1, Iron);
    barrel.rect(5, 3, 6, 1, Wood0);
    const Cell chest = upperTileCell(canvas, kChest);
    chest.rect(2, 8, 12, 8, ChestRed);
    chest.rect(2, 6, 12, 3, Wood2);
    chest.rect(2, 8, 12, 1, Brass);
    chest.rect(2, 14, 12, 1, Wood0);
    chest.rect(7, 9, 2, 2, Brass);
    chest.rect(2, 6, 1, 10, Brass);
    chest.rect(13, 6, 1, 10, Brass);
}

} // namespace

Canvas paintTileset() {
    Canvas canvas(480, 256, tilesetPalette());
    paintAutotiles(canvas);
    paintStripTiles(canvas);
    paintPlainLowerTiles(canvas);
    paintSmallThings(canvas);
    paintBigTree(canvas);
    paintFences(canvas);
    paintBridges(canvas);
    paintStandingThings(canvas);
    return canvas;
}

} // namespace preview::demo
