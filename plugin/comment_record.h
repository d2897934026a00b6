// Reading the host's parsed comment line in place, through the fields of its record, never past
// them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/farview_host.h"

namespace farview {

// The record of one comment line: a command name, a parameter count and nine parameter slots.
class ParsedComment {
public:
    explicit ParsedComment(const FvParsedComment &record) : record_(record) {}

    // The name up to its zero byte, or the whole field when it has none; read in place.
    std::string_view name() const;
    int32_t parameterCount() const { return record_.parameterCount; }

    // Parameters are numbered from 1 to 9; each is read by the rule its command uses, whatever
    // its kind. A number outside 1 to 9 reads as an empty number parameter.
    int32_t integer(int n) const;  // the number truncated toward zero
    float real(int n) const;       // the number rounded to single precision
    double number(int n) const;    // the number as it is
    std::string text(int n) const; // the text up to its zero byte, at most the field
    bool boolean(int n) const;     // a text beginning T, t, Y or y; a number other than 0

private:
    const FvCommentParameter &parameter(int n) const;

    const FvParsedComment &record_;
};

} // namespace farview
