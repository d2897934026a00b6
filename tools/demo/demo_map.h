// The demo game's map and database, as records for the game writer. Private to the demo's files
// and its tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/game_data.h"

namespace preview::demo {

constexpr int32_t kMapWidth = 64;
constexpr int32_t kMapHeight = 64;

// The neighbour pattern (0 to 46) of an autotile cell: which of its eight neighbours carry on its
// ground. An edge shows on every side whose neighbour does not; an inner corner shows where the
// two sides carry on and the diagonal neighbour between them does not.
struct Neighbours {
    bool north, east, south, west, northEast, southEast, southWest, northWest;
};
int32_t autotilePattern(const Neighbours &carriesOn);

// An event of the demo map: its first page's sheet, or the upper tile it shows when the sheet is
// empty (sheetIndex = upper id - 10000).
struct DemoEvent {
    int32_t id;
    const char *name;
    int32_t column, row;
    const char *sheet;
    int32_t sheetIndex, facing;
};
const std::vector<DemoEvent> &demoEvents();

// The game's event for a demo event: one page, showing its sheet or tile.
simhost::GameEvent gameEvent(const DemoEvent &demoEvent);

// A map of width x height cells whose ids lowerAt(x, y) and upperAt(x, y) give, row by row, with
// the events.
template <class Lower, class Upper>
simhost::GameMap composeMap(int32_t width, int32_t height, Lower lowerAt, Upper upperAt,
                            const std::vector<DemoEvent> &events) {
    simhost::GameMap map;
    map.width = width;
    map.height = height;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            map.lower.push_back(lowerAt(x, y));
            map.upper.push_back(upperAt(x, y));
        }
    }
    for (const DemoEvent &event : events) map.events.push_back(gameEvent(event));
    return map;
}

simhost::GameMap makeDemoMap();
simhost::GameDatabase makeDemoDatabase();

// The game's own Farview lines (demo_lines.cpp): the common event every set-up calls, the island's
// set-up and signpost, and the pond's set-up.
constexpr int32_t kSignpostEvent = 12;
constexpr int32_t kIslandSetUpEvent = 23;
constexpr int32_t kPondSetUpEvent = 3;
simhost::GameCommonEvent viewValuesEvent();
void addIslandLines(simhost::GameMap &map);
void addPondLines(simhost::GameMap &map);

// The small maps beside the island (demo_small_maps.cpp), all of the island's tileset.
constexpr int32_t kSmallMapWidth = 20;
constexpr int32_t kSmallMapHeight = 15;
struct SmallMap {
    int32_t id;
    simhost::GameMap map;
};
std::vector<SmallMap> makeDemoSmallMaps();

} // namespace preview::demo
