// Decoding a command list through a Cursor bounded by the list, so that a fault is caught at its
// byte and nothing past the list is read.
#include "simhost/event_commands.h"

#include "game_file_cursor.h"

namespace simhost {
namespace {

using commandCodes::kEndOfList;

std::string readText(Cursor &list) {
    const size_t start = list.offset();
    const uint32_t length = list.readUnsigned("a command's text length");
    if (length > list.left())
        list.fail(start, "a command's text is " + std::to_string(length) + " bytes long but " + list.scope() +
                             " has only " + std::to_string(list.left()) + " left");
    std::string text;
    for (uint32_t i = 0; i < length; ++i) text += static_cast<char>(list.byte());
    return text;
}

EventCommand readCommand(Cursor &list) {
    EventCommand command;
    command.offset = list.offset();
    command.code = list.readSigned("a command's code");
    command.indent = list.readSigned("a command's indent");
    command.text = readText(list);
    const uint32_t count = list.readCount("a command's parameter count", 1);
    for (uint32_t i = 0; i < count; ++i) command.parameters.push_back(list.readSigned("a parameter"));
    return command;
}

bool isEndCommand(const EventCommand &command) {
    return command.indent == 0 && command.text.empty() && command.parameters.empty();
}

std::vector<EventCommand> readCommands(Cursor &list) {
    std::vector<EventCommand> commands;
    if (list.left() == 0) return commands;
    while (true) {
        EventCommand command = readCommand(list);
        if (command.code != kEndOfList) {
            commands.push_back(std::move(command));
            continue;
        }
        if (!isEndCommand(command))
            list.fail(command.offset, "the end of the list (code 0) has an indent, a text or parameters");
        list.expectEnd("the end of the list (code 0)");
        return commands;
    }
}

} // namespace

bool readCommandList(const CommandListBytes &list, const std::string &fileName, const std::string &where,
                     std::vector<EventCommand> &commands, std::string *error) {
    try {
        if (list.declaredLength && *list.declaredLength != list.bytes.size())
            throw FileFault{0, "the list is said to be " + std::to_string(*list.declaredLength) +
                                   " bytes long but holds " + std::to_string(list.bytes.size())};
        Cursor cursor(list.bytes, "the list");
        commands = readCommands(cursor);
        for (EventCommand &command : commands) command.offset += list.fileOffset;
        return true;
    } catch (FileFault fault) {
        fault.offset += list.fileOffset;
        fault.problem = where + ": " + fault.problem;
        if (error != nullptr) *error = faultMessage(fileName, fault);
        return false;
    }
}

} // namespace simhost
