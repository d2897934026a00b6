// Writes map files in the host engine's layout, for tests and tools. Not part of the plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mapfile {

struct MapLayers {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint16_t> lower; // width * height ids, row by row
    std::vector<uint16_t> upper;
};

// The whole file: a length-prefixed signature text and header sections free of the byte 0x47,
// section 0x47 with its length and the lower ids, section 0x48 with its length and the upper ids,
// then trailing sections.
std::vector<uint8_t> encodeMapFile(const MapLayers &layers);
bool writeMapFile(const std::string &path, const MapLayers &layers, std::string *error);

// "Map" + the id with at least four digits + ".lmu".
std::string mapFileName(int32_t mapId);

} // namespace mapfile
