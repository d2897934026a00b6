// A game whose standard graphics are in a folder of their own, as a project fresh from the editor
// has them: --standard-graphics gives --all-maps every map as the whole game draws it, and without
// the graphics the report names what is missing, in the game's own script.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line_fixture.h"
#include "support/generated_game.h"

namespace fs = std::filesystem;

namespace {

// FARVIEW_STANDARD_GRAPHICS set to folder; empty: unset.
void nameInEnvironment(const char *folder) {
#ifdef _WIN32
    _putenv_s("FARVIEW_STANDARD_GRAPHICS", folder);
#else
    *folder != '\0' ? setenv("FARVIEW_STANDARD_GRAPHICS", folder, 1) : unsetenv("FARVIEW_STANDARD_GRAPHICS");
#endif
}

class StandardGraphics : public PreviewCommandLine {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(gamefile::writeGeneratedGame("Whole", gamefile::smallGame("950", 8), game, &error)) << error;
    }

    // A copy of the whole game whose every other chipset, sheet and background is in Standard/.
    void splitGame() {
        fs::copy("Whole", "Part", fs::copy_options::recursive);
        for (const char *kind : {"ChipSet", "CharSet", "Panorama"}) {
            fs::create_directories(fs::path("Standard") / kind);
            std::vector<fs::path> files;
            for (const fs::directory_entry &entry : fs::directory_iterator(fs::path("Part") / kind))
                files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (size_t i = 0; i < files.size(); i += 2)
                fs::rename(files[i], fs::path("Standard") / kind / files[i].filename());
        }
    }

    gamefile::GeneratedGame game;
};

TEST_F(StandardGraphics, AGameWithItsStandardGraphicsElsewhereRendersAsTheWholeGame) {
    splitGame();
    ASSERT_EQ(preview({"Whole", "--all-maps", "-o", "whole"}), 0) << err.str();
    ASSERT_EQ(preview({"Part", "--all-maps", "--standard-graphics", "Standard", "-o", "part"}), 0) << err.str();
    for (const fs::directory_entry &entry : fs::directory_iterator("whole")) {
        if (entry.path().extension() != ".png") continue;
        EXPECT_EQ(readWritten(entry.path()), readWritten("part" / entry.path().filename())) << entry.path();
    }
    const std::string report = readWritten("part/report.txt");
    EXPECT_EQ(report.find("Missing files"), std::string::npos) << report;
    EXPECT_NE(report.find("Taken from the standard graphics folder"), std::string::npos) << report;

    // Without the folder the files are missing, and the report says how to name it.
    ASSERT_EQ(preview({"Part", "--all-maps", "-o", "alone"}), 0) << err.str();
    const std::string alone = readWritten("alone/report.txt");
    EXPECT_NE(alone.find("Missing files, named by the maps but not in the game folder"), std::string::npos);
    EXPECT_NE(alone.find("--standard-graphics DIR"), std::string::npos) << alone;
}

// With no graphics at all, nothing but the game's texts tells its code page.
TEST_F(StandardGraphics, AGameWithoutGraphicsNamesItsMissingChipsetInItsOwnScript) {
    for (const char *kind : {"ChipSet", "CharSet", "Panorama"}) fs::remove_all(fs::path("Whole") / kind);
    ASSERT_EQ(preview({"Whole", "--all-maps", "-o", "bare"}), 0) << err.str();
    EXPECT_EQ(out.str().rfind("code page 950: ", 0), 0u) << out.str();
    const std::string chipset = game.graphicFiles[size_t(game.mapTilesets[0] - 1)]; // Chinese has no letter case
    const std::string report = readWritten("bare/report.txt");
    EXPECT_NE(report.find("  " + chipset + ": map"), std::string::npos) << chipset << "\n" << report;
}

TEST_F(StandardGraphics, TheEnvironmentNamesTheFolderWhereNoOptionDoes) {
    splitGame();
    nameInEnvironment("Standard");
    const int named = preview({"Part", "--all-maps", "-o", "named"});
    nameInEnvironment("Nowhere");
    const int nowhere = preview({"Part", "--all-maps", "-o", "nowhere"});
    nameInEnvironment("");
    EXPECT_EQ(named, 0);
    EXPECT_EQ(readWritten("named/report.txt").find("Missing files"), std::string::npos);
    EXPECT_EQ(nowhere, 1);
    EXPECT_NE(err.str().find("FARVIEW_STANDARD_GRAPHICS names \"Nowhere\", which is no folder"), std::string::npos)
        << err.str();
}

} // namespace
