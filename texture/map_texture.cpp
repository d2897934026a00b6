// The map texture builder. The texture is a pure function of the two tile grids and the tileset
// image, so each tile id the map uses is drawn once, and the texture is then written row by row,
// 16 pixels at a time, the upper layer's index 0 letting the lower layer show. The plain two-pass
// build it must match pixel for pixel is kept in tests/texture/reference_texture.h.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/host.h"
#include "mapdata/map_loading.h"
#include "texture/map_texture.h"
#include "texture_internal.h"

namespace farview {

const char *const kMapNotLoadedMessage =
    "There was an error while trying to load map texture.\nPlease load the map first";

namespace {
constexpr uint32_t kUnnumbered = UINT32_MAX;
constexpr uint32_t kEmptyBlock = 0; // all index 0: ids without a cell in the tileset

// The block numbers of one layer's ids, kept only for the ids that can have a cell: every other
// id shows the empty block. A few kilobytes, where a table of all 65,536 ids would cost more to
// fill than a small map costs to draw.
class BlockNumbers {
public:
    BlockNumbers(uint16_t firstId, uint16_t endId) : firstId_(firstId), numbers_(endId - firstId, kUnnumbered) {}

    // Null for an id that has no cell.
    uint32_t *slot(uint16_t id) { return hasSlot(id) ? &numbers_[indexOf(id)] : nullptr; }
    uint32_t blockOf(uint16_t id) const { return hasSlot(id) ? numbers_[indexOf(id)] : kEmptyBlock; }

private:
    size_t indexOf(uint16_t id) const { return static_cast<size_t>(id) - firstId_; } // huge below firstId_
    bool hasSlot(uint16_t id) const { return indexOf(id) < numbers_.size(); }

    size_t firstId_;
    std::vector<uint32_t> numbers_;
};

// Every tile id the map uses is drawn once, as a 16 x 16 block, into one strip image 16 pixels
// high: block n takes the strip's columns 16n to 16n + 15. Pixel row r of any map cell is then
// taken from row r of the strip, which stays in the cache while the texture is written.
struct TileStrip {
    BlockNumbers lowerBlocks{0, kLowerTileIdEnd};
    BlockNumbers upperBlocks{kUpperTileIdFirst, kUpperTileIdEnd};
    std::vector<uint8_t> pixels;
    size_t width = 0;

    const uint8_t *row(int32_t r) const { return pixels.data() + static_cast<size_t>(r) * width; }
};

struct BlockSource {
    uint16_t id;
    bool upper;
};

bool hasCell(const BlockSource &source) {
    CellPosition cell;
    if (source.upper) return upperTileSource(source.id, cell);
    return source.id < kFirstPlainLowerTileId || plainLowerTileSource(source.id, cell);
}

void drawBlock(FvHostImage &strip, int32_t x, const FvHostImage &tileset, const BlockSource &source) {
    CellPosition cell;
    if (source.upper) {
        if (upperTileSource(source.id, cell)) copyPiece(strip, x, 0, tileset, cell.x, cell.y, kTileSize, kTileSize);
    } else if (source.id < kFirstPlainLowerTileId) {
        composeLowerCellInto(strip, x, 0, tileset, source.id);
    } else if (plainLowerTileSource(source.id, cell)) {
        copyPiece(strip, x, 0, tileset, cell.x, cell.y, kTileSize, kTileSize);
    }
}

// Numbers the blocks in the order the cells first use them, then draws them.
void drawTileStrip(TileStrip &strip, const MapRecord &record, const FvHostImage &tileset) {
    std::vector<BlockSource> sources{{0, false}}; // block 0 stays empty
    auto number = [&sources](BlockNumbers &blocks, uint16_t id, bool upper) {
        uint32_t *block = blocks.slot(id);
        if (block == nullptr || *block != kUnnumbered) return;
        *block = hasCell({id, upper}) ? static_cast<uint32_t>(sources.size()) : kEmptyBlock;
        if (*block != kEmptyBlock) sources.push_back({id, upper});
    };
    for (uint16_t id : record.lowerTileGrid.cells) number(strip.lowerBlocks, id, false);
    for (uint16_t id : record.upperTileGrid.cells) number(strip.upperBlocks, id, true);

    strip.width = sources.size() * kTileSize;
    strip.pixels.assign(strip.width * kTileSize, 0);
    FvHostImage image{};
    image.pixels = strip.pixels.data();
    image.width = static_cast<int32_t>(strip.width);
    image.height = kTileSize;
    for (size_t block = 1; block < sources.size(); ++block)
        drawBlock(image, static_cast<int32_t>(block) * kTileSize, tileset, sources[block]);
}

// One row of a cell: the upper block's pixel where it is not index 0, else the lower block's.
inline void blendBlockRow(uint8_t *out, const uint8_t *lower, const uint8_t *upper) {
#if defined(__SSE2__)
    const __m128i upperPixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(upper));
    const __m128i lowerPixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(lower));
    const __m128i lowerShows = _mm_cmpeq_epi8(upperPixels, _mm_setzero_si128());
    const __m128i pixels = _mm_or_si128(upperPixels, _mm_and_si128(lowerShows, lowerPixels));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), pixels);
#else
    for (int32_t i = 0; i < kTileSize; ++i) out[i] = upper[i] != 0 ? upper[i] : lower[i];
#endif
}

// The 16 pixel rows of one row of cells, whose blocks begin at the given strip columns.
void drawCellRow(uint8_t *cellRow, size_t stride, const TileStrip &strip, const std::vector<uint32_t> &lowerColumns,
                 const std::vector<uint32_t> &upperColumns) {
    for (int32_t row = 0; row < kTileSize; ++row) {
        uint8_t *out = cellRow + static_cast<size_t>(row) * stride;
        const uint8_t *stripRow = strip.row(row);
        for (size_t x = 0; x < lowerColumns.size(); ++x, out += kTileSize)
            blendBlockRow(out, stripRow + lowerColumns[x], stripRow + upperColumns[x]);
    }
}

// texture is exactly width*16 x height*16 and both grids hold width x height cells. Rows are
// written whole, one after the other, so the writes run straight through the texture.
void drawCells(FvHostImage &texture, const MapRecord &record, const FvHostImage &tileset) {
    TileStrip strip;
    drawTileStrip(strip, record, tileset);
    const int32_t width = record.width, height = record.height;
    const size_t stride = static_cast<size_t>(texture.width);
    // Where the blocks of the cells of one map row begin in a strip row.
    std::vector<uint32_t> lowerColumns(static_cast<size_t>(width));
    std::vector<uint32_t> upperColumns(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            lowerColumns[x] = strip.lowerBlocks.blockOf(record.lowerTileGrid.at(x, y)) * kTileSize;
            upperColumns[x] = strip.upperBlocks.blockOf(record.upperTileGrid.at(x, y)) * kTileSize;
        }
        drawCellRow(texture.pixels + static_cast<size_t>(y) * kTileSize * stride, stride, strip, lowerColumns,
                    upperColumns);
    }
}

bool gridHoldsMap(const TileGrid &grid, const MapRecord &record) {
    return grid.rowLength == record.width &&
           grid.cells.size() == static_cast<size_t>(record.width) * static_cast<size_t>(record.height);
}

void copyPalette(FvHostImage &target, const FvHostImage &source) {
    std::copy(std::begin(source.palette), std::end(source.palette), std::begin(target.palette));
    host().applyPalette(&target);
}
} // namespace

void buildMapTexture(MapRecord &record) {
    if (record.tilesetFileName == "0") {
        showMessage(kMapNotLoadedMessage);
        return;
    }
    if (record.mapTexture == nullptr) record.mapTexture = host().createImage();
    if (record.mapTexture == nullptr) return;
    loadTilesetGraphic(record);

    // A size the record cannot hold (never left by loadMap) gives an empty texture.
    const bool usable = mapSizeUsable(record.width, record.height);
    const int32_t pixelWidth = usable ? record.width * kTileSize : 0;
    const int32_t pixelHeight = usable ? record.height * kTileSize : 0;
    FvHostImage &texture = *record.mapTexture;
    host().setImageSize(&texture, pixelWidth, pixelHeight);
    texture.option = 1;
    const FvHostImage noTileset{};
    const FvHostImage &tileset = record.tilesetImage != nullptr ? *record.tilesetImage : noTileset;
    copyPalette(texture, tileset);

    if (texture.width != pixelWidth || texture.height != pixelHeight) return; // the host refused the size
    if (!rectangleInside(texture, 0, 0, pixelWidth, pixelHeight)) return;     // nothing to draw into
    if (!gridHoldsMap(record.lowerTileGrid, record) || !gridHoldsMap(record.upperTileGrid, record)) {
        std::memset(texture.pixels, 0, static_cast<size_t>(pixelWidth) * static_cast<size_t>(pixelHeight));
        return;
    }
    drawCells(texture, record, tileset);
}

} // namespace farview
