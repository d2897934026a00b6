// Entering a map as the game does: the stand-in host enters it and runs the lines the game runs
// then (simhost/game_lines.h); a map none of whose lines the plug-in takes gets its default view,
// the view farview-preview --map has always shown. Every tool enters maps so, unless the author
// turns the game's lines off (--no-game-lines): then entering a map only enters it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/game_lines.h"
#include "tools/common/view_start.h"

namespace tools {

// What entering a map ran.
struct EntryReport {
    std::vector<simhost::ListRun> runs;
    std::vector<simhost::LinesSent> sent; // in step with runs
    bool defaultView = false;             // the map's default view was made
    std::vector<std::string> defaultViewLines; // then: the lines that made it, after every value's default
    // A line for each list that sent lines, as describeRun gives it.
    std::vector<std::string> summary() const;
};

// "map 3, event 5 'Camera', page 1: 6 lines" (UTF-8).
std::string describeRun(const simhost::ListRun &run, const simhost::LinesSent &sent);

// The plug-in as a fresh game finds it: the title-screen reset, so that nothing another map's lines
// made stays, then every value at its default. False with why when a line is refused.
bool freshView(const simhost::PluginModule &module, std::string *error);

// Makes the default view of the map the host has entered: freshView, then the map texture, the
// map's own background and drawing on. False with why when a line is refused.
// lines: the comment lines it sent after the values (may be null).
bool makeDefaultView(const simhost::GameFolder &game, const simhost::GameMap &map, int32_t mapId,
                     const simhost::PluginModule &module, std::string *error,
                     std::vector<std::string> *lines = nullptr);

// What entering the map will run, as remarks of a preview script ("# ...\n" lines, UTF-8): the
// lists whose lines run, or, for a map whose lists hold none, its default view and background.
std::string entryRemarks(const simhost::GameFolder &game, const simhost::GameMap &map, const ViewStart &start);

// Enters map mapId (simhost::enterMap) and runs the lists the game runs on entry; when none of
// their lines is the plug-in's, makes the map's default view. False, with why, when the map cannot
// be entered (the host is then unchanged).
bool enterWithGameLines(const simhost::GameFolder &game, int32_t mapId, const simhost::PluginModule &module,
                        EntryReport &report, std::string *error);

// What a step of the author's asks to run of the game's lines on the entered map: what the action
// key starts (simhost::actionRun), an event's shown page, or a common event, whatever starts it.
enum class GameLines { Action, Event, Common };

struct RanLines {
    simhost::ListRun run;
    simhost::LinesSent sent;
};

// Runs those lines (id: the event's or common event's; unused for Action). Nothing, and true, when
// the hero faces no event the action key starts; false with why when the map has no such event or
// the database no such common event.
bool runGameLines(const simhost::GameFolder &game, GameLines which, int32_t id, const simhost::PluginModule &module,
                  std::optional<RanLines> &ran, std::string *error);

} // namespace tools
