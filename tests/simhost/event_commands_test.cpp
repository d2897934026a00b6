// An event page's command list as the stand-in host reads it: refused, with the file, the list's
// place and the byte of the fault, wherever it does not end exactly with the end command.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/event_commands.h"
#include "support/file_bytes.h"
#include "support/game_writer.h"

namespace {

using filebytes::Bytes;
using filebytes::concat;
using filebytes::integer;

struct BrokenList {
    const char *what;
    Bytes bytes;
    std::optional<uint32_t> declaredLength;
    size_t faultByte; // from the list's start
};

TEST(CommandList, AListThatDoesNotEndExactlyWithTheEndCommandIsRefusedWhereItBreaks) {
    const Bytes comment = concat({integer(12410), integer(0), integer(2), filebytes::text("@x"), integer(0)});
    const Bytes end = gamefile::encodeCommandList({});
    const std::vector<BrokenList> lists = {
        {"a byte after the end command", concat({comment, end, {0}}), std::nullopt, comment.size() + end.size()},
        {"no end command", comment, std::nullopt, comment.size()},
        {"an end command with an indent", concat({comment, integer(0), integer(1), integer(0), integer(0)}),
         std::nullopt, comment.size()},
        {"more parameters than bytes", concat({integer(12330), integer(0), integer(0), integer(3), integer(0)}),
         std::nullopt, 4},
        {"a text longer than the list", concat({integer(12410), integer(0), integer(9), filebytes::text("@x")}),
         std::nullopt, 3},
        {"another length before it", concat({comment, end}), 99, 0},
    };
    constexpr size_t kListOffset = 500;
    for (const BrokenList &list : lists) {
        std::vector<simhost::EventCommand> commands;
        std::string error;
        EXPECT_FALSE(simhost::readCommandList({list.bytes, kListOffset, list.declaredLength}, "Map0003.lmu",
                                              "event 5, page 2", commands, &error))
            << list.what;
        EXPECT_EQ(error.rfind("Cannot read \"Map0003.lmu\" at byte " + std::to_string(kListOffset + list.faultByte) +
                                  ": event 5, page 2: ",
                              0),
                  0u)
            << list.what << ": " << error;
    }
    std::vector<simhost::EventCommand> commands;
    ASSERT_TRUE(simhost::readCommandList({concat({comment, end}), 0, std::nullopt}, "Map0003.lmu", "event 5, page 2",
                                         commands, nullptr));
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].text, "@x");
}

} // namespace
