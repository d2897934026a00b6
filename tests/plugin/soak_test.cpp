// A long game session through the real module: maps loaded, commands run, frames drawn and the
// title screen reached ten thousand times. Nothing may grow: the host's images come back to none
// at each title screen, and the process's resident size stays flat. (Under the sanitizers the
// allocator keeps freed memory in quarantine, so there the leak checker at exit does the work.)
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/small_game.h"

namespace {

using simhost::number;
using simhost::text;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSizeIsMeaningful = false;
#else
constexpr bool kResidentSizeIsMeaningful = true;
#endif

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

class Soak : public farview_test::ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        ASSERT_TRUE(farview_test::writeSmallGame(2, 24, 18));
        ASSERT_TRUE(farview_test::writeSmallGame(1, 20, 15));
        ASSERT_TRUE(farview_test::writeOneColourImage("sky.png", 360, 50, 1, 0x3060c0));
        ASSERT_TRUE(farview_test::writeOneColourImage("tree.png", 24, 32, 2, 0x208020));
        ASSERT_TRUE(farview_test::writeOneColourImage("CharSet/walker.png", 288, 256, 3, 0xc08040));
        simhost::hero().mapColumn = 9;
        simhost::hero().mapRow = 7;
        simhost::setSheetName(simhost::hero(), "walker");
        simhost::scrollToHero();
    }

    void send(const std::string &name, const std::vector<simhost::CommentArgument> &arguments = {}) {
        simhost::sendComment(module, name, arguments);
    }

    // One game: two maps visited (the second drops the first's placements), sprites added,
    // frames drawn at several angles, the drawing state reported, then the title screen.
    void playOneGame(int game) {
        for (int32_t mapId : {1, 2}) {
            simhost::clearEvents();
            simhost::hero().mapId = mapId;
            simhost::setSheetName(simhost::addEvent(1, 3, 3), "walker");
            simhost::addEvent(2, 12, 9);
            send("load_map_to_texture");
            send("set_boundary_texture", {number(1), number(1)});
            send("set_background", {text("sky.png")});
            send("add_sprite",
                 {text("tree"), text("tree.png"), number(24), number(32), number(1), number(1), number(2)});
            send("add_sprite",
                 {text("tree"), text("tree.png"), number(24), number(32), number(1), number(1), number(1)});
            send("change_hero_sprite", {text("tree.png"), number(24), number(32), number(1)});
            send("init_mode7", {number(1)});
            send("rotate_to", {number(game % 360)});
            simhost::drawPictures(module, {1, 2});
            send("rotate_right_by", {number(45)});
            simhost::drawPictures(module, {1});
            send("is_mode7_rendering", {number(3)});
        }
        simhost::initTitleScreen(module);
    }

    farview_test::ScratchDirectory folder;
};

TEST_F(Soak, TenThousandGamesKeepTheResidentSizeFlat) {
    constexpr int kWarmUpGames = 500;
    constexpr int kGames = 10000;
    for (int game = 0; game < kWarmUpGames; ++game) playOneGame(game);
    const long before = residentKilobytes();
    for (int game = kWarmUpGames; game < kGames; ++game) {
        playOneGame(game);
        ASSERT_EQ(simhost::liveImageCount(), 0) << "game " << game;
    }
    const long after = residentKilobytes();
    EXPECT_EQ(simhost::variableValues().at(2), 1);
    if (kResidentSizeIsMeaningful && before > 0) {
        // A leak of a single placement a game would add hundreds of kilobytes over 9,500 games.
        EXPECT_LT(after - before, 256) << "resident size grew from " << before << " kB to " << after << " kB";
    }
}

} // namespace
