// The tileset name resolution: the input is the host's tileset record, any length. The names the
// plug-in resolves are checked against the name area read byte by byte from the input, bytes
// past its end counting as 0, the plug-in's stated treatment of a short record.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_main.h"
#include "host/host.h"
#include "mapdata/map_loading.h"
#include "simhost/simhost.h"

namespace {

struct NameArea {
    const uint8_t *data;
    size_t size;

    uint8_t byteAt(size_t offset) const { return offset < size ? data[offset] : 0; }
    std::string textAt(size_t offset, size_t length) const {
        std::string text;
        for (size_t i = 0; i < length; ++i) text.push_back(static_cast<char>(byteAt(offset + i)));
        return text;
    }
};

struct Names {
    std::string fileName;
    std::string tilesetName;
};

// The names a record resolves to; the previous names when it is too short to hold its check byte
// or the check byte refuses it.
Names expectedNames(const NameArea &area, size_t size, const Names &previous) {
    if (size <= 660 || area.byteAt(660) > 100) return previous;
    const size_t firstLength = area.byteAt(664);
    const std::string first = area.textAt(668, firstLength);
    const size_t k = 4 * (firstLength / 4);
    const uint8_t marker = area.byteAt(672 + k);
    if (marker == 150 || marker == 38) return {first + ".png", "unknown"};
    return {area.textAt(684 + k, area.byteAt(680 + k)) + ".png", first};
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    static const bool bound = (farview::bindHost(&simhost::hostInterface()), true);
    (void)bound;
    simhost::clearMessages();
    // The host's block holds exactly the input, so a read past it is a sanitizer report.
    simhost::setTilesetRecord(std::vector<uint8_t>(data, data + size));

    farview::MapRecord record;
    record.tilesetName = "earlier";
    farview::resolveTilesetNames(record);

    const Names expected = expectedNames({data, size}, size, {"0", "earlier"});
    if (record.tilesetFileName != expected.fileName) fuzz::fail("tilesetFileName differs from the record's name area");
    if (record.tilesetName != expected.tilesetName) fuzz::fail("tilesetName differs from the record's name area");
    const bool refused = size > 660 && expected.fileName == "0";
    if (simhost::messages().size() != (refused ? 1u : 0u)) fuzz::fail("the slot message was shown wrongly");
    simhost::setTilesetRecord({});
    simhost::clearMessages();
}
