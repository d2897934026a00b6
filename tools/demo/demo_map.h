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

simhost::GameMap makeDemoMap();
simhost::GameDatabase makeDemoDatabase();

} // namespace preview::demo
