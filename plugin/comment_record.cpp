#include "comment_record.h"

#include <cstring>

#include "numeric/numeric.h"

namespace farview {

namespace {

std::string_view boundedText(const char *field, size_t size) {
    const void *end = std::memchr(field, 0, size);
    const size_t length = end != nullptr ? static_cast<size_t>(static_cast<const char *>(end) - field) : size;
    return std::string_view(field, length);
}

const FvCommentParameter kEmptyParameter{};

} // namespace

std::string_view ParsedComment::name() const { return boundedText(record_.name, sizeof record_.name); }

const FvCommentParameter &ParsedComment::parameter(int n) const {
    if (n < 1 || n > FV_COMMENT_PARAMETER_SLOTS) return kEmptyParameter;
    return record_.parameters[n - 1];
}

double ParsedComment::number(int n) const { return parameter(n).number; }

int32_t ParsedComment::integer(int n) const { return truncateToInt32(number(n)); }

float ParsedComment::real(int n) const { return roundToFloat(number(n)); }

std::string ParsedComment::text(int n) const {
    const FvCommentParameter &slot = parameter(n);
    return std::string(boundedText(slot.text, sizeof slot.text));
}

bool ParsedComment::boolean(int n) const {
    const FvCommentParameter &slot = parameter(n);
    if (slot.kind == 0) return slot.number != 0.0;
    const char first = slot.text[0];
    return first == 'T' || first == 't' || first == 'Y' || first == 'y';
}

} // namespace farview
