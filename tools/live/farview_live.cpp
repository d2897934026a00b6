// farview-live: a game's view in a window, walked, turned and tuned live through the real plug-in,
// with the comment lines that make the view to copy out. See docs/live.md.
#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <sstream>

#include "simhost/game_folder.h"
#include "tools/common/game_code_page.h"
#include "tools/common/game_options.h"
#include "tools/common/program_files.h"
#include "tools/common/version.h"
#include "tools/demo/demo_game.h"
#include "tools/live/live_demo.h"
#include "tools/live/live_settings.h"
#include "tools/live/live_window.h"

namespace fs = std::filesystem;

namespace {

const char *const kExamples = R"(Examples:
  farview-live
      the built-in demo game
  farview-live MyGame --map 3 --hero 12,8
      map 3 of the game folder MyGame, the hero on column 12, row 8
  farview-live MyGame --script view.txt
      runs the preview script view.txt first (your view's comment lines), then goes live
  farview-live MyGame --standard-graphics ~/StandardGraphics
      a game whose standard chipsets, sheets and backgrounds are in a folder of their own; the
      folder is remembered for the next runs

Entering a map runs the Farview lines of the game's own events that start by themselves; Enter or
Space is the action key, and walking onto an event that a touch starts runs its lines too.

Keys: arrows walk (relative to the view; R: in map directions), Q/E turn, 1-5 or Tab choose a
setting, +/- or the wheel change it (Ctrl: the fine step), W wrapping, B background, T boundary
texture here, PageUp/PageDown other maps, C print the view as a preview script (and copy it),
S screenshot, G record a turn, H overlay, F11 full screen, Escape quit.
)";

struct Request : tools::GameOptions {
    Request() { output = "."; }
    std::string game;
    std::optional<int32_t> map;
    std::string hero;
    std::string script;
    std::string inputs;
    int32_t scale = 3;
};

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::optional<live::Cell> parseCell(const std::string &text) {
    std::istringstream in(text);
    live::Cell cell;
    char comma = 0;
    if (in >> cell.column >> comma >> cell.row && comma == ',' && (in >> std::ws).eof()) return cell;
    return std::nullopt;
}

int fail(const std::string &what) {
    std::cerr << "farview-live: " << what << "\n";
    return 1;
}

// The demo game beside the program or the one the build wrote, or else one written now into the
// temporary folder.
bool demoFolder(const char *argv0, fs::path &folder, std::string *error) {
    std::error_code ignored;
    folder = tools::demoGameFolder(argv0, FARVIEW_DEMO_GAME_FOLDER);
    if (fs::is_directory(folder, ignored)) return true;
    folder = fs::temp_directory_path(ignored) / "farview-live-demo";
    return preview::writeDemoGame(folder, error);
}

// The standard-graphics folder named, else the one named at an earlier run; one named is
// remembered for the next runs.
bool useStandardGraphics(const std::string &named, std::string *error) {
    const fs::path settings = live::settingsFile();
    const std::optional<std::string> value =
        settings.empty() ? std::nullopt : live::readSetting(settings, live::kStandardGraphicsSetting);
    fs::path remembered = value ? fs::u8path(*value) : fs::path();
    std::error_code ignored;
    if (!remembered.empty() && !fs::is_directory(remembered, ignored)) {
        std::cerr << "farview-live: the standard graphics folder remembered, \"" << *value
                  << "\", is gone: --standard-graphics DIR names another\n";
        remembered.clear();
    }
    if (!tools::useStandardGraphics(named, remembered, error)) return false;
    const fs::path &folder = simhost::standardGraphicsFolder();
    if (folder.empty()) return true;
    std::cerr << "farview-live: the standard graphics come from \"" << tools::shownPath(folder) << "\"\n";
    std::string problem;
    if (!named.empty() && !settings.empty() &&
        !live::writeSetting(settings, live::kStandardGraphicsSetting, tools::shownPath(folder), &problem))
        std::cerr << "farview-live: " << problem << " (the folder is not remembered)\n";
    return true;
}

int run(const Request &request, const char *argv0) {
    std::string error;
    if (!useStandardGraphics(request.standardGraphics, &error)) return fail(error);
    live::OpenRequest open;
    open.codePage = request.codePage;
    open.map = request.map;
    open.gameLines = !request.noGameLines;
    if (!request.hero.empty()) {
        open.hero = parseCell(request.hero);
        if (!open.hero) return fail("--hero takes COLUMN,ROW (two whole numbers), not '" + request.hero + "'");
    }
    if (!request.script.empty()) {
        if (!simhost::readTextFile(request.script, open.scriptText, &error)) return fail(error);
        open.scriptName = request.script;
    }
    live::WindowOptions window;
    window.scale = request.scale;
    if (!request.inputs.empty()) {
        std::string text;
        if (!simhost::readTextFile(request.inputs, text, &error)) return fail(error);
        window.inputs = splitLines(text);
        window.inputsName = request.inputs;
    }
    fs::path game = request.game;
    if (game.empty()) {
        if (!demoFolder(argv0, game, &error)) return fail(error);
        if (open.scriptText.empty() && !open.map) {
            open.scriptText = live::kDemoScene;
            open.scriptName = "demo scene";
        }
    }
    open.game = fs::absolute(game);
    const fs::path output = fs::absolute(request.output);
    std::error_code failure;
    fs::create_directories(output, failure);
    if (failure) return fail("cannot create " + output.string() + ": " + failure.message());
    live::LiveSession session(output);
    session.onMessage = [](const live::Message &message) { std::cerr << "farview-live: " << message.text << "\n"; };
    const std::string module =
        request.module.empty() ? tools::besideThisProgram(argv0, tools::kModuleFileName).string() : request.module;
    if (!session.loadModule(module, &error) || !session.open(open, &error)) return fail(error);
    return live::runWindow(session, window, std::cout, std::cerr);
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"Shows a game's perspective view in a window through the stand-in host and the Farview plug-in: "
                 "walk, turn and tune it live, and copy out the comment lines that make it. With no arguments, "
                 "the built-in demo game.",
                 "farview-live"};
    app.footer(kExamples);
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("farview-live ") + tools::kFarviewVersion);
    Request request;
    app.add_option("GAME_FOLDER", request.game, "the game folder: map files, its database, ChipSet/, CharSet/, images")
        ->check(CLI::ExistingDirectory)
        ->type_name("");
    int32_t mapId = 0;
    CLI::Option *map =
        app.add_option("--map", mapId, "enter map N first (default: the game's first map)")->type_name("N");
    app.add_option("--hero", request.hero,
                   "the hero's cell, on the map (default: the map's centre); he looks as the game's database says")
        ->type_name("COLUMN,ROW");
    app.add_option("--script", request.script, "a preview script run before the view goes live")
        ->check(CLI::ExistingFile)
        ->type_name("FILE");
    app.add_option("--scale", request.scale, "window pixels to a screen pixel")
        ->check(CLI::Range(1, 16))
        ->capture_default_str();
    tools::addGameOptions(app, request, "screenshots and recorded turns",
                          "the one FARVIEW_STANDARD_GRAPHICS names, else the one named last time, which is remembered",
                          "each map shows its default view");
    app.add_option("--inputs", request.inputs, "for tests: feed the inputs of FILE, one a frame, then close")
        ->check(CLI::ExistingFile)
        ->type_name("FILE");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return app.exit(e);
    }
    if (map->count() > 0) request.map = mapId;
    // A path the system cannot put into the program's narrow strings ends the run with a message.
    try {
        return run(request, argv[0]);
    } catch (const std::exception &failure) {
        return fail(failure.what());
    }
}
