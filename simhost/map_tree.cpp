// Reading the map tree: every read is bounded by what is left of the file, so a fault (a truncated
// file, a count or length too large, an over-long number) is caught where it lies.
#include "simhost/map_tree.h"

#include <algorithm>
#include <map>

#include "game_file_cursor.h"

namespace fs = std::filesystem;

namespace simhost {
namespace {

// The fewest bytes an entry takes: its id and the end mark of its sub-sections.
constexpr size_t kSmallestEntry = 2;

// An entry's sub-sections are a list like a map file's sections, ended by an id 0.
MapTreeEntry readEntry(Cursor &file) {
    MapTreeEntry entry;
    const uint32_t id = file.readUnsigned("an entry's id");
    entry.id = static_cast<int32_t>(std::min<uint32_t>(id, INT32_MAX));
    Section sub;
    while (nextSection(file, sub))
        if (sub.id == sections::kMapTreeName) entry.name = sub.data.rest();
    return entry;
}

MapTree readTree(const std::vector<uint8_t> &bytes) {
    Cursor file(bytes);
    file.skipLengthPrefixed("header");
    const uint32_t count = file.readCount("the entry count", kSmallestEntry);
    MapTree tree;
    for (uint32_t i = 0; i < count; ++i) {
        MapTreeEntry entry = readEntry(file);
        if (entry.id == 0)
            tree.title = std::move(entry.name);
        else
            tree.maps.push_back(std::move(entry));
    }
    return tree;
}

bool isTreeName(const fs::path &path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == ".lmt";
}

std::vector<fs::path> treeFiles(const fs::path &folder) {
    std::vector<fs::path> found;
    std::error_code failure;
    for (fs::directory_iterator entry(folder, failure), end; !failure && entry != end; entry.increment(failure)) {
        std::error_code typeFailure;
        if (isTreeName(entry->path()) && entry->is_regular_file(typeFailure)) found.push_back(entry->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

bool readMapTree(const std::vector<uint8_t> &bytes, const std::string &fileName, MapTree &tree, std::string *error) {
    return readWhole(bytes, fileName, tree, error, readTree);
}

GameMapList listGameMaps(const GameFolder &game, std::string *problem) {
    std::string unasked;
    if (problem == nullptr) problem = &unasked; // the caller wants the list only
    problem->clear();
    MapTree tree;
    const std::vector<fs::path> files = treeFiles(game.folder);
    if (files.size() > 1) {
        *problem = "The game folder \"" + game.folder.string() + "\" holds more than one map tree: \"" +
                   files[0].filename().string() + "\", \"" + files[1].filename().string() + "\"";
    } else if (files.size() == 1) {
        std::vector<uint8_t> bytes;
        if (!readGameFile(files.front(), bytes, problem) ||
            !readMapTree(bytes, files.front().filename().string(), tree, problem))
            tree = MapTree{};
    }
    // An id the tree names twice keeps its first name.
    std::map<int32_t, std::string> names;
    for (const MapTreeEntry &entry : tree.maps) names.emplace(entry.id, entry.name);
    GameMapList list;
    list.title = tree.title;
    for (int32_t id : gameMapIds(game)) {
        const auto named = names.find(id);
        list.maps.push_back({id, named != names.end() ? named->second : std::string()});
    }
    return list;
}

} // namespace simhost
