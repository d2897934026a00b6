#include "tools/live/view_session.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

#include "simhost/comment_line.h"
#include "tools/common/game_code_page.h"
#include "tools/common/line_check.h"
#include "tools/preview/preview_script.h"

namespace fs = std::filesystem;

namespace live {

namespace {

// The plug-in calls back into a plain function: the one session of the process is found here.
ViewSession *activeSession = nullptr; // the one whose module the host calls

// The delay between the frames of a recorded turn, in milliseconds.
constexpr int32_t kTurnFrameDelay = 40;

using simhost::mapFileName;

using simhost::charSetFile;

// Loads the image as the plug-in would, into an image of its own, and throws it away again: the
// host's message when it cannot be loaded.
bool probeImage(const std::string &name, std::string *error) {
    FvHostImage *image = simhost::createImage();
    const size_t before = simhost::messages().size();
    simhost::loadImageFile(image, name.c_str(), 1);
    simhost::destroyImage(image);
    if (simhost::messages().size() == before) return true;
    *error = simhost::messages().back();
    return false;
}

bool readMap(const fs::path &folder, int32_t mapId, simhost::GameMap &map, std::string *error) {
    const std::string name = mapFileName(mapId);
    std::vector<uint8_t> bytes;
    return simhost::readGameFile(simhost::resolveGameFile(folder, name), bytes, error) &&
           simhost::readMapFile(bytes, name, map, error);
}

Cell clampedInto(Cell cell, int32_t width, int32_t height) {
    return {std::clamp(cell.column, 0, std::max(0, width - 1)), std::clamp(cell.row, 0, std::max(0, height - 1))};
}

void remember(std::deque<std::string> &lines, const std::string &line) {
    lines.push_back(line);
    while (lines.size() > kRememberedLines) lines.pop_front();
}

void addOnce(std::vector<std::string> &names, const std::string &name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

std::string joined(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines) text += line + "\n";
    return text;
}

// A name as a quoted word of a preview script, a quote in it doubled.
std::string quoted(const std::string &text) {
    std::string word = "\"";
    for (char c : text) word += c == '"' ? std::string(2, c) : std::string(1, c);
    return word + "\"";
}

std::string cellText(Cell cell) { return std::to_string(cell.column) + " " + std::to_string(cell.row); }

} // namespace

bool ViewSession::Figure::operator==(const Figure &other) const {
    return id == other.id && cell == other.cell && facing == other.facing && animationStep == other.animationStep &&
           sheet == other.sheet && sheetIndex == other.sheetIndex;
}

ViewSession::ViewSession(fs::path outputFolder) : outputFolder_(std::move(outputFolder)) { activeSession = this; }

ViewSession::~ViewSession() {
    turn_.close(nullptr);
    simhost::unloadPlugin(plugin_);
    activeSession = nullptr;
}

bool FVAPI ViewSession::observedComment(const char *text, const FvParsedComment *comment) {
    ViewSession &session = *activeSession;
    const bool returned = session.plugin_.onComment(text, comment);
    if (comment == nullptr) return returned;
    const int32_t loadsBefore = session.mirror_.mapLoads();
    session.mirror_.observe(text != nullptr ? text : "", *comment);
    if (session.gameRunning_) session.gameMirror_.observe(text != nullptr ? text : "", *comment);
    if (session.mirror_.mapLoads() != loadsBefore) session.noteLoadedEvents();
    return returned;
}

void FVAPI ViewSession::observedTitleScreen() {
    activeSession->plugin_.onInitTitleScreen();
    activeSession->mirror_.titleReset();
    activeSession->gameMirror_.titleReset();
    activeSession->loadedEventIds_.clear(); // the plug-in let go of its placements
}

bool ViewSession::loadModule(const std::string &path, std::string *error) {
    if (!simhost::loadPlugin(path, plugin_, error)) return false;
    observed_ = plugin_;
    observed_.onComment = &ViewSession::observedComment;
    observed_.onInitTitleScreen = &ViewSession::observedTitleScreen;
    return true;
}

// Everything that can be known without touching the scene on show is made sure of first: the
// folder, its code page, its map, database, tileset and tileset graphic. Only then is the engine
// reset; should the new scene still fail, the one before is built again from its script.
bool ViewSession::open(const OpenRequest &request, std::string *error) {
    const bool opened = openGame(request, error);
    problem_ = opened ? std::string() : *error;
    return opened;
}

bool ViewSession::openGame(const OpenRequest &request, std::string *error) {
    if (observed_.onInitTitleScreen == nullptr) {
        *error = "no plug-in module is loaded";
        return false;
    }
    collectMessages();
    const std::optional<Scene> before = open_ ? std::optional<Scene>(scene()) : std::nullopt;
    const std::string codePageBefore = simhost::codePage();
    const bool gameLinesBefore = gameLines_;
    const auto refuse = [&] {
        simhost::setCodePage(codePageBefore, nullptr);
        seenMessages_ = simhost::messages().size(); // what the checks loaded is told through error
        return false;
    };
    simhost::GameFolder game;
    std::ostringstream codePageChoice;
    if (!simhost::openGame(request.game, game, error) ||
        !tools::useGameCodePage(game, request.codePage, codePageChoice, error, request.howToChooseCodePage))
        return refuse();
    std::optional<int32_t> first = request.map;
    const std::vector<int32_t> ids = simhost::gameMapIds(game);
    if (!first && request.scriptText.empty() && !ids.empty()) first = ids.front();
    if (!first && request.scriptText.empty()) {
        *error = "The game folder \"" + request.game.string() + "\" holds no map file (Map0001.lmu, ...)" +
                 simhost::gameFoldersInsideNote(request.game);
        return refuse();
    }
    // The game opens as it shows itself: the hero looking as its database has him, the map's own
    // background in the band. The author's script comes after, and may change both.
    std::string start = request.hero ? "hero " + cellText(*request.hero) + "\n" : "";
    std::optional<tools::ViewStart> gameStart;
    if (first) {
        Checked checked;
        const CheckFor wanted{request.scriptText.empty(), request.hero, true, true};
        if (!check(game.folder, *first, wanted, {}, checked, error)) return refuse();
        gameStart = checked.start;
        const tools::MapCell cell = gameStart->heroCell;
        const simhost::HeroSheet &look = gameStart->heroLook.sheet;
        start = "enter " + std::to_string(*first) + "\nhero " + cellText({cell.column, cell.row}) + "\nsheet hero " +
                quoted(look.sheetName) + " " + std::to_string(look.sheetIndex) + "\n";
    }
    const std::vector<std::string> startLines =
        gameStart ? tools::viewCommentLines(*gameStart)
                  : std::vector<std::string>{"@load_map_to_texture", "@init_mode7 true"};

    std::string script = request.scriptText;
    if (!preview::scriptInCodePage(script, request.scriptName, error)) return refuse();
    std::string failure;
    gameLines_ = request.gameLines;
    bool good = begin(game, {}, start, "the start", &failure) &&
                (script.empty() || runSteps(script, request.scriptName, &failure));
    // The game's own lines show what the game shows, nothing where they draw nothing.
    const bool viewFromTheGame = gameLines_ && simhost::enteredMap() != nullptr;
    if (good && !mirror_.mapLoaded() && !viewFromTheGame)
        good = runSteps(joined(startLines), "the start", &failure);
    if (!good) {
        *error = failure;
        collectMessages(); // what the failed start said, before the scene before is built again
        gameLines_ = gameLinesBefore;
        if (before) restore(*before);
        open_ = before.has_value();
        return false;
    }
    open_ = true;
    askedCodePage_ = request.codePage;
    howToChooseCodePage_ = request.howToChooseCodePage;
    mapId_ = simhost::hero().mapId;
    maps_.clear();
    const std::string choice = codePageChoice.str();
    if (!choice.empty()) note(choice.substr(0, choice.find_last_not_of('\n') + 1));
    if (gameStart) {
        note(tools::describeHeroLook(gameStart->heroLook));
        if (!gameLines_) note(gameStart->backgroundRemark);
    }
    if (!gameLines_) note("the game's own lines are off: entering a map runs none of them");
    settleShown();
    return true;
}

bool ViewSession::openDropped(const fs::path &folder, std::string *error) {
    OpenRequest request;
    request.game = folder;
    request.codePage = askedCodePage_;
    request.howToChooseCodePage = howToChooseCodePage_;
    request.gameLines = gameLines_;
    return open(request, error);
}

bool ViewSession::setGameLines(bool on, std::string *error) {
    OpenRequest request;
    request.game = game_.folder;
    request.map = mapId_;
    request.hero = state().hero;
    request.codePage = askedCodePage_;
    request.howToChooseCodePage = howToChooseCodePage_;
    request.gameLines = on;
    return open(request, error);
}

bool ViewSession::begin(const simhost::GameFolder &game, const std::vector<uint8_t> &tilesetRecord,
                        const std::string &script, const std::string &name, std::string *error) {
    if (!directory_) directory_.emplace();
    if (!directory_->enter(game.folder, error)) return false;
    simhost::initTitleScreen(observed_); // the plug-in lets go of the last scene's images
    simhost::resetEngine();
    simhost::setTilesetRecord(tilesetRecord);
    seenMessages_ = 0;
    if (gameLines_) startFresh();
    game_ = game;
    return runSteps(script, name, error);
}

// With the game's lines, each scene starts as a fresh game does: the lines of the map it enters make
// its view, not values another map or game left behind.
void ViewSession::startFresh() {
    mirror_ = ViewMirror{};
    gameMirror_ = ViewMirror{};
    std::string ignored;
    tools::freshView(observed_, &ignored);
}

bool ViewSession::runSteps(const std::string &script, const std::string &name, std::string *error) {
    preview::ScriptOptions options;
    options.outputFolder = outputFolder_;
    options.enterMap = [this](int32_t mapId, std::string *failure) { return enter(mapId, failure); };
    options.runGameLines = [this](tools::GameLines which, int32_t id, std::string *failure) {
        return runGameLines(which, id, failure);
    };
    const preview::ScriptResult result = preview::runScript(script, name, observed_, options);
    if (!result.ok) *error = result.error;
    return result.ok;
}

ViewSession::Scene ViewSession::scene() const {
    const FvHostMapView &view = simhost::mapView();
    Scene scene{game_, simhost::codePage(), {}, {}};
    if (view.tilesetRecord != nullptr && view.tilesetRecordSize > 0)
        scene.tilesetRecord.assign(view.tilesetRecord, view.tilesetRecord + view.tilesetRecordSize);
    const FvHostCharacter &hero = simhost::hero();
    scene.script = sceneScript(mapId_, {hero.mapColumn, hero.mapRow}, true);
    return scene;
}

void ViewSession::restore(const Scene &scene) {
    simhost::setCodePage(scene.codePage, nullptr);
    std::string failure;
    if (!begin(scene.game, scene.tilesetRecord, scene.script, "the view before", &failure))
        warn("the view before could not be built again: " + failure);
    settleShown();
}

bool ViewSession::enter(int32_t mapId, std::string *error) {
    loadedEventIds_.clear();
    laterRuns_.clear();
    gameRemarks_.clear();
    tools::EntryReport report;
    if (!gameLines_) {
        if (!simhost::enterMap(game_, mapId, error)) return false;
    } else {
        const GameLinesRunning running(*this);
        if (!tools::enterWithGameLines(game_, mapId, observed_, report, error)) return false;
    }
    mapId_ = mapId;
    enteredEvents_ = eventFigures();
    for (size_t i = 0; i < report.runs.size(); ++i) ranGameLines(report.runs[i], report.sent[i]);
    if (gameLines_) tellProblems(mapId);
    if (report.defaultView) {
        gameRemarks_.push_back("# Map " + std::to_string(mapId) +
                               " runs no Farview line on entry: its default view, every value at its default, and");
        for (const std::string &line : report.defaultViewLines) gameRemarks_.push_back("#   " + simhost::toUtf8(line));
        note("map " + std::to_string(mapId) + " runs no Farview line on entry: its default view");
    }
    return true;
}

// The problems of the entered map's lines, as farview-preview --check finds them: told when they
// differ from those last told, so that a reload of an unchanged map says nothing again.
void ViewSession::tellProblems(int32_t mapId) {
    const simhost::GameMap *map = simhost::enteredMap();
    if (map == nullptr) return;
    std::vector<std::string> problems;
    for (const tools::LineProblem &problem : tools::checkMap(game_, *map, mapId, tools::mapNamesOf(game_)).problems)
        problems.push_back(tools::describeProblem(problem));
    if (problems == toldProblems_) return;
    toldProblems_ = problems;
    for (const std::string &problem : problems) warn(problem);
}

bool ViewSession::runGameLines(tools::GameLines which, int32_t id, std::string *error) {
    if (!gameLines_) return true;
    std::optional<tools::RanLines> ran;
    {
        const GameLinesRunning running(*this);
        if (!tools::runGameLines(game_, which, id, observed_, ran, error)) return false;
    }
    if (!ran) {
        note("the hero faces no event that the action key starts");
        return true;
    }
    laterRuns_.push_back("run event " + std::to_string(ran->run.place.eventId));
    ranGameLines(ran->run, ran->sent);
    return true;
}

// Told in the overlay, and kept for C's remarks: where each line came from.
void ViewSession::ranGameLines(const simhost::ListRun &run, const simhost::LinesSent &sent) {
    if (sent.sent == 0) return;
    note(tools::describeRun(run, sent));
    for (const simhost::GameLine &line : run.lines)
        gameRemarks_.push_back("# " + simhost::describePlace(line.place) + ", line " +
                               std::to_string(line.lineNumber) + ": " + simhost::toUtf8(line.text));
}

void ViewSession::action() {
    std::string error;
    if (!runGameLines(tools::GameLines::Action, 0, &error)) warn(error);
}

// Walking onto an event whose page a touch starts runs its lines.
void ViewSession::touch(Cell cell) {
    if (!gameLines_) return;
    for (const simhost::ListRun &run : simhost::touchRuns(game_, cell.column, cell.row)) {
        simhost::LinesSent sent;
        {
            const GameLinesRunning running(*this);
            sent = simhost::runLines(run, observed_);
        }
        laterRuns_.push_back("run event " + std::to_string(run.place.eventId));
        ranGameLines(run, sent);
    }
}

void ViewSession::noteLoadedEvents() {
    for (const Figure &event : eventFigures())
        if (std::find(loadedEventIds_.begin(), loadedEventIds_.end(), event.id) == loadedEventIds_.end())
            loadedEventIds_.push_back(event.id);
}

std::vector<ViewSession::Figure> ViewSession::eventFigures() {
    std::vector<Figure> figures;
    const FvHostEventList *events = simhost::mapView().events;
    for (int32_t i = 0; events != nullptr && i < events->count; ++i) {
        const FvHostCharacter &e = *events->items[i];
        figures.push_back({e.id,
                           {e.mapColumn, e.mapRow},
                           e.facing,
                           e.animationStep,
                           simhost::hostStringText(e.sheetName),
                           e.sheetIndex});
    }
    return figures;
}

// The events a script placed, moved, turned or dressed since the map was entered: those a load found
// (the plug-in draws them where they now stand), or those the host placed after the last load.
std::vector<ViewSession::Figure> ViewSession::eventsMoved(bool foundByALoad) const {
    std::vector<Figure> moved;
    for (const Figure &event : eventFigures()) {
        const bool found = std::find(loadedEventIds_.begin(), loadedEventIds_.end(), event.id) != loadedEventIds_.end();
        if (found == foundByALoad &&
            std::find(enteredEvents_.begin(), enteredEvents_.end(), event) == enteredEvents_.end())
            moved.push_back(event);
    }
    return moved;
}

std::vector<std::string> ViewSession::eventSteps(const std::vector<Figure> &events) {
    std::vector<std::string> steps;
    for (const Figure &event : events) {
        const std::string id = std::to_string(event.id);
        steps.push_back("event " + id + " " + cellText(event.cell) + " " + quoted(event.sheet) + " " +
                        std::to_string(event.sheetIndex));
        steps.push_back("face " + id + " " + std::to_string(event.facing));
        steps.push_back("pose " + id + " " + std::to_string(event.animationStep));
    }
    return steps;
}

// Names are written as the engine holds them, in the game's code page: the scenes the session
// builds run these steps as they are. What C prints is the same in UTF-8, as every script file is.
std::vector<std::string> ViewSession::hostSteps(int32_t mapId, Cell hero, bool withEvents) const {
    const FvHostCharacter &h = simhost::hero();
    std::vector<std::string> steps{
        "enter " + std::to_string(mapId),
        "hero " + cellText(hero) + " " + std::to_string(h.facing),
        "sheet hero " + quoted(simhost::hostStringText(h.sheetName)) + " " + std::to_string(h.sheetIndex),
        "pose hero " + std::to_string(h.animationStep),
    };
    if (withEvents)
        for (const std::string &step : eventSteps(eventsMoved(true))) steps.push_back(step);
    // The live view draws after the view's own picture; the preview draws picture 1 unless told.
    if (mirror_.values().pictureId != 1) steps.push_back("pictures " + std::to_string(mirror_.values().pictureId));
    return steps;
}

// The comment lines of a scene that follow its host's steps. With the game's lines, `enter` runs
// them: then come the lists run since, and the author's tuning beyond them (on another map, the
// tuning that map was left with).
std::string ViewSession::viewLines(bool sameMap, const std::optional<MapMemory> &place) const {
    if (!gameLines_) return joined(mirror_.script());
    if (!sameMap) return place ? joined(place->tuning) : std::string();
    return joined(laterRuns_) + joined(mirror_.linesBeyond(gameMirror_));
}

// The view on show as a script that builds it again: the host's steps, the comment lines, then the
// events the host placed after the last load, which stay undrawn.
std::string ViewSession::sceneScript(int32_t mapId, Cell hero, bool withEvents,
                                     const std::optional<MapMemory> &place) const {
    std::string script = joined(hostSteps(mapId, hero, withEvents)) + viewLines(withEvents, place);
    if (withEvents) script += joined(eventSteps(eventsMoved(false)));
    return script;
}

std::vector<std::string> ViewSession::script() const {
    const FvHostCharacter &hero = simhost::hero();
    std::vector<std::string> lines{
        "# farview-live: map " + std::to_string(mapId_) + " of " + game_.folder.filename().u8string() +
            " as a preview script (farview-preview GAME_FOLDER" + (gameLines_ ? "" : " --no-game-lines") +
            " THIS_FILE draws the window's picture).",
        "# The host's steps: where the game puts the hero and the events (not for the event script).",
    };
    for (const std::string &step : hostSteps(mapId_, {hero.mapColumn, hero.mapRow}, true))
        lines.push_back(simhost::toUtf8(step));
    if (gameLines_) {
        lines.push_back("# Entering the map runs the game's own lines; these ran, from the game's events:");
        lines.insert(lines.end(), gameRemarks_.begin(), gameRemarks_.end());
        if (!laterRuns_.empty()) lines.push_back("# The lists the action key and the hero's steps ran since:");
        lines.insert(lines.end(), laterRuns_.begin(), laterRuns_.end());
    }
    const std::vector<std::string> paste = gameLines_ ? mirror_.linesBeyond(gameMirror_) : mirror_.script();
    lines.push_back(paste.empty() ? "# The view is the game's own: no comment line to paste."
                    : gameLines_  ? "# What your tuning changed: paste these into the event script, after its own lines."
                                  : "# The event's comment lines: paste these into the event script.");
    for (const std::string &line : paste) lines.push_back(simhost::toUtf8(line));
    const std::vector<std::string> late = eventSteps(eventsMoved(false));
    if (!late.empty())
        lines.push_back("# The host's steps after the load: events placed since, which the plug-in does not draw.");
    for (const std::string &step : late) lines.push_back(simhost::toUtf8(step));
    lines.push_back("# The host draws a frame and writes it to " + std::string(kScriptFrameFile) + ".");
    lines.push_back("frame " + std::string(kScriptFrameFile));
    return lines;
}

// The pictures and sheets of the view on show that a rebuild of it would load, beyond the map's
// tileset and its events' own sheets: on another map the sprites stay behind (they name this map's
// events), and so do the events a script moved.
std::vector<std::string> ViewSession::viewImages(bool sameMap) const {
    std::vector<std::string> images = sameMap ? mirror_.imageFiles() : std::vector<std::string>{};
    if (!sameMap && !mirror_.backgroundFile().empty()) images.push_back(mirror_.backgroundFile());
    const std::string heroSheet = simhost::hostStringText(simhost::hero().sheetName);
    if (!heroSheet.empty()) addOnce(images, charSetFile(heroSheet));
    for (const Figure &event : sameMap ? eventsMoved(true) : std::vector<Figure>{})
        if (!event.sheet.empty()) addOnce(images, charSetFile(event.sheet));
    return images;
}

bool ViewSession::check(const fs::path &folder, int32_t mapId, const CheckFor &wanted, std::vector<std::string> images,
                        Checked &checked, std::string *error) {
    if (!simhost::openGame(folder, checked.game, error) || !readMap(folder, mapId, checked.map, error)) return false;
    std::optional<tools::MapCell> hero;
    if (wanted.hero) hero = tools::MapCell{wanted.hero->column, wanted.hero->row};
    if (!tools::startOfView(checked.game, checked.map, mapId, hero, "", checked.start, error)) return false;
    if (wanted.ownBackground && !checked.start.background.empty()) images.push_back(checked.start.background);
    const std::string &heroSheet = checked.start.heroLook.sheet.sheetName;
    if (wanted.heroSheet && !heroSheet.empty()) images.push_back(charSetFile(heroSheet));
    size_t required = 0; // images the view cannot be made without, first in the list
    if (!checked.game.databasePath.empty()) {
        const simhost::GameDatabase *database = simhost::gameDatabase(checked.game, error);
        if (database == nullptr) return false;
        const simhost::GameTileset *tileset = simhost::findTileset(*database, checked.map.tilesetId);
        if (tileset == nullptr) {
            *error = mapFileName(mapId) + " uses tileset " + std::to_string(checked.map.tilesetId) + ", which " +
                     checked.game.databasePath.filename().string() + " does not hold";
            return false;
        }
        images.insert(images.begin(), simhost::chipSetFile(tileset->graphicName));
        required = 1;
    } else if (wanted.needsDatabase) {
        *error = folder.string() + " has no database (a .ldb file) to give map " + std::to_string(mapId) +
                 " its tileset: write a script with enter and tileset steps and give it with --script";
        return false;
    }
    for (const simhost::GameEvent &event : checked.map.events)
        if (!event.pages.empty() && !event.pages.front().sheetName.empty())
            images.push_back(charSetFile(event.pages.front().sheetName));
    for (const std::string &image : images) addOnce(checked.images, image);
    // The pictures are named relative to the game folder, which need not be the one on show.
    tools::CurrentDirectory here;
    if (!here.enter(checked.game.folder, error)) return false;
    const size_t asked = simhost::filesAskedSoFar();
    for (size_t i = 0; i < checked.images.size(); ++i) {
        std::string fault;
        if (probeImage(checked.images[i], &fault)) continue;
        if (i < required && simhost::filesAskedSoFar() == asked) return (*error = fault, false);
        checked.unusable.push_back(checked.images[i]);
        checked.faults.push_back(fault);
    }
    // A view is not made without pictures that are only still on their way (the page's).
    if (simhost::filesAskedSoFar() != asked) return (*error = "its pictures are still being read in", false);
    return true;
}

bool ViewSession::rebuild(int32_t mapId, const std::optional<MapMemory> &place, bool sameMap, std::string *error) {
    collectMessages();
    Checked checked;
    std::vector<std::string> images = viewImages(sameMap);
    for (const ViewMirror::SpriteLine &sprite : place ? place->sprites : std::vector<ViewMirror::SpriteLine>{})
        addOnce(images, sprite.image);
    const bool good = check(game_.folder, mapId, CheckFor{false, std::nullopt, !sameMap}, images, checked, error);
    seenMessages_ = simhost::messages().size(); // a failed look is told through error
    if (!good) return false;
    // A picture or sheet the view on show has is not given up for one that cannot be loaded.
    for (size_t i = 0; sameMap && i < checked.unusable.size(); ++i)
        if (std::find(unusable_.begin(), unusable_.end(), checked.unusable[i]) == unusable_.end())
            return (*error = checked.faults[i], false);
    const Scene before = scene();
    const FvHostCharacter &hero = simhost::hero();
    const simhost::GameMap &map = checked.map;
    Cell cell{hero.mapColumn, hero.mapRow};
    if (!sameMap) {
        cell = place ? place->hero : Cell{map.width / 2, map.height / 2};
        std::optional<Cell> boundary = mirror_.boundary();
        if (place) boundary = place->boundary;
        if (!place && boundary) boundary = clampedInto(*boundary, map.width, map.height);
        if (!gameLines_) mirror_.leaveMap(boundary, place ? place->sprites : std::vector<ViewMirror::SpriteLine>{});
    }
    std::string script = sceneScript(mapId, clampedInto(cell, map.width, map.height), sameMap, place);
    // Without the game's lines, another map brings its own background, as its event script would set
    // it; a map without one leaves the band as it was. With them, entering it made its view.
    const std::string background = tools::backgroundLine(checked.start);
    if (!gameLines_ && !sameMap && !background.empty()) script += background + "\n";
    // Entered again: a folder removed and made again is another folder to the system.
    if (!directory_ || !directory_->enter(checked.game.folder, error)) return false;
    simhost::initTitleScreen(observed_);
    if (gameLines_) startFresh();
    game_ = std::move(checked.game);
    if (!runSteps(script, "the view", error)) {
        restore(before);
        return false;
    }
    collectMessages();
    settle(checked);
    return true;
}

// The view on show was made from what checked found: its files are watched from now on, and the
// pictures and sheets it had to do without are no reason to refuse the next reload.
void ViewSession::settle(const Checked &checked) {
    // A map whose floor the plug-in reads from a stray byte is told of once, until that changes.
    const std::string &warning = checked.start.strayLayerMarkWarning;
    if (!warning.empty() && warning != strayLayerMarkTold_) warn(warning);
    strayLayerMarkTold_ = warning;
    unusable_ = checked.unusable;
    std::vector<fs::path> files{simhost::resolveGameFile(game_.folder, mapFileName(mapId_))};
    if (!game_.databasePath.empty()) files.push_back(game_.databasePath);
    for (const std::string &name : checked.images) files.push_back(simhost::findGraphicFile(game_.folder, name).path);
    watch_.watch(std::move(files));
}

// After a scene a script made: what it is made of is found by looking.
void ViewSession::settleShown() {
    collectMessages();
    Checked shown;
    std::string ignored;
    check(game_.folder, mapId_, CheckFor{}, viewImages(true), shown, &ignored);
    seenMessages_ = simhost::messages().size(); // the scene's own loads told them already
    settle(shown);
}

void ViewSession::apply(const Effect &effect) {
    const size_t asked = simhost::filesAskedSoFar();
    for (const std::string &line : effect.commentLines) send(line, true);
    if (effect.hero) {
        const Cell from = state().hero;
        placeHero(*effect.hero);
        if (!(effect.hero->cell == from)) touch(effect.hero->cell);
    }
    if (effect.action) action();
    if (effect.choose) setting_ = *effect.choose;
    if (effect.switchWalking) relativeWalking_ = !relativeWalking_;
    if (effect.mapStep != 0) changeMap(effect.mapStep);
    // Lines the game ran loaded pictures still on their way (the page's): the view is made again
    // once they are in.
    if (effect.mapStep == 0 && simhost::filesAskedSoFar() != asked) reloadWhenFilesCome_ = true;
    collectMessages();
}

bool ViewSession::send(const std::string &line, bool remembered) {
    std::string error;
    if (!simhost::sendCommentLine(observed_, line, nullptr, &error)) {
        warn(error);
        return false;
    }
    if (remembered) remember(sent_, line);
    return true;
}

void ViewSession::placeHero(const HeroStep &step) {
    FvHostCharacter &hero = simhost::hero();
    hero.mapColumn = step.cell.column;
    hero.mapRow = step.cell.row;
    hero.facing = step.facing;
    hero.animationStep = step.animationStep;
    simhost::scrollToHero();
}

// The next map that can be entered, in the direction asked: a map that cannot (a broken file, a
// tileset the database lacks) is passed over with its message, as a missing map number is. A map
// whose files are still on their way (the page's) is waited for: the step is taken again once the
// program says files came in.
void ViewSession::changeMap(int32_t direction) {
    const bool waitedAlready = std::exchange(stepWaitingForFiles_, 0) != 0;
    const size_t asked = simhost::filesAskedSoFar();
    std::vector<int32_t> ahead;
    for (int32_t id : simhost::gameMapIds(game_))
        if (direction > 0 ? id > mapId_ : id < mapId_) ahead.push_back(id);
    if (direction < 0) std::reverse(ahead.begin(), ahead.end());
    const FvHostCharacter &hero = simhost::hero();
    const int32_t left = mapId_;
    const MapMemory leaving{
        {hero.mapColumn, hero.mapRow}, mirror_.boundary(), mirror_.sprites(), mirror_.linesBeyond(gameMirror_)};
    for (int32_t next : ahead) {
        const auto known = maps_.find(next);
        std::string error;
        if (!rebuild(next, known != maps_.end() ? std::optional<MapMemory>(known->second) : std::nullopt, false,
                     &error)) {
            if (simhost::filesAskedSoFar() != asked) {
                stepWaitingForFiles_ = direction;
                if (!waitedAlready) note("map " + std::to_string(next) + " is still being read in");
                return;
            }
            warn("map " + std::to_string(next) + " passed over: " + error);
            continue;
        }
        maps_[left] = leaving;
        note("map " + std::to_string(next));
        return;
    }
    note("map " + std::to_string(mapId_) + " is the game's " + (direction > 0 ? "last" : "first") +
         (ahead.empty() ? "" : " that can be entered"));
}

void ViewSession::filesChanged(Clock::time_point now) {
    watch_.tell(now);
    if (stepWaitingForFiles_ != 0) changeMap(stepWaitingForFiles_);
    else if (std::exchange(reloadWhenFilesCome_, false)) reload("the pictures it waited for came in");
    collectMessages();
}

bool ViewSession::reloadIfChanged(Clock::time_point now) {
    const std::vector<fs::path> changes = watch_.changed(now);
    if (changes.empty()) return false;
    std::string names;
    for (const fs::path &file : changes)
        names += (names.empty() ? "" : ", ") + file.lexically_relative(game_.folder).generic_string();
    reload(names + " changed");
    return true;
}

void ViewSession::reload(const std::string &why) {
    std::string error;
    if (rebuild(mapId_, std::nullopt, true, &error)) {
        problem_.clear();
        note("reloaded: " + why);
    } else {
        problem_ = error;
        warn("not reloaded, the last good view stays: " + error);
    }
    collectMessages();
}

bool ViewSession::enterMap(int32_t mapId, std::string *error) {
    const bool entered = rebuild(mapId, std::nullopt, false, error);
    problem_ = entered ? std::string() : *error;
    return entered;
}

void ViewSession::renderFrame() {
    simhost::scrollToHero();
    simhost::fillScreen(preview::kBackdrop);
    const auto start = std::chrono::steady_clock::now();
    simhost::drawPictures(observed_, {mirror_.values().pictureId});
    const auto took = std::chrono::steady_clock::now() - start;
    pluginMicroseconds_ = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
    collectMessages();
}

fs::path ViewSession::freeName(const char *stem, const char *extension) const {
    fs::path file;
    std::error_code ignored;
    for (int number = 1; number <= 999; ++number) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%03d%s", stem, number, extension);
        file = outputFolder_ / name;
        if (!fs::exists(file, ignored)) break;
    }
    return file;
}

std::optional<fs::path> ViewSession::saveScreenshot() {
    const fs::path file = freeName("shot-", ".png");
    std::string error;
    if (!simhost::writeScreenPng(file.string(), &error)) {
        warn(error);
        return std::nullopt;
    }
    note("saved " + file.string());
    return file;
}

bool ViewSession::startTurnRecording() {
    if (recording()) return false;
    const fs::path file = freeName("turn-", ".gif");
    std::string error;
    if (!turn_.open(file.string(), simhost::kScreenWidth, simhost::kScreenHeight, kTurnFrameDelay, &error)) {
        warn(error);
        return false;
    }
    turnFramesLeft_ = kTurnFrames;
    turnStartAngle_ = mirror_.values().angle;
    note("recording a turn into " + file.string());
    return true;
}

void ViewSession::recordTurnStep() {
    if (!recording()) return;
    renderFrame();
    std::string error;
    if (!turn_.addFrame(preview::screenPixels(), &error)) {
        warn(error);
        turnFramesLeft_ = 0;
        turn_.close(nullptr);
        return;
    }
    send("@rotate_right_by " + std::to_string(kTurnDegrees), true);
    if (--turnFramesLeft_ > 0) return;
    // Steps of a fraction of a degree may not add up to the angle the turn began at exactly.
    send("@rotate_to " + formatNumber(turnStartAngle_), true);
    const std::string path = turn_.path();
    if (turn_.close(&error))
        note("wrote " + path);
    else
        warn(error);
}

LiveState ViewSession::state() const {
    LiveState state;
    state.view = mirror_.values();
    const FvHostCharacter &hero = simhost::hero();
    state.hero = {hero.mapColumn, hero.mapRow};
    state.facing = hero.facing;
    state.animationStep = hero.animationStep;
    simhost::mapSize(&state.mapWidth, &state.mapHeight);
    state.setting = setting_;
    state.relativeWalking = relativeWalking_;
    return state;
}

void ViewSession::warn(const std::string &text) { note(text, true); }

void ViewSession::note(const std::string &text, bool warning) {
    notes_.push_back({text, warning});
    while (notes_.size() > kRememberedLines) notes_.pop_front();
    if (noteListener) noteListener(notes_.back());
}

void ViewSession::collectMessages() {
    const std::vector<std::string> &texts = simhost::messages();
    const std::vector<std::string> &captions = simhost::messageCaptions();
    if (texts.size() < seenMessages_) seenMessages_ = 0; // the engine was reset meanwhile
    for (; seenMessages_ < texts.size(); ++seenMessages_)
        warn("[" + captions[seenMessages_] + "] " + texts[seenMessages_]);
}

} // namespace live
