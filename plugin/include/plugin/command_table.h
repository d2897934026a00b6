// The plug-in's 19 comment commands: each keyword, in the order a line's name is compared with
// them, and how the command reads its parameters. The interpreter dispatches through this table,
// and the tools' check of a game's lines reads it: it holds no state, so any program may include
// it, and no other list of the keywords exists.
#pragma once

#include <cstdint>
#include <cstring>

namespace farview {

enum class CommandId : uint8_t {
    rotateTo,
    rotateRightBy,
    rotateLeftBy,
    changeHeroSprite,
    addSprite,
    setBackground,
    swapTile,
    loadMapToTexture,
    setBoundaryTexture,
    setTextureScale,
    setZValue,
    setHorizon,
    setRotationalOffset,
    setWrapping,
    setMode7PictureId,
    initMode7,
    loadBoundaryTexture,
    isMode7Rendering,
    usingBackground,
};

// How a command reads a parameter slot, whatever the kind the host gave it: integer, the number
// truncated toward zero; real, the number rounded to single precision; number, as it is; text, up
// to its zero byte; yes/no, a text beginning T, t, Y or y, or a number other than 0.
enum class Reading : uint8_t { integer, real, number, text, yesNo };

// Which parameter counts the command acts on.
enum class CountRule : uint8_t {
    any,                 // it reads its slots whatever the line supplied
    exactlyTwo,          // set_boundary_texture: with any other count it does nothing
    offsetsWhenMoreThan7 // add_sprite: slots 8 and 9 are read only when the line has more than 7
};

constexpr int kParameterSlots = 9; // the plug-in reads at most the first nine

struct ParameterForm {
    Reading reading;
    const char *meaning; // what the slot stands for, as a person names it
};

struct CommandForm {
    const char *keyword;
    CommandId id;
    CountRule countRule;
    int parameterCount; // the slots it reads, from 1
    ParameterForm parameters[kParameterSlots];
};

inline constexpr CommandForm kCommandForms[] = {
    {"rotate_to", CommandId::rotateTo, CountRule::any, 1, {{Reading::real, "angle"}}},
    {"rotate_right_by", CommandId::rotateRightBy, CountRule::any, 1, {{Reading::number, "degrees"}}},
    {"rotate_left_by", CommandId::rotateLeftBy, CountRule::any, 1, {{Reading::number, "degrees"}}},
    {"change_hero_sprite",
     CommandId::changeHeroSprite,
     CountRule::any,
     4,
     {{Reading::text, "image"}, {Reading::integer, "width"}, {Reading::integer, "height"},
      {Reading::integer, "directions"}}},
    {"add_sprite",
     CommandId::addSprite,
     CountRule::offsetsWhenMoreThan7,
     9,
     {{Reading::text, "key"},
      {Reading::text, "image"},
      {Reading::integer, "width"},
      {Reading::integer, "height"},
      {Reading::integer, "directions"},
      {Reading::integer, "frames"},
      {Reading::integer, "event number"},
      {Reading::integer, "offset x"},
      {Reading::integer, "offset y"}}},
    {"set_background", CommandId::setBackground, CountRule::any, 1, {{Reading::text, "image"}}},
    {"swap_tile", CommandId::swapTile, CountRule::any, 0, {}},
    {"load_map_to_texture", CommandId::loadMapToTexture, CountRule::any, 0, {}},
    {"set_boundary_texture",
     CommandId::setBoundaryTexture,
     CountRule::exactlyTwo,
     2,
     {{Reading::integer, "column"}, {Reading::integer, "row"}}},
    {"set_texture_scale", CommandId::setTextureScale, CountRule::any, 1, {{Reading::real, "scale"}}},
    {"set_z_value", CommandId::setZValue, CountRule::any, 1, {{Reading::real, "camera height"}}},
    {"set_horizon",
     CommandId::setHorizon,
     CountRule::any,
     2,
     {{Reading::integer, "horizon"}, {Reading::integer, "horizon offset"}}},
    {"set_rotational_offset", CommandId::setRotationalOffset, CountRule::any, 1, {{Reading::real, "offset"}}},
    {"set_wrapping", CommandId::setWrapping, CountRule::any, 1, {{Reading::yesNo, "wrapping"}}},
    {"set_mode7_picture_id", CommandId::setMode7PictureId, CountRule::any, 1, {{Reading::integer, "picture"}}},
    {"init_mode7", CommandId::initMode7, CountRule::any, 1, {{Reading::yesNo, "drawing"}}},
    {"load_boundary_texture", CommandId::loadBoundaryTexture, CountRule::any, 0, {}},
    {"is_mode7_rendering", CommandId::isMode7Rendering, CountRule::any, 1, {{Reading::integer, "variable"}}},
    {"usingBackground", CommandId::usingBackground, CountRule::any, 1, {{Reading::yesNo, "background"}}},
};

constexpr int kCommandCount = static_cast<int>(sizeof kCommandForms / sizeof kCommandForms[0]);
static_assert(kCommandCount == 19, "the plug-in has 19 keywords");

// The command whose keyword is exactly the name (same length, same bytes); nullptr when none is.
inline const CommandForm *findCommandForm(const char *name, size_t length) {
    for (const CommandForm &form : kCommandForms)
        if (std::strlen(form.keyword) == length && std::memcmp(form.keyword, name, length) == 0) return &form;
    return nullptr;
}

} // namespace farview
