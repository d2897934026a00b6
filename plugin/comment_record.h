// Reading the host's parsed comment line in place, at its fixed byte offsets, never past them.
#pragma once

#include <cstdint>
#include <string>

#include "host/farview_host.h"

namespace farview {

// The record as bytes: a command name, a parameter count and nine parameter slots.
class ParsedComment {
public:
    explicit ParsedComment(const FvParsedComment &record) : bytes_(reinterpret_cast<const unsigned char *>(&record)) {}

    // The name up to its zero byte, or the whole field when it has none.
    std::string name() const;
    int32_t parameterCount() const;

    // Parameters are numbered from 1 to 9; each is read by the rule its command uses, whatever
    // its kind.
    int32_t integer(int n) const;  // the number truncated toward zero
    float real(int n) const;       // the number rounded to single precision
    double number(int n) const;    // the number as it is
    std::string text(int n) const; // the text up to its zero byte, at most the field
    bool boolean(int n) const;     // a text beginning T, t, Y or y; a number other than 0

private:
    static constexpr size_t kNameSize = 200;
    static constexpr size_t kCountOffset = 200;
    static constexpr size_t kFirstParameterOffset = 208;
    static constexpr size_t kParameterSize = 216;
    static constexpr size_t kKindOffset = 0;
    static constexpr size_t kNumberOffset = 8;
    static constexpr size_t kTextOffset = 16;
    static constexpr size_t kTextSize = 200;

    const unsigned char *parameter(int n) const;
    int32_t kind(int n) const;

    const unsigned char *bytes_;
};

} // namespace farview
