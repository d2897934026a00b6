#include "tools/common/game_entry.h"

#include "simhost/comment_line.h"
#include "tools/common/view_values.h"

namespace tools {

std::string describeRun(const simhost::ListRun &run, const simhost::LinesSent &sent) {
    return simhost::describePlace(run.place) + ": " + std::to_string(sent.sent) + (sent.sent == 1 ? " line" : " lines");
}

std::vector<std::string> EntryReport::summary() const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < runs.size() && i < sent.size(); ++i)
        if (sent[i].sent > 0) lines.push_back(describeRun(runs[i], sent[i]));
    return lines;
}

namespace {
bool sendLines(const std::vector<std::string> &lines, const simhost::PluginModule &module, std::string *error) {
    for (const std::string &line : lines)
        if (!simhost::sendCommentLine(module, line, nullptr, error)) return false;
    return true;
}
} // namespace

bool freshView(const simhost::PluginModule &module, std::string *error) {
    simhost::initTitleScreen(module);
    return sendLines(valueLines(ViewValues{}, true), module, error);
}

bool makeDefaultView(const simhost::GameFolder &game, const simhost::GameMap &map, int32_t mapId,
                     const simhost::PluginModule &module, std::string *error, std::vector<std::string> *lines) {
    ViewStart start;
    if (!startOfView(game, map, mapId, std::nullopt, "", start, error)) return false;
    const std::vector<std::string> view = viewCommentLines(start);
    if (lines != nullptr) *lines = view;
    return freshView(module, error) && sendLines(view, module, error);
}

std::string entryRemarks(const simhost::GameFolder &game, const simhost::GameMap &map, const ViewStart &start) {
    std::string remarks;
    for (const simhost::ListRun &run : simhost::entryRuns(game, map, start.mapId))
        if (!run.lines.empty())
            remarks += "# Entering the map runs the game's own lines of " + simhost::describePlace(run.place) + " (" +
                       std::to_string(run.lines.size()) + (run.lines.size() == 1 ? " line).\n" : " lines).\n");
    if (!remarks.empty()) return remarks;
    const std::string background = backgroundLine(start);
    return "# Map " + std::to_string(start.mapId) + " runs no Farview line on entry: entering it makes its default " +
           "view" + (background.empty() ? "" : ", with " + simhost::toUtf8(background)) + ".\n# " +
           start.backgroundRemark + ".\n";
}

bool enterWithGameLines(const simhost::GameFolder &game, int32_t mapId, const simhost::PluginModule &module,
                        EntryReport &report, std::string *error) {
    report = EntryReport{};
    if (!simhost::enterMap(game, mapId, error)) return false;
    const simhost::GameMap &map = *simhost::enteredMap();
    int32_t taken = 0;
    for (simhost::ListRun &run : simhost::entryRuns(game, map, mapId)) {
        report.sent.push_back(simhost::runLines(run, module));
        taken += report.sent.back().taken;
        report.runs.push_back(std::move(run));
    }
    if (taken > 0) return true;
    report.defaultView = true;
    return makeDefaultView(game, map, mapId, module, error, &report.defaultViewLines);
}

namespace {

std::optional<simhost::ListRun> eventOfEnteredMap(const simhost::GameFolder &game, int32_t eventId, std::string *error) {
    const simhost::GameMap *map = simhost::enteredMap();
    const int32_t mapId = simhost::hero().mapId;
    std::optional<simhost::ListRun> run;
    if (map != nullptr) run = simhost::eventRun(game, *map, mapId, eventId);
    if (!run && error != nullptr)
        *error = map == nullptr ? "no map of the game has been entered (enter MAP)"
                                : "map " + std::to_string(mapId) + " has no event " + std::to_string(eventId) +
                                      " with a page";
    return run;
}

} // namespace

bool runGameLines(const simhost::GameFolder &game, GameLines which, int32_t id, const simhost::PluginModule &module,
                  std::optional<RanLines> &ran, std::string *error) {
    ran.reset();
    std::optional<simhost::ListRun> run;
    switch (which) {
    case GameLines::Action: run = simhost::actionRun(game); break;
    case GameLines::Event:
        run = eventOfEnteredMap(game, id, error);
        if (!run) return false;
        break;
    case GameLines::Common:
        run = simhost::commonEventRun(game, id, error);
        if (!run) return false;
        break;
    }
    if (!run) return true;
    const simhost::LinesSent sent = simhost::runLines(*run, module);
    ran = RanLines{std::move(*run), sent};
    return true;
}

} // namespace tools
