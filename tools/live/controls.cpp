#include "tools/live/controls.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

#include "numeric/angle.h"
#include "numeric/numeric.h"

namespace live {

namespace {

enum class Does { Walk, Turn, Choose, NextSetting, Change, Wrapping, Background, Boundary, Map, WalkMode, Action, Use };

struct KeyRow {
    Key key;
    const char *name;
    Does does;
    int32_t first = 0; // Walk: quarter turns clockwise from ahead; Turn, Change, Map: the direction;
                       // Choose: the setting
    Tool tool = Tool::None;
};

const KeyRow kKeys[] = {
    {Key::Up, "Up", Does::Walk, 0},
    {Key::Right, "Right", Does::Walk, 1},
    {Key::Down, "Down", Does::Walk, 2},
    {Key::Left, "Left", Does::Walk, 3},
    {Key::Q, "Q", Does::Turn, -1},
    {Key::E, "E", Does::Turn, +1},
    {Key::Digit1, "1", Does::Choose, 0},
    {Key::Digit2, "2", Does::Choose, 1},
    {Key::Digit3, "3", Does::Choose, 2},
    {Key::Digit4, "4", Does::Choose, 3},
    {Key::Digit5, "5", Does::Choose, 4},
    {Key::Tab, "Tab", Does::NextSetting},
    {Key::Plus, "+", Does::Change, +1},
    {Key::Equals, "=", Does::Change, +1},
    {Key::KeypadPlus, "Keypad+", Does::Change, +1},
    {Key::Minus, "-", Does::Change, -1},
    {Key::KeypadMinus, "Keypad-", Does::Change, -1},
    {Key::W, "W", Does::Wrapping},
    {Key::B, "B", Does::Background},
    {Key::T, "T", Does::Boundary},
    {Key::PageUp, "PageUp", Does::Map, -1},
    {Key::PageDown, "PageDown", Does::Map, +1},
    {Key::R, "R", Does::WalkMode},
    {Key::Enter, "Enter", Does::Action},
    {Key::Space, "Space", Does::Action},
    {Key::C, "C", Does::Use, 0, Tool::PrintScript},
    {Key::S, "S", Does::Use, 0, Tool::Screenshot},
    {Key::G, "G", Does::Use, 0, Tool::RecordTurn},
    {Key::H, "H", Does::Use, 0, Tool::ToggleOverlay},
    {Key::F11, "F11", Does::Use, 0, Tool::ToggleFullScreen},
    {Key::Escape, "Escape", Does::Use, 0, Tool::Quit},
};

struct SettingRow {
    const char *name;
    int32_t step;     // one press of + or -, or one wheel click
    int32_t fineStep; // the same with Ctrl held
};

const SettingRow kSettings[kSettingCount] = {
    {"horizon", 5, 1}, {"horizon offset", 5, 1},     {"camera height", 10, 1},
    {"scale", 10, 1},  {"rotational offset", 10, 1},
};

const char *yesNo(bool value) { return value ? "yes" : "no"; }

// The map directions in directionAhead's order: a cell's step and the facing that looks that way.
struct Direction {
    int32_t columns;
    int32_t rows;
    int32_t facing;
};
constexpr Direction kDirections[4] = {{1, 0, 1}, {0, 1, 2}, {-1, 0, 3}, {0, -1, 0}};
constexpr int32_t kUpTheMap = 3;

// The hero turns to face the map direction he walks, and steps on to the next cell unless the map
// ends. quarters: how far clockwise of ahead he walks (0 ahead, 2 back).
HeroStep walk(const LiveState &state, int32_t quarters) {
    const int32_t ahead = state.relativeWalking ? directionAhead(state.view.angle) : kUpTheMap;
    const Direction &d = kDirections[(ahead + quarters) % 4];
    const Cell to{std::clamp(state.hero.column + d.columns, 0, std::max(0, state.mapWidth - 1)),
                  std::clamp(state.hero.row + d.rows, 0, std::max(0, state.mapHeight - 1))};
    const bool moved = !(to == state.hero);
    return {to, d.facing, moved ? (state.animationStep + 1) % 4 : state.animationStep};
}

std::string turn(int32_t direction, int32_t steps, bool fine) {
    const int64_t degrees = int64_t{steps} * (fine ? kFineTurnDegrees : kTurnDegrees);
    const bool right = (direction > 0) == (degrees > 0);
    return std::string(right ? "@rotate_right_by " : "@rotate_left_by ") +
           std::to_string(degrees < 0 ? -degrees : degrees);
}

int32_t addClamped(int32_t value, int64_t change) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{value} + change, INT32_MIN, INT32_MAX));
}

// The line that moves the chosen setting by steps of its size.
std::string change(const LiveState &state, int32_t steps, bool fine) {
    const int64_t by = int64_t{steps} * settingStep(state.setting, fine);
    const ViewValues &v = state.view;
    switch (state.setting) {
    case Setting::Horizon:
        return "@set_horizon " + std::to_string(addClamped(v.horizon, by)) + ", " + std::to_string(v.horizonOffset);
    case Setting::HorizonOffset:
        return "@set_horizon " + std::to_string(v.horizon) + ", " + std::to_string(addClamped(v.horizonOffset, by));
    case Setting::CameraHeight: return "@set_z_value " + formatNumber(v.cameraHeight + static_cast<float>(by));
    case Setting::Scale: return "@set_texture_scale " + formatNumber(v.scale + static_cast<float>(by));
    case Setting::RotationalOffset:
        return "@set_rotational_offset " + formatNumber(v.rotationalOffset + static_cast<float>(by));
    }
    return {};
}

bool fineTurn(Modifiers held) { return held.ctrl || held.shift; }

Effect keyEffect(const KeyRow &row, const LiveState &state, Modifiers held) {
    Effect effect;
    const ViewValues &v = state.view;
    switch (row.does) {
    case Does::Walk: effect.hero = walk(state, row.first); break;
    case Does::Turn: effect.commentLines.push_back(turn(row.first, 1, fineTurn(held))); break;
    case Does::Choose: effect.choose = static_cast<Setting>(row.first); break;
    case Does::NextSetting:
        effect.choose = static_cast<Setting>((static_cast<int32_t>(state.setting) + 1) % kSettingCount);
        break;
    case Does::Change: effect.commentLines.push_back(change(state, row.first, held.ctrl)); break;
    case Does::Wrapping: effect.commentLines.push_back(std::string("@set_wrapping ") + yesNo(!v.wrapping)); break;
    case Does::Background:
        effect.commentLines.push_back(std::string("@usingBackground ") + yesNo(!v.usingBackground));
        break;
    case Does::Boundary:
        effect.commentLines.push_back("@set_boundary_texture " + std::to_string(state.hero.column) + ", " +
                                      std::to_string(state.hero.row));
        break;
    case Does::Map: effect.mapStep = row.first; break;
    case Does::WalkMode: effect.switchWalking = true; break;
    case Does::Action: effect.action = true; break;
    case Does::Use:
        // Shift+S shoots the window as it is, overlay and all, rather than the host's screen.
        effect.tool = row.tool == Tool::Screenshot && held.shift ? Tool::WindowScreenshot : row.tool;
        break;
    }
    return effect;
}

} // namespace

Input keyInput(Key key, Modifiers held) { return {Input::Kind::Key, key, held, 0}; }
Input wheelInput(int32_t clicks, Modifiers held) { return {Input::Kind::Wheel, Key::Escape, held, clicks}; }
Input dragInput(int32_t steps, Modifiers held) { return {Input::Kind::Drag, Key::Escape, held, steps}; }

const char *settingName(Setting setting) { return kSettings[static_cast<int32_t>(setting)].name; }

int32_t settingStep(Setting setting, bool fine) {
    const SettingRow &row = kSettings[static_cast<int32_t>(setting)];
    return fine ? row.fineStep : row.step;
}

Effect effectOf(const Input &input, const LiveState &state) {
    Effect effect;
    if (input.amount != 0 && input.kind == Input::Kind::Wheel)
        effect.commentLines.push_back(change(state, input.amount, input.held.ctrl));
    if (input.amount != 0 && input.kind == Input::Kind::Drag)
        effect.commentLines.push_back(turn(+1, input.amount, fineTurn(input.held)));
    if (input.kind != Input::Kind::Key) return effect;
    for (const KeyRow &row : kKeys)
        if (row.key == input.key) return keyEffect(row, state, input.held);
    return effect;
}

int32_t directionAhead(float angle) {
    const float a = std::isfinite(angle) ? farview::normaliseAngle(angle) : 270.0f;
    // Halves round up: an exact diagonal goes to the quarter clockwise of it.
    const int32_t quarters = farview::truncateToInt32(std::floor(double{a} / 90.0 + 0.5));
    return quarters % 4;
}

std::optional<Key> keyByName(const std::string &name) {
    for (const KeyRow &row : kKeys)
        if (name == row.name) return row.key;
    return std::nullopt;
}

} // namespace live
