// Opening a game folder and entering one of its maps: the stand-in host takes the map's size,
// tileset and events from the game's files, as a host does when the hero enters a map.
#include "simhost/game_folder.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "simhost/simhost.h"

namespace fs = std::filesystem;

namespace simhost {
namespace {

std::optional<GameMap> &enteredMapStore() {
    static auto *const store = new std::optional<GameMap>;
    return *store;
}

bool refuse(std::string *error, const std::string &message) {
    if (error != nullptr) *error = message;
    return false;
}

std::string asciiLowerCase(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// An entry's name, or nothing when the system cannot give it in narrow characters (on Windows, a
// name outside the system's code page): such a name is neither a map file's nor a database's.
std::string narrowName(const fs::path &entry) {
    try {
        return entry.filename().string();
    } catch (const std::exception &) {
        return {};
    }
}

bool isDatabaseName(const fs::path &path) {
    return asciiLowerCase(fs::path(narrowName(path)).extension().string()) == ".ldb";
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

// The id whose map file has this name in some letter case: "Map" + at least four digits, no
// leading zero beyond the four, + ".lmu".
std::optional<int32_t> mapIdOf(const std::string &fileName) {
    const std::string name = asciiLowerCase(fileName);
    constexpr size_t kMostDigits = 9; // any id of nine digits fits 32 bits
    if (name.size() < 11 || name.compare(0, 3, "map") != 0 || name.compare(name.size() - 4, 4, ".lmu") != 0)
        return std::nullopt;
    const std::string digits = name.substr(3, name.size() - 7);
    if (digits.size() > kMostDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto id = static_cast<int32_t>(std::stol(digits));
    if (asciiLowerCase(mapFileName(id)) != name) return std::nullopt;
    return id;
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

std::string chipSetFile(const std::string &graphicName) { return "ChipSet/" + graphicName + ".png"; }
std::string charSetFile(const std::string &sheetName) { return "CharSet/" + sheetName + ".png"; }
std::string backgroundFile(const std::string &backgroundName) { return "Panorama/" + backgroundName + ".png"; }

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
    game = GameFolder{};
    game.folder = absolute;
    if (!databases.empty()) game.databasePath = databases.front();
    return true;
}

const GameDatabase *gameDatabase(const GameFolder &game, std::string *error) {
    if (game.databasePath.empty()) {
        refuse(error, "The game folder \"" + game.folder.string() + "\" has no database (a .ldb file)");
        return nullptr;
    }
    if (!game.database && game.databaseFault.empty()) {
        std::vector<uint8_t> bytes;
        GameDatabase db;
        if (readGameFile(game.databasePath, bytes, &game.databaseFault) &&
            readDatabase(bytes, game.databasePath.filename().string(), db, &game.databaseFault))
            game.database = std::move(db);
    }
    if (!game.database) {
        refuse(error, game.databaseFault);
        if (fileOnItsWay(game.databasePath)) game.databaseFault.clear(); // read again once it is in
        return nullptr;
    }
    return &*game.database;
}

std::vector<int32_t> gameMapIds(const GameFolder &game) {
    std::vector<int32_t> ids;
    std::error_code failure;
    fs::directory_iterator entries(game.folder, failure);
    for (; !failure && entries != fs::directory_iterator(); entries.increment(failure))
        if (std::optional<int32_t> id = mapIdOf(narrowName(entries->path()))) ids.push_back(*id);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

std::string gameFoldersInsideNote(const fs::path &folder) {
    GameFolder chosen;
    chosen.folder = folder;
    if (!gameMapIds(chosen).empty()) return {};
    std::vector<std::string> names;
    std::error_code failure;
    fs::directory_iterator entries(folder, failure);
    for (; !failure && entries != fs::directory_iterator(); entries.increment(failure)) {
        std::error_code ignored;
        GameFolder inside;
        inside.folder = entries->path();
        if (entries->is_directory(ignored) && !gameMapIds(inside).empty())
            names.push_back("\"" + entries->path().filename().u8string() + "\"");
    }
    if (names.empty()) return {};
    std::sort(names.begin(), names.end());
    if (names.size() == 1) return "; the folder " + names.front() + " in it holds map files: choose that one";
    std::string list = names.front();
    for (size_t i = 1; i < names.size(); ++i) list += ", " + names[i];
    return "; the folders " + list + " in it hold map files: choose one of them";
}

bool enterMap(const GameFolder &game, int32_t mapId, std::string *error, GameMap *entered) {
    const std::string fileName = mapFileName(mapId);
    std::vector<uint8_t> bytes;
    if (!readGameFile(resolveGameFile(game.folder, fileName), bytes, error)) return false;
    GameMap map;
    if (!readMapFile(bytes, fileName, map, error)) return false;
    const GameTileset *tileset = nullptr;
    if (!game.databasePath.empty()) {
        const GameDatabase *db = gameDatabase(game, error);
        if (db == nullptr) return false;
        tileset = findTileset(*db, map.tilesetId);
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
    if (entered != nullptr) *entered = map;
    enteredMapStore() = std::move(map);
    return true;
}

const GameMap *enteredMap() { return enteredMapStore() ? &*enteredMapStore() : nullptr; }

void forgetEnteredMap() { enteredMapStore().reset(); }

bool heroSheet(const GameDatabase &db, HeroSheet &sheet, std::string *error) {
    sheet = HeroSheet{};
    if (!db.partyFault.empty()) return refuse(error, db.partyFault);
    sheet.fromParty = !db.startingParty.empty();
    sheet.actorId = sheet.fromParty ? db.startingParty.front() : 1;
    if (!db.actorsFault.empty()) return refuse(error, db.actorsFault);
    const auto actor = std::find_if(db.actors.begin(), db.actors.end(),
                                    [&](const GameActor &candidate) { return candidate.id == sheet.actorId; });
    if (actor == db.actors.end()) return true;
    sheet.actorFound = true;
    sheet.sheetName = actor->sheetName;
    sheet.sheetIndex = actor->sheetIndex;
    return true;
}

} // namespace simhost
