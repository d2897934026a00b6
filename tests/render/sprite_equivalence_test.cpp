// The shipped sprite stage arranges exactly as the reference does: every placement's projection,
// field by field, and the drawing order and drawn range over runs of frames whose order carries
// from one frame to the next; for ordinary views and for ones whose values are zero, huge,
// infinite or NaN.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/reference_sprites.h"
#include "render/sprite_stage.h"
#include "support/host_fixture.h"

namespace farview_test {
namespace {

using farview::SpriteDefinition;
using farview::SpritePlacement;

constexpr int32_t kRandomProjections = 400000;
constexpr int32_t kRandomScenes = 600;
constexpr int32_t kFramesPerScene = 12;
constexpr int32_t kMaxReportedFailures = 5;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The frame driver's direction of view.
void directionOf(float angle, float &sine, float &cosine) {
    sine = static_cast<float>(std::sin(0.0174532925 * double{angle}));
    cosine = static_cast<float>(std::cos(0.0174532925 * double{angle}));
}

class RandomSource {
public:
    explicit RandomSource(uint32_t seed) : random_(seed) {}

    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    float uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(random_); }
    int32_t uniformInt(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random_); }
    template <class T> T pick(std::initializer_list<T> values) {
        return values.begin()[uniformInt(0, static_cast<int32_t>(values.size()) - 1)];
    }

    // Mostly within [low, high]; otherwise of either sign, or a value at the edge of the float range.
    float scale(float low, float high) {
        if (chance(0.75)) return uniform(low, high);
        if (chance(0.4)) return uniform(-high, high);
        return pick({0.0f, -0.0f, 1e-6f, -3e-4f, 1e-30f, 1e20f, 3.4e38f, -3.4e38f, kInfinity, -kInfinity, kNaN});
    }

    int32_t integer(int32_t low, int32_t high) { return chance(0.9) ? uniformInt(low, high) : extremeInteger(); }
    // Within spread of centre, kept inside the int32 range.
    int32_t near(int32_t centre, int32_t spread) {
        const int64_t value = int64_t{centre} + uniformInt(-spread, spread);
        return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    }
    int32_t extremeInteger() {
        return pick({INT32_MIN, INT32_MIN + 1, -65536, -1, 0, 65535, 65536, INT32_MAX - 1, INT32_MAX});
    }

    uint16_t size(uint16_t usual) {
        if (chance(0.7)) return usual;
        if (chance(0.7)) return static_cast<uint16_t>(uniformInt(0, 200));
        return pick<uint16_t>({0, 1, 32767, 32768, 65535});
    }

    uint16_t offset() {
        if (chance(0.7)) return static_cast<uint16_t>(uniformInt(0, 40));
        return pick<uint16_t>({0, 1, 65535, 65534, 32768});
    }

    // An angle as the view keeps it, and now and then a direction no angle gives.
    void direction(farview::ViewState &view, float &sine, float &cosine) {
        view.rotationAngle = chance(0.7) ? uniform(0.0f, 360.0f) : pick({0.0f, 45.0f, 90.0f, 180.0f, 270.0f, 360.0f});
        directionOf(view.rotationAngle, sine, cosine);
        if (chance(0.08)) {
            sine = pick({0.0f, -0.0f, 1.0f, -1.0f, 1e-30f, 3e38f, kInfinity, kNaN});
            cosine = pick({0.0f, -0.0f, 1.0f, -1.0f, 1e-30f, 3e38f, -kInfinity, kNaN});
        }
    }

    // The view's values other than the angle and the camera.
    void viewValues(farview::ViewState &view) {
        view.zValue = chance(0.5) ? 90.0f : scale(1.0f, 300.0f);
        view.textureScaleX = chance(0.5) ? 260.0f : scale(50.0f, 600.0f);
        view.textureScaleY = chance(0.8) ? view.textureScaleX : scale(50.0f, 600.0f);
        view.horizonOffset = chance(0.5) ? 25 : integer(-300, 300);
        view.horizon = chance(0.5) ? 50 : integer(-50, 400);
        view.rotationalOffset = chance(0.5) ? 100.0f : chance(0.8) ? uniform(-1000.0f, 1000.0f) : scale(0.0f, 300.0f);
    }

private:
    std::mt19937 random_;
};

std::string describe(const farview::ViewState &view, const ReferenceFrame &frame) {
    std::ostringstream text;
    text.precision(9);
    text << "sine " << frame.sine << " cosine " << frame.cosine << " camera " << view.cameraX << "," << view.cameraY
         << " rotationalOffset " << view.rotationalOffset << " zValue " << view.zValue << " scales "
         << view.textureScaleX << "/" << view.textureScaleY << " horizonOffset " << view.horizonOffset << " scroll "
         << frame.scrollX << "," << frame.scrollY << " hero screen " << frame.heroScreenX << "," << frame.heroScreenY
         << " cell " << frame.heroColumn << "," << frame.heroRow << " map pixels " << frame.mapPixelWidth << "x"
         << frame.mapPixelHeight;
    return text.str();
}

std::string describe(const ReferenceSprite &sprite) {
    std::ostringstream text;
    text << "sprite screen " << sprite.screenX << "," << sprite.screenY << " cell " << sprite.mapColumn << ","
         << sprite.mapRow << " offset " << sprite.offsetX << "," << sprite.offsetY << " size " << sprite.width << "x"
         << sprite.height;
    return text.str();
}

std::string describe(const ReferenceProjection &p) {
    std::ostringstream text;
    text << "(screenX " << p.screenX << ", screenY " << p.screenY << ", scaled " << p.scaledWidth << "x"
         << p.scaledHeight << ")";
    return text.str();
}

ReferenceProjection fieldsOf(const SpritePlacement &placement) {
    return {placement.screenX, placement.screenY, placement.scaledWidth, placement.scaledHeight};
}

// ---- One placement at a time ------------------------------------------------------------------

struct ProjectionCase {
    farview::ViewState view;
    ReferenceFrame frame;
    ReferenceSprite sprite;
    bool hasDefinition = false;
};

// The shipped projection of one case; the fields start out as a value no projection leaves behind
// in all four, so a field left unwritten shows.
ReferenceProjection shippedProjection(const ProjectionCase &c) {
    farview::SpriteFrame frame;
    frame.sine = c.frame.sine;
    frame.cosine = c.frame.cosine;
    frame.scrollX = c.frame.scrollX;
    frame.scrollY = c.frame.scrollY;
    frame.hero = {c.frame.heroScreenX, c.frame.heroScreenY, c.frame.heroColumn, c.frame.heroRow};
    frame.mapPixelWidth = c.frame.mapPixelWidth;
    frame.mapPixelHeight = c.frame.mapPixelHeight;
    const farview::SpritePosition position{c.sprite.screenX, c.sprite.screenY, c.sprite.mapColumn, c.sprite.mapRow};
    SpritePlacement placement;
    if (c.hasDefinition) {
        placement.definition = std::make_shared<SpriteDefinition>();
        placement.definition->offsetX = c.sprite.offsetX;
        placement.definition->offsetY = c.sprite.offsetY;
    }
    placement.width = c.sprite.width;
    placement.height = c.sprite.height;
    placement.screenX = placement.screenY = placement.scaledWidth = placement.scaledHeight = 0xBEEF;
    farview::projectPlacement(c.view, frame, position, placement);
    return fieldsOf(placement);
}

ReferenceProjection referenceOf(const ProjectionCase &c) {
    ReferenceSprite sprite = c.sprite;
    if (!c.hasDefinition) sprite.offsetX = sprite.offsetY = 0;
    return referenceProjection(c.view, c.frame, sprite);
}

ProjectionCase randomCase(RandomSource &random) {
    ProjectionCase c;
    random.viewValues(c.view);
    random.direction(c.view, c.frame.sine, c.frame.cosine);

    const int32_t tiles = random.pick({1, 7, 20, 40, 500, 2100});
    c.frame.mapPixelWidth = random.chance(0.95) ? 16 * tiles : random.pick({0, 16 * 134217727, INT32_MAX});
    c.frame.mapPixelHeight = random.chance(0.95) ? 16 * random.pick({1, 3, 15, 30, 500}) : random.pick({0, INT32_MAX});
    c.frame.heroColumn = random.integer(0, tiles - 1);
    c.frame.heroRow = random.integer(0, 40);
    c.frame.scrollX = random.chance(0.8) ? random.uniformInt(0, 16 * tiles) : random.integer(-5000, 5000);
    c.frame.scrollY = random.chance(0.8) ? random.uniformInt(0, 400) : random.integer(-5000, 5000);
    c.frame.heroScreenX = random.chance(0.9) ? random.uniformInt(0, 320) : random.integer(-1000, 1000);
    c.frame.heroScreenY = random.chance(0.9) ? random.uniformInt(0, 240) : random.integer(-1000, 1000);

    // The floor's camera point, or any other.
    const float cameraX = static_cast<float>(int64_t{c.frame.heroScreenX} + c.frame.scrollX);
    const float cameraY = static_cast<float>(int64_t{c.frame.heroScreenY} + c.frame.scrollY);
    c.view.cameraX = random.chance(0.9) ? cameraX : random.scale(-1e6f, 1e6f);
    c.view.cameraY = random.chance(0.9) ? cameraY : random.scale(-1e6f, 1e6f);

    // Around the hero, on either side of him on the map and on the screen, so that the wrapped
    // edge is met in every combination.
    c.sprite.screenX = random.chance(0.9) ? random.near(c.frame.heroScreenX, 400) : random.extremeInteger();
    c.sprite.screenY = random.chance(0.9) ? random.near(c.frame.heroScreenY, 400) : random.extremeInteger();
    c.sprite.mapColumn = random.chance(0.9) ? random.near(c.frame.heroColumn, 20) : random.extremeInteger();
    c.sprite.mapRow = random.chance(0.9) ? random.near(c.frame.heroRow, 20) : random.extremeInteger();
    c.hasDefinition = random.chance(0.4);
    c.sprite.offsetX = random.offset();
    c.sprite.offsetY = random.offset();
    c.sprite.width = random.size(farview::kDefaultSpriteWidth);
    c.sprite.height = random.size(farview::kDefaultSpriteHeight);
    return c;
}

TEST(SpriteProjectionEquivalence, EveryFieldMatchesTheReferenceOverRandomViews) {
    RandomSource random(20240612);
    int32_t failures = 0;
    int32_t unprojected = 0;
    int32_t wrapped = 0;
    for (int32_t i = 0; i < kRandomProjections && failures < kMaxReportedFailures; ++i) {
        const ProjectionCase c = randomCase(random);
        const ReferenceProjection expected = referenceOf(c);
        const ReferenceProjection actual = shippedProjection(c);
        if (actual != expected) {
            ADD_FAILURE() << "case " << i << ": " << describe(c.view, c.frame) << "; " << describe(c.sprite)
                          << (c.hasDefinition ? " (definition)" : " (no definition)") << ": got " << describe(actual)
                          << ", expected " << describe(expected);
            ++failures;
        }
        unprojected += expected == kUnprojectedSprite;
        wrapped += c.sprite.screenX > c.frame.heroScreenX && c.sprite.mapColumn < c.frame.heroColumn;
    }
    // The random views do reach the rare paths.
    EXPECT_GT(unprojected, kRandomProjections / 1000);
    EXPECT_GT(wrapped, kRandomProjections / 10);
}

// Views chosen to produce an infinite or NaN depth, lateral or row, or a size beyond 16 bits.
TEST(SpriteProjectionEquivalence, ViewsThatProduceNaNOrInfinityMatchTheReference) {
    struct Extreme {
        const char *what;
        void (*apply)(ProjectionCase &);
        bool unprojectable; // NaN reaches every value, so the placement is marked at any angle
    };
    const Extreme extremes[] = {
        {"zValue NaN", [](ProjectionCase &c) { c.view.zValue = kNaN; }, false},
        {"zValue infinite", [](ProjectionCase &c) { c.view.zValue = kInfinity; }, false},
        {"zero scales", [](ProjectionCase &c) { c.view.textureScaleX = c.view.textureScaleY = 0.0f; }, false},
        {"infinite scales", [](ProjectionCase &c) { c.view.textureScaleX = c.view.textureScaleY = kInfinity; }, false},
        {"camera infinite", [](ProjectionCase &c) { c.view.cameraX = kInfinity; }, false},
        {"camera -infinite both", [](ProjectionCase &c) { c.view.cameraX = c.view.cameraY = -kInfinity; }, true},
        {"camera huge", [](ProjectionCase &c) { c.view.cameraY = 3.4e38f; }, false},
        {"rotationalOffset NaN", [](ProjectionCase &c) { c.view.rotationalOffset = kNaN; }, true},
        {"rotationalOffset huge", [](ProjectionCase &c) { c.view.rotationalOffset = 3.4e38f; }, false},
        {"sine NaN", [](ProjectionCase &c) { c.frame.sine = kNaN; }, true},
        {"direction zero", [](ProjectionCase &c) { c.frame.sine = c.frame.cosine = 0.0f; }, false},
        {"direction infinite", [](ProjectionCase &c) { c.frame.sine = c.frame.cosine = kInfinity; }, true},
        {"horizonOffset extreme", [](ProjectionCase &c) { c.view.horizonOffset = INT32_MIN; }, false},
        {"depth the bias alone", [](ProjectionCase &c) { c.view.rotationalOffset = 0.0f; }, false},
        {"huge sizes", [](ProjectionCase &c) { c.sprite.width = c.sprite.height = 65535; }, false},
        {"screen position extreme", [](ProjectionCase &c) { c.sprite.screenX = c.sprite.screenY = INT32_MIN; }, false},
        {"scroll extreme", [](ProjectionCase &c) { c.frame.scrollX = c.frame.scrollY = INT32_MAX; }, false},
    };
    for (const Extreme &extreme : extremes) {
        for (float angle : {0.0f, 45.0f, 90.0f, 270.0f, 333.0f}) {
            ProjectionCase c;
            directionOf(angle, c.frame.sine, c.frame.cosine);
            c.frame.heroScreenX = c.sprite.screenX = 168;
            c.frame.heroScreenY = c.sprite.screenY = 128;
            c.view.cameraX = 168.0f;
            c.view.cameraY = 128.0f;
            extreme.apply(c);
            const ReferenceProjection expected = referenceOf(c);
            EXPECT_EQ(describe(shippedProjection(c)), describe(expected)) << extreme.what << " at angle " << angle;
            if (extreme.unprojectable) {
                EXPECT_EQ(describe(expected), describe(kUnprojectedSprite)) << extreme.what;
            }
        }
    }
}

// The reference is the measure, so it is held to the worked example of the defaults: the hero at
// the camera point, seen from 100 map pixels behind.
TEST(ReferenceSprites, TheHeroAtTheCameraPointIsDrawnAt146_170Sized28x38) {
    ProjectionCase c;
    directionOf(270.0f, c.frame.sine, c.frame.cosine);
    c.frame.heroScreenX = c.sprite.screenX = 160;
    c.frame.heroScreenY = c.sprite.screenY = 120;
    const ReferenceProjection p = referenceOf(c);
    EXPECT_EQ(describe(p), describe(ReferenceProjection{160, 208, 28, 38}));
    const ReferenceTarget target = referenceTarget(p);
    EXPECT_EQ(target.x, 146);
    EXPECT_EQ(target.y, 170);
}

TEST(ReferenceSprites, ASpriteBehindTheEyeHasItsNegativeRowStoredPlus65536) {
    ProjectionCase c;
    directionOf(270.0f, c.frame.sine, c.frame.cosine);
    c.sprite.screenY = 320; // 200 map pixels toward +y of the camera point: 100 behind the eye
    const ReferenceProjection p = referenceOf(c);
    // depth = 100.001 - 200 = -99.999: row 23400 / -99.999 - 25 = -259.0..., truncated to -259.
    EXPECT_EQ(p.screenY, 65536 - 259);
}

// ---- The arrangement over runs of frames --------------------------------------------------------

struct TestMapSize {
    int32_t tilesWide;
    int32_t tilesHigh;
};

class SpriteArrangementTest : public HostTest {
protected:
    // A scene: a map, the hero on it, events (some sharing a cell, so rows tie), the hero's and
    // the events' placements in the order a map load makes them, and sprites added on events,
    // with offsets and sizes of their own, or on events the map does not have.
    void newScene() {
        simhost::resetEngine();
        registry = farview::SpriteRegistry{};
        stage = ReferenceSpriteStage{};
        view = farview::ViewState{};

        const TestMapSize size = random.pick<TestMapSize>({{1, 1}, {7, 3}, {20, 15}, {40, 30}, {500, 500}});
        simhost::setMapSize(size.tilesWide, size.tilesHigh);
        map.width = size.tilesWide;
        map.height = size.tilesHigh;
        map.pixelWidth = 16 * size.tilesWide;
        map.pixelHeight = 16 * size.tilesHigh;
        FvHostCharacter &hero = simhost::hero();
        hero.mapId = 1;
        hero.mapColumn = random.uniformInt(0, size.tilesWide - 1);
        hero.mapRow = random.uniformInt(0, size.tilesHigh - 1);
        simhost::scrollToHero();

        const int32_t eventCount = random.pick({0, 1, 5, 20, 40, 60});
        std::vector<FvHostCharacter *> events;
        for (int32_t id = 1; id <= eventCount; ++id) {
            if (!events.empty() && random.chance(0.3)) {
                const FvHostCharacter *twin = events[random.uniformInt(0, static_cast<int32_t>(events.size()) - 1)];
                events.push_back(&simhost::addEvent(id, twin->mapColumn, twin->mapRow));
            } else {
                events.push_back(&simhost::addEvent(id, hero.mapColumn + random.uniformInt(-8, 8),
                                                    hero.mapRow + random.uniformInt(-8, 8)));
            }
        }
        registry.placementsMapId = 1;
        farview::appendPlacement(registry, farview::placedHero());
        for (auto event = events.rbegin(); event != events.rend(); ++event)
            farview::appendPlacement(registry, farview::placedEvent((*event)->id));
        const int32_t added = random.pick({0, 0, 1, 3});
        for (int32_t i = 0; i < added; ++i) addSprite(events);

        random.viewValues(view);
        random.direction(view, sine, cosine);
    }

    void addSprite(const std::vector<FvHostCharacter *> &events) {
        auto definition = std::make_shared<SpriteDefinition>();
        definition->mode = static_cast<uint16_t>(random.uniformInt(0, 3));
        definition->offsetX = random.offset();
        definition->offsetY = random.offset();
        // Now and then an event number the map does not have.
        const int32_t eventId = events.empty() || random.chance(0.2)
                                    ? 1000
                                    : events[random.uniformInt(0, static_cast<int32_t>(events.size()) - 1)]->id;
        farview::appendPlacement(registry, farview::placedEvent(eventId), std::move(definition), random.size(48),
                                 random.size(64));
    }

    // From one frame to the next the hero and some events take a step, the view turns a little or
    // jumps, and now and then a value goes wild, a sprite is added or the hero is on another map.
    void nextFrame() {
        FvHostCharacter &hero = simhost::hero();
        hero.mapId = random.chance(0.04) ? 2 : 1;
        if (random.chance(0.3)) {
            hero.mapColumn += random.uniformInt(-1, 1);
            hero.mapRow += random.uniformInt(-1, 1);
        }
        if (random.chance(0.8)) {
            simhost::scrollToHero();
        } else {
            simhost::setScroll(random.integer(-5000, 5000), random.integer(-5000, 5000));
        }
        FvHostEventList *events = simhost::mapView().events;
        for (int32_t i = 0; i < events->count; ++i)
            if (random.chance(0.1)) events->items[i]->mapRow += random.uniformInt(-1, 1);
        if (random.chance(0.7)) {
            view.rotationAngle = std::fmod(view.rotationAngle + random.uniform(-3.0f, 3.0f) + 360.0f, 360.0f);
            directionOf(view.rotationAngle, sine, cosine);
        } else {
            random.direction(view, sine, cosine);
        }
        if (random.chance(0.05)) random.viewValues(view);
        if (random.chance(0.03)) {
            std::vector<FvHostCharacter *> none;
            addSprite(none);
        }
        // The floor's camera point, which the stage reads.
        const FvHostMapView &mapView = simhost::mapView();
        view.cameraX = static_cast<float>(int64_t{simhost::characterScreenX(&hero)} + mapView.scrollX / 16);
        view.cameraY = static_cast<float>(int64_t{simhost::characterScreenY(&hero)} + mapView.scrollY / 16);
        if (random.chance(0.03)) view.cameraX = random.scale(-1e5f, 1e5f);
    }

    // Where the shipped arrangement differs from the reference's; empty when it does not.
    std::string difference(const farview::DrawnRange &drawn, bool stageRan) const {
        std::ostringstream text;
        if (drawn.first != stage.firstDrawn() || drawn.last != stage.lastDrawn()) {
            text << "drawn " << drawn.first << ".." << drawn.last << " instead of " << stage.firstDrawn() << ".."
                 << stage.lastDrawn() << "; ";
        }
        for (size_t k = 0; k < registry.drawingOrder.size(); ++k) {
            if (registry.drawingOrder[k] != registry.placements[stage.order()[k]].get()) {
                text << "order differs from position " << k << " on (reference: placement " << stage.order()[k]
                     << "); ";
                break;
            }
        }
        for (size_t i = 0; stageRan && i < registry.placements.size(); ++i) {
            const ReferenceProjection actual = fieldsOf(*registry.placements[i]);
            if (actual != stage.projections()[i]) {
                text << "placement " << i << " projected to " << describe(actual) << " instead of "
                     << describe(stage.projections()[i]) << "; ";
                break;
            }
        }
        return text.str();
    }

    RandomSource random{20240613};
    farview::SpriteRegistry registry;
    ReferenceSpriteStage stage;
    farview::ViewState view;
    farview::MapRecord map;
    float sine = -1.0f;
    float cosine = 0.0f;
};

TEST_F(SpriteArrangementTest, OrderAndDrawnRangeMatchTheReferenceFrameAfterFrame) {
    int32_t failures = 0;
    int32_t framesDrawingSeveral = 0;
    int32_t framesWithTies = 0;
    for (int32_t scene = 0; scene < kRandomScenes && failures < kMaxReportedFailures; ++scene) {
        newScene();
        for (int32_t f = 0; f < kFramesPerScene && failures < kMaxReportedFailures; ++f) {
            if (f > 0) nextFrame();
            const bool stageRan = simhost::hero().mapId == registry.placementsMapId;
            const farview::DrawnRange drawn = farview::arrangeSprites(view, map, registry, sine, cosine);
            stage.arrange(view, map, registry, sine, cosine);
            ASSERT_EQ(registry.drawingOrder.size(), stage.order().size());
            const std::string different = difference(drawn, stageRan);
            if (!different.empty()) {
                ADD_FAILURE() << "scene " << scene << ", frame " << f << ", angle " << view.rotationAngle
                              << ", horizon " << view.horizon << ", " << registry.placements.size()
                              << " placements: " << different;
                ++failures;
            }
            framesDrawingSeveral += stage.lastDrawn() - stage.firstDrawn() >= 2;
            for (size_t k = 1; stageRan && k < stage.order().size(); ++k) {
                const auto &p = stage.projections();
                if (p[stage.order()[k]].screenY == p[stage.order()[k - 1]].screenY &&
                    p[stage.order()[k]].screenY < 350) {
                    ++framesWithTies;
                    break;
                }
            }
        }
    }
    // The scenes do exercise the order: several sprites drawn, and visible rows that tie.
    EXPECT_GT(framesDrawingSeveral, kRandomScenes * kFramesPerScene / 8);
    EXPECT_GT(framesWithTies, kRandomScenes * kFramesPerScene / 20);
}

} // namespace
} // namespace farview_test
