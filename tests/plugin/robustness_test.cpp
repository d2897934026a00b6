// Bad inputs the commands meet beyond the ones their own tests cover: records and counts a host
// should never hand over, a host that cannot create images or has no variables, event lists that
// lie about their size, and commands that arrive after the title screen.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "plugin/comment_builder.h"
#include "render/frame.h"
#include "support/small_game.h"

namespace {

using farview_test::command;
using farview_test::CommentRecord;
using farview_test::interpret;

farview::SpriteRegistry &registry() { return farview::spriteRegistry; }

CommentRecord addSpriteLine(const std::string &key, int32_t eventNumber) {
    CommentRecord comment("add_sprite");
    comment.text(key).text("ghost.png");
    for (double value : {24.0, 32.0, 1.0, 1.0, double(eventNumber)}) comment.number(value);
    return comment;
}

class CommandFaults : public farview_test::PluginStateTest {
protected:
    void SetUp() override {
        PluginStateTest::SetUp();
        ASSERT_TRUE(farview_test::writeOneColourImage("ghost.png", 24, 32, 3, 0xc0c0c0));
        ASSERT_TRUE(farview_test::writeOneColourImage("sky.png", 360, 40, 4, 0x3060c0));
    }
    // The plug-in goes back to the stand-in host's own table before the module state is reset.
    void TearDown() override {
        farview::bindHost(&simhost::hostInterface());
        PluginStateTest::TearDown();
    }
    void bindWith(const FvHostInterface &changed) {
        table = changed;
        farview::bindHost(&table);
    }

    FvHostInterface table{};
};

// ---- Parameter counts ---------------------------------------------------------------------------------

// Only add_sprite and set_boundary_texture look at the count, and neither takes it as a number of
// slots to read: a count far beyond nine, or below zero, reads no slot past the ninth.
TEST_F(CommandFaults, AbsurdParameterCountsReadNoSlotBeyondTheNinth) {
    farview_test::openMap(1, 4, 3);
    simhost::addEvent(5, 1, 1);
    for (int32_t count : {INT32_MAX, 1000, 10, 8}) {
        CommentRecord line = addSpriteLine("many", 5);
        line.setSlot(8, farview_test::kNumberKind, 11.0, "").setSlot(9, farview_test::kNumberKind, 12.0, "");
        line.setCount(count);
        EXPECT_FALSE(interpret(line)) << count;
        ASSERT_FALSE(registry().placements.empty());
        EXPECT_EQ(registry().placements.back()->definition->offsetX, 11) << count;
        EXPECT_EQ(registry().placements.back()->definition->offsetY, 12) << count;
    }
    for (int32_t count : {INT32_MIN, -1, 0, 7}) {
        CommentRecord line = addSpriteLine("few", 5);
        line.setSlot(8, farview_test::kNumberKind, 11.0, "").setSlot(9, farview_test::kNumberKind, 12.0, "");
        line.setCount(count);
        EXPECT_FALSE(interpret(line)) << count;
        EXPECT_EQ(registry().placements.back()->definition->offsetX, 0) << count;
        EXPECT_EQ(registry().placements.back()->definition->offsetY, 0) << count;
    }
    // Lines that read the same slots make the same sprite, which stands once.
    EXPECT_EQ(registry().placementCount, 2);
}

// ---- A host that cannot create images -----------------------------------------------------------------

// Every command that needs a new image carries on without it; nothing is drawn from an image that
// does not exist, and the earlier background is still destroyed rather than leaked.
TEST_F(CommandFaults, AHostThatCannotCreateImagesGetsCommandsThatDoNothingWithoutThem) {
    farview_test::openMap(1, 4, 3);
    simhost::addEvent(5, 1, 1);
    CommentRecord sky("set_background");
    ASSERT_FALSE(interpret(sky.text("sky.png")));
    ASSERT_EQ(simhost::liveImageCount(), 1);

    FvHostInterface imageless = simhost::hostInterface();
    imageless.createImage = []() -> FvHostImage * { return nullptr; };
    bindWith(imageless);

    CommentRecord again("set_background");
    EXPECT_FALSE(interpret(again.text("sky.png")));
    EXPECT_EQ(farview::viewState.backgroundImage, nullptr);
    EXPECT_EQ(farview::viewState.backgroundWidth, 360); // the last image loaded set it
    EXPECT_FALSE(command("load_map_to_texture"));
    EXPECT_EQ(farview::viewState.mapTexture, nullptr);
    EXPECT_EQ(farview::viewState.tilesetImage, nullptr);
    EXPECT_FALSE(command("set_boundary_texture", {0, 0}));
    EXPECT_EQ(farview::viewState.boundaryTexture, nullptr);
    EXPECT_FALSE(interpret(addSpriteLine("ghost", 5)));
    EXPECT_TRUE(registry().imageCache.empty()); // nothing cached that could stand for the image
    CommentRecord hero("change_hero_sprite");
    EXPECT_FALSE(interpret(hero.text("ghost.png").number(24).number(32).number(4)));
    EXPECT_FALSE(command("init_mode7", {1}));
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_EQ(registry().placementCount, 3); // the hero, event 5, and the added sprite

    simhost::fillScreen(0x1234);
    farview::renderFrame(farview::viewState, farview::mapRecord, farview::spriteRegistry);
    EXPECT_EQ(simhost::screenPixel(160, 200), 0x1234);
    EXPECT_EQ(simhost::screenPixel(0, 0), 0x1234);
    EXPECT_TRUE(simhost::messages().empty());
}

// ---- Variables --------------------------------------------------------------------------------------------

TEST_F(CommandFaults, AHostWithoutAVariablesObjectHasNoneWritten) {
    command("init_mode7", {1});
    FvHostVariables *const noVariables = nullptr;
    FvHostInterface changed = simhost::hostInterface();
    changed.variables = &noVariables;
    bindWith(changed);
    EXPECT_FALSE(command("is_mode7_rendering", {3}));
    changed.variables = nullptr;
    bindWith(changed);
    EXPECT_FALSE(command("is_mode7_rendering", {3}));
    EXPECT_EQ(simhost::variables().count, 0);
    EXPECT_EQ(simhost::variables().values, nullptr);
}

// A count with no block behind it is no variables at all: the block is made, not written past.
TEST_F(CommandFaults, AVariableCountWithoutABlockIsTakenAsNoVariables) {
    simhost::variables().count = 50;
    command("init_mode7", {1});
    EXPECT_FALSE(command("is_mode7_rendering", {3}));
    EXPECT_EQ(simhost::variables().count, 3);
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{0, 0, 1}));
}

// ---- Event lists -------------------------------------------------------------------------------------------

TEST_F(CommandFaults, AnEventListWithANegativeCountPlacesTheHeroAlone) {
    farview_test::openMap(1, 4, 3);
    FvHostCharacter &event = simhost::addEvent(5, 1, 1);
    FvHostCharacter *items[] = {&event};
    FvHostEventList lying{items, -4};
    simhost::mapView().events = &lying;
    EXPECT_FALSE(command("load_map_to_texture"));
    EXPECT_FALSE(interpret(addSpriteLine("ghost", 5))); // the host finds no event 5 in such a list
    simhost::setEventListPresent(true);
    ASSERT_EQ(registry().placements.size(), 2u);
    EXPECT_EQ(registry().placements[0]->who.kind, farview::PlacedCharacter::hero);
    EXPECT_EQ(registry().placements[1]->character, nullptr);
    EXPECT_EQ(registry().placementCount, 2);
}

// An entry of the list that is no character becomes a placement that is never projected or drawn,
// while the characters around it are.
TEST_F(CommandFaults, AnEventListWithAMissingEntryDrawsTheOthers) {
    farview_test::openMap(1, 4, 3);
    simhost::hero().mapColumn = 2;
    simhost::hero().mapRow = 1;
    FvHostCharacter &event = simhost::addEvent(5, 1, 1);
    FvHostCharacter *items[] = {&event, nullptr};
    FvHostEventList withHole{items, 2};
    simhost::mapView().events = &withHole;
    ASSERT_FALSE(command("load_map_to_texture"));
    ASSERT_FALSE(command("init_mode7", {1}));
    farview::renderFrame(farview::viewState, farview::mapRecord, farview::spriteRegistry);
    simhost::setEventListPresent(true);

    ASSERT_EQ(registry().placements.size(), 3u); // the hero, the hole, event 5
    EXPECT_EQ(registry().placements[1]->character, nullptr);
    EXPECT_EQ(registry().placements[1]->screenY, 0xFFFF);
    EXPECT_NE(registry().placements[0]->screenY, 0xFFFF);
    EXPECT_NE(registry().placements[2]->screenY, 0xFFFF);
}

// ---- After the title screen ---------------------------------------------------------------------------------

// The reset leaves no image and no placement behind, so the commands that need them find none and
// do nothing, exactly as before the first game.
TEST_F(CommandFaults, CommandsAfterTheResetFindNothingOfTheLastGame) {
    farview_test::openMap(1, 4, 3);
    simhost::addEvent(5, 1, 1);
    command("load_map_to_texture");
    command("set_boundary_texture", {0, 0});
    interpret(addSpriteLine("ghost", 5));
    command("init_mode7", {1});
    farview::resetForTitleScreen();
    ASSERT_EQ(simhost::liveImageCount(), 0);

    EXPECT_FALSE(command("set_boundary_texture", {0, 0}));
    EXPECT_EQ(farview::viewState.boundaryTexture, nullptr);
    CommentRecord hero("change_hero_sprite");
    EXPECT_FALSE(interpret(hero.text("ghost.png").number(24).number(32).number(4)));
    EXPECT_TRUE(registry().placements.empty());
    EXPECT_FALSE(command("init_mode7", {1}));
    simhost::fillScreen(0x1234);
    farview::renderFrame(farview::viewState, farview::mapRecord, farview::spriteRegistry);
    EXPECT_EQ(simhost::screenPixel(160, 200), 0x1234);
    EXPECT_EQ(simhost::liveImageCount(), 0);
}

// ---- Records the host should never hand over ------------------------------------------------------------------

using ModuleFaults = farview_test::ModuleTest;

TEST_F(ModuleFaults, ANullCommentRecordIsNoCommand) {
    EXPECT_TRUE(module.onComment("", nullptr));
    EXPECT_TRUE(module.onComment(nullptr, nullptr));
    FvParsedComment line = simhost::makeComment("init_mode7", {simhost::number(1)});
    EXPECT_FALSE(module.onComment(nullptr, &line)); // the first argument is never read
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_TRUE(simhost::messages().empty());
    simhost::initTitleScreen(module);
}

} // namespace
