// The stand-in host's command-list reader: the input is an event page's list, as a map file holds
// it. A list it accepts reads back the same after the game writer has written its commands; a
// list it refuses is named by its file, its place and the byte of the fault, which lies within
// the list.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_main.h"
#include "simhost/event_commands.h"
#include "support/game_writer.h"

namespace {

// Where the list begins in its file, so that offsets in messages are the file's, not the list's.
constexpr size_t kListOffset = 1000;

bool sameCommands(const std::vector<simhost::EventCommand> &a, const std::vector<simhost::EventCommand> &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].code != b[i].code || a[i].indent != b[i].indent || a[i].text != b[i].text ||
            a[i].parameters != b[i].parameters)
            return false;
    return true;
}

// The byte a refusal names: "... at byte N: ...".
size_t faultByte(const std::string &error) {
    const size_t at = error.find("at byte ");
    if (at == std::string::npos) fuzz::fail("a refusal does not name the byte");
    return std::stoul(error.substr(at + 8));
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    simhost::CommandListBytes list;
    list.bytes.assign(data, data + size);
    list.fileOffset = kListOffset;
    std::vector<simhost::EventCommand> commands;
    std::string error;
    if (!simhost::readCommandList(list, "Map0001.lmu", "event 5, page 1", commands, &error)) {
        if (error.find("\"Map0001.lmu\"") == std::string::npos || error.find("event 5, page 1: ") == std::string::npos)
            fuzz::fail("a refusal does not name the file and the list");
        const size_t byte = faultByte(error);
        if (byte < kListOffset || byte > kListOffset + size) fuzz::fail("a refusal names a byte outside the list");
        return;
    }
    for (const simhost::EventCommand &command : commands)
        if (command.offset < kListOffset || command.offset >= kListOffset + size)
            fuzz::fail("a command's offset lies outside the list");
    std::vector<simhost::EventCommand> again;
    if (!simhost::readCommandList(gamefile::commandList(commands), "again.lmu", "again", again, &error))
        fuzz::fail(("a list written from one that was read is refused: " + error).c_str());
    if (!sameCommands(commands, again)) fuzz::fail("a list written and read again differs");
}
