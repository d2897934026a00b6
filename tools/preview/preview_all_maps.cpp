// Every map of a game in one run. Each map is entered, drawn at the default view and written as a
// still; then the plug-in returns to the title screen, which frees what the map held, before the
// next one is entered.
#include "tools/preview/preview_all_maps.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "tools/preview/contact_sheet.h"
#include "tools/preview/preview_animation.h"
#include "tools/preview/preview_script.h"

namespace fs = std::filesystem;

namespace preview {

namespace {

struct MapOutcome {
    int32_t mapId = 0;
    std::string failure;               // why the map could not be rendered; empty when it was
    std::vector<std::string> missing;  // files it names that the folder lacks, in UTF-8
    std::vector<std::string> messages; // "[caption] text" shown while it rendered, but for missing files
    std::vector<uint16_t> screen;      // its still, when it rendered
};

// What the report says of a name: the maps it concerns, in ascending order.
using MapsByText = std::map<std::string, std::vector<int32_t>>;

std::string viewScript(int32_t mapId) {
    int32_t width = 0, height = 0;
    simhost::mapSize(&width, &height);
    return "hero " + std::to_string(width / 2) + " " + std::to_string(height / 2) +
           "\n@load_map_to_texture\n@init_mode7 true\nframe " + stillFileName(mapId) + "\n";
}

std::vector<std::string> missingFiles(const simhost::GameFolder &game, int32_t mapId) {
    std::vector<std::string> missing;
    for (const std::string &name : simhost::filesShownByMap(game, mapId)) {
        std::error_code failure;
        if (!fs::exists(simhost::resolveGameFile(game.folder, name), failure)) missing.push_back(simhost::toUtf8(name));
    }
    return missing;
}

// The host reports each missing file as it fails to load it; the report lists those files apart.
bool reportsAMissingFile(const std::string &text, const std::vector<std::string> &missing) {
    for (const std::string &name : missing)
        if (text.rfind("Cannot load image \"" + name + "\"", 0) == 0) return true;
    return false;
}

MapOutcome renderMap(const simhost::GameFolder &game, const simhost::PluginModule &module, const fs::path &folder,
                     int32_t mapId) {
    MapOutcome outcome;
    outcome.mapId = mapId;
    simhost::clearMessages();
    if (!simhost::enterMap(game, mapId, &outcome.failure)) return outcome;
    outcome.missing = missingFiles(game, mapId);
    ScriptOptions options;
    options.outputFolder = folder;
    options.message = [&outcome](const std::string &caption, const std::string &text) {
        if (caption != "simhost" || !reportsAMissingFile(text, outcome.missing))
            outcome.messages.push_back("[" + caption + "] " + text);
    };
    const ScriptResult result =
        runScript(viewScript(mapId), "the view of map " + std::to_string(mapId), module, options);
    if (result.ok)
        outcome.screen = screenPixels();
    else
        outcome.failure = result.error;
    simhost::initTitleScreen(module);
    return outcome;
}

// A bar that fills as maps are rendered, on one line that each map overwrites.
void showProgress(std::ostream &err, size_t done, size_t total) {
    constexpr size_t kBarWidth = 30;
    const size_t filled = total == 0 ? kBarWidth : done * kBarWidth / total;
    err << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] " << done << "/" << total
        << " maps\033[K" << std::flush;
}

// "map 3" or "maps 1-4, 7, 9-10".
std::string mapList(const std::vector<int32_t> &ids) {
    std::string text = ids.size() == 1 ? "map " : "maps ";
    for (size_t i = 0; i < ids.size();) {
        size_t last = i;
        while (last + 1 < ids.size() && ids[last + 1] == ids[last] + 1) ++last;
        if (i > 0) text += ", ";
        text += std::to_string(ids[i]);
        if (last > i) text += "-" + std::to_string(ids[last]);
        i = last + 1;
    }
    return text;
}

void listByText(std::ostream &report, const char *heading, const MapsByText &entries) {
    if (entries.empty()) return;
    report << "\n" << heading << " (" << entries.size() << "):\n";
    for (const auto &entry : entries) report << "  " << entry.first << ": " << mapList(entry.second) << "\n";
}

std::string writeReport(const std::vector<MapOutcome> &outcomes, const AllMapsRun &run) {
    size_t rendered = 0;
    MapsByText missing, messages;
    std::ostringstream failures;
    for (const MapOutcome &outcome : outcomes) {
        if (outcome.failure.empty())
            ++rendered;
        else
            failures << "  map " << outcome.mapId << ": " << outcome.failure << "\n";
        for (const std::string &name : outcome.missing) missing[name].push_back(outcome.mapId);
        for (const std::string &text : outcome.messages) messages[text].push_back(outcome.mapId);
    }
    const std::string folder = (fs::path(run.shownFolder) / "").string();
    std::ostringstream report;
    report << "Rendered " << rendered << " of " << outcomes.size() << " maps of " << run.gameName << " into " << folder;
    if (!outcomes.empty())
        report << ": " << stillFileName(outcomes.front().mapId)
               << (outcomes.size() > 1 ? " ... " + stillFileName(outcomes.back().mapId) : "");
    report << ", and the contact sheet " << kContactSheetFile << ".\n";
    if (rendered < outcomes.size()) report << "\nFailed (" << outcomes.size() - rendered << "):\n" << failures.str();
    listByText(report, "Missing files, named by the maps but not in the game folder", missing);
    listByText(report, "Messages", messages);
    return report.str();
}

bool writeText(const fs::path &file, const std::string &text) {
    std::ofstream stream(file, std::ios::binary);
    stream << text;
    stream.close();
    return static_cast<bool>(stream);
}

} // namespace

std::string stillFileName(int32_t mapId) {
    char name[32];
    std::snprintf(name, sizeof name, "map-%04d.png", static_cast<int>(mapId));
    return name;
}

int renderAllMaps(const simhost::GameFolder &game, const simhost::PluginModule &module, const AllMapsRun &run) {
    std::ostream &out = *run.out, &err = *run.err;
    std::string error;
    if (simhost::gameDatabase(game, &error) == nullptr) {
        err << "farview-preview: " << error << ": every map takes its tileset from it\n";
        return 1;
    }
    const std::vector<int32_t> ids = simhost::gameMapIds(game);
    if (ids.empty()) {
        err << "farview-preview: " << run.gameName << " holds no map files (Map0001.lmu, ...)\n";
        return 1;
    }
    ContactSheet sheet(ids.size());
    std::vector<MapOutcome> outcomes;
    for (int32_t mapId : ids) {
        if (run.terminal) showProgress(err, outcomes.size(), ids.size());
        outcomes.push_back(renderMap(game, module, run.folder, mapId));
        MapOutcome &outcome = outcomes.back();
        if (outcome.failure.empty())
            sheet.add(mapId, outcome.screen);
        else
            sheet.addFailed(mapId);
        outcome.screen = {}; // the sheet holds what it needs of it
    }
    if (run.terminal) err << "\r\033[K" << std::flush;

    bool failed = !sheet.write((run.folder / kContactSheetFile).string(), &error);
    if (failed) err << "farview-preview: " << error << "\n";
    const std::string report = writeReport(outcomes, run);
    out << report;
    const fs::path reportFile = run.folder / kReportFile;
    if (writeText(reportFile, report)) {
        out << "\nwrote the report " << (fs::path(run.shownFolder) / kReportFile).string() << "\n";
    } else {
        err << "farview-preview: cannot write " << reportFile.string() << "\n";
        failed = true;
    }
    for (const MapOutcome &outcome : outcomes) failed = failed || !outcome.failure.empty();
    return failed ? 1 : 0;
}

} // namespace preview
