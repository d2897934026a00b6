// Renders the panels of a guide script (see guide_script.h) through the stand-in host and the
// loaded plug-in module, the way farview-preview runs a script.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "tools/guide/panel_sheet.h"

namespace guide {

struct PictureRun {
    const simhost::PluginModule *module = nullptr;
    const simhost::GameFolder *game = nullptr; // the current directory while a script runs
    std::filesystem::path frameFolder;         // where the script's own frames are written
};

// Runs the script from a fresh game (the title screen, then the view values a newly loaded module
// has) and returns its labelled frames as panels, in order. False with "NAME:LINE: what" in *error
// when the script fails, the game shows a message (a picture of a broken scene), or it has no
// labelled frame.
bool renderPanels(const std::string &scriptText, const std::string &scriptName, const PictureRun &run,
                  std::vector<Panel> &panels, std::string *error);

} // namespace guide
