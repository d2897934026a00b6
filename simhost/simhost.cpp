// The engine's globals and the table that hands them to the plug-in; characters, the map view,
// variables, host strings and messages. Images live in image.cpp, the screen in screen.cpp, the
// plug-in module in plugin_module.cpp.
#include "simhost/simhost.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <unordered_map>

#include "engine.h"
#include "simhost/game_folder.h"

namespace simhost {
namespace {

FvHostCharacter heroCharacter{};
FvHostCharacter *heroLocation = &heroCharacter;

FvHostEventList eventList{};
bool eventListPresent = true;

FvHostMapView mapViewRecord{0, 0, nullptr, 0, &eventList};
FvHostMapView *mapViewLocation = &mapViewRecord;

FvHostVariables variableRecord{};
FvHostVariables *variablesLocation = &variableRecord;

int32_t mapWidth = 0;
int32_t mapHeight = 0;

constexpr uint8_t kFreshBlockByte = 0xA5;

// What the engine holds beyond plain records. It is never destroyed: a plug-in may still call the
// host while the program exits, and what the engine owns stays reachable for the leak checker.
constexpr int32_t kDefaultBlockLimit = 64 << 20;

struct World {
    // Events are owned one by one so that a character's address survives later additions; the
    // list the plug-in sees is rebuilt from them.
    std::vector<std::unique_ptr<FvHostCharacter>> eventStore;
    std::vector<FvHostCharacter *> eventItems;
    // The first event of the list under each id: the host engine finds an event by its id directly.
    std::unordered_map<int32_t, FvHostCharacter *> eventsById;
    // With reuse on, the characters of a cleared list are kept and handed out again, the last of
    // the list first, as a host that rebuilds its list in the same memory does.
    bool reuseEventMemory = false;
    std::vector<std::unique_ptr<FvHostCharacter>> freedEvents;
    std::vector<uint8_t> tilesetRecordBytes;
    // Sizes of the blocks handed out by resizeBlock, so that bytes a caller asks for but never
    // writes show up as a pattern instead of as whatever the allocator left there.
    std::unordered_map<void *, size_t> blockSizes;
    int32_t blockLimit = kDefaultBlockLimit;
    std::vector<std::string> messageTexts;
    std::vector<std::string> captions;
};

World &world() {
    static World *const theWorld = new World;
    return *theWorld;
}

constexpr const char *kHostCaption = "simhost";

void appendMessage(const char *caption, const char *text) {
    world().captions.emplace_back(caption != nullptr ? caption : "");
    world().messageTexts.emplace_back(text != nullptr ? text : "");
}

void FVAPI showHostMessage(const char *caption, const char *text) { appendMessage(caption, text); }

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

void refreshEventList() {
    std::vector<FvHostCharacter *> &items = world().eventItems;
    items.clear();
    for (const auto &event : world().eventStore) items.push_back(event.get());
    eventList.items = items.empty() ? nullptr : items.data();
    eventList.count = static_cast<int32_t>(items.size());
    mapViewRecord.events = eventListPresent ? &eventList : nullptr;
}

// Returns the length written: names longer than 255 are cut, the length being one byte.
size_t writeName(std::vector<uint8_t> &record, size_t lengthOffset, size_t textOffset, const std::string &name) {
    size_t length = std::min<size_t>(name.size(), 255);
    record[lengthOffset] = static_cast<uint8_t>(length);
    std::copy_n(name.begin(), length, record.begin() + static_cast<std::ptrdiff_t>(textOffset));
    return length;
}

void writeTables(std::vector<uint8_t> &record, const TilesetTables &tables) {
    constexpr size_t kAttributes = 16, kLowerFlags = 340, kUpperFlags = 502;
    for (size_t i = 0; i < std::min<size_t>(tables.attributes.size(), 162); ++i) {
        record[kAttributes + 2 * i] = static_cast<uint8_t>(tables.attributes[i] & 0xFF);
        record[kAttributes + 2 * i + 1] = static_cast<uint8_t>(tables.attributes[i] >> 8);
    }
    for (size_t i = 0; i < std::min<size_t>(tables.lowerFlags.size(), 162); ++i)
        record[kLowerFlags + i] = tables.lowerFlags[i];
    for (size_t i = 0; i < std::min<size_t>(tables.upperFlags.size(), 144); ++i)
        record[kUpperFlags + i] = tables.upperFlags[i];
}

void freeVariables() {
    resizeBlock(reinterpret_cast<void **>(&variableRecord.values), 0);
    variableRecord.count = 0;
}

} // namespace

namespace engine {
void reportProblem(const std::string &text) { appendMessage(kHostCaption, text.c_str()); }
} // namespace engine

} // namespace simhost

#ifdef _WIN32
#define SIMHOST_EXPORT __declspec(dllexport)
#else
#define SIMHOST_EXPORT __attribute__((visibility("default")))
#endif

namespace simhost {
namespace {
// What crosses into the plug-in is C: each entry of the table catches what the engine's C++ may
// throw (a failed allocation) and answers as a host that could not do it: no image, no block,
// nothing loaded or drawn.
template <auto Function> struct HostEntry;

template <class Result, class... Arguments, Result (*Function)(Arguments...)> struct HostEntry<Function> {
    static Result FVAPI call(Arguments... arguments) noexcept {
        try {
            return Function(arguments...);
        } catch (...) {
            if constexpr (!std::is_void_v<Result>) return Result{};
        }
    }
};
} // namespace
} // namespace simhost

extern "C" SIMHOST_EXPORT const FvHostInterface farviewHostInterface = {
    sizeof(FvHostInterface),
    &simhost::heroLocation,
    &simhost::mapViewLocation,
    &simhost::variablesLocation,
    &simhost::engine::screenLocation,
    simhost::HostEntry<simhost::createImage>::call,
    simhost::HostEntry<simhost::setImageSize>::call,
    simhost::HostEntry<simhost::destroyImage>::call,
    simhost::HostEntry<simhost::loadImageFile>::call,
    simhost::HostEntry<simhost::applyPalette>::call,
    simhost::HostEntry<simhost::surfaceRow>::call,
    simhost::HostEntry<simhost::surfacePitch>::call,
    simhost::HostEntry<simhost::drawImage>::call,
    simhost::HostEntry<simhost::stretchDrawImage>::call,
    simhost::HostEntry<simhost::characterScreenX>::call,
    simhost::HostEntry<simhost::characterScreenY>::call,
    simhost::HostEntry<simhost::eventById>::call,
    simhost::HostEntry<simhost::mapSize>::call,
    simhost::HostEntry<simhost::resizeBlock>::call,
    simhost::HostEntry<simhost::makeString>::call,
    simhost::HostEntry<simhost::releaseString>::call,
    simhost::HostEntry<simhost::showHostMessage>::call,
};

namespace simhost {

const FvHostInterface &hostInterface() { return farviewHostInterface; }

void resetEngine() {
    engine::destroyAllImages();
    engine::resetScreen();
    setMapSize(0, 0);
    clearEvents();
    setEventMemoryReuse(false);
    eventListPresent = true;
    refreshEventList();
    releaseString(&heroCharacter.sheetName);
    heroCharacter = FvHostCharacter{};
    heroCharacter.mapId = 1;
    setScroll(0, 0);
    setTilesetRecord({});
    forgetEnteredMap();
    freeVariables();
    world().blockLimit = kDefaultBlockLimit;
    clearMessages();
}

// ---- Messages ------------------------------------------------------------------------------------

const std::vector<std::string> &messages() { return world().messageTexts; }
const std::vector<std::string> &messageCaptions() { return world().captions; }

void clearMessages() {
    world().messageTexts.clear();
    world().captions.clear();
}

// ---- Map, characters, tileset ---------------------------------------------------------------------

void setMapSize(int32_t width, int32_t height) {
    mapWidth = width;
    mapHeight = height;
}

void mapSize(int32_t *width, int32_t *height) {
    if (width != nullptr) *width = mapWidth;
    if (height != nullptr) *height = mapHeight;
}

FvHostCharacter &hero() { return heroCharacter; }

FvHostCharacter &addEvent(int32_t id, int32_t column, int32_t row) {
    std::unique_ptr<FvHostCharacter> event;
    if (world().reuseEventMemory && !world().freedEvents.empty()) {
        event = std::move(world().freedEvents.back());
        world().freedEvents.pop_back();
        *event = FvHostCharacter{};
    } else {
        event = std::make_unique<FvHostCharacter>();
    }
    event->id = id;
    event->mapColumn = column;
    event->mapRow = row;
    world().eventStore.push_back(std::move(event));
    world().eventsById.try_emplace(id, world().eventStore.back().get());
    refreshEventList();
    return *world().eventStore.back();
}

void clearEvents() {
    for (auto &event : world().eventStore) {
        releaseString(&event->sheetName);
        if (world().reuseEventMemory) world().freedEvents.push_back(std::move(event));
    }
    world().eventStore.clear();
    world().eventsById.clear();
    refreshEventList();
}

void setEventMemoryReuse(bool reuse) {
    world().reuseEventMemory = reuse;
    world().freedEvents.clear();
}

void setEventListPresent(bool present) {
    eventListPresent = present;
    refreshEventList();
}

FvHostCharacter *eventById(FvHostEventList *events, int32_t id) {
    if (events == nullptr || events->items == nullptr) return nullptr;
    if (events == &eventList) {
        const auto indexed = world().eventsById.find(id);
        if (indexed != world().eventsById.end() && indexed->second->id == id) return indexed->second;
    }
    // Another list than the host's own, or an id the index does not hold as it is now: an event's id
    // may have been changed after it was added, to this id or away from it.
    for (int32_t i = 0; i < events->count; ++i) {
        FvHostCharacter *event = events->items[i];
        if (event != nullptr && event->id == id) return event;
    }
    return nullptr;
}

void setSheetName(FvHostCharacter &character, const std::string &sheetName) {
    makeString(&character.sheetName, sheetName.data(), static_cast<int32_t>(sheetName.size()));
}

void setScroll(int32_t scrollX, int32_t scrollY) {
    mapViewRecord.scrollX = scrollX;
    mapViewRecord.scrollY = scrollY;
}

void scrollToHero() {
    auto axisScroll = [](int32_t tile, int32_t mapTiles, int32_t screenSize) {
        int64_t centre = 16 * int64_t{tile} + 8;
        int64_t furthest = std::max<int64_t>(0, 16 * int64_t{mapTiles} - screenSize);
        int64_t pixels = std::clamp<int64_t>(centre - screenSize / 2, 0, furthest);
        return clampToInt32(pixels * 16);
    };
    setScroll(axisScroll(heroCharacter.mapColumn, mapWidth, kScreenWidth),
              axisScroll(heroCharacter.mapRow, mapHeight, kScreenHeight));
}

FvHostMapView &mapView() { return mapViewRecord; }

int32_t characterScreenX(const FvHostCharacter *character) {
    if (character == nullptr) return 0;
    return clampToInt32(16 * int64_t{character->mapColumn} + 8 - mapViewRecord.scrollX / 16);
}

int32_t characterScreenY(const FvHostCharacter *character) {
    if (character == nullptr) return 0;
    return clampToInt32(16 * int64_t{character->mapRow} + 16 - mapViewRecord.scrollY / 16);
}

std::vector<uint8_t> makeTilesetRecord(const std::string &tilesetName, const std::string &graphicName,
                                       const TilesetTables &tables) {
    constexpr size_t kCheckByte = 660, kFirstLength = 664, kFirstText = 668, kMarkerBase = 672;
    constexpr uint8_t kSingleStringMarker = 150;
    std::vector<uint8_t> record(kTilesetRecordSize, 0);
    writeTables(record, tables);
    record[kCheckByte] = 0;
    size_t firstLength = writeName(record, kFirstLength, kFirstText, tilesetName.empty() ? graphicName : tilesetName);
    // The marker sits at the first multiple of 4 past the first string and its terminating zero.
    size_t k = 4 * (firstLength / 4);
    if (tilesetName.empty()) {
        record[kMarkerBase + k] = kSingleStringMarker;
    } else {
        record[kMarkerBase + k] = 0;
        writeName(record, 680 + k, 684 + k, graphicName);
    }
    return record;
}

void setTilesetRecord(std::vector<uint8_t> record) {
    std::vector<uint8_t> &bytes = world().tilesetRecordBytes;
    bytes = std::move(record);
    mapViewRecord.tilesetRecord = bytes.empty() ? nullptr : bytes.data();
    mapViewRecord.tilesetRecordSize = static_cast<int32_t>(bytes.size());
}

// ---- Variables and host strings --------------------------------------------------------------------

FvHostVariables &variables() { return variableRecord; }

std::vector<int32_t> variableValues() {
    if (variableRecord.values == nullptr || variableRecord.count <= 0) return {};
    size_t count = static_cast<size_t>(variableRecord.count);
    const auto &blockSizes = world().blockSizes;
    auto known = blockSizes.find(variableRecord.values);
    if (known != blockSizes.end()) count = std::min(count, known->second / sizeof(int32_t));
    return std::vector<int32_t>(variableRecord.values, variableRecord.values + count);
}

bool resizeBlock(void **block, int32_t bytes) {
    if (block == nullptr) return false;
    auto &blockSizes = world().blockSizes;
    if (bytes <= 0) {
        blockSizes.erase(*block);
        std::free(*block);
        *block = nullptr;
        return true;
    }
    if (bytes > world().blockLimit) return false;
    auto known = blockSizes.find(*block);
    size_t oldSize = known != blockSizes.end() ? known->second : 0;
    void *grown = std::realloc(*block, static_cast<size_t>(bytes));
    if (grown == nullptr) return false; // out of memory: the old block stays as it was
    if (known != blockSizes.end()) blockSizes.erase(known);
    if (static_cast<size_t>(bytes) > oldSize)
        std::memset(static_cast<uint8_t *>(grown) + oldSize, kFreshBlockByte, static_cast<size_t>(bytes) - oldSize);
    blockSizes[grown] = static_cast<size_t>(bytes);
    *block = grown;
    return true;
}

void setBlockLimit(int32_t bytes) { world().blockLimit = bytes; }

// A host string is one allocation: a 32-bit length, the characters, a zero byte.
void makeString(FvHostString *slot, const char *characters, int32_t length) {
    if (slot == nullptr) return;
    releaseString(slot);
    if (characters == nullptr || length < 0) length = 0;
    auto *block = static_cast<char *>(std::malloc(sizeof(int32_t) + static_cast<size_t>(length) + 1));
    if (block == nullptr) return;
    std::memcpy(block, &length, sizeof length);
    if (length > 0) std::memcpy(block + sizeof(int32_t), characters, static_cast<size_t>(length));
    block[sizeof(int32_t) + static_cast<size_t>(length)] = '\0';
    *slot = block + sizeof(int32_t);
}

void releaseString(FvHostString *slot) {
    if (slot == nullptr || *slot == nullptr) return;
    std::free(*slot - sizeof(int32_t));
    *slot = nullptr;
}

std::string hostStringText(FvHostString string) {
    if (string == nullptr) return {};
    int32_t length = 0;
    std::memcpy(&length, string - sizeof(int32_t), sizeof length);
    return std::string(string, static_cast<size_t>(std::max(length, 0)));
}

} // namespace simhost
