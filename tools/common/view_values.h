// The plug-in's view values as comment lines set them, with the plug-in's defaults, and the lines
// that set them again. The tools follow the plug-in's values from the lines they send it (the
// plug-in keeps its state to itself) and make a map's default view from these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct ViewValues {
    float angle = 270.0f;       // rotate_to
    int32_t horizon = 50;       // set_horizon
    int32_t horizonOffset = 25; // set_horizon, second parameter
    float cameraHeight = 90.0f; // set_z_value
    float scale = 260.0f;       // set_texture_scale
    float rotationalOffset = 100.0f;
    bool wrapping = false;
    bool usingBackground = true;
    bool drawing = false;  // init_mode7
    int32_t pictureId = 1; // set_mode7_picture_id
};

// The lines that set every value but drawing: rotate_to, set_horizon, set_z_value,
// set_texture_scale, set_rotational_offset, set_wrapping, usingBackground, and
// set_mode7_picture_id when the picture is not the default one. forcePicture: that line always.
std::vector<std::string> valueLines(const ViewValues &values, bool forcePicture = false);

// A float as the shortest decimal number that a comment line reads back as the same float.
std::string formatNumber(float value);

} // namespace tools
