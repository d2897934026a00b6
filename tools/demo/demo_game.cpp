#include "tools/demo/demo_game.h"

#include "support/game_writer.h"
#include "tools/demo/demo_art.h"
#include "tools/demo/demo_map.h"

namespace preview {

namespace {

bool makeFolder(const std::filesystem::path &folder, std::string *error) {
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure && error != nullptr) *error = "cannot create " + folder.string() + ": " + failure.message();
    return !failure;
}

struct Picture {
    const char *file;
    demo::Canvas (*paint)();
};

const Picture kPictures[] = {
    {"ChipSet/Meadow.png", demo::paintTileset},          {"CharSet/Hero.png", demo::paintHeroSheet},
    {"CharSet/Villagers.png", demo::paintVillagerSheet}, {"CharSet/Animals.png", demo::paintAnimalSheet},
    {"Picture/Hero.png", demo::paintHeroStrip},          {"Picture/Statue.png", demo::paintStatueStrip},
    {"Picture/Oak.png", demo::paintTreeImage},           {"Panorama/Island.png", demo::paintPanorama},
};

} // namespace

bool writeDemoGame(const std::filesystem::path &folder, std::string *error) {
    for (const char *subfolder : {"ChipSet", "CharSet", "Picture", "Panorama"})
        if (!makeFolder(folder / subfolder, error)) return false;
    for (const Picture &picture : kPictures)
        if (!demo::writeCanvas(picture.paint(), folder / picture.file, error)) return false;
    return gamefile::writeDatabase(folder / "Demo.ldb", demo::makeDemoDatabase(), error) &&
           gamefile::writeMap(folder / "Map0001.lmu", demo::makeDemoMap(), error);
}

const char *const kDemoScript =
    R"(# The demo game: an island village. The hero starts on the road south of the plaza, looking
# north across it to the fountain and its statue; then the view makes a full turn round him.
enter 1
hero 30 39 0
sheet hero Hero 0
pose hero 1
@load_map_to_texture
# Beyond the map's edge the sea goes on: the boundary texture is a cell of open water.
@set_boundary_texture 0, 0
@set_background "Panorama/Island.png"
# The statue on the fountain turns with the view: eight views side by side.
@add_sprite "statue", "Picture/Statue.png", 32, 48, 8, 1, 17
# Oaks round the plaza: one picture each, always facing the eye.
@add_sprite "oak west", "Picture/Oak.png", 48, 64, 1, 1, 18
@add_sprite "oak east", "Picture/Oak.png", 48, 64, 1, 1, 19
@add_sprite "oak south-west", "Picture/Oak.png", 48, 64, 1, 1, 20
@add_sprite "oak south-east", "Picture/Oak.png", 48, 64, 1, 1, 21
@init_mode7 true
frame demo-start.png
# The hero's own sprite: his four views, in place of his character sheet. change_hero_sprite
# takes the picture from the image cache, so an added sprite loads it first: for his double,
# who stands far out at sea where the view never reaches.
@add_sprite "double", "Picture/Hero.png", 24, 32, 4, 1, 22
@change_hero_sprite "Picture/Hero.png", 24, 32, 4
# A full turn round the hero, 15 degrees a frame.
gif demo-turn.gif 80
repeat 24
@rotate_right_by 15
frame demo-turn-{n}.png
end
gif end
)";

} // namespace preview
