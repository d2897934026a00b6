#include "mapdata/map_record.h"

#include "host/host.h"

namespace farview {

namespace {
void destroyOwnedImage(FvHostImage *&image) {
    if (image != nullptr) host().destroyImage(image);
    image = nullptr;
}
} // namespace

MapRecord::~MapRecord() {
    destroyOwnedImage(tilesetImage);
    destroyOwnedImage(mapTexture);
}

void resetMapRecord(MapRecord &record) {
    record.width = 0;
    record.height = 0;
    record.pixelWidth = 0;
    record.pixelHeight = 0;
    record.tilesetFileName = "0";
    destroyOwnedImage(record.tilesetImage);
    destroyOwnedImage(record.mapTexture);
}

} // namespace farview
