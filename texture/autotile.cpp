// Composite lower tiles: the fixed tile, strip tiles, and the column and block autotiles, whose
// neighbour pattern p picks quarters and halves of their source cells.
#include "texture/map_texture.h"
#include "texture_internal.h"

namespace farview {

namespace {
enum Part : uint8_t { whole, top, bottom, left, right, TL, TR, BL, BR };

struct PartRectangle {
    int32_t x, y, width, height;
};

constexpr PartRectangle kParts[] = {
    /* whole */ {0, 0, 16, 16}, /* top */ {0, 0, 16, 8},   /* bottom */ {0, 8, 16, 8},
    /* left */ {0, 0, 8, 16},   /* right */ {8, 0, 8, 16}, /* TL */ {0, 0, 8, 8},
    /* TR */ {8, 0, 8, 8},      /* BL */ {0, 8, 8, 8},     /* BR */ {8, 8, 8, 8},
};

// Source cells of an autotile: O closed, I inner corners, V sides, H top and bottom (column
// layout); NW to SE the frame around C (block layout).
enum Cell : uint8_t { O, I, V, H, NW, N, NE, W, C, E, SW, S, SE };

struct Piece {
    Cell cell;
    Part part;
};

// p from 32 to 46: the edges each pattern shows, in the order its pieces are copied.
struct PatternPieces {
    uint8_t count;
    Piece pieces[4];
};

constexpr int32_t kFirstTablePattern = 32;
constexpr int32_t kLastTablePattern = 46;

constexpr PatternPieces kColumnPatterns[] = {
    /* 32 */ {1, {{V, whole}}},
    /* 33 */ {1, {{H, whole}}},
    /* 34 */ {3, {{O, TL}, {V, BL}, {H, TR}}},
    /* 35 */ {4, {{O, TL}, {V, BL}, {H, TR}, {I, BR}}},
    /* 36 */ {3, {{O, TR}, {V, BR}, {H, TL}}},
    /* 37 */ {4, {{O, TR}, {V, BR}, {H, TL}, {I, BL}}},
    /* 38 */ {3, {{O, BR}, {V, TR}, {H, BL}}},
    /* 39 */ {4, {{O, BR}, {V, TR}, {H, BL}, {I, TL}}},
    /* 40 */ {3, {{O, BL}, {V, TL}, {H, BR}}},
    /* 41 */ {4, {{O, BL}, {V, TL}, {H, BR}, {I, TR}}},
    /* 42 */ {2, {{O, top}, {V, bottom}}},
    /* 43 */ {2, {{O, left}, {H, right}}},
    /* 44 */ {2, {{O, bottom}, {V, top}}},
    /* 45 */ {2, {{O, right}, {H, left}}},
    /* 46 */ {1, {{O, whole}}},
};

constexpr PatternPieces kBlockPatterns[] = {
    /* 32 */ {2, {{W, left}, {E, right}}},
    /* 33 */ {2, {{N, top}, {S, bottom}}},
    /* 34 */ {1, {{NW, whole}}},
    /* 35 */ {2, {{NW, whole}, {I, BR}}},
    /* 36 */ {1, {{NE, whole}}},
    /* 37 */ {2, {{NE, whole}, {I, BL}}},
    /* 38 */ {1, {{SE, whole}}},
    /* 39 */ {2, {{SE, whole}, {I, TL}}},
    /* 40 */ {1, {{SW, whole}}},
    /* 41 */ {2, {{SW, whole}, {I, TR}}},
    /* 42 */ {3, {{O, top}, {W, BL}, {E, BR}}},
    /* 43 */ {3, {{O, left}, {N, TR}, {S, BR}}},
    /* 44 */ {3, {{O, bottom}, {W, TL}, {E, TR}}},
    /* 45 */ {3, {{O, right}, {N, TL}, {S, BL}}},
    /* 46 */ {1, {{O, whole}}},
};

// Bits 0 to 3 of p when neither bit 4 nor bit 5 is set: one inner corner each.
constexpr Part kBitCorners[] = {TL, TR, BR, BL};

// Bit 4 set: one edge, e = (p div 4) mod 4, and bits 0 and 1 pick the inner corners away from it.
constexpr Part kEdgeHalves[] = {left, top, right, bottom};
constexpr Part kEdgeCorners[][2] = {{TR, BR}, {BR, BL}, {BL, TL}, {TL, TR}};

struct AutotileLayout {
    CellPosition cells[13]; // offsets from the origin, by Cell
    Cell edgeCells[4];      // left, top, right, bottom
    const PatternPieces *patterns;
};

constexpr AutotileLayout kColumnLayout = {
    {/* O */ {0, 0}, /* I */ {0, 48}, /* V */ {0, 16}, /* H */ {0, 32}},
    {V, H, V, H},
    kColumnPatterns,
};

constexpr AutotileLayout kBlockLayout = {
    {/* O */ {0, 0},
     /* I */ {32, 0},
     /* V, H unused */ {0, 0},
     {0, 0},
     /* NW */ {0, 16},
     /* N */ {16, 16},
     /* NE */ {32, 16},
     /* W */ {0, 32},
     /* C */ {16, 32},
     /* E */ {32, 32},
     /* SW */ {0, 48},
     /* S */ {16, 48},
     /* SE */ {32, 48}},
    {W, N, E, S},
    kBlockPatterns,
};

constexpr CellPosition kColumnAutotileBase = {0, 64};
constexpr CellPosition kFixedTile = {0, 112};

struct Autotile {
    const AutotileLayout &layout;
    CellPosition origin;
    CellPosition base;
    int32_t pattern;

    CellPosition at(Cell cell) const { return {origin.x + layout.cells[cell].x, origin.y + layout.cells[cell].y}; }
};

Autotile columnAutotile(int32_t id) {
    return {kColumnLayout, {id < kFirstColumnAutotileB ? 0 : 48, 0}, kColumnAutotileBase, id % 1000};
}

Autotile blockAutotile(int32_t id) {
    const CellPosition origin{48 * ((id / 50) % 2) + 96 * (id / 4200), 64 * (((id - 3800) / 100) % 4)};
    const CellPosition base{origin.x + kBlockLayout.cells[C].x, origin.y + kBlockLayout.cells[C].y};
    return {kBlockLayout, origin, base, id % 50};
}

CellPosition stripTile(int32_t id) { return {48 + 16 * ((id - kFirstStripTile) / 50), 64}; }

struct CellComposer {
    FvHostImage &target;
    int32_t targetX, targetY;
    const FvHostImage &tileset;

    void copy(CellPosition cell, Part part) const {
        const PartRectangle &r = kParts[part];
        copyPiece(target, targetX + r.x, targetY + r.y, tileset, cell.x + r.x, cell.y + r.y, r.width, r.height);
    }
};

void composeAutotile(const CellComposer &draw, const Autotile &tile) {
    const int32_t p = tile.pattern;
    draw.copy(tile.base, whole);
    if ((p & 48) == 0) {
        for (int32_t bit = 0; bit < 4; ++bit)
            if (p & (1 << bit)) draw.copy(tile.at(I), kBitCorners[bit]);
        return;
    }
    if (p & 16) {
        const int32_t e = (p / 4) % 4;
        draw.copy(tile.at(tile.layout.edgeCells[e]), kEdgeHalves[e]);
        if (p & 1) draw.copy(tile.at(I), kEdgeCorners[e][0]);
        if (p & 2) draw.copy(tile.at(I), kEdgeCorners[e][1]);
        return;
    }
    if (p < kFirstTablePattern || p > kLastTablePattern) return; // no edges beyond the base
    const PatternPieces &pattern = tile.layout.patterns[p - kFirstTablePattern];
    for (int32_t i = 0; i < pattern.count; ++i) draw.copy(tile.at(pattern.pieces[i].cell), pattern.pieces[i].part);
}
} // namespace

void composeLowerCellInto(FvHostImage &target, int32_t targetX, int32_t targetY, const FvHostImage &tileset,
                          uint16_t id) {
    if (id >= kFirstPlainLowerTileId) return;
    if (!rectangleInside(target, targetX, targetY, kTileSize, kTileSize)) return;
    const CellComposer draw{target, targetX, targetY, tileset};
    if (id < kFirstFixedTile) return composeAutotile(draw, columnAutotile(id));
    if (id < kFirstStripTile) return draw.copy(kFixedTile, whole);
    if (id < kFirstBlockAutotile) return draw.copy(stripTile(id), whole);
    composeAutotile(draw, blockAutotile(id));
}

void composeLowerCell(MapRecord &record, uint16_t id, int32_t targetX, int32_t targetY) {
    if (record.mapTexture == nullptr || record.tilesetImage == nullptr) return;
    composeLowerCellInto(*record.mapTexture, targetX, targetY, *record.tilesetImage, id);
}

} // namespace farview
