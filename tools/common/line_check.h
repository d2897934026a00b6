// The check of a game's own Farview lines, as a compiler checks code: every line of every event
// page and common event read exactly as the plug-in will read it (its command table), each problem
// with its place, what the plug-in will do with the line and how to mend it. farview-preview
// --check prints it for the whole game, --all-maps for each map, and the live view and the page
// tell the problems of the map on show.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "simhost/game_folder.h"

namespace tools {

enum class Severity { error, warning, note };

struct LineProblem {
    Severity severity = Severity::error;
    int32_t mapId = 0;  // the map whose event holds the line, or whose entry runs it; 0: a common event's own
    std::string place;  // "map 3 'Village', event 5 'Camera', page 1, line 4" (UTF-8)
    std::string line;   // the line as written (UTF-8); empty for a problem of a whole list
    std::string what;   // what is wrong, and what the plug-in does with the line
    std::string fix;    // how to mend it; empty when there is nothing to mend
};

// "place: error: what; fix", then the line indented on a line of its own.
std::string describeProblem(const LineProblem &problem);

struct CheckReport {
    std::vector<LineProblem> problems; // in the order of the game: maps by id, then common events
    int32_t lines = 0;                 // Farview lines read (comments whose first line is a comment line)
    int32_t maps = 0;
    int32_t commonEvents = 0;
    int32_t count(Severity severity) const;
    // "Checked 12 Farview lines in 600 maps and 116 common events (code page 1252): 1 error, 0 warnings,
    // 2 notes."
    std::string summary(const std::string &codePage) const;
};

// The map names a place gives, by id (from the map tree); a map without one is named by its id.
using MapNames = std::map<int32_t, std::string>;
MapNames mapNamesOf(const simhost::GameFolder &game);

// Every line of the game: each map's events (every page) and each common event; the lines each
// map runs on entry, in order; the calls between them. A map or a database that cannot be read is
// a problem of its own.
CheckReport checkGame(const simhost::GameFolder &game);

// The lines of one map as read: its events' pages, and the common events its entry runs call.
CheckReport checkMap(const simhost::GameFolder &game, const simhost::GameMap &map, int32_t mapId,
                     const MapNames &names);

} // namespace tools
