// A small game folder written into the current directory, for tests that load maps and sprites.
#pragma once

#include <cstdint>
#include <string>

#include "host/farview_host.h"

namespace farview_test {

// Writes "ChipSet/tiles.png" (480 x 256: index 1 everywhere, upper tile 10000 of index 2, the rest
// of the upper area transparent) and the map file of map mapId, width x height tiles of plain
// lower tile 5000 and upper tile 10001 (empty); then opens that map in the stand-in host with its
// tileset record, the hero on map mapId. Returns false with a test failure when a file cannot be
// written.
bool writeSmallGame(int32_t mapId, int32_t width, int32_t height);

// Writes a paletted PNG of width x height pixels all of one palette index (colour index -> rgb).
bool writeOneColourImage(const std::string &path, int32_t width, int32_t height, uint8_t index, uint32_t rgb);

// A host image held by the test (destroyed by the stand-in host's reset): one colour throughout.
FvHostImage *makeOneColourImage(int32_t width, int32_t height, uint8_t index, uint32_t rgb);

} // namespace farview_test
