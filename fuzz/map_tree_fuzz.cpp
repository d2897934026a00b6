// The map tree's reader: the input is read as a game's map tree. A tree the reader accepts must read
// back the same after the map tree's writer has written what was read.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_main.h"
#include "simhost/map_tree.h"
#include "support/map_tree_writer.h"

namespace {

bool sameTree(const simhost::MapTree &a, const simhost::MapTree &b) {
    if (a.title != b.title || a.maps.size() != b.maps.size()) return false;
    for (size_t i = 0; i < a.maps.size(); ++i)
        if (a.maps[i].id != b.maps[i].id || a.maps[i].name != b.maps[i].name) return false;
    return true;
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    simhost::MapTree tree;
    std::string error;
    if (!simhost::readMapTree(bytes, "fuzz.lmt", tree, &error)) {
        if (error.rfind("Cannot read \"fuzz.lmt\" at byte ", 0) != 0) fuzz::fail("a refusal without the file and byte");
        return;
    }
    simhost::MapTree again;
    if (!simhost::readMapTree(gamefile::encodeMapTree(tree), "again.lmt", again, &error) || !sameTree(tree, again))
        fuzz::fail("a tree read back differently after it was written");
}
