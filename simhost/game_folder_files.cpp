// Reading map files and the database. Every read goes through a Cursor bounded by its section, so
// a fault anywhere (a truncated file, a length or count too large, an over-long integer) is caught
// at the byte where it lies and nothing past the end is touched.
#include <cstdio>
#include <fstream>
#include <utility>

#include "simhost/game_folder.h"

namespace simhost {
namespace {

using namespace sections;

// Five groups of 7 bits hold 35 bits; values are 32-bit.
constexpr int kMostIntegerGroups = 5;
// The fewest bytes a list entry takes: its id and the end mark of its sub-sections.
constexpr size_t kSmallestEntry = 2;

struct FileFault {
    size_t offset;
    std::string problem;
};

std::string hex(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(id));
    return text;
}

// A window on the file's bytes. Offsets are from the start of the file, so that every fault can
// name the byte where it lies.
class Cursor {
public:
    Cursor() = default;
    explicit Cursor(const std::vector<uint8_t> &bytes) : data_(bytes.data()), end_(bytes.size()), scope_("the file") {}

    size_t offset() const { return position_; }
    size_t left() const { return end_ - position_; }

    [[noreturn]] void fail(size_t offset, const std::string &problem) const { throw FileFault{offset, problem}; }

    uint32_t readUnsigned(const std::string &what) {
        const size_t start = position_;
        uint64_t value = 0;
        for (int groups = 1;; ++groups) {
            if (position_ == end_)
                fail(start, scope_ + (position_ == start ? " ends before " : " ends inside ") + what);
            const uint8_t byte = data_[position_++];
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) break;
            if (groups == kMostIntegerGroups)
                fail(start, what + " runs past " + std::to_string(kMostIntegerGroups) + " groups");
        }
        if (value > UINT32_MAX) fail(start, what + " is larger than 32 bits");
        return static_cast<uint32_t>(value);
    }

    // Values past 2^31 - 1 are negative numbers in 32-bit two's complement.
    int32_t readSigned(const std::string &what) {
        const uint32_t bits = readUnsigned(what);
        return bits <= INT32_MAX ? static_cast<int32_t>(bits) : -static_cast<int32_t>(~bits) - 1;
    }

    // The next length bytes as a cursor of their own; the length was checked against left().
    Cursor take(size_t length, std::string scope) {
        Cursor part = *this;
        part.end_ = position_ + length;
        part.scope_ = std::move(scope);
        position_ += length;
        return part;
    }

    std::string rest() {
        std::string text(reinterpret_cast<const char *>(data_ + position_), left());
        position_ = end_;
        return text;
    }

    uint8_t byte() { return data_[position_++]; } // the caller checked left()

    void expectEnd(const std::string &what) const {
        if (left() != 0) fail(position_, std::to_string(left()) + " bytes follow " + what + " in " + scope_);
    }

    // A count of entries that each take at least entrySize bytes: a larger count than the bytes
    // left can hold is refused where it stands, not at whichever entry runs out.
    uint32_t readCount(const std::string &what, size_t entrySize) {
        const size_t start = position_;
        const uint32_t count = readUnsigned(what);
        if (count > left() / entrySize)
            fail(start, what + " " + std::to_string(count) + " is larger than the " + std::to_string(left()) +
                            " bytes left in " + scope_ + " can hold");
        return count;
    }

    const std::string &scope() const { return scope_; }

private:
    const uint8_t *data_ = nullptr;
    size_t position_ = 0;
    size_t end_ = 0;
    std::string scope_;
};

struct Section {
    uint32_t id = 0;
    size_t offset = 0;
    Cursor data;
};

// The next section of a list, or false at the list's end mark (an id 0). Either way
// section.offset is where it begins.
bool nextSection(Cursor &list, Section &section) {
    const size_t start = list.offset();
    section.offset = start;
    const uint32_t id = list.readUnsigned("a section id");
    if (id == 0) return false;
    const uint32_t length = list.readUnsigned("the length of section " + hex(id));
    if (length > list.left())
        list.fail(start, "section " + hex(id) + " is " + std::to_string(length) + " bytes long but " + list.scope() +
                             " has only " + std::to_string(list.left()) + " left");
    section.id = id;
    section.data = list.take(length, "section " + hex(id));
    return true;
}

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

void skipSignature(Cursor &file) {
    const size_t start = file.offset();
    const uint32_t length = file.readUnsigned("the signature's length");
    if (length > file.left())
        file.fail(start, "the signature is " + std::to_string(length) + " bytes long but the file has only " +
                             std::to_string(file.left()) + " left");
    file.take(length, "the signature");
}

// ---- Maps ----------------------------------------------------------------------------------------

GameEventPage readPage(Cursor &pages) {
    GameEventPage page;
    pages.readUnsigned("a page id");
    for (Section section; nextSection(pages, section);) {
        switch (section.id) {
        case kPageSheetName: page.sheetName = section.data.rest(); break;
        case kPageSheetIndex: page.sheetIndex = readValue(section); break;
        case kPageFacing: page.facing = readValue(section); break;
        case kPageStep: page.animationStep = readValue(section); break;
        default: break;
        }
    }
    return page;
}

std::vector<GameEventPage> readPages(Cursor &data) {
    const uint32_t count = data.readCount("the page count", kSmallestEntry);
    std::vector<GameEventPage> pages;
    for (uint32_t i = 0; i < count; ++i) pages.push_back(readPage(data));
    data.expectEnd("the pages");
    return pages;
}

GameEvent readEvent(Cursor &events) {
    GameEvent event;
    event.id = events.readSigned("an event id");
    for (Section section; nextSection(events, section);) {
        switch (section.id) {
        case kEventName: event.name = section.data.rest(); break;
        case kEventColumn: event.column = readValue(section); break;
        case kEventRow: event.row = readValue(section); break;
        case kEventPages: event.pages = readPages(section.data); break;
        default: break;
        }
    }
    return event;
}

std::vector<GameEvent> readEvents(Cursor &data) {
    const uint32_t count = data.readCount("the event count", kSmallestEntry);
    std::vector<GameEvent> events;
    for (uint32_t i = 0; i < count; ++i) events.push_back(readEvent(data));
    data.expectEnd("the events");
    return events;
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

GameMap readMap(const std::vector<uint8_t> &bytes) {
    Cursor file(bytes);
    skipSignature(file);
    GameMap map;
    Section lower, upper;
    bool hasLower = false, hasUpper = false;
    Section section;
    while (nextSection(file, section)) {
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
        case kEventsSection: map.events = readEvents(section.data); break;
        default: break;
        }
    }
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

std::vector<GameTileset> readTilesets(Cursor &data) {
    const uint32_t count = data.readCount("the tileset count", kSmallestEntry);
    std::vector<GameTileset> tilesets;
    for (uint32_t i = 0; i < count; ++i) tilesets.push_back(readTileset(data));
    data.expectEnd("the tilesets");
    return tilesets;
}

GameDatabase readDatabaseSections(const std::vector<uint8_t> &bytes) {
    Cursor file(bytes);
    skipSignature(file);
    GameDatabase db;
    // Real databases end their top-level list at the end of the file, without the id 0 that ends
    // every other list; one that has it is read as well.
    for (Section section; file.left() > 0 && nextSection(file, section);)
        if (section.id == kTilesetListSection) db.tilesets = readTilesets(section.data);
    return db;
}

template <typename Record, typename Reader>
bool readWhole(const std::vector<uint8_t> &bytes, const std::string &fileName, Record &record, std::string *error,
               Reader reader) {
    try {
        record = reader(bytes);
        return true;
    } catch (const FileFault &fault) {
        if (error != nullptr)
            *error = "Cannot read \"" + fileName + "\" at byte " + std::to_string(fault.offset) + ": " + fault.problem;
        return false;
    }
}

} // namespace

bool readMapFile(const std::vector<uint8_t> &bytes, const std::string &fileName, GameMap &map, std::string *error) {
    return readWhole(bytes, fileName, map, error, readMap);
}

bool readDatabase(const std::vector<uint8_t> &bytes, const std::string &fileName, GameDatabase &db,
                  std::string *error) {
    return readWhole(bytes, fileName, db, error, readDatabaseSections);
}

bool readGameFile(const std::filesystem::path &path, std::vector<uint8_t> &bytes, std::string *error) {
    auto refuse = [&](const std::string &problem) {
        if (error != nullptr) *error = "Cannot read \"" + path.string() + "\": " + problem;
        return false;
    };
    std::error_code failure;
    if (!std::filesystem::is_regular_file(path, failure)) return refuse("there is no such file");
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
