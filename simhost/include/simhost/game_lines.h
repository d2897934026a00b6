// The game's own Farview lines, as the stand-in host runs them. An author writes them as comments
// in the events of a map and in common events; the host hands each comment whose first line is a
// comment line (simhost/comment_line.h) to the plug-in's onComment when the list holding it runs:
// on entering a map (its events whose shown page starts by itself), when the hero presses the
// action key before an event or walks onto one, and when a list calls a common event. Every other
// command is passed over, branches included: a line inside a conditional branch runs in list order
// with the rest, whatever the branch's condition.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"

namespace simhost {

// Where a command list stands in the game.
struct ListPlace {
    int32_t mapId = 0;     // the map whose event holds it; 0: a common event of the database
    int32_t eventId = 0;   // the map event's id, or the common event's
    std::string eventName; // in the game's code page
    int32_t page = 0;      // the map event's page, from 1
    int32_t trigger = triggers::kActionKey;
};

// "map 3, event 5 'Camera', page 1" or "common event 7 'View'" (UTF-8); an event without a name
// is given without one.
std::string describePlace(const ListPlace &place);

// A comment whose first line is a comment line: that line is what the plug-in gets; the comment's
// further lines are not part of it.
struct GameLine {
    std::string text; // in the game's code page
    ListPlace place;  // the list it stands in
    int32_t lineNumber = 0; // its command's position in that list, from 1
    int32_t indent = 0;     // above 0: inside a branch or another block of the list
};

// The deepest nesting of common event calls the host follows.
constexpr int32_t kDeepestCalls = 16;
// The most commands one run goes through: calls that fan out at every level (a list calling ten
// common events that each call ten, sixteen deep) would otherwise run for ever.
constexpr int64_t kMostCommandsARun = 1'000'000;

// What the host says of a run, each naming its place (UTF-8).
struct RunNote {
    enum class Kind {
        unreadableList,     // a list it cannot read: none of its lines run
        missingCommonEvent, // a call of a common event the database lacks (or cannot give)
        loop,               // a call of a common event running already: skipped
        tooDeep,            // a call more than kDeepestCalls deep, or past kMostCommandsARun: skipped
        otherCall,          // a call of something other than a common event: passed over
        linesInBlocks,      // lines inside a branch or another block: run whatever its condition
    };
    Kind kind;
    std::string text;
};

// One list run from its start, with the common events it calls, as the host runs it.
struct ListRun {
    ListPlace place;
    std::vector<GameLine> lines; // in the order they run, the called common events' in theirs
    std::vector<RunNote> notes;  // each told once a run
};

// The lines of a list and of the common events it calls. fileName: the file that holds the list,
// for faults. A call that would run a common event already running is a loop: noted once for each
// caller and callee, and skipped.
ListRun expandList(const GameFolder &game, const ListPlace &place, const CommandListBytes &list,
                   const std::string &fileName);

// The lists the host runs when the hero enters the map: those of its events, in the order of
// their ids, whose shown page (the first) starts by itself (auto-start or parallel process). A
// parallel process's list runs once per entry.
std::vector<ListRun> entryRuns(const GameFolder &game, const GameMap &map, int32_t mapId);

// The list of the event's shown page; none when the map has no such event or it has no page.
std::optional<ListRun> eventRun(const GameFolder &game, const GameMap &map, int32_t mapId, int32_t eventId);

// The common event's list; none, with why in *error, when the database cannot be read or lacks it.
std::optional<ListRun> commonEventRun(const GameFolder &game, int32_t commonEventId, std::string *error);

// What the hero's action key runs on the entered map (enteredMap): the first event, in the host's
// list order, on the cell the hero faces whose shown page the action key starts, else the first
// such event on his own cell. None when there is none.
std::optional<ListRun> actionRun(const GameFolder &game);

// What the hero touches on the entered map by walking onto a cell: the events there whose shown
// page a touch starts (touched by the hero, or by an event), in the host's list order.
std::vector<ListRun> touchRuns(const GameFolder &game, int32_t column, int32_t row);

struct LinesSent {
    int32_t sent = 0;  // lines handed to onComment
    int32_t taken = 0; // of them, those the plug-in took as its own (it returned false)
};

// Hands the run's lines to the module's onComment in order, and shows its notes, and each line the
// host cannot parse (with its place), as the host's messages.
LinesSent runLines(const ListRun &run, const PluginModule &module);

} // namespace simhost
