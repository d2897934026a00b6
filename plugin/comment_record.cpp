#include "comment_record.h"

#include <cstring>

#include "numeric/numeric.h"

namespace farview {

namespace {

std::string boundedText(const unsigned char *field, size_t size) {
    const void *end = std::memchr(field, 0, size);
    size_t length = end != nullptr ? static_cast<size_t>(static_cast<const unsigned char *>(end) - field) : size;
    return std::string(reinterpret_cast<const char *>(field), length);
}

template <typename T> T readAt(const unsigned char *bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

} // namespace

static_assert(sizeof(FvParsedComment) == 208 + 9 * 216, "the host's comment record has a fixed layout");

std::string ParsedComment::name() const { return boundedText(bytes_, kNameSize); }

int32_t ParsedComment::parameterCount() const { return readAt<int32_t>(bytes_ + kCountOffset); }

// Slots beyond the ninth are not part of the record: they read as slot 9's neighbours never do,
// as an empty number parameter.
const unsigned char *ParsedComment::parameter(int n) const {
    if (n < 1 || n > FV_COMMENT_PARAMETER_SLOTS) return nullptr;
    return bytes_ + kFirstParameterOffset + kParameterSize * static_cast<size_t>(n - 1);
}

int32_t ParsedComment::kind(int n) const {
    const unsigned char *slot = parameter(n);
    return slot != nullptr ? readAt<int32_t>(slot + kKindOffset) : 0;
}

double ParsedComment::number(int n) const {
    const unsigned char *slot = parameter(n);
    return slot != nullptr ? readAt<double>(slot + kNumberOffset) : 0.0;
}

int32_t ParsedComment::integer(int n) const { return truncateToInt32(number(n)); }

float ParsedComment::real(int n) const { return roundToFloat(number(n)); }

std::string ParsedComment::text(int n) const {
    const unsigned char *slot = parameter(n);
    return slot != nullptr ? boundedText(slot + kTextOffset, kTextSize) : std::string();
}

bool ParsedComment::boolean(int n) const {
    if (kind(n) == 0) return number(n) != 0.0;
    const std::string value = text(n);
    if (value.empty()) return false;
    const char first = value[0];
    return first == 'T' || first == 't' || first == 'Y' || first == 'y';
}

} // namespace farview
