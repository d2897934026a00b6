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

constexpr uint8_t kLowerLayerSection = 0x47;
constexpr uint8_t kUpperLayerSection = 0x48;

// The whole file: a length-prefixed signature text and header sections free of the byte 0x47,
// section 0x47 with its length and the lower ids, section 0x48 with its length and the upper ids,
// then trailing sections. Ids are little-endian. Layers shorter than width * height are filled
// with 0; a negative size counts as 0.
std::vector<uint8_t> encodeMapFile(const MapLayers &layers);
bool writeMapFile(const std::string &path, const MapLayers &layers, std::string *error);

// A section length: big-endian groups of 7 bits, the high bit set on every group but the last,
// in at least minimumGroups groups (leading groups of 0 where the value needs fewer).
std::vector<uint8_t> encodeLength(uint32_t value, int minimumGroups = 1);

// The groups a layer's length takes in the host's files: 2 up to 8191 cells, 3 from 8192 on;
// more only for maps above 1048575 cells, whose byte count needs them.
int layerLengthGroups(int64_t cells);

// "Map" + the id with at least four digits + ".lmu".
std::string mapFileName(int32_t mapId);

} // namespace mapfile
