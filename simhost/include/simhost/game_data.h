// A game's own files as the stand-in host reads them: its maps (tile layers, tileset, events,
// background) and its database's tilesets, actors and starting party. Texts are kept as the files
// hold them, in the game's code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simhost {

// The sections of a game's map files and database, and their sub-sections, by id.
namespace sections {
constexpr uint32_t kTilesetSection = 0x01;
constexpr uint32_t kWidthSection = 0x02;
constexpr uint32_t kHeightSection = 0x03;
constexpr uint32_t kBackgroundFlagSection = 0x1F, kBackgroundNameSection = 0x20;
constexpr uint32_t kLowerLayerSection = 0x47;
constexpr uint32_t kUpperLayerSection = 0x48;
constexpr uint32_t kEventsSection = 0x51;
// Sub-sections of an event and of an event page.
constexpr uint32_t kEventName = 0x01, kEventColumn = 0x02, kEventRow = 0x03, kEventPages = 0x05;
constexpr uint32_t kPageSheetName = 0x15, kPageSheetIndex = 0x16, kPageFacing = 0x17, kPageStep = 0x18;
constexpr uint32_t kPageConditions = 0x02, kPageTrigger = 0x21, kPageCommandsLength = 0x33, kPageCommands = 0x34;
constexpr uint32_t kConditionFlags = 0x01; // inside a page's conditions
// Database sections and the sub-sections of a tileset, an actor and the System section.
constexpr uint32_t kActorListSection = 0x0B, kTilesetListSection = 0x14, kSystemSection = 0x16;
constexpr uint32_t kTilesetName = 0x01, kTilesetGraphic = 0x02, kTilesetAttributes = 0x03;
constexpr uint32_t kTilesetLowerFlags = 0x04, kTilesetUpperFlags = 0x05;
constexpr uint32_t kActorSheetName = 0x03, kActorSheetIndex = 0x04;
constexpr uint32_t kSystemPartySize = 0x15, kSystemParty = 0x16;
// The database's common events and their sub-sections.
constexpr uint32_t kCommonEventListSection = 0x19;
constexpr uint32_t kCommonEventName = 0x01, kCommonEventTrigger = 0x0B, kCommonEventHasSwitch = 0x0C;
constexpr uint32_t kCommonEventSwitch = 0x0D, kCommonEventCommandsLength = 0x15, kCommonEventCommands = 0x16;
} // namespace sections

// Values the files leave out because they equal these defaults.
constexpr int32_t kDefaultTilesetId = 1;
constexpr int32_t kDefaultMapWidth = 20;
constexpr int32_t kDefaultMapHeight = 15;
constexpr int32_t kDefaultFacing = 2;
constexpr int32_t kDefaultAnimationStep = 1;

// What starts an event page's command list (a common event's too, which adds kCalledOnly).
namespace triggers {
constexpr int32_t kActionKey = 0;      // the hero presses the action key facing it (the default)
constexpr int32_t kTouchedByHero = 1;  // the hero walks onto or into it
constexpr int32_t kTouchedByEvent = 2; // it walks into the hero
constexpr int32_t kAutoStart = 3;      // runs as soon as the map is entered
constexpr int32_t kParallel = 4;       // runs beside the game from entry on
constexpr int32_t kCalledOnly = 5;     // a common event that runs only when called
} // namespace triggers

// A command list as the file holds it. Lists are decoded only when their lines are asked for
// (simhost/event_commands.h), so that a tool that only draws maps does not pay for them.
struct CommandListBytes {
    std::vector<uint8_t> bytes;
    size_t fileOffset = 0;                  // of the first byte, so that a fault names its byte
    std::optional<uint32_t> declaredLength; // what the section before the list says its length is
};

struct GameEventPage {
    std::string sheetName; // empty: the event is shown as a tile (sheetIndex)
    int32_t sheetIndex = 0;
    int32_t facing = kDefaultFacing;
    int32_t animationStep = kDefaultAnimationStep;
    int32_t trigger = triggers::kActionKey;
    uint32_t conditionFlags = 0; // 0: the page has no condition
    CommandListBytes commands;
};

struct GameEvent {
    int32_t id = 0;
    std::string name;
    int32_t column = 0;
    int32_t row = 0;
    std::vector<GameEventPage> pages; // the host shows the first
};

// The plug-in finds a map's lower layer by the first byte 0x47 in its file, the layer section's
// id. A byte 0x47 before that section (a width, height or tileset number whose last 7-bit group is
// 71, a background name holding a "G") is taken for it, and the tiles are read from there.
struct StrayLayerMark {
    size_t offset = 0;      // of that byte in the file
    uint32_t sectionId = 0; // the section that holds it; 0: the file's signature
};

struct GameMap {
    int32_t tilesetId = kDefaultTilesetId;
    int32_t width = kDefaultMapWidth;
    int32_t height = kDefaultMapHeight;
    std::vector<uint16_t> lower; // width * height ids, row by row
    std::vector<uint16_t> upper;
    std::vector<GameEvent> events;
    bool hasBackground = false;                   // the map shows an image of Panorama/ above the horizon
    std::string backgroundName;                   // that file's name, without folder or extension
    std::optional<StrayLayerMark> strayLayerMark; // none: the plug-in reads the layers where they are
};

constexpr int32_t kTilesetAttributeCount = 162;
constexpr int32_t kTilesetLowerFlagCount = 162;
constexpr int32_t kTilesetUpperFlagCount = 144;

struct GameTileset {
    int32_t id = 0;
    std::string name;
    std::string graphicName;          // the ChipSet graphic's file name, without extension
    std::vector<uint16_t> attributes; // kTilesetAttributeCount entries when present
    std::vector<uint8_t> lowerFlags;  // kTilesetLowerFlagCount
    std::vector<uint8_t> upperFlags;  // kTilesetUpperFlagCount
};

struct GameActor {
    int32_t id = 0;
    std::string sheetName; // the CharSet sheet's file name, without extension; empty: none
    int32_t sheetIndex = 0;
};

struct GameCommonEvent {
    int32_t id = 0;
    std::string name;
    int32_t trigger = triggers::kCalledOnly;
    bool switchStarts = false; // a switch starts it (switchId)
    int32_t switchId = 0;
    CommandListBytes commands;
};

struct GameDatabase {
    std::vector<GameTileset> tilesets;
    std::vector<GameCommonEvent> commonEvents;
    std::vector<GameActor> actors;
    std::vector<int32_t> startingParty; // actor ids, the party's leader first
    // Why the actor list or the starting party cannot be used ("Cannot read "Game.ldb" at byte
    // ..."), empty when they were read: a fault there costs the hero his look, not the tilesets.
    std::string actorsFault;
    std::string partyFault;
    std::string commonEventsFault; // likewise: a fault there costs the game's called lines
};

} // namespace simhost
