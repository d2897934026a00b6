// The files a game names, and its code page found by them: a game names its graphics in the code
// page it was made in, and a folder unpacked on another system names the files in UTF-8. The code
// page under which the names find their files is the game's.
#include <algorithm>
#include <set>

#include "game_folder_names.h"
#include "simhost/game_folder.h"

namespace fs = std::filesystem;

namespace simhost {
namespace {

bool isAscii(const std::string &text) {
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0x80) != 0) return false;
    return true;
}

bool readMap(const GameFolder &game, int32_t mapId, GameMap &map) {
    const std::string fileName = mapFileName(mapId);
    std::vector<uint8_t> bytes;
    return readGameFile(resolveGameFile(game.folder, fileName), bytes, nullptr) &&
           readMapFile(bytes, fileName, map, nullptr);
}

std::string graphicFile(const GameTileset &tileset) { return "ChipSet/" + tileset.graphicName + ".png"; }

void addSheet(const std::string &sheetName, std::set<std::string> &names) {
    if (!sheetName.empty()) names.insert("CharSet/" + sheetName + ".png");
}

void addBackground(const GameMap &map, std::set<std::string> &names) {
    if (map.hasBackground && !map.backgroundName.empty()) names.insert(backgroundFile(map.backgroundName));
}

size_t countFound(const fs::path &folder, const std::vector<std::string> &names, const std::string &codePage) {
    size_t found = 0;
    for (const std::string &name : names) {
        std::error_code failure;
        if (fs::exists(resolveGameFile(folder, name, codePage), failure)) ++found;
    }
    return found;
}

} // namespace

std::vector<std::string> namedGameFiles(const GameFolder &game) {
    std::set<std::string> names;
    if (const GameDatabase *db = gameDatabase(game, nullptr)) {
        for (const GameTileset &tileset : db->tilesets) names.insert(graphicFile(tileset));
        for (const GameActor &actor : db->actors) addSheet(actor.sheetName, names);
    }
    for (int32_t mapId : gameMapIds(game)) {
        GameMap map;
        if (!readMap(game, mapId, map)) continue;
        for (const GameEvent &event : map.events)
            for (const GameEventPage &page : event.pages) addSheet(page.sheetName, names);
        addBackground(map, names);
    }
    return {names.begin(), names.end()};
}

std::vector<std::string> filesShownByMap(const GameFolder &game, int32_t mapId) {
    GameMap map;
    const GameDatabase *db = gameDatabase(game, nullptr);
    if (db == nullptr || !readMap(game, mapId, map)) return {};
    std::set<std::string> names;
    const auto tileset = std::find_if(db->tilesets.begin(), db->tilesets.end(),
                                      [&](const GameTileset &t) { return t.id == map.tilesetId; });
    if (tileset != db->tilesets.end()) names.insert(graphicFile(*tileset));
    for (const GameEvent &event : map.events)
        if (!event.pages.empty()) addSheet(event.pages.front().sheetName, names);
    addBackground(map, names);
    return {names.begin(), names.end()};
}

CodePageChoice chooseCodePage(const fs::path &folder, const std::vector<std::string> &names) {
    std::vector<std::string> weighed;
    for (const std::string &name : names)
        if (!isAscii(name) && weighed.size() < kMostNamesWeighed) weighed.push_back(name);
    CodePageChoice choice{gameCodePages().front(), weighed.size(), 0};
    for (const std::string &codePage : gameCodePages()) {
        if (choice.found == weighed.size()) break; // none can find more
        const size_t found = countFound(folder, weighed, codePage);
        if (found > choice.found) choice = {codePage, weighed.size(), found};
    }
    return choice;
}

} // namespace simhost
