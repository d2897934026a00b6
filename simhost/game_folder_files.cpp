// Reading map files and the database, through Cursors (game_file_cursor.h).
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <utility>

#include "game_file_cursor.h"
#include "game_folder_names.h"
#include "simhost/game_folder.h"

namespace simhost {
namespace {

using namespace sections;

// The fewest bytes a list entry takes: its id and the end mark of its sub-sections.
constexpr size_t kSmallestEntry = 2;

int32_t readValue(Section &section) {
    const int32_t value = section.data.readSigned("the value");
    section.data.expectEnd("the value");
    return value;
}

int32_t readSize(Section &section, const char *what) {
    const int32_t value = readValue(section);
    if (value < 0)
        section.data.fail(section.offset, std::string("the ") + what + " " + std::to_string(value) + " is negative");
    return value;
}

// A list of entries: their count, then each entry (an id and its sub-sections), and nothing after.
template <typename Entry> std::vector<Entry> readList(Cursor &data, const std::string &entry, Entry (*read)(Cursor &)) {
    const uint32_t count = data.readCount("the " + entry + " count", kSmallestEntry);
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < count; ++i) entries.push_back(read(data));
    data.expectEnd("the " + entry + "s");
    return entries;
}

// ---- Maps ----------------------------------------------------------------------------------------

// A length is a count of bytes: a negative one is a fault.
uint32_t readLength(Section &section) {
    return static_cast<uint32_t>(readSize(section, "command list's length"));
}

void readCommandBytes(Section &section, CommandListBytes &list) {
    CommandBytesView view = section.data.restBytes();
    list.bytes = std::move(view.bytes);
    list.fileOffset = view.fileOffset;
}

// A page's conditions are sub-sections of their own; the bit set of sub-section 0x01 is all the
// stand-in host reads. They end with an id 0, or at the section's end.
uint32_t readConditionFlags(Cursor &conditions) {
    uint32_t flags = 0;
    for (Section section; conditions.left() > 0 && nextSection(conditions, section);)
        if (section.id == kConditionFlags) flags = static_cast<uint32_t>(readValue(section));
    return flags;
}

GameEventPage readPage(Cursor &pages) {
    GameEventPage page;
    pages.readUnsigned("a page id");
    for (Section section; nextSection(pages, section);) {
        switch (section.id) {
        case kPageSheetName: page.sheetName = section.data.rest(); break;
        case kPageSheetIndex: page.sheetIndex = readValue(section); break;
        case kPageFacing: page.facing = readValue(section); break;
        case kPageStep: page.animationStep = readValue(section); break;
        case kPageConditions: page.conditionFlags = readConditionFlags(section.data); break;
        case kPageTrigger: page.trigger = readValue(section); break;
        case kPageCommandsLength: page.commands.declaredLength = readLength(section); break;
        case kPageCommands: readCommandBytes(section, page.commands); break;
        default: break;
        }
    }
    return page;
}

GameEvent readEvent(Cursor &events) {
    GameEvent event;
    event.id = events.readSigned("an event id");
    for (Section section; nextSection(events, section);) {
        switch (section.id) {
        case kEventName: event.name = section.data.rest(); break;
        case kEventColumn: event.column = readValue(section); break;
        case kEventRow: event.row = readValue(section); break;
        case kEventPages: event.pages = readList(section.data, "page", readPage); break;
        default: break;
        }
    }
    return event;
}

// A layer must hold exactly the map's cells; where the size sections stand does not matter, so the
// layers are checked once every section is read.
std::vector<uint16_t> readLayer(Section *layer, const char *name, const GameMap &map, size_t endMark,
                                const Cursor &file) {
    const uint64_t cells = uint64_t(map.width) * uint64_t(map.height);
    if (layer == nullptr) {
        if (cells == 0) return {};
        file.fail(endMark, std::string("the file has no ") + name + " section");
    }
    Cursor &data = layer->data;
    if (data.left() != 2 * cells)
        data.fail(layer->offset, std::string("the ") + name + " holds " + std::to_string(data.left()) + " bytes, a " +
                                     std::to_string(map.width) + " x " + std::to_string(map.height) + " map needs " +
                                     std::to_string(2 * cells));
    std::vector<uint16_t> ids(cells);
    for (uint16_t &id : ids) {
        const uint8_t low = data.byte();
        id = static_cast<uint16_t>(low | (data.byte() << 8));
    }
    return ids;
}

// The first byte 0x47 among bytes [begin, end), as held by section id.
std::optional<StrayLayerMark> layerMarkIn(const std::vector<uint8_t> &bytes, size_t begin, size_t end, uint32_t id) {
    const auto first = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(end), kLowerLayerSection);
    if (first == bytes.begin() + static_cast<std::ptrdiff_t>(end)) return std::nullopt;
    return StrayLayerMark{static_cast<size_t>(first - bytes.begin()), id};
}

GameMap readMap(const std::vector<uint8_t> &bytes) {
    Cursor file(bytes);
    file.skipLengthPrefixed("signature");
    GameMap map;
    std::optional<StrayLayerMark> stray = layerMarkIn(bytes, 0, file.offset(), 0);
    Section lower, upper;
    bool hasLower = false, hasUpper = false;
    Section section;
    while (nextSection(file, section)) {
        if (!hasLower && !stray && section.id != kLowerLayerSection)
            stray = layerMarkIn(bytes, section.offset, file.offset(), section.id);
        switch (section.id) {
        case kTilesetSection: map.tilesetId = readValue(section); break;
        case kWidthSection: map.width = readSize(section, "width"); break;
        case kHeightSection: map.height = readSize(section, "height"); break;
        case kLowerLayerSection:
            lower = section;
            hasLower = true;
            break;
        case kUpperLayerSection:
            upper = section;
            hasUpper = true;
            break;
        case kEventsSection: map.events = readList(section.data, "event", readEvent); break;
        case kBackgroundFlagSection: map.hasBackground = readValue(section) != 0; break;
        case kBackgroundNameSection: map.backgroundName = section.data.rest(); break;
        default: break;
        }
    }
    if (hasLower) map.strayLayerMark = stray;
    const size_t endMark = section.offset;
    map.lower = readLayer(hasLower ? &lower : nullptr, "lower layer", map, endMark, file);
    map.upper = readLayer(hasUpper ? &upper : nullptr, "upper layer", map, endMark, file);
    return map;
}

// ---- The database -------------------------------------------------------------------------------

void checkTableSize(const Section &section, const char *name, size_t bytes) {
    if (section.data.left() != bytes)
        section.data.fail(section.offset, std::string("the ") + name + " table holds " +
                                              std::to_string(section.data.left()) + " bytes, not " +
                                              std::to_string(bytes));
}

std::vector<uint16_t> readWordTable(Section &section, const char *name, size_t count) {
    checkTableSize(section, name, 2 * count);
    std::vector<uint16_t> values(count);
    for (uint16_t &value : values) {
        const uint8_t low = section.data.byte();
        value = static_cast<uint16_t>(low | (section.data.byte() << 8));
    }
    return values;
}

std::vector<uint8_t> readByteTable(Section &section, const char *name, size_t count) {
    checkTableSize(section, name, count);
    std::vector<uint8_t> values(count);
    for (uint8_t &value : values) value = section.data.byte();
    return values;
}

GameTileset readTileset(Cursor &list) {
    GameTileset tileset;
    tileset.id = list.readSigned("a tileset id");
    for (Section section; nextSection(list, section);) {
        switch (section.id) {
        case kTilesetName: tileset.name = section.data.rest(); break;
        case kTilesetGraphic: tileset.graphicName = section.data.rest(); break;
        case kTilesetAttributes:
            tileset.attributes = readWordTable(section, "attribute", kTilesetAttributeCount);
            break;
        case kTilesetLowerFlags:
            tileset.lowerFlags = readByteTable(section, "lower flag", kTilesetLowerFlagCount);
            break;
        case kTilesetUpperFlags:
            tileset.upperFlags = readByteTable(section, "upper flag", kTilesetUpperFlagCount);
            break;
        default: break;
        }
    }
    return tileset;
}

GameActor readActor(Cursor &list) {
    GameActor actor;
    actor.id = list.readSigned("an actor id");
    for (Section section; nextSection(list, section);) {
        switch (section.id) {
        case kActorSheetName: actor.sheetName = section.data.rest(); break;
        case kActorSheetIndex: actor.sheetIndex = readValue(section); break;
        default: break;
        }
    }
    return actor;
}

GameCommonEvent readCommonEvent(Cursor &list) {
    GameCommonEvent event;
    event.id = list.readSigned("a common event's id");
    for (Section section; nextSection(list, section);) {
        switch (section.id) {
        case kCommonEventName: event.name = section.data.rest(); break;
        case kCommonEventTrigger: event.trigger = readValue(section); break;
        case kCommonEventHasSwitch: event.switchStarts = readValue(section) != 0; break;
        case kCommonEventSwitch: event.switchId = readValue(section); break;
        case kCommonEventCommandsLength: event.commands.declaredLength = readLength(section); break;
        case kCommonEventCommands: readCommandBytes(section, event.commands); break;
        default: break;
        }
    }
    return event;
}

// The System's sub-sections end at the section's end, or at an id 0 before it.
std::vector<int32_t> readStartingParty(Cursor &system) {
    int32_t size = 0;
    Section members;
    bool hasMembers = false;
    size_t sizeOffset = 0;
    for (Section section; system.left() > 0 && nextSection(system, section);) {
        if (section.id == kSystemPartySize) {
            size = readValue(section);
            sizeOffset = section.offset;
        } else if (section.id == kSystemParty) {
            members = section;
            hasMembers = true;
        }
    }
    if (size < 0) system.fail(sizeOffset, "the starting party's size " + std::to_string(size) + " is negative");
    const size_t needed = 2 * static_cast<size_t>(size);
    const size_t held = hasMembers ? members.data.left() : 0;
    if (held % 2 != 0 || held < needed)
        system.fail(hasMembers ? members.offset : sizeOffset,
                    "the starting party's members take " + std::to_string(held) + " bytes, " + std::to_string(size) +
                        (size == 1 ? " member needs " : " members need ") + std::to_string(needed) +
                        (held % 2 != 0 ? " (two bytes each)" : ""));
    std::vector<int32_t> party;
    for (int32_t i = 0; i < size; ++i) {
        const uint8_t low = members.data.byte();
        party.push_back(low | (members.data.byte() << 8));
    }
    return party;
}

// A fault inside the section is kept in *fault: the rest of the file can still be used.
template <typename Value, typename Reader>
void readPart(Section &section, const std::string &fileName, Value &value, std::string &fault, Reader reader) {
    try {
        value = reader(section.data);
        fault.clear();
    } catch (const FileFault &inside) {
        value = Value{};
        fault = faultMessage(fileName, inside);
    }
}

GameDatabase readDatabaseSections(const std::vector<uint8_t> &bytes, const std::string &fileName) {
    Cursor file(bytes);
    file.skipLengthPrefixed("signature");
    GameDatabase db;
    // Real databases end their top-level list at the end of the file, without the id 0 that ends
    // every other list; one that has it is read as well.
    for (Section section; file.left() > 0 && nextSection(file, section);) {
        switch (section.id) {
        case kTilesetListSection: db.tilesets = readList(section.data, "tileset", readTileset); break;
        case kActorListSection:
            readPart(section, fileName, db.actors, db.actorsFault,
                     [](Cursor &data) { return readList(data, "actor", readActor); });
            break;
        case kSystemSection: readPart(section, fileName, db.startingParty, db.partyFault, readStartingParty); break;
        case kCommonEventListSection:
            readPart(section, fileName, db.commonEvents, db.commonEventsFault,
                     [](Cursor &data) { return readList(data, "common event", readCommonEvent); });
            break;
        default: break;
        }
    }
    return db;
}

} // namespace

bool readMapFile(const std::vector<uint8_t> &bytes, const std::string &fileName, GameMap &map, std::string *error) {
    return readWhole(bytes, fileName, map, error, readMap);
}

bool readDatabase(const std::vector<uint8_t> &bytes, const std::string &fileName, GameDatabase &db,
                  std::string *error) {
    return readWhole(bytes, fileName, db, error,
                     [&fileName](const std::vector<uint8_t> &file) { return readDatabaseSections(file, fileName); });
}

bool readTextFile(const std::filesystem::path &path, std::string &text, std::string *error) {
    std::vector<uint8_t> bytes;
    if (!readGameFile(path, bytes, error)) return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

namespace {

struct FilesOnTheirWay {
    std::set<std::string> files; // by onTheWayKey
    std::vector<std::filesystem::path> asked;
    size_t asks = 0;
};

FilesOnTheirWay &filesOnTheirWay() {
    static FilesOnTheirWay files;
    return files;
}

std::string onTheWayKey(const std::filesystem::path &file) {
    std::error_code failure;
    return std::filesystem::absolute(file, failure).lexically_normal().generic_string();
}

} // namespace

void setFilesOnTheirWay(const std::vector<std::filesystem::path> &files) {
    FilesOnTheirWay &onTheirWay = filesOnTheirWay();
    onTheirWay.files.clear();
    onTheirWay.asked.clear();
    for (const std::filesystem::path &file : files) onTheirWay.files.insert(onTheWayKey(file));
}

void fileArrived(const std::filesystem::path &file) { filesOnTheirWay().files.erase(onTheWayKey(file)); }

bool fileOnItsWay(const std::filesystem::path &file) {
    const FilesOnTheirWay &onTheirWay = filesOnTheirWay();
    return !onTheirWay.files.empty() && onTheirWay.files.count(onTheWayKey(file)) > 0;
}

bool askIfOnItsWay(const std::filesystem::path &file) {
    if (!fileOnItsWay(file)) return false;
    ++filesOnTheirWay().asks;
    std::vector<std::filesystem::path> &asked = filesOnTheirWay().asked;
    const std::filesystem::path key = onTheWayKey(file);
    if (std::find(asked.begin(), asked.end(), key) == asked.end()) asked.push_back(key);
    return true;
}

std::vector<std::filesystem::path> takeAskedFiles() { return std::exchange(filesOnTheirWay().asked, {}); }

size_t filesAskedSoFar() { return filesOnTheirWay().asks; }

bool readGameFile(const std::filesystem::path &path, std::vector<uint8_t> &bytes, std::string *error) {
    auto refuse = [&](const std::string &problem) {
        if (error != nullptr) *error = "Cannot read \"" + path.string() + "\": " + problem;
        return false;
    };
    std::error_code failure;
    if (!std::filesystem::is_regular_file(path, failure)) return refuse("there is no such file");
    if (askIfOnItsWay(path)) return refuse(kStillBeingReadIn);
    const uintmax_t size = std::filesystem::file_size(path, failure);
    if (failure) return refuse(failure.message());
    if (size > kMaxGameFileBytes)
        return refuse("the file is larger than " + std::to_string(kMaxGameFileBytes) + " bytes");
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> contents(static_cast<size_t>(size));
    if (file) file.read(reinterpret_cast<char *>(contents.data()), static_cast<std::streamsize>(size));
    if (!file || file.gcount() != static_cast<std::streamsize>(size)) return refuse("the file cannot be read");
    bytes = std::move(contents);
    return true;
}

} // namespace simhost
