// The stand-in host's readers of a game's own files: the input is read both as a map file and as
// a database. A file either reader accepts must read back the same after the game-file writer has
// written what was read (when the writer can write it); a fault kept apart in the actors or the
// starting party names the file and the byte, and the hero's look is taken from what was read.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_main.h"
#include "simhost/game_folder.h"
#include "support/game_writer.h"

namespace {

bool samePages(const std::vector<simhost::GameEventPage> &a, const std::vector<simhost::GameEventPage> &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].sheetName != b[i].sheetName || a[i].sheetIndex != b[i].sheetIndex || a[i].facing != b[i].facing ||
            a[i].animationStep != b[i].animationStep)
            return false;
    }
    return true;
}

bool sameEvents(const std::vector<simhost::GameEvent> &a, const std::vector<simhost::GameEvent> &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].id != b[i].id || a[i].name != b[i].name || a[i].column != b[i].column || a[i].row != b[i].row ||
            !samePages(a[i].pages, b[i].pages))
            return false;
    }
    return true;
}

bool sameMap(const simhost::GameMap &a, const simhost::GameMap &b) {
    return a.tilesetId == b.tilesetId && a.width == b.width && a.height == b.height && a.lower == b.lower &&
           a.upper == b.upper && sameEvents(a.events, b.events) && a.hasBackground == b.hasBackground &&
           a.backgroundName == b.backgroundName;
}

bool sameActors(const std::vector<simhost::GameActor> &a, const std::vector<simhost::GameActor> &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].id != b[i].id || a[i].sheetName != b[i].sheetName || a[i].sheetIndex != b[i].sheetIndex) return false;
    return true;
}

// A database written by the writer has no faults: what was kept apart is written as nothing.
bool sameDatabase(const simhost::GameDatabase &a, const simhost::GameDatabase &b) {
    if (!sameActors(a.actors, b.actors) || a.startingParty != b.startingParty || !b.actorsFault.empty() ||
        !b.partyFault.empty())
        return false;
    if (a.tilesets.size() != b.tilesets.size()) return false;
    for (size_t i = 0; i < a.tilesets.size(); ++i) {
        const simhost::GameTileset &x = a.tilesets[i], &y = b.tilesets[i];
        if (x.id != y.id || x.name != y.name || x.graphicName != y.graphicName || x.attributes != y.attributes ||
            x.lowerFlags != y.lowerFlags || x.upperFlags != y.upperFlags)
            return false;
    }
    return true;
}

// A refusal names the file and the byte where the fault lies.
void checkRefusal(const std::string &error, const char *fileName) {
    if (error.find(fileName) == std::string::npos || error.find("at byte ") == std::string::npos)
        fuzz::fail("a refusal does not name the file and the byte");
}

void readAsMap(const std::vector<uint8_t> &bytes) {
    simhost::GameMap map;
    std::string error;
    if (!simhost::readMapFile(bytes, "Map0001.lmu", map, &error)) {
        checkRefusal(error, "Map0001.lmu");
        return;
    }
    if (!gamefile::mapEncodingProblem(map).empty()) return;
    simhost::GameMap again;
    if (!simhost::readMapFile(gamefile::encodeMap(map), "again.lmu", again, &error))
        fuzz::fail(("a map written from one that was read is refused: " + error).c_str());
    if (!sameMap(map, again)) fuzz::fail("a map written and read again differs");
    if (again.strayLayerMark) fuzz::fail("a map the writer accepted holds a byte 0x47 before its lower layer");
}

void readAsDatabase(const std::vector<uint8_t> &bytes) {
    simhost::GameDatabase db;
    std::string error;
    if (!simhost::readDatabase(bytes, "Game.ldb", db, &error)) {
        checkRefusal(error, "Game.ldb");
        return;
    }
    if (!db.actorsFault.empty()) checkRefusal(db.actorsFault, "Game.ldb");
    if (!db.partyFault.empty()) checkRefusal(db.partyFault, "Game.ldb");
    simhost::HeroSheet hero;
    if (!simhost::heroSheet(db, hero, &error)) checkRefusal(error, "Game.ldb");
    simhost::GameDatabase again;
    if (!simhost::readDatabase(gamefile::encodeDatabase(db), "again.ldb", again, &error))
        fuzz::fail(("a database written from one that was read is refused: " + error).c_str());
    if (!sameDatabase(db, again)) fuzz::fail("a database written and read again differs");
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size); // exactly the input: a read past it is a report
    readAsMap(bytes);
    readAsDatabase(bytes);
}
