// Reading the host's parsed comment line in place, through the fields of its record, never past
// them, by the rules the plug-in's commands read parameters with (command_table.h). Header only and
// without state: the tools follow and check what the plug-in does by the same rules.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "host/farview_host.h"
#include "numeric/numeric.h"

namespace farview {

// The record of one comment line: a command name, a parameter count and nine parameter slots.
class ParsedComment {
public:
    explicit ParsedComment(const FvParsedComment &record) : record_(record) {}

    // The name up to its zero byte, or the whole field when it has none; read in place.
    std::string_view name() const { return bounded(record_.name, sizeof record_.name); }
    int32_t parameterCount() const { return record_.parameterCount; }

    // Parameters are numbered from 1 to 9; each is read by the rule its command uses, whatever
    // its kind. A number outside 1 to 9 reads as an empty number parameter.
    bool isText(int n) const { return parameter(n).kind != 0; }
    int32_t integer(int n) const { return truncateToInt32(number(n)); } // the number truncated toward zero
    float real(int n) const { return roundToFloat(number(n)); }         // rounded to single precision
    double number(int n) const { return parameter(n).number; }          // the number as it is
    // The text up to its zero byte, at most the field.
    std::string text(int n) const { return std::string(bounded(parameter(n).text, sizeof parameter(n).text)); }
    // A text beginning T, t, Y or y; a number other than 0.
    bool boolean(int n) const {
        const FvCommentParameter &slot = parameter(n);
        if (slot.kind == 0) return slot.number != 0.0;
        return std::strchr("TtYy", slot.text[0]) != nullptr && slot.text[0] != '\0';
    }

private:
    static std::string_view bounded(const char *field, size_t size) {
        const void *end = std::memchr(field, 0, size);
        return std::string_view(field, end != nullptr ? static_cast<size_t>(static_cast<const char *>(end) - field)
                                                      : size);
    }

    const FvCommentParameter &parameter(int n) const {
        static const FvCommentParameter kEmpty{};
        return n >= 1 && n <= FV_COMMENT_PARAMETER_SLOTS ? record_.parameters[n - 1] : kEmpty;
    }

    const FvParsedComment &record_;
};

} // namespace farview
