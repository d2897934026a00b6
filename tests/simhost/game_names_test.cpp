// Names as a Windows host reads them: letter case ignored for every letter of the code pages a game
// may be written in, names in messages as UTF-8, and the game's code page found by its file names.
#include <fstream>

#include "simhost/game_folder.h"
#include "simhost/game_folder_case.h"
#include "support/game_writer.h"
#include "support/generated_game.h"
#include "support/host_fixture.h"
#include "support/map_tree_writer.h"

namespace {

namespace fs = std::filesystem;

TEST(WindowsCase, TheLettersOfEveryCodePageFoldAndNothingElse) {
    const std::pair<const char *, const char *> folds[] = {
        {"bäume ÿ æ", "BÄUME Ÿ Æ"},       // Latin-1, and ÿ to Latin Extended-A
        {"łódź ő ş ơ", "ŁÓDŹ Ő Ş Ơ"},     // Latin Extended-A and -B (1250, 1258)
        {"дерево ё ў ґ", "ДЕРЕВО Ё Ў Ґ"}, // Cyrillic (1251)
        {"αβγ ά ϊ", "ΑΒΓ Ά Ϊ"},           // Greek (1253)
        {"ａｂｃ ⅰⅹ ⓐ", "ＡＢＣ ⅠⅩ Ⓐ"},   // full-width Latin, Roman numerals, circled letters (932, 936, 949)
        {"森林 あ ア", "森林 あ ア"},     // no case
        {"straße", "STRAßE"},             // no single upper-case letter
        {"ı ſ µ ς", "ı ſ µ ς"},           // one-way mappings onto another letter's capital
        {"a\xE4\xFF"
         "b",
         "A\xE4\xFF"
         "B"}, // bytes that are no UTF-8 character stay as they are
        {"\xF0\x9F\x90\x88", "\xF0\x9F\x90\x88"},
    };
    for (const auto &fold : folds) EXPECT_EQ(simhost::windowsUpperCase(fold.first), fold.second) << fold.first;
}

class GameNames : public farview_test::HostTest {
protected:
    void TearDown() override { simhost::setCodePage("1252", nullptr); }

    static void touch(const fs::path &path) {
        if (path.has_parent_path()) fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }
    static void useCodePage(const char *codePage) { ASSERT_TRUE(simhost::setCodePage(codePage, nullptr)); }

    farview_test::ScratchDirectory scratch;
};

TEST_F(GameNames, NonAsciiLettersMatchInAnyCase) {
    touch("CharSet/BÄUME.png");
    EXPECT_EQ(simhost::resolveGameFile("CharSet/B\xE4ume.png"), "CharSet/BÄUME.png");
    useCodePage("1251");
    touch("CharSet/ДЕРЕВО.png");
    EXPECT_EQ(simhost::resolveGameFile("charset/\xE4\xE5\xF0\xE5\xE2\xEE.png"), "CharSet/ДЕРЕВО.png");
    useCodePage("932");
    touch("CharSet/ＡＢ.png");
    EXPECT_EQ(simhost::resolveGameFile("CharSet/\x82\x81\x82\x82.png"), "CharSet/ＡＢ.png"); // ａｂ
}

// A folder copied byte for byte keeps the names in the code page: compared as the code page reads
// them, so that a trail byte that looks like an ASCII letter is no letter.
TEST_F(GameNames, NamesKeptInTheCodePageMatchAsItsCharacters) {
    touch("CharSet/B\xC4UME.png");
    EXPECT_EQ(simhost::resolveGameFile("CharSet/b\xE4ume.png"), "CharSet/B\xC4UME.png");
    useCodePage("932");
    touch("CharSet/\x83\x61.png");                                                       // ヂ, whose trail byte is 'a'
    EXPECT_EQ(simhost::resolveGameFile("CharSet/\x83\x41.png"), "CharSet/\x83\x41.png"); // ア: no file
}

TEST_F(GameNames, MessagesNameFilesInUtf8) {
    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, "CharSet/B\xE4ume2.png", 1);
    useCodePage("932");
    simhost::loadImageFile(image, "CharSet/\x83\x5C.png", 1);
    ASSERT_EQ(simhost::messages().size(), 2u);
    EXPECT_EQ(simhost::messages()[0].rfind("Cannot load image \"CharSet/Bäume2.png\": ", 0), 0u);
    EXPECT_EQ(simhost::messages()[1].rfind("Cannot load image \"CharSet/ソ.png\": ", 0), 0u);
}

// ---- The game's code page ------------------------------------------------------------------------

simhost::CodePageChoice choiceFor(const std::string &codePage, bool withGraphics = true) {
    gamefile::GeneratedGame generated;
    std::string error;
    const fs::path folder = "game" + codePage;
    EXPECT_TRUE(gamefile::writeGeneratedGame(folder, gamefile::smallGame(codePage, 3), generated, &error)) << error;
    if (!withGraphics) {
        fs::remove_all(folder / "ChipSet");
        fs::remove_all(folder / "CharSet");
    }
    simhost::GameFolder game;
    EXPECT_TRUE(simhost::openGame(folder, game, &error)) << error;
    return simhost::chooseCodePage(game.folder, simhost::namedGameFiles(game));
}

// 1252's names read the same in 1250: of code pages that find as many, the first listed wins.
TEST_F(GameNames, TheCodePageIsTheOneUnderWhichTheNamesFindTheirFiles) {
    for (const char *codePage : {"1252", "1251", "950"}) {
        const simhost::CodePageChoice choice = choiceFor(codePage);
        EXPECT_EQ(choice.codePage, codePage);
        EXPECT_GT(choice.weighed, 3u) << codePage;
        EXPECT_EQ(choice.found, choice.weighed) << codePage;
    }
}

TEST_F(GameNames, WithoutAFileTheNamesFindTheCodePageIs1252) {
    const simhost::CodePageChoice choice = choiceFor("950", false);
    EXPECT_EQ(choice.codePage, "1252");
    EXPECT_EQ(choice.found, 0u);
    EXPECT_EQ(simhost::chooseCodePage(".", {"ChipSet/Plain.png"}).weighed, 0u);
}

// A game whose texts name its maps, events, tileset and common events in a code page while its file
// names are plain ASCII: the same bytes under each, the game's is the one they read right under.
simhost::CodePageChoice choiceByTexts(const std::vector<std::string> &texts) {
    simhost::GameDatabase db;
    db.tilesets.push_back({1, texts[0], "Inside", {}, {}, {}});
    db.commonEvents.push_back({1, texts[1], simhost::triggers::kCalledOnly, false, 0, {}});
    simhost::GameMap map;
    map.events.push_back({1, texts[2], 0, 0, {gamefile::sheetPage("Hero", 0, 2, 1)}});
    simhost::MapTree tree{texts[3], {{1, texts[4]}}};
    std::string error;
    fs::remove_all("Game");
    fs::create_directories("Game/ChipSet");
    fs::create_directories("Game/CharSet");
    std::ofstream("Game/ChipSet/Inside.png") << "x";
    std::ofstream("Game/CharSet/Hero.png") << "x";
    EXPECT_TRUE(gamefile::writeDatabase("Game/Game.ldb", db, &error) &&
                gamefile::writeMap("Game/Map0001.lmu", map, &error) &&
                gamefile::writeMapTree("Game/Game.lmt", tree, &error))
        << error;
    simhost::GameFolder game;
    EXPECT_TRUE(simhost::openGame("Game", game, &error)) << error;
    return simhost::chooseGameCodePage(game);
}

TEST_F(GameNames, WithFileNamesInAsciiTheTextsTellTheCodePage) {
    // 內部, 城堡, 村民, 魔王之塔, 森林 in Big5 (950)
    const simhost::CodePageChoice chinese = choiceByTexts({"\xA4\xBA\xB3\xA1", "\xAB\xB0\xB3\xF9", "\xA7\xF8\xA5\xC1",
                                                           "\xC5\x5D\xA4\xFD\xA4\xA7\xB6\xF0", "\xB4\xCB\xAA\x4C"});
    EXPECT_EQ(chinese.codePage, "950");
    EXPECT_EQ(chinese.weighed, 0u);
    EXPECT_EQ(chinese.textsRead, 5u);
    ASSERT_TRUE(simhost::setCodePage(chinese.codePage, nullptr));
    EXPECT_EQ(simhost::toUtf8("ChipSet/\xA4\xBA\xB3\xA1.png"), "ChipSet/內部.png");
    // Дерево, Город, Лес, Пещера, Замок in 1251: letters in 1252 too, but no words.
    EXPECT_EQ(choiceByTexts({"\xC4\xE5\xF0\xE5\xE2\xEE", "\xC3\xEE\xF0\xEE\xE4", "\xCB\xE5\xF1",
                             "\xCF\xE5\xF9\xE5\xF0\xE0", "\xC7\xE0\xEC\xEE\xEA"})
                  .codePage,
              "1251");
    // 마을, 숲, 동굴, 성, 도시 in 949: frequent Chinese characters in 936 and 950 too.
    EXPECT_EQ(
        choiceByTexts({"\xB8\xB6\xC0\xBB", "\xBD\xA3", "\xB5\xBF\xB1\xBC", "\xBC\xBA", "\xB5\xB5\xBD\xC3"}).codePage,
        "949");
    // 村の入口, 森, 城下町, ダンジョン, 魔王 in 932.
    EXPECT_EQ(choiceByTexts({"\x91\xBA\x82\xCC\x93\xFC\x8C\xFB", "\x90\x58", "\x8F\xE9\x89\xBA\x92\xAC",
                             "\x83\x5F\x83\x93\x83\x57\x83\x87\x83\x93", "\x96\x82\x89\xA4"})
                  .codePage,
              "932");
    // Nothing outside ASCII: nothing to weigh, and 1252.
    const simhost::CodePageChoice plain = choiceByTexts({"Inside", "Common", "EV0001", "Game", "Village"});
    EXPECT_EQ(plain.codePage, "1252");
    EXPECT_EQ(plain.textsWeighed, 0u);
}

} // namespace
