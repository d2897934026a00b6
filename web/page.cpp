// The page's WebAssembly side: the live view (tools/live/live_session.h) on Emscripten's in-memory
// file system, with the plug-in and the stand-in host linked in, driven by the page's script
// (page.js) through the C functions below. Every rule of the live view is the live view's own; the
// script moves the browser's events in and the pixels, texts and files out.
//
// Texts go out as a pointer into one buffer that the next call replaces; the script copies each at
// once. Before fv_start has succeeded, every other function does nothing and hands out nothing.
#include <emscripten/emscripten.h>

#include <iostream>
#include <optional>
#include <sstream>

#include "simhost/game_folder.h"
#include "tools/demo/demo_game.h"
#include "tools/live/live_session.h"

namespace fs = std::filesystem;

namespace {

// The demo game is written here when the page starts; a game the person opens is copied in below
// the games folder by the script; screenshots and recorded turns go to the output folder until the
// script hands them to the browser.
const fs::path kDemoFolder = "/demo-game";
const fs::path kOutputFolder = "/out";

// What separates the records of a list handed out (a message may hold line breaks).
constexpr char kRecordSeparator = '\x1e';

struct Page {
    // The page has no window of its own to shoot: Shift+S saves the host's screen, as S does.
    live::LiveSession session{kOutputFolder, false};
    std::string startFailure;          // why the first start failed; empty when it did not
    std::vector<live::Message> messages; // not yet taken by the script
    std::string text;                    // the last text handed out
    live::WindowImage picture;
    std::vector<uint8_t> rgba;
};
Page *page = nullptr;

// The page, once it has started.
Page *started() { return page != nullptr && page->startFailure.empty() ? page : nullptr; }

const char *handOut(std::string text) {
    if (page == nullptr) return "";
    page->text = std::move(text);
    return page->text.c_str();
}

const char *handOut(const std::vector<std::string> &records) {
    std::string text;
    for (const std::string &record : records) text += (text.empty() ? "" : std::string(1, kRecordSeparator)) + record;
    return handOut(text);
}

std::vector<std::string> split(const char *records) {
    std::vector<std::string> parts;
    std::istringstream text(records != nullptr ? records : "");
    for (std::string part; std::getline(text, part, kRecordSeparator);)
        if (!part.empty()) parts.push_back(part);
    return parts;
}

// The demo's script up to its first frame: the scene of farview-preview's demo-start.png.
std::string demoStartScene() {
    std::istringstream lines(preview::kDemoScript);
    std::string scene;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first == "frame") break;
        scene += line + "\n";
    }
    return scene;
}

const char *reactionName(live::Reaction reaction) {
    switch (reaction) {
    case live::Reaction::showScript: return "script";
    case live::Reaction::filesWritten: return "files";
    case live::Reaction::toggleFullScreen: return "fullscreen";
    case live::Reaction::none:
    case live::Reaction::shootWindow:
    case live::Reaction::quit: break;
    }
    return "";
}

live::Modifiers held(int32_t shift, int32_t ctrl) { return {shift != 0, ctrl != 0}; }

bool startPage(std::string *error) {
    page->session.onMessage = [](const live::Message &message) {
        std::cerr << "farview: " << message.text << "\n";
        page->messages.push_back(message);
    };
    std::error_code ignored;
    fs::create_directories(kOutputFolder, ignored);
    simhost::setHowToNameStandardGraphics("the button \"Standard graphics folder\"");
    live::OpenRequest request;
    request.game = kDemoFolder;
    request.scriptText = demoStartScene();
    request.scriptName = "demo scene";
    return preview::writeDemoGame(kDemoFolder, error) && page->session.loadModule("farview", error) &&
           page->session.open(request, error);
}

} // namespace

extern "C" {

// Writes the demo game and opens its start scene; an empty text, or why it could not (then every
// later start says the same).
EMSCRIPTEN_KEEPALIVE const char *fv_start() {
    if (page != nullptr) return handOut(page->startFailure);
    page = new Page;
    std::string error;
    if (!startPage(&error)) page->startFailure = error.empty() ? "the page could not start" : error;
    return handOut(page->startFailure);
}

// Opens the game folder the script copied in, at its first map, in the code page asked for in the
// page's address, else the one its file names are found under, with the game's own lines on (1) or
// off (0); an empty text, or why not (the open game and its view stay then).
EMSCRIPTEN_KEEPALIVE const char *fv_open(const char *folder, const char *codePage, int32_t gameLines) {
    if (started() == nullptr) return "";
    live::OpenRequest request;
    request.game = folder;
    request.codePage = codePage;
    request.gameLines = gameLines != 0;
    request.howToChooseCodePage = "?code-page=NUMBER after the page's address chooses another";
    std::string error;
    if (!page->session.open(request, &error)) return handOut(error);
    page->session.tell("opened " + page->session.gameFolder().filename().string());
    return "";
}

// The folder of the engine's standard graphics the script copied in (an empty text: none), where
// the images a game folder lacks are looked for from now on.
EMSCRIPTEN_KEEPALIVE void fv_standard_graphics(const char *folder) {
    if (started() != nullptr) simhost::setStandardGraphicsFolder(folder);
}

// The open game again on its map, with the game's own lines on (1) or off (0); an empty text, or
// why not (the view stays then).
EMSCRIPTEN_KEEPALIVE const char *fv_game_lines(int32_t on) {
    std::string error;
    if (started() == nullptr || page->session.setGameLines(on != 0, &error)) return "";
    return handOut(error);
}

// The open game's maps: its title, then one record a map, its number, a tab and its name (UTF-8).
EMSCRIPTEN_KEEPALIVE const char *fv_maps() {
    if (started() == nullptr) return "";
    const simhost::GameMapList list = page->session.maps();
    std::vector<std::string> records{simhost::toUtf8(list.title)};
    for (const simhost::MapTreeEntry &map : list.maps)
        records.push_back(std::to_string(map.id) + "\t" + simhost::toUtf8(map.name));
    return handOut(records);
}

// Enters another map of the open game; an empty text, or why not (the view stays then).
EMSCRIPTEN_KEEPALIVE const char *fv_enter(int32_t mapId) {
    std::string error;
    if (started() == nullptr || page->session.enterMap(mapId, &error)) return "";
    return handOut(error);
}

// A key by its name in the controls' table (controls.h's keyByName), held down or pressed anew.
// What the page must do besides: "script", "files" (new files in the output folder),
// "fullscreen", or nothing; "unknown" for a key the view has no use for (the browser's own).
EMSCRIPTEN_KEEPALIVE const char *fv_key(const char *name, int32_t shift, int32_t ctrl, int32_t repeat) {
    const std::optional<live::Key> key = live::keyByName(name);
    if (!key) return "unknown";
    if (started() == nullptr) return "";
    return reactionName(page->session.key(*key, held(shift, ctrl), repeat != 0));
}

// The wheel turned clicks away from the person.
EMSCRIPTEN_KEEPALIVE const char *fv_wheel(int32_t clicks, int32_t shift, int32_t ctrl) {
    if (started() == nullptr) return "";
    return reactionName(page->session.wheel(clicks, held(shift, ctrl)));
}

// The pointer pressed (1), moved (0, pixels to the right) or released (-1) over the picture.
EMSCRIPTEN_KEEPALIVE const char *fv_pointer(int32_t phase, int32_t pixels, int32_t shift, int32_t ctrl) {
    if (started() == nullptr) return "";
    if (phase > 0) page->session.pressPointer();
    if (phase < 0) page->session.releasePointer();
    if (phase != 0) return "";
    return reactionName(page->session.movePointer(pixels, held(shift, ctrl)));
}

// The files of the game folder the script has not copied in yet, one record each: each is an empty
// stand-in until it comes in (simhost's files on their way). A large game's first view needs only
// a few of its files.
EMSCRIPTEN_KEEPALIVE void fv_on_their_way(const char *records) {
    if (started() == nullptr) return;
    std::vector<fs::path> files;
    for (const std::string &record : split(records)) files.emplace_back(record);
    simhost::setFilesOnTheirWay(files);
}

// Files the script copied in, one record each.
EMSCRIPTEN_KEEPALIVE void fv_arrived(const char *records) {
    if (started() == nullptr) return;
    for (const std::string &record : split(records)) simhost::fileArrived(record);
}

// The files on their way that the view asked for since the last call, one record each: the script
// copies them in, then says so (fv_changed), or makes its open or map choice again.
EMSCRIPTEN_KEEPALIVE const char *fv_asked() {
    if (started() == nullptr) return "";
    std::vector<std::string> records;
    for (const fs::path &file : simhost::takeAskedFiles()) records.push_back(file.generic_string());
    return handOut(records);
}

// The files the view on show is made of, one record each: the script looks at these often for
// changes, and at the rest of the folder seldom.
EMSCRIPTEN_KEEPALIVE const char *fv_view_files() {
    if (started() == nullptr) return "";
    std::vector<std::string> records;
    for (const fs::path &file : page->session.viewFiles()) records.push_back(fs::absolute(file).generic_string());
    return handOut(records);
}

// The script copied changed game files in: the view looks at its files again once they are quiet.
EMSCRIPTEN_KEEPALIVE void fv_changed() {
    if (started() != nullptr) page->session.filesChanged();
}

// One frame; "files" when a recorded turn ended with it.
EMSCRIPTEN_KEEPALIVE const char *fv_frame() {
    if (started() == nullptr) return "";
    return reactionName(page->session.frame());
}

// The screen as RGBA bytes, row by row, 320 x 240 (the overlay is the page's own text).
EMSCRIPTEN_KEEPALIVE const uint8_t *fv_pixels() {
    if (started() == nullptr) return nullptr;
    page->session.screen(1, page->picture);
    page->rgba.resize(page->picture.pixels.size() * 4);
    uint8_t *out = page->rgba.data();
    for (uint32_t rgb : page->picture.pixels) {
        *out++ = static_cast<uint8_t>(rgb >> 16);
        *out++ = static_cast<uint8_t>(rgb >> 8);
        *out++ = static_cast<uint8_t>(rgb);
        *out++ = 255;
    }
    return page->rgba.data();
}

// The overlay's lines, as the live window draws them: one record a line, a warning's starting with
// '!', the others with a blank; nothing while the overlay is off (H).
EMSCRIPTEN_KEEPALIVE const char *fv_overlay() {
    if (started() == nullptr) return "";
    std::vector<std::string> records;
    for (const live::OverlayLine &line : page->session.overlay()) records.push_back((line.warning ? "!" : " ") + line.text);
    return handOut(records);
}

// What C gives.
EMSCRIPTEN_KEEPALIVE const char *fv_script() {
    if (started() == nullptr) return "";
    std::string text;
    for (const std::string &line : page->session.script()) text += line + "\n";
    return handOut(text);
}

// The messages since the last call, one record each, a warning's starting with '!'.
EMSCRIPTEN_KEEPALIVE const char *fv_messages() {
    if (started() == nullptr) return "";
    std::vector<std::string> records;
    for (const live::Message &message : page->messages)
        records.push_back((message.warning ? "!" : " ") + message.text);
    page->messages.clear();
    return handOut(records);
}

// A message of the page's own.
EMSCRIPTEN_KEEPALIVE void fv_tell(const char *text) {
    if (started() != nullptr) page->session.tell(text);
}

// Why the last open, map or reload failed while the last good view stays; empty once one succeeds.
EMSCRIPTEN_KEEPALIVE const char *fv_problem() {
    if (started() == nullptr) return "";
    return handOut(page->session.problem());
}

// The largest whole factor at which the screen fits width x height pixels.
EMSCRIPTEN_KEEPALIVE int32_t fv_scale(int32_t width, int32_t height) { return live::LiveSession::wholeScale(width, height); }

// The map the hero is on.
EMSCRIPTEN_KEEPALIVE int32_t fv_map_id() { return started() != nullptr ? page->session.mapId() : 0; }

} // extern "C"
