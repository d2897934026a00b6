// Opening a game folder and entering one of its maps: the stand-in host takes the map's size,
// tileset and events from the game's files, as a host does when the hero enters a map.
#include "simhost/game_folder.h"

#include <algorithm>
#include <cstdio>

#include "simhost/simhost.h"

namespace fs = std::filesystem;

namespace simhost {
namespace {

bool refuse(std::string *error, const std::string &message) {
    if (error != nullptr) *error = message;
    return false;
}

bool isDatabaseName(const fs::path &path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == ".ldb";
}

std::vector<fs::path> databaseFiles(const fs::path &folder) {
    std::vector<fs::path> found;
    std::error_code failure;
    fs::directory_iterator entries(folder, failure);
    for (; !failure && entries != fs::directory_iterator(); entries.increment(failure)) {
        std::error_code typeFailure;
        if (isDatabaseName(entries->path()) && entries->is_regular_file(typeFailure)) found.push_back(entries->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string mapFileName(int32_t mapId) {
    char name[32];
    std::snprintf(name, sizeof name, "Map%04d.lmu", static_cast<int>(mapId));
    return name;
}

const GameTileset *findTileset(const GameDatabase &db, int32_t id) {
    for (const GameTileset &tileset : db.tilesets)
        if (tileset.id == id) return &tileset;
    return nullptr;
}

void showEvent(const GameEvent &event) {
    FvHostCharacter &character = addEvent(event.id, event.column, event.row);
    const GameEventPage page = event.pages.empty() ? GameEventPage{} : event.pages.front();
    setSheetName(character, page.sheetName);
    character.sheetIndex = page.sheetIndex;
    character.facing = page.facing;
    character.animationStep = page.animationStep;
}

} // namespace

bool openGame(const fs::path &folder, GameFolder &game, std::string *error) {
    std::error_code failure;
    const fs::path absolute = fs::absolute(folder, failure);
    if (failure || !fs::is_directory(absolute, failure))
        return refuse(error, "Cannot open the game folder \"" + folder.string() + "\": it is not a folder");
    const std::vector<fs::path> databases = databaseFiles(absolute);
    if (databases.size() > 1) {
        std::string names;
        for (const fs::path &path : databases)
            names += (names.empty() ? "\"" : ", \"") + path.filename().string() + "\"";
        return refuse(error, "The game folder \"" + folder.string() + "\" holds more than one database: " + names);
    }
    GameFolder opened;
    opened.folder = absolute;
    if (!databases.empty()) {
        std::vector<uint8_t> bytes;
        if (!readGameFile(databases.front(), bytes, error)) return false;
        if (!readDatabase(bytes, databases.front().filename().string(), opened.database, error)) return false;
        opened.databasePath = databases.front();
    }
    game = std::move(opened);
    return true;
}

bool enterMap(const GameFolder &game, int32_t mapId, std::string *error) {
    const std::string fileName = mapFileName(mapId);
    std::vector<uint8_t> bytes;
    if (!readGameFile(resolveGameFile(game.folder, fileName), bytes, error)) return false;
    GameMap map;
    if (!readMapFile(bytes, fileName, map, error)) return false;
    const GameTileset *tileset = nullptr;
    if (!game.databasePath.empty()) {
        tileset = findTileset(game.database, map.tilesetId);
        if (tileset == nullptr)
            return refuse(error, "The map \"" + fileName + "\" uses tileset " + std::to_string(map.tilesetId) +
                                     ", which the database \"" + game.databasePath.filename().string() +
                                     "\" does not hold");
    }

    setMapSize(map.width, map.height);
    if (tileset != nullptr)
        setTilesetRecord(makeTilesetRecord(tileset->name, tileset->graphicName,
                                           {tileset->attributes, tileset->lowerFlags, tileset->upperFlags}));
    clearEvents();
    for (const GameEvent &event : map.events) showEvent(event);
    hero().mapId = mapId;
    return true;
}

} // namespace simhost
