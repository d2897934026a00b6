// The sprite stage: every placement projected into the perspective view, sorted far to near, and
// the visible ones drawn over the floor as scaled images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mapdata/map_record.h"
#include "render/sprite_registry.h"
#include "render/view_state.h"

namespace farview {

// Runs after the floor stage, with its camera point and the same sine and cosine. Draws nothing
// without a hero, map view or screen. Each placement's character is found anew (see
// findPlacedCharacter): while the hero stands on another map than the placements', only the hero's
// placements are drawn.
void renderSprites(const ViewState &view, const MapRecord &map, SpriteRegistry &registry, float sine, float cosine);

// ---- The stage's steps, for tests and benchmarks ------------------------------------------------

// Where a character stands relative to the view, in the host's screen pixels.
struct SpritePosition {
    int32_t screenX = 0; // the character's own screen position (bottom centre)
    int32_t screenY = 0;
    int32_t mapColumn = 0;
    int32_t mapRow = 0;
};

// What the projection needs of the frame, read once.
struct SpriteFrame {
    float sine = 0.0f;
    float cosine = 1.0f;
    int32_t scrollX = 0; // map view scroll in whole pixels
    int32_t scrollY = 0;
    SpritePosition hero;
    int32_t mapPixelWidth = 0;
    int32_t mapPixelHeight = 0;
};

// Writes screenX, screenY, scaledWidth and scaledHeight of one placement standing at position.
// A placement that cannot be projected (depth exactly 0, or a NaN anywhere) gets row 0xFFFF, so it
// sorts behind every visible sprite and is never drawn.
void projectPlacement(const ViewState &view, const SpriteFrame &frame, const SpritePosition &position,
                      SpritePlacement &placement);

// Stable insertion sort on screenY (unsigned), starting from the order the last frame left.
void sortDrawingOrder(std::vector<SpritePlacement *> &order);

// The entries to draw: those after the leading rows at most horizon, up to the first row of 350
// or more.
struct DrawnRange {
    size_t first = 0;
    size_t last = 0; // one past the last entry drawn
};
DrawnRange selectDrawn(const std::vector<SpritePlacement *> &order, int32_t horizon);

// Projection, sort and selection without drawing; what renderSprites does before it draws.
DrawnRange arrangeSprites(const ViewState &view, const MapRecord &map, SpriteRegistry &registry, float sine,
                          float cosine);

// ---- Sources ---------------------------------------------------------------------------------------

constexpr int32_t kSheetFrameWidth = 24;
constexpr int32_t kSheetFrameHeight = 32;

// Source rectangle of a character drawn from its character sheet, and of a character shown as a
// tile of the tileset image. False when the rectangle's corner lies beyond 32-bit coordinates.
bool sheetFrameSource(int32_t sheetIndex, int32_t animationStep, int32_t facing, float rotationAngle, FvRect &source);
bool tileSpriteSource(int32_t tileIndex, FvRect &source);
// The view of a strip of `directions` views to show; false for a strip of no views.
bool stripFrame(const SpriteDefinition &definition, int32_t facing, float rotationAngle, int32_t &frame);

} // namespace farview
