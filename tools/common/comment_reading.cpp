#include "tools/common/comment_reading.h"

#include <cstring>

#include "numeric/numeric.h"

namespace tools {

namespace {
std::string bounded(const char *text, size_t size) { return std::string(text, strnlen(text, size)); }
} // namespace

const FvCommentParameter *CommentReading::slot(int n) const {
    return n >= 1 && n <= FV_COMMENT_PARAMETER_SLOTS ? &comment_.parameters[n - 1] : nullptr;
}

std::string CommentReading::name() const { return bounded(comment_.name, sizeof comment_.name); }

bool CommentReading::isText(int n) const { return slot(n) != nullptr && slot(n)->kind != 0; }

double CommentReading::number(int n) const { return slot(n) ? slot(n)->number : 0.0; }

int32_t CommentReading::integer(int n) const { return farview::truncateToInt32(number(n)); }

float CommentReading::real(int n) const { return farview::roundToFloat(number(n)); }

std::string CommentReading::text(int n) const {
    return slot(n) ? bounded(slot(n)->text, sizeof slot(n)->text) : std::string();
}

bool CommentReading::yesNo(int n) const {
    if (!isText(n)) return number(n) != 0.0;
    const std::string value = text(n);
    return !value.empty() && std::strchr("TtYy", value[0]) != nullptr;
}

} // namespace tools
