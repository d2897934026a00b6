#include "support/map_tree_writer.h"

#include <fstream>

#include "support/game_writer.h"
#include "support/mapfile_writer.h"

namespace gamefile {

namespace {

using Bytes = std::vector<uint8_t>;

const char kSignature[] = "FarviewMapTree";
constexpr uint32_t kParentSection = 0x02;

void append(Bytes &out, const Bytes &bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

void appendEntry(Bytes &out, int32_t id, const std::string &name) {
    append(out, encodeInteger(id));
    if (!name.empty()) {
        append(out, encodeInteger(static_cast<int32_t>(simhost::sections::kMapTreeName)));
        append(out, mapfile::encodeLength(static_cast<uint32_t>(name.size())));
        out.insert(out.end(), name.begin(), name.end());
    }
    append(out, encodeInteger(static_cast<int32_t>(kParentSection)));
    append(out, Bytes{1, 0});
    out.push_back(0);
}

} // namespace

Bytes encodeMapTree(const simhost::MapTree &tree) {
    Bytes out = encodeInteger(static_cast<int32_t>(sizeof kSignature - 1));
    out.insert(out.end(), kSignature, kSignature + sizeof kSignature - 1);
    append(out, encodeInteger(static_cast<int32_t>(tree.maps.size() + 1)));
    appendEntry(out, 0, tree.title);
    for (const simhost::MapTreeEntry &map : tree.maps) appendEntry(out, map.id, map.name);
    append(out, encodeInteger(static_cast<int32_t>(tree.maps.size() + 1)));
    append(out, encodeInteger(0));
    for (const simhost::MapTreeEntry &map : tree.maps) append(out, encodeInteger(map.id));
    return out;
}

bool writeMapTree(const std::filesystem::path &path, const simhost::MapTree &tree, std::string *error) {
    const Bytes bytes = encodeMapTree(tree);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file) return true;
    if (error != nullptr) *error = "Cannot write \"" + path.string() + "\"";
    return false;
}

} // namespace gamefile
