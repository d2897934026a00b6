// The page's WebAssembly side: the live view's session on Emscripten's in-memory file system, with
// the plug-in and the stand-in host linked in, driven by the page's script (page.js) through the
// C functions below. What the page shares with the live window (the controls' table, C's script,
// the overlay's lines, the screenshots and recorded turns) is the live window's own code.
//
// Texts go out as a pointer into one buffer that the next call replaces; the script copies each at
// once.
#include <emscripten/emscripten.h>

#include <array>
#include <iostream>
#include <sstream>

#include "simhost/map_tree.h"
#include "tools/demo/demo_game.h"
#include "tools/live/live_picture.h"
#include "tools/live/live_session.h"
#include "tools/preview/preview_animation.h"

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
    live::LiveSession session{kOutputFolder};
    std::vector<std::string> messages; // not yet taken by the script
    std::string text;                  // the last text handed out
    std::vector<uint8_t> rgba = std::vector<uint8_t>(size_t{simhost::kScreenWidth} * simhost::kScreenHeight * 4);
    std::array<uint32_t, 65536> colours{}; // each screen colour as the screen's PNG images have it
};
Page *page = nullptr;

const char *handOut(std::string text) {
    page->text = std::move(text);
    return page->text.c_str();
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

const char *toolName(live::Tool tool) {
    switch (tool) {
    case live::Tool::PrintScript: return "script";
    case live::Tool::Screenshot:
    case live::Tool::WindowScreenshot:
    case live::Tool::RecordTurn: return "files";
    case live::Tool::ToggleOverlay: return "overlay";
    case live::Tool::ToggleFullScreen: return "fullscreen";
    case live::Tool::None:
    case live::Tool::Quit: break;
    }
    return "";
}

// The page has no window of its own to shoot: Shift+S saves the host's screen, as S does.
void use(live::Tool tool) {
    if (tool == live::Tool::Screenshot || tool == live::Tool::WindowScreenshot) page->session.saveScreenshot();
    if (tool == live::Tool::RecordTurn) page->session.startTurnRecording();
}

} // namespace

extern "C" {

// Writes the demo game and opens its start scene; an empty text, or why it could not.
EMSCRIPTEN_KEEPALIVE const char *fv_start() {
    if (page != nullptr) return "";
    page = new Page;
    for (uint32_t colour = 0; colour < page->colours.size(); ++colour)
        page->colours[colour] = preview::rgbOf(static_cast<uint16_t>(colour));
    page->session.noteListener = [](const std::string &text) {
        std::cerr << "farview: " << text << "\n";
        page->messages.push_back(text);
    };
    std::error_code ignored;
    fs::create_directories(kOutputFolder, ignored);
    simhost::setHowToNameStandardGraphics("the button \"Standard graphics folder\"");
    std::string error;
    live::OpenRequest request;
    request.game = kDemoFolder;
    request.scriptText = demoStartScene();
    request.scriptName = "demo scene";
    if (!preview::writeDemoGame(kDemoFolder, &error) || !page->session.loadModule("farview", &error) ||
        !page->session.open(request, &error))
        return handOut(error);
    return "";
}

// Opens the game folder the script copied in, at its first map, in the code page asked for in the
// page's address, else the one its file names are found under; an empty text, or why not (the
// open game and its view stay then).
EMSCRIPTEN_KEEPALIVE const char *fv_open(const char *folder, const char *codePage, int32_t gameLines) {
    live::OpenRequest request;
    request.game = folder;
    request.codePage = codePage;
    request.gameLines = gameLines != 0;
    request.howToChooseCodePage = "?code-page=NUMBER after the page's address chooses another";
    std::string error;
    if (!page->session.open(request, &error)) return handOut(error);
    page->session.note("opened " + page->session.gameFolder().filename().string());
    return "";
}

// The folder of the engine's standard graphics the script copied in (an empty text: none), where
// the images a game folder lacks are looked for from now on.
EMSCRIPTEN_KEEPALIVE void fv_standard_graphics(const char *folder) { simhost::setStandardGraphicsFolder(folder); }

// The open game again on its map, with the game's own lines on (1) or off (0); an empty text, or
// why not (the view stays then).
EMSCRIPTEN_KEEPALIVE const char *fv_game_lines(int32_t on) {
    std::string error;
    if (!page->session.setGameLines(on != 0, &error)) return handOut(error);
    return "";
}

// The open game's maps: its title, then one record a map, its number, a tab and its name (UTF-8).
EMSCRIPTEN_KEEPALIVE const char *fv_maps() {
    simhost::GameFolder game;
    std::string problem;
    if (!simhost::openGame(page->session.gameFolder(), game, &problem)) return handOut("");
    const simhost::GameMapList list = simhost::listGameMaps(game, &problem);
    if (!problem.empty()) page->session.note(problem);
    std::string text = simhost::toUtf8(list.title);
    for (const simhost::MapTreeEntry &map : list.maps)
        text += kRecordSeparator + std::to_string(map.id) + "\t" + simhost::toUtf8(map.name);
    return handOut(text);
}

// Enters another map of the open game, its hero on the map's centre, the view's values kept; the
// view stays as it was when the map cannot be entered.
EMSCRIPTEN_KEEPALIVE const char *fv_enter(int32_t mapId) {
    std::string error;
    if (!page->session.enterMap(mapId, &error)) return handOut(error);
    page->session.note("map " + std::to_string(mapId));
    return "";
}

// One input through the live view's controls: kind 0 a key by its name in the controls' table
// (amount unused), 1 the wheel (clicks away from the person), 2 a drag (steps to the right), with
// Shift or Ctrl held or not. What
// the page must do besides: "script", "overlay", "fullscreen", "files" (new files in the output
// folder), or nothing.
EMSCRIPTEN_KEEPALIVE const char *fv_input(int32_t kind, const char *keyName, int32_t shift, int32_t ctrl,
                                          int32_t amount, int32_t repeat) {
    const live::Modifiers held{shift != 0, ctrl != 0};
    live::Input input;
    if (kind == 0) {
        const std::optional<live::Key> key = live::keyByName(keyName);
        if (!key) return "";
        input = live::keyInput(*key, held);
    } else {
        input = kind == 1 ? live::wheelInput(amount, held) : live::dragInput(amount, held);
    }
    const live::Effect effect = live::effectOf(input, page->session.state());
    // Holding a key walks on, turns on and changes on; the tools act once a press. While a turn is
    // being recorded, nothing else happens.
    if ((repeat != 0 && effect.tool != live::Tool::None) || page->session.recording()) return "";
    page->session.apply(effect);
    use(effect.tool);
    return toolName(effect.tool);
}

// One frame (or the next step of a recorded turn). 1 when a recorded turn ended with it.
EMSCRIPTEN_KEEPALIVE int32_t fv_frame() {
    const bool recording = page->session.recording();
    recording ? page->session.recordTurnStep() : page->session.renderFrame();
    return recording && !page->session.recording() ? 1 : 0;
}

// The screen as RGBA bytes, row by row, 320 x 240.
EMSCRIPTEN_KEEPALIVE const uint8_t *fv_pixels() {
    uint8_t *out = page->rgba.data();
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y) {
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x, out += 4) {
            const uint32_t rgb = page->colours[simhost::screenPixel(x, y)];
            out[0] = static_cast<uint8_t>(rgb >> 16);
            out[1] = static_cast<uint8_t>(rgb >> 8);
            out[2] = static_cast<uint8_t>(rgb);
            out[3] = 255;
        }
    }
    return page->rgba.data();
}

// The overlay's lines, as the live window draws them: one record a line, a warning's starting
// with '!'.
EMSCRIPTEN_KEEPALIVE const char *fv_overlay(int32_t framesPerSecond) {
    live::OverlayFacts facts;
    facts.state = page->session.state();
    facts.mapId = page->session.mapId();
    facts.sent = page->session.sent();
    facts.notes = page->session.notes();
    facts.pluginMicroseconds = page->session.pluginMicroseconds();
    facts.framesPerSecond = framesPerSecond;
    facts.recording = page->session.recording();
    std::string text;
    for (const live::OverlayLine &line : live::overlayLines(facts))
        text += (text.empty() ? "" : std::string(1, kRecordSeparator)) + (line.warning ? "!" : " ") + line.text;
    return handOut(text);
}

// What C prints in the live window.
EMSCRIPTEN_KEEPALIVE const char *fv_script() {
    std::string text;
    for (const std::string &line : page->session.script()) text += line + "\n";
    return handOut(text);
}

// The messages since the last call, one record each.
EMSCRIPTEN_KEEPALIVE const char *fv_messages() {
    std::string text;
    for (const std::string &message : page->messages)
        text += (text.empty() ? "" : std::string(1, kRecordSeparator)) + message;
    page->messages.clear();
    return handOut(text);
}

// Looks at the files the view is made of (the script copies changed ones in), as the live window
// does every frame; 1 when one had changed.
EMSCRIPTEN_KEEPALIVE int32_t fv_reload() { return page->session.reloadIfChanged() ? 1 : 0; }

// The map the hero is on.
EMSCRIPTEN_KEEPALIVE int32_t fv_map_id() { return page->session.mapId(); }

} // extern "C"
