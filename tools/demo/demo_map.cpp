// The demo map: an island with a village plaza and its fountain, a lake drained by a canal to the
// sea, sandy beaches, fields, a fenced pasture, a wood and roads. The ground of every cell is laid
// out first; the tile ids follow from it, each autotile's from its eight neighbours.
#include "tools/demo/demo_map.h"

#include <cmath>

#include "tools/demo/demo_art.h"
#include "tools/demo/demo_tiles.h"

namespace preview::demo {

using namespace tiles;

int32_t autotilePattern(const Neighbours &n) {
    const bool left = !n.west, top = !n.north, right = !n.east, bottom = !n.south;
    const int32_t edges = left + top + right + bottom;
    if (edges == 0)
        return int32_t{!n.northWest} | int32_t{!n.northEast} << 1 | int32_t{!n.southEast} << 2 |
               int32_t{!n.southWest} << 3;
    if (edges == 1) {
        if (left) return 16 | int32_t{!n.northEast} | int32_t{!n.southEast} << 1;
        if (top) return 20 | int32_t{!n.southEast} | int32_t{!n.southWest} << 1;
        if (right) return 24 | int32_t{!n.southWest} | int32_t{!n.northWest} << 1;
        return 28 | int32_t{!n.northWest} | int32_t{!n.northEast} << 1;
    }
    if (edges == 2) {
        if (left && right) return 32;
        if (top && bottom) return 33;
        if (top && left) return 34 + !n.southEast;
        if (top && right) return 36 + !n.southWest;
        if (bottom && right) return 38 + !n.northWest;
        return 40 + !n.northEast;
    }
    if (edges == 3) {
        if (!bottom) return 42;
        if (!right) return 43;
        if (!top) return 44;
        return 45;
    }
    return 46;
}

namespace {

enum class Ground : uint8_t { Sea, Canal, Sand, Grass, Meadow, Field, Crops, Plaza, Road };

bool isWater(Ground g) { return g == Ground::Sea || g == Ground::Canal; }

struct Rect {
    int32_t x, y, width, height;
    bool contains(int32_t column, int32_t row) const {
        return column >= x && row >= y && column < x + width && row < y + height;
    }
};

struct Ellipse {
    double centreX, centreY, radiusX, radiusY;
    double reach(int32_t column, int32_t row) const { // below 1 inside
        const double dx = (column + 0.5 - centreX) / radiusX, dy = (row + 0.5 - centreY) / radiusY;
        return dx * dx + dy * dy;
    }
};

// The island's features, in cells.
constexpr double kIslandCentreX = 32.0, kIslandCentreY = 32.0, kIslandRadius = 23.0;
constexpr Ellipse kLake{39.5, 19.5, 5.6, 3.8};
constexpr Ellipse kLakeOutlet{43.5, 22.0, 2.4, 2.0}; // the bay the canal leaves from
constexpr Rect kPlazaArea{25, 28, 11, 8};
constexpr Rect kFountainArea{29, 30, 3, 3};
constexpr Rect kLakeBounds{33, 15, 14, 10};
constexpr Rect kCanalDown{43, 22, 2, 14}; // from the lake's south shore
constexpr Rect kCanalEast{43, 34, 21, 2}; // and on east to the sea
constexpr Rect kFieldArea{13, 38, 8, 6};
constexpr Rect kSecondFieldArea{15, 45, 6, 4};
constexpr Rect kPastureArea{44, 38, 6, 4};
constexpr Rect kRoads[] = {
    {2, 31, 23, 2},  // west, to the beach and the pier
    {29, 8, 2, 20},  // north
    {36, 31, 20, 2}, // east, over the canal
    {29, 36, 2, 24}, // south
    {22, 40, 7, 2},  // to the field gate, stopping a cell short of it
};
constexpr int32_t kPierRow = 31;

class Terrain {
public:
    Terrain() : ground_(size_t(kMapWidth) * kMapHeight, Ground::Sea), upper_(size_t(kMapWidth) * kMapHeight, kEmpty) {}

    static bool inside(int32_t x, int32_t y) { return x >= 0 && y >= 0 && x < kMapWidth && y < kMapHeight; }
    Ground ground(int32_t x, int32_t y) const { return ground_[index(x, y)]; }
    void setGround(int32_t x, int32_t y, Ground g) {
        if (inside(x, y)) ground_[index(x, y)] = g;
    }
    uint16_t upper(int32_t x, int32_t y) const { return upper_[index(x, y)]; }
    void setUpper(int32_t x, int32_t y, uint16_t id) {
        if (inside(x, y)) upper_[index(x, y)] = id;
    }
    bool is(int32_t x, int32_t y, Ground g) const { return inside(x, y) && ground(x, y) == g; }
    bool bridged(int32_t x, int32_t y) const {
        return inside(x, y) && (upper(x, y) == kBridgeEastWest || upper(x, y) == kBridgeNorthSouth);
    }
    // Whether all eight neighbours are of the ground; the map's outside counts as any ground.
    bool surroundedBy(int32_t x, int32_t y, Ground g) const {
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                if (inside(x + dx, y + dy) && ground(x + dx, y + dy) != g) return false;
        return true;
    }
    template <class Visit> void forEachCell(Visit visit) {
        for (int32_t y = 0; y < kMapHeight; ++y)
            for (int32_t x = 0; x < kMapWidth; ++x) visit(x, y);
    }

private:
    static size_t index(int32_t x, int32_t y) { return size_t(y) * kMapWidth + size_t(x); }
    std::vector<Ground> ground_;
    std::vector<uint16_t> upper_;
};

// ---- Ground ---------------------------------------------------------------------------------------

void shapeIsland(Terrain &t) {
    t.forEachCell([&](int32_t x, int32_t y) {
        const double dx = x + 0.5 - kIslandCentreX, dy = y + 0.5 - kIslandCentreY;
        const double angle = std::atan2(dy, dx);
        const double coast = kIslandRadius + 2.2 * std::sin(3.0 * angle + 0.5) + 1.5 * std::sin(5.0 * angle + 2.0) +
                             1.6 * (smoothNoise(x, y, 4.0, 201) - 0.5);
        if (std::hypot(dx, dy) < coast) t.setGround(x, y, Ground::Grass);
    });
}

void digLakeAndCanal(Terrain &t) {
    t.forEachCell([&](int32_t x, int32_t y) {
        const double wobble = 0.25 * (smoothNoise(x, y, 3.0, 202) - 0.5);
        if (kLakeBounds.contains(x, y) && (kLake.reach(x, y) < 1.0 + wobble || kLakeOutlet.reach(x, y) < 1.0))
            t.setGround(x, y, Ground::Sea);
    });
    t.forEachCell([&](int32_t x, int32_t y) {
        if ((kCanalDown.contains(x, y) || kCanalEast.contains(x, y)) && t.ground(x, y) != Ground::Sea)
            t.setGround(x, y, Ground::Canal);
    });
}

// Sand round the sea and the lake (not the canal, whose quays meet the grass): one cell wide, and
// here and there a second along the coast.
void layBeaches(Terrain &t) {
    auto nearSea = [&](int32_t x, int32_t y, int32_t reach) {
        for (int32_t dy = -reach; dy <= reach; ++dy)
            for (int32_t dx = -reach; dx <= reach; ++dx)
                if (t.is(x + dx, y + dy, Ground::Sea)) return true;
        return false;
    };
    Terrain before = t;
    t.forEachCell([&](int32_t x, int32_t y) {
        if (before.ground(x, y) != Ground::Grass) return;
        const bool coast = std::hypot(x + 0.5 - kIslandCentreX, y + 0.5 - kIslandCentreY) > 15.0;
        if (nearSea(x, y, 1) || (coast && nearSea(x, y, 2) && smoothNoise(x, y, 3.0, 203) > 0.45))
            t.setGround(x, y, Ground::Sand);
    });
}

void layPlazaAndRoads(Terrain &t) {
    for (const Rect &road : kRoads) {
        for (int32_t y = road.y; y < road.y + road.height; ++y) {
            for (int32_t x = road.x; x < road.x + road.width; ++x) {
                if (!Terrain::inside(x, y)) continue;
                if (t.ground(x, y) == Ground::Grass) t.setGround(x, y, Ground::Road);
                if (t.ground(x, y) == Ground::Canal)
                    t.setUpper(x, y, road.width > road.height ? kBridgeEastWest : kBridgeNorthSouth);
            }
        }
    }
    t.forEachCell([&](int32_t x, int32_t y) {
        if (kPlazaArea.contains(x, y)) t.setGround(x, y, kFountainArea.contains(x, y) ? Ground::Canal : Ground::Plaza);
    });
    // The pier runs out from the west road's end over the sea.
    int32_t x = kRoads[0].x + kRoads[0].width - 1;
    while (x > 0 && !t.is(x, kPierRow, Ground::Sea)) --x;
    for (int32_t length = 0; length < 5 && t.is(x, kPierRow, Ground::Sea); ++length, --x)
        t.setUpper(x, kPierRow, kPier);
}

// A fence round the rectangle, on the ring of cells just outside it, open at the gate.
void fenceIn(Terrain &t, const Rect &area, const Rect &gate) {
    const Rect ring{area.x - 1, area.y - 1, area.width + 2, area.height + 2};
    auto onFence = [&](int32_t x, int32_t y) {
        const bool border = x == ring.x || y == ring.y || x == ring.x + ring.width - 1 || y == ring.y + ring.height - 1;
        return ring.contains(x, y) && border && !gate.contains(x, y);
    };
    for (int32_t y = ring.y; y < ring.y + ring.height; ++y) {
        for (int32_t x = ring.x; x < ring.x + ring.width; ++x) {
            if (!onFence(x, y)) continue;
            const uint16_t sides = (onFence(x, y - 1) ? kNorth : 0) | (onFence(x + 1, y) ? kEast : 0) |
                                   (onFence(x, y + 1) ? kSouth : 0) | (onFence(x - 1, y) ? kWest : 0);
            t.setUpper(x, y, uint16_t(kFence + sides));
        }
    }
}

// A field of crops with a rim of bare soil.
void layField(Terrain &t, const Rect &field) {
    const Rect crops{field.x + 1, field.y + 1, field.width - 2, field.height - 2};
    for (int32_t y = field.y; y < field.y + field.height; ++y)
        for (int32_t x = field.x; x < field.x + field.width; ++x)
            t.setGround(x, y, crops.contains(x, y) ? Ground::Crops : Ground::Field);
}

void layFarm(Terrain &t) {
    layField(t, kFieldArea);
    layField(t, kSecondFieldArea);
    fenceIn(t, kFieldArea, Rect{kFieldArea.x + kFieldArea.width, kRoads[4].y, 1, kRoads[4].height});
    for (int32_t y = kPastureArea.y; y < kPastureArea.y + kPastureArea.height; ++y)
        for (int32_t x = kPastureArea.x; x < kPastureArea.x + kPastureArea.width; ++x)
            t.setGround(x, y, Ground::Meadow);
    fenceIn(t, kPastureArea, Rect{kPastureArea.x + 2, kPastureArea.y - 1, 2, 1});
}

// Patches of tall grass wherever grass surrounds them, so that their rim always meets grass.
void layMeadows(Terrain &t) {
    Terrain before = t;
    t.forEachCell([&](int32_t x, int32_t y) {
        if (smoothNoise(x, y, 5.0, 204) > 0.64 && before.surroundedBy(x, y, Ground::Grass) &&
            before.upper(x, y) == kEmpty)
            t.setGround(x, y, Ground::Meadow);
    });
}

// ---- Things on the ground ----------------------------------------------------------------------------

bool nearRoadOrPlaza(const Terrain &t, int32_t x, int32_t y) {
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
            if (t.is(x + dx, y + dy, Ground::Road) || t.is(x + dx, y + dy, Ground::Plaza)) return true;
    return false;
}

bool freeGreen(const Terrain &t, int32_t x, int32_t y) {
    return Terrain::inside(x, y) && (t.ground(x, y) == Ground::Grass || t.ground(x, y) == Ground::Meadow) &&
           t.upper(x, y) == kEmpty && !nearRoadOrPlaza(t, x, y);
}

// A wood in the north-west, thinning out towards the village, and single trees elsewhere.
void plantTrees(Terrain &t) {
    t.forEachCell([&](int32_t x, int32_t y) {
        const double wood = smoothNoise(x, y, 7.0, 205) + (x < 28 && y < 28 ? 0.35 : -0.1);
        const double pick = hashUnit(x, y, 206);
        if (!freeGreen(t, x, y) || wood < 0.6) return;
        if (pick < 0.25 && freeGreen(t, x + 1, y) && freeGreen(t, x, y + 1) && freeGreen(t, x + 1, y + 1)) {
            t.setUpper(x, y, kBigTreeTopLeft);
            t.setUpper(x + 1, y, kBigTreeTopRight);
            t.setUpper(x, y + 1, kBigTreeBottomLeft);
            t.setUpper(x + 1, y + 1, kBigTreeBottomRight);
        } else if (pick < 0.5) {
            t.setUpper(x, y, kPine);
        } else if (pick < 0.65) {
            t.setUpper(x, y, kSmallTree);
        } else if (pick < 0.72) {
            t.setUpper(x, y, kBush);
        }
    });
    t.forEachCell([&](int32_t x, int32_t y) {
        const double pick = hashUnit(x, y, 207);
        if (!freeGreen(t, x, y)) return;
        if (pick < 0.025)
            t.setUpper(x, y, kSmallTree);
        else if (pick < 0.04)
            t.setUpper(x, y, kBush);
        else if (pick < 0.045)
            t.setUpper(x, y, kBoulder);
        else if (pick < 0.05)
            t.setUpper(x, y, kStump);
    });
}

void scatterSmallThings(Terrain &t) {
    const uint16_t flowers[] = {kRedFlowers, kYellowFlowers, kWhiteFlowers, kBlueFlowers};
    t.forEachCell([&](int32_t x, int32_t y) {
        if (t.upper(x, y) != kEmpty) return;
        const double pick = hashUnit(x, y, 208);
        const Ground g = t.ground(x, y);
        if (g == Ground::Grass && smoothNoise(x, y, 4.0, 209) > 0.55 && pick < 0.3)
            t.setUpper(x, y, flowers[hash(x, y, 210) % 4]);
        else if (g == Ground::Grass && pick > 0.985)
            t.setUpper(x, y, kMushrooms);
        else if ((g == Ground::Grass || g == Ground::Sand) && pick > 0.975)
            t.setUpper(x, y, kRock);
        else if (g == Ground::Sea && kLakeBounds.contains(x, y) && pick < 0.12)
            t.setUpper(x, y, t.surroundedBy(x, y, Ground::Sea) ? kLilyPad : kReeds);
    });
}

// ---- Tile ids -------------------------------------------------------------------------------------------

// Which neighbouring ground carries on a cell's autotile: water runs on under water, the beach
// under the water and into roads, the plaza into roads and water, the fields under their crops.
bool carriesOn(Ground self, Ground other) {
    switch (self) {
    case Ground::Sea:
    case Ground::Canal: return isWater(other);
    case Ground::Sand: return other == Ground::Sand || isWater(other) || other == Ground::Road;
    case Ground::Meadow: return other == Ground::Meadow;
    case Ground::Field: return other == Ground::Field || other == Ground::Crops;
    case Ground::Plaza: return other == Ground::Plaza || other == Ground::Road || isWater(other);
    default: return false;
    }
}

uint16_t autotileId(const Terrain &t, int32_t x, int32_t y, uint16_t first) {
    const Ground self = t.ground(x, y);
    auto on = [&](int32_t dx, int32_t dy) {
        return !Terrain::inside(x + dx, y + dy) || carriesOn(self, t.ground(x + dx, y + dy));
    };
    const Neighbours n{on(0, -1), on(1, 0), on(0, 1), on(-1, 0), on(1, -1), on(1, 1), on(-1, 1), on(-1, -1)};
    return uint16_t(first + autotilePattern(n));
}

uint16_t roadId(const Terrain &t, int32_t x, int32_t y) {
    auto goesOn = [&](int32_t dx, int32_t dy) {
        if (!Terrain::inside(x + dx, y + dy)) return true;
        const Ground g = t.ground(x + dx, y + dy);
        return g == Ground::Road || g == Ground::Plaza || g == Ground::Sand || t.bridged(x + dx, y + dy);
    };
    return uint16_t(kRoad + (goesOn(0, -1) ? kNorth : 0) + (goesOn(1, 0) ? kEast : 0) + (goesOn(0, 1) ? kSouth : 0) +
                    (goesOn(-1, 0) ? kWest : 0));
}

uint16_t lowerId(const Terrain &t, int32_t x, int32_t y) {
    switch (t.ground(x, y)) {
    case Ground::Sea: return autotileId(t, x, y, kSea);
    case Ground::Canal: return autotileId(t, x, y, kCanal);
    case Ground::Sand: return autotileId(t, x, y, kBeach);
    case Ground::Meadow: return autotileId(t, x, y, kMeadow);
    case Ground::Field: return autotileId(t, x, y, kField);
    case Ground::Plaza: return autotileId(t, x, y, kPlaza);
    case Ground::Crops: {
        const uint16_t crops[] = {kWheat, kCabbage, kCarrots};
        return crops[(y / 2) % 3];
    }
    case Ground::Road: return roadId(t, x, y);
    case Ground::Grass: break;
    }
    return uint16_t(kGrass + (hashUnit(x, y, 211) < 0.2 ? hash(x, y, 212) % kGrassVariantCount : 0));
}

// Fields and pastures are rimmed with grass: the wide stretches of beach give way to it round them.
void clearBeachRoundFarm(Terrain &t) {
    Terrain before = t;
    t.forEachCell([&](int32_t x, int32_t y) {
        if (before.ground(x, y) != Ground::Sand) return;
        bool besideFarm = false, besideSea = false;
        for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
                besideSea = besideSea || before.is(x + dx, y + dy, Ground::Sea);
                besideFarm = besideFarm || before.is(x + dx, y + dy, Ground::Field) ||
                             before.is(x + dx, y + dy, Ground::Crops) || before.is(x + dx, y + dy, Ground::Meadow);
            }
        }
        if (besideFarm && !besideSea) t.setGround(x, y, Ground::Grass);
    });
}

Terrain buildTerrain() {
    Terrain t;
    shapeIsland(t);
    digLakeAndCanal(t);
    layBeaches(t);
    layPlazaAndRoads(t);
    layFarm(t);
    clearBeachRoundFarm(t);
    layMeadows(t);
    plantTrees(t);
    scatterSmallThings(t);
    return t;
}

} // namespace

const std::vector<DemoEvent> &demoEvents() {
    static const std::vector<DemoEvent> events = {
        {1, "Baker", 27, 29, "Villagers", 0, 2},
        {2, "Smith", 34, 29, "Villagers", 1, 3},
        {3, "Girl", 27, 34, "Villagers", 2, 1},
        {4, "Elder", 33, 34, "Villagers", 3, 0},
        {5, "Fisher", 6, 31, "Villagers", 4, 3}, // at the end of the pier
        {6, "Farmer", 16, 39, "Villagers", 5, 2},
        {7, "Guard", 42, 30, "Villagers", 6, 3},
        {8, "Dog", 31, 38, "Animals", 0, 3},
        {9, "Cat", 26, 35, "Animals", 1, 1},
        {10, "Sheep", 45, 39, "Animals", 2, 1},
        {11, "Ewe", 48, 40, "Animals", 3, 3},
        {12, "Signpost", 28, 37, "", kSignpost - 10000, 2},
        {13, "Barrel", 35, 28, "", kBarrel - 10000, 2},
        {14, "Chest", 40, 28, "", kChest - 10000, 2},
        {15, "Lamp", 25, 36, "", kLamp - 10000, 2},
        {16, "Lamp", 35, 36, "", kLamp - 10000, 2},
        // Anchors for the script's added sprites, shown as the empty tile.
        {17, "Statue", 30, 31, "", 0, 2}, // facing the hero
        {18, "Oak", 23, 26, "", 0, 2},
        {19, "Oak", 38, 26, "", 0, 2},
        {20, "Oak", 23, 38, "", 0, 2},
        {21, "Oak", 38, 38, "", 0, 2},
    };
    return events;
}

simhost::GameEvent gameEvent(const DemoEvent &demoEvent) {
    simhost::GameEvent event;
    event.id = demoEvent.id;
    event.name = demoEvent.name;
    event.column = demoEvent.column;
    event.row = demoEvent.row;
    simhost::GameEventPage page;
    page.sheetName = demoEvent.sheet;
    page.sheetIndex = demoEvent.sheetIndex;
    page.facing = demoEvent.facing;
    event.pages.push_back(page);
    return event;
}

simhost::GameMap makeDemoMap() {
    const Terrain terrain = buildTerrain();
    simhost::GameMap map = composeMap(
        kMapWidth, kMapHeight, [&](int32_t x, int32_t y) { return lowerId(terrain, x, y); },
        [&](int32_t x, int32_t y) { return terrain.upper(x, y); }, demoEvents());
    addIslandLines(map);
    return map;
}

// The database: the tileset and actor 1, the hero. The tileset's tables. Flags: bits 0 to 3 let a character step onto the cell from below, the
// left, the right and above (0x0F: walkable; water and obstacles 0). Attributes tag the ground
// for a game's scripts: 1 water, 2 sand, 3 grass, 4 soil, 5 stone, 6 wood.
simhost::GameDatabase makeDemoDatabase() {
    constexpr uint8_t kWalkable = 0x0F;
    simhost::GameTileset tileset;
    tileset.id = simhost::kDefaultTilesetId;
    tileset.name = "Meadow";
    tileset.graphicName = "Meadow";
    tileset.attributes.assign(simhost::kTilesetAttributeCount, 3);
    tileset.lowerFlags.assign(simhost::kTilesetLowerFlagCount, kWalkable);
    tileset.upperFlags.assign(simhost::kTilesetUpperFlagCount, kWalkable);
    // Tile table indexes: 0 and 1 the two waters, 2 the boardwalk, 3 to 5 the crops, 6 to 9 the
    // beach, meadow, field and plaza, and from 18 on the plain tiles (id - 4982).
    const uint16_t attributes[] = {1, 1, 6, 4, 4, 4, 2, 3, 4, 5};
    for (size_t i = 0; i < sizeof attributes / sizeof attributes[0]; ++i) tileset.attributes[i] = attributes[i];
    tileset.lowerFlags[0] = tileset.lowerFlags[1] = 0;
    tileset.attributes[kDirt - 4982] = 4;
    for (int32_t sides = 0; sides < 16; ++sides) tileset.attributes[kRoad + sides - 4982] = 4;
    const uint16_t obstacles[] = {kBush,
                                  kSmallTree,
                                  kPine,
                                  kBigTreeTopLeft,
                                  kBigTreeTopRight,
                                  kBigTreeBottomLeft,
                                  kBigTreeBottomRight,
                                  kBoulder,
                                  kStump,
                                  kSignpost,
                                  kLamp,
                                  kBarrel,
                                  kChest};
    for (uint16_t id : obstacles) tileset.upperFlags[id - 10000] = 0;
    for (int32_t sides = 0; sides < 16; ++sides) tileset.upperFlags[kFence + sides - 10000] = 0;
    simhost::GameDatabase database;
    database.tilesets.push_back(tileset);
    // The starting party is empty, as in most games: the hero looks as actor 1.
    database.actors.push_back({1, "Hero", 0});
    database.commonEvents.push_back(viewValuesEvent());
    return database;
}

} // namespace preview::demo
