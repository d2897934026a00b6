#include "tools/demo/demo_game.h"

#include "simhost/game_folder.h"
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
    if (!gamefile::writeDatabase(folder / "Demo.ldb", demo::makeDemoDatabase(), error) ||
        !gamefile::writeMap(folder / "Map0001.lmu", demo::makeDemoMap(), error))
        return false;
    for (const demo::SmallMap &small : demo::makeDemoSmallMaps())
        if (!gamefile::writeMap(folder / simhost::mapFileName(small.id), small.map, error)) return false;
    return true;
}

} // namespace preview
