// A game folder as the stand-in host reads it: map files and the database section by section,
// the refusal of every malformed file, Windows-style file-name matching, and entering a map.
#include <fstream>
#include <iterator>

#include "simhost/game_folder.h"
#include "support/file_bytes.h"
#include "support/game_writer.h"
#include "support/host_fixture.h"
#include "support/small_game.h"

namespace {

using farview_test::HostTest;
using farview_test::ScratchDirectory;
using namespace filebytes;
namespace fs = std::filesystem;

// ---- Building files by hand ------------------------------------------------------------------------

Bytes signature() { return concat({integer(4), text("Sign")}); }

Bytes layer(size_t cells, uint16_t id) {
    Bytes out;
    for (size_t i = 0; i < cells; ++i) {
        out.push_back(static_cast<uint8_t>(id & 0xFF));
        out.push_back(static_cast<uint8_t>(id >> 8));
    }
    return out;
}

// A map file of width x height cells whose other sections are given.
Bytes mapFile(int32_t width, int32_t height, const Bytes &before, const Bytes &after = {}) {
    const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    return concat(
        {signature(), before, section(0x47, layer(cells, 5000)), section(0x48, layer(cells, 10000)), after, Bytes{0}});
}

Bytes sizeSections(int32_t width, int32_t height) {
    return concat({section(2, integer(width)), section(3, integer(height))});
}

simhost::GameMap sampleMap() {
    simhost::GameMap map;
    map.tilesetId = 3;
    map.width = 6;
    map.height = 4;
    for (int32_t i = 0; i < 24; ++i) {
        map.lower.push_back(static_cast<uint16_t>(5000 + i));
        map.upper.push_back(static_cast<uint16_t>(10000 + i));
    }
    simhost::GameEvent chest{5, "Chest", 2, 3, {}};
    chest.pages.push_back(gamefile::sheetPage("Objects", 4, 1, 0));
    chest.pages.push_back(gamefile::sheetPage("Other", 7, 3, 2));
    simhost::GameEvent marker{9, "", 0, 0, {}};
    simhost::GameEvent guard{12, "Guard", -1, 70000, {gamefile::sheetPage("Guards", 0, 2, 1)}};
    map.events = {chest, marker, guard};
    return map;
}

simhost::GameDatabase sampleDatabase() {
    simhost::GameTileset fields{3, "Fields", "fieldtiles", {}, {}, {}};
    for (int32_t i = 0; i < simhost::kTilesetAttributeCount; ++i)
        fields.attributes.push_back(static_cast<uint16_t>(i * 301));
    for (int32_t i = 0; i < simhost::kTilesetLowerFlagCount; ++i) fields.lowerFlags.push_back(static_cast<uint8_t>(i));
    for (int32_t i = 0; i < simhost::kTilesetUpperFlagCount; ++i)
        fields.upperFlags.push_back(static_cast<uint8_t>(255 - i));
    simhost::GameTileset bare{1, "", "plain", {}, {}, {}};
    simhost::GameDatabase db;
    db.tilesets = {bare, fields};
    return db;
}

bool readMap(const Bytes &bytes, simhost::GameMap &map, std::string &error) {
    return simhost::readMapFile(bytes, "Map0001.lmu", map, &error);
}

void expectRefused(const Bytes &bytes, size_t offset, const std::string &problem) {
    simhost::GameMap map;
    std::string error;
    EXPECT_FALSE(readMap(bytes, map, error));
    EXPECT_NE(error.find("\"Map0001.lmu\" at byte " + std::to_string(offset) + ":"), std::string::npos) << error;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
}

void saveBytes(const fs::path &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// ---- The readers against the writer ---------------------------------------------------------------

TEST(GameFiles, MapReadsBackAsWritten) {
    const simhost::GameMap written = sampleMap();
    simhost::GameMap read;
    std::string error;
    ASSERT_TRUE(readMap(gamefile::encodeMap(written), read, error)) << error;
    EXPECT_EQ(read.tilesetId, 3);
    EXPECT_EQ(read.width, 6);
    EXPECT_EQ(read.height, 4);
    EXPECT_EQ(read.lower, written.lower);
    EXPECT_EQ(read.upper, written.upper);
    ASSERT_EQ(read.events.size(), 3u);
    const simhost::GameEvent &chest = read.events[0];
    EXPECT_EQ(chest.id, 5);
    EXPECT_EQ(chest.name, "Chest");
    EXPECT_EQ(chest.column, 2);
    EXPECT_EQ(chest.row, 3);
    ASSERT_EQ(chest.pages.size(), 2u);
    EXPECT_EQ(chest.pages[0].sheetName, "Objects");
    EXPECT_EQ(chest.pages[0].sheetIndex, 4);
    EXPECT_EQ(chest.pages[0].facing, 1);
    EXPECT_EQ(chest.pages[0].animationStep, 0);
    EXPECT_EQ(chest.pages[1].sheetName, "Other");
    EXPECT_TRUE(read.events[1].pages.empty());
    EXPECT_EQ(read.events[2].column, -1);
    EXPECT_EQ(read.events[2].row, 70000);
    EXPECT_EQ(read.events[2].pages.at(0).sheetName, "Guards");
}

// Real databases have no end mark after their last section; one that has it is read the same.
TEST(GameFiles, ADatabaseEndsAtTheEndOfTheFileWithOrWithoutAnEndMark) {
    Bytes bytes = gamefile::encodeDatabase(sampleDatabase());
    simhost::GameDatabase db;
    std::string error;
    ASSERT_TRUE(simhost::readDatabase(bytes, "Game.ldb", db, &error)) << error;
    bytes.push_back(0);
    ASSERT_TRUE(simhost::readDatabase(bytes, "Game.ldb", db, &error)) << error;
    EXPECT_EQ(db.tilesets.size(), 2u);
    // The writer's last byte is the tileset list's own: without it the list is cut short.
    bytes.resize(bytes.size() - 2);
    EXPECT_FALSE(simhost::readDatabase(bytes, "Game.ldb", db, &error));
    EXPECT_NE(error.find("section 0x14"), std::string::npos) << error;
}

TEST(GameFiles, DatabaseReadsBackAsWritten) {
    const simhost::GameDatabase written = sampleDatabase();
    simhost::GameDatabase read;
    std::string error;
    ASSERT_TRUE(simhost::readDatabase(gamefile::encodeDatabase(written), "Game.ldb", read, &error)) << error;
    ASSERT_EQ(read.tilesets.size(), 2u);
    EXPECT_EQ(read.tilesets[0].id, 1);
    EXPECT_EQ(read.tilesets[0].name, "");
    EXPECT_EQ(read.tilesets[0].graphicName, "plain");
    EXPECT_TRUE(read.tilesets[0].attributes.empty());
    EXPECT_EQ(read.tilesets[1].name, "Fields");
    EXPECT_EQ(read.tilesets[1].graphicName, "fieldtiles");
    EXPECT_EQ(read.tilesets[1].attributes, written.tilesets[1].attributes);
    EXPECT_EQ(read.tilesets[1].lowerFlags, written.tilesets[1].lowerFlags);
    EXPECT_EQ(read.tilesets[1].upperFlags, written.tilesets[1].upperFlags);
}

TEST(GameFiles, TextsKeepTheirCodePageBytes) {
    simhost::GameMap written = sampleMap();
    written.events[0].name = "\xC9p\xE9\xE9";
    simhost::GameMap read;
    std::string error;
    ASSERT_TRUE(readMap(gamefile::encodeMap(written), read, error)) << error;
    EXPECT_EQ(read.events[0].name, "\xC9p\xE9\xE9");
}

// ---- Defaults and unknown sections ------------------------------------------------------------------

TEST(GameFileDefaults, OmittedMapSectionsTakeTheirDefaults) {
    simhost::GameMap map;
    std::string error;
    ASSERT_TRUE(readMap(mapFile(20, 15, {}), map, error)) << error;
    EXPECT_EQ(map.tilesetId, 1);
    EXPECT_EQ(map.width, 20);
    EXPECT_EQ(map.height, 15);
    EXPECT_EQ(map.lower.size(), 300u);
    EXPECT_TRUE(map.events.empty());
}

TEST(GameFileDefaults, OmittedEventAndPageSectionsTakeTheirDefaults) {
    const Bytes events =
        concat({integer(1), integer(4), section(5, concat({integer(1), integer(1), Bytes{0}})), Bytes{0}});
    simhost::GameMap map;
    std::string error;
    ASSERT_TRUE(readMap(mapFile(20, 15, {}, section(0x51, events)), map, error)) << error;
    ASSERT_EQ(map.events.size(), 1u);
    const simhost::GameEvent &event = map.events[0];
    EXPECT_EQ(event.id, 4);
    EXPECT_EQ(event.name, "");
    EXPECT_EQ(event.column, 0);
    EXPECT_EQ(event.row, 0);
    ASSERT_EQ(event.pages.size(), 1u);
    EXPECT_EQ(event.pages[0].sheetName, "");
    EXPECT_EQ(event.pages[0].sheetIndex, 0);
    EXPECT_EQ(event.pages[0].facing, 2);
    EXPECT_EQ(event.pages[0].animationStep, 1);
}

TEST(GameFileDefaults, TheWriterLeavesDefaultsOut) {
    simhost::GameMap map;
    map.lower.assign(300, 0);
    map.upper.assign(300, 0);
    const Bytes bytes = gamefile::encodeMap(map);
    // The signature, then at once the lower layer: no tileset, width or height section.
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(bytes[0], 14);
    EXPECT_EQ(bytes[15], 0x47);
    EXPECT_EQ(bytes.size(), 15u + 3u + 600u + 3u + 600u + 1u);
}

TEST(GameFileSkipping, UnknownSectionsArePassedOverByTheirLength) {
    // Unknown ids of one and two groups, holding bytes that would be faults if they were read.
    const Bytes junk = concat({section(0x7E, Bytes{0x47, 0xFF, 0x00}), section(300, Bytes{0x80, 0x80})});
    const Bytes page = concat({integer(1), junk, section(0x16, integer(8)), Bytes{0}});
    const Bytes event =
        concat({integer(2), junk, section(2, integer(5)), section(5, concat({integer(1), page})), Bytes{0}});
    const Bytes events = concat({integer(1), event});
    simhost::GameMap map;
    std::string error;
    ASSERT_TRUE(readMap(mapFile(3, 2, concat({junk, sizeSections(3, 2)}), concat({junk, section(0x51, events), junk})),
                        map, error))
        << error;
    EXPECT_EQ(map.width, 3);
    EXPECT_EQ(map.lower, std::vector<uint16_t>(6, 5000));
    ASSERT_EQ(map.events.size(), 1u);
    EXPECT_EQ(map.events[0].column, 5);
    EXPECT_EQ(map.events[0].pages.at(0).sheetIndex, 8);
}

TEST(GameFileSkipping, UnknownDatabaseSectionsArePassedOver) {
    const Bytes junk = section(0x7E, Bytes{0x00, 0x00, 0x90});
    const Bytes tileset = concat({integer(7), junk, section(2, text("tiles")), Bytes{0}});
    const Bytes file = concat({signature(), junk, section(0x14, concat({integer(1), tileset})), junk});
    simhost::GameDatabase db;
    std::string error;
    ASSERT_TRUE(simhost::readDatabase(file, "Game.ldb", db, &error)) << error;
    ASSERT_EQ(db.tilesets.size(), 1u);
    EXPECT_EQ(db.tilesets[0].id, 7);
    EXPECT_EQ(db.tilesets[0].graphicName, "tiles");
}

TEST(GameFileSkipping, AnySignatureTextIsAccepted) {
    for (const Bytes &signatureBytes : {Bytes{0}, concat({integer(200), Bytes(200, 0x47)})}) {
        Bytes file = mapFile(20, 15, {});
        file.erase(file.begin(), file.begin() + 5);
        file.insert(file.begin(), signatureBytes.begin(), signatureBytes.end());
        simhost::GameMap map;
        std::string error;
        EXPECT_TRUE(readMap(file, map, error)) << error;
    }
}

// ---- The hero's look and the map's background ---------------------------------------------------

simhost::GameDatabase castDatabase(std::vector<int32_t> party) {
    simhost::GameDatabase db = sampleDatabase();
    db.actors = {{1, "Hero", 2}, {3, "Mage", 5}, {4, "", 0}};
    db.startingParty = std::move(party);
    return db;
}

TEST(GameFiles, ActorsThePartyAndTheBackgroundReadBackAsWritten) {
    simhost::GameDatabase db;
    std::string error;
    ASSERT_TRUE(simhost::readDatabase(gamefile::encodeDatabase(castDatabase({3, 1})), "Game.ldb", db, &error)) << error;
    ASSERT_EQ(db.actors.size(), 3u);
    EXPECT_EQ(db.actors[1].id, 3);
    EXPECT_EQ(db.actors[1].sheetName, "Mage");
    EXPECT_EQ(db.actors[1].sheetIndex, 5);
    EXPECT_EQ(db.actors[2].sheetName, "");
    EXPECT_EQ(db.startingParty, (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(db.tilesets.size(), 2u);
    EXPECT_EQ(db.actorsFault + db.partyFault, "");

    simhost::GameMap written = sampleMap(), read;
    written.hasBackground = true;
    written.backgroundName = "Sky";
    ASSERT_TRUE(readMap(gamefile::encodeMap(written), read, error)) << error;
    EXPECT_TRUE(read.hasBackground);
    EXPECT_EQ(read.backgroundName, "Sky");
    // The plug-in finds the lower layer by the first byte 0x47, which a name before it must not hold.
    written.backgroundName = "Grass";
    EXPECT_NE(gamefile::mapEncodingProblem(written), "");
}

// The plug-in takes the first byte 0x47 of a map file for the start of its lower layer. Real maps
// may hold one before it, and the reader says where, and in which section, so the tools can warn.
TEST(GameFiles, AByte0x47BeforeTheLowerLayerIsFoundWithTheSectionThatHoldsIt) {
    const Bytes layers = concat({section(0x47, layer(1, 5000)), section(0x48, layer(1, 10000)), {0}});
    const Bytes size = concat({section(2, integer(1)), section(3, integer(1))});
    simhost::GameMap map;
    std::string error;
    ASSERT_TRUE(readMap(concat({signature(), size, section(0x20, text("Sky")), layers}), map, error)) << error;
    EXPECT_FALSE(map.strayLayerMark);

    const Bytes named = concat({signature(), size, section(0x20, text("Grass")), layers});
    ASSERT_TRUE(readMap(named, map, error)) << error;
    ASSERT_TRUE(map.strayLayerMark);
    EXPECT_EQ(map.strayLayerMark->offset, named.size() - layers.size() - 5); // the "G"
    EXPECT_EQ(map.strayLayerMark->sectionId, 0x20u);
    EXPECT_EQ(map.lower, (std::vector<uint16_t>{5000})); // the reader itself reads the layer where it is

    // The first such byte counts, in a section the reader passes over, or in the signature.
    ASSERT_TRUE(readMap(concat({signature(), section(0x0B, integer(71)), size, section(0x20, text("Grass")), layers}),
                        map, error))
        << error;
    EXPECT_EQ(map.strayLayerMark->sectionId, 0x0Bu);
    ASSERT_TRUE(readMap(concat({integer(4), text("SiGn"), size, layers}), map, error)) << error;
    EXPECT_EQ(map.strayLayerMark->offset, 3u);
    EXPECT_EQ(map.strayLayerMark->sectionId, 0u);
}

// What real files may do that does no harm: the System's sub-sections end with an id 0 or at the
// section's end, in any order; a party without its size is empty; ids past the size are passed over.
TEST(GameFileDefaults, TheStartingPartyIsReadAsRealFilesHoldIt) {
    auto party = [](const Bytes &system) {
        simhost::GameDatabase db;
        std::string error;
        EXPECT_TRUE(simhost::readDatabase(concat({signature(), section(0x16, system)}), "Game.ldb", db, &error))
            << error;
        EXPECT_EQ(db.partyFault, "");
        return db.startingParty;
    };
    const Bytes members = section(0x16, Bytes{3, 0, 1, 0, 9, 0});
    EXPECT_EQ(party(concat({section(0x15, integer(2)), members, Bytes{0}})), (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(party(concat({members, section(0x15, integer(2))})), (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(party(members), std::vector<int32_t>{});
    EXPECT_EQ(party(concat({section(0x15, integer(1)), section(0x16, Bytes{0x34, 0x12})})),
              std::vector<int32_t>{0x1234});
}

// The party's first member wins; an empty party gives actor 1; an actor without a sheet, or none
// at all, gives no sheet.
TEST(HeroSheet, ThePartysLeaderElseActorOne) {
    simhost::HeroSheet sheet;
    std::string error;
    ASSERT_TRUE(simhost::heroSheet(castDatabase({3, 1}), sheet, &error)) << error;
    EXPECT_EQ(sheet.actorId, 3);
    EXPECT_TRUE(sheet.fromParty);
    EXPECT_EQ(sheet.sheetName, "Mage");
    EXPECT_EQ(sheet.sheetIndex, 5);
    ASSERT_TRUE(simhost::heroSheet(castDatabase({}), sheet, &error)) << error;
    EXPECT_EQ(sheet.actorId, 1);
    EXPECT_FALSE(sheet.fromParty);
    EXPECT_EQ(sheet.sheetName, "Hero");
    ASSERT_TRUE(simhost::heroSheet(castDatabase({4}), sheet, &error)) << error;
    EXPECT_TRUE(sheet.actorFound);
    EXPECT_EQ(sheet.sheetName, "");
    ASSERT_TRUE(simhost::heroSheet(castDatabase({7}), sheet, &error)) << error;
    EXPECT_FALSE(sheet.actorFound);
    EXPECT_EQ(sheet.sheetName, "");
}

// ---- Malformed files ---------------------------------------------------------------------------------

// A fault inside the actor list or the System costs the hero his look, not the tilesets: the
// database is read, and the fault is kept with the file and the byte.
TEST(GameFileFaults, AFaultInTheActorsOrThePartyCostsOnlyThem) {
    const Bytes written = gamefile::encodeDatabase(sampleDatabase());
    const Bytes tilesetList(written.begin() + 16, written.end()); // after the 16-byte signature
    // Two actors counted, one there: the second's id would lie at byte 16, the section's end.
    const Bytes actors = section(0x0B, concat({integer(2), integer(1), section(3, text("Hero")), Bytes{0}}));
    // Four members counted, two there.
    const Bytes system = section(0x16, concat({section(0x15, integer(4)), section(0x16, Bytes{3, 0, 1, 0}), Bytes{0}}));
    const Bytes file = concat({signature(), actors, tilesetList, system});
    simhost::GameDatabase db;
    std::string error;
    ASSERT_TRUE(simhost::readDatabase(file, "Game.ldb", db, &error)) << error;
    EXPECT_EQ(db.tilesets.size(), 2u);
    EXPECT_TRUE(db.actors.empty());
    EXPECT_EQ(db.actorsFault, "Cannot read \"Game.ldb\" at byte 16: section 0x0B ends before an actor id");
    const size_t members = 16 + tilesetList.size() + 2 + 3;
    EXPECT_EQ(db.partyFault, "Cannot read \"Game.ldb\" at byte " + std::to_string(members) +
                                 ": the starting party's members take 4 bytes, 4 members need 8");
    simhost::HeroSheet sheet;
    EXPECT_FALSE(simhost::heroSheet(db, sheet, &error));
    EXPECT_EQ(error, db.partyFault);
    db.partyFault.clear();
    EXPECT_FALSE(simhost::heroSheet(db, sheet, &error));
    EXPECT_EQ(error, db.actorsFault);
}

// Every prefix lacks at least the end mark: each must be refused, and, in the sanitizer build,
// without a byte read past its end (the prefix is a buffer of its own size).
TEST(GameFileFaults, EveryTruncationOfAMapIsRefused) {
    const Bytes whole = gamefile::encodeMap(sampleMap());
    for (size_t length = 0; length < whole.size(); ++length) {
        const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        simhost::GameMap map;
        std::string error;
        EXPECT_FALSE(readMap(prefix, map, error)) << "length " << length;
        EXPECT_NE(error.find("Map0001.lmu"), std::string::npos);
        EXPECT_NE(error.find(" at byte "), std::string::npos);
    }
}

// A database's top-level list runs to the end of the file, so a file cut between two of its
// sections reads as the sections before the cut; a cut anywhere else is refused where it lies.
TEST(GameFileFaults, ADatabaseCutInsideASectionIsRefusedAndBetweenSectionsRead) {
    const Bytes written = gamefile::encodeDatabase(sampleDatabase());
    const Bytes tilesetList(written.begin() + 16, written.end()); // after the 16-byte signature
    const Bytes whole = concat({signature(), section(0x0C, Bytes{1, 2, 3}), tilesetList});
    const std::vector<size_t> betweenSections = {5, 10, whole.size()};
    for (size_t length = 0; length <= whole.size(); ++length) {
        const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        simhost::GameDatabase db;
        std::string error;
        const bool read = simhost::readDatabase(prefix, "Game.ldb", db, &error);
        const bool atABoundary =
            std::find(betweenSections.begin(), betweenSections.end(), length) != betweenSections.end();
        EXPECT_EQ(read, atABoundary) << "length " << length << ": " << error;
        if (read) {
            EXPECT_EQ(db.tilesets.size(), length == whole.size() ? 2u : 0u) << "length " << length;
        } else {
            EXPECT_EQ(error.rfind("Cannot read \"Game.ldb\" at byte ", 0), 0u) << error;
        }
    }
}

// Every byte in turn set to values that change its meaning most (end marks, last groups, groups
// that go on, the largest): each file is read or refused, never read past.
TEST(GameFileFaults, EverySingleByteCorruptionIsReadOrRefused) {
    const Bytes whole = gamefile::encodeMap(sampleMap());
    int refused = 0;
    for (size_t at = 0; at < whole.size(); ++at) {
        for (uint8_t value :
             {uint8_t{0x00}, uint8_t{0x01}, uint8_t{0x47}, uint8_t{0x7F}, uint8_t{0x80}, uint8_t{0xFF}}) {
            Bytes changed = whole;
            changed[at] = value;
            simhost::GameMap map;
            std::string error;
            if (!readMap(changed, map, error)) {
                ++refused;
                EXPECT_EQ(error.rfind("Cannot read \"Map0001.lmu\" at byte ", 0), 0u) << error;
            }
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(GameFileFaults, HugeDeclaredSizesAreRefusedBeforeAnythingIsAllocated) {
    expectRefused(mapFile(2, 2, sizeSections(INT32_MAX, INT32_MAX)), 5 + 14,
                  "a 2147483647 x 2147483647 map needs 9223372028264841218");
}

TEST(GameFileFaults, ARefusedFileLeavesTheRecordAsItWas) {
    simhost::GameMap map = sampleMap();
    std::string error;
    EXPECT_FALSE(readMap(Bytes{4, 'S'}, map, error));
    EXPECT_EQ(map.width, 6);
    EXPECT_EQ(map.events.size(), 3u);
}

TEST(GameFileFaults, SectionLongerThanTheBytesLeft) {
    // At offset 5, after the signature: section 2 claims 100 bytes.
    expectRefused(concat({signature(), Bytes{2, 100, 1, 0}}), 5, "section 0x02 is 100 bytes long");
    // A length of five groups, the largest 32-bit value.
    expectRefused(concat({signature(), Bytes{2, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 1}}), 5, "4294967295 bytes long");
    // The signature's own length.
    expectRefused(Bytes{30, 'S'}, 0, "the signature is 30 bytes long");
    // A sub-section running past the end of the event section that holds it.
    const Bytes events = concat({integer(1), integer(4), Bytes{1, 9, 'x'}});
    expectRefused(mapFile(20, 15, {}, section(0x51, events)), 5 + 3 + 600 + 3 + 600 + 2 + 2,
                  "section 0x01 is 9 bytes long");
}

TEST(GameFileFaults, IntegersOfMoreThanFiveGroupsOrThirtyTwoBits) {
    expectRefused(concat({signature(), Bytes{0x81, 0x80, 0x80, 0x80, 0x80, 0x00}}), 5, "runs past 5 groups");
    expectRefused(concat({signature(), Bytes{2, 5, 0x90, 0x80, 0x80, 0x80, 0x00}}), 7, "larger than 32 bits");
    // Five groups within 32 bits are a value like any other: here -1.
    simhost::GameMap map;
    std::string error;
    ASSERT_TRUE(readMap(mapFile(20, 15, section(1, Bytes{0x8F, 0xFF, 0xFF, 0xFF, 0x7F})), map, error)) << error;
    EXPECT_EQ(map.tilesetId, -1);
}

TEST(GameFileFaults, IntegerCutOffByItsSection) {
    // Section 1 is one byte long but its integer's first group says another follows.
    expectRefused(mapFile(20, 15, Bytes{1, 1, 0x81}), 7, "section 0x01 ends inside the value");
}

TEST(GameFileFaults, BytesAfterAValue) {
    expectRefused(mapFile(20, 15, section(2, Bytes{20, 0})), 8, "1 bytes follow the value in section 0x02");
}

TEST(GameFileFaults, CountsLargerThanTheBytesLeft) {
    expectRefused(mapFile(20, 15, {}, section(0x51, concat({integer(1000000), Bytes(10, 0)}))),
                  5 + 3 + 600 + 3 + 600 + 2, "the event count 1000000 is larger than the 10 bytes left");
    const Bytes pages = section(5, integer(3));
    expectRefused(mapFile(20, 15, {}, section(0x51, concat({integer(1), integer(1), pages, Bytes{0}}))),
                  5 + 3 + 600 + 3 + 600 + 2 + 1 + 1 + 2, "the page count 3");
    const Bytes db = concat({signature(), section(0x14, concat({integer(70000), Bytes{1, 0}}))});
    simhost::GameDatabase read;
    std::string error;
    EXPECT_FALSE(simhost::readDatabase(db, "Game.ldb", read, &error));
    EXPECT_NE(error.find("\"Game.ldb\" at byte 7: the tileset count 70000"), std::string::npos) << error;
}

TEST(GameFileFaults, LayersMustHoldTheMapsCells) {
    // 3 x 2 declared, layers of 20 x 15.
    const Bytes sizes = sizeSections(3, 2);
    expectRefused(concat({signature(), sizes, section(0x47, layer(5, 0)), section(0x48, layer(6, 0)), Bytes{0}}), 11,
                  "the lower layer holds 10 bytes, a 3 x 2 map needs 12");
    expectRefused(concat({signature(), sizes, section(0x47, layer(6, 0)), section(0x48, layer(7, 0)), Bytes{0}}),
                  11 + 14, "the upper layer holds 14 bytes");
    expectRefused(concat({signature(), sizes, section(0x47, layer(6, 0)), Bytes{0}}), 11 + 14,
                  "no upper layer section");
    // A size given after the layers still governs them.
    expectRefused(concat({signature(), section(0x47, layer(6, 0)), section(0x48, layer(6, 0)), Bytes{0}}), 5,
                  "a 20 x 15 map needs 600");
}

TEST(GameFileFaults, EmptyMapsNeedNoLayers) {
    simhost::GameMap map;
    std::string error;
    ASSERT_TRUE(readMap(concat({signature(), sizeSections(0, 15), Bytes{0}}), map, error)) << error;
    EXPECT_EQ(map.width, 0);
    EXPECT_TRUE(map.lower.empty());
}

TEST(GameFileFaults, NegativeSizes) {
    expectRefused(mapFile(20, 15, section(2, integer(-3))), 5, "the width -3 is negative");
    expectRefused(mapFile(20, 15, section(3, integer(INT32_MIN))), 5, "the height -2147483648 is negative");
}

TEST(GameFileFaults, TablesOfTheWrongSize) {
    const Bytes tileset = concat({integer(1), section(3, Bytes(322, 0)), Bytes{0}});
    const Bytes db = concat({signature(), section(0x14, concat({integer(1), tileset}))});
    simhost::GameDatabase read;
    std::string error;
    EXPECT_FALSE(simhost::readDatabase(db, "Game.ldb", read, &error));
    EXPECT_NE(error.find("the attribute table holds 322 bytes, not 324"), std::string::npos) << error;
}

TEST(GameFileFaults, ListsMustEndWithTheirSection) {
    const Bytes events = concat({integer(1), integer(4), Bytes{0}, Bytes{7, 7}});
    expectRefused(mapFile(20, 15, {}, section(0x51, events)), 5 + 3 + 600 + 3 + 600 + 2 + 3,
                  "2 bytes follow the events in section 0x51");
}

// ---- Code page and file names ------------------------------------------------------------------------

class GameFileNames : public HostTest {
protected:
    void TearDown() override { simhost::setCodePage("1252", nullptr); }

    static void touch(const fs::path &path) {
        if (path.has_parent_path()) fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }

    ScratchDirectory scratch;
};

TEST_F(GameFileNames, ExactNameFirst) {
    touch("ChipSet/Tiles.png");
    touch("ChipSet/tiles.png");
    EXPECT_EQ(simhost::resolveGameFile("ChipSet/tiles.png"), "ChipSet/tiles.png");
    EXPECT_EQ(simhost::resolveGameFile("ChipSet/Tiles.png"), "ChipSet/Tiles.png");
}

TEST_F(GameFileNames, ThenWithoutRegardToLetterCaseInEachComponent) {
    touch("ChipSet/Tiles.png");
    EXPECT_EQ(simhost::resolveGameFile("chipset/TILES.PNG"), "ChipSet/Tiles.png");
    EXPECT_EQ(simhost::resolveGameFile("CHIPSET/Tiles.png"), "ChipSet/Tiles.png");
    // Several entries fold alike: the first in byte order, whatever order the folder lists them.
    touch("ChipSet/TILES.png");
    EXPECT_EQ(simhost::resolveGameFile("chipset/tiles.PNG"), "ChipSet/TILES.png");
}

TEST_F(GameFileNames, ThenAfterConvertingTheCodePage) {
    touch("\xC3\x89"
          "b\xC3\xA8"
          "ne.png"); // "Ébène.png" in UTF-8
    EXPECT_EQ(simhost::resolveGameFile("\xC9"
                                       "b\xE8"
                                       "ne.png"),
              "\xC3\x89"
              "b\xC3\xA8"
              "ne.png");
    // Then in any letter case.
    EXPECT_EQ(simhost::resolveGameFile("\xC9"
                                       "B\xE8"
                                       "NE.PNG"),
              "\xC3\x89"
              "b\xC3\xA8"
              "ne.png");
}

TEST_F(GameFileNames, AnotherCodePageByItsNumber) {
    std::string error;
    ASSERT_TRUE(simhost::setCodePage("1251", &error)) << error;
    touch("CharSet/\xD0\x90.png"); // Cyrillic capital A
    EXPECT_EQ(simhost::resolveGameFile("CharSet/\xC0.png"), "CharSet/\xD0\x90.png");
}

TEST_F(GameFileNames, ABackslashInsideADoubleByteCharacterSeparatesNothing) {
    std::string error;
    ASSERT_TRUE(simhost::setCodePage("932", &error)) << error;
    touch("CharSet/\xE3\x82\xBD.png"); // KATAKANA SO, 0x83 0x5C in code page 932
    EXPECT_EQ(simhost::resolveGameFile("CharSet/\x83\x5C.png"), "CharSet/\xE3\x82\xBD.png");
    EXPECT_EQ(simhost::resolveGameFile("CharSet\\\x83\x5C.png"), "CharSet/\xE3\x82\xBD.png");
}

TEST_F(GameFileNames, BackslashesSeparateComponents) {
    touch("ChipSet/Tiles.png");
    EXPECT_EQ(simhost::resolveGameFile("ChipSet\\Tiles.png"), "ChipSet/Tiles.png");
}

TEST_F(GameFileNames, NoMatchLeavesTheNameUnchanged) {
    touch("ChipSet/Tiles.png");
    EXPECT_EQ(simhost::resolveGameFile("ChipSet/Other.png"), "ChipSet/Other.png");
    EXPECT_EQ(simhost::resolveGameFile("Tiles.png/ChipSet"), "Tiles.png/ChipSet");
    EXPECT_EQ(simhost::resolveGameFile(""), "");
}

TEST_F(GameFileNames, RelativeToAGivenFolder) {
    touch("game/CharSet/Hero.png");
    EXPECT_EQ(simhost::resolveGameFile(fs::path("game"), "charset/hero.png"), fs::path("game/CharSet/Hero.png"));
}

TEST_F(GameFileNames, UnknownCodePageIsRefused) {
    std::string error;
    EXPECT_FALSE(simhost::setCodePage("no-such-page", &error));
    EXPECT_EQ(error, "Unknown code page \"no-such-page\"");
    EXPECT_FALSE(simhost::setCodePage("", &error));
    EXPECT_EQ(simhost::codePage(), "1252");
}

TEST_F(GameFileNames, TextsConvertToUtf8) {
    EXPECT_EQ(simhost::toUtf8("plain"), "plain");
    EXPECT_EQ(simhost::toUtf8("\x80 \xE9"), "\xE2\x82\xAC \xC3\xA9");
    // 0x81 is not a character in code page 1252.
    EXPECT_EQ(simhost::toUtf8("a\x81z"), "a\xEF\xBF\xBDz");
    ASSERT_TRUE(simhost::setCodePage("932", nullptr));
    // A lead byte with no trail byte at the end of the text.
    EXPECT_EQ(simhost::toUtf8("a\x83"), "a\xEF\xBF\xBD");
}

TEST_F(GameFileNames, TheHostsImageLoaderMatchesNamesAsWindowsDoes) {
    ASSERT_TRUE(farview_test::writeOneColourImage("CharSet/\xC3\x89t\xC3\xA9.png", 24, 32, 3, 0x102030));
    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, "charset/\xC9T\xE9.PNG", 1);
    EXPECT_TRUE(simhost::messages().empty());
    EXPECT_EQ(image->width, 24);
    simhost::loadImageFile(image, "CharSet/Missing.png", 1);
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(simhost::messages()[0].rfind("Cannot load image \"CharSet/Missing.png\": ", 0), 0u)
        << simhost::messages()[0];
}

// The standard graphics: looked in after the game folder, by the same rules; a file in neither is
// told with where it was looked for.
TEST_F(GameFileNames, TheLoaderLooksAmongTheStandardGraphicsAfterTheGameFolder) {
    ASSERT_TRUE(farview_test::writeOneColourImage("Standard/CharSet/\xC3\x89t\xC3\xA9.png", 24, 32, 3, 0x102030));
    ASSERT_TRUE(farview_test::writeOneColourImage("Standard/ChipSet/Both.png", 8, 8, 1, 0x102030));
    ASSERT_TRUE(farview_test::writeOneColourImage("Game/ChipSet/Both.png", 16, 16, 1, 0x102030));
    simhost::setStandardGraphicsFolder(fs::absolute("Standard"));
    fs::current_path("Game");
    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, "charset/\xC9T\xE9.PNG", 1);
    EXPECT_EQ(image->width, 24);
    simhost::loadImageFile(image, "ChipSet/Both.png", 1);
    EXPECT_EQ(image->width, 16); // the game's own first
    EXPECT_EQ(simhost::findGraphicFile({}, "ChipSet/Both.png").source, simhost::GraphicSource::gameFolder);
    EXPECT_EQ(simhost::findGraphicFile({}, "CharSet/\xC9t\xE9.png").source, simhost::GraphicSource::standardGraphics);
    EXPECT_TRUE(simhost::messages().empty());
    simhost::loadImageFile(image, "ChipSet/Missing.png", 1);
    simhost::setStandardGraphicsFolder({});
    simhost::loadImageFile(image, "ChipSet/Missing.png", 1);
    fs::current_path("..");
    ASSERT_EQ(simhost::messages().size(), 2u);
    EXPECT_NE(simhost::messages()[0].find("neither in the game folder nor in the standard graphics folder \"" +
                                          fs::absolute("Standard").string() + "\""),
              std::string::npos)
        << simhost::messages()[0];
    EXPECT_NE(simhost::messages()[1].find("no standard graphics folder is named (--standard-graphics DIR"),
              std::string::npos)
        << simhost::messages()[1];
}

// ---- Opening a game and entering a map ----------------------------------------------------------------

class GameFolderTest : public HostTest {
protected:
    ScratchDirectory scratch;
    simhost::GameFolder game;
    std::string error;
};

TEST_F(GameFolderTest, AFolderWithoutDatabaseHasNone) {
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    EXPECT_TRUE(game.databasePath.empty());
    EXPECT_EQ(simhost::gameDatabase(game, &error), nullptr);
    EXPECT_NE(error.find("has no database"), std::string::npos) << error;
    EXPECT_TRUE(game.folder.is_absolute());
}

TEST_F(GameFolderTest, TheOneDatabaseIsReadWhateverItsCase) {
    ASSERT_TRUE(gamefile::writeDatabase("Game.LDB", sampleDatabase(), &error)) << error;
    ASSERT_TRUE(simhost::openGame(scratch.path(), game, &error)) << error;
    EXPECT_EQ(game.databasePath.filename(), "Game.LDB");
    const simhost::GameDatabase *db = simhost::gameDatabase(game, &error);
    ASSERT_NE(db, nullptr) << error;
    EXPECT_EQ(db->tilesets.size(), 2u);
}

TEST_F(GameFolderTest, TwoDatabasesAreRefusedByName) {
    ASSERT_TRUE(gamefile::writeDatabase("B.ldb", sampleDatabase(), &error)) << error;
    ASSERT_TRUE(gamefile::writeDatabase("A.ldb", sampleDatabase(), &error)) << error;
    EXPECT_FALSE(simhost::openGame(".", game, &error));
    EXPECT_NE(error.find("more than one database: \"A.ldb\", \"B.ldb\""), std::string::npos) << error;
}

// The database is read when a step first needs it: a fault in it stops that step, and every later
// one that needs it, with the same message, and nothing else.
TEST_F(GameFolderTest, ACorruptDatabaseStopsOnlyWhatNeedsIt) {
    saveBytes("Game.ldb", Bytes{3, 'a'});
    ASSERT_TRUE(gamefile::writeMap("Map0001.lmu", sampleMap(), &error)) << error;
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    EXPECT_EQ(simhost::gameDatabase(game, &error), nullptr);
    EXPECT_EQ(error.rfind("Cannot read \"Game.ldb\" at byte 0:", 0), 0u) << error;
    const std::string first = error;
    simhost::setMapSize(9, 9);
    EXPECT_FALSE(simhost::enterMap(game, 1, &error));
    EXPECT_EQ(error, first);
    int32_t width = 0;
    simhost::mapSize(&width, nullptr);
    EXPECT_EQ(width, 9);
}

TEST_F(GameFolderTest, NotAFolder) {
    saveBytes("file", Bytes{1});
    EXPECT_FALSE(simhost::openGame("file", game, &error));
    EXPECT_FALSE(simhost::openGame("missing", game, &error));
    EXPECT_NE(error.find("\"missing\""), std::string::npos) << error;
}

TEST_F(GameFolderTest, EnteringAMapSetsTheHostAsTheMapSays) {
    ASSERT_TRUE(gamefile::writeDatabase("Game.ldb", sampleDatabase(), &error)) << error;
    ASSERT_TRUE(gamefile::writeMap("Map0012.lmu", sampleMap(), &error)) << error;
    simhost::hero().mapColumn = 4;
    simhost::hero().mapRow = 1;
    simhost::setScroll(32, 48);
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    ASSERT_TRUE(simhost::enterMap(game, 12, &error)) << error;

    int32_t width = 0, height = 0;
    simhost::mapSize(&width, &height);
    EXPECT_EQ(width, 6);
    EXPECT_EQ(height, 4);
    EXPECT_EQ(simhost::hero().mapId, 12);
    EXPECT_EQ(simhost::hero().mapColumn, 4);
    EXPECT_EQ(simhost::hero().mapRow, 1);
    EXPECT_EQ(simhost::mapView().scrollX, 32);
    EXPECT_EQ(simhost::mapView().scrollY, 48);

    const simhost::GameDatabase db = sampleDatabase();
    const simhost::GameTileset &fields = db.tilesets[1];
    const Bytes expected =
        simhost::makeTilesetRecord("Fields", "fieldtiles", {fields.attributes, fields.lowerFlags, fields.upperFlags});
    const FvHostMapView &view = simhost::mapView();
    ASSERT_EQ(view.tilesetRecordSize, static_cast<int32_t>(expected.size()));
    EXPECT_EQ(Bytes(view.tilesetRecord, view.tilesetRecord + view.tilesetRecordSize), expected);

    FvHostEventList *events = view.events;
    ASSERT_NE(events, nullptr);
    ASSERT_EQ(events->count, 3);
    const FvHostCharacter *chest = events->items[0];
    EXPECT_EQ(chest->id, 5);
    EXPECT_EQ(chest->mapColumn, 2);
    EXPECT_EQ(chest->mapRow, 3);
    EXPECT_EQ(simhost::hostStringText(chest->sheetName), "Objects"); // the first page
    EXPECT_EQ(chest->sheetIndex, 4);
    EXPECT_EQ(chest->facing, 1);
    EXPECT_EQ(chest->animationStep, 0);
    const FvHostCharacter *marker = events->items[1]; // no page: shown as tile 0
    EXPECT_EQ(marker->id, 9);
    EXPECT_EQ(simhost::hostStringText(marker->sheetName), "");
    EXPECT_EQ(marker->sheetIndex, 0);
    EXPECT_EQ(events->items[2]->mapRow, 70000);
}

TEST_F(GameFolderTest, EnteringReplacesThePreviousMapsEvents) {
    simhost::GameMap second;
    second.tilesetId = 3;
    second.events = {{30, "", 1, 1, {}}};
    ASSERT_TRUE(gamefile::writeDatabase("Game.ldb", sampleDatabase(), &error)) << error;
    ASSERT_TRUE(gamefile::writeMap("Map0001.lmu", sampleMap(), &error)) << error;
    ASSERT_TRUE(gamefile::writeMap("Map0002.lmu", second, &error)) << error;
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    ASSERT_TRUE(simhost::enterMap(game, 1, &error)) << error;
    ASSERT_TRUE(simhost::enterMap(game, 2, &error)) << error;
    ASSERT_EQ(simhost::mapView().events->count, 1);
    EXPECT_EQ(simhost::mapView().events->items[0]->id, 30);
}

TEST_F(GameFolderTest, AMissingTilesetIsRefusedAndTheHostIsLeftAlone) {
    simhost::GameMap map = sampleMap();
    map.tilesetId = 8;
    ASSERT_TRUE(gamefile::writeDatabase("Game.ldb", sampleDatabase(), &error)) << error;
    ASSERT_TRUE(gamefile::writeMap("Map0003.lmu", map, &error)) << error;
    simhost::setMapSize(9, 9);
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    EXPECT_FALSE(simhost::enterMap(game, 3, &error));
    EXPECT_EQ(error, "The map \"Map0003.lmu\" uses tileset 8, which the database \"Game.ldb\" does not hold");
    int32_t width = 0;
    simhost::mapSize(&width, nullptr);
    EXPECT_EQ(width, 9);
    EXPECT_EQ(simhost::hero().mapId, 1);
}

TEST_F(GameFolderTest, WithoutADatabaseTheTilesetRecordStays) {
    ASSERT_TRUE(gamefile::writeMap("Map0001.lmu", sampleMap(), &error)) << error;
    const Bytes record = simhost::makeTilesetRecord("Mine", "minetiles");
    simhost::setTilesetRecord(record);
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    ASSERT_TRUE(simhost::enterMap(game, 1, &error)) << error;
    const FvHostMapView &view = simhost::mapView();
    EXPECT_EQ(Bytes(view.tilesetRecord, view.tilesetRecord + view.tilesetRecordSize), record);
}

TEST_F(GameFolderTest, MapFilesAreFoundInAnyCaseAndMissingOnesNamed) {
    ASSERT_TRUE(gamefile::writeMap("MAP0004.LMU", sampleMap(), &error)) << error;
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    EXPECT_TRUE(simhost::enterMap(game, 4, &error)) << error;
    EXPECT_FALSE(simhost::enterMap(game, 5, &error));
    EXPECT_NE(error.find("Map0005.lmu\": there is no such file"), std::string::npos) << error;
}

TEST_F(GameFolderTest, ACorruptMapIsRefusedWithItsOffset) {
    Bytes bytes = gamefile::encodeMap(sampleMap());
    bytes.pop_back();
    saveBytes("Map0001.lmu", bytes);
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    EXPECT_FALSE(simhost::enterMap(game, 1, &error));
    EXPECT_EQ(error.rfind("Cannot read \"Map0001.lmu\" at byte " + std::to_string(bytes.size()) + ":", 0), 0u) << error;
}

// ---- End to end: the real plug-in reads a written game ---------------------------------------------------

class GameFolderModule : public farview_test::ModuleTest {
protected:
    ScratchDirectory scratch;
};

TEST_F(GameFolderModule, ThePluginLoadsAWrittenMapWithoutAMessage) {
    ASSERT_TRUE(farview_test::writeOneColourImage("ChipSet/fieldtiles.png", 480, 256, 1, 0x40A040));
    simhost::GameMap map = sampleMap();
    map.width = 30;
    map.height = 20;
    map.lower.assign(600, 5000);
    map.upper.assign(600, 10001);
    map.events = {{1, "", 3, 3, {}}}; // shown as tile 0: no character sheet to load
    std::string error;
    ASSERT_TRUE(gamefile::writeDatabase("Game.ldb", sampleDatabase(), &error)) << error;
    ASSERT_TRUE(gamefile::writeMap("Map0002.lmu", map, &error)) << error;
    simhost::GameFolder game;
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    ASSERT_TRUE(simhost::enterMap(game, 2, &error)) << error;
    simhost::hero().mapColumn = 15;
    simhost::hero().mapRow = 10;
    simhost::scrollToHero();

    simhost::sendComment(module, "load_map_to_texture", {});
    EXPECT_TRUE(simhost::messages().empty()) << simhost::messages().front();
    simhost::sendComment(module, "init_mode7", {simhost::number(1)});
    simhost::drawPictures(module, {1});
    EXPECT_TRUE(simhost::messages().empty()) << simhost::messages().front();
    // The floor near the screen's bottom edge shows the map's one tile colour.
    EXPECT_EQ(simhost::screenPixel(20, 235), simhost::rgb565(0x40A040));
}

} // namespace
