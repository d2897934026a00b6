#include "host/host.h"
#include "mapdata/map_loading.h"

namespace farview {

uint8_t TilesetRecordView::byteAt(int32_t offset) const {
    if (bytes == nullptr || offset < 0 || offset >= size) return 0;
    return bytes[offset];
}

uint16_t TilesetRecordView::wordAt(int32_t offset) const {
    if (offset < 0 || offset > INT32_MAX - 1) return 0;
    return static_cast<uint16_t>(byteAt(offset) | byteAt(offset + 1) << 8);
}

std::string TilesetRecordView::textAt(int32_t offset, int32_t length) const {
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    for (int32_t i = 0; i < length; ++i) {
        const int64_t position = int64_t{offset} + i;
        if (position > INT32_MAX) break;
        text[static_cast<size_t>(i)] = static_cast<char>(byteAt(static_cast<int32_t>(position)));
    }
    return text;
}

TilesetRecordView currentTilesetRecord() {
    const FvHostMapView *mapView = hostMapView();
    if (mapView == nullptr || mapView->tilesetRecord == nullptr || mapView->tilesetRecordSize < 0) return {};
    return {mapView->tilesetRecord, mapView->tilesetRecordSize};
}

} // namespace farview
