// The commands of an event's list, as the stand-in host reads them. Of all the commands a game's
// events hold, the host acts on two: comments (whose first line may be a Farview comment line)
// and calls of common events; it passes every other over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/game_data.h"

namespace simhost {

namespace commandCodes {
constexpr int32_t kEndOfList = 0;       // ends every list, and stands nowhere else
constexpr int32_t kComment = 12410;     // a comment's first line
constexpr int32_t kCommentMore = 22410; // each further line of the comment before it
constexpr int32_t kCallEvent = 12330;   // parameters: 0 for a common event, then its id, then one more
} // namespace commandCodes

// What the first parameter of a call says it calls.
constexpr int32_t kCallsCommonEvent = 0;

struct EventCommand {
    int32_t code = 0;
    int32_t indent = 0; // how deep inside branches and other blocks of the list it stands
    std::string text;   // in the game's code page
    std::vector<int32_t> parameters;
    size_t offset = 0; // of its first byte in the file
};

// A list is commands back to back, each its code, indent, text (a length, then the bytes), a
// parameter count and that many integers, all encoded as the files' other integers. It ends with
// the end command (code 0, indent 0, no text, no parameters) exactly at the list's end; an empty
// list holds no commands. The section before the list, where present, gives its length, which
// must agree. A list that breaks these rules is refused: false, with "Cannot read "FILE" at byte
// N: WHERE: what was wrong" in *error (where: "event 5, page 1", say). The end command is not
// kept.
bool readCommandList(const CommandListBytes &list, const std::string &fileName, const std::string &where,
                     std::vector<EventCommand> &commands, std::string *error);

} // namespace simhost
