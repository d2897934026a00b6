#include "tools/live/view_mirror.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "numeric/angle.h"
#include "plugin/comment_record.h"
#include "numeric/numeric.h"

namespace live {

namespace {

using Parameters = farview::ParsedComment;

// As the plug-in turns its view: a NaN or infinite angle leaves it as it was.
float turned(float previous, float angle) { return std::isfinite(angle) ? farview::normaliseAngle(angle) : previous; }

std::string trimmed(const std::string &line) {
    const size_t first = line.find_first_not_of(" \t\r\n");
    const size_t last = line.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

} // namespace

void ViewMirror::observe(const std::string &line, const FvParsedComment &comment) {
    const Parameters p(comment);
    const std::string name(p.name());
    ViewValues &v = values_;
    if (name == "rotate_to") v.angle = turned(v.angle, p.real(1));
    if (name == "rotate_right_by") v.angle = turned(v.angle, farview::roundToFloat(double{v.angle} + p.number(1)));
    if (name == "rotate_left_by") v.angle = turned(v.angle, farview::roundToFloat(double{v.angle} - p.number(1)));
    if (name == "set_texture_scale") v.scale = p.real(1);
    if (name == "set_z_value") v.cameraHeight = p.real(1);
    if (name == "set_horizon") {
        v.horizon = p.integer(1);
        v.horizonOffset = p.integer(2);
    }
    if (name == "set_rotational_offset") v.rotationalOffset = p.real(1);
    if (name == "set_wrapping") v.wrapping = p.boolean(1);
    if (name == "usingBackground") v.usingBackground = p.boolean(1);
    if (name == "init_mode7") v.drawing = p.boolean(1);
    if (name == "set_mode7_picture_id") v.pictureId = p.integer(1);
    if (name == "load_map_to_texture") {
        mapLoaded_ = true;
        ++mapLoads_;
    }
    if (name == "set_boundary_texture" && p.parameterCount() == 2) boundary_ = Cell{p.integer(1), p.integer(2)};
    if (name == "set_background") {
        backgroundLine_ = trimmed(line);
        backgroundFile_ = p.text(1);
    }
    if (name == "change_hero_sprite")
        sprites_.erase(
            std::remove_if(sprites_.begin(), sprites_.end(), [](const SpriteLine &s) { return s.heroSprite; }),
            sprites_.end());
    if (name == "add_sprite" || name == "change_hero_sprite")
        sprites_.push_back({trimmed(line), p.text(name == "add_sprite" ? 2 : 1), name == "change_hero_sprite"});
}

void ViewMirror::titleReset() {
    values_.drawing = false;
    mapLoaded_ = false;
    boundary_.reset();
    backgroundLine_.clear();
    backgroundFile_.clear();
    sprites_.clear();
}

void ViewMirror::leaveMap(std::optional<Cell> boundary, std::vector<SpriteLine> sprites) {
    sprites_ = std::move(sprites);
    boundary_ = boundary;
}

std::vector<std::string> ViewMirror::imageFiles() const {
    std::vector<std::string> files;
    if (!backgroundFile_.empty()) files.push_back(backgroundFile_);
    for (const SpriteLine &sprite : sprites_)
        if (std::find(files.begin(), files.end(), sprite.image) == files.end()) files.push_back(sprite.image);
    return files;
}

std::vector<std::string> ViewMirror::linesBeyond(const ViewMirror &base) const {
    std::vector<std::string> lines;
    const std::vector<std::string> all = script(), before = base.script();
    for (const std::string &line : all)
        if (std::find(before.begin(), before.end(), line) == before.end()) lines.push_back(line);
    return lines;
}

std::vector<std::string> ViewMirror::script() const {
    const ViewValues &v = values_;
    std::vector<std::string> lines{"@load_map_to_texture"};
    if (boundary_)
        lines.push_back("@set_boundary_texture " + std::to_string(boundary_->column) + ", " +
                        std::to_string(boundary_->row));
    if (!backgroundLine_.empty()) lines.push_back(backgroundLine_);
    for (const SpriteLine &sprite : sprites_) lines.push_back(sprite.line);
    for (const std::string &line : tools::valueLines(v)) lines.push_back(line);
    lines.push_back(std::string("@init_mode7 ") + (v.drawing ? "true" : "false"));
    return lines;
}

} // namespace live
