#include "tools/live/live_demo.h"

namespace live {

const char *const kDemoScene =
    R"(# The demo island: the hero on the road south of the village plaza, looking north to the fountain.
enter 1
hero 30 39 0
sheet hero Hero 0
pose hero 1
@load_map_to_texture
@set_boundary_texture 0, 0
@set_background "Panorama/Island.png"
@add_sprite "statue", "Picture/Statue.png", 32, 48, 8, 1, 17
@add_sprite "oak west", "Picture/Oak.png", 48, 64, 1, 1, 18
@add_sprite "oak east", "Picture/Oak.png", 48, 64, 1, 1, 19
@add_sprite "oak south-west", "Picture/Oak.png", 48, 64, 1, 1, 20
@add_sprite "oak south-east", "Picture/Oak.png", 48, 64, 1, 1, 21
@add_sprite "double", "Picture/Hero.png", 24, 32, 4, 1, 22
@change_hero_sprite "Picture/Hero.png", 24, 32, 4
@init_mode7 true
)";

} // namespace live
