// Reading the game's binary files: every read goes through a Cursor bounded by its section, so a
// fault anywhere (a truncated file, a length or count too large, an over-long integer) is caught at
// the byte where it lies and nothing past the end is touched. Private to simhost.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace simhost {

// Five groups of 7 bits hold 35 bits; values are 32-bit.
constexpr int kMostIntegerGroups = 5;

struct FileFault {
    size_t offset;
    std::string problem;
};

// "Cannot read "Map0001.lmu" at byte 27: what was wrong".
inline std::string faultMessage(const std::string &fileName, const FileFault &fault) {
    return "Cannot read \"" + fileName + "\" at byte " + std::to_string(fault.offset) + ": " + fault.problem;
}

// A whole record read by reader from the bytes of fileName: false with faultMessage in *error where
// the reader met a fault.
template <typename Record, typename Reader>
inline bool readWhole(const std::vector<uint8_t> &bytes, const std::string &fileName, Record &record, std::string *error,
               Reader reader) {
    try {
        record = reader(bytes);
        return true;
    } catch (const FileFault &fault) {
        if (error != nullptr) *error = faultMessage(fileName, fault);
        return false;
    }
}


struct CommandBytesView {
    std::vector<uint8_t> bytes;
    size_t fileOffset = 0;
};

inline std::string hex(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(id));
    return text;
}

// A window on the file's bytes. Offsets are from the start of the file, so that every fault can
// name the byte where it lies.
class Cursor {
public:
    Cursor() = default;
    explicit Cursor(const std::vector<uint8_t> &bytes, std::string scope = "the file")
        : data_(bytes.data()), end_(bytes.size()), scope_(std::move(scope)) {}

    size_t offset() const { return position_; }
    size_t left() const { return end_ - position_; }

    [[noreturn]] void fail(size_t offset, const std::string &problem) const { throw FileFault{offset, problem}; }

    uint32_t readUnsigned(const std::string &what) {
        const size_t start = position_;
        uint64_t value = 0;
        for (int groups = 1;; ++groups) {
            if (position_ == end_)
                fail(start, scope_ + (position_ == start ? " ends before " : " ends inside ") + what);
            const uint8_t byte = data_[position_++];
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) break;
            if (groups == kMostIntegerGroups)
                fail(start, what + " runs past " + std::to_string(kMostIntegerGroups) + " groups");
        }
        if (value > UINT32_MAX) fail(start, what + " is larger than 32 bits");
        return static_cast<uint32_t>(value);
    }

    // Values past 2^31 - 1 are negative numbers in 32-bit two's complement.
    int32_t readSigned(const std::string &what) {
        const uint32_t bits = readUnsigned(what);
        return bits <= INT32_MAX ? static_cast<int32_t>(bits) : -static_cast<int32_t>(~bits) - 1;
    }

    // The next length bytes as a cursor of their own; the length was checked against left().
    Cursor take(size_t length, std::string scope) {
        Cursor part = *this;
        part.end_ = position_ + length;
        part.scope_ = std::move(scope);
        position_ += length;
        return part;
    }

    std::string rest() {
        std::string text(reinterpret_cast<const char *>(data_ + position_), left());
        position_ = end_;
        return text;
    }

    // The rest of the window as raw bytes, with where they begin in the file.
    CommandBytesView restBytes() {
        CommandBytesView view{std::vector<uint8_t>(data_ + position_, data_ + end_), position_};
        position_ = end_;
        return view;
    }

    uint8_t byte() { return data_[position_++]; } // the caller checked left()

    void expectEnd(const std::string &what) const {
        if (left() != 0) fail(position_, std::to_string(left()) + " bytes follow " + what + " in " + scope_);
    }

    // A count of entries that each take at least entrySize bytes: a larger count than the bytes
    // left can hold is refused where it stands, not at whichever entry runs out.
    uint32_t readCount(const std::string &what, size_t entrySize) {
        const size_t start = position_;
        const uint32_t count = readUnsigned(what);
        if (count > left() / entrySize)
            fail(start, what + " " + std::to_string(count) + " is larger than the " + std::to_string(left()) +
                            " bytes left in " + scope_ + " can hold");
        return count;
    }

    const std::string &scope() const { return scope_; }

    // Passes over a text its length comes before, such as a file's signature: what names it.
    void skipLengthPrefixed(const std::string &what) {
        const size_t start = position_;
        const uint32_t length = readUnsigned("the " + what + "'s length");
        if (length > left())
            fail(start, "the " + what + " is " + std::to_string(length) + " bytes long but " + scope_ + " has only " +
                            std::to_string(left()) + " left");
        position_ += length;
    }

private:
    const uint8_t *data_ = nullptr;
    size_t position_ = 0;
    size_t end_ = 0;
    std::string scope_;
};

struct Section {
    uint32_t id = 0;
    size_t offset = 0;
    Cursor data;
};

// The next section of a list, or false at the list's end mark (an id 0). Either way
// section.offset is where it begins.
inline bool nextSection(Cursor &list, Section &section) {
    const size_t start = list.offset();
    section.offset = start;
    const uint32_t id = list.readUnsigned("a section id");
    if (id == 0) return false;
    const uint32_t length = list.readUnsigned("the length of section " + hex(id));
    if (length > list.left())
        list.fail(start, "section " + hex(id) + " is " + std::to_string(length) + " bytes long but " + list.scope() +
                             " has only " + std::to_string(list.left()) + " left");
    section.id = id;
    section.data = list.take(length, "section " + hex(id));
    return true;
}

} // namespace simhost
