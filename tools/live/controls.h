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
    R,
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
    Plus,   // '+' where the layout has a key of its own for it
    Equals, // '=', which is '+' with Shift on a US layout
    KeypadPlus,
    Minus,
    KeypadMinus,
    PageUp,
    PageDown,
    F11,
    Escape,
    Enter, // the action key, as Space
    Space,
};

// Ctrl takes the fine step of whatever an input changes: no layout needs it to type + or -. Shift
// takes it for turns too, and with S shoots the window.
struct Modifiers {
    bool shift = false;
    bool ctrl = false;
};
constexpr Modifiers kShift{true, false};
constexpr Modifiers kCtrl{false, true};

struct Input {
    enum class Kind { Key, Wheel, Drag };
    Kind kind = Kind::Key;
    Key key = Key::Escape;
    Modifiers held;
    int32_t amount = 0; // Wheel: clicks away from the person; Drag: steps to the right
};
Input keyInput(Key key, Modifiers held = {});
Input wheelInput(int32_t clicks, Modifiers held = {});
Input dragInput(int32_t steps, Modifiers held = {});

// The settings +/- and the wheel change, chosen with the keys 1 to 5 (or Tab for the next).
enum class Setting { Horizon, HorizonOffset, CameraHeight, Scale, RotationalOffset };
constexpr int32_t kSettingCount = 5;
const char *settingName(Setting setting);
// What one press of + or - or one wheel click changes the setting by (fine: with Ctrl held).
int32_t settingStep(Setting setting, bool fine);

// What the program around the view does: the tools of the live window.
enum class Tool { None, PrintScript, Screenshot, WindowScreenshot, RecordTurn, ToggleOverlay, ToggleFullScreen, Quit };

// Degrees of one turn step, and of a fine one (Ctrl or Shift held).
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
    bool relativeWalking = true; // the arrows walk relative to the view, not in map directions
};

struct Effect {
    std::vector<std::string> commentLines; // to the plug-in, in order
    std::optional<HeroStep> hero;          // the hero's new cell, facing and animation step
    int32_t mapStep = 0;                   // -1: the game's previous map; +1: its next
    std::optional<Setting> choose;         // what +/- and the wheel change from now on
    bool switchWalking = false;            // between walking relative to the view and in map directions
    bool action = false;                   // the hero presses the action key: the game's lines before him run
    Tool tool = Tool::None;
};

Effect effectOf(const Input &input, const LiveState &state);

// The map direction nearest to straight ahead at a view angle (degrees, 270 up the map, growing
// clockwise): 0 right (+x), 1 down, 2 left, 3 up. An exact diagonal takes the direction clockwise
// of it: 45 down, 135 left, 225 up, 315 right.
int32_t directionAhead(float angle);

// A key by the name the tests' input files give it: "Up", "Q", "Tab", "1", "+", "=", "Keypad+",
// "PageDown", ...
std::optional<Key> keyByName(const std::string &name);

} // namespace live
