// The files a game names, and its code page found by them and by its texts: a game names its
// graphics in the code page it was made in, and a folder unpacked on another system names the
// files in UTF-8. The code page under which the names find their files is the game's. Where they
// find none (the graphics are elsewhere, or named in ASCII), the game's texts tell it: under the
// right code page they read as words of one script.
#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "game_folder_names.h"
#include "simhost/game_folder.h"
#include "simhost/map_tree.h"

namespace fs = std::filesystem;

namespace simhost {
namespace {

// A map still on its way is passed over, not asked for: what the game says is weighed as far as
// it has been read.
bool readMap(const GameFolder &game, int32_t mapId, GameMap &map) {
    const std::string fileName = mapFileName(mapId);
    const fs::path file = resolveGameFile(game.folder, fileName);
    std::vector<uint8_t> bytes;
    return !fileOnItsWay(file) && readGameFile(file, bytes, nullptr) && readMapFile(bytes, fileName, map, nullptr);
}

std::string graphicFile(const GameTileset &tileset) { return chipSetFile(tileset.graphicName); }

void addSheet(const std::string &sheetName, std::set<std::string> &names) {
    if (!sheetName.empty()) names.insert(charSetFile(sheetName));
}

void addBackground(const GameMap &map, std::set<std::string> &names) {
    if (map.hasBackground && !map.backgroundName.empty()) names.insert(backgroundFile(map.backgroundName));
}

void addMapFiles(const GameMap &map, std::set<std::string> &names) {
    for (const GameEvent &event : map.events)
        for (const GameEventPage &page : event.pages) addSheet(page.sheetName, names);
    addBackground(map, names);
}

bool isThere(const fs::path &path) {
    std::error_code failure;
    return fs::exists(path, failure);
}

// The folders a choice looks in, each with whether the folder part of a name is there: in ASCII
// ("ChipSet/") it reads the same under every code page, so a folder without it is looked through
// once, not once a code page.
class Places {
public:
    explicit Places(const fs::path &folder) {
        folders_.push_back(folder);
        if (!standardGraphicsFolder().empty()) folders_.push_back(standardGraphicsFolder());
    }
    bool find(const std::string &name, const std::string &codePage) {
        for (const fs::path &folder : folders_)
            if (mayHold(folder, name) && isThere(resolveGameFile(folder, name, codePage))) return true;
        return false;
    }

private:
    bool mayHold(const fs::path &folder, const std::string &name) {
        const size_t slash = name.find('/');
        const std::string part = slash == std::string::npos ? std::string() : name.substr(0, slash);
        if (part.empty() || !isAscii(part)) return true;
        const auto key = std::make_pair(folder, part);
        const auto known = parts_.find(key);
        if (known != parts_.end()) return known->second;
        return parts_[key] = isThere(resolveGameFile(folder, part, gameCodePages().front()));
    }

    std::vector<fs::path> folders_;
    std::map<std::pair<fs::path, std::string>, bool> parts_;
};

size_t countFound(Places &places, const std::vector<std::string> &names, const std::string &codePage) {
    return static_cast<size_t>(std::count_if(names.begin(), names.end(),
                                             [&](const std::string &name) { return places.find(name, codePage); }));
}

// Texts outside ASCII, each once, up to a number.
class Collected {
public:
    explicit Collected(size_t most) : most_(most) {}
    void add(const std::string &text) {
        if (!full() && !isAscii(text) && seen_.insert(text).second) list_.push_back(text);
    }
    bool full() const { return list_.size() >= most_; }
    std::vector<std::string> &list() { return list_; }

private:
    size_t most_;
    std::set<std::string> seen_;
    std::vector<std::string> list_;
};

} // namespace

std::vector<std::string> namedGameFiles(const GameFolder &game) {
    std::set<std::string> names;
    if (const GameDatabase *db = gameDatabase(game, nullptr)) {
        for (const GameTileset &tileset : db->tilesets) names.insert(graphicFile(tileset));
        for (const GameActor &actor : db->actors) addSheet(actor.sheetName, names);
    }
    for (int32_t mapId : gameMapIds(game)) {
        GameMap map;
        if (readMap(game, mapId, map)) addMapFiles(map, names);
    }
    return {names.begin(), names.end()};
}

std::vector<std::string> filesShownByMap(const GameFolder &game, int32_t mapId) {
    GameMap map;
    const GameDatabase *db = gameDatabase(game, nullptr);
    if (db == nullptr || !readMap(game, mapId, map)) return {};
    std::set<std::string> names;
    if (const GameTileset *tileset = findTileset(*db, map.tilesetId)) names.insert(graphicFile(*tileset));
    for (const GameEvent &event : map.events)
        if (!event.pages.empty()) addSheet(event.pages.front().sheetName, names);
    addBackground(map, names);
    return {names.begin(), names.end()};
}

CodePageChoice chooseCodePage(const fs::path &folder, const std::vector<std::string> &names) {
    const RememberedListings remembered;
    std::vector<std::string> weighed;
    for (const std::string &name : names)
        if (!isAscii(name) && weighed.size() < kMostNamesWeighed) weighed.push_back(name);
    CodePageChoice choice{gameCodePages().front(), weighed.size(), 0};
    Places places(folder);
    for (const std::string &codePage : gameCodePages()) {
        if (choice.found == weighed.size()) break; // none can find more
        const size_t found = countFound(places, weighed, codePage);
        if (found > choice.found) choice = {codePage, weighed.size(), found};
    }
    return choice;
}

GameWords gameWords(const GameFolder &game) {
    Collected files(kMostNamesWeighed), texts(kMostTextsWeighed);
    const GameMapList list = listGameMaps(game, nullptr);
    texts.add(list.title);
    for (const MapTreeEntry &map : list.maps) texts.add(map.name);
    std::set<std::string> names;
    if (const GameDatabase *db = gameDatabase(game, nullptr)) {
        for (const GameTileset &tileset : db->tilesets) texts.add(tileset.name);
        for (const GameCommonEvent &common : db->commonEvents) texts.add(common.name);
        for (const GameTileset &tileset : db->tilesets) names.insert(graphicFile(tileset));
        for (const GameActor &actor : db->actors) addSheet(actor.sheetName, names);
    }
    for (const std::string &name : names) files.add(name);
    // A game of hundreds of maps opens quickly: each map is read once, and none once both are full.
    for (size_t i = 0; i < list.maps.size() && !(files.full() && texts.full()); ++i) {
        GameMap map;
        if (!readMap(game, list.maps[i].id, map)) continue;
        for (const GameEvent &event : map.events) texts.add(event.name);
        std::set<std::string> named;
        addMapFiles(map, named);
        for (const std::string &name : named) files.add(name);
    }
    return {std::move(files.list()), std::move(texts.list())};
}

CodePageChoice chooseGameCodePage(const GameFolder &game) {
    const GameWords words = gameWords(game);
    CodePageChoice choice = chooseCodePage(game.folder, words.fileNames);
    choice.textsWeighed = words.texts.size();
    const auto weigh = [&](const std::string &codePage, double &sum, size_t &read) {
        sum = 0;
        read = 0;
        for (const std::string &text : words.texts) {
            const double reading = textReading(text, codePage);
            sum += reading;
            read += reading > 0 ? 1 : 0;
        }
    };
    double sum = 0, best = 0;
    size_t read = 0;
    if (choice.found > 0) {
        weigh(choice.codePage, sum, choice.textsRead);
        return choice;
    }
    // Of code pages whose texts read as well, the first listed, but where a double-byte code page's
    // frequent characters hold another's (Korean syllables are frequent Chinese characters in 936
    // and 950, not the other way round), the narrower one first.
    static const char *const kTextsOrder[] = {"1252", "1250", "1251", "1253", "1254", "1255", "1256",
                                              "1257", "1258", "874",  "949",  "950",  "932",  "936"};
    for (const std::string codePage : kTextsOrder) {
        weigh(codePage, sum, read);
        if (sum <= best) continue;
        best = sum;
        choice.codePage = codePage;
        choice.textsRead = read;
    }
    return choice;
}

} // namespace simhost
