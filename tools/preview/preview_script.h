// The preview tool's scripts: host steps and plug-in comment lines, one step a line. Words are
// separated by blanks; a "quoted text" may hold blanks (and "" stands for a quote in it); numbers
// are whole decimal numbers. A word
// starting with '#' begins a remark that runs to the end of the line, except on a comment line,
// which goes to the plug-in whole.
//
// The hero's map
//   enter MAP                       the game folder's map MAP: its size, tileset and events
//   map ID WIDTH HEIGHT             without a game database: the host opens map ID of that size,
//   tileset NAME GRAPHIC              with a tileset named NAME whose graphic is ChipSet/GRAPHIC
// Characters (WHO is `hero` or an event's id)
//   hero COLUMN ROW [FACING]        the hero stands on that cell
//   event ID COLUMN ROW [SHEET [INDEX]]  places event ID there, or moves it when the map has it
//   move WHO COLUMNS ROWS           moves by that many cells (a walk, inside a repeat)
//   face WHO FACING                 facing 0 to 3: the sheet's row at the default view
//   sheet WHO SHEET [INDEX]         shown from CharSet/SHEET.png ("" shows the tile INDEX)
//   pose WHO STEP                   the animation step: 0, 1, 2, 3 show the frames 0, 1, 2, 1
// The view
//   scroll X Y                      fixes the map view's scroll, in sixteenths of a pixel
//   scroll follow                   scrolls to keep the hero centred, clamped to the map (default)
//   pictures P1 [P2 ...]            the pictures the host draws each frame (default: picture 1)
// The game's own lines (run on `enter` as well: see tools/common/game_entry.h)
//   action                          the hero presses the action key: the event on the cell he faces,
//                                   else one on his own cell, runs its shown page's lines when the
//                                   action key starts that page
//   run event ID                    the shown page of the entered map's event ID runs its lines
//   run common ID                   common event ID runs its lines, whatever starts it
//   @NAME P1, P2, ...               a comment line handed to the plug-in's onComment (see
//                                   simhost/comment_line.h); blanks may come before the '@'
// Output
//   frame [FILE [PICTURE ...]]      one host frame: the host fills the screen with its backdrop and
//                                   calls the plug-in after each picture; written to FILE as a PNG.
//                                   "{n}" in FILE is how many times the step has run, from 1,
//                                   zero-padded to the width of its last run; a step inside a
//                                   repeat without it gets "-{n}" before the extension
//   gif FILE [DELAY]                from here on every frame is also added to the animated GIF FILE,
//                                   DELAY milliseconds each (default 100, GIF keeps hundredths)
//   gif end                         writes the GIF (the end of the script writes an unfinished one)
//   A FILE lies inside the output folder: a name with a ".." folder or from a root is a bad line.
// Flow and checks
//   repeat N ... end                the steps between, N times; repeats nest
//   title                           the host returns to its title screen
//   expect variable N VALUE         host variable N must hold VALUE
//   expect returned true|false      what the plug-in returned for the last comment line
//   expect drawn true|false         whether the last frame shows anything but the backdrop
//
// The whole script is read before any step runs: a bad line stops it with "SCRIPT:LINE: what".
// A step that fails while running (a file that cannot be written, an expect that does not hold)
// stops it the same way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "simhost/simhost.h"
#include "tools/common/game_entry.h"

namespace preview {

// The largest numbers a script may ask for, so that a typo cannot run for hours or fill a disk.
constexpr int64_t kMaxStepRuns = 10'000'000; // steps run in all, repeats multiplied out
constexpr int64_t kMaxFrames = 10'000;       // frames rendered in all
constexpr uintmax_t kMaxScriptBytes = 1u << 20; // a script's text

// The screen colour of the host's backdrop, so that pixels nobody drew show as dark grey.
constexpr uint16_t kBackdrop = 0x4208;

using tools::GameLines;

struct ScriptOptions {
    std::filesystem::path outputFolder; // where frames and animations are written
    // Sets up the host for `enter MAP`; false with a message when the map cannot be entered.
    // Without it (no game folder open) `enter` is an error.
    std::function<bool(int32_t mapId, std::string *error)> enterMap;
    // Runs the game's lines of `action`, `run event ID` and `run common ID`; false with a message when
    // they cannot run. Without it (no game folder open) those steps are errors.
    std::function<bool(GameLines which, int32_t id, std::string *error)> runGameLines;
    // After each frame: how many have been rendered and how many the script renders in all.
    std::function<void(int64_t rendered, int64_t total)> progress;
    // Each message the host shows (the plug-in's message boxes among them), as it is shown.
    std::function<void(const std::string &caption, const std::string &text)> message;
};

struct ScriptResult {
    bool ok = true;
    std::string error;                   // "SCRIPT:LINE: what was wrong", when !ok
    std::vector<std::string> frames;     // PNG files written, in order
    std::vector<std::string> animations; // GIF files written, in order
};

// A script file as the steps read it: in the game's code page, as the engine holds names. A file
// of UTF-8 text (what the tools write, and what an editor saves from the clipboard; a byte order
// mark is dropped) is converted into the code page; any other file is taken as the code page's
// bytes already. False with "SCRIPT:LINE: what" when a line holds a character the code page lacks.
// Remarks are the author's and stay as they are, in UTF-8.
bool scriptInCodePage(std::string &text, const std::string &scriptName, std::string *error);
// The other way: a script held in the game's code page as UTF-8 text, its remarks (UTF-8 already)
// as they are.
std::string scriptInUtf8(const std::string &text);

// "NAME: the script is N bytes long; scripts of more than ... bytes are refused".
std::string scriptTooLarge(const std::string &name, uintmax_t bytes);

// Reads the whole script and reports its first bad line; runs nothing.
ScriptResult checkScript(const std::string &scriptText, const std::string &scriptName);

// Checks the script, then runs its steps in order against the stand-in host and the loaded
// plug-in, which reads the game's files relative to the current directory.
ScriptResult runScript(const std::string &scriptText, const std::string &scriptName,
                       const simhost::PluginModule &module, const ScriptOptions &options);
ScriptResult runScript(const std::string &scriptText, const std::string &scriptName,
                       const simhost::PluginModule &module, const std::filesystem::path &outputFolder);

} // namespace preview
