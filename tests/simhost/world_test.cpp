// The engine's world as the plug-in reaches it: the table, characters and the map view, the
// tileset record, variables, host strings and messages.
#include <dlfcn.h>

#include <cstring>

#include "support/host_fixture.h"

namespace {

using farview_test::HostTest;

// ---- The table -----------------------------------------------------------------------------------

class HostTable : public HostTest {};

TEST_F(HostTable, IsExportedUnderItsNameAndReachesTheEngine) {
    const FvHostInterface &table = simhost::hostInterface();
    EXPECT_EQ(dlsym(RTLD_DEFAULT, FARVIEW_HOST_INTERFACE_NAME), static_cast<const void *>(&table));
    EXPECT_EQ(table.structSize, sizeof(FvHostInterface));
    EXPECT_EQ(*table.hero, &simhost::hero());
    EXPECT_EQ(*table.mapView, &simhost::mapView());
    EXPECT_EQ(*table.variables, &simhost::variables());
    EXPECT_EQ(*table.screen, simhost::screen());
    const void *operations[] = {
        reinterpret_cast<const void *>(table.createImage),      reinterpret_cast<const void *>(table.setImageSize),
        reinterpret_cast<const void *>(table.destroyImage),     reinterpret_cast<const void *>(table.loadImageFile),
        reinterpret_cast<const void *>(table.applyPalette),     reinterpret_cast<const void *>(table.surfaceRow),
        reinterpret_cast<const void *>(table.surfacePitch),     reinterpret_cast<const void *>(table.drawImage),
        reinterpret_cast<const void *>(table.stretchDrawImage), reinterpret_cast<const void *>(table.characterScreenX),
        reinterpret_cast<const void *>(table.characterScreenY), reinterpret_cast<const void *>(table.eventById),
        reinterpret_cast<const void *>(table.mapSize),          reinterpret_cast<const void *>(table.resizeBlock),
        reinterpret_cast<const void *>(table.makeString),       reinterpret_cast<const void *>(table.releaseString),
        reinterpret_cast<const void *>(table.showMessage)};
    for (const void *operation : operations) EXPECT_NE(operation, nullptr);
}

TEST_F(HostTable, ShowMessageKeepsTheTextWordForWord) {
    simhost::hostInterface().showMessage("Farview", "There was an error.\nPlease load the map first");
    simhost::hostInterface().showMessage(nullptr, nullptr);
    ASSERT_EQ(simhost::messages().size(), 2u);
    EXPECT_EQ(simhost::messages()[0], "There was an error.\nPlease load the map first");
    EXPECT_EQ(simhost::messageCaptions()[0], "Farview");
    EXPECT_EQ(simhost::messages()[1], "");
    simhost::clearMessages();
    EXPECT_TRUE(simhost::messages().empty());
    EXPECT_TRUE(simhost::messageCaptions().empty());
}

TEST_F(HostTable, ResetRestoresAFreshEngine) {
    simhost::createImage();
    simhost::setScreenPitch(800);
    simhost::fillScreen(0xFFFF);
    simhost::setMapSize(30, 20);
    simhost::hero() = {0, 5, 6, 2, 1, 3, nullptr, 9};
    simhost::setSheetName(simhost::hero(), "Hero");
    simhost::addEvent(4, 1, 1);
    simhost::setEventListPresent(false);
    simhost::setScroll(100, 200);
    simhost::setTilesetRecord(simhost::makeTilesetRecord("Dungeon", "Dungeon"));
    simhost::resizeBlock(reinterpret_cast<void **>(&simhost::variables().values), 40);
    simhost::variables().count = 10;
    simhost::hostInterface().showMessage("Farview", "text");

    simhost::resetEngine();
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_EQ(simhost::screenPitch(), simhost::kDefaultScreenPitch);
    EXPECT_EQ(simhost::screenPixel(319, 239), 0);
    int32_t width = -1, height = -1;
    simhost::mapSize(&width, &height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    const FvHostCharacter &hero = simhost::hero();
    EXPECT_EQ(hero.mapColumn, 0);
    EXPECT_EQ(hero.mapRow, 0);
    EXPECT_EQ(hero.facing, 0);
    EXPECT_EQ(hero.mapId, 1);
    EXPECT_EQ(hero.sheetName, nullptr);
    ASSERT_NE(simhost::mapView().events, nullptr);
    EXPECT_EQ(simhost::mapView().events->count, 0);
    EXPECT_EQ(simhost::mapView().scrollX, 0);
    EXPECT_EQ(simhost::mapView().scrollY, 0);
    EXPECT_EQ(simhost::mapView().tilesetRecord, nullptr);
    EXPECT_EQ(simhost::mapView().tilesetRecordSize, 0);
    EXPECT_EQ(simhost::variables().values, nullptr);
    EXPECT_EQ(simhost::variables().count, 0);
    EXPECT_TRUE(simhost::messages().empty());
}

// ---- Characters and the map view -------------------------------------------------------------------

class Characters : public HostTest {};

TEST_F(Characters, ScreenPositionIsTheTilesBottomCentreLessTheScroll) {
    FvHostCharacter &hero = simhost::hero();
    hero.mapColumn = 3;
    hero.mapRow = 2;
    EXPECT_EQ(simhost::characterScreenX(&hero), 56);
    EXPECT_EQ(simhost::characterScreenY(&hero), 48);
    simhost::setScroll(16 * 40 + 15, 16 * 10); // a fraction of a pixel is dropped
    EXPECT_EQ(simhost::characterScreenX(&hero), 16);
    EXPECT_EQ(simhost::characterScreenY(&hero), 38);
    simhost::setScroll(-17, -31); // C++ division truncates toward zero: -1 pixel each
    EXPECT_EQ(simhost::characterScreenX(&hero), 57);
    EXPECT_EQ(simhost::characterScreenY(&hero), 49);
    EXPECT_EQ(simhost::hostInterface().characterScreenX(&hero), 57);
}

TEST_F(Characters, ScreenPositionOfFarAwayCharactersSaturates) {
    FvHostCharacter &event = simhost::addEvent(1, INT32_MAX, INT32_MIN);
    EXPECT_EQ(simhost::characterScreenX(&event), INT32_MAX);
    EXPECT_EQ(simhost::characterScreenY(&event), INT32_MIN);
    EXPECT_EQ(simhost::characterScreenX(nullptr), 0);
}

TEST_F(Characters, ScrollToHeroCentresHimClampedToTheMap) {
    simhost::setMapSize(40, 30); // 640 x 480 pixels
    FvHostCharacter &hero = simhost::hero();
    hero.mapColumn = 20;
    hero.mapRow = 15;
    simhost::scrollToHero();
    EXPECT_EQ(simhost::mapView().scrollX, (20 * 16 + 8 - 160) * 16);
    EXPECT_EQ(simhost::mapView().scrollY, (15 * 16 + 8 - 120) * 16);
    EXPECT_EQ(simhost::characterScreenX(&hero), 160); // the tile's centre column
    EXPECT_EQ(simhost::characterScreenY(&hero), 128);

    hero.mapColumn = 1;
    hero.mapRow = 1;
    simhost::scrollToHero();
    EXPECT_EQ(simhost::mapView().scrollX, 0);
    EXPECT_EQ(simhost::mapView().scrollY, 0);

    hero.mapColumn = 39;
    hero.mapRow = 29;
    simhost::scrollToHero();
    EXPECT_EQ(simhost::mapView().scrollX, (640 - 320) * 16);
    EXPECT_EQ(simhost::mapView().scrollY, (480 - 240) * 16);
}

TEST_F(Characters, ScrollToHeroOnAMapSmallerThanTheScreenStaysAtZero) {
    simhost::setMapSize(10, 8);
    simhost::hero().mapColumn = 9;
    simhost::hero().mapRow = 7;
    simhost::scrollToHero();
    EXPECT_EQ(simhost::mapView().scrollX, 0);
    EXPECT_EQ(simhost::mapView().scrollY, 0);
}

TEST_F(Characters, EventsKeepTheirOrderAndTheirAddresses) {
    FvHostCharacter *first = &simhost::addEvent(7, 2, 3);
    for (int32_t id = 100; id < 200; ++id) simhost::addEvent(id, id, 1);
    FvHostEventList *events = simhost::mapView().events;
    ASSERT_NE(events, nullptr);
    ASSERT_EQ(events->count, 101);
    EXPECT_EQ(events->items[0], first);
    EXPECT_EQ(first->mapColumn, 2);
    EXPECT_EQ(events->items[100]->id, 199);
    EXPECT_EQ(simhost::eventById(events, 7), first);
    EXPECT_EQ(simhost::hostInterface().eventById(events, 150), events->items[51]);
}

TEST_F(Characters, EventByIdFindsNothingForAMissingIdOrList) {
    simhost::addEvent(1, 0, 0);
    EXPECT_EQ(simhost::eventById(simhost::mapView().events, 2), nullptr);
    EXPECT_EQ(simhost::eventById(nullptr, 1), nullptr);
    simhost::setEventListPresent(false);
    EXPECT_EQ(simhost::mapView().events, nullptr);
    simhost::setEventListPresent(true);
    ASSERT_NE(simhost::mapView().events, nullptr);
    EXPECT_EQ(simhost::mapView().events->count, 1);
    simhost::clearEvents();
    EXPECT_EQ(simhost::mapView().events->count, 0);
    EXPECT_EQ(simhost::eventById(simhost::mapView().events, 1), nullptr);
}

// The index is built as events are added; an id changed afterwards is found all the same.
TEST_F(Characters, EventByIdFindsAnEventWhoseIdChangedAfterItWasAdded) {
    FvHostCharacter &event = simhost::addEvent(3, 0, 0);
    simhost::addEvent(4, 1, 0);
    event.id = 9;
    EXPECT_EQ(simhost::eventById(simhost::mapView().events, 9), &event);
    EXPECT_EQ(simhost::eventById(simhost::mapView().events, 3), nullptr);
}

TEST_F(Characters, SheetNamesAreHostStrings) {
    FvHostCharacter &event = simhost::addEvent(3, 0, 0);
    simhost::setSheetName(event, "Monster1");
    simhost::setSheetName(event, "Monster2"); // the first string is released, not leaked
    EXPECT_EQ(simhost::hostStringText(event.sheetName), "Monster2");
    int32_t length = 0;
    std::memcpy(&length, event.sheetName - 4, 4);
    EXPECT_EQ(length, 8);
}

TEST_F(Characters, MapSizeIsWhatTheHostWasGiven) {
    simhost::setMapSize(500, 20);
    int32_t width = 0, height = 0;
    simhost::hostInterface().mapSize(&width, &height);
    EXPECT_EQ(width, 500);
    EXPECT_EQ(height, 20);
    simhost::mapSize(nullptr, nullptr);
}

// ---- Tileset record ------------------------------------------------------------------------------

std::string textAt(const std::vector<uint8_t> &record, size_t offset, size_t length) {
    return std::string(record.begin() + std::ptrdiff_t(offset), record.begin() + std::ptrdiff_t(offset + length));
}

TEST(TilesetRecord, TwoStringsWithAThreeLetterNamePutTheMarkerAt672) {
    auto record = simhost::makeTilesetRecord("Sea", "World");
    ASSERT_EQ(record.size(), 1200u);
    EXPECT_EQ(record[660], 0);
    EXPECT_EQ(record[664], 3);
    EXPECT_EQ(textAt(record, 668, 3), "Sea");
    EXPECT_EQ(record[671], 0); // the terminating zero
    EXPECT_EQ(record[672], 0);
    EXPECT_EQ(record[680], 5);
    EXPECT_EQ(textAt(record, 684, 5), "World");
}

TEST(TilesetRecord, FourAndFiveLetterNamesMoveTheMarkerTo676) {
    for (const std::string name : {"Cave", "Caves"}) {
        auto record = simhost::makeTilesetRecord(name, "Dungeon");
        EXPECT_EQ(record[664], name.size());
        EXPECT_EQ(textAt(record, 668, name.size()), name);
        EXPECT_EQ(record[668 + name.size()], 0);
        EXPECT_NE(record[676], 150);
        EXPECT_NE(record[676], 38);
        EXPECT_EQ(record[684], 7) << name;
        EXPECT_EQ(textAt(record, 688, 7), "Dungeon");
    }
}

TEST(TilesetRecord, OneStringFormCarriesTheGraphicNameAndMarker150) {
    auto record = simhost::makeTilesetRecord("", "Dungeon");
    EXPECT_EQ(record[664], 7);
    EXPECT_EQ(textAt(record, 668, 7), "Dungeon");
    EXPECT_EQ(record[676], 150);

    auto empty = simhost::makeTilesetRecord("", "");
    EXPECT_EQ(empty[664], 0);
    EXPECT_EQ(empty[672], 150);
}

TEST(TilesetRecord, NamesAreCutAt255Characters) {
    auto record = simhost::makeTilesetRecord(std::string(300, 'n'), std::string(400, 'g'));
    EXPECT_EQ(record[664], 255);
    EXPECT_EQ(record[668 + 255], 0);
    EXPECT_EQ(record[672 + 252], 0);   // marker
    EXPECT_EQ(record[680 + 252], 255); // M
    EXPECT_EQ(textAt(record, 684 + 252, 255), std::string(255, 'g'));
    EXPECT_EQ(record[1191], 0); // the last byte read at the largest lengths is 1190
}

TEST(TilesetRecord, TablesSitAtTheirOffsets) {
    simhost::TilesetTables tables;
    for (int i = 0; i < 162; ++i) tables.attributes.push_back(uint16_t(0x0101 * i + 0x8000));
    for (int i = 0; i < 162; ++i) tables.lowerFlags.push_back(uint8_t(i + 1));
    for (int i = 0; i < 144; ++i) tables.upperFlags.push_back(uint8_t(200 - i));
    tables.upperFlags.push_back(77); // one too many: ignored, the name area follows
    auto record = simhost::makeTilesetRecord("Sea", "World", tables);
    EXPECT_EQ(record[16], 0x00);
    EXPECT_EQ(record[17], 0x80);
    EXPECT_EQ(record[16 + 2 * 161], uint8_t((0x0101 * 161 + 0x8000) & 0xFF));
    EXPECT_EQ(record[17 + 2 * 161], uint8_t((0x0101 * 161 + 0x8000) >> 8));
    EXPECT_EQ(record[340], 1);
    EXPECT_EQ(record[501], 162);
    EXPECT_EQ(record[502], 200);
    EXPECT_EQ(record[645], 200 - 143);
    EXPECT_EQ(record[646], 0);
}

TEST_F(Characters, TheTilesetRecordIsReachedThroughTheMapView) {
    simhost::setTilesetRecord(simhost::makeTilesetRecord("Sea", "World"));
    ASSERT_NE(simhost::mapView().tilesetRecord, nullptr);
    EXPECT_EQ(simhost::mapView().tilesetRecordSize, 1200);
    EXPECT_EQ(simhost::mapView().tilesetRecord[664], 3);
}

// ---- Variables and host strings ---------------------------------------------------------------------

class Memory : public HostTest {};

TEST_F(Memory, ResizeBlockKeepsContentsWhenGrowingAndShrinking) {
    void *block = nullptr;
    simhost::resizeBlock(&block, 8);
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abcdefgh", 8);
    simhost::resizeBlock(&block, 1 << 20);
    EXPECT_EQ(std::memcmp(block, "abcdefgh", 8), 0);
    EXPECT_EQ(static_cast<uint8_t *>(block)[8], 0xA5); // new bytes are not promised to be zero
    simhost::resizeBlock(&block, 3);
    EXPECT_EQ(std::memcmp(block, "abc", 3), 0);
    simhost::resizeBlock(&block, 0);
    EXPECT_EQ(block, nullptr);
    simhost::resizeBlock(&block, -5);
    EXPECT_EQ(block, nullptr);
    simhost::resizeBlock(nullptr, 10);
}

TEST_F(Memory, VariablesGrowThroughTheTableAndReadBack) {
    FvHostVariables &variables = simhost::variables();
    simhost::hostInterface().resizeBlock(reinterpret_cast<void **>(&variables.values), 3 * 4);
    variables.values[0] = 5;
    variables.values[1] = -6;
    variables.values[2] = 7;
    variables.count = 3;
    simhost::hostInterface().resizeBlock(reinterpret_cast<void **>(&variables.values), 100 * 4);
    variables.count = 2;
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{5, -6}));
}

TEST_F(Memory, VariableValuesNeverReadPastTheBlock) {
    FvHostVariables &variables = simhost::variables();
    EXPECT_TRUE(simhost::variableValues().empty());
    simhost::resizeBlock(reinterpret_cast<void **>(&variables.values), 2 * 4);
    variables.values[0] = 1;
    variables.values[1] = 2;
    variables.count = 1000; // a count larger than the block
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{1, 2}));
}

TEST_F(Memory, HostStringsHoldLengthCharactersAndAZero) {
    FvHostString slot = nullptr;
    simhost::makeString(&slot, "Hero.png with more", 8);
    ASSERT_NE(slot, nullptr);
    int32_t length = 0;
    std::memcpy(&length, slot - 4, 4);
    EXPECT_EQ(length, 8);
    EXPECT_EQ(std::strcmp(slot, "Hero.png"), 0);
    EXPECT_EQ(simhost::hostStringText(slot), "Hero.png");
    simhost::hostInterface().makeString(&slot, "ab\0c", 4); // replaces, and keeps embedded zeros
    EXPECT_EQ(simhost::hostStringText(slot), std::string("ab\0c", 4));
    simhost::hostInterface().releaseString(&slot);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(simhost::hostStringText(nullptr), "");
    simhost::releaseString(&slot);
    simhost::releaseString(nullptr);
}

TEST_F(Memory, BadStringArgumentsGiveTheEmptyString) {
    FvHostString slot = nullptr;
    simhost::makeString(&slot, nullptr, 5);
    EXPECT_EQ(simhost::hostStringText(slot), "");
    simhost::makeString(&slot, "abc", -1);
    EXPECT_EQ(simhost::hostStringText(slot), "");
    simhost::releaseString(&slot);
    simhost::makeString(nullptr, "abc", 3);
}

} // namespace
