// A game file's bytes built by hand, for the tests of what its readers accept and refuse.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/game_writer.h"

namespace filebytes {

using Bytes = std::vector<uint8_t>;

inline Bytes integer(int32_t value) { return gamefile::encodeInteger(value); }

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes text(const std::string &characters) { return Bytes(characters.begin(), characters.end()); }

// An id, the data's length, the data.
inline Bytes section(uint32_t id, const Bytes &data) {
    return concat({integer(static_cast<int32_t>(id)), integer(static_cast<int32_t>(data.size())), data});
}

} // namespace filebytes
