// Writes a game's map tree (the *.lmt file beside the database) in the layout the stand-in host
// reads, for tests and the page's test games.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simhost/map_tree.h"

namespace gamefile {

// The signature "FarviewMapTree", the number of entries, entry 0 named with the title, then each
// map as an entry with its name (left out when empty) and its parent (0), and after the entries the
// order the editor shows them in (their count and ids), as real trees have more after the entries.
std::vector<uint8_t> encodeMapTree(const simhost::MapTree &tree);

// Encode and write; false with a message naming the file.
bool writeMapTree(const std::filesystem::path &path, const simhost::MapTree &tree, std::string *error);

} // namespace gamefile
