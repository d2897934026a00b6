// Following the plug-in's view from the lines it is sent: values read as the plug-in reads them,
// and the lines that make the view, in the order a script runs them.
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "numeric/numeric.h"
#include "simhost/comment_line.h"
#include "tools/live/view_mirror.h"

namespace {

void send(live::ViewMirror &mirror, const std::string &line) {
    FvParsedComment comment{};
    std::string error;
    ASSERT_TRUE(simhost::parseCommentLine(line, comment, &error)) << error;
    mirror.observe(line, comment);
}

TEST(LiveViewMirror, ValuesAreReadAsThePluginReadsThem) {
    live::ViewMirror mirror;
    send(mirror, "@rotate_left_by 300");
    EXPECT_EQ(mirror.values().angle, 330.0f);
    send(mirror, "@rotate_right_by 100");
    EXPECT_EQ(mirror.values().angle, 70.0f);
    send(mirror, "@rotate_to 1e999"); // no place on the circle: the view keeps its direction
    EXPECT_EQ(mirror.values().angle, 70.0f);
    send(mirror, "@rotate_to 725");
    EXPECT_EQ(mirror.values().angle, 5.0f);
    send(mirror, "@rotate_to 360");
    EXPECT_EQ(mirror.values().angle, 360.0f);
    send(mirror, "@set_horizon 80.9, -2.7");
    EXPECT_EQ(mirror.values().horizon, 80);
    EXPECT_EQ(mirror.values().horizonOffset, -2);
    send(mirror, "@set_wrapping Yes");
    EXPECT_TRUE(mirror.values().wrapping);
    send(mirror, "@usingBackground 0");
    EXPECT_FALSE(mirror.values().usingBackground);
    send(mirror, "@set_z_value high"); // a text read as a number is its slot's number, 0
    EXPECT_EQ(mirror.values().cameraHeight, 0.0f);
    send(mirror, "@SET_Z_VALUE 5"); // no keyword: the host's
    EXPECT_EQ(mirror.values().cameraHeight, 0.0f);
}

TEST(LiveViewMirror, TheScriptMakesTheViewInTheOrderAScriptRunsThem) {
    live::ViewMirror mirror;
    send(mirror, "@init_mode7 true");
    send(mirror, "@add_sprite \"a\", \"a.png\", 8, 8, 1, 1, 3");
    send(mirror, "@change_hero_sprite \"a.png\", 8, 8, 1");
    send(mirror, "@set_background \"sky.png\"");
    send(mirror, "  @set_background \"dusk.png\"  ");
    send(mirror, "@change_hero_sprite \"a.png\", 16, 16, 1");
    send(mirror, "@load_map_to_texture");
    send(mirror, "@set_boundary_texture 1, 2, 3"); // three parameters: no effect
    send(mirror, "@set_texture_scale 0.1");
    send(mirror, "@set_mode7_picture_id 4");
    EXPECT_EQ(mirror.script(),
              (std::vector<std::string>{
                  "@load_map_to_texture", "@set_background \"dusk.png\"", "@add_sprite \"a\", \"a.png\", 8, 8, 1, 1, 3",
                  "@change_hero_sprite \"a.png\", 16, 16, 1", "@rotate_to 270", "@set_horizon 50, 25",
                  "@set_z_value 90", "@set_texture_scale 0.1", "@set_rotational_offset 100", "@set_wrapping no",
                  "@usingBackground yes", "@set_mode7_picture_id 4", "@init_mode7 true"}));
    EXPECT_EQ(mirror.imageFiles(), (std::vector<std::string>{"dusk.png", "a.png"}));
}

TEST(LiveViewMirror, TheTitleScreenAndAnotherMapDropWhatBelongsToTheOldOne) {
    live::ViewMirror mirror;
    send(mirror, "@load_map_to_texture");
    send(mirror, "@set_boundary_texture 30, 8");
    send(mirror, "@set_background \"sky.png\"");
    send(mirror, "@add_sprite \"a\", \"a.png\", 8, 8, 1, 1, 3");
    send(mirror, "@init_mode7 true");
    mirror.leaveMap(live::Cell{19, 8}, {});
    EXPECT_EQ(mirror.boundary(), (live::Cell{19, 8}));
    EXPECT_EQ(mirror.imageFiles(), std::vector<std::string>{"sky.png"});
    send(mirror, "@rotate_to 90");
    mirror.titleReset();
    EXPECT_FALSE(mirror.mapLoaded());
    EXPECT_FALSE(mirror.values().drawing);
    EXPECT_FALSE(mirror.boundary());
    EXPECT_TRUE(mirror.imageFiles().empty());
    EXPECT_EQ(mirror.values().angle, 90.0f);
}

TEST(LiveViewMirror, NumbersAreWrittenShortAndReadBackAsTheSameFloat) {
    EXPECT_EQ(live::formatNumber(70.0f), "70");
    EXPECT_EQ(live::formatNumber(-2.5f), "-2.5");
    EXPECT_EQ(live::formatNumber(0.1f), "0.1");
    std::mt19937 random(18);
    std::uniform_real_distribution<float> anywhere(-1e6f, 1e6f);
    for (int i = 0; i < 10000; ++i) {
        const float value = i % 2 == 0 ? anywhere(random) : anywhere(random) / 1e9f;
        const std::string text = live::formatNumber(value);
        ASSERT_EQ(farview::roundToFloat(std::strtod(text.c_str(), nullptr)), value) << text;
    }
}

} // namespace
