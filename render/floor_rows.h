// Private to the floor stage: what its plain and vector paths share.
//
// Declarations and plain records only: the vector paths are compiled for wider instruction sets,
// and an inline function defined here could be emitted from such a file and then shared by the
// linker with code that must run on any x86 processor.
#pragma once

#include <cstdint>

#include "mapdata/map_record.h"
#include "render/view_state.h"
#include "screen_geometry.h"

namespace farview {

// The boundary texture is one map cell, 16 x 16, repeated over the plane: a texel is the truncated
// coordinates bitwise-and 15.
constexpr int32_t kBoundarySide = kTileSize;
constexpr int32_t kBoundaryMask = kBoundarySide - 1;

// Beyond this the vector paths' coordinates may be inexact: their integer parts are exact in float
// within +-2^22.
constexpr float kExactCoordinateLimit = 4194304.0f;

// One floor row: the ground point shown at column 0 and the step from one column to the next, in
// map pixels. Computed in double precision and rounded to float once per row; the columns are then
// reached by adding the steps in float, one column after the other.
struct FloorRow {
    float u;
    float v;
    float du;
    float dv;
};

FloorRow floorRowStart(const ViewState &view, float sine, float cosine, int32_t row);
// floorRowStart of rows first to kScreenRows - 1 into rows[first ...], in one loop.
void floorRowStarts(const ViewState &view, float sine, float cosine, int32_t first, FloorRow *rows);

// What the floor reads during one frame. The map texture's stride is its width.
struct FloorSource {
    const uint8_t *mapPixels;
    const uint16_t *mapColors;
    int32_t width;  // W, the map's pixel width and the texture's
    int32_t height; // H
    bool wrapping;
    // Colour of each boundary texel, at row * 16 + column; all black without a boundary texture.
    uint16_t boundaryColour[kBoundarySide * kBoundarySide];
};

// The plain path: each column's ground point (u, v) shows the map texture, wrapped or surrounded by
// the boundary texture. Wrapping a map one pixel wide or high has no texel to show: black.
void drawFloorRowPlain(const FloorSource &source, FloorRow row, uint16_t *pixels);

// ---- The vector paths ---------------------------------------------------------------------------

// Rows drawn side by side: one a lane of SSE2's 128-bit and AVX2's 256-bit vectors.
constexpr int32_t kSse2Lanes = 4;
constexpr int32_t kAvx2Lanes = 8;
constexpr int32_t kMaxFloorLanes = kAvx2Lanes;

// Whether the vector paths can address this frame's texture: their index arithmetic multiplies
// 16-bit coordinates, so textures wider or higher than 32,767 pixels take the plain path.
bool vectorPathFits(const FloorSource &source);

// A group of rows that a vector path draws side by side, one row per lane, and what is known of
// their coordinates before drawing: from each row's first coordinates and steps, the range its
// columns cover, widened by a bound on the rounding of the float additions.
struct FloorGroup {
    FloorRow rows[kMaxFloorLanes];
    uint16_t *pixels[kMaxFloorLanes];
    // Every column of every row lies inside 0 <= u < W - 1, 0 <= v < H - 1, where wrapping changes
    // nothing and the boundary texture is not shown.
    bool insideMap;
    // With wrapping: floor(u) - wrapBaseU[lane] stays within 0 to 2 (W - 1) - 1 on every column of
    // every row, and likewise v with H - 1, so one subtraction wraps a coordinate. The bases are
    // multiples of the periods.
    bool wrapsOnce;
    float wrapBaseU[kMaxFloorLanes];
    float wrapBaseV[kMaxFloorLanes];
};

// Sets insideMap, wrapsOnce and the bases for rows[0 .. lanes - 1].
void describeFloorGroup(const FloorSource &source, int32_t lanes, FloorGroup &group);

// Draws the group's rows into its pixels and returns a bit per lane whose pixels are exact. Where
// the group is neither insideMap nor wrapsOnce, a row whose coordinates leave +-2^22 map pixels or
// are not finite gets no bit: its pixels were read from inside the images but must be drawn again
// by the plain path. Built for x86 processors only, where the build defines FARVIEW_FLOOR_VECTORS
// (render/CMakeLists.txt). A 32-bit host may call with the stack aligned to 4 bytes only, and the
// vector spills need 16 or 32: these realign it.
#if defined(__i386__)
#define FARVIEW_REALIGNS_STACK __attribute__((force_align_arg_pointer))
#else
#define FARVIEW_REALIGNS_STACK
#endif
FARVIEW_REALIGNS_STACK uint32_t drawFloorRowsSse2(const FloorSource &source, const FloorGroup &group);
FARVIEW_REALIGNS_STACK uint32_t drawFloorRowsAvx2(const FloorSource &source, const FloorGroup &group);

} // namespace farview
