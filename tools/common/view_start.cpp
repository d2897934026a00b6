#include "tools/common/view_start.h"

#include <cstdio>
#include <utility>

#include "host/farview_host.h"
#include "simhost/simhost.h"

namespace tools {

namespace {

// The longest text a comment line hands the plug-in: the host cuts longer ones.
constexpr size_t kLongestCommentText = FV_COMMENT_TEXT_SIZE - 1;

bool holdsControlCharacter(const std::string &text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20) return true;
    return false;
}

// A name as one word of a preview script: quoted when it holds blanks or would start a remark;
// nothing when no word can hold it (a quote, or a control character that ends or splits the line).
std::optional<std::string> scriptWord(const std::string &name) {
    if (holdsControlCharacter(name) || name.find('"') != std::string::npos) return std::nullopt;
    if (name.empty() || name.find_first_of(" \t") != std::string::npos || name.front() == '#')
        return "\"" + name + "\"";
    return name;
}

// A file name as the quoted text of a comment line.
std::string quotedText(const std::string &text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string asRemark(const std::string &text) {
    std::string remark = text;
    for (char &c : remark)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    if (!remark.empty() && remark.front() >= 'a' && remark.front() <= 'z')
        remark.front() = static_cast<char>(remark.front() - 'a' + 'A');
    return "# " + remark + ".\n";
}

std::string actorText(const simhost::HeroSheet &sheet, const std::string &database) {
    return "actor " + std::to_string(sheet.actorId) + " of " + database;
}

// Where the hero's look comes from, or why he has none.
std::string heroRemark(const simhost::HeroSheet &sheet, const std::string &database, bool writable) {
    const std::string whose = sheet.fromParty ? ", the first member of the starting party" : "";
    const std::string emptyParty = sheet.fromParty ? "" : " (the starting party is empty)";
    if (!sheet.actorFound) {
        if (sheet.fromParty)
            return "the hero has no character sheet: the starting party's first member, actor " +
                   std::to_string(sheet.actorId) + ", is not among the actors of " + database;
        return "the hero has no character sheet: " + database + " has no actor " + std::to_string(sheet.actorId) +
               emptyParty;
    }
    if (sheet.sheetName.empty())
        return "the hero has no character sheet: " + actorText(sheet, database) + whose + " has none" + emptyParty;
    if (!writable)
        return "the hero has no character sheet: the name of " + actorText(sheet, database) +
               "'s sheet holds a quote or a control character, which a script line cannot give";
    return "the hero looks as " + actorText(sheet, database) + whose + emptyParty;
}

void chooseBackground(const simhost::GameMap &map, const std::string &chosen, ViewStart &start) {
    const std::string &mapFile = start.mapFileName;
    if (!chosen.empty()) {
        start.background = chosen;
        start.backgroundChosen = true;
        start.backgroundRemark = "the background chosen in place of " + mapFile + "'s own";
        return;
    }
    if (!map.hasBackground) {
        start.backgroundRemark = mapFile + " has no background image: the band above the horizon stays black";
        return;
    }
    if (map.backgroundName.empty()) {
        start.backgroundRemark = mapFile + " says it has a background image but names none";
        return;
    }
    const std::string file = simhost::backgroundFile(map.backgroundName);
    if (holdsControlCharacter(file) || file.size() > kLongestCommentText) {
        start.backgroundRemark = mapFile + "'s background image, " + simhost::toUtf8(file) +
                                 ", cannot be given by a comment line (a control character, or more than " +
                                 std::to_string(kLongestCommentText) + " bytes)";
        return;
    }
    start.background = file;
    start.backgroundRemark = mapFile + "'s own background image";
}

// Where in the map the byte lies, and how the author keeps it out (empty: no advice).
std::pair<std::string, std::string> strayMarkPlace(const simhost::GameMap &map, uint32_t sectionId) {
    namespace sections = simhost::sections;
    const std::string values = " whose last 7-bit group is not 71 (71, 199, 327, ... are)";
    switch (sectionId) {
    case 0: return {"in the file's signature", ""};
    case sections::kTilesetSection:
        return {"in its tileset number (" + std::to_string(map.tilesetId) + ")", "Another tileset number" + values};
    case sections::kWidthSection: return {"in its width (" + std::to_string(map.width) + ")", "A width" + values};
    case sections::kHeightSection: return {"in its height (" + std::to_string(map.height) + ")", "A height" + values};
    case sections::kBackgroundNameSection:
        return {"in its background's name \"" + simhost::toUtf8(map.backgroundName) + "\"",
                "A background name without that byte (a capital G, or in a double-byte code page the second "
                "byte of some characters), and not 71, 199, 327, ... bytes long,"};
    default: {
        char number[16];
        std::snprintf(number, sizeof number, "0x%02X", static_cast<unsigned>(sectionId));
        return {std::string("in its section ") + number, ""};
    }
    }
}

} // namespace

std::string strayLayerMarkWarning(const simhost::GameMap &map, const std::string &mapFileName) {
    if (!map.strayLayerMark) return {};
    const auto [place, advice] = strayMarkPlace(map, map.strayLayerMark->sectionId);
    std::string warning = mapFileName + " holds a byte 0x47 before its lower layer, at byte " +
                          std::to_string(map.strayLayerMark->offset) + " " + place +
                          ": the plug-in takes the first such byte for the layer's start and reads the tiles from "
                          "there, so this map's floor is drawn wrong.";
    if (!advice.empty()) warning += " " + advice + " keeps the byte out.";
    return warning;
}

HeroLook heroLook(const simhost::GameFolder &game) {
    HeroLook look;
    const std::string database = game.databasePath.filename().string();
    std::string fault;
    const simhost::GameDatabase *db = simhost::gameDatabase(game, &fault);
    if (db == nullptr || !simhost::heroSheet(*db, look.sheet, &fault)) {
        look.sheet = simhost::HeroSheet{};
        look.fault = fault;
        look.remark = "the hero has no character sheet: " + fault;
        return look;
    }
    const bool writable = scriptWord(look.sheet.sheetName).has_value();
    look.remark = heroRemark(look.sheet, database, writable);
    if (!writable) look.sheet.sheetName.clear();
    // Without a sheet the hero shows as a tile: tile 0, the empty one, as in a game without a look.
    if (look.sheet.sheetName.empty()) look.sheet.sheetIndex = 0;
    return look;
}

std::string describeHeroLook(const HeroLook &look) {
    if (look.sheet.sheetName.empty()) return look.remark;
    return look.remark + ": CharSet/" + simhost::toUtf8(look.sheet.sheetName) + ".png, character " +
           std::to_string(look.sheet.sheetIndex);
}

bool checkMapCell(MapCell cell, int32_t mapId, int32_t width, int32_t height, std::string *error) {
    if (cell.column >= 0 && cell.column < width && cell.row >= 0 && cell.row < height) return true;
    if (error != nullptr) {
        *error = "the cell " + std::to_string(cell.column) + "," + std::to_string(cell.row) + " lies outside map " +
                 std::to_string(mapId) + ", which is " + std::to_string(width) + " x " + std::to_string(height) +
                 " cells";
        if (width > 0 && height > 0)
            *error += ": give a column from 0 to " + std::to_string(width - 1) + " and a row from 0 to " +
                      std::to_string(height - 1);
    }
    return false;
}

bool startOfView(const simhost::GameFolder &game, const simhost::GameMap &map, int32_t mapId,
                 std::optional<MapCell> hero, const std::string &background, ViewStart &start, std::string *error) {
    if (hero && !checkMapCell(*hero, mapId, map.width, map.height, error)) return false;
    start = ViewStart{};
    start.mapId = mapId;
    start.mapFileName = simhost::mapFileName(mapId);
    start.heroCell = hero.value_or(MapCell{map.width / 2, map.height / 2});
    start.heroLook = heroLook(game);
    chooseBackground(map, background, start);
    start.strayLayerMarkWarning = strayLayerMarkWarning(map, start.mapFileName);
    return true;
}

void placeHero(const ViewStart &start) {
    FvHostCharacter &hero = simhost::hero();
    hero.mapColumn = start.heroCell.column;
    hero.mapRow = start.heroCell.row;
    simhost::setSheetName(hero, start.heroLook.sheet.sheetName);
    hero.sheetIndex = start.heroLook.sheet.sheetIndex;
}

std::string backgroundLine(const ViewStart &start) {
    return start.background.empty() ? std::string() : "@set_background " + quotedText(start.background);
}

std::vector<std::string> viewCommentLines(const ViewStart &start) {
    std::vector<std::string> lines{"@load_map_to_texture"};
    if (!start.background.empty()) lines.push_back(backgroundLine(start));
    lines.push_back("@init_mode7 true");
    return lines;
}

std::string viewStartSteps(const ViewStart &start, bool gameLines) {
    const simhost::HeroSheet &sheet = start.heroLook.sheet;
    std::string steps = asRemark(start.heroLook.remark);
    steps += "hero " + std::to_string(start.heroCell.column) + " " + std::to_string(start.heroCell.row) + "\n";
    steps +=
        "sheet hero " + scriptWord(sheet.sheetName).value_or("\"\"") + " " + std::to_string(sheet.sheetIndex) + "\n";
    if (gameLines)
        return start.backgroundChosen ? steps + asRemark(start.backgroundRemark) + backgroundLine(start) + "\n" : steps;
    const std::vector<std::string> lines = viewCommentLines(start);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 1) steps += asRemark(start.backgroundRemark); // before the background, or where it would go
        steps += lines[i] + "\n";
    }
    return steps;
}

} // namespace tools
