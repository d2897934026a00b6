// The live view: a game's view through the stand-in host and the real plug-in module, walked,
// turned and tuned live as an author's comment lines would change it, with the lines that make it
// to copy out. The window (live_window.cpp, SDL) and the page (web/, the browser) drive it through
// this face alone: they hand it inputs and show the picture, the overlay and the messages it gives.
// Every rule of the live view lives behind it: what each input does (controls.h), a drag's step,
// held keys, recorded turns, the reload of changed game files, which messages are warnings.
//
// There is one per process, as there is one stand-in engine. It keeps the game folder as the
// current directory while it lives: the plug-in reads the game's files from there.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simhost/map_tree.h"
#include "simhost/simhost.h"
#include "tools/live/controls.h"
#include "tools/live/live_picture.h"

namespace live {

struct OpenRequest {
    std::filesystem::path game;
    std::optional<int32_t> map; // entered first; with no script either, the game's first map
    std::optional<Cell> hero;   // the hero's cell; with a map and no hero, the map's centre
    std::string scriptText;     // a preview script run before the view goes live (may be empty)
    std::string scriptName;
    std::string codePage; // the game's code page; empty: the one its file names are found under
    std::string howToChooseCodePage = "--code-page chooses another"; // told with the code page found
    // Entering a map runs the game's own lines (a map without any shows its default view); off, it
    // only enters the map, and the view's values go along from map to map.
    bool gameLines = true;
};

// What the program around the view does after an input or a frame.
enum class Reaction {
    none,
    showScript,       // C: show script(), and copy it
    filesWritten,     // a screenshot or a recorded turn is in the output folder
    shootWindow,      // Shift+S: save the window as it is into windowShotFile()
    toggleFullScreen, // F11
    quit,             // Escape
};

// The frames of a recorded turn, one view step apart.
constexpr int32_t kTurnFrames = 360 / kTurnDegrees;
// Window pixels of a horizontal drag that make one turn step.
constexpr int32_t kDragPixels = 8;

class LiveSession {
public:
    using Clock = std::chrono::steady_clock;

    // outputFolder: where screenshots and recorded turns go. windowShots: whether the program can
    // save a picture of its window (Shift+S); where it cannot, Shift+S saves the screen as S does.
    explicit LiveSession(std::filesystem::path outputFolder, bool windowShots = true);
    ~LiveSession();
    LiveSession(const LiveSession &) = delete;
    LiveSession &operator=(const LiveSession &) = delete;

    bool loadModule(const std::string &path, std::string *error);
    // Opens the game folder in its code page, enters its map, runs the script, and makes sure a view
    // is drawn. False with a message (a script's names its line) when the game cannot be shown; the
    // game open before and its view then stay as they were.
    bool open(const OpenRequest &request, std::string *error);
    // A folder dropped on the view: opened at its first map as the last open asked (code page,
    // game's lines); what happened is told as a message.
    void drop(const std::filesystem::path &folder);
    // Another map of the open game, entered as PageUp and PageDown enter one. False with why, the
    // view as it was.
    bool enterMap(int32_t mapId, std::string *error);
    // The open game again, on its map and cell, with the game's own lines on or off.
    bool setGameLines(bool on, std::string *error);

    // ---- Inputs ----------------------------------------------------------------------------------
    // repeat: the key is held down. Held, a key walks on, turns on and changes on; the tools act once
    // a press. While a turn is being recorded, inputs do nothing but quit.
    Reaction key(Key key, Modifiers held, bool repeat = false);
    Reaction wheel(int32_t clicks, Modifiers held); // clicks away from the person
    void pressPointer();                            // a drag begins
    Reaction movePointer(int32_t pixels, Modifiers held); // rightward window pixels while pressed
    void releasePointer();
    // For a program that learns of changed game files itself (the page, which copies them in): the
    // files the view is made of are looked at again once the changes are quiet. Otherwise the view
    // watches them itself.
    void filesChanged(Clock::time_point now = Clock::now());

    // One frame at time now: a reload when the game's files changed, then the view drawn, or the next
    // step of a recorded turn (filesWritten when the turn is done).
    Reaction frame(Clock::time_point now = Clock::now());

    // ---- Outputs ---------------------------------------------------------------------------------
    // The screen scaled by a whole factor, and the overlay over it when it is on (H).
    void picture(int32_t scale, WindowImage &image) const;
    // The screen alone, for a program that shows the overlay's lines itself (the page).
    void screen(int32_t scale, WindowImage &image) const;
    // The largest whole factor at which the screen fits width x height (at least 1).
    static int32_t wholeScale(int32_t width, int32_t height);
    // The overlay's lines (the hero, the values, the last lines sent and messages, the plug-in's
    // time and the frame rate); none while the overlay is off.
    std::vector<OverlayLine> overlay() const;
    bool overlayShown() const;
    // What C gives: the view on show as a preview script that draws it (UTF-8).
    std::vector<std::string> script() const;
    std::filesystem::path windowShotFile() const;
    // Each message as it comes (set it before open, so that what opening says is heard too).
    std::function<void(const Message &)> onMessage;
    void tell(const std::string &text); // a message of the program's own
    // Why the last open, map or reload failed while the view it would have made is not on show (the
    // last good view stays); empty once one succeeds.
    const std::string &problem() const;

    int32_t mapId() const;
    const std::filesystem::path &gameFolder() const;
    // The files the view on show is made of: a program that copies the game's files in (the page)
    // looks at these often for changes, and at the rest of the folder seldom.
    const std::vector<std::filesystem::path> &viewFiles() const;
    // The open game's maps, by number and the names its map tree gives (simhost/map_tree.h).
    simhost::GameMapList maps() const;
    // What the view stands on now: the hero, the view's values, the chosen setting.
    LiveState state() const;

private:
    struct Core;
    std::unique_ptr<Core> core_;
};

} // namespace live
