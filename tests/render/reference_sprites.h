// The sprite stage's arrangement written straight from its rules: each placement projected one
// arithmetic step at a time, the drawing order kept by a plain stable sort, and the drawn range
// read off it. Slow and obvious, the measure the shipped stage is held to. Header-only, so that the
// benchmarks can run it too.
//
// Float arithmetic is spelled out: every float operation is done exactly (or as a correctly
// rounded double) in double precision and then rounded to float, which gives the IEEE float result
// whatever the compiler would have done with the plain expression.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/host.h"
#include "mapdata/map_record.h"
#include "numeric/numeric.h"
#include "render/reference_floor.h"
#include "render/sprite_registry.h"
#include "render/view_state.h"

namespace farview_test {

namespace reference {

// One float operation: both operands widened, the operation done in double, the result rounded to
// float. Double has more than twice float's precision, so the double rounding changes nothing.
inline float floatAdd(float a, float b) { return toFloat(double{a} + double{b}); }
inline float floatSubtract(float a, float b) { return toFloat(double{a} - double{b}); }
inline float floatMultiply(float a, float b) { return toFloat(double{a} * double{b}); }
inline float floatDivide(float a, float b) { return toFloat(divide(double{a}, double{b})); }

inline uint16_t low16Bits(int32_t value) { return static_cast<uint16_t>(int64_t{value} & 0xFFFF); }

} // namespace reference

// The frame as the projection reads it: the direction of view, the map view's scroll in whole
// pixels, the hero and the map's size in pixels.
struct ReferenceFrame {
    float sine = 0.0f;
    float cosine = 1.0f;
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    int32_t heroScreenX = 0;
    int32_t heroScreenY = 0;
    int32_t heroColumn = 0;
    int32_t heroRow = 0;
    int32_t mapPixelWidth = 0;
    int32_t mapPixelHeight = 0;
};

// One placement as the projection reads it: its character's position, its definition's offsets
// (0 without a definition) and its size.
struct ReferenceSprite {
    int32_t screenX = 0;
    int32_t screenY = 0;
    int32_t mapColumn = 0;
    int32_t mapRow = 0;
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
    uint16_t width = farview::kDefaultSpriteWidth;
    uint16_t height = farview::kDefaultSpriteHeight;
};

// The four fields the projection writes.
struct ReferenceProjection {
    uint16_t screenX = 0;
    uint16_t screenY = 0;
    uint16_t scaledWidth = 0;
    uint16_t scaledHeight = 0;

    bool operator==(const ReferenceProjection &other) const {
        return screenX == other.screenX && screenY == other.screenY && scaledWidth == other.scaledWidth &&
               scaledHeight == other.scaledHeight;
    }
    bool operator!=(const ReferenceProjection &other) const { return !(*this == other); }
};

// A placement that cannot be projected (its depth is exactly 0, or one of its four values is NaN)
// stands at row 0xFFFF with no size: behind every visible sprite, never drawn.
constexpr ReferenceProjection kUnprojectedSprite{0, 0xFFFF, 0, 0};

// One placement projected: from its character's position to its four fields.
inline ReferenceProjection referenceProjection(const farview::ViewState &view, const ReferenceFrame &frame,
                                               const ReferenceSprite &sprite) {
    using namespace reference;
    using farview::truncateToInt32;

    // Across the wrapped edge of the map: left of the hero on the map, right of him on the screen.
    int64_t px = sprite.screenX;
    int64_t py = sprite.screenY;
    if (px > frame.heroScreenX && sprite.mapColumn < frame.heroColumn) px = px - frame.mapPixelWidth;
    if (py > frame.heroScreenY && sprite.mapRow < frame.heroRow) py = py - frame.mapPixelHeight;

    // Relative to the eye, in float arithmetic, from left to right.
    const float cosine = frame.cosine;
    const float sine = frame.sine;
    float A = static_cast<float>(px + frame.scrollX);
    A = floatSubtract(A, view.cameraX);
    A = floatAdd(A, floatMultiply(view.rotationalOffset, cosine));
    A = floatAdd(A, static_cast<float>(sprite.offsetX));
    float B = static_cast<float>(py + frame.scrollY);
    B = floatSubtract(B, view.cameraY);
    B = floatAdd(B, floatMultiply(view.rotationalOffset, sine));
    B = floatAdd(B, static_cast<float>(sprite.offsetY));

    // The bias is added in double precision, then the sum is rounded to float.
    const float depth = toFloat(double{floatAdd(floatMultiply(cosine, A), floatMultiply(sine, B))} + 0.001);
    const float lateral = toFloat(double{floatSubtract(floatMultiply(cosine, B), floatMultiply(sine, A))} + 0.001);

    const double screenX = 160.0 + double{floatDivide(floatMultiply(view.textureScaleX, lateral), depth)};
    const float screenY = floatSubtract(floatDivide(floatMultiply(view.zValue, view.textureScaleY), depth),
                                        toFloat(double(view.horizonOffset)));
    const double scaledWidth = divide(120.0 * double(sprite.width), double{depth});
    const double scaledHeight = divide(120.0 * double(sprite.height), double{depth});

    if (depth == 0.0f || std::isnan(screenX) || std::isnan(screenY) || std::isnan(scaledWidth) ||
        std::isnan(scaledHeight)) {
        return kUnprojectedSprite;
    }
    return {low16Bits(truncateToInt32(screenX)), low16Bits(truncateToInt32(double{screenY})),
            low16Bits(truncateToInt32(scaledWidth)), low16Bits(truncateToInt32(scaledHeight))};
}

// The scroll in whole pixels (sixteenths divided toward zero) and the hero, read from the host as a
// frame finds them.
inline ReferenceFrame referenceFrameFromHost(const farview::MapRecord &map, float sine, float cosine) {
    using namespace farview;
    const FvHostCharacter *hero = hostHero();
    const FvHostMapView *mapView = hostMapView();
    ReferenceFrame frame;
    frame.sine = sine;
    frame.cosine = cosine;
    frame.scrollX = mapView->scrollX / 16;
    frame.scrollY = mapView->scrollY / 16;
    frame.heroScreenX = host().characterScreenX(hero);
    frame.heroScreenY = host().characterScreenY(hero);
    frame.heroColumn = hero->mapColumn;
    frame.heroRow = hero->mapRow;
    frame.mapPixelWidth = map.pixelWidth;
    frame.mapPixelHeight = map.pixelHeight;
    return frame;
}

inline ReferenceSprite referenceSpriteOf(const farview::SpritePlacement &placement, const FvHostCharacter &character) {
    using namespace farview;
    ReferenceSprite sprite;
    sprite.screenX = host().characterScreenX(&character);
    sprite.screenY = host().characterScreenY(&character);
    sprite.mapColumn = character.mapColumn;
    sprite.mapRow = character.mapRow;
    if (placement.definition != nullptr) {
        sprite.offsetX = placement.definition->offsetX;
        sprite.offsetY = placement.definition->offsetY;
    }
    sprite.width = placement.width;
    sprite.height = placement.height;
    return sprite;
}

// Where a drawn placement's image goes on the screen, before the offsets of a single picture.
struct ReferenceTarget {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

inline ReferenceTarget referenceTarget(const ReferenceProjection &p) {
    return {int32_t{p.screenX} - int32_t{p.scaledWidth} / 2, int32_t{p.screenY} - int32_t{p.scaledHeight},
            p.scaledWidth, p.scaledHeight};
}

// The stage's arrangement over a run of frames. The drawing order is kept as positions in the
// registry's placements (the order they were made in) and starts there; each frame sorts the
// previous frame's order again.
class ReferenceSpriteStage {
public:
    // Projects every placement of the registry, sorts, and finds the drawn range. The frame
    // changes nothing when there is no hero or map view. Events stand only while the hero is on the
    // placements' map; the hero stands wherever he is.
    void arrange(const farview::ViewState &view, const farview::MapRecord &map, const farview::SpriteRegistry &registry,
                 float sine, float cosine) {
        const size_t count = registry.placements.size();
        // Placements made since the last frame join the order at its end; an emptied registry
        // starts again.
        if (order_.size() > count) order_.clear();
        while (order_.size() < count) order_.push_back(order_.size());
        first_ = last_ = 0;
        const FvHostCharacter *hero = farview::hostHero();
        if (count == 0 || hero == nullptr || farview::hostMapView() == nullptr) return;
        projections_.assign(count, kUnprojectedSprite);
        const ReferenceFrame frame = referenceFrameFromHost(map, sine, cosine);
        for (size_t i = 0; i < count; ++i) {
            const farview::SpritePlacement &placement = *registry.placements[i];
            const FvHostCharacter *character = characterOf(placement.who, registry, *hero);
            if (character != nullptr)
                projections_[i] = referenceProjection(view, frame, referenceSpriteOf(placement, *character));
        }
        std::stable_sort(order_.begin(), order_.end(),
                         [&](size_t a, size_t b) { return projections_[a].screenY < projections_[b].screenY; });
        selectDrawn(view.horizon);
    }

    // Positions in the registry's placements, far to near.
    const std::vector<size_t> &order() const { return order_; }
    // Of the last frame that ran, by position in the registry's placements.
    const std::vector<ReferenceProjection> &projections() const { return projections_; }
    size_t firstDrawn() const { return first_; }
    size_t lastDrawn() const { return last_; } // one past

private:
    static const FvHostCharacter *characterOf(farview::PlacedCharacter who, const farview::SpriteRegistry &registry,
                                              const FvHostCharacter &hero) {
        if (who.kind == farview::PlacedCharacter::hero) return &hero;
        if (who.kind == farview::PlacedCharacter::nobody || hero.mapId != registry.placementsMapId) return nullptr;
        return farview::host().eventById(farview::hostMapView()->events, who.eventId);
    }

    // Beyond the horizon are the leading rows at most horizon; from row 350 on, a sprite is too
    // near or behind the eye, and so is every one after it.
    void selectDrawn(int32_t horizon) {
        size_t i = 0;
        while (i < order_.size() && int64_t{projections_[order_[i]].screenY} <= horizon) ++i;
        first_ = i;
        while (i < order_.size() && projections_[order_[i]].screenY <= 349) ++i;
        last_ = i;
    }

    std::vector<size_t> order_;
    std::vector<ReferenceProjection> projections_;
    size_t first_ = 0;
    size_t last_ = 0;
};

} // namespace farview_test
