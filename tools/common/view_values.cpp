#include "tools/common/view_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "numeric/numeric.h"

namespace tools {

namespace {
std::string yesNo(bool value) { return value ? "yes" : "no"; }
} // namespace

std::vector<std::string> valueLines(const ViewValues &v, bool forcePicture) {
    std::vector<std::string> lines{
        "@rotate_to " + formatNumber(v.angle),
        "@set_horizon " + std::to_string(v.horizon) + ", " + std::to_string(v.horizonOffset),
        "@set_z_value " + formatNumber(v.cameraHeight),
        "@set_texture_scale " + formatNumber(v.scale),
        "@set_rotational_offset " + formatNumber(v.rotationalOffset),
        "@set_wrapping " + yesNo(v.wrapping),
        "@usingBackground " + yesNo(v.usingBackground),
    };
    if (forcePicture || v.pictureId != ViewValues{}.pictureId)
        lines.push_back("@set_mode7_picture_id " + std::to_string(v.pictureId));
    return lines;
}

std::string formatNumber(float value) {
    // A comment line reads a number too large for a double as infinity.
    if (std::isinf(value)) return value > 0 ? "1e999" : "-1e999";
    char text[32];
    // Whole numbers as such: 70, not 7e+01.
    if (std::fabs(value) < 1e9f && value == std::trunc(value)) {
        std::snprintf(text, sizeof text, "%.0f", double{value});
        return text;
    }
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, double{value});
        if (farview::roundToFloat(std::strtod(text, nullptr)) == value) break;
    }
    return text;
}

} // namespace tools
