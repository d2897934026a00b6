#include "tools/preview/preview_cli.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <optional>
#include <sstream>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "tools/common/game_code_page.h"
#include "tools/common/game_options.h"
#include "tools/common/line_check.h"
#include "tools/common/program_files.h"
#include "tools/common/version.h"
#include "tools/common/view_start.h"
#include "tools/demo/demo_game.h"
#include "tools/preview/preview_all_maps.h"
#include "tools/preview/preview_script.h"

namespace fs = std::filesystem;

namespace preview {

namespace {

const char *const kExamples = R"(Examples:
  farview-preview
      renders the built-in demo game into out/: a still, a full turn of the view as PNG frames,
      and the turn as an animated GIF
  farview-preview MyGame view.txt -o shots
      runs the script view.txt against the game folder MyGame, writing into shots/
  farview-preview MyGame --map 3
      map 3 as the game has it (its tileset, the hero looking as the database says, the map's own
      background), the hero at the map's centre: a still, a turn and the turn as a GIF (and the
      script it ran, to start your own from)
  farview-preview MyGame --map 3 --hero 12,8 --background Panorama/Sky.png --code-page 1251
  farview-preview MyGame --check
      every Farview line of MyGame's events and common events checked as the plug-in will read it:
      each problem with its place (map, event, page, line) and a fix, then a summary
  farview-preview MyGame --all-maps -o maps
      every map of MyGame from its centre: map-0001.png ..., a contact sheet of them all
      (contact-sheet.png) and a report of the maps that failed, the files they lack and the maps
      whose floor is mostly the tileset's colour 0 (report.txt)
  farview-preview MyGame --all-maps --standard-graphics ~/StandardGraphics
      the same for a game whose standard chipsets, sheets and backgrounds are in a folder of their
      own (FARVIEW_STANDARD_GRAPHICS names it too)

Entering a map runs the Farview lines of the game's own events that start by themselves (auto-start
and parallel pages, and the common events they call); a map without any shows its default view.

The script's steps are listed in docs/preview.md, section "Scripts".
)";

struct Request : tools::GameOptions {
    Request() { output = "out"; }
    std::string game;
    std::string script;
    std::optional<int32_t> map;
    std::string hero;
    std::string background;
    bool allMaps = false;
    bool check = false; // check the game's lines instead of rendering
};

// Progress on one line that each frame overwrites on a terminal; a message first ends that line.
class Console {
public:
    Console(std::ostream &outStream, std::ostream &errStream, bool terminal)
        : out(outStream), err(errStream), terminal_(terminal) {}

    void progress(int64_t rendered, int64_t total) {
        if (!terminal_) {
            err << "frame " << rendered << "/" << total << "\n";
            return;
        }
        err << "\rframe " << rendered << "/" << total << "\033[K" << std::flush;
        lineOpen_ = true;
    }

    void message(const std::string &caption, const std::string &text) {
        endProgress();
        err << "[" << caption << "] " << text << "\n";
    }

    int fail(const std::string &what) {
        endProgress();
        err << "farview-preview: " << what << "\n";
        return 1;
    }

    bool isTerminal() const { return terminal_; }

    void endProgress() {
        if (lineOpen_) err << "\r\033[K" << std::flush;
        lineOpen_ = false;
    }

    std::ostream &out;
    std::ostream &err;

private:
    bool terminal_;
    bool lineOpen_ = false;
};

// The plug-in module, loaded for the object's lifetime.
class LoadedPlugin {
public:
    ~LoadedPlugin() { simhost::unloadPlugin(module); }
    simhost::PluginModule module;
};

bool writeText(const fs::path &file, const std::string &text, std::string *error) {
    std::ofstream stream(file, std::ios::binary);
    stream << text;
    stream.close();
    if (!stream) *error = "cannot write " + file.string();
    return static_cast<bool>(stream);
}

bool parseCell(const std::string &text, int32_t &column, int32_t &row) {
    std::istringstream in(text);
    char comma = 0;
    return static_cast<bool>(in >> column >> comma >> row) && comma == ',' && (in >> std::ws).eof();
}

// The view a --map render shows: the map from where the hero stands, then a full turn round him.
// entry: what entering the map runs, as remarks (tools::entryRemarks); empty without game lines.
std::string mapViewScript(const std::string &game, const tools::ViewStart &start, const std::string &entry) {
    const bool gameLines = !entry.empty();
    std::ostringstream script;
    script << "# Map " << start.mapId << " of " << game << ", as farview-preview --map " << start.mapId
           << (gameLines ? "" : " --no-game-lines") << " rendered it.\n"
           << (gameLines ? entry : "# Run it with --no-game-lines: entering the map here runs none of the game's lines.\n")
           << "enter " << start.mapId << "\n"
           << tools::viewStartSteps(start, gameLines) << "frame view.png\n"
           << "gif turn.gif\n"
           << "repeat " << kTurnFrames << "\n"
           << "  @rotate_right_by " << 360 / kTurnFrames << "\n"
           << "  frame turn-{n}.png\n"
           << "end\n"
           << "gif end\n";
    return script.str();
}

std::string describeFrames(const std::vector<std::string> &frames) {
    std::string names;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames.size() > 3 && i == 1) names += ", ...";
        if (frames.size() > 3 && i > 0 && i + 1 < frames.size()) continue;
        names += (i == 0 ? " (" : ", ") + fs::path(frames[i]).filename().string();
    }
    return std::to_string(frames.size()) + (frames.size() == 1 ? " frame" : " frames") + names +
           (frames.empty() ? "" : ")");
}

class Session {
public:
    Session(const Request &request, const PreviewPaths &paths, Console &console)
        : request_(request), paths_(paths), console_(console) {}

    int run() {
        const std::string previousCodePage = simhost::codePage();
        const fs::path previousStandardGraphics = simhost::standardGraphicsFolder();
        int status = render();
        simhost::setCodePage(previousCodePage, nullptr);
        simhost::setStandardGraphicsFolder(previousStandardGraphics);
        return status;
    }

private:
    int render() {
        std::string error;
        if (!prepare(&error)) return console_.fail(error);
        if (request_.check) return check();
        LoadedPlugin plugin;
        simhost::resetEngine();
        if (!simhost::loadPlugin(moduleToLoad(), plugin.module, &error)) return console_.fail(error);
        module_ = &plugin.module;
        reportMessages();
        if (request_.map && !prepareMapView(&error)) return console_.fail(error);
        tools::CurrentDirectory directory;
        if (!directory.enter(game_.folder, &error)) return console_.fail(error);
        if (request_.allMaps) return renderAllMaps(game_, plugin.module, allMapsRun());
        if (request_.noGameLines) console_.out << "the game's own lines are off (--no-game-lines)\n";
        ScriptResult result = runScript(scriptText_, scriptName_, plugin.module, scriptOptions());
        console_.endProgress();
        if (!result.frames.empty() || !result.animations.empty()) report(result);
        if (!result.ok) {
            console_.err << result.error << "\n";
            return 1;
        }
        return 0;
    }

    bool prepare(std::string *error) {
        outputFolder_ = fs::absolute(request_.output);
        std::error_code failure;
        fs::create_directories(outputFolder_, failure);
        if (failure) {
            *error = "cannot create " + outputFolder_.string() + ": " + failure.message();
            return false;
        }
        if (!tools::useStandardGraphics(request_.standardGraphics, {}, error)) return false;
        if (request_.game.empty())
            return prepareDemo(error) && tools::useGameCodePage(game_, request_.codePage, console_.out, error);
        if (!simhost::openGame(fs::absolute(request_.game), game_, error)) return false;
        // The check prints its problems and its summary alone; the summary names the code page.
        std::ostringstream codePageChoice;
        if (!tools::useGameCodePage(game_, request_.codePage, request_.check ? codePageChoice : console_.out, error))
            return false;
        if (request_.map || request_.allMaps || request_.check) return true;
        scriptName_ = request_.script;
        const uintmax_t size = fs::file_size(request_.script, failure);
        if (!failure && size > kMaxScriptBytes) {
            *error = scriptTooLarge(scriptName_, size);
            return false;
        }
        if (!simhost::readTextFile(request_.script, scriptText_, error)) return false;
        return preview::scriptInCodePage(scriptText_, scriptName_, error);
    }

    bool prepareDemo(std::string *error) {
        std::error_code ignored;
        fs::path folder = paths_.builtDemoFolder;
        if (folder.empty() || !fs::is_directory(folder, ignored)) {
            folder = outputFolder_ / "demo-game";
            fs::create_directories(folder, ignored);
            if (!writeDemoGame(folder, error)) return false;
        }
        scriptText_ = kDemoScript;
        scriptName_ = "demo script";
        return simhost::openGame(folder, game_, error);
    }

    // Enters the map once to learn how its view starts (the hero's cell and look, the map's
    // background), and writes the script it will run beside the frames.
    bool prepareMapView(std::string *error) {
        int32_t mapId = *request_.map;
        if (game_.databasePath.empty()) {
            const std::string gameInside = simhost::gameFoldersInsideNote(game_.folder);
            *error = request_.game + " has no database (a .ldb file) to give map " + std::to_string(mapId) +
                     (gameInside.empty() ? " its tileset: write a script with enter and tileset steps instead"
                                         : " its tileset" + gameInside);
            return false;
        }
        simhost::GameMap map;
        if (!simhost::enterMap(game_, mapId, error, &map)) return false;
        std::optional<tools::MapCell> cell;
        if (!request_.hero.empty()) {
            cell.emplace();
            parseCell(request_.hero, cell->column, cell->row); // checked with the command line
        }
        tools::ViewStart start;
        if (!tools::startOfView(game_, map, mapId, cell, request_.background, start, error)) {
            *error = "--hero: " + *error;
            return false;
        }
        showHero(start.heroLook);
        if (!start.strayLayerMarkWarning.empty()) console_.message("farview-preview", start.strayLayerMarkWarning);
        const std::string entry = request_.noGameLines ? "" : tools::entryRemarks(game_, map, start);
        scriptText_ = mapViewScript(request_.game, start, entry);
        fs::path scriptFile = outputFolder_ / ("map-" + std::to_string(mapId) + ".txt");
        scriptName_ = displayed(scriptFile);
        if (!writeText(scriptFile, scriptInUtf8(scriptText_), error)) return false;
        console_.out << "wrote " << displayed(scriptFile) << " (the script of this view: edit it and run it with "
                     << "farview-preview " << request_.game << " SCRIPT)\n";
        return true;
    }

    // Where the hero's look comes from, or why he has none; a fault of the database is a message.
    void showHero(const tools::HeroLook &look) {
        if (look.fault.empty())
            console_.out << tools::describeHeroLook(look) << "\n";
        else
            console_.message("simhost", look.remark);
    }

    ScriptOptions scriptOptions() {
        ScriptOptions options;
        options.outputFolder = outputFolder_;
        options.enterMap = [this](int32_t mapId, std::string *error) { return enter(mapId, error); };
        options.runGameLines = [this](GameLines which, int32_t id, std::string *error) {
            return runGameLines(which, id, error);
        };
        options.progress = [this](int64_t rendered, int64_t total) { console_.progress(rendered, total); };
        options.message = [this](const std::string &caption, const std::string &text) {
            console_.message(caption, text);
        };
        return options;
    }

    // Every Farview line of the game, as the plug-in will read it: the problems like a compiler's,
    // then the summary. 1 when there is an error.
    int check() {
        const tools::CheckReport report = tools::checkGame(game_);
        for (const tools::LineProblem &problem : report.problems) console_.out << tools::describeProblem(problem) << "\n";
        if (!report.problems.empty()) console_.out << "\n";
        console_.out << report.summary(simhost::codePage()) << "\n";
        return report.count(tools::Severity::error) > 0 ? 1 : 0;
    }

    // Enters the map as the game does: its lines run, and the tool says which.
    bool enter(int32_t mapId, std::string *error) {
        if (request_.noGameLines) return simhost::enterMap(game_, mapId, error);
        tools::EntryReport report;
        if (!tools::enterWithGameLines(game_, mapId, *module_, report, error)) return false;
        console_.endProgress();
        for (const std::string &ran : report.summary()) console_.out << "entering map " << mapId << " ran " << ran << "\n";
        if (report.defaultView)
            console_.out << "map " << mapId << " runs no Farview line on entry: its default view\n";
        return true;
    }

    bool runGameLines(GameLines which, int32_t id, std::string *error) {
        if (request_.noGameLines) return true;
        std::optional<tools::RanLines> ran;
        if (!tools::runGameLines(game_, which, id, *module_, ran, error)) return false;
        console_.endProgress();
        if (ran)
            console_.out << "ran " << tools::describeRun(ran->run, ran->sent) << "\n";
        else
            console_.out << "action: the hero faces no event that the action key starts\n";
        return true;
    }

    AllMapsRun allMapsRun() const {
        AllMapsRun run;
        run.gameName = request_.game;
        run.folder = outputFolder_;
        run.shownFolder = request_.output;
        run.out = &console_.out;
        run.err = &console_.err;
        run.terminal = console_.isTerminal();
        run.gameLines = !request_.noGameLines;
        return run;
    }

    std::string moduleToLoad() const { return request_.module.empty() ? paths_.module.string() : request_.module; }

    void reportMessages() {
        const std::vector<std::string> &texts = simhost::messages();
        for (size_t i = 0; i < texts.size(); ++i) console_.message(simhost::messageCaptions()[i], texts[i]);
    }

    // A written file as the person asked for it: inside the output folder as they named it.
    std::string displayed(const fs::path &file) const {
        return (fs::path(request_.output) / file.lexically_relative(outputFolder_)).string();
    }

    void report(const ScriptResult &result) {
        std::string folder = (fs::path(request_.output) / "").string();
        if (!result.frames.empty())
            console_.out << "wrote " << describeFrames(result.frames) << " into " << folder << "\n";
        for (const std::string &animation : result.animations)
            console_.out << "wrote the animation " << displayed(animation) << "\n";
    }

    const Request &request_;
    const PreviewPaths &paths_;
    Console &console_;
    fs::path outputFolder_;
    const simhost::PluginModule *module_ = nullptr;
    simhost::GameFolder game_;
    std::string scriptText_;
    std::string scriptName_;
};

std::string checkForm(const Request &request, bool heroGiven) {
    if (request.map && !request.script.empty()) return "give either a SCRIPT or --map, not both";
    if (request.allMaps && (request.map || !request.script.empty()))
        return "--all-maps goes alone, without a SCRIPT or --map";
    if (request.check && (request.map || request.allMaps || !request.script.empty()))
        return "--check goes alone, without a SCRIPT, --map or --all-maps";
    if (request.game.empty() && request.check) return "--check needs a GAME_FOLDER";
    if (request.game.empty() && request.map) return "--map needs a GAME_FOLDER";
    if (request.game.empty() && request.allMaps) return "--all-maps needs a GAME_FOLDER";
    if (heroGiven && !request.map) return "--hero goes with --map";
    if (!request.background.empty() && !request.map) return "--background goes with --map";
    if (request.background.find_first_of("\r\n") != std::string::npos) return "--background cannot hold a line break";
    int32_t column = 0, row = 0;
    if (heroGiven && !parseCell(request.hero, column, row))
        return "--hero takes COLUMN,ROW (two whole numbers), not '" + request.hero + "'";
    if (!request.game.empty() && request.script.empty() && !request.map && !request.allMaps && !request.check)
        return "GAME_FOLDER needs a SCRIPT, --map N, --all-maps or --check (see --help)";
    return {};
}

} // namespace

int runPreview(int argc, const char *const *argv, const PreviewPaths &paths, std::ostream &out, std::ostream &err,
               bool errIsTerminal) {
    CLI::App app{"Renders a game's perspective view through the stand-in host and the Farview plug-in, "
                 "as PNG frames and animated GIF images. With no arguments, renders the built-in demo game.",
                 "farview-preview"};
    app.footer(kExamples);
    app.set_version_flag("--version", std::string("farview-preview ") + tools::kFarviewVersion);
    // The same options everywhere: on Windows a word that starts with '/' is a path, not an option.
    app.allow_windows_style_options(false);
    Request request;
    app.add_option("GAME_FOLDER", request.game, "the game folder: map files, its database, ChipSet/, CharSet/, images")
        ->check(CLI::ExistingDirectory)
        ->type_name("");
    app.add_option("SCRIPT", request.script, "the script of steps to run (see docs/preview.md)")
        ->check(CLI::ExistingFile)
        ->type_name("");
    int32_t mapId = 0;
    CLI::Option *map =
        app.add_option("--map", mapId, "render map N from the hero's cell and turn round him (needs no script)")
            ->type_name("N");
    CLI::Option *hero =
        app.add_option("--hero", request.hero, "with --map: the hero's cell, on the map (default: the map's centre)")
            ->type_name("COLUMN,ROW");
    app.add_option("--background", request.background,
                   "with --map: the image above the horizon, a file of the game folder (default: the map's own, "
                   "or none)")
        ->type_name("FILE");
    app.add_flag("--all-maps", request.allMaps,
                 "render every map from its centre, with a contact sheet and a report (needs no script)");
    tools::addGameOptions(app, request, "the rendered files", "the one FARVIEW_STANDARD_GRAPHICS names, else none",
                          "every map shows its default view, and action and run steps run nothing");
    app.add_flag("--check", request.check,
                 "check every Farview line of the game's events as the plug-in will read it: each problem with its "
                 "place and a fix, then a summary; exits 1 when there is an error");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return app.exit(e, out, err);
    }
    if (map->count() > 0) request.map = mapId;
    Console console(out, err, errIsTerminal);
    std::string wrongForm = checkForm(request, hero->count() > 0);
    if (!wrongForm.empty()) return console.fail(wrongForm);
    return Session(request, paths, console).run();
}

} // namespace preview
