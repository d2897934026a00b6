// The preview tool's scripts: host steps and plug-in comment lines, one step a line.
//
//   # a remark
//   map ID WIDTH HEIGHT             the host opens map ID of WIDTH x HEIGHT tiles
//   tileset NAME GRAPHIC            the open map's tileset record: its name and ChipSet graphic
//   hero COLUMN ROW [FACING]        the hero stands on that cell; the view scrolls to keep him centred
//   event ID COLUMN ROW [SHEET [INDEX]]   a map event, shown from CharSet/SHEET.png (a tile if none)
//   scroll X Y                      the map view's scroll, in sixteenths of a pixel
//   @NAME P1, P2, ...               a comment line handed to the plug-in: parameters separated by
//                                   commas, each a "text", a decimal number or other text
//                                   (simhost/comment_line.h); leading blanks allowed
//   frame FILE [PICTURE ...]        one host frame: the host draws its backdrop, calls the plug-in
//                                   after each picture (picture 1 when none is named), and the
//                                   screen is written to FILE as a PNG
//   title                           the host returns to its title screen
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "simhost/simhost.h"

namespace preview {

struct ScriptResult {
    bool ok = true;
    std::string error;                // "script:LINE: what was wrong", when !ok
    std::vector<std::string> frames;  // files written, in order
};

// Runs the script's steps in order against the stand-in host and the loaded plug-in, which reads
// the game's files relative to the current directory. Frames are written into outputFolder.
// Stops at the first bad line.
ScriptResult runScript(const std::string &scriptText, const std::string &scriptName,
                       const simhost::PluginModule &module, const std::filesystem::path &outputFolder);

} // namespace preview
