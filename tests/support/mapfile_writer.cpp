#include "support/mapfile_writer.h"

#include <cstdio>
#include <fstream>

namespace mapfile {

namespace {
const char kSignature[] = "FarviewMapUnit"; // no byte 0x47: the reader scans for the first one

// Header sections the reader passes over: (identifier, value) pairs of one-group values, none 0x47.
constexpr uint8_t kHeaderSections[][2] = {{0x01, 0x01}, {0x0B, 0x00}, {0x1F, 0x00}, {0x20, 0x01}};
// After the layers: an empty event section and the end-of-sections byte.
constexpr uint8_t kTrailingSections[] = {0x51, 0x01, 0x00, 0x5B, 0x01, 0x00, 0x00};

void appendBytes(std::vector<uint8_t> &out, const std::vector<uint8_t> &bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void appendLayer(std::vector<uint8_t> &out, uint8_t section, const std::vector<uint16_t> &ids, size_t cells) {
    out.push_back(section);
    appendBytes(out, encodeLength(static_cast<uint32_t>(2 * cells), layerLengthGroups(static_cast<int64_t>(cells))));
    for (size_t i = 0; i < cells; ++i) {
        const uint16_t id = i < ids.size() ? ids[i] : 0;
        out.push_back(static_cast<uint8_t>(id & 0xFF));
        out.push_back(static_cast<uint8_t>(id >> 8));
    }
}
} // namespace

std::vector<uint8_t> encodeLength(uint32_t value, int minimumGroups) {
    std::vector<uint8_t> groups;
    do {
        groups.insert(groups.begin(), static_cast<uint8_t>(value & 0x7F));
        value >>= 7;
    } while (value != 0);
    while (static_cast<int>(groups.size()) < minimumGroups) groups.insert(groups.begin(), 0);
    for (size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
    return groups;
}

int layerLengthGroups(int64_t cells) {
    if (cells <= 8191) return 2;
    int groups = 3;
    for (int64_t bytes = 2 * cells; bytes >> (7 * groups) != 0;) ++groups;
    return groups;
}

std::vector<uint8_t> encodeMapFile(const MapLayers &layers) {
    const size_t width = layers.width > 0 ? static_cast<size_t>(layers.width) : 0;
    const size_t height = layers.height > 0 ? static_cast<size_t>(layers.height) : 0;
    const size_t cells = width * height;

    std::vector<uint8_t> out;
    out.reserve(4 * cells + 64);
    out.push_back(static_cast<uint8_t>(sizeof kSignature - 1));
    out.insert(out.end(), kSignature, kSignature + sizeof kSignature - 1);
    for (const auto &section : kHeaderSections) {
        out.push_back(section[0]);
        out.push_back(1);
        out.push_back(section[1]);
    }
    appendLayer(out, kLowerLayerSection, layers.lower, cells);
    appendLayer(out, kUpperLayerSection, layers.upper, cells);
    out.insert(out.end(), std::begin(kTrailingSections), std::end(kTrailingSections));
    return out;
}

bool writeMapFile(const std::string &path, const MapLayers &layers, std::string *error) {
    const std::vector<uint8_t> bytes = encodeMapFile(layers);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file) file.close();
    if (!file) {
        if (error != nullptr) *error = "cannot write the map file " + path;
        return false;
    }
    return true;
}

std::string mapFileName(int32_t mapId) {
    char name[32];
    std::snprintf(name, sizeof name, "Map%04d.lmu", static_cast<int>(mapId));
    return name;
}

} // namespace mapfile
