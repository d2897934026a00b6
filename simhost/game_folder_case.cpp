// Windows' upper-case mapping of file names, from the table that scripts/make-case-table wrote.
#include "game_folder_case.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace simhost {
namespace {

struct CasePair {
    uint16_t lower;
    uint16_t upper;
};

constexpr CasePair kCasePairs[] = {
#include "game_folder_case_table.inc"
};

uint16_t upperCase(uint16_t unit) {
    if (unit >= 'a' && unit <= 'z') return static_cast<uint16_t>(unit - 'a' + 'A');
    if (unit < 0x80) return unit;
    const CasePair *pair = std::lower_bound(std::begin(kCasePairs), std::end(kCasePairs), unit,
                                            [](const CasePair &p, uint16_t value) { return p.lower < value; });
    return pair != std::end(kCasePairs) && pair->lower == unit ? pair->upper : unit;
}

// The length of the UTF-8 character at text[at] and its code point, or 0 when the bytes there are
// no character (a stray continuation byte, a cut or over-long sequence, a surrogate).
size_t decode(const std::string &text, size_t at, uint32_t &codePoint) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
    codePoint = length == 1 ? lead : static_cast<uint32_t>(lead & (0x7Fu >> length));
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3Fu);
    }
    constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    return length;
}

void appendUtf8(std::string &out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

std::string windowsUpperCase(const std::string &utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        uint32_t codePoint = 0;
        const size_t length = decode(utf8, at, codePoint);
        if (length == 0 || codePoint > 0xFFFF) {
            const size_t kept = length == 0 ? 1 : length;
            out.append(utf8, at, kept);
            at += kept;
            continue;
        }
        appendUtf8(out, upperCase(static_cast<uint16_t>(codePoint)));
        at += length;
    }
    return out;
}

bool isUtf8(const std::string &text) {
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        const size_t length = decode(text, at, codePoint);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

} // namespace simhost
