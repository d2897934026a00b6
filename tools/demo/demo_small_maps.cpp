// The demo's small maps beside the island, 20 x 15 cells each, so that a whole-game run shows more
// than one map: a garden pond (map 2), a farm (map 3) and a village square (map 4). Each is drawn
// from a plan of one letter a cell; the tile ids follow from it, each autotile's from its eight
// neighbours.
#include <array>

#include "tools/demo/demo_map.h"
#include "tools/demo/demo_tiles.h"

namespace preview::demo {

using namespace tiles;

namespace {

// One letter a ground: '.' grass, '~' water, ':' sand, '#' square cobbles, '=' road, 'f' tilled
// soil, 'w' 'c' 'r' its wheat, cabbage and carrot rows. Upper-layer things stand on grass: 't'
// tree, 'b' bush, 'o' boulder, '*' '+' flowers.
using Plan = std::array<const char *, kSmallMapHeight>;

const Plan kPondPlan = {
    "t.t.t.t.t.t.t.t.t.t.", "......::::::::......", "....::~~~~~~~~::..*.", "...::~~~~~~~~~~::...",
    "..::~~~~~~~~~~~~::..", "...::~~~~~~~~~~::...", "....::~~~~~~~~::..+.", "......::::::::......",
    ".b........==.....+..", "..........==........", "*...t.....==....t...", "..........==........",
    "...+......==.....*..", "o.........==........", "t.t.t.t.t.==.t.t.t.t",
};

const Plan kFarmPlan = {
    "tt........==......tt", "t.........==.......t", "..ffffff..==..ffff..", "..fwwwwf..==..fccf..",
    "..fwwwwf..==..fccf..", "..ffffff..==..ffff..", "..........==........", "====================",
    "..........==........", "..ffffffff==.ffffff.", "..frrrrrrf==.fwwwwf.", "..frrrrrrf==.fwwwwf.",
    "..ffffffff==.ffffff.", "b.........==.......o", "tt........==......tt",
};

const Plan kSquarePlan = {
    "t.t.t.t..==..t.t.t.t", "..################..", "..######~~~~######..", "..#####~~~~~~#####..",
    "..#####~~~~~~#####..", "..######~~~~######..", "==################==", "==################==",
    "..################..", "..################..", "..################..", "........####........",
    ".+.......==......*..", "b........==........o", "t.t.t.t..==..t.t.t.t",
};

// The grounds an autotile's ground runs on into, as the letters of the plan.
const char *carriedOnBy(char ground) {
    switch (ground) {
    case '~': return "~";
    case ':': return ":~";
    case '#': return "#~=";
    case 'f': return "fwcr";
    default: return "";
    }
}

bool runsOn(const Plan &plan, char ground, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= kSmallMapWidth || y >= kSmallMapHeight) return true; // the edge hides the rim
    const char other = plan[size_t(y)][x];
    for (const char *c = carriedOnBy(ground); *c != '\0'; ++c)
        if (*c == other) return true;
    return false;
}

uint16_t autotile(const Plan &plan, int32_t x, int32_t y, uint16_t first) {
    const char ground = plan[size_t(y)][x];
    auto on = [&](int32_t dx, int32_t dy) { return runsOn(plan, ground, x + dx, y + dy); };
    return uint16_t(first + autotilePattern({on(0, -1), on(1, 0), on(0, 1), on(-1, 0), on(1, -1), on(1, 1), on(-1, 1),
                                             on(-1, -1)}));
}

bool isRoadOrSquare(const Plan &plan, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= kSmallMapWidth || y >= kSmallMapHeight) return true;
    return plan[size_t(y)][x] == '=' || plan[size_t(y)][x] == '#';
}

uint16_t roadTile(const Plan &plan, int32_t x, int32_t y) {
    return uint16_t(kRoad + (isRoadOrSquare(plan, x, y - 1) ? kNorth : 0) +
                    (isRoadOrSquare(plan, x + 1, y) ? kEast : 0) + (isRoadOrSquare(plan, x, y + 1) ? kSouth : 0) +
                    (isRoadOrSquare(plan, x - 1, y) ? kWest : 0));
}

uint16_t lowerTile(const Plan &plan, int32_t x, int32_t y) {
    switch (plan[size_t(y)][x]) {
    case '~': return autotile(plan, x, y, kSea);
    case ':': return autotile(plan, x, y, kBeach);
    case '#': return autotile(plan, x, y, kPlaza);
    case 'f': return autotile(plan, x, y, kField);
    case 'w': return kWheat;
    case 'c': return kCabbage;
    case 'r': return kCarrots;
    case '=': return roadTile(plan, x, y);
    default: return uint16_t(kGrass + (x * 7 + y * 3) % 11 / 10); // a grass variant here and there
    }
}

uint16_t upperTile(char thing) {
    switch (thing) {
    case 't': return kSmallTree;
    case 'b': return kBush;
    case 'o': return kBoulder;
    case '*': return kRedFlowers;
    case '+': return kYellowFlowers;
    default: return kEmpty;
    }
}

simhost::GameMap mapOf(const Plan &plan, const std::vector<DemoEvent> &events) {
    return composeMap(
        kSmallMapWidth, kSmallMapHeight, [&](int32_t x, int32_t y) { return lowerTile(plan, x, y); },
        [&](int32_t x, int32_t y) { return upperTile(plan[size_t(y)][x]); }, events);
}

} // namespace

std::vector<SmallMap> makeDemoSmallMaps() {
    simhost::GameMap pond = mapOf(kPondPlan, {{1, "Fisher", 8, 7, "Villagers", 4, 0}, {2, "Sheep", 14, 9, "Animals", 2, 1}});
    addPondLines(pond);
    return {
        {2, std::move(pond)},
        {3, mapOf(kFarmPlan, {{1, "Farmer", 5, 6, "Villagers", 5, 2},
                              {2, "Sheep", 15, 13, "Animals", 2, 3},
                              {3, "Dog", 11, 8, "Animals", 0, 1}})},
        {4, mapOf(kSquarePlan, {{1, "Baker", 6, 6, "Villagers", 0, 2},
                                {2, "Elder", 13, 8, "Villagers", 3, 1},
                                {3, "Lamp", 3, 1, "", kLamp - 10000, 2},
                                {4, "Lamp", 16, 1, "", kLamp - 10000, 2}})},
    };
}

} // namespace preview::demo
