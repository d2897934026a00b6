// Through the module: a placement stands for the hero or an event id, never for an address, and
// the hero's placement outlives the map he stood on, his sprite only until another map's lines run.
#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/small_game.h"

namespace {

constexpr uint32_t kGhost = 0xff00ff;
constexpr uint32_t kKnight = 0x00ff00;
constexpr uint32_t kHeroSheet = 0x0000ff;

// The hero on cell (9, 6) of map 1, 20 x 15, looking up the map at the default view.
class PlacementIdentity : public farview_test::ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        ASSERT_TRUE(farview_test::writeSmallGame(2, 24, 18));
        ASSERT_TRUE(farview_test::writeSmallGame(1, 20, 15));
        ASSERT_TRUE(farview_test::writeOneColourImage("ghost.png", 24, 32, 7, kGhost));
        ASSERT_TRUE(farview_test::writeOneColourImage("knight.png", 24, 32, 8, kKnight));
        simhost::hero().mapColumn = 9;
        simhost::hero().mapRow = 6;
    }

    void send(const std::string &name, const std::vector<simhost::CommentArgument> &arguments = {}) {
        simhost::sendComment(module, name, arguments);
    }

    void addSprite(const std::string &image, int32_t eventId) {
        using simhost::number;
        send("add_sprite", {simhost::text(image), simhost::text(image), number(24), number(32), number(1), number(1),
                            number(eventId)});
    }

    // Events shown as tile 1 of the small game's tileset, which is all transparent: only sprites
    // added for them show.
    static void addEvent(int32_t id, int32_t column, int32_t row) { simhost::addEvent(id, column, row).sheetIndex = 1; }

    std::vector<uint16_t> drawnScreen() {
        simhost::fillScreen(0);
        simhost::drawPictures(module, {1});
        std::vector<uint16_t> pixels;
        for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
            for (int32_t x = 0; x < simhost::kScreenWidth; ++x) pixels.push_back(simhost::screenPixel(x, y));
        return pixels;
    }

    // Pixels of a colour on the left and on the right half of the screen.
    std::pair<int, int> drawnOnEachSide(uint32_t rgb) {
        simhost::fillScreen(0);
        simhost::drawPictures(module, {1});
        std::pair<int, int> counts{0, 0};
        for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
            for (int32_t x = 0; x < simhost::kScreenWidth; ++x)
                if (simhost::screenPixel(x, y) == simhost::rgb565(rgb)) ++(x < 160 ? counts.first : counts.second);
        return counts;
    }

    farview_test::ScratchDirectory scratch;
};

// The host rebuilds its list in the same memory: event 6 now lies where event 5 lay. The sprite
// added for event 5 stands on event 5, now and after the next load.
TEST_F(PlacementIdentity, ASpriteStaysOnItsEventWhenTheHostRebuildsTheListInTheSameMemory) {
    simhost::setEventMemoryReuse(true);
    addEvent(5, 5, 3);
    addEvent(6, 13, 3);
    send("load_map_to_texture");
    addSprite("ghost.png", 5);
    send("init_mode7", {simhost::number(1)});
    ASSERT_GT(drawnOnEachSide(kGhost).first, 0);

    const FvHostCharacter *oldFive = simhost::eventById(simhost::mapView().events, 5);
    simhost::clearEvents();
    addEvent(5, 5, 3);
    addEvent(6, 13, 3);
    ASSERT_EQ(simhost::eventById(simhost::mapView().events, 6), oldFive);
    auto [left, right] = drawnOnEachSide(kGhost);
    EXPECT_GT(left, 0);
    EXPECT_EQ(right, 0);

    send("load_map_to_texture");
    std::tie(left, right) = drawnOnEachSide(kGhost);
    EXPECT_GT(left, 0);
    EXPECT_EQ(right, 0);
}

// The hero walks to map 2: he is drawn there with the sprite change_hero_sprite gave him until
// map 2's lines run; its load gives him his own sheet again and places no second hero.
TEST_F(PlacementIdentity, TheHeroKeepsHisSpriteOnAnotherMapUntilItsLoad) {
    ASSERT_TRUE(farview_test::writeOneColourImage("CharSet/hero.png", 288, 256, 9, kHeroSheet));
    simhost::setSheetName(simhost::hero(), "hero");
    send("load_map_to_texture");
    addSprite("knight.png", 99); // caches the image; the map has no event 99
    send("change_hero_sprite",
         {simhost::text("knight.png"), simhost::number(24), simhost::number(32), simhost::number(1)});
    send("init_mode7", {simhost::number(1)});
    const auto onMapOne = drawnOnEachSide(kKnight);
    ASSERT_GT(onMapOne.first, 0);

    simhost::setMapSize(24, 18);
    simhost::hero().mapId = 2;
    EXPECT_EQ(drawnOnEachSide(kKnight), onMapOne);
    send("load_map_to_texture");
    EXPECT_EQ(drawnOnEachSide(kKnight), std::make_pair(0, 0));
    const auto ownSheet = drawnOnEachSide(kHeroSheet);
    EXPECT_GT(ownSheet.first + ownSheet.second, 0);
}

// A map's lines leave the view as their first run made it, whatever the map before changed: map
// 2's lines give the hero another sprite, and map 1's, run again, show him as they did.
TEST_F(PlacementIdentity, AMapVisitedAgainAfterAnotherChangedTheHerosSpriteLooksAsAtItsFirstVisit) {
    ASSERT_TRUE(farview_test::writeOneColourImage("CharSet/hero.png", 288, 256, 9, kHeroSheet));
    simhost::setSheetName(simhost::hero(), "hero");
    auto enterMap = [](int32_t mapId, int32_t width, int32_t height) {
        ASSERT_TRUE(farview_test::writeSmallGame(mapId, width, height));
        simhost::hero().mapId = mapId;
        simhost::clearEvents();
        addEvent(5, 5, 3);
    };
    auto runMapOnesLines = [this] {
        send("load_map_to_texture");
        send("init_mode7", {simhost::number(1)});
    };
    enterMap(1, 20, 15);
    runMapOnesLines();
    const std::vector<uint16_t> firstVisit = drawnScreen();
    ASSERT_GT(drawnOnEachSide(kHeroSheet).second, 0);

    enterMap(2, 24, 18);
    send("load_map_to_texture");
    addSprite("knight.png", 5);
    send("change_hero_sprite",
         {simhost::text("knight.png"), simhost::number(24), simhost::number(32), simhost::number(1)});
    ASSERT_GT(drawnOnEachSide(kKnight).second, 0);

    enterMap(1, 20, 15);
    runMapOnesLines();
    EXPECT_EQ(drawnScreen(), firstVisit);
}

// Games run a map's script each time the hero enters the map. Run again after a visit to map 2,
// it must leave the view as the first run made it: no second hero drawn from his sheet over the
// sprite change_hero_sprite gave him, no event standing twice.
TEST_F(PlacementIdentity, AMapsScriptRunAtEveryVisitDrawsWhatTheFirstVisitDrew) {
    ASSERT_TRUE(farview_test::writeOneColourImage("CharSet/hero.png", 288, 256, 9, kHeroSheet));
    simhost::setSheetName(simhost::hero(), "hero");
    auto enterMapOne = [] {
        ASSERT_TRUE(farview_test::writeSmallGame(1, 20, 15));
        simhost::clearEvents();
        addEvent(5, 5, 3);
    };
    auto runMapOnesScript = [this] {
        send("load_map_to_texture");
        addSprite("ghost.png", 5);
        addSprite("knight.png", 99); // caches the hero's image; the map has no event 99
        send("change_hero_sprite",
             {simhost::text("knight.png"), simhost::number(24), simhost::number(32), simhost::number(1)});
        send("init_mode7", {simhost::number(1)});
    };
    enterMapOne();
    runMapOnesScript();
    const std::vector<uint16_t> firstVisit = drawnScreen();
    ASSERT_GT(drawnOnEachSide(kKnight).second, 0);
    ASSERT_EQ(drawnOnEachSide(kHeroSheet), std::make_pair(0, 0));

    for (int visit = 2; visit <= 3; ++visit) {
        ASSERT_TRUE(farview_test::writeSmallGame(2, 24, 18));
        simhost::clearEvents();
        drawnScreen();
        enterMapOne();
        runMapOnesScript();
        EXPECT_EQ(drawnScreen(), firstVisit) << "visit " << visit;
    }
}

// change_hero_sprite loads its picture as add_sprite does: the hero shows with it although no
// add_sprite named it.
TEST_F(PlacementIdentity, TheHerosSpriteShowsWithoutAnAddSpriteOfItsPicture) {
    send("load_map_to_texture");
    send("init_mode7", {simhost::number(1)});
    send("change_hero_sprite",
         {simhost::text("knight.png"), simhost::number(24), simhost::number(32), simhost::number(1)});
    EXPECT_GT(drawnOnEachSide(kKnight).second, 0);
}

} // namespace
