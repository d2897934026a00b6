// The live view's session on the demo game with the real module: the script C prints makes the
// frame the window shows, live reload keeps the last good view when a file is broken, a game that
// cannot be shown leaves the one open, and a game's code page is found by its file names.
#include <gif_lib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "simhost/game_folder.h"
#include "support/game_writer.h"
#include "support/generated_game.h"
#include "support/host_fixture.h"
#include "tools/common/game_entry.h"
#include "tools/demo/demo_game.h"
#include "tools/live/live_demo.h"
#include "tools/live/live_session.h"
#include "tools/preview/preview_cli.h"
#include "tools/preview/preview_animation.h"
#include "tools/preview/preview_script.h"

namespace fs = std::filesystem;

namespace {

class LiveOnTheDemo : public ::testing::Test {
protected:
    void SetUp() override {
        session.onMessage = [this](const live::Message &message) { messages.push_back(message.text); };
        std::string error;
        ASSERT_TRUE(preview::writeDemoGame(game, &error)) << error;
        ASSERT_TRUE(session.loadModule(FARVIEW_MODULE_PATH, &error)) << error;
        live::OpenRequest request;
        request.game = game;
        request.scriptText = live::kDemoScene;
        request.scriptName = "demo scene";
        ASSERT_TRUE(session.open(request, &error)) << error;
    }
    void TearDown() override { simhost::setCodePage("1252", nullptr); }

    live::Reaction press(live::Key key, live::Modifiers held = {}) { return session.key(key, held); }

    // The watch is told of the writes, then finds the files quiet: times are the test's own. Whether
    // the view was rebuilt, or tried to be.
    bool reload() {
        const size_t before = messages.size();
        now += std::chrono::seconds(10);
        session.frame(now);
        now += std::chrono::seconds(10);
        session.frame(now);
        for (size_t i = before; i < messages.size(); ++i)
            if (messages[i].rfind("reloaded: ", 0) == 0 || messages[i].rfind("not reloaded", 0) == 0) return true;
        return false;
    }

    std::string script() const {
        std::string text;
        for (const std::string &line : session.script()) text += line + "\n";
        return text;
    }

    std::vector<uint16_t> frame() {
        session.frame(now);
        return preview::screenPixels();
    }

    // The demo's map with every lower cell of one plain tile, written over its map file.
    void rewriteMapPlain() {
        std::vector<uint8_t> bytes;
        std::string error;
        simhost::GameMap map;
        ASSERT_TRUE(simhost::readGameFile(game / "Map0001.lmu", bytes, &error)) << error;
        ASSERT_TRUE(simhost::readMapFile(bytes, "Map0001.lmu", map, &error)) << error;
        std::fill(map.lower.begin(), map.lower.end(), uint16_t{5001});
        ASSERT_TRUE(gamefile::writeMap(game / "Map0001.lmu", map, &error)) << error;
        touch(game / "Map0001.lmu");
    }

    // The demo again with a plate two cells north of the hero, which runs line when he steps on it.
    void openWithPlate(const std::string &line) {
        std::vector<uint8_t> bytes;
        std::string error;
        simhost::GameMap map;
        ASSERT_TRUE(simhost::readGameFile(game / "Map0001.lmu", bytes, &error)) << error;
        ASSERT_TRUE(simhost::readMapFile(bytes, "Map0001.lmu", map, &error)) << error;
        simhost::GameEvent plate{40, "Plate", 30, 37, {gamefile::sheetPage("", 0, 2, 1)}};
        plate.pages.front().trigger = simhost::triggers::kTouchedByHero;
        plate.pages.front().commands = gamefile::commandList(gamefile::comment({line}));
        map.events.push_back(plate);
        ASSERT_TRUE(gamefile::writeMap(game / "Map0001.lmu", map, &error)) << error;
        live::OpenRequest request;
        request.game = game;
        request.scriptText = live::kDemoScene;
        ASSERT_TRUE(session.open(request, &error)) << error;
    }

    // A save within the same clock tick still counts as a change.
    static void touch(const fs::path &file) {
        fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(2));
    }

    std::string lastNote() const { return messages.empty() ? std::string() : messages.back(); }

    bool noteSays(const std::string &words) const {
        for (const std::string &note : messages)
            if (note.find(words) != std::string::npos) return true;
        return false;
    }

    farview_test::ScratchDirectory scratch;
    fs::path game = scratch.path() / "game";
    std::vector<std::string> messages; // every message, in order
    live::LiveSession session{scratch.path()};
    live::LiveSession::Clock::time_point now = live::LiveSession::Clock::now();
};

// C's script, run unchanged, holds the host's steps as well as the comment lines: the hero, an event
// the author's script moved and turned, and one placed after the load, which the plug-in does not
// draw. A reload builds the same view.
TEST_F(LiveOnTheDemo, TheScriptCPrintsMakesTheFrameTheWindowShows) {
    live::OpenRequest request;
    request.game = game;
    // Entering the map loads it (the game's own lines): events moved after it are drawn where they
    // stand, one placed after it is not drawn.
    request.scriptText = live::kDemoScene + std::string("event 23 31 36 Villagers 2\nface 23 3\nmove 5 1 0\n") +
                         "event 99 31 37 Villagers 1\n";
    request.scriptName = "scene";
    std::string error;
    ASSERT_TRUE(session.open(request, &error)) << error;
    press(live::Key::Up);
    press(live::Key::Q, live::kShift);
    press(live::Key::Digit3);
    press(live::Key::Minus);
    press(live::Key::W);
    press(live::Key::T);
    const std::vector<uint16_t> shown = frame();
    const std::string printed = script();
    touch(game / "Map0001.lmu");
    ASSERT_TRUE(reload());
    EXPECT_TRUE(frame() == shown);
    // The same module, as the preview loads it: the plug-in is one per process.
    simhost::PluginModule module;
    ASSERT_TRUE(simhost::loadPlugin(FARVIEW_MODULE_PATH, module, &error)) << error;
    simhost::initTitleScreen(module);
    simhost::resetEngine();
    preview::ScriptOptions options;
    simhost::GameFolder folder;
    ASSERT_TRUE(simhost::openGame(game, folder, &error)) << error;
    options.outputFolder = scratch.path();
    options.enterMap = [&](int32_t mapId, std::string *failure) {
        tools::EntryReport entry;
        return tools::enterWithGameLines(folder, mapId, module, entry, failure);
    };
    const preview::ScriptResult result = preview::runScript(printed, "C", module, options);
    simhost::unloadPlugin(module);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.frames, std::vector<std::string>{(scratch.path() / "view.png").string()});
    EXPECT_TRUE(preview::screenPixels() == shown) << printed;
}

TEST_F(LiveOnTheDemo, AReplacedMapFileIsEnteredAgainKeepingTheHeroAndTheValues) {
    press(live::Key::Up);
    press(live::Key::E);
    const std::vector<uint16_t> before = frame();
    EXPECT_FALSE(reload());
    rewriteMapPlain();
    EXPECT_TRUE(reload());
    EXPECT_EQ(lastNote(), "reloaded: Map0001.lmu changed");
    EXPECT_EQ(session.state().hero, (live::Cell{30, 38}));
    EXPECT_EQ(session.state().view.angle, 275.0f);
    EXPECT_TRUE(session.state().view.drawing);
    EXPECT_FALSE(frame() == before);
}

TEST_F(LiveOnTheDemo, ATruncatedMapFileLeavesTheLastGoodView) {
    const std::vector<uint16_t> before = frame();
    const fs::path map = game / "Map0001.lmu";
    fs::resize_file(map, fs::file_size(map) / 2);
    touch(map);
    EXPECT_TRUE(reload());
    EXPECT_NE(lastNote().find("not reloaded, the last good view stays"), std::string::npos) << lastNote();
    EXPECT_NE(lastNote().find("Map0001.lmu"), std::string::npos) << lastNote();
    EXPECT_TRUE(frame() == before);
}

TEST_F(LiveOnTheDemo, ADeletedTilesetGraphicLeavesTheLastGoodViewUntilItIsBack) {
    const std::vector<uint16_t> before = frame();
    const fs::path graphic = game / "ChipSet" / "Meadow.png", kept = scratch.path() / "Meadow.png";
    fs::rename(graphic, kept);
    EXPECT_TRUE(reload());
    EXPECT_NE(lastNote().find("ChipSet/Meadow.png"), std::string::npos) << lastNote();
    EXPECT_TRUE(frame() == before);
    EXPECT_FALSE(reload()); // told once
    fs::rename(kept, graphic);
    rewriteMapPlain();
    EXPECT_TRUE(reload());
    EXPECT_NE(lastNote().find("reloaded"), std::string::npos) << lastNote();
    EXPECT_FALSE(frame() == before);
}

// The villagers' sheet and the hero's: a broken or missing one would make them vanish.
TEST_F(LiveOnTheDemo, ABrokenOrMissingCharacterSheetLeavesTheLastGoodView) {
    const std::vector<uint16_t> before = frame();
    const fs::path villagers = game / "CharSet" / "Villagers.png", kept = scratch.path() / "Villagers.png";
    fs::copy_file(villagers, kept);
    fs::resize_file(villagers, fs::file_size(villagers) / 2);
    EXPECT_TRUE(reload());
    EXPECT_NE(lastNote().find("not reloaded, the last good view stays"), std::string::npos) << lastNote();
    EXPECT_NE(lastNote().find("CharSet/Villagers.png"), std::string::npos) << lastNote();
    EXPECT_TRUE(frame() == before);
    fs::copy_file(kept, villagers, fs::copy_options::overwrite_existing);
    fs::remove(game / "CharSet" / "Hero.png");
    EXPECT_TRUE(reload());
    EXPECT_NE(lastNote().find("CharSet/Hero.png"), std::string::npos) << lastNote();
    EXPECT_TRUE(frame() == before);
}

// A folder whose first map is broken, one without a database, the folder a game was unpacked into,
// and a game whose script fails once the engine was reset for it: the demo stays as it was, and
// the reason is told.
TEST_F(LiveOnTheDemo, AGameThatCannotBeShownLeavesTheOneOpen) {
    press(live::Key::Up);
    press(live::Key::E);
    const std::vector<uint16_t> before = frame();
    const std::string printed = script();
    const fs::path broken = scratch.path() / "broken", bare = scratch.path() / "bare";
    const fs::path around = scratch.path() / "around";
    fs::copy(game, broken, fs::copy_options::recursive);
    fs::resize_file(broken / "Map0001.lmu", 40);
    fs::create_directories(bare);
    fs::copy_file(game / "Map0001.lmu", bare / "Map0001.lmu");
    fs::create_directories(around);
    fs::copy(bare, around / "Inner");
    const std::map<fs::path, std::string> reasons{
        {broken, "Map0001.lmu"}, {bare, "has no database"}, {around, "the folder \"Inner\" in it holds map files"}};
    for (const auto &[folder, reason] : reasons) {
        session.drop(folder);
        EXPECT_NE(lastNote().find("not opened, the game open before stays: "), std::string::npos) << lastNote();
        EXPECT_NE(lastNote().find(reason), std::string::npos) << lastNote();
        EXPECT_EQ(session.gameFolder(), game);
        EXPECT_EQ(script(), printed);
        EXPECT_TRUE(frame() == before);
    }
    live::OpenRequest failing;
    failing.game = broken;
    failing.map = 2;
    failing.scriptText = "expect variable 9 9\n";
    std::string error;
    EXPECT_FALSE(session.open(failing, &error));
    EXPECT_NE(error.find("expected variable 9"), std::string::npos) << error;
    EXPECT_EQ(session.gameFolder(), game);
    EXPECT_EQ(script(), printed);
    EXPECT_TRUE(frame() == before);
}

// A game named in Traditional Chinese opens in code page 950 without being told; told 1252, its
// tileset graphic is not found and the game is not opened.
TEST_F(LiveOnTheDemo, TheCodePageIsTheOneTheGamesFileNamesAreFoundUnder) {
    gamefile::GeneratedGame made;
    std::string error;
    const fs::path chinese = scratch.path() / "chinese";
    ASSERT_TRUE(gamefile::writeGeneratedGame(chinese, gamefile::smallGame("950", 2), made, &error)) << error;
    live::OpenRequest request;
    request.game = chinese;
    request.codePage = "1252";
    EXPECT_FALSE(session.open(request, &error));
    EXPECT_NE(error.find("ChipSet/"), std::string::npos) << error;
    EXPECT_EQ(session.gameFolder(), game);
    request.codePage.clear();
    ASSERT_TRUE(session.open(request, &error)) << error;
    EXPECT_EQ(simhost::codePage(), "950");
    EXPECT_TRUE(noteSays("code page 950: "));
    EXPECT_FALSE(noteSays("Cannot load image"));
}

// A game opens as it shows itself: the hero looks as the starting party's leader, the map's own
// background fills the band, and another map brings its own; a hero's cell off the map is refused.
TEST_F(LiveOnTheDemo, AGameOpensWithTheHerosLookAndTheMapsBackground) {
    gamefile::GameShape shape = gamefile::smallGame("1251", 6);
    shape.startingParty = {3, 1};
    shape.mapsPerBackground = 2;
    gamefile::GeneratedGame made;
    std::string error;
    const fs::path russian = scratch.path() / "russian";
    ASSERT_TRUE(gamefile::writeGeneratedGame(russian, shape, made, &error)) << error;
    std::vector<int32_t> withBackground;
    for (size_t i = 0; i < made.mapIds.size(); ++i)
        if (made.mapBackgrounds[i] >= 0) withBackground.push_back(made.mapIds[i]);
    ASSERT_GE(withBackground.size(), 2u);
    live::OpenRequest request;
    request.game = russian;
    request.map = withBackground[0];
    request.hero = live::Cell{999, 0};
    EXPECT_FALSE(session.open(request, &error));
    EXPECT_NE(error.find("lies outside map " + std::to_string(withBackground[0])), std::string::npos) << error;
    EXPECT_EQ(session.gameFolder(), game);

    request.hero.reset();
    ASSERT_TRUE(session.open(request, &error)) << error;
    const simhost::GameActor &leader = made.actors.at(2);
    ASSERT_EQ(leader.id, 3);
    // C's script is UTF-8; the game names its files in code page 1251.
    const std::string look =
        "sheet hero \"" + simhost::toUtf8(leader.sheetName) + "\" " + std::to_string(leader.sheetIndex) + "\n";
    const auto backgroundOf = [&](int32_t mapId) {
        const size_t i =
            static_cast<size_t>(std::find(made.mapIds.begin(), made.mapIds.end(), mapId) - made.mapIds.begin());
        return "@set_background \"Panorama/" +
               simhost::toUtf8(made.backgroundNames.at(static_cast<size_t>(made.mapBackgrounds[i]))) + ".png\"";
    };
    EXPECT_NE(script().find(look), std::string::npos) << script();
    EXPECT_NE(script().find(backgroundOf(withBackground[0])), std::string::npos) << script();
    while (session.mapId() < withBackground[1]) press(live::Key::PageDown);
    EXPECT_NE(script().find(look), std::string::npos) << script();
    EXPECT_NE(script().find(backgroundOf(withBackground[1])), std::string::npos) << script();
}

// Each map keeps the hero's cell and the author's tuning it was left with.
TEST_F(LiveOnTheDemo, AMapComesBackAsItWasLeft) {
    press(live::Key::Up);
    press(live::Key::T);
    press(live::Key::PageDown);
    ASSERT_EQ(session.mapId(), 2);
    EXPECT_EQ(script().find("@add_sprite"), std::string::npos) << script();
    const live::Cell centre = session.state().hero;
    press(live::Key::Left);
    press(live::Key::PageUp);
    ASSERT_EQ(session.mapId(), 1);
    EXPECT_EQ(session.state().hero, (live::Cell{30, 38}));
    // The game's lines made the island's view again; the boundary texture set by hand came back.
    EXPECT_NE(script().find(": @add_sprite \"statue\""), std::string::npos) << script();
    EXPECT_NE(script().find("after its own lines.\n@set_boundary_texture 30, 38\n"), std::string::npos) << script();
    press(live::Key::PageDown);
    EXPECT_EQ(session.state().hero, (live::Cell{centre.column - 1, centre.row}));
}

TEST_F(LiveOnTheDemo, ARecordedTurnHasAFrameAStepAndEndsWhereItBegan) {
    press(live::Key::E, live::kShift);
    press(live::Key::G);
    int32_t frames = 0;
    while (session.frame(now) != live::Reaction::filesWritten) ASSERT_LT(++frames, live::kTurnFrames);
    EXPECT_EQ(session.state().view.angle, 271.0f);
    int error = 0;
    GifFileType *gif = DGifOpenFileName((scratch.path() / "turn-001.gif").string().c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, live::kTurnFrames);
    DGifCloseFile(gif, &error);
}

} // namespace

namespace {

// The game's own lines in the live view: the action key runs the event the hero faces, a walk onto
// an event a touch starts runs its lines, and the overlay's notes name what ran.
TEST_F(LiveOnTheDemo, TheActionKeyAndATouchRunTheGamesLines) {
    openWithPlate("@set_horizon 90, 25");

    press(live::Key::Up); // onto 30, 38: nothing there
    EXPECT_EQ(session.state().view.horizon, 50);
    press(live::Key::Up); // onto the plate
    EXPECT_EQ(session.state().view.horizon, 90);
    EXPECT_TRUE(noteSays("map 1, event 40 'Plate', page 1: 1 line"));
    press(live::Key::Left);
    press(live::Key::Left); // onto the signpost's cell, facing west: nothing there
    ASSERT_EQ(session.state().hero, (live::Cell{28, 37}));
    EXPECT_EQ(session.state().view.angle, 270.0f);
    press(live::Key::Space); // the event on his own cell, the action key's
    EXPECT_EQ(session.state().view.angle, 0.0f);
    EXPECT_EQ(lastNote(), "map 1, event 12 'Signpost', page 1: 1 line");
    // C's script replays the signpost's run after entering, and gives the tuning alone to paste.
    EXPECT_NE(script().find("\nrun event 40\nrun event 12\n"), std::string::npos) << script();
    EXPECT_NE(script().find("# The view is the game's own: no comment line to paste."), std::string::npos) << script();
}

} // namespace

namespace {

// PageDown passes over a map that cannot be entered, naming its fault, as over a missing number.
TEST_F(LiveOnTheDemo, PageDownPassesOverABrokenMap) {
    fs::resize_file(game / "Map0003.lmu", 40);
    press(live::Key::PageDown);
    ASSERT_EQ(session.mapId(), 2);
    press(live::Key::PageDown);
    EXPECT_EQ(session.mapId(), 4);
    EXPECT_TRUE(noteSays("map 3 passed over: Cannot read \"Map0003.lmu\" at byte "));
    press(live::Key::PageUp);
    EXPECT_EQ(session.mapId(), 2);
}

// The page copies a large game's files in as views ask for them (simhost's files on their way).
class LiveOnFilesOnTheirWay : public LiveOnTheDemo {
protected:
    void TearDown() override {
        simhost::setFilesOnTheirWay({});
        LiveOnTheDemo::TearDown();
    }

    // Every file of the game but its database and map tree becomes an empty stand-in on its way.
    void sendOnTheirWay() {
        std::vector<fs::path> files;
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(game)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || extension == ".ldb" || extension == ".lmt") continue;
            std::string error;
            ASSERT_TRUE(simhost::readGameFile(entry.path(), held[entry.path()], &error)) << error;
            std::ofstream(entry.path(), std::ios::binary | std::ios::trunc);
            files.push_back(entry.path());
        }
        simhost::setFilesOnTheirWay(files);
    }

    // The files asked for, copied in as the page does; their names below the game folder.
    std::set<std::string> bringAsked() {
        std::set<std::string> names;
        for (const fs::path &file : simhost::takeAskedFiles()) {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char *>(held[file].data()), std::streamsize(held[file].size()));
            out.close();
            simhost::fileArrived(file);
            names.insert(file.lexically_relative(game).generic_string());
        }
        return names;
    }

    std::map<fs::path, std::vector<uint8_t>> held; // each file's bytes while it is on its way
};

// The first view asks for its map, then for the graphic and sheets it shows, then for the pictures its
// game's lines show, and is then as the whole game's; the code page is chosen from what is read so
// far, so no other map is asked for.
TEST_F(LiveOnFilesOnTheirWay, AGameOpensOnceTheFilesItsFirstViewAsksForAreIn) {
    live::OpenRequest request;
    request.game = game;
    std::string error;
    ASSERT_TRUE(session.open(request, &error)) << error;
    const std::vector<uint16_t> whole = frame();
    sendOnTheirWay();
    std::vector<std::set<std::string>> asked; // as the page tries: until nothing more is asked for
    bool opened = false;
    do {
        opened = session.open(request, &error);
        asked.push_back(bringAsked());
        ASSERT_TRUE(opened || !asked.back().empty()) << "the open failed without asking for a file: " << error;
        ASSERT_LE(asked.size(), 4u);
    } while (!asked.back().empty());
    ASSERT_TRUE(opened) << error;
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0], std::set<std::string>{"Map0001.lmu"});
    EXPECT_TRUE(asked[1].count("ChipSet/Meadow.png") && asked[1].count("CharSet/Hero.png")) << "the tileset's graphic "
                                                                                               "or the hero's sheet";
    EXPECT_TRUE(asked[2].count("Picture/Oak.png")) << "a picture the game's lines show";
    for (const std::set<std::string> &names : asked)
        for (const std::string &name : names) EXPECT_TRUE(name == "Map0001.lmu" || name.rfind("Map", 0) != 0) << name;
    EXPECT_EQ(frame(), whole);
}

// PageDown onto a map still on its way waits for it, rather than passing over it as broken, and
// enters it when the page says the files came in.
TEST_F(LiveOnFilesOnTheirWay, PageDownWaitsForAMapOnItsWay) {
    sendOnTheirWay();
    bringAsked();
    press(live::Key::PageDown);
    EXPECT_EQ(session.mapId(), 1);
    EXPECT_TRUE(noteSays("map 2 is still being read in"));
    EXPECT_FALSE(noteSays("passed over"));
    for (int tries = 0; tries < 3 && session.mapId() == 1; ++tries) {
        bringAsked();
        session.filesChanged(now);
    }
    EXPECT_EQ(session.mapId(), 2);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "map 2 is still being read in"), 1) << "told once";
}

// A picture the game's lines load while it is on its way (a plate the hero steps on adds a sprite of
// it) is asked for, and once it is in, the view is made again with it.
TEST_F(LiveOnFilesOnTheirWay, PicturesTheGamesLinesAskedForComeIntoTheView) {
    const fs::path picture = game / "Picture/Plate.png";
    fs::copy_file(game / "Picture/Oak.png", picture);
    openWithPlate("@add_sprite \"plate\", \"Picture/Plate.png\", 48, 64, 1, 1, 40");
    std::string error;
    ASSERT_TRUE(simhost::readGameFile(picture, held[picture], &error)) << error;
    std::ofstream(picture, std::ios::binary | std::ios::trunc);
    simhost::setFilesOnTheirWay({picture});

    press(live::Key::Up);
    press(live::Key::Up);
    ASSERT_TRUE(noteSays("event 40 'Plate'"));
    const std::vector<uint16_t> without = frame();
    EXPECT_EQ(bringAsked(), std::set<std::string>{"Picture/Plate.png"});
    session.filesChanged(now);
    EXPECT_TRUE(noteSays("reloaded: the pictures it waited for came in"));
    EXPECT_NE(frame(), without);
}

} // namespace

namespace {

// C's script is UTF-8 with remarks that name the game's folder; a folder named outside the game's
// code page (Cyrillic, for a game in 1252) does not stop farview-preview, which draws the picture.
TEST_F(LiveOnTheDemo, CsScriptFromAFolderNamedOutsideTheCodePageDrawsTheWindowsPicture) {
    const fs::path village = scratch.path() / fs::u8path("Деревня");
    fs::copy(game, village, fs::copy_options::recursive);
    live::OpenRequest request;
    request.game = village;
    request.scriptText = live::kDemoScene;
    std::string error;
    ASSERT_TRUE(session.open(request, &error)) << error;
    press(live::Key::E);
    const std::vector<uint16_t> shown = frame();
    std::ofstream(scratch.path() / "c.txt", std::ios::binary) << script();
    // The plug-in lets go of the view's images before the preview's engine starts afresh.
    simhost::PluginModule module;
    ASSERT_TRUE(simhost::loadPlugin(FARVIEW_MODULE_PATH, module, &error)) << error;
    simhost::initTitleScreen(module);
    simhost::unloadPlugin(module);
    std::ostringstream out, err;
    const std::string folder = village.string(), file = (scratch.path() / "c.txt").string(),
                      output = (scratch.path() / "from-c").string();
    const char *const argv[] = {"farview-preview", folder.c_str(), file.c_str(), "-o", output.c_str()};
    const preview::PreviewPaths paths{FARVIEW_MODULE_PATH, ""};
    ASSERT_EQ(preview::runPreview(5, argv, paths, out, err, false), 0) << err.str();
    EXPECT_TRUE(preview::screenPixels() == shown) << script();
}

} // namespace
