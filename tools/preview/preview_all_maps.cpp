// Every map of a game in one run. Each map is entered, drawn at the default view and written as a
// still; then the plug-in returns to the title screen, which frees what the map held, before the
// next one is entered.
#include "tools/preview/preview_all_maps.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "simhost/comment_line.h"
#include "tools/common/line_check.h"
#include "tools/common/view_start.h"

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
    std::vector<std::string> standard; // files it names that the standard graphics give, in UTF-8
    std::vector<std::string> messages; // "[caption] text" shown while it rendered, but for missing files
    std::vector<uint16_t> screen;      // its still, when it rendered
    bool floorMostlyColourZero = false;
    std::string strayLayerMarkWarning; // the floor is read from a stray byte 0x47; empty when not
    std::vector<std::string> linesRun; // the game's lists run on entry that sent lines (tools::EntryReport)
    std::vector<std::string> problems; // of its lines, as --check finds them
};

// What the report says of a name: the maps it concerns, in ascending order.
using MapsByText = std::map<std::string, std::vector<int32_t>>;

// The first floor row of the default view, which --all-maps renders: rows above it are the band.
constexpr int32_t kDefaultHorizon = 50;

// The screen colour of index 0 of each tileset graphic met, by its file (none: it cannot be loaded).
using ColourZeroCache = std::map<std::string, std::optional<uint16_t>>;

// The files the map shows that the game folder lacks: missing, or taken from the standard graphics.
void findShownFiles(const simhost::GameFolder &game, int32_t mapId, const tools::HeroLook &hero, MapOutcome &outcome) {
    std::vector<std::string> names = simhost::filesShownByMap(game, mapId);
    if (!hero.sheet.sheetName.empty()) names.push_back(simhost::charSetFile(hero.sheet.sheetName));
    for (const std::string &name : names) {
        const simhost::GraphicSource source = simhost::findGraphicFile(game.folder, name).source;
        if (source == simhost::GraphicSource::nowhere) outcome.missing.push_back(simhost::toUtf8(name));
        if (source == simhost::GraphicSource::standardGraphics) outcome.standard.push_back(simhost::toUtf8(name));
    }
}

// Index 0 of the map's tileset graphic as the floor shows it, loaded once for every map of the
// tileset. Loaded before the map's view runs, so that a graphic that cannot be loaded is reported
// once, by the plug-in's own load.
std::optional<uint16_t> tilesetColourZero(const simhost::GameFolder &game, const simhost::GameMap &map,
                                          ColourZeroCache &cache) {
    const simhost::GameDatabase *db = simhost::gameDatabase(game, nullptr);
    if (db == nullptr) return std::nullopt;
    const simhost::GameTileset *tileset = simhost::findTileset(*db, map.tilesetId);
    if (tileset == nullptr) return std::nullopt;
    const std::string file = simhost::chipSetFile(tileset->graphicName);
    const auto known = cache.find(file);
    if (known != cache.end()) return known->second;
    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, file.c_str(), 0);
    std::optional<uint16_t> colour;
    if (image->pixels != nullptr) colour = image->colors[0];
    simhost::destroyImage(image);
    return cache[file] = colour;
}

// Whether more than half of the floor shows the tileset's colour 0. The view is drawn once more with
// wrapping on, so that every floor pixel shows the map, not the black beyond its edges.
bool floorMostlyColourZero(const simhost::PluginModule &module, uint16_t colourZero) {
    simhost::sendCommentLine(module, "@set_wrapping true", nullptr, nullptr);
    simhost::fillScreen(kBackdrop);
    simhost::drawPictures(module, {1});
    simhost::sendCommentLine(module, "@set_wrapping false", nullptr, nullptr);
    int64_t shown = 0;
    for (int32_t y = kDefaultHorizon; y < simhost::kScreenHeight; ++y)
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x) shown += simhost::screenPixel(x, y) == colourZero;
    const int64_t floor = int64_t{simhost::kScreenHeight - kDefaultHorizon} * simhost::kScreenWidth;
    return 2 * shown > floor;
}

// The host reports each missing file as it fails to load it; the report lists those files apart.
bool reportsAMissingFile(const std::string &text, const std::vector<std::string> &missing) {
    for (const std::string &name : missing)
        if (text.rfind("Cannot load image \"" + name + "\"", 0) == 0) return true;
    return false;
}

// The map entered as the game enters it: with its own lines from the plug-in's fresh state, so
// that each map's still is what --map shows of it whatever map came before.
bool enterMap(const simhost::GameFolder &game, const simhost::PluginModule &module, int32_t mapId, bool gameLines,
              MapOutcome &outcome) {
    if (!gameLines) return simhost::enterMap(game, mapId, &outcome.failure);
    tools::EntryReport entry;
    if (!tools::freshView(module, &outcome.failure) ||
        !tools::enterWithGameLines(game, mapId, module, entry, &outcome.failure))
        return false;
    outcome.linesRun = entry.summary();
    return true;
}

// The messages the map's view brought, each once, but for the missing files the report lists apart.
void keepMessages(MapOutcome &outcome) {
    const std::vector<std::string> &texts = simhost::messages();
    const std::vector<std::string> &captions = simhost::messageCaptions();
    for (size_t i = 0; i < texts.size(); ++i) {
        if (captions[i] == "simhost" && reportsAMissingFile(texts[i], outcome.missing)) continue;
        const std::string message = "[" + captions[i] + "] " + texts[i];
        if (std::find(outcome.messages.begin(), outcome.messages.end(), message) == outcome.messages.end())
            outcome.messages.push_back(message);
    }
}

MapOutcome renderMap(const simhost::GameFolder &game, const simhost::PluginModule &module, const AllMapsRun &run,
                     int32_t mapId, ColourZeroCache &colours, const tools::MapNames &names) {
    MapOutcome outcome;
    outcome.mapId = mapId;
    simhost::clearMessages();
    tools::ViewStart start;
    if (!enterMap(game, module, mapId, run.gameLines, outcome) ||
        !tools::startOfView(game, *simhost::enteredMap(), mapId, std::nullopt, "", start, &outcome.failure)) {
        keepMessages(outcome);
        simhost::initTitleScreen(module);
        return outcome;
    }
    const simhost::GameMap &map = *simhost::enteredMap();
    for (const tools::LineProblem &problem : tools::checkMap(game, map, mapId, names).problems)
        outcome.problems.push_back(tools::describeProblem(problem));
    findShownFiles(game, mapId, start.heroLook, outcome);
    outcome.strayLayerMarkWarning = start.strayLayerMarkWarning;
    const std::optional<uint16_t> colourZero = tilesetColourZero(game, map, colours);
    ScriptOptions options;
    options.outputFolder = run.folder;
    const std::string script =
        tools::viewStartSteps(start, run.gameLines) + "frame " + stillFileName(mapId) + "\n";
    const ScriptResult result = runScript(script, "the view of map " + std::to_string(mapId), module, options);
    if (result.ok) {
        outcome.screen = screenPixels();
        outcome.floorMostlyColourZero = colourZero && floorMostlyColourZero(module, *colourZero);
    } else {
        outcome.failure = result.error;
    }
    keepMessages(outcome);
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

constexpr const char *kColourZeroAdvice =
    "  More than half of their floor shows index 0 of their tileset graphic: these maps leave the\n"
    "  ground to the engine's background, which the view does not draw. Give them another tileset,\n"
    "  whose lower tiles cover the ground, or a boundary texture before using the view there.\n";

constexpr const char *kNameTheStandardGraphics =
    "  Where they are the engine's standard graphics, name the folder that holds them with\n"
    "  --standard-graphics DIR (or the environment variable FARVIEW_STANDARD_GRAPHICS).\n";

std::string capitalised(std::string text) {
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z')
        text.front() = static_cast<char>(text.front() - 'a' + 'A');
    return text;
}

// A problem's further lines, under its first in the report's list.
std::string indented(const std::string &text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\n  ") : std::string(1, c);
    return out;
}

void listByText(std::ostream &report, const char *heading, const MapsByText &entries) {
    if (entries.empty()) return;
    report << "\n" << heading << " (" << entries.size() << "):\n";
    for (const auto &entry : entries) report << "  " << entry.first << ": " << mapList(entry.second) << "\n";
}

// The files the standard graphics gave, and those missing with where they were looked for.
void listStandardGraphics(std::ostream &report, const MapsByText &missing, const MapsByText &standard) {
    const fs::path &folder = simhost::standardGraphicsFolder();
    listByText(report, "Taken from the standard graphics folder", standard);
    if (folder.empty()) {
        listByText(report, "Missing files, named by the maps but not in the game folder", missing);
        if (!missing.empty()) report << kNameTheStandardGraphics;
    } else {
        listByText(report, "Missing files, named by the maps but neither in the game folder nor in the standard "
                           "graphics folder",
                   missing);
    }
}

std::string writeReport(const std::vector<MapOutcome> &outcomes, const tools::HeroLook &hero, const AllMapsRun &run) {
    size_t rendered = 0;
    MapsByText missing, standard, messages;
    std::vector<int32_t> colourZero;
    std::ostringstream failures, strayMarks, linesRun, problems;
    size_t strayMarkCount = 0, mapsWithLines = 0, problemCount = 0;
    for (const MapOutcome &outcome : outcomes) {
        problemCount += outcome.problems.size();
        for (const std::string &problem : outcome.problems) problems << "  " << indented(problem) << "\n";
        if (!outcome.linesRun.empty()) ++mapsWithLines;
        for (const std::string &ran : outcome.linesRun) linesRun << "  map " << outcome.mapId << ": " << ran << "\n";
        if (outcome.failure.empty())
            ++rendered;
        else
            failures << "  map " << outcome.mapId << ": " << outcome.failure << "\n";
        if (outcome.floorMostlyColourZero) colourZero.push_back(outcome.mapId);
        if (!outcome.strayLayerMarkWarning.empty()) {
            ++strayMarkCount;
            strayMarks << "  map " << outcome.mapId << ": " << outcome.strayLayerMarkWarning << "\n";
        }
        for (const std::string &name : outcome.missing) missing[name].push_back(outcome.mapId);
        for (const std::string &name : outcome.standard) standard[name].push_back(outcome.mapId);
        for (const std::string &text : outcome.messages) messages[text].push_back(outcome.mapId);
    }
    const std::string folder = (fs::path(run.shownFolder) / "").string();
    std::ostringstream report;
    report << "Rendered " << rendered << " of " << outcomes.size() << " maps of " << run.gameName << " into " << folder;
    if (!outcomes.empty())
        report << ": " << stillFileName(outcomes.front().mapId)
               << (outcomes.size() > 1 ? " ... " + stillFileName(outcomes.back().mapId) : "");
    report << ", and the contact sheet " << kContactSheetFile << ".\n";
    report << "\n" << capitalised(tools::describeHeroLook(hero)) << ".\n";
    if (!run.gameLines)
        report << "\nThe game's own lines were not run (--no-game-lines): every map shows its default view.\n";
    else if (mapsWithLines > 0)
        report << "\nThe game's own lines run on entry (" << mapsWithLines << " maps; the others show their default "
               << "view):\n"
               << linesRun.str();
    if (rendered < outcomes.size()) report << "\nFailed (" << outcomes.size() - rendered << "):\n" << failures.str();
    if (!colourZero.empty())
        report << "\nFloors mostly in the tileset's colour 0 (" << colourZero.size() << "): " << mapList(colourZero)
               << "\n"
               << kColourZeroAdvice;
    if (strayMarkCount > 0)
        report << "\nFloors read from a stray byte 0x47 (" << strayMarkCount << "):\n" << strayMarks.str();
    if (problemCount > 0)
        report << "\nProblems in the game's own lines (" << problemCount << "; farview-preview GAME --check lists the "
               << "whole game's):\n"
               << problems.str();
    listStandardGraphics(report, missing, standard);
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
        err << "farview-preview: " << error << ": every map takes its tileset from it"
            << simhost::gameFoldersInsideNote(game.folder) << "\n";
        return 1;
    }
    const std::vector<int32_t> ids = simhost::gameMapIds(game);
    if (ids.empty()) {
        err << "farview-preview: " << run.gameName << " holds no map files (Map0001.lmu, ...)"
            << simhost::gameFoldersInsideNote(game.folder) << "\n";
        return 1;
    }
    ContactSheet sheet(ids.size());
    const tools::MapNames names = tools::mapNamesOf(game);
    std::vector<MapOutcome> outcomes;
    ColourZeroCache colours;
    for (int32_t mapId : ids) {
        if (run.terminal) showProgress(err, outcomes.size(), ids.size());
        outcomes.push_back(renderMap(game, module, run, mapId, colours, names));
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
    const std::string report = writeReport(outcomes, tools::heroLook(game), run);
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
