// The tile ids of the demo game's tileset "Meadow": what each id shows. The tileset painter draws
// them, the map generator places them and the tests check the map against them.
#pragma once

#include <cstdint>

namespace preview::demo::tiles {

// ---- Lower layer -------------------------------------------------------------------------------
// Autotiles: add the neighbour pattern (0 to 46) to the first id.
constexpr uint16_t kSea = 0;          // column autotile: sea and lake water, sandy shores
constexpr uint16_t kCanal = 1000;     // column autotile: the same water between stone quays
constexpr uint16_t kBoardwalk = 2000; // the fixed tile: planks
constexpr uint16_t kWheat = 3000;     // strip tiles: crops in a field
constexpr uint16_t kCabbage = 3050;
constexpr uint16_t kCarrots = 3100;
constexpr uint16_t kBeach = 4000;  // block autotiles: sand, running on under the water
constexpr uint16_t kMeadow = 4050; //   tall grass
constexpr uint16_t kField = 4100;  //   tilled soil with a dark rim
constexpr uint16_t kPlaza = 4150;  //   cobbles with a kerb, running on into roads and water

// Plain lower tiles.
constexpr uint16_t kGrass = 5000;
constexpr uint16_t kGrassVariantCount = 4; // 5000 to 5003: the same grass with small differences
constexpr uint16_t kDirt = 5004;
// A road cell: add the sides on which the road goes on (kNorth | kEast ...); the other sides
// show a grass fringe.
constexpr uint16_t kRoad = 5006;

// ---- Upper layer ---------------------------------------------------------------------------------
constexpr uint16_t kEmpty = 10000; // transparent throughout
constexpr uint16_t kBush = 10001;
constexpr uint16_t kSmallTree = 10002;
constexpr uint16_t kPine = 10003;
// A tree of 2 x 2 cells: top left and top right, then bottom left and bottom right.
constexpr uint16_t kBigTreeTopLeft = 10004;
constexpr uint16_t kBigTreeTopRight = 10005;
constexpr uint16_t kBigTreeBottomLeft = 10010;
constexpr uint16_t kBigTreeBottomRight = 10011;
constexpr uint16_t kRedFlowers = 10006;
constexpr uint16_t kYellowFlowers = 10007;
constexpr uint16_t kWhiteFlowers = 10008;
constexpr uint16_t kBlueFlowers = 10009;
constexpr uint16_t kMushrooms = 10012;
constexpr uint16_t kRock = 10013;
constexpr uint16_t kBoulder = 10014;
constexpr uint16_t kStump = 10015;
constexpr uint16_t kLilyPad = 10016;
constexpr uint16_t kReeds = 10017;
// A fence cell: add the sides on which the fence goes on.
constexpr uint16_t kFence = 10018;
constexpr uint16_t kBridgeEastWest = 10034; // planks across a canal, for a road running east-west
constexpr uint16_t kBridgeNorthSouth = 10035;
constexpr uint16_t kPier = 10036; // a narrow east-west pier over the sea
// Upright things for events shown as tiles (an event's sheet index is the upper id - 10000).
constexpr uint16_t kSignpost = 10037;
constexpr uint16_t kLamp = 10038;
constexpr uint16_t kBarrel = 10039;
constexpr uint16_t kChest = 10040;

// Sides, for roads and fences.
constexpr uint16_t kNorth = 1;
constexpr uint16_t kEast = 2;
constexpr uint16_t kSouth = 4;
constexpr uint16_t kWest = 8;

} // namespace preview::demo::tiles
