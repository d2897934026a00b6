#include "support/game_writer.h"

#include <fstream>

#include "support/mapfile_writer.h"

namespace gamefile {

namespace {

using Bytes = std::vector<uint8_t>;

const char kMapSignature[] = "FarviewMapUnit";
const char kDatabaseSignature[] = "FarviewDatabase";

using namespace simhost::sections;
constexpr uint32_t kEndOfSections = 0;

// The plug-in skips two or three length bytes after the lower-layer marker; a map of more cells
// would need a fourth and be misread.
constexpr int64_t kMostCells = 1048575;

constexpr uint8_t kLayerMarker = 0x47;

void append(Bytes &out, const Bytes &bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

void appendSection(Bytes &out, uint32_t id, const Bytes &data) {
    append(out, encodeInteger(static_cast<int32_t>(id)));
    append(out, mapfile::encodeLength(static_cast<uint32_t>(data.size())));
    append(out, data);
}

void appendIntegerSection(Bytes &out, uint32_t id, int32_t value, int32_t defaultValue) {
    if (value != defaultValue) appendSection(out, id, encodeInteger(value));
}

void appendTextSection(Bytes &out, uint32_t id, const std::string &text) {
    if (!text.empty()) appendSection(out, id, Bytes(text.begin(), text.end()));
}

void appendSignature(Bytes &out, const char *signature, size_t length) {
    append(out, encodeInteger(static_cast<int32_t>(length)));
    out.insert(out.end(), signature, signature + length);
}

// The layer's length field takes the group count the plug-in skips for this many cells.
void appendLayer(Bytes &out, uint32_t id, const std::vector<uint16_t> &ids, size_t cells) {
    append(out, encodeInteger(static_cast<int32_t>(id)));
    append(out, mapfile::encodeLength(static_cast<uint32_t>(2 * cells),
                                      mapfile::layerLengthGroups(static_cast<int64_t>(cells))));
    for (size_t i = 0; i < cells; ++i) {
        const uint16_t id16 = i < ids.size() ? ids[i] : 0;
        out.push_back(static_cast<uint8_t>(id16 & 0xFF));
        out.push_back(static_cast<uint8_t>(id16 >> 8));
    }
}

// A list's length, then the list: an empty list is the end command alone, as in real files.
void appendCommands(Bytes &out, uint32_t lengthId, uint32_t listId, const simhost::CommandListBytes &list) {
    const Bytes bytes = list.bytes.empty() ? encodeCommandList({}) : list.bytes;
    const uint32_t length = list.declaredLength.value_or(static_cast<uint32_t>(bytes.size()));
    appendSection(out, lengthId, encodeInteger(static_cast<int32_t>(length)));
    appendSection(out, listId, bytes);
}

Bytes encodePage(int32_t pageId, const simhost::GameEventPage &page) {
    Bytes out = encodeInteger(pageId);
    if (page.conditionFlags != 0) {
        Bytes conditions;
        appendSection(conditions, kConditionFlags, encodeInteger(static_cast<int32_t>(page.conditionFlags)));
        conditions.push_back(kEndOfSections);
        appendSection(out, kPageConditions, conditions);
    }
    appendTextSection(out, kPageSheetName, page.sheetName);
    appendIntegerSection(out, kPageSheetIndex, page.sheetIndex, 0);
    appendIntegerSection(out, kPageFacing, page.facing, simhost::kDefaultFacing);
    appendIntegerSection(out, kPageStep, page.animationStep, simhost::kDefaultAnimationStep);
    appendIntegerSection(out, kPageTrigger, page.trigger, simhost::triggers::kActionKey);
    appendCommands(out, kPageCommandsLength, kPageCommands, page.commands);
    out.push_back(kEndOfSections);
    return out;
}

Bytes encodeCommonEvent(const simhost::GameCommonEvent &event) {
    Bytes out = encodeInteger(event.id);
    appendTextSection(out, kCommonEventName, event.name);
    appendSection(out, kCommonEventTrigger, encodeInteger(event.trigger));
    appendIntegerSection(out, kCommonEventHasSwitch, event.switchStarts ? 1 : 0, 0);
    appendIntegerSection(out, kCommonEventSwitch, event.switchId, 0);
    appendCommands(out, kCommonEventCommandsLength, kCommonEventCommands, event.commands);
    out.push_back(kEndOfSections);
    return out;
}

Bytes encodeEvent(const simhost::GameEvent &event) {
    Bytes out = encodeInteger(event.id);
    appendTextSection(out, kEventName, event.name);
    appendIntegerSection(out, kEventColumn, event.column, 0);
    appendIntegerSection(out, kEventRow, event.row, 0);
    if (!event.pages.empty()) {
        Bytes pages = encodeInteger(static_cast<int32_t>(event.pages.size()));
        for (size_t i = 0; i < event.pages.size(); ++i)
            append(pages, encodePage(static_cast<int32_t>(i + 1), event.pages[i]));
        appendSection(out, kEventPages, pages);
    }
    out.push_back(kEndOfSections);
    return out;
}

Bytes encodeEvents(const std::vector<simhost::GameEvent> &events) {
    Bytes out = encodeInteger(static_cast<int32_t>(events.size()));
    for (const simhost::GameEvent &event : events) append(out, encodeEvent(event));
    return out;
}

// A table of exactly count entries: shorter tables are filled with 0, longer ones cut.
Bytes encodeWordTable(const std::vector<uint16_t> &values, size_t count) {
    Bytes out;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t value = i < values.size() ? values[i] : 0;
        out.push_back(static_cast<uint8_t>(value & 0xFF));
        out.push_back(static_cast<uint8_t>(value >> 8));
    }
    return out;
}

Bytes encodeByteTable(const std::vector<uint8_t> &values, size_t count) {
    Bytes out(count, 0);
    for (size_t i = 0; i < count && i < values.size(); ++i) out[i] = values[i];
    return out;
}

Bytes encodeActor(const simhost::GameActor &actor) {
    Bytes out = encodeInteger(actor.id);
    appendTextSection(out, kActorSheetName, actor.sheetName);
    appendIntegerSection(out, kActorSheetIndex, actor.sheetIndex, 0);
    out.push_back(kEndOfSections);
    return out;
}

// The System record as far as the stand-in host reads it: the starting party's size and members.
Bytes encodeSystem(const std::vector<int32_t> &party) {
    Bytes out;
    appendSection(out, kSystemPartySize, encodeInteger(static_cast<int32_t>(party.size())));
    Bytes members;
    for (int32_t id : party) {
        members.push_back(static_cast<uint8_t>(id & 0xFF));
        members.push_back(static_cast<uint8_t>((id >> 8) & 0xFF));
    }
    appendSection(out, kSystemParty, members);
    out.push_back(kEndOfSections);
    return out;
}

Bytes encodeTileset(const simhost::GameTileset &tileset) {
    Bytes out = encodeInteger(tileset.id);
    appendTextSection(out, kTilesetName, tileset.name);
    appendTextSection(out, kTilesetGraphic, tileset.graphicName);
    if (!tileset.attributes.empty())
        appendSection(out, kTilesetAttributes, encodeWordTable(tileset.attributes, simhost::kTilesetAttributeCount));
    if (!tileset.lowerFlags.empty())
        appendSection(out, kTilesetLowerFlags, encodeByteTable(tileset.lowerFlags, simhost::kTilesetLowerFlagCount));
    if (!tileset.upperFlags.empty())
        appendSection(out, kTilesetUpperFlags, encodeByteTable(tileset.upperFlags, simhost::kTilesetUpperFlagCount));
    out.push_back(kEndOfSections);
    return out;
}

// The last 7-bit group of a value is its low 7 bits, written without the high bit: a value whose
// low 7 bits are 71 puts a byte 0x47 into the file.
bool holdsLayerMarker(int32_t value) { return (static_cast<uint32_t>(value) & 0x7F) == kLayerMarker; }

bool writeFile(const std::filesystem::path &path, const Bytes &bytes, const char *what, std::string *error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file) file.close();
    if (!file) {
        if (error != nullptr) *error = std::string("cannot write the ") + what + " " + path.string();
        return false;
    }
    return true;
}

void appendCommand(Bytes &out, const simhost::EventCommand &command) {
    append(out, encodeInteger(command.code));
    append(out, encodeInteger(command.indent));
    append(out, encodeInteger(static_cast<int32_t>(command.text.size())));
    out.insert(out.end(), command.text.begin(), command.text.end());
    append(out, encodeInteger(static_cast<int32_t>(command.parameters.size())));
    for (int32_t parameter : command.parameters) append(out, encodeInteger(parameter));
}

} // namespace

simhost::GameEventPage sheetPage(const std::string &sheet, int32_t sheetIndex, int32_t facing, int32_t step) {
    simhost::GameEventPage page;
    page.sheetName = sheet;
    page.sheetIndex = sheetIndex;
    page.facing = facing;
    page.animationStep = step;
    return page;
}

Bytes encodeCommandList(const std::vector<simhost::EventCommand> &commands) {
    Bytes out;
    for (const simhost::EventCommand &command : commands) appendCommand(out, command);
    appendCommand(out, simhost::EventCommand{});
    return out;
}

simhost::CommandListBytes commandList(const std::vector<simhost::EventCommand> &commands) {
    simhost::CommandListBytes list;
    list.bytes = encodeCommandList(commands);
    return list;
}

std::vector<simhost::EventCommand> comment(const std::vector<std::string> &lines, int32_t indent) {
    std::vector<simhost::EventCommand> commands;
    for (const std::string &line : lines) {
        const int32_t code = commands.empty() ? simhost::commandCodes::kComment : simhost::commandCodes::kCommentMore;
        commands.push_back({code, indent, line, {}, 0});
    }
    return commands;
}

std::vector<simhost::EventCommand> joined(std::initializer_list<std::vector<simhost::EventCommand>> parts) {
    std::vector<simhost::EventCommand> commands;
    for (const std::vector<simhost::EventCommand> &part : parts) commands.insert(commands.end(), part.begin(), part.end());
    return commands;
}

simhost::EventCommand callCommonEvent(int32_t id, int32_t indent) {
    return {simhost::commandCodes::kCallEvent, indent, "", {simhost::kCallsCommonEvent, id, 0}, 0};
}

Bytes encodeInteger(int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    Bytes groups;
    do {
        groups.insert(groups.begin(), static_cast<uint8_t>(bits & 0x7F));
        bits >>= 7;
    } while (bits != 0);
    for (size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
    return groups;
}

// The plug-in finds the lower layer by scanning for the first byte 0x47, so nothing before that
// section may hold one. The signature and the ids and lengths of sections 1, 2 and 3 never do;
// their values do when their last 7-bit group is 71 (a tileset, width or height of 71, 199, 327,
// ... or a negative value with those low bits). Such a map is refused rather than written into a
// file the plug-in would misread. Sections after the layers (the events) may hold any byte.
std::string mapEncodingProblem(const simhost::GameMap &map) {
    if (map.width < 0 || map.height < 0)
        return "the map size " + std::to_string(map.width) + " x " + std::to_string(map.height) + " is negative";
    if (int64_t{map.width} * map.height > kMostCells)
        return "the map has more than " + std::to_string(kMostCells) + " cells";
    if (holdsLayerMarker(map.tilesetId))
        return "the tileset number " + std::to_string(map.tilesetId) + " would put a byte 0x47 before the lower layer";
    if (holdsLayerMarker(map.width))
        return "the width " + std::to_string(map.width) + " would put a byte 0x47 before the lower layer";
    if (holdsLayerMarker(map.height))
        return "the height " + std::to_string(map.height) + " would put a byte 0x47 before the lower layer";
    const std::string &background = map.backgroundName;
    if (holdsLayerMarker(static_cast<int32_t>(background.size())) ||
        background.find(static_cast<char>(kLayerMarker)) != std::string::npos)
        return "the background's name would put a byte 0x47 before the lower layer";
    return {};
}

Bytes encodeMap(const simhost::GameMap &map) {
    if (!mapEncodingProblem(map).empty()) return {};
    const size_t cells = static_cast<size_t>(map.width) * static_cast<size_t>(map.height);
    Bytes out;
    out.reserve(4 * cells + 64);
    appendSignature(out, kMapSignature, sizeof kMapSignature - 1);
    appendIntegerSection(out, kTilesetSection, map.tilesetId, simhost::kDefaultTilesetId);
    appendIntegerSection(out, kWidthSection, map.width, simhost::kDefaultMapWidth);
    appendIntegerSection(out, kHeightSection, map.height, simhost::kDefaultMapHeight);
    appendIntegerSection(out, kBackgroundFlagSection, map.hasBackground ? 1 : 0, 0);
    appendTextSection(out, kBackgroundNameSection, map.backgroundName);
    appendLayer(out, mapfile::kLowerLayerSection, map.lower, cells);
    appendLayer(out, mapfile::kUpperLayerSection, map.upper, cells);
    if (!map.events.empty()) appendSection(out, kEventsSection, encodeEvents(map.events));
    out.push_back(kEndOfSections);
    return out;
}

Bytes encodeDatabase(const simhost::GameDatabase &db) {
    Bytes out;
    appendSignature(out, kDatabaseSignature, sizeof kDatabaseSignature - 1);
    if (!db.actors.empty()) {
        Bytes list = encodeInteger(static_cast<int32_t>(db.actors.size()));
        for (const simhost::GameActor &actor : db.actors) append(list, encodeActor(actor));
        appendSection(out, kActorListSection, list);
    }
    if (!db.tilesets.empty()) {
        Bytes list = encodeInteger(static_cast<int32_t>(db.tilesets.size()));
        for (const simhost::GameTileset &tileset : db.tilesets) append(list, encodeTileset(tileset));
        appendSection(out, kTilesetListSection, list);
    }
    if (!db.startingParty.empty()) appendSection(out, kSystemSection, encodeSystem(db.startingParty));
    if (!db.commonEvents.empty()) {
        Bytes list = encodeInteger(static_cast<int32_t>(db.commonEvents.size()));
        for (const simhost::GameCommonEvent &event : db.commonEvents) append(list, encodeCommonEvent(event));
        appendSection(out, kCommonEventListSection, list);
    }
    return out; // a database's top-level sections run to the end of the file, with no end mark
}

bool writeMap(const std::filesystem::path &path, const simhost::GameMap &map, std::string *error) {
    const std::string problem = mapEncodingProblem(map);
    if (!problem.empty()) {
        if (error != nullptr) *error = "cannot write the map file " + path.string() + ": " + problem;
        return false;
    }
    return writeFile(path, encodeMap(map), "map file", error);
}

bool writeDatabase(const std::filesystem::path &path, const simhost::GameDatabase &db, std::string *error) {
    return writeFile(path, encodeDatabase(db), "database", error);
}

} // namespace gamefile
