// The preview tool's scripts: the input is a script, read and run against the stand-in host with
// a stand-in for the plug-in module (the real one is not loaded), in a small game folder. Frames
// and animations go to a folder of the scratch folder, emptied after every input.
//
// Scripts are the author's own commands, so the runner writes frames wherever a script names them
// and runs as long as its limits allow. Inputs that would write outside the frame folder (a file
// name with a folder in it) or run long (more than kMostStepRuns steps or kMostFrames frames) are
// read but not run. The limits are low because libFuzzer keeps an input for every new count of
// loop turns and frames: with 10,000 steps and 30 frames (a PNG written for each) the corpus filled
// with such inputs and the target slowed from 3,000 inputs a second to under 200.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz/fuzz_main.h"
#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "support/game_writer.h"
#include "tools/preview/preview_script.h"
#include "tools/preview/preview_steps.h"

namespace {

namespace fs = std::filesystem;

constexpr int64_t kMostStepRuns = 1'000;
constexpr int64_t kMostFrames = 4;
constexpr const char *kFrameFolder = "frames";

// ---- The plug-in's stand-in: keywords are the names that begin with a lower-case letter --------

bool FVAPI stubComment(const char *, const FvParsedComment *comment) {
    return !(comment->name[0] >= 'a' && comment->name[0] <= 'z');
}

// Picture 1 marks one pixel, so that a script's "expect drawn" can hold either way.
bool FVAPI stubPictureDrawn(const FvDrawnPicture *picture) {
    if (picture->pictureNumber == 1) simhost::surfaceRow(simhost::screen(), 120)[160] = 0xFFFF;
    return true;
}

void FVAPI stubTitleScreen() {}

const int32_t kLinkVersion = FARVIEW_LINK_VERSION;

simhost::PluginModule stubModule() {
    simhost::PluginModule module;
    module.onComment = stubComment;
    module.onPictureDrawn = stubPictureDrawn;
    module.onInitTitleScreen = stubTitleScreen;
    module.linkVersion = &kLinkVersion;
    return module;
}

// ---- A small game folder: map 1 (with events) and map 2, and a database with their tileset ----

simhost::GameMap smallMap(int32_t tilesetId, int32_t width, int32_t height) {
    simhost::GameMap map;
    map.tilesetId = tilesetId;
    map.width = width;
    map.height = height;
    map.lower.assign(static_cast<size_t>(width) * height, 5000);
    map.upper.assign(static_cast<size_t>(width) * height, 10000);
    simhost::GameEvent walker{1, "Walker", 2, 3, {gamefile::sheetPage("walker", 1, 2, 1)}};
    simhost::GameEvent tile{2, "Sign", 4, 1, {}};
    map.events = {walker, tile};
    return map;
}

simhost::GameFolder writeGame() {
    simhost::GameDatabase db;
    db.tilesets.push_back({1, "Fields", "fields", {}, {}, {}});
    std::string error;
    if (!gamefile::writeDatabase("game/Game.ldb", db, &error) ||
        !gamefile::writeMap("game/Map0001.lmu", smallMap(1, 8, 6), &error) ||
        !gamefile::writeMap("game/Map0002.lmu", smallMap(9, 3, 3), &error))
        fuzz::fail(error.c_str());
    simhost::GameFolder game;
    if (!simhost::openGame("game", game, &error)) fuzz::fail(error.c_str());
    return game;
}

// ---- Which scripts run --------------------------------------------------------------------------

bool namesAFolder(const std::string &fileName) {
    return fileName.find('/') != std::string::npos || fileName.find('\\') != std::string::npos;
}

bool safeToRun(const preview::Script &script) {
    if (script.frameCount > kMostFrames) return false;
    int64_t runs = 0;
    for (const preview::Step &step : script.steps) {
        runs += step.runs;
        const bool writes = step.kind == preview::StepKind::Frame || step.kind == preview::StepKind::GifStart;
        if (writes && namesAFolder(step.text)) return false;
    }
    return runs <= kMostStepRuns;
}

void emptyFrameFolder() {
    std::error_code ignored;
    fs::remove_all(kFrameFolder, ignored);
    fs::create_directory(kFrameFolder, ignored);
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    static const simhost::GameFolder game = (simhost::resetEngine(), fs::create_directories("game"), writeGame());
    static const simhost::PluginModule module = stubModule();
    static const bool folderMade = (emptyFrameFolder(), true);
    (void)folderMade;

    const std::string text(reinterpret_cast<const char *>(data), size);
    preview::Script script;
    std::string error;
    if (!preview::readScript(text, "fuzz.txt", script, &error)) {
        if (error.compare(0, 9, "fuzz.txt:") != 0) fuzz::fail("a refused script's message does not name it");
        return;
    }
    if (!safeToRun(script)) return;

    preview::ScriptOptions options;
    options.outputFolder = fuzz::scratchFolder() / kFrameFolder;
    options.enterMap = [](int32_t mapId, std::string *problem) { return simhost::enterMap(game, mapId, problem); };
    const preview::ScriptResult result = preview::runScript(text, "fuzz.txt", module, options);
    if (!result.ok && result.error.compare(0, 9, "fuzz.txt:") != 0)
        fuzz::fail("a failed script's message does not name it");
    // Everything the script made goes before the next input: images, events, variables, files.
    simhost::resetEngine();
    emptyFrameFolder();
}
