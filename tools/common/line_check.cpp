#include "tools/common/line_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "plugin/command_table.h"
#include "plugin/comment_record.h"
#include "simhost/comment_line.h"
#include "simhost/event_commands.h"
#include "simhost/game_lines.h"
#include "simhost/map_tree.h"

namespace tools {

namespace {

using farview::CommandForm;
using farview::CommandId;
using farview::CountRule;
using farview::Reading;

const char *severityName(Severity severity) {
    switch (severity) {
    case Severity::error: return "error";
    case Severity::warning: return "warning";
    case Severity::note: return "note";
    }
    return "";
}

std::string lowerCase(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The edits (a letter added, left out or changed) between two names, without regard to case.
size_t editDistance(const std::string &a, const std::string &b) {
    const std::string x = lowerCase(a), y = lowerCase(b);
    std::vector<size_t> row(y.size() + 1);
    for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= y.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

// A name (UTF-8) without the blanks it may end with that do not end it for the host: a no-break
// space, an ideographic space, the other spaces of Unicode.
std::string withoutTrailingBlanks(std::string name) {
    static const char *const kBlanks[] = {"\xC2\xA0", "\xE3\x80\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82",
                                          "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86",
                                          "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A",
                                          "\xE2\x80\x8B", "\xE2\x80\xAF", " ", "\t"};
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (const std::string blank : kBlanks)
            if (name.size() > blank.size() && name.compare(name.size() - blank.size(), blank.size(), blank) == 0) {
                name.resize(name.size() - blank.size());
                trimmed = true;
            }
    }
    return name;
}

std::string numberText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string plural(int32_t count, const char *one, const char *many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string quoted(const std::string &name) { return "`" + name + "`"; }

// What the plug-in reads from a slot the line does not give, as the stand-in host leaves it.
const char *emptyReading(Reading reading) {
    switch (reading) {
    case Reading::text: return "an empty text";
    case Reading::yesNo: return "no";
    default: return "0";
    }
}

bool isNumericReading(Reading reading) { return reading != Reading::text && reading != Reading::yesNo; }

// Texts an author writes for yes that the plug-in reads as no (only T, t, Y and y begin a yes).
bool looksMeantAsYes(const std::string &text) {
    static const char *const kMeantYes[] = {"on", "1", "ok", "enable", "enabled", "active", "ja", "oui", "si"};
    const size_t first = text.find_first_not_of(" \t");
    if (first != std::string::npos && first > 0 && std::string("TtYy").find(text[first]) != std::string::npos)
        return true;
    const std::string word = lowerCase(text);
    return std::find_if(std::begin(kMeantYes), std::end(kMeantYes), [&](const char *yes) { return word == yes; }) !=
           std::end(kMeantYes);
}

// The slots a command reads for a line of count parameters.
int32_t slotsRead(const CommandForm &form, int32_t count) {
    if (form.countRule == CountRule::exactlyTwo && count != 2) return 0;
    if (form.countRule == CountRule::offsetsWhenMoreThan7 && count <= 7) return 7;
    return form.parameterCount;
}

class Checker {
public:
    Checker(const simhost::GameFolder &game, const MapNames &names, CheckReport &report)
        : game_(game), names_(names), report_(report) {}

    // Every page of every event of the map.
    void pages(const simhost::GameMap &map, int32_t mapId) {
        const std::string fileName = simhost::mapFileName(mapId);
        for (const simhost::GameEvent &event : map.events)
            for (size_t page = 0; page < event.pages.size(); ++page) {
                const simhost::ListPlace place{mapId, event.id, event.name, static_cast<int32_t>(page + 1),
                                               event.pages[page].trigger};
                list(place, event.pages[page].commands, fileName, &map);
            }
    }

    // The lines the map runs on entry, in order: what needs the map's texture loaded first, and
    // the common events' lines as the map gives them their events and cells.
    void entry(const simhost::GameMap &map, int32_t mapId, bool commonEventLinesInFull) {
        bool loaded = false, drawing = false;
        for (const simhost::ListRun &run : simhost::entryRuns(game_, map, mapId)) {
            notes(run, mapId);
            for (const simhost::GameLine &line : run.lines) {
                const bool ofCommonEvent = line.place.mapId == 0;
                const std::string where =
                    placeOf(line.place, line.lineNumber) + (ofCommonEvent ? " (on entering " + mapName(mapId) + ")" : "");
                FvParsedComment comment{};
                if (!simhost::parseCommentLine(line.text, comment, nullptr)) {
                    if (ofCommonEvent && commonEventLinesInFull) this->line(line.text, where, mapId, &map);
                    continue;
                }
                const CommandForm *form = findForm(comment);
                if (ofCommonEvent) {
                    if (commonEventLinesInFull)
                        this->line(line.text, where, mapId, &map);
                    else if (form != nullptr)
                        mapValues(*form, comment, simhost::toUtf8(line.text), where, mapId, map);
                }
                if (form == nullptr) continue;
                order(*form, comment, loaded, drawing, simhost::toUtf8(line.text), where, mapId);
            }
        }
        if (drawing && !loaded)
            add(Severity::warning, mapId, mapName(mapId), "",
                "the lines run on entering it turn drawing on (init_mode7) but load no map texture: the view "
                "draws the map loaded before (at the game's start, nothing)",
                "add @load_map_to_texture to its set-up, before @init_mode7 true");
    }

    void commonEvents(const simhost::GameDatabase &db) {
        const std::string fileName = game_.databasePath.filename().string();
        if (!db.commonEventsFault.empty())
            add(Severity::error, 0, "the common events", "", db.commonEventsFault + ": none of them runs", "");
        for (const simhost::GameCommonEvent &event : db.commonEvents)
            list(simhost::ListPlace{0, event.id, event.name, 0, event.trigger}, event.commands, fileName, nullptr);
    }

    void add(Severity severity, int32_t mapId, const std::string &place, const std::string &line,
             const std::string &what, const std::string &fix) {
        if (told_.insert(place + "\n" + what).second)
            report_.problems.push_back({severity, mapId, place, line, what, fix});
    }

    std::string mapName(int32_t mapId) const {
        const auto named = names_.find(mapId);
        const std::string name = named != names_.end() && !named->second.empty() ? " '" + named->second + "'" : "";
        return "map " + std::to_string(mapId) + name;
    }

private:
    std::string placeOf(const simhost::ListPlace &place, int32_t lineNumber) const {
        const std::string name = place.eventName.empty() ? "" : " '" + simhost::toUtf8(place.eventName) + "'";
        const std::string list = place.mapId == 0 ? "common event " + std::to_string(place.eventId) + name
                                                  : mapName(place.mapId) + ", event " + std::to_string(place.eventId) +
                                                        name + ", page " + std::to_string(place.page);
        return lineNumber > 0 ? list + ", line " + std::to_string(lineNumber) : list;
    }

    static const CommandForm *findForm(const FvParsedComment &comment) {
        const std::string name(farview::ParsedComment(comment).name());
        return farview::findCommandForm(name.data(), name.size());
    }

    void list(const simhost::ListPlace &place, const simhost::CommandListBytes &bytes, const std::string &fileName,
              const simhost::GameMap *map) {
        const int32_t mapId = place.mapId;
        notes(simhost::expandList(game_, place, bytes, fileName), mapId); // a list it cannot read among them
        std::vector<simhost::EventCommand> commands;
        if (!simhost::readCommandList(bytes, fileName, "", commands, nullptr)) return;
        for (size_t i = 0; i < commands.size(); ++i) {
            const simhost::EventCommand &command = commands[i];
            const std::string where = placeOf(place, static_cast<int32_t>(i + 1));
            if (!simhost::isCommentLine(command.text)) continue;
            if (command.code == simhost::commandCodes::kComment) {
                ++report_.lines;
                line(command.text, where, mapId, map);
            } else if (command.code == simhost::commandCodes::kCommentMore) {
                add(Severity::warning, mapId, where, simhost::toUtf8(command.text),
                    "a comment's further line: only a comment's first line is a command, so no plug-in gets it",
                    "make it a comment of its own");
            }
        }
    }

    // What the host says of running a list: a list it cannot read, the calls it cannot make, the
    // lines it runs whatever their branch's condition. Each names its place.
    void notes(const simhost::ListRun &run, int32_t mapId) {
        for (const simhost::RunNote &note : run.notes) {
            switch (note.kind) {
            case simhost::RunNote::Kind::unreadableList:
                add(Severity::error, mapId, "", "", note.text + ": none of its lines runs",
                    "save the event again in the editor");
                break;
            case simhost::RunNote::Kind::missingCommonEvent:
                add(Severity::error, mapId, "", "", note.text, "call a common event the database holds");
                break;
            case simhost::RunNote::Kind::loop:
                add(Severity::error, mapId, "", "", note.text, "end the loop: a common event must not call itself");
                break;
            case simhost::RunNote::Kind::tooDeep: add(Severity::warning, mapId, "", "", note.text, ""); break;
            case simhost::RunNote::Kind::otherCall:
            case simhost::RunNote::Kind::linesInBlocks: add(Severity::note, mapId, "", "", note.text, ""); break;
            }
        }
    }

    void line(const std::string &text, const std::string &where, int32_t mapId, const simhost::GameMap *map) {
        const std::string shown = simhost::toUtf8(text);
        FvParsedComment comment{};
        std::string why;
        if (!simhost::parseCommentLine(text, comment, &why)) {
            add(Severity::error, mapId, where, shown, "the host cannot read the line (" + why + "): no plug-in gets it",
                why.find("quote") != std::string::npos ? "close the quote" : "");
            return;
        }
        const CommandForm *form = findForm(comment);
        if (form == nullptr) return unknownName(std::string(farview::ParsedComment(comment).name()), where, mapId, shown);
        parameters(*form, comment, where, mapId, shown);
        values(*form, comment, where, mapId, shown);
        if (map != nullptr) mapValues(*form, comment, shown, where, mapId, *map);
        files(*form, comment, where, mapId, shown);
    }

    void unknownName(const std::string &name, const std::string &where, int32_t mapId, const std::string &shown) {
        const std::string utf8 = simhost::toUtf8(name), trimmed = withoutTrailingBlanks(utf8);
        const std::string leftToHost = " is no command of the plug-in's: it leaves the line to the host, which does "
                                       "nothing with it";
        const CommandForm *nearest = nullptr;
        size_t distance = 3;
        for (const CommandForm &form : farview::kCommandForms) {
            const size_t edits = editDistance(trimmed, form.keyword);
            if (edits < distance) distance = edits, nearest = &form;
        }
        if (nearest != nullptr && trimmed == nearest->keyword)
            return add(Severity::error, mapId, where, shown, quoted(utf8) + " ends with a blank, so it" + leftToHost,
                       "remove the blank after " + quoted(nearest->keyword));
        if (nearest != nullptr && lowerCase(trimmed) == lowerCase(nearest->keyword))
            return add(Severity::error, mapId, where, shown,
                       quoted(utf8) + leftToHost + " (names are exact, letter case too)",
                       "write " + quoted(nearest->keyword));
        if (nearest != nullptr)
            return add(Severity::error, mapId, where, shown, quoted(utf8) + leftToHost,
                       "did you mean " + quoted(nearest->keyword) + "?");
        add(Severity::note, mapId, where, shown,
            quoted(utf8) + " is no Farview command: the plug-in leaves the line to the host (another plug-in's?)", "");
    }

    void parameters(const CommandForm &form, const FvParsedComment &comment, const std::string &where, int32_t mapId,
                    const std::string &shown) {
        const farview::ParsedComment p(comment);
        const int32_t count = p.parameterCount();
        if (form.countRule == CountRule::exactlyTwo && count != 2)
            add(Severity::error, mapId, where, shown,
                std::string(form.keyword) + " has " + plural(count, "parameter", "parameters") +
                    ": the plug-in acts only on exactly 2, so it does nothing",
                "give the cell's column and row");
        const bool shortSprite = form.countRule == CountRule::offsetsWhenMoreThan7 && count < 7;
        if (shortSprite)
            add(Severity::error, mapId, where, shown,
                "add_sprite has " + plural(count, "parameter", "parameters") +
                    ": the plug-in reads 7 (key, image, width, height, directions, frames, event number) and the "
                    "ones left out as 0 or an empty text",
                "give all 7, then the offsets x and y or neither");
        for (int32_t n = 1; n <= slotsRead(form, count); ++n) slot(form, p, n, shortSprite, where, mapId, shown);
    }

    void slot(const CommandForm &form, const farview::ParsedComment &p, int32_t n, bool shortSprite, const std::string &where,
              int32_t mapId, const std::string &shown) {
        const farview::ParameterForm &slot = form.parameters[n - 1];
        const std::string which = "parameter " + std::to_string(n) + " (" + slot.meaning + ")";
        if (n > p.parameterCount()) {
            if (!shortSprite)
                add(Severity::warning, mapId, where, shown,
                    which + " is not given: the plug-in reads " + emptyReading(slot.reading) +
                        " (the stand-in host leaves the slot empty; an engine may leave what it held before)",
                    "give it");
            return;
        }
        if (isNumericReading(slot.reading) && p.isText(n))
            return add(Severity::error, mapId, where, shown,
                       which + " is the text \"" + simhost::toUtf8(p.text(n)) +
                           "\" where the plug-in reads a number: it reads " + numberText(p.number(n)),
                       "give a number, without quotes");
        if (slot.reading == Reading::text && !p.isText(n))
            return add(Severity::error, mapId, where, shown,
                       which + " is the number " + numberText(p.number(n)) +
                           " where the plug-in reads a text: it reads an empty text",
                       "put it in quotes");
        if (slot.reading == Reading::yesNo && p.isText(n) && !p.boolean(n) && looksMeantAsYes(p.text(n)))
            return add(Severity::error, mapId, where, shown,
                       which + " is the text \"" + simhost::toUtf8(p.text(n)) +
                           "\", which the plug-in reads as no: only a text beginning with T, t, Y or y is yes",
                       "write yes (or no)");
        if (slot.reading == Reading::integer && !p.isText(n) && double(p.integer(n)) != p.number(n))
            add(Severity::warning, mapId, where, shown,
                which + " is " + numberText(p.number(n)) + " where the plug-in reads a whole number: it reads " +
                    std::to_string(p.integer(n)),
                "write " + std::to_string(p.integer(n)));
    }

    // A scale or a camera height of 0 or less leaves nothing of the view an author means.
    void values(const CommandForm &form, const FvParsedComment &comment, const std::string &where, int32_t mapId,
                const std::string &shown) {
        const farview::ParsedComment p(comment);
        if (p.isText(1) || (form.id != CommandId::setTextureScale && form.id != CommandId::setZValue)) return;
        const float value = p.real(1);
        if (value > 0.0f) return;
        const bool scale = form.id == CommandId::setTextureScale;
        const std::string shows = value == 0.0f ? (scale ? "one texel's colour throughout" : "one colour throughout, the ground at the camera point")
                                                : "the ground behind the eye, upside down";
        add(Severity::warning, mapId, where, shown,
            std::string(scale ? "a scale of " : "a camera height of ") + numberText(value) + ": the floor shows " +
                shows + ", and no sprite stands on it",
            scale ? "give a scale above 0 (260 is the default)" : "give a camera height above 0 (90 is the default)");
    }

    // What depends on the map the line runs on: the cell of set_boundary_texture, the event of
    // add_sprite.
    void mapValues(const CommandForm &form, const FvParsedComment &comment, const std::string &shown,
                   const std::string &where, int32_t mapId, const simhost::GameMap &map) {
        const farview::ParsedComment p(comment);
        if (form.id == CommandId::setBoundaryTexture && p.parameterCount() == 2) {
            const int32_t column = p.integer(1), row = p.integer(2);
            if (column < 0 || row < 0 || column >= map.width || row >= map.height)
                add(Severity::error, mapId, where, shown,
                    "the cell " + std::to_string(column) + "," + std::to_string(row) + " lies outside " +
                        mapName(mapId) + " (" + std::to_string(map.width) + " x " + std::to_string(map.height) +
                        " cells): the plug-in cuts nothing and the boundary texture stays as it was",
                    "give a cell of the map");
        }
        if (form.id == CommandId::addSprite && p.parameterCount() >= 7) {
            const int32_t eventId = p.integer(7);
            const bool found = std::any_of(map.events.begin(), map.events.end(),
                                           [&](const simhost::GameEvent &event) { return event.id == eventId; });
            if (!found)
                add(Severity::error, mapId, where, shown,
                    mapName(mapId) + " has no event " + std::to_string(eventId) +
                        ": the sprite stands on no character and is not drawn",
                    "give the number of the event it stands on");
        }
    }

    // The images the plug-in loads by the name as given: no folder and no extension added.
    void files(const CommandForm &form, const FvParsedComment &comment, const std::string &where, int32_t mapId,
               const std::string &shown) {
        const farview::ParsedComment p(comment);
        int32_t slot = 0;
        if (form.id == CommandId::setBackground || form.id == CommandId::changeHeroSprite) slot = 1;
        if (form.id == CommandId::addSprite) slot = 2;
        if (slot == 0 || !p.isText(slot)) return;
        const std::string name = p.text(slot);
        if (knownFile(name)) return;
        add(Severity::error, mapId, where, shown,
            "the image \"" + simhost::toUtf8(name) +
                "\" is not in the game folder: the plug-in's load fails (the host says so) and it draws nothing "
                "from it",
            "add the file, or mend the name: the plug-in adds no folder and no extension");
    }

    bool knownFile(const std::string &name) {
        const auto known = files_.find(name);
        if (known != files_.end()) return known->second;
        std::error_code failure;
        // Found as the host's loader finds it: in the game folder, else among the standard graphics.
        const simhost::GraphicFile file = simhost::findGraphicFile(game_.folder, name);
        return files_[name] = std::filesystem::is_regular_file(file.path, failure);
    }

    void order(const CommandForm &form, const FvParsedComment &comment, bool &loaded, bool &drawing,
               const std::string &shown, const std::string &where, int32_t mapId) {
        const farview::ParsedComment p(comment);
        if (form.id == CommandId::loadMapToTexture) loaded = true;
        if (form.id == CommandId::initMode7) drawing = p.boolean(1);
        if (loaded) return;
        if (form.id == CommandId::setBoundaryTexture && p.parameterCount() == 2)
            add(Severity::error, mapId, where, shown,
                "set_boundary_texture runs before the map's load_map_to_texture: it cuts the cell from the map "
                "loaded before (at the game's start, from none: it is ignored)",
                "move it after @load_map_to_texture");
        if (form.id == CommandId::changeHeroSprite)
            add(Severity::error, mapId, where, shown,
                "change_hero_sprite runs before the map's load_map_to_texture, which gives the hero his own sheet "
                "again: it is ignored",
                "move it after @load_map_to_texture");
    }

    const simhost::GameFolder &game_;
    const MapNames &names_;
    CheckReport &report_;
    std::set<std::string> told_;              // each problem told once
    std::map<std::string, bool> files_;       // whether each image named is there
};

bool readMap(const simhost::GameFolder &game, int32_t mapId, simhost::GameMap &map, std::string *error) {
    const std::string fileName = simhost::mapFileName(mapId);
    std::vector<uint8_t> bytes;
    return simhost::readGameFile(simhost::resolveGameFile(game.folder, fileName), bytes, error) &&
           simhost::readMapFile(bytes, fileName, map, error);
}

} // namespace

std::string describeProblem(const LineProblem &problem) {
    std::string text = problem.place.empty() ? "" : problem.place + ": ";
    text += std::string(severityName(problem.severity)) + ": " + problem.what;
    if (!problem.fix.empty()) text += "; " + problem.fix;
    if (!problem.line.empty()) text += "\n    " + problem.line;
    return text;
}

int32_t CheckReport::count(Severity severity) const {
    return static_cast<int32_t>(std::count_if(problems.begin(), problems.end(),
                                              [&](const LineProblem &p) { return p.severity == severity; }));
}

std::string CheckReport::summary(const std::string &codePage) const {
    return "Checked " + plural(lines, "Farview line", "Farview lines") + " in " + plural(maps, "map", "maps") +
           " and " + plural(commonEvents, "common event", "common events") + " (code page " + codePage + "): " +
           plural(count(Severity::error), "error", "errors") + ", " +
           plural(count(Severity::warning), "warning", "warnings") + ", " +
           plural(count(Severity::note), "note", "notes") + ".";
}

MapNames mapNamesOf(const simhost::GameFolder &game) {
    MapNames names;
    for (const simhost::MapTreeEntry &entry : simhost::listGameMaps(game, nullptr).maps)
        names[entry.id] = simhost::toUtf8(entry.name);
    return names;
}

CheckReport checkGame(const simhost::GameFolder &game) {
    CheckReport report;
    const MapNames names = mapNamesOf(game);
    Checker checker(game, names, report);
    for (int32_t mapId : simhost::gameMapIds(game)) {
        ++report.maps;
        simhost::GameMap map;
        std::string error;
        if (!readMap(game, mapId, map, &error)) {
            checker.add(Severity::error, mapId, checker.mapName(mapId), "", error + ": none of its lines runs", "");
            continue;
        }
        checker.pages(map, mapId);
        checker.entry(map, mapId, false);
    }
    std::string error;
    if (const simhost::GameDatabase *db = simhost::gameDatabase(game, &error)) {
        report.commonEvents = static_cast<int32_t>(db->commonEvents.size());
        checker.commonEvents(*db);
    } else if (!game.databasePath.empty()) {
        checker.add(Severity::error, 0, "the database", "", error + ": no common event runs", "");
    }
    return report;
}

CheckReport checkMap(const simhost::GameFolder &game, const simhost::GameMap &map, int32_t mapId,
                     const MapNames &names) {
    CheckReport report;
    report.maps = 1;
    Checker checker(game, names, report);
    checker.pages(map, mapId);
    checker.entry(map, mapId, true);
    return report;
}

} // namespace tools
