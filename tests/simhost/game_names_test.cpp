// Names as a Windows host reads them: letter case ignored for every letter of the code pages a game
// may be written in, names in messages as UTF-8, and the game's code page found by its file names.
#include <fstream>

#include "simhost/game_folder.h"
#include "simhost/game_folder_case.h"
#include "support/generated_game.h"
#include "support/host_fixture.h"

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

} // namespace
