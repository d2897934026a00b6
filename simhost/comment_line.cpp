#include "simhost/comment_line.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace simhost {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

size_t skipDigits(std::string_view text, size_t i) {
    while (i < text.size() && isDigit(text[i])) ++i;
    return i;
}

// Optional sign, digits with an optional point and fraction (at least one digit in all), optional
// exponent. Deliberately narrower than from_chars, which would also take "inf", "nan" and hex.
bool isDecimalNumber(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t integerEnd = skipDigits(text, i);
    size_t digits = integerEnd - i;
    i = integerEnd;
    if (i < text.size() && text[i] == '.') {
        size_t fractionEnd = skipDigits(text, i + 1);
        digits += fractionEnd - (i + 1);
        i = fractionEnd;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentEnd = skipDigits(text, i);
        if (exponentEnd == i) return false;
        i = exponentEnd;
    }
    return i == text.size();
}

// Whether a decimal number that from_chars found out of range is too large (rather than too close
// to zero): the power of ten of its first significant digit decides, as the double range spans
// about 1e-324 to 1e308. The exponent saturates so that a thousand-digit exponent cannot overflow.
bool beyondLargestDouble(std::string_view unsignedNumber) {
    size_t exponentAt = unsignedNumber.find_first_of("eE");
    std::string_view mantissa = unsignedNumber.substr(0, exponentAt);
    long long exponent = 0;
    if (exponentAt != std::string_view::npos) {
        std::string_view digits = unsignedNumber.substr(exponentAt + 1);
        bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
        for (char c : digits)
            if (exponent < 1000000000) exponent = exponent * 10 + (c - '0');
        if (negative) exponent = -exponent;
    }
    size_t point = mantissa.find('.');
    size_t integerLength = point == std::string_view::npos ? mantissa.size() : point;
    size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return false; // zero is never out of range, but be safe
    long long power = first < integerLength ? static_cast<long long>(integerLength - 1 - first)
                                            : -static_cast<long long>(first - integerLength);
    return power + exponent > 0;
}

// The value of a text that isDecimalNumber accepted, the same in every locale.
double decimalValue(std::string_view text) {
    bool negative = text.front() == '-';
    if (text.front() == '+' || text.front() == '-') text.remove_prefix(1); // from_chars takes no '+'
    double value = 0.0;
#ifdef __EMSCRIPTEN__
    // The browser page's C++ library reads no floating point with from_chars; its strtod reads the
    // same decimal numbers, correctly rounded, and no locale changes its decimal point.
    errno = 0;
    value = std::strtod(std::string(text).c_str(), nullptr);
    const bool outOfRange = errno == ERANGE && (value == 0.0 || std::isinf(value));
#else
    std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool outOfRange = read.ec == std::errc::result_out_of_range;
#endif
    if (outOfRange) value = beyondLargestDouble(text) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

// Reads a quoted text whose opening quote is at text[i]; i ends past the closing quote. Only \" and
// \\ are escapes, so a backslash before anything else (a Windows path) stays as written.
bool readQuoted(std::string_view text, size_t &i, std::string &value) {
    for (++i; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) ++i;
        value += text[i];
    }
    return false;
}

bool refuse(std::string *error, const std::string &what) {
    if (error != nullptr) *error = what;
    return false;
}

// Splits the text after the name into parameters; i walks from one comma to the next.
bool readParameters(std::string_view rest, std::vector<CommentArgument> &arguments, std::string *error) {
    if (trimBlanks(rest).empty()) return true;
    size_t i = 0;
    while (true) {
        while (i < rest.size() && isBlank(rest[i])) ++i;
        if (i < rest.size() && rest[i] == '"') {
            std::string value;
            if (!readQuoted(rest, i, value)) return refuse(error, "a text has no closing quote");
            while (i < rest.size() && isBlank(rest[i])) ++i;
            if (i < rest.size() && rest[i] != ',')
                return refuse(error, "parameter " + std::to_string(arguments.size() + 1) +
                                         " has more after its closing quote");
            arguments.push_back(text(value));
        } else {
            size_t comma = std::min(rest.find(',', i), rest.size());
            std::string_view raw = trimBlanks(rest.substr(i, comma - i));
            arguments.push_back(isDecimalNumber(raw) ? number(decimalValue(raw)) : text(std::string(raw)));
            i = comma;
        }
        if (i >= rest.size()) return true;
        ++i; // past the comma: a parameter follows, empty if nothing does
    }
}

} // namespace

bool isCommentLine(const std::string &text) {
    const size_t first = text.find_first_not_of(" \t");
    return first != std::string::npos && text[first] == '@';
}

bool parseCommentLine(const std::string &line, FvParsedComment &comment, std::string *error) {
    std::string_view text = line;
    size_t at = 0;
    while (at < text.size() && isBlank(text[at])) ++at;
    if (at == text.size() || text[at] != '@') return refuse(error, "a comment line must start with '@'");
    size_t nameEnd = at + 1;
    while (nameEnd < text.size() && !isBlank(text[nameEnd])) ++nameEnd;
    if (nameEnd == at + 1) return refuse(error, "the comment line has no name after '@'");
    std::vector<CommentArgument> arguments;
    if (!readParameters(text.substr(nameEnd), arguments, error)) return false;
    comment = makeComment(std::string(text.substr(at + 1, nameEnd - at - 1)), arguments);
    return true;
}

bool sendCommentLine(const PluginModule &module, const std::string &line, bool *returned, std::string *error) {
    FvParsedComment comment;
    if (!parseCommentLine(line, comment, error)) return false;
    if (module.onComment == nullptr) return refuse(error, "no plug-in module is loaded");
    bool result = module.onComment(line.c_str(), &comment);
    if (returned != nullptr) *returned = result;
    return true;
}

} // namespace simhost
