// Running a game's lists as far as they reach the plug-in: their comment lines, and the common
// events they call.
#include "simhost/game_lines.h"

#include <algorithm>
#include <initializer_list>
#include <set>
#include <utility>

#include "engine.h"
#include "simhost/comment_line.h"
#include "simhost/event_commands.h"

namespace simhost {
namespace {

std::string named(const std::string &name) { return name.empty() ? "" : " '" + toUtf8(name) + "'"; }

// How a fault inside the list names it: its file names the map or the database.
std::string listWhere(const ListPlace &place) {
    if (place.mapId == 0) return "common event " + std::to_string(place.eventId);
    return "event " + std::to_string(place.eventId) + ", page " + std::to_string(place.page);
}

// "lines 4, 7 and 9"
std::string lineList(const std::vector<int32_t> &numbers) {
    std::string text = numbers.size() == 1 ? "line " : "lines ";
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) text += i + 1 == numbers.size() ? " and " : ", ";
        text += std::to_string(numbers[i]);
    }
    return text;
}

ListPlace commonEventPlace(const GameCommonEvent &event) {
    return ListPlace{0, event.id, event.name, 0, event.trigger};
}

class Expansion {
public:
    Expansion(const GameFolder &game, ListRun &run) : game_(game), run_(run) {}

    void list(const ListPlace &place, const CommandListBytes &bytes, const std::string &fileName, int32_t depth) {
        std::vector<EventCommand> commands;
        std::string fault;
        if (!readCommandList(bytes, fileName, listWhere(place), commands, &fault))
            return note(RunNote::Kind::unreadableList, fault);
        std::vector<int32_t> inBlocks;
        commandsRun_ += static_cast<int64_t>(commands.size());
        for (size_t i = 0; i < commands.size(); ++i) {
            const EventCommand &command = commands[i];
            const int32_t lineNumber = static_cast<int32_t>(i + 1);
            if (command.code == commandCodes::kComment && isCommentLine(command.text)) {
                run_.lines.push_back({command.text, place, lineNumber, command.indent});
                if (command.indent > 0) inBlocks.push_back(lineNumber);
            } else if (command.code == commandCodes::kCallEvent) {
                call(command, place, lineNumber, depth);
            }
        }
        if (!inBlocks.empty())
            note(RunNote::Kind::linesInBlocks, describePlace(place) + ": " + lineList(inBlocks) +
                 (inBlocks.size() == 1 ? " stands" : " stand") +
                 " inside a branch or another block of the list; the host runs such lines in list order with the "
                 "rest, whatever the branch's condition");
    }

    void calling(int32_t commonEventId) { calling_.push_back(commonEventId); }

private:
    void note(RunNote::Kind kind, const std::string &text) {
        if (noted_.insert(text).second) run_.notes.push_back({kind, text});
    }

    void call(const EventCommand &command, const ListPlace &caller, int32_t lineNumber, int32_t depth) {
        const std::string at = describePlace(caller) + ", line " + std::to_string(lineNumber);
        if (command.parameters.size() < 2 || command.parameters[0] != kCallsCommonEvent)
            return note(RunNote::Kind::otherCall,
                        at + ": a call of something other than a common event, which the host passes over");
        const int32_t id = command.parameters[1];
        std::string error;
        const GameDatabase *db = gameDatabase(game_, &error);
        const std::string call = at + " calls common event " + std::to_string(id);
        if (db == nullptr) return note(RunNote::Kind::missingCommonEvent, call + ": " + error);
        if (!db->commonEventsFault.empty())
            return note(RunNote::Kind::missingCommonEvent, call + ": " + db->commonEventsFault);
        const auto callee = std::find_if(db->commonEvents.begin(), db->commonEvents.end(),
                                         [id](const GameCommonEvent &event) { return event.id == id; });
        const std::string database = game_.databasePath.filename().string();
        if (callee == db->commonEvents.end())
            return note(RunNote::Kind::missingCommonEvent,
                        call + ", which " + database + " does not hold: the call is skipped");
        const std::string whom = "common event " + std::to_string(id) + named(callee->name);
        if (std::find(calling_.begin(), calling_.end(), id) != calling_.end())
            return note(RunNote::Kind::loop,
                        at + " calls " + whom + ", which is running already (a loop): the call is skipped");
        if (depth >= kDeepestCalls)
            return note(RunNote::Kind::tooDeep, at + " calls " + whom + " more than " +
                                                    std::to_string(kDeepestCalls) + " calls deep: the call is skipped");
        if (commandsRun_ > kMostCommandsARun)
            return note(RunNote::Kind::tooDeep, describePlace(run_.place) + " has run more than " +
                                                    std::to_string(kMostCommandsARun) +
                                                    " commands through its calls: the calls after are skipped");
        calling_.push_back(id);
        list(commonEventPlace(*callee), callee->commands, database, depth + 1);
        calling_.pop_back();
    }

    const GameFolder &game_;
    ListRun &run_;
    std::vector<int32_t> calling_; // the common events running, outermost first
    int64_t commandsRun_ = 0;
    std::set<std::string> noted_;  // each note is told once a run
};

bool startsByItself(const GameEventPage &page) {
    return page.trigger == triggers::kAutoStart || page.trigger == triggers::kParallel;
}

ListRun pageRun(const GameFolder &game, const GameEvent &event, int32_t mapId) {
    const GameEventPage &page = event.pages.front();
    ListRun run;
    run.place = ListPlace{mapId, event.id, event.name, 1, page.trigger};
    Expansion(game, run).list(run.place, page.commands, mapFileName(mapId), 0);
    return run;
}

} // namespace

std::string describePlace(const ListPlace &place) {
    if (place.mapId == 0) return "common event " + std::to_string(place.eventId) + named(place.eventName);
    return "map " + std::to_string(place.mapId) + ", event " + std::to_string(place.eventId) + named(place.eventName) +
           ", page " + std::to_string(place.page);
}

ListRun expandList(const GameFolder &game, const ListPlace &place, const CommandListBytes &list,
                   const std::string &fileName) {
    ListRun run;
    run.place = place;
    Expansion expansion(game, run);
    if (place.mapId == 0) expansion.calling(place.eventId);
    expansion.list(place, list, fileName, 0);
    return run;
}

std::vector<ListRun> entryRuns(const GameFolder &game, const GameMap &map, int32_t mapId) {
    std::vector<const GameEvent *> events;
    for (const GameEvent &event : map.events)
        if (!event.pages.empty() && startsByItself(event.pages.front())) events.push_back(&event);
    std::stable_sort(events.begin(), events.end(), [](const GameEvent *a, const GameEvent *b) { return a->id < b->id; });
    std::vector<ListRun> runs;
    for (const GameEvent *event : events) runs.push_back(pageRun(game, *event, mapId));
    return runs;
}

std::optional<ListRun> eventRun(const GameFolder &game, const GameMap &map, int32_t mapId, int32_t eventId) {
    for (const GameEvent &event : map.events)
        if (event.id == eventId && !event.pages.empty()) return pageRun(game, event, mapId);
    return std::nullopt;
}

std::optional<ListRun> commonEventRun(const GameFolder &game, int32_t commonEventId, std::string *error) {
    const GameDatabase *db = gameDatabase(game, error);
    if (db == nullptr) return std::nullopt;
    const auto found = std::find_if(db->commonEvents.begin(), db->commonEvents.end(),
                                    [&](const GameCommonEvent &event) { return event.id == commonEventId; });
    if (found == db->commonEvents.end()) {
        if (error != nullptr)
            *error = !db->commonEventsFault.empty()
                         ? db->commonEventsFault
                         : game.databasePath.filename().string() + " holds no common event " +
                               std::to_string(commonEventId);
        return std::nullopt;
    }
    return expandList(game, commonEventPlace(*found), found->commands, game.databasePath.filename().string());
}

namespace {

// The entered map's events whose shown page has one of the triggers, standing on the cell now, in
// the host's list order (the host may have moved them since the map was entered).
std::vector<const GameEvent *> eventsOnCell(int32_t column, int32_t row, std::initializer_list<int32_t> wanted) {
    std::vector<const GameEvent *> found;
    const GameMap *map = enteredMap();
    const FvHostEventList *events = mapView().events;
    if (map == nullptr || events == nullptr) return found;
    for (int32_t i = 0; i < events->count; ++i) {
        const FvHostCharacter *character = events->items[i];
        if (character == nullptr || character->mapColumn != column || character->mapRow != row) continue;
        for (const GameEvent &event : map->events)
            if (event.id == character->id && !event.pages.empty() &&
                std::find(wanted.begin(), wanted.end(), event.pages.front().trigger) != wanted.end())
                found.push_back(&event);
    }
    return found;
}

// The cell one step from the hero's in the direction he faces: 0 up, 1 right, 2 down, 3 left.
std::pair<int32_t, int32_t> facedCell(const FvHostCharacter &hero) {
    static const int32_t kSteps[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    const int32_t facing = hero.facing >= 0 && hero.facing < 4 ? hero.facing : 2;
    return {hero.mapColumn + kSteps[facing][0], hero.mapRow + kSteps[facing][1]};
}

} // namespace

std::optional<ListRun> actionRun(const GameFolder &game) {
    const FvHostCharacter &hero = simhost::hero();
    const auto [column, row] = facedCell(hero);
    std::vector<const GameEvent *> events = eventsOnCell(column, row, {triggers::kActionKey});
    if (events.empty()) events = eventsOnCell(hero.mapColumn, hero.mapRow, {triggers::kActionKey});
    if (events.empty()) return std::nullopt;
    return pageRun(game, *events.front(), hero.mapId);
}

std::vector<ListRun> touchRuns(const GameFolder &game, int32_t column, int32_t row) {
    std::vector<ListRun> runs;
    for (const GameEvent *event : eventsOnCell(column, row, {triggers::kTouchedByHero, triggers::kTouchedByEvent}))
        runs.push_back(pageRun(game, *event, hero().mapId));
    return runs;
}

LinesSent runLines(const ListRun &run, const PluginModule &module) {
    for (const RunNote &note : run.notes) engine::reportProblem(note.text);
    LinesSent sent;
    for (const GameLine &line : run.lines) {
        bool returned = true;
        std::string error;
        if (!sendCommentLine(module, line.text, &returned, &error)) {
            engine::reportProblem(describePlace(line.place) + ", line " + std::to_string(line.lineNumber) + ": " +
                                  error);
            continue;
        }
        ++sent.sent;
        if (!returned) ++sent.taken;
    }
    return sent;
}

} // namespace simhost
