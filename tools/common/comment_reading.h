// A comment line's parsed record read as the plug-in reads it (plugin/command_table.h): integers
// truncated toward zero, reals rounded to single precision, yes/no from a text's first letter or a
// number's being other than 0. The plug-in keeps its state to itself; the tools follow and check
// what it does from the lines they hand it.
#pragma once

#include <cstdint>
#include <string>

#include "host/farview_host.h"

namespace tools {

class CommentReading {
public:
    explicit CommentReading(const FvParsedComment &comment) : comment_(comment) {}

    std::string name() const;
    int32_t count() const { return comment_.parameterCount; }
    // Slots are numbered from 1 to 9; others read as an empty number.
    bool isText(int n) const;
    double number(int n) const;
    int32_t integer(int n) const;
    float real(int n) const;
    std::string text(int n) const;
    bool yesNo(int n) const;

private:
    const FvCommentParameter *slot(int n) const;

    const FvParsedComment &comment_;
};

} // namespace tools
