// End to end through the real module: the hero and a ring of map events, each drawn from a
// character sheet of one colour of its own, seen from several angles. Every drawn sprite's colour
// fills exactly the rectangle the reference projects for it, a nearer sprite covers a farther one,
// and the sprites the view leaves out appear nowhere.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/floor_scene.h"
#include "render/reference_sprites.h"
#include "support/host_fixture.h"
#include "support/small_game.h"

namespace farview_test {
namespace {

constexpr int32_t kMapTiles = 20;
constexpr int32_t kHeroColumn = 10;
constexpr int32_t kHeroRow = 10;
constexpr float kRotationalOffset = 200.0f; // the eye far enough back to see the whole ring
constexpr uint16_t kNoSprite = 0;           // a screen pixel no sprite covers, in the painted reference

struct SceneCharacter {
    const char *sheet;
    uint32_t rgb;
    int32_t column; // tiles from the hero
    int32_t row;
};

// Bright colours, none of them the floor's, black or the backdrop.
const SceneCharacter kHero = {"Hero", 0xFFFFFF, 0, 0};
const SceneCharacter kEvents[] = {
    // The ring, two tiles out: its members overlap the hero and each other at most angles.
    {"RingN", 0xFF0000, 0, -2},
    {"RingNE", 0x0000FF, 2, -2},
    {"RingE", 0xFFFF00, 2, 0},
    {"RingSE", 0xFF00FF, 2, 2},
    {"RingS", 0x00FFFF, 0, 2},
    {"RingSW", 0xFF8000, -2, 2},
    {"RingW", 0x8000FF, -2, 0},
    {"RingNW", 0x0080FF, -2, -2},
    // Nine tiles out: looking along an axis, the one ahead stands beyond the horizon and the one
    // behind stands behind the eye; the other two are off the screen's sides.
    {"FarN", 0xFF0080, 0, -9},
    {"FarE", 0x80FF00, 9, 0},
    {"FarS", 0x00FF80, 0, 9},
    {"FarW", 0xC0C0FF, -9, 0},
};
constexpr int32_t kEventCount = static_cast<int32_t>(std::size(kEvents));

std::string sheetFile(const SceneCharacter &character) { return std::string("CharSet/") + character.sheet + ".png"; }

class SpriteSceneTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        simhost::initTitleScreen(module); // nothing left from an earlier test in this process
        ASSERT_TRUE(writeSmallGame(1, kMapTiles, kMapTiles));
        ASSERT_TRUE(writeOneColourImage(sheetFile(kHero), 288, 256, 1, kHero.rgb));
        simhost::setSheetName(simhost::hero(), kHero.sheet);
        simhost::hero().mapColumn = kHeroColumn;
        simhost::hero().mapRow = kHeroRow;
        for (int32_t i = 0; i < kEventCount; ++i) {
            const SceneCharacter &event = kEvents[i];
            ASSERT_TRUE(writeOneColourImage(sheetFile(event), 288, 256, 1, event.rgb));
            FvHostCharacter &character = simhost::addEvent(i + 1, kHeroColumn + event.column, kHeroRow + event.row);
            simhost::setSheetName(character, event.sheet);
        }
        simhost::scrollToHero();

        // Every view value the reference relies on, whatever an earlier test left in the module.
        using simhost::number;
        send("set_rotational_offset", {number(kRotationalOffset)});
        send("set_horizon", {number(50), number(25)});
        send("set_texture_scale", {number(260)});
        send("set_z_value", {number(90)});
        send("set_wrapping", {number(0)});
        send("set_mode7_picture_id", {number(1)});
        send("load_map_to_texture", {});
        send("init_mode7", {simhost::text("true")});
        ASSERT_TRUE(simhost::messages().empty()) << simhost::messages().front();

        view.rotationalOffset = kRotationalOffset;
        map.pixelWidth = map.pixelHeight = 16 * kMapTiles;
        mirrorPlacements();
    }

    void send(const std::string &name, const std::vector<simhost::CommentArgument> &arguments) {
        simhost::sendComment(module, name, arguments);
    }

    // The module's placements as a map load makes them: the hero, then the events in reverse list
    // order. Colours go with them.
    void mirrorPlacements() {
        registry.placementsMapId = 1;
        add(farview::placedHero(), kHero.rgb);
        FvHostEventList *events = simhost::mapView().events;
        for (int32_t i = events->count - 1; i >= 0; --i)
            add(farview::placedEvent(events->items[i]->id), kEvents[i].rgb);
    }

    void add(farview::PlacedCharacter who, uint32_t rgb) {
        farview::appendPlacement(registry, who);
        colours.push_back(simhost::rgb565(rgb));
    }

    // The frame the module draws after rotate_to angle, and the reference's arrangement of it.
    ScreenPixels renderAt(float angle) {
        send("rotate_to", {simhost::number(angle)});
        simhost::fillScreen(0x4208);
        simhost::drawPictures(module, {1});

        view.rotationAngle = angle;
        const float sine = static_cast<float>(std::sin(0.0174532925 * double{angle}));
        const float cosine = static_cast<float>(std::cos(0.0174532925 * double{angle}));
        const FvHostMapView &mapView = simhost::mapView();
        view.cameraX = static_cast<float>(simhost::characterScreenX(&simhost::hero()) + mapView.scrollX / 16);
        view.cameraY = static_cast<float>(simhost::characterScreenY(&simhost::hero()) + mapView.scrollY / 16);
        stage.arrange(view, map, registry, sine, cosine);
        return readScreen();
    }

    // The drawn sprites painted far to near as rectangles of their colours; also counts the
    // pixels where a nearer sprite covers a farther one.
    ScreenPixels paintedSprites(int32_t &overlapped) const {
        ScreenPixels painted(320 * 240, kNoSprite);
        overlapped = 0;
        for (size_t k = stage.firstDrawn(); k < stage.lastDrawn(); ++k) {
            const size_t placement = stage.order()[k];
            const ReferenceTarget target = referenceTarget(stage.projections()[placement]);
            for (int32_t y = std::max(target.y, 0); y < std::min(target.y + target.height, 240); ++y) {
                for (int32_t x = std::max(target.x, 0); x < std::min(target.x + target.width, 320); ++x) {
                    overlapped += painted[y * 320 + x] != kNoSprite;
                    painted[y * 320 + x] = colours[placement];
                }
            }
        }
        return painted;
    }

    bool isSpriteColour(uint16_t colour) const {
        return std::find(colours.begin(), colours.end(), colour) != colours.end();
    }

    farview::ViewState view;
    farview::MapRecord map;
    farview::SpriteRegistry registry;
    std::vector<uint16_t> colours; // by position in registry.placements
    ReferenceSpriteStage stage;
    ScratchDirectory scratch;
};

TEST_F(SpriteSceneTest, EachSpriteFillsItsReferenceRectangleAndNearerOnesCoverFartherOnes) {
    int32_t overlappedPixels = 0;
    for (float angle : {0.0f, 90.0f, 180.0f, 270.0f, 45.0f}) {
        SCOPED_TRACE(testing::Message() << "angle " << angle);
        const ScreenPixels screen = renderAt(angle);
        int32_t overlapped = 0;
        const ScreenPixels painted = paintedSprites(overlapped);
        overlappedPixels += overlapped;
        EXPECT_GE(stage.lastDrawn() - stage.firstDrawn(), 8u) << "the ring is in view";
        if (std::fmod(angle, 90.0f) == 0.0f) { // one far event beyond the horizon, one behind the eye
            EXPECT_EQ(stage.firstDrawn(), 1u);
            EXPECT_EQ(stage.lastDrawn(), registry.placements.size() - 1);
        }

        int32_t wrongPixels = 0;
        for (int32_t y = 0; y < 240 && wrongPixels < 5; ++y) {
            for (int32_t x = 0; x < 320 && wrongPixels < 5; ++x) {
                const uint16_t expected = at(painted, x, y);
                const uint16_t actual = at(screen, x, y);
                const bool right = expected != kNoSprite ? actual == expected : !isSpriteColour(actual);
                if (!right) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << actual << ", expected "
                                  << (expected != kNoSprite ? std::to_string(expected) : "no sprite's colour");
                    ++wrongPixels;
                }
            }
        }
    }
    EXPECT_GT(overlappedPixels, 0) << "no two sprites overlapped: the nearer-wins rule went untested";
}

} // namespace
} // namespace farview_test
