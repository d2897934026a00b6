#include "render/sprite_stage.h"

#include <cmath>
#include <string>

#include "host/host.h"
#include "mapdata/tileset_layout.h"
#include "numeric/numeric.h"
#include "screen_geometry.h"

namespace farview {

namespace {

constexpr double kReferenceScale = 120.0; // a sprite at depth 120 is drawn at its own size
constexpr double kProjectionBias = 0.001;
constexpr int32_t kFirstRowTooNear = 350;
constexpr uint16_t kUnprojectedRow = 0xFFFF;

// The host's character sheets: blocks of 72 x 128 pixels, four blocks across; in a block one row of
// frames for each of the four facings, three frames a row.
constexpr int32_t kSheetBlockWidth = 72;
constexpr int32_t kSheetBlockHeight = 128;
constexpr int32_t kSheetBlocksAcross = 4;
constexpr int32_t kFacings = 4;

// The facings lie a quarter turn apart. The sheet row shown changes halfway between two of them
// (45 degrees past, hence 90 + 45); a strip of views is counted from 630 degrees (a turn and a
// half less the default angle's quarter), or half a turn when it does not follow the facing.
constexpr int32_t kDegreesPerFacing = 90;
constexpr int32_t kSheetRowTurnOffset = 135;
constexpr double kStripTurnOffset = 630.0;
constexpr double kStripFixedTurn = 180.0;

uint16_t low16(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value)); }

bool fitsInt32(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

SpritePosition positionOf(const FvHostCharacter &character) {
    return {host().characterScreenX(&character), host().characterScreenY(&character), character.mapColumn,
            character.mapRow};
}

// A character left of the hero on the map but right of him on the screen stands across the map's
// wrapped edge: it belongs one map further left (likewise upward).
int64_t besideHero(int32_t screen, int32_t heroScreen, int32_t cell, int32_t heroCell, int32_t mapPixels) {
    return (screen > heroScreen && cell < heroCell) ? int64_t{screen} - mapPixels : int64_t{screen};
}

void markUnprojected(SpritePlacement &placement) {
    placement.screenX = 0;
    placement.screenY = kUnprojectedRow;
    placement.scaledWidth = 0;
    placement.scaledHeight = 0;
}

} // namespace

void projectPlacement(const ViewState &view, const SpriteFrame &frame, const SpritePosition &position,
                      SpritePlacement &placement) {
    const SpriteDefinition *definition = placement.definition.get();
    const float offX = definition != nullptr ? definition->offsetX : 0;
    const float offY = definition != nullptr ? definition->offsetY : 0;
    const int64_t px =
        besideHero(position.screenX, frame.hero.screenX, position.mapColumn, frame.hero.mapColumn, frame.mapPixelWidth);
    const int64_t py =
        besideHero(position.screenY, frame.hero.screenY, position.mapRow, frame.hero.mapRow, frame.mapPixelHeight);
    const float cosine = frame.cosine;
    const float sine = frame.sine;

    // Relative to the eye, in map pixels; float arithmetic throughout, biased in double.
    const float a = static_cast<float>(px + frame.scrollX) - view.cameraX + view.rotationalOffset * cosine + offX;
    const float b = static_cast<float>(py + frame.scrollY) - view.cameraY + view.rotationalOffset * sine + offY;
    const float depth = roundToFloat(double{cosine * a + sine * b} + kProjectionBias);
    const float lateral = roundToFloat(double{cosine * b - sine * a} + kProjectionBias);

    const double screenX = kScreenCentreColumn + double{view.textureScaleX * lateral / depth};
    const float screenY = view.zValue * view.textureScaleY / depth - static_cast<float>(view.horizonOffset);
    const double scaledHeight = kReferenceScale * placement.height / depth;
    const double scaledWidth = kReferenceScale * placement.width / depth;
    if (depth == 0.0f || std::isnan(screenX) || std::isnan(screenY) || std::isnan(scaledHeight) ||
        std::isnan(scaledWidth)) {
        markUnprojected(placement);
        return;
    }
    placement.screenX = low16(truncateToInt32(screenX));
    placement.screenY = low16(truncateToInt32(screenY));
    placement.scaledHeight = low16(truncateToInt32(scaledHeight));
    placement.scaledWidth = low16(truncateToInt32(scaledWidth));
}

void sortDrawingOrder(std::vector<SpritePlacement *> &order) {
    for (size_t i = 1; i < order.size(); ++i) {
        SpritePlacement *moving = order[i];
        size_t j = i;
        for (; j > 0 && order[j - 1]->screenY > moving->screenY; --j) order[j] = order[j - 1];
        order[j] = moving;
    }
}

DrawnRange selectDrawn(const std::vector<SpritePlacement *> &order, int32_t horizon) {
    DrawnRange range;
    while (range.first < order.size() && int32_t{order[range.first]->screenY} <= horizon) ++range.first;
    range.last = range.first;
    while (range.last < order.size() && order[range.last]->screenY < kFirstRowTooNear) ++range.last;
    return range;
}

bool sheetFrameSource(int32_t sheetIndex, int32_t animationStep, int32_t facing, float rotationAngle, FvRect &source) {
    static constexpr int32_t kFrameColumns[4] = {0, 1, 2, 1};
    const int64_t blockColumn = int64_t{sheetIndex & (kSheetBlocksAcross - 1)} * kSheetBlockWidth;
    const int64_t blockRow = int64_t{sheetIndex / kSheetBlocksAcross} * kSheetBlockHeight;
    const int64_t quarter = (int64_t{truncateToInt32(rotationAngle)} + kSheetRowTurnOffset) / kDegreesPerFacing;
    const int64_t directionRow = (int64_t{facing} + kFacings - quarter) & (kFacings - 1);
    const int64_t x = blockColumn + int64_t{kSheetFrameWidth} * kFrameColumns[animationStep & 3];
    const int64_t y = blockRow + int64_t{kSheetFrameHeight} * directionRow;
    if (!fitsInt32(y)) return false;
    source = {static_cast<int32_t>(x), static_cast<int32_t>(y), kSheetFrameWidth, kSheetFrameHeight};
    return true;
}

// The upper-layer addressing of the tileset, tile t standing for upper id 10000 + t; a negative t
// keeps its own remainder.
bool tileSpriteSource(int32_t tileIndex, FvRect &source) {
    const int64_t t = tileIndex;
    const int64_t d = t + (kFirstUpperTileId - kUpperTileIdFirst);
    const int64_t x = ((t % kTilesPerRow) + (d / kTilesPerBand) * kTilesPerRow + kUpperFirstColumn) * kTileSize;
    const int64_t y = ((d % kTilesPerBand) / kTilesPerRow) * kTileSize;
    if (!fitsInt32(x)) return false;
    source = {static_cast<int32_t>(x), static_cast<int32_t>(y), kTileSize, kTileSize};
    return true;
}

bool stripFrame(const SpriteDefinition &definition, int32_t facing, float rotationAngle, int32_t &frame) {
    const int64_t views = definition.directions;
    if (views == 0) return false; // the frame formula divides by the number of views
    const double turn = definition.followsFacing
                            ? static_cast<double>((int64_t{facing} * views + 2) * kDegreesPerFacing)
                            : kStripFixedTurn;
    const int32_t step = truncateToInt32(
        ((kStripTurnOffset - double{rotationAngle}) * static_cast<double>(views) + turn) / double{kFullTurn});
    frame = static_cast<int32_t>(step % views);
    return true;
}

namespace {

struct SpriteSource {
    FvHostImage *image = nullptr;
    FvRect rect{};
    int32_t moveX = 0; // single images stand moved by their offsets
    int32_t moveY = 0;
};

bool ownGraphicSource(const ViewState &view, ImageCache &cache, const FvHostCharacter &character,
                      SpriteSource &source) {
    const std::string sheetName = hostStringText(character.sheetName);
    if (sheetName.empty()) {
        source.image = view.tilesetImage;
        return source.image != nullptr && tileSpriteSource(character.sheetIndex, source.rect);
    }
    source.image = lookUpImage(cache, "CharSet/" + sheetName + ".png");
    return source.image != nullptr && sheetFrameSource(character.sheetIndex, character.animationStep, character.facing,
                                                       view.rotationAngle, source.rect);
}

// A definition whose image was never cached (a hero sprite set before its image was added) draws
// nothing, and so do animated definitions.
bool definitionSource(const ViewState &view, const ImageCache &cache, const SpritePlacement &placement,
                      SpriteSource &source) {
    const SpriteDefinition &definition = *placement.definition;
    source.image = findImage(cache, definition.imageName);
    if (source.image == nullptr) return false;
    if (definition.mode == 0) {
        source.rect = {0, 0, source.image->width, source.image->height};
        source.moveX = definition.offsetX;
        source.moveY = definition.offsetY;
        return true;
    }
    int32_t frame = 0;
    if (definition.mode != kSpriteDirectional ||
        !stripFrame(definition, placement.character->facing, view.rotationAngle, frame))
        return false;
    const int64_t x = int64_t{frame} * placement.width;
    if (!fitsInt32(x)) return false;
    source.rect = {static_cast<int32_t>(x), 0, placement.width, source.image->height};
    return true;
}

void drawPlacement(const ViewState &view, ImageCache &cache, FvHostSurface *surface, const SpritePlacement &placement) {
    SpriteSource source;
    const bool found = placement.definition != nullptr ? definitionSource(view, cache, placement, source)
                                                       : ownGraphicSource(view, cache, *placement.character, source);
    if (!found) return;
    const int32_t x = int32_t{placement.screenX} - placement.scaledWidth / 2 + source.moveX;
    const int32_t y = int32_t{placement.screenY} - placement.scaledHeight + source.moveY;
    if (placement.scaledWidth == source.rect.width && placement.scaledHeight == source.rect.height)
        host().drawImage(surface, x, y, source.image, source.rect);
    else
        host().stretchDrawImage(surface, {x, y, placement.scaledWidth, placement.scaledHeight}, source.image,
                                source.rect);
}

// False while the stage cannot run: no hero or no map view.
bool readFrame(const MapRecord &map, float sine, float cosine, SpriteFrame &frame) {
    const FvHostCharacter *hero = hostHero();
    const FvHostMapView *mapView = hostMapView();
    if (hero == nullptr || mapView == nullptr) return false;
    frame.sine = sine;
    frame.cosine = cosine;
    frame.scrollX = scrollInPixels(mapView->scrollX);
    frame.scrollY = scrollInPixels(mapView->scrollY);
    frame.hero = positionOf(*hero);
    frame.mapPixelWidth = map.pixelWidth;
    frame.mapPixelHeight = map.pixelHeight;
    return true;
}

} // namespace

DrawnRange arrangeSprites(const ViewState &view, const MapRecord &map, SpriteRegistry &registry, float sine,
                          float cosine) {
    SpriteFrame frame;
    if (registry.drawingOrder.empty() || !readFrame(map, sine, cosine, frame)) return {};
    for (SpritePlacement *placement : registry.drawingOrder) {
        placement->character = findPlacedCharacter(registry, placement->who);
        if (placement->character != nullptr)
            projectPlacement(view, frame, positionOf(*placement->character), *placement);
        else
            markUnprojected(*placement);
    }
    sortDrawingOrder(registry.drawingOrder);
    return selectDrawn(registry.drawingOrder, view.horizon);
}

void renderSprites(const ViewState &view, const MapRecord &map, SpriteRegistry &registry, float sine, float cosine) {
    FvHostSurface *surface = hostScreen();
    if (surface == nullptr) return;
    const DrawnRange drawn = arrangeSprites(view, map, registry, sine, cosine);
    for (size_t i = drawn.first; i < drawn.last; ++i)
        drawPlacement(view, registry.imageCache, surface, *registry.drawingOrder[i]);
}

} // namespace farview
