#include "tools/live/live_session.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

#include "simhost/comment_line.h"
#include "tools/preview/preview_script.h"

namespace fs = std::filesystem;

namespace live {

namespace {

// The plug-in calls back into a plain function: the one session of the process is found here.
ViewMirror *activeMirror = nullptr;
const simhost::PluginModule *activePlugin = nullptr;

// The delay between the frames of a recorded turn, in milliseconds.
constexpr int32_t kTurnFrameDelay = 40;

using simhost::mapFileName;

const simhost::GameTileset *tilesetOf(const simhost::GameDatabase &database, const simhost::GameMap &map) {
    for (const simhost::GameTileset &tileset : database.tilesets)
        if (tileset.id == map.tilesetId) return &tileset;
    return nullptr;
}

std::string tilesetGraphic(const simhost::GameTileset &tileset) { return "ChipSet/" + tileset.graphicName + ".png"; }
std::string sheetFile(const std::string &sheet) { return "CharSet/" + sheet + ".png"; }

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

} // namespace

LiveSession::LiveSession(fs::path outputFolder) : outputFolder_(std::move(outputFolder)) {
    activeMirror = &mirror_;
    activePlugin = &plugin_;
}

LiveSession::~LiveSession() {
    turn_.close(nullptr);
    simhost::unloadPlugin(plugin_);
    activeMirror = nullptr;
    activePlugin = nullptr;
}

bool FVAPI LiveSession::observedComment(const char *text, const FvParsedComment *comment) {
    const bool returned = activePlugin->onComment(text, comment);
    if (comment != nullptr) activeMirror->observe(text != nullptr ? text : "", *comment);
    return returned;
}

void FVAPI LiveSession::observedTitleScreen() {
    activePlugin->onInitTitleScreen();
    activeMirror->titleReset();
}

bool LiveSession::loadModule(const std::string &path, std::string *error) {
    if (!simhost::loadPlugin(path, plugin_, error)) return false;
    observed_ = plugin_;
    observed_.onComment = &LiveSession::observedComment;
    observed_.onInitTitleScreen = &LiveSession::observedTitleScreen;
    return true;
}

bool LiveSession::open(const OpenRequest &request, std::string *error) {
    if (observed_.onInitTitleScreen == nullptr) {
        *error = "no plug-in module is loaded";
        return false;
    }
    simhost::GameFolder game;
    if (!simhost::openGame(request.game, game, error)) return false;
    if (!directory_) directory_.emplace();
    if (!directory_->enter(game.folder, error)) return false;
    simhost::initTitleScreen(observed_); // the plug-in lets go of the last game's images
    simhost::resetEngine();
    seenMessages_ = 0;
    game_ = std::move(game);
    std::optional<int32_t> first = request.map;
    const std::vector<int32_t> ids = mapIds(game_.folder);
    if (!first && request.scriptText.empty() && !ids.empty()) first = ids.front();
    if (!first && request.scriptText.empty()) {
        *error = "The game folder \"" + request.game.string() + "\" holds no map file (Map0001.lmu, ...)";
        return false;
    }
    if (first && !enter(*first, error)) return false;
    int32_t width = 0, height = 0;
    simhost::mapSize(&width, &height);
    if (first || request.hero) placeHero({request.hero.value_or(Cell{width / 2, height / 2}), 0, 0});
    if (!request.scriptText.empty()) {
        preview::ScriptOptions options;
        options.outputFolder = outputFolder_;
        options.enterMap = [this](int32_t mapId, std::string *failure) { return enter(mapId, failure); };
        preview::ScriptResult result = preview::runScript(request.scriptText, request.scriptName, observed_, options);
        if (!result.ok) {
            *error = result.error;
            return false;
        }
    }
    mapId_ = simhost::hero().mapId;
    if (!mirror_.mapLoaded()) {
        send("@load_map_to_texture", false);
        send("@init_mode7 true", false);
    }
    simhost::scrollToHero();
    collectMessages();
    watchFiles();
    return true;
}

bool LiveSession::openDropped(const fs::path &folder, std::string *error) {
    simhost::GameFolder game;
    if (!simhost::openGame(folder, game, error)) return false;
    const std::vector<int32_t> ids = mapIds(game.folder);
    if (ids.empty()) {
        *error = "The game folder \"" + folder.string() + "\" holds no map file (Map0001.lmu, ...)";
        return false;
    }
    OpenRequest request;
    request.game = game.folder;
    request.map = ids.front();
    return open(request, error);
}

bool LiveSession::enter(int32_t mapId, std::string *error) {
    if (!simhost::enterMap(game_, mapId, error)) return false;
    mapId_ = mapId;
    return true;
}

void LiveSession::apply(const Effect &effect) {
    for (const std::string &line : effect.commentLines) send(line, true);
    if (effect.hero) placeHero(*effect.hero);
    if (effect.choose) setting_ = *effect.choose;
    if (effect.mapStep != 0) changeMap(effect.mapStep);
    collectMessages();
}

bool LiveSession::send(const std::string &line, bool remembered) {
    std::string error;
    if (!simhost::sendCommentLine(observed_, line, nullptr, &error)) {
        note(error);
        return false;
    }
    if (remembered) remember(sent_, line);
    return true;
}

void LiveSession::placeHero(const HeroStep &step) {
    FvHostCharacter &hero = simhost::hero();
    hero.mapColumn = step.cell.column;
    hero.mapRow = step.cell.row;
    hero.facing = step.facing;
    hero.animationStep = step.animationStep;
    simhost::scrollToHero();
}

void LiveSession::changeMap(int32_t direction) {
    const std::vector<int32_t> ids = mapIds(game_.folder);
    std::optional<int32_t> next;
    for (int32_t id : ids)
        if ((direction > 0 && id > mapId_ && !next) || (direction < 0 && id < mapId_)) next = id;
    if (!next) {
        note("map " + std::to_string(mapId_) + " is the game's " + (direction > 0 ? "last" : "first"));
        return;
    }
    std::string error;
    if (rebuild(*next, std::nullopt, false, &error))
        note("map " + std::to_string(*next));
    else
        note("map " + std::to_string(*next) + ": " + error);
}

bool LiveSession::check(const fs::path &folder, int32_t mapId, bool sameMap, Checked &checked, std::string *error) {
    if (!simhost::openGame(folder, checked.game, error) || !readMap(folder, mapId, checked.map, error)) return false;
    std::vector<std::string> images = sameMap ? mirror_.imageFiles() : std::vector<std::string>{};
    if (!sameMap && !mirror_.backgroundFile().empty()) images.push_back(mirror_.backgroundFile());
    if (!checked.game.databasePath.empty()) {
        const simhost::GameDatabase *database = simhost::gameDatabase(checked.game, error);
        if (database == nullptr) return false;
        const simhost::GameTileset *tileset = tilesetOf(*database, checked.map);
        if (tileset == nullptr) {
            *error = mapFileName(mapId) + " uses tileset " + std::to_string(checked.map.tilesetId) + ", which " +
                     checked.game.databasePath.filename().string() + " does not hold";
            return false;
        }
        images.insert(images.begin(), tilesetGraphic(*tileset));
    }
    for (const std::string &image : images)
        if (!probeImage(image, error)) return false;
    return true;
}

bool LiveSession::rebuild(int32_t mapId, std::optional<Cell> cell, bool sameMap, std::string *error) {
    collectMessages();
    Checked checked;
    const bool good = check(game_.folder, mapId, sameMap, checked, error);
    seenMessages_ = simhost::messages().size(); // a failed look is told through error
    if (!good) return false;
    if (!sameMap) mirror_.leaveMap(checked.map.width, checked.map.height);
    const std::vector<std::string> lines = mirror_.script();
    const Cell at = clampedInto(cell.value_or(Cell{checked.map.width / 2, checked.map.height / 2}), checked.map.width,
                                checked.map.height);
    simhost::initTitleScreen(observed_);
    game_ = std::move(checked.game);
    if (!enter(mapId, error)) return false;
    const FvHostCharacter &hero = simhost::hero();
    placeHero({at, hero.facing, hero.animationStep});
    for (const std::string &line : lines) send(line, false);
    watchFiles();
    return true;
}

bool LiveSession::reloadIfChanged() {
    const std::vector<fs::path> changes = watch_.changed();
    if (changes.empty()) return false;
    std::string names;
    for (const fs::path &file : changes)
        names += (names.empty() ? "" : ", ") + file.lexically_relative(game_.folder).generic_string();
    const FvHostCharacter &hero = simhost::hero();
    std::string error;
    if (rebuild(mapId_, Cell{hero.mapColumn, hero.mapRow}, true, &error))
        note("reloaded: " + names + " changed");
    else
        note("not reloaded, the last good view stays: " + error);
    collectMessages();
    return true;
}

void LiveSession::watchFiles() {
    std::vector<fs::path> files{simhost::resolveGameFile(game_.folder, mapFileName(mapId_))};
    if (!game_.databasePath.empty()) files.push_back(game_.databasePath);
    simhost::GameMap map;
    std::string ignored;
    const simhost::GameDatabase *database = simhost::gameDatabase(game_, &ignored);
    const simhost::GameTileset *tileset =
        database != nullptr && readMap(game_.folder, mapId_, map, &ignored) ? tilesetOf(*database, map) : nullptr;
    std::vector<std::string> names = mirror_.imageFiles();
    if (tileset != nullptr) names.push_back(tilesetGraphic(*tileset));
    const std::string heroSheet = simhost::hostStringText(simhost::hero().sheetName);
    if (!heroSheet.empty()) names.push_back(sheetFile(heroSheet));
    const FvHostEventList *events = simhost::mapView().events;
    for (int32_t i = 0; events != nullptr && i < events->count; ++i) {
        const std::string sheet = simhost::hostStringText(events->items[i]->sheetName);
        if (!sheet.empty()) names.push_back(sheetFile(sheet));
    }
    for (const std::string &name : names) files.push_back(simhost::resolveGameFile(game_.folder, name));
    watch_.watch(std::move(files));
}

void LiveSession::renderFrame() {
    simhost::scrollToHero();
    simhost::fillScreen(preview::kBackdrop);
    const auto start = std::chrono::steady_clock::now();
    simhost::drawPictures(observed_, {mirror_.values().pictureId});
    const auto took = std::chrono::steady_clock::now() - start;
    pluginMicroseconds_ = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
    collectMessages();
}

std::vector<std::string> LiveSession::script() const {
    const FvHostCharacter &hero = simhost::hero();
    std::vector<std::string> lines{"# The view of farview-live on map " + std::to_string(mapId_) + " of " +
                                       game_.folder.filename().string() + ". The host steps it stands on:",
                                   "#   enter " + std::to_string(mapId_),
                                   "#   hero " + std::to_string(hero.mapColumn) + " " + std::to_string(hero.mapRow) +
                                       " " + std::to_string(hero.facing)};
    const std::string sheet = simhost::hostStringText(hero.sheetName);
    if (!sheet.empty())
        lines.push_back("#   sheet hero \"" + simhost::toUtf8(sheet) + "\" " + std::to_string(hero.sheetIndex));
    lines.push_back("#   pose hero " + std::to_string(hero.animationStep));
    for (const std::string &line : mirror_.script()) lines.push_back(line);
    return lines;
}

fs::path LiveSession::freeName(const char *stem, const char *extension) const {
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

std::optional<fs::path> LiveSession::saveScreenshot() {
    const fs::path file = freeName("shot-", ".png");
    std::string error;
    if (!simhost::writeScreenPng(file.string(), &error)) {
        note(error);
        return std::nullopt;
    }
    note("saved " + file.string());
    return file;
}

bool LiveSession::startTurnRecording() {
    if (recording()) return false;
    const fs::path file = freeName("turn-", ".gif");
    std::string error;
    if (!turn_.open(file.string(), simhost::kScreenWidth, simhost::kScreenHeight, kTurnFrameDelay, &error)) {
        note(error);
        return false;
    }
    turnFramesLeft_ = kTurnFrames;
    turnStartAngle_ = mirror_.values().angle;
    note("recording a turn into " + file.string());
    return true;
}

void LiveSession::recordTurnStep() {
    if (!recording()) return;
    renderFrame();
    std::string error;
    if (!turn_.addFrame(preview::screenPixels(), &error)) {
        note(error);
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
        note(error);
}

LiveState LiveSession::state() const {
    LiveState state;
    state.view = mirror_.values();
    const FvHostCharacter &hero = simhost::hero();
    state.hero = {hero.mapColumn, hero.mapRow};
    state.facing = hero.facing;
    state.animationStep = hero.animationStep;
    simhost::mapSize(&state.mapWidth, &state.mapHeight);
    state.setting = setting_;
    return state;
}

void LiveSession::note(const std::string &text) {
    remember(notes_, text);
    if (noteListener) noteListener(text);
}

void LiveSession::collectMessages() {
    const std::vector<std::string> &texts = simhost::messages();
    const std::vector<std::string> &captions = simhost::messageCaptions();
    if (texts.size() < seenMessages_) seenMessages_ = 0; // the engine was reset meanwhile
    for (; seenMessages_ < texts.size(); ++seenMessages_)
        note("[" + captions[seenMessages_] + "] " + texts[seenMessages_]);
}

std::vector<int32_t> mapIds(const fs::path &folder) {
    std::vector<int32_t> ids;
    std::error_code failure;
    for (fs::directory_iterator entry(folder, failure), end; !failure && entry != end; entry.increment(failure)) {
        std::string name = entry->path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        if (name.size() < 8 || name.size() > 16 || name.compare(0, 3, "map") != 0 ||
            name.compare(name.size() - 4, 4, ".lmu") != 0)
            continue;
        const std::string digits = name.substr(3, name.size() - 7);
        if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            ids.push_back(std::stoi(digits));
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace live
