// farview-preview GAME --all-maps: the default view of every map of a game folder in one run, a
// contact sheet of them all and a report of what went wrong.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"

namespace preview {

struct AllMapsRun {
    std::string gameName;         // the game folder as the person named it
    std::filesystem::path folder; // where the files go
    std::string shownFolder;      // that folder as the person named it
    std::ostream *out = nullptr;  // the report
    std::ostream *err = nullptr;  // the progress bar, when it is a terminal
    bool terminal = false;
    bool gameLines = true; // each map's view as its own lines make it (else its default view)
};

// The files of a run, in its folder.
constexpr const char *kContactSheetFile = "contact-sheet.png";
constexpr const char *kReportFile = "report.txt";

// The still of a map: "map-0001.png", at least four digits, like the map's own file.
std::string stillFileName(int32_t mapId);

// Renders every map of the game in the order of their ids as its view starts (tools/common/
// view_start.h): the hero on the map's centre cell, looking as the game's database has him, the
// map's own tileset, events and background, as the plug-in draws them at its default view; one
// still a map, the contact sheet and the report (printed to out and written to report.txt). The
// report lists the maps rendered, where the hero's look comes from, the maps that failed and why,
// the maps whose floor is mostly the tileset's colour 0 (more than half of the floor rows, drawn
// once more with wrapping on so that all of them show the map, in the screen colour of index 0 of
// the map's tileset graphic), the files the maps name that the folder lacks (tileset graphics,
// character sheets, backgrounds) with the maps that name them, those taken from the standard
// graphics apart from those missing, and the other messages shown. A map
// that fails never stops the run. The module must be loaded and the game folder the current
// directory. Returns the exit status: 1 when any map failed or none could be rendered.
int renderAllMaps(const simhost::GameFolder &game, const simhost::PluginModule &module, const AllMapsRun &run);

} // namespace preview
