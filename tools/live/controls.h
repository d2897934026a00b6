// The live view's controls as a plain table: each key, wheel turn and drag, and what it does to the
// view: the comment lines it sends the plug-in, as an author would write them, and the host steps
// it takes (the hero's cell, another map). Nothing here knows of a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/live/view_mirror.h"

namespace live {

enum class Key {
    Up,
    Down,
    Left,
    Right,
    Q,
    E,
    W,
    B,
    T,
    C,
    S,
    G,
    H,
    Tab,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Plus,
    Minus,
    PageUp,
    PageDown,
    F11,
    Escape,
};

struct Input {
    enum class Kind { Key, Wheel, Drag };
    Kind kind = Kind::Key;
    Key key = Key::Escape;
    bool shift = false;
    int32_t amount = 0; // Wheel: clicks away from the person; Drag: steps to the right
};
Input keyInput(Key key, bool shift = false);
Input wheelInput(int32_t clicks, bool shift = false);
Input dragInput(int32_t steps, bool shift = false);

// The settings +/- and the wheel change, chosen with the keys 1 to 5 (or Tab for the next).
enum class Setting { Horizon, HorizonOffset, CameraHeight, Scale, RotationalOffset };
constexpr int32_t kSettingCount = 5;
const char *settingName(Setting setting);

// What the program around the view does: the tools of the live window.
enum class Tool { None, PrintScript, Screenshot, WindowScreenshot, RecordTurn, ToggleOverlay, ToggleFullScreen, Quit };

// Degrees of one turn step, and of one with Shift held.
constexpr int32_t kTurnDegrees = 5;
constexpr int32_t kFineTurnDegrees = 1;

struct HeroStep {
    Cell cell;
    int32_t facing = 0;
    int32_t animationStep = 0;
};

// What the view stands on when an input comes.
struct LiveState {
    ViewValues view;
    Cell hero;
    int32_t facing = 0;        // 0 up, 1 right, 2 down, 3 left
    int32_t animationStep = 0; // 0 to 3
    int32_t mapWidth = 0;      // cells
    int32_t mapHeight = 0;
    Setting setting = Setting::Horizon;
};

struct Effect {
    std::vector<std::string> commentLines; // to the plug-in, in order
    std::optional<HeroStep> hero;          // the hero's new cell, facing and animation step
    int32_t mapStep = 0;                   // -1: the game's previous map; +1: its next
    std::optional<Setting> choose;         // what +/- and the wheel change from now on
    Tool tool = Tool::None;
};

Effect effectOf(const Input &input, const LiveState &state);

// A key by the name the tests' input files give it: "Up", "Q", "Tab", "1", "+", "PageDown", ...
std::optional<Key> keyByName(const std::string &name);

} // namespace live
