#include <utility>

#include "host/host.h"
#include "mapdata/map_loading.h"

namespace farview {

// The system's own wording, spelling included.
const char *const kTilesetSlotMessage = "There was an error with retrieving the graphics from this slot.\n"
                                        "Please rename the tilset, or use a different tileset index";

namespace {
// The name area of the tileset record. The marker stands at the first multiple of four beyond
// the first string and its terminating zero.
constexpr int32_t kCheckByteOffset = 660;
constexpr uint8_t kLargestUsableCheckByte = 100;
constexpr int32_t kFirstLengthOffset = 664;
constexpr int32_t kFirstTextOffset = 668;
constexpr int32_t kMarkerOffset = 672;
constexpr int32_t kSecondLengthOffset = 680;
constexpr int32_t kSecondTextOffset = 684;
constexpr uint8_t kSingleStringMarkers[] = {150, 38};

bool marksSingleString(uint8_t marker) {
    for (uint8_t single : kSingleStringMarkers)
        if (marker == single) return true;
    return false;
}
} // namespace

void resolveTilesetNames(MapRecord &record) {
    const TilesetRecordView tileset = currentTilesetRecord();
    // A host that offers no record has no map open: nothing to resolve, and the builder refuses.
    if (tileset.size <= kCheckByteOffset) return;
    if (tileset.byteAt(kCheckByteOffset) > kLargestUsableCheckByte) {
        showMessage(kTilesetSlotMessage);
        return;
    }
    const int32_t firstLength = tileset.byteAt(kFirstLengthOffset);
    const std::string first = tileset.textAt(kFirstTextOffset, firstLength);
    const int32_t k = 4 * (firstLength / 4);
    // Both names are made before either is stored: they change together or not at all.
    std::string fileName, name;
    if (marksSingleString(tileset.byteAt(kMarkerOffset + k))) {
        fileName = first + ".png";
        name = "unknown";
    } else {
        const int32_t secondLength = tileset.byteAt(kSecondLengthOffset + k);
        fileName = tileset.textAt(kSecondTextOffset + k, secondLength) + ".png";
        name = first;
    }
    record.tilesetFileName = std::move(fileName);
    record.tilesetName = std::move(name);
}

void loadTilesetGraphic(MapRecord &record) {
    if (record.tilesetImage == nullptr) record.tilesetImage = host().createImage();
    FvHostImage *image = record.tilesetImage;
    if (image == nullptr) return;
    host().setImageSize(image, kTilesetWidth, kTilesetHeight);
    image->option = 1;
    loadImageFile(*image, "ChipSet/" + record.tilesetFileName);
}

} // namespace farview
