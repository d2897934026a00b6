// The map tree as the page lists a game's maps: the names by id, only maps that have a file, the
// names in the game's code page, and the refusal of a malformed tree with the file and the byte.
#include <gtest/gtest.h>

#include <fstream>

#include "simhost/map_tree.h"
#include "support/file_bytes.h"
#include "support/game_writer.h"
#include "support/host_fixture.h"
#include "support/map_tree_writer.h"

namespace {

using farview_test::ScratchDirectory;
using namespace filebytes;
namespace fs = std::filesystem;

simhost::MapTree tree(const std::string &title, std::vector<simhost::MapTreeEntry> maps) { return {title, maps}; }

std::string refusal(const Bytes &bytes) {
    simhost::MapTree read;
    std::string error;
    EXPECT_FALSE(simhost::readMapTree(bytes, "Game.lmt", read, &error));
    return error;
}

void writeBytes(const fs::path &path, const Bytes &bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeMaps(std::initializer_list<int32_t> ids) {
    for (int32_t id : ids) {
        std::string error;
        ASSERT_TRUE(gamefile::writeMap(simhost::mapFileName(id), simhost::GameMap{}, &error)) << error;
    }
}

simhost::GameMapList listHere(std::string *problem) {
    simhost::GameFolder game;
    std::string error;
    EXPECT_TRUE(simhost::openGame(fs::current_path(), game, &error)) << error;
    return simhost::listGameMaps(game, problem);
}

std::vector<std::pair<int32_t, std::string>> listed(const simhost::GameMapList &list) {
    std::vector<std::pair<int32_t, std::string>> out;
    for (const simhost::MapTreeEntry &map : list.maps) out.emplace_back(map.id, map.name);
    return out;
}

// ---- Reading ---------------------------------------------------------------------------------------

TEST(MapTree, EntryZeroIsTheTitleAndEveryOtherEntryAMapByItsId) {
    simhost::MapTree read;
    std::string error;
    const Bytes bytes = gamefile::encodeMapTree(tree("The Game", {{3, "Harbour"}, {1, "Village"}, {7, ""}}));
    ASSERT_TRUE(simhost::readMapTree(bytes, "Game.lmt", read, &error)) << error;
    EXPECT_EQ(read.title, "The Game");
    ASSERT_EQ(read.maps.size(), 3u);
    EXPECT_EQ(read.maps[0].id, 3);
    EXPECT_EQ(read.maps[0].name, "Harbour");
    EXPECT_EQ(read.maps[1].name, "Village");
    EXPECT_EQ(read.maps[2].name, "");
}

TEST(MapTree, UnknownSubSectionsAndWhatFollowsTheEntriesArePassedOver) {
    const Bytes bytes = concat({integer(4), text("Tree"), integer(2), integer(0), integer(0x0A), integer(2), text("zz"),
                                integer(0), integer(5), integer(0x03), integer(1), text("x"), integer(0x01), integer(4),
                                text("Mill"), integer(0), text("more data")});
    simhost::MapTree read;
    std::string error;
    ASSERT_TRUE(simhost::readMapTree(bytes, "Game.lmt", read, &error)) << error;
    ASSERT_EQ(read.maps.size(), 1u);
    EXPECT_EQ(read.maps[0].id, 5);
    EXPECT_EQ(read.maps[0].name, "Mill");
}

TEST(MapTree, AMalformedTreeIsRefusedWithTheByteOfItsFault) {
    EXPECT_EQ(refusal(concat({integer(9), text("Tree")})),
              "Cannot read \"Game.lmt\" at byte 0: the header is 9 bytes long but the file has only 4 left");
    EXPECT_EQ(
        refusal(concat({integer(4), text("Tree"), integer(50), integer(1), integer(0)})),
        "Cannot read \"Game.lmt\" at byte 5: the entry count 50 is larger than the 2 bytes left in the file can hold");
    EXPECT_EQ(refusal(concat({integer(4), text("Tree"), integer(1), integer(1), integer(1), integer(20), text("ab")})),
              "Cannot read \"Game.lmt\" at byte 7: section 0x01 is 20 bytes long but the file has only 2 left");
    EXPECT_EQ(refusal(concat({integer(4), text("Tree"), integer(1), integer(1), integer(5), integer(0)})),
              "Cannot read \"Game.lmt\" at byte 9: the file ends before a section id");
    EXPECT_EQ(refusal(concat({integer(4), text("Tree"), integer(1), Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}})),
              "Cannot read \"Game.lmt\" at byte 6: an entry's id runs past 5 groups");
}

// ---- Listing a game's maps -------------------------------------------------------------------------

TEST(GameMapList, OnlyMapsWithAFileAreListedNamedAsTheTreeNamesThem) {
    ScratchDirectory scratch;
    writeMaps({1, 2, 4});
    std::string error;
    ASSERT_TRUE(gamefile::writeMapTree("RPG.LMT", tree("Title", {{1, "Field"}, {3, "Gone"}, {4, "Cave"}}), &error));
    std::string problem;
    const simhost::GameMapList list = listHere(&problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(list.title, "Title");
    using Listed = std::vector<std::pair<int32_t, std::string>>;
    EXPECT_EQ(listed(list), (Listed{{1, "Field"}, {2, ""}, {4, "Cave"}}));
}

TEST(GameMapList, WithoutATreeOrWithABrokenOneTheMapsAreListedUnnamed) {
    ScratchDirectory scratch;
    writeMaps({2, 5});
    std::string problem;
    using Listed = std::vector<std::pair<int32_t, std::string>>;
    EXPECT_EQ(listed(listHere(&problem)), (Listed{{2, ""}, {5, ""}}));
    EXPECT_EQ(problem, "");
    writeBytes("Game.lmt", concat({integer(4), text("Tr")}));
    EXPECT_EQ(listed(listHere(&problem)), (Listed{{2, ""}, {5, ""}}));
    EXPECT_EQ(problem, "Cannot read \"Game.lmt\" at byte 0: the header is 4 bytes long but the file has only 2 left");
    EXPECT_EQ(listed(listHere(nullptr)), (Listed{{2, ""}, {5, ""}})); // a caller that wants no reason
}

} // namespace
