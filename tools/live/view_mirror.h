// The plug-in's view as the comment lines it was sent have left it, followed line by line, so that
// the live view can say which lines make the view it shows. The plug-in keeps its state to itself:
// this reads every line the way the plug-in reads it (integers truncated, floats rounded, yes/no
// from the first letter, angles brought into 0 to 360).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/farview_host.h"
#include "tools/common/view_values.h"

namespace live {

struct Cell {
    int32_t column = 0;
    int32_t row = 0;
    bool operator==(const Cell &other) const { return column == other.column && row == other.row; }
};

using tools::formatNumber;
using tools::ViewValues;

class ViewMirror {
public:
    // An add_sprite line, or the last change_hero_sprite, as written, and the image it names.
    struct SpriteLine {
        std::string line;
        std::string image;
        bool heroSprite = false;
    };

    // One comment line as the plug-in received it (line: its text as written).
    void observe(const std::string &line, const FvParsedComment &comment);
    // The plug-in's title-screen reset: drawing off, the map, sprites and images gone; the values stay.
    void titleReset();
    // Before the view goes to another map: the sprites go (they name the old map's events) and the
    // new map's come (those it had when it was left), and the boundary texture comes from that cell
    // of the new map (none: no boundary texture).
    void leaveMap(std::optional<Cell> boundary, std::vector<SpriteLine> sprites);

    const ViewValues &values() const { return values_; }
    const std::optional<Cell> &boundary() const { return boundary_; }
    bool mapLoaded() const { return mapLoaded_; }
    int32_t mapLoads() const { return mapLoads_; } // the load_map_to_texture lines observed so far
    // The image files the plug-in was told to load: the background, the sprites' pictures.
    std::vector<std::string> imageFiles() const;
    const std::string &backgroundFile() const { return backgroundFile_; }
    const std::vector<SpriteLine> &sprites() const { return sprites_; }

    // The comment lines that make this view on the map the hero has entered, in the order a script
    // runs them: the map texture, the boundary texture, the background, the sprites, every value,
    // then drawing on (or off).
    std::vector<std::string> script() const;
    // The lines that turn the view base shows into this one, in the order script() gives them:
    // what this view has that base has not (the map texture, the boundary texture, the background,
    // sprites) and every value that differs. base: the view the game's own lines made; the result
    // is what the author's tuning changed.
    std::vector<std::string> linesBeyond(const ViewMirror &base) const;

private:
    ViewValues values_;
    bool mapLoaded_ = false;
    int32_t mapLoads_ = 0;
    std::optional<Cell> boundary_;
    std::string backgroundLine_; // the last set_background as written, and its file
    std::string backgroundFile_;
    std::vector<SpriteLine> sprites_; // add_sprite and the last change_hero_sprite, in order
};

} // namespace live
