// The live view's controls: each input sends the comment line an author would write for it, given
// the view it comes to, and walking is the hero's step on the map.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/live/controls.h"

namespace {

live::LiveState viewOnAMap() {
    live::LiveState state;
    state.hero = {10, 10};
    state.facing = 2;
    state.animationStep = 1;
    state.mapWidth = 20;
    state.mapHeight = 20;
    return state;
}

struct Row {
    live::Input input;
    std::string line;
};

TEST(LiveControls, EachInputSendsTheLineAnAuthorWouldWrite) {
    const std::vector<Row> rows = {
        {live::keyInput(live::Key::Q), "@rotate_left_by 5"},
        {live::keyInput(live::Key::E, live::kShift), "@rotate_right_by 1"},
        {live::keyInput(live::Key::Q, live::kCtrl), "@rotate_left_by 1"},
        {live::dragInput(3), "@rotate_right_by 15"},
        {live::dragInput(-2, live::kShift), "@rotate_left_by 2"},
        {live::dragInput(2, live::kCtrl), "@rotate_right_by 2"},
        {live::wheelInput(-2), "@set_horizon 40, 25"},
        {live::wheelInput(1, live::kCtrl), "@set_horizon 51, 25"},
        {live::keyInput(live::Key::W), "@set_wrapping yes"},
        {live::keyInput(live::Key::B), "@usingBackground no"},
        {live::keyInput(live::Key::T), "@set_boundary_texture 10, 10"},
    };
    for (const Row &row : rows) {
        const live::Effect effect = live::effectOf(row.input, viewOnAMap());
        EXPECT_EQ(effect.commentLines, std::vector<std::string>{row.line}) << row.line;
        EXPECT_FALSE(effect.hero);
    }
}

// + is typed with Shift on some layouts and without on others, and the keypad has its own: every
// way of typing + or - takes the normal step, and only Ctrl the fine one.
TEST(LiveControls, EveryPlusAndMinusKeyTakesTheNormalStepAndCtrlTheFineOne) {
    const std::vector<std::string> names = {"+", "=", "Keypad+", "-", "Keypad-"};
    const std::vector<std::string> normal = {"@set_horizon 55, 25", "@set_horizon 55, 25", "@set_horizon 55, 25",
                                             "@set_horizon 45, 25", "@set_horizon 45, 25"};
    const std::vector<std::string> fine = {"@set_horizon 51, 25", "@set_horizon 51, 25", "@set_horizon 51, 25",
                                           "@set_horizon 49, 25", "@set_horizon 49, 25"};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::optional<live::Key> key = live::keyByName(names[i]);
        ASSERT_TRUE(key) << names[i];
        EXPECT_EQ(live::effectOf(live::keyInput(*key), viewOnAMap()).commentLines[0], normal[i]) << names[i];
        EXPECT_EQ(live::effectOf(live::keyInput(*key, live::kShift), viewOnAMap()).commentLines[0], normal[i])
            << names[i];
        EXPECT_EQ(live::effectOf(live::keyInput(*key, live::kCtrl), viewOnAMap()).commentLines[0], fine[i]) << names[i];
    }
}

TEST(LiveControls, PlusChangesTheChosenSettingFromItsCurrentValue) {
    live::LiveState state = viewOnAMap();
    state.view.cameraHeight = 90.5f;
    const std::vector<std::string> lines = {"@set_horizon 55, 25", "@set_horizon 50, 30", "@set_z_value 100.5",
                                            "@set_texture_scale 270", "@set_rotational_offset 110"};
    for (int32_t chosen = 0; chosen < live::kSettingCount; ++chosen) {
        const live::Key key = static_cast<live::Key>(static_cast<int32_t>(live::Key::Digit1) + chosen);
        const live::Effect choice = live::effectOf(live::keyInput(key), state);
        ASSERT_TRUE(choice.choose);
        state.setting = *choice.choose;
        EXPECT_EQ(live::effectOf(live::keyInput(live::Key::Plus), state).commentLines[0], lines[chosen]);
        EXPECT_EQ(live::effectOf(live::keyInput(live::Key::Tab), state).choose,
                  static_cast<live::Setting>((chosen + 1) % live::kSettingCount));
    }
}

TEST(LiveControls, ArrowsWalkTheHeroCellByCellFacingAndSteppingUpToTheMapsEdge) {
    live::LiveState state = viewOnAMap();
    state.relativeWalking = false;
    const live::Effect up = live::effectOf(live::keyInput(live::Key::Up), state);
    ASSERT_TRUE(up.hero);
    EXPECT_EQ(up.hero->cell, (live::Cell{10, 9}));
    EXPECT_EQ(up.hero->facing, 0);
    EXPECT_EQ(up.hero->animationStep, 2);
    EXPECT_TRUE(up.commentLines.empty());

    state.hero = {19, 0};
    state.animationStep = 3;
    const live::Effect right = live::effectOf(live::keyInput(live::Key::Right), state);
    EXPECT_EQ(right.hero->cell, (live::Cell{19, 0})); // the map ends: he turns but stays
    EXPECT_EQ(right.hero->facing, 1);
    EXPECT_EQ(right.hero->animationStep, 3);
    state.animationStep = 3;
    EXPECT_EQ(live::effectOf(live::keyInput(live::Key::Down), state).hero->animationStep, 0);
}

// Up walks the map direction nearest to straight ahead, whatever the view's angle; R switches to
// map directions. At an exact diagonal the direction clockwise of it is taken.
TEST(LiveControls, ArrowsWalkRelativeToTheViewUntilRSwitchesToMapDirections) {
    struct Walk {
        float angle;
        live::Key key;
        live::Cell to;
        int32_t facing;
    };
    const std::vector<Walk> walks = {
        {270.0f, live::Key::Up, {10, 9}, 0},     {90.0f, live::Key::Up, {10, 11}, 2},
        {90.0f, live::Key::Left, {11, 10}, 1},   {0.0f, live::Key::Up, {11, 10}, 1},
        {0.0f, live::Key::Right, {10, 11}, 2},   {180.0f, live::Key::Down, {11, 10}, 1},
        {314.0f, live::Key::Up, {10, 9}, 0},     {315.0f, live::Key::Up, {11, 10}, 1},
        {45.0f, live::Key::Up, {10, 11}, 2},     {360.0f, live::Key::Up, {11, 10}, 1},
        {225.0f, live::Key::Right, {11, 10}, 1}, {135.0f, live::Key::Up, {9, 10}, 3},
    };
    for (const Walk &walk : walks) {
        live::LiveState state = viewOnAMap();
        state.view.angle = walk.angle;
        const live::Effect effect = live::effectOf(live::keyInput(walk.key), state);
        ASSERT_TRUE(effect.hero);
        EXPECT_EQ(effect.hero->cell, walk.to) << walk.angle;
        EXPECT_EQ(effect.hero->facing, walk.facing) << walk.angle;
    }
    live::LiveState state = viewOnAMap();
    EXPECT_TRUE(state.relativeWalking);
    EXPECT_TRUE(live::effectOf(live::keyInput(live::Key::R), state).switchWalking);
    state.relativeWalking = false;
    state.view.angle = 90.0f;
    EXPECT_EQ(live::effectOf(live::keyInput(live::Key::Up), state).hero->cell, (live::Cell{10, 9}));
}

} // namespace
