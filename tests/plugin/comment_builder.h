// Comment records laid out byte by byte as a host hands them over, a small map opened in the
// stand-in host, and a fixture that gives every test the module-level state of a freshly loaded
// plug-in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/commands.h"
#include "plugin/module_state.h"
#include "support/host_fixture.h"
#include "support/mapfile_writer.h"

namespace farview_test {

// ---- The parsed comment record --------------------------------------------------------------------

constexpr size_t kCommentRecordSize = 2152;
constexpr size_t kCommentNameSize = 200;
constexpr size_t kParameterCountOffset = 200;
constexpr size_t kFirstParameterOffset = 208;
constexpr size_t kParameterSize = 216;
constexpr size_t kParameterNumberOffset = 8;
constexpr size_t kParameterTextOffset = 16;
constexpr size_t kParameterTextSize = 200;
constexpr int kParameterSlots = 9;
constexpr int32_t kNumberKind = 0;
constexpr int32_t kTextKind = 1;

// A record in a heap block of exactly the record's size, so that a read past its end is caught by
// the address sanitizer. Every byte starts at 0; parameters are appended from slot 1 on and counted.
class CommentRecord {
public:
    explicit CommentRecord(const std::string &name) : bytes_(kCommentRecordSize, 0) { setName(name); }

    // Any bytes, cut at the field's size; no zero byte is added.
    CommentRecord &setName(const std::string &name) {
        std::memset(bytes_.data(), 0, kCommentNameSize);
        std::memcpy(bytes_.data(), name.data(), std::min(name.size(), kCommentNameSize));
        return *this;
    }
    CommentRecord &number(double value) { return append(kNumberKind, value, ""); }
    CommentRecord &text(const std::string &value, double numberField = 0.0) {
        return append(kTextKind, numberField, value);
    }
    // A slot with every field chosen; text bytes are copied as given, cut at the field's size.
    CommentRecord &append(int32_t kind, double numberField, const std::string &textField) {
        ++count_;
        setSlot(count_, kind, numberField, textField);
        return setCount(count_);
    }
    // Fills slot n without counting it: what a host leaves in slots the line did not supply.
    CommentRecord &setSlot(int n, int32_t kind, double numberField, const std::string &textField) {
        unsigned char *slot = slotBytes(n);
        std::memcpy(slot, &kind, sizeof kind);
        std::memcpy(slot + kParameterNumberOffset, &numberField, sizeof numberField);
        std::memset(slot + kParameterTextOffset, 0, kParameterTextSize);
        std::memcpy(slot + kParameterTextOffset, textField.data(), std::min(textField.size(), kParameterTextSize));
        return *this;
    }
    CommentRecord &setCount(int32_t count) {
        std::memcpy(bytes_.data() + kParameterCountOffset, &count, sizeof count);
        return *this;
    }

    unsigned char *slotBytes(int n) { return bytes_.data() + kFirstParameterOffset + kParameterSize * size_t(n - 1); }
    unsigned char *bytes() { return bytes_.data(); }
    const FvParsedComment &record() const { return *reinterpret_cast<const FvParsedComment *>(bytes_.data()); }

private:
    std::vector<unsigned char> bytes_;
    int32_t count_ = 0;
};

// What onComment returns: false for a keyword.
inline bool interpret(const CommentRecord &comment) { return farview::interpretComment(comment.record()); }

// A keyword with number parameters, as most commands take them.
inline bool command(const std::string &name, std::initializer_list<double> numbers = {}) {
    CommentRecord comment(name);
    for (double value : numbers) comment.number(value);
    return interpret(comment);
}

// ---- A map opened in the stand-in host ---------------------------------------------------------------

// Writes "ChipSet/tiles.png" (a 480 x 256 tileset whose cells all differ), the map file of map
// mapId (width x height plain lower tiles, a different one in every cell) and opens that map with
// its tileset record, the hero standing on it. Events are the caller's (simhost::addEvent).
inline void openMap(int32_t mapId, int32_t width, int32_t height) {
    std::filesystem::create_directories("ChipSet");
    FvHostImage *tileset = simhost::createImage();
    simhost::setImageSize(tileset, 480, 256);
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 480; ++x)
            tileset->pixels[y * 480 + x] = static_cast<uint8_t>(1 + (x / 16 + 30 * (y / 16) + x % 3) % 255);
    for (uint32_t i = 0; i < 256; ++i) tileset->palette[i] = i * 0x010203u;
    std::string error;
    EXPECT_TRUE(simhost::writeImagePng(*tileset, "ChipSet/tiles.png", &error)) << error;
    simhost::destroyImage(tileset);

    mapfile::MapLayers layers;
    layers.width = width;
    layers.height = height;
    for (int32_t i = 0; i < width * height; ++i) {
        layers.lower.push_back(static_cast<uint16_t>(5000 + i % 288));
        layers.upper.push_back(10001);
    }
    EXPECT_TRUE(mapfile::writeMapFile(mapfile::mapFileName(mapId), layers, &error)) << error;

    simhost::setTilesetRecord(simhost::makeTilesetRecord("Field", "tiles"));
    simhost::setMapSize(width, height);
    simhost::clearEvents();
    simhost::hero().mapId = mapId;
}

// ---- The module-level state ------------------------------------------------------------------------

// Back to the state of a freshly loaded module: the title-screen reset frees what a game made,
// then the view state, the registry's map and the map record's kept parts go back to their
// defaults. Images still held are destroyed through the host, which must still own them.
inline void resetModuleState() {
    farview::resetForTitleScreen();
    farview::viewState = farview::ViewState{};
    farview::spriteRegistry.placementsMapId = 0;
    farview::MapRecord &map = farview::mapRecord;
    map.tilesetName.clear();
    for (farview::TileGrid *grid :
         {&map.attributeGrid, &map.lowerFlagGrid, &map.upperFlagGrid, &map.lowerTileGrid, &map.upperTileGrid})
        *grid = farview::TileGrid{};
}

// The plug-in's own objects in this program, bound to a fresh stand-in host, in a scratch folder.
class PluginStateTest : public HostTest {
protected:
    ScratchDirectory scratch;

    void SetUp() override {
        farview::bindHost(&simhost::hostInterface());
        resetModuleState();
        HostTest::SetUp();
    }
    void TearDown() override { resetModuleState(); }
};

} // namespace farview_test
