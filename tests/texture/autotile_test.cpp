// Composite lower tiles, pixel for pixel against cells assembled here from named pieces: every
// neighbour pattern of the block and column autotiles, the fixed tile and the strip tiles.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/host_fixture.h"
#include "texture/map_texture.h"
#include "texture/pixel_compare.h"
#include "texture/texture_scenes.h"

namespace {

using farview::CellPosition;
using farview_test::samePixels;

struct Rectangle {
    int32_t x, y, width, height;
};

Rectangle partOfCell(const std::string &part) {
    static const std::map<std::string, Rectangle> parts = {
        {"whole", {0, 0, 16, 16}}, {"top", {0, 0, 16, 8}},   {"bottom", {0, 8, 16, 8}},
        {"left", {0, 0, 8, 16}},   {"right", {8, 0, 8, 16}}, {"TL", {0, 0, 8, 8}},
        {"TR", {8, 0, 8, 8}},      {"BL", {0, 8, 8, 8}},     {"BR", {8, 8, 8, 8}}};
    return parts.at(part);
}

// Source cells of one autotile by the names the rules give them, "base" included.
using CellNames = std::map<std::string, CellPosition>;

CellNames columnCells(int32_t originX) {
    return {{"base", {0, 64}}, {"O", {originX, 0}}, {"I", {originX, 48}}, {"V", {originX, 16}}, {"H", {originX, 32}}};
}

CellNames blockCells(CellPosition origin) {
    CellNames cells;
    const std::pair<const char *, CellPosition> offsets[] = {
        {"O", {0, 0}},   {"I", {32, 0}},  {"NW", {0, 16}}, {"N", {16, 16}}, {"NE", {32, 16}}, {"W", {0, 32}},
        {"C", {16, 32}}, {"E", {32, 32}}, {"SW", {0, 48}}, {"S", {16, 48}}, {"SE", {32, 48}}};
    for (const auto &named : offsets) cells[named.first] = {origin.x + named.second.x, origin.y + named.second.y};
    cells["base"] = cells["C"];
    return cells;
}

// Pieces after the base, in the order they are copied. Bits 0 to 3 alone: inner corners; bit 4:
// one edge; 32 to 46: the pattern table; anything else: the base alone.
const char *const kBlockPatterns[50] = {"",
                                        "I.TL",
                                        "I.TR",
                                        "I.TL I.TR",
                                        "I.BR",
                                        "I.TL I.BR",
                                        "I.TR I.BR",
                                        "I.TL I.TR I.BR",
                                        "I.BL",
                                        "I.TL I.BL",
                                        "I.TR I.BL",
                                        "I.TL I.TR I.BL",
                                        "I.BR I.BL",
                                        "I.TL I.BR I.BL",
                                        "I.TR I.BR I.BL",
                                        "I.TL I.TR I.BR I.BL",
                                        /* 16 */ "W.left",
                                        "W.left I.TR",
                                        "W.left I.BR",
                                        "W.left I.TR I.BR",
                                        /* 20 */ "N.top",
                                        "N.top I.BR",
                                        "N.top I.BL",
                                        "N.top I.BR I.BL",
                                        /* 24 */ "E.right",
                                        "E.right I.BL",
                                        "E.right I.TL",
                                        "E.right I.BL I.TL",
                                        /* 28 */ "S.bottom",
                                        "S.bottom I.TL",
                                        "S.bottom I.TR",
                                        "S.bottom I.TL I.TR",
                                        /* 32 */ "W.left E.right",
                                        "N.top S.bottom",
                                        "NW.whole",
                                        "NW.whole I.BR",
                                        "NE.whole",
                                        "NE.whole I.BL",
                                        /* 38 */ "SE.whole",
                                        "SE.whole I.TL",
                                        "SW.whole",
                                        "SW.whole I.TR",
                                        /* 42 */ "O.top W.BL E.BR",
                                        "O.left N.TR S.BR",
                                        "O.bottom W.TL E.TR",
                                        "O.right N.TL S.BL",
                                        "O.whole",
                                        /* 47 */ "",
                                        /* 48 */ "W.left",
                                        "W.left I.TR"};

const char *const kColumnPatterns[50] = {"",
                                         "I.TL",
                                         "I.TR",
                                         "I.TL I.TR",
                                         "I.BR",
                                         "I.TL I.BR",
                                         "I.TR I.BR",
                                         "I.TL I.TR I.BR",
                                         "I.BL",
                                         "I.TL I.BL",
                                         "I.TR I.BL",
                                         "I.TL I.TR I.BL",
                                         "I.BR I.BL",
                                         "I.TL I.BR I.BL",
                                         "I.TR I.BR I.BL",
                                         "I.TL I.TR I.BR I.BL",
                                         /* 16 */ "V.left",
                                         "V.left I.TR",
                                         "V.left I.BR",
                                         "V.left I.TR I.BR",
                                         /* 20 */ "H.top",
                                         "H.top I.BR",
                                         "H.top I.BL",
                                         "H.top I.BR I.BL",
                                         /* 24 */ "V.right",
                                         "V.right I.BL",
                                         "V.right I.TL",
                                         "V.right I.BL I.TL",
                                         /* 28 */ "H.bottom",
                                         "H.bottom I.TL",
                                         "H.bottom I.TR",
                                         "H.bottom I.TL I.TR",
                                         /* 32 */ "V.whole",
                                         "H.whole",
                                         "O.TL V.BL H.TR",
                                         "O.TL V.BL H.TR I.BR",
                                         "O.TR V.BR H.TL",
                                         /* 37 */ "O.TR V.BR H.TL I.BL",
                                         "O.BR V.TR H.BL",
                                         "O.BR V.TR H.BL I.TL",
                                         "O.BL V.TL H.BR",
                                         /* 41 */ "O.BL V.TL H.BR I.TR",
                                         "O.top V.bottom",
                                         "O.left H.right",
                                         "O.bottom V.top",
                                         "O.right H.left",
                                         /* 46 */ "O.whole",
                                         "",
                                         /* 48 */ "V.left",
                                         "V.left I.TR"};

// Patterns above 63 of the column autotiles behave as their bits say.
const std::pair<int32_t, const char *> kHighColumnPatterns[] = {
    {64, ""},           {80, "V.left"}, {81, "V.left I.TR"}, {96, ""}, {111, ""}, {127, "H.bottom I.TL I.TR"},
    {515, "I.TL I.TR"}, {999, ""}};

class Autotiles : public farview_test::HostTest {
protected:
    static constexpr uint8_t kBackground = 0xEE;
    static constexpr int32_t kTargetX = 32, kTargetY = 16;
    farview::MapRecord record;

    void SetUp() override {
        HostTest::SetUp();
        record.tilesetImage = simhost::createImage();
        simhost::setImageSize(record.tilesetImage, 480, 256);
        farview_test::fillScattered(*record.tilesetImage, 7, 5); // one pixel in five transparent
        record.mapTexture = simhost::createImage();
        simhost::setImageSize(record.mapTexture, 64, 48);
        std::fill_n(record.mapTexture->pixels, 64 * 48, kBackground);
    }

    // The texture as it must look after the cell is composed at (kTargetX, kTargetY) from "base"
    // and the named pieces, each copied with index 0 transparent.
    std::vector<uint8_t> expectedTexture(const CellNames &cells, const std::string &pieces) const {
        std::vector<uint8_t> texture(64 * 48, kBackground);
        std::istringstream names("base.whole " + pieces);
        for (std::string piece; names >> piece;) {
            const size_t dot = piece.find('.');
            const CellPosition cell = cells.at(piece.substr(0, dot));
            copyExpected(texture, cell.x, cell.y, partOfCell(piece.substr(dot + 1)));
        }
        return texture;
    }
    void copyExpected(std::vector<uint8_t> &texture, int32_t cellX, int32_t cellY, Rectangle part) const {
        const FvHostImage &tileset = *record.tilesetImage;
        // A piece whose source is not wholly inside the tileset is skipped.
        if (cellX + part.x + part.width > tileset.width || cellY + part.y + part.height > tileset.height) return;
        for (int32_t i = 0; i < part.height; ++i)
            for (int32_t j = 0; j < part.width; ++j) {
                const uint8_t index = tileset.pixels[(cellY + part.y + i) * tileset.width + cellX + part.x + j];
                if (index != 0) texture[size_t((kTargetY + part.y + i) * 64 + kTargetX + part.x + j)] = index;
            }
    }
    std::vector<uint8_t> composed(uint16_t id) {
        std::fill_n(record.mapTexture->pixels, 64 * 48, kBackground);
        farview::composeLowerCell(record, id, kTargetX, kTargetY);
        return farview_test::imagePixels(*record.mapTexture);
    }
};

// ---- Block autotiles ----------------------------------------------------------------------------

const std::pair<int32_t, CellPosition> kBlockOrigins[] = {
    {4000, {0, 128}}, {4050, {48, 128}}, {4100, {0, 192}},  {4150, {48, 192}},  {4200, {96, 0}},   {4250, {144, 0}},
    {4300, {96, 64}}, {4350, {144, 64}}, {4400, {96, 128}}, {4450, {144, 128}}, {4500, {96, 192}}, {4550, {144, 192}}};

TEST_F(Autotiles, EveryBlockPatternOfEveryBlock) {
    for (const auto &block : kBlockOrigins)
        for (int32_t repeat : {0, 400}) { // 4600 to 4999 take the origins of the ids 400 lower
            if (block.first + repeat < 4600 && repeat != 0) continue;
            if (block.first + repeat > 4999) continue;
            for (int32_t p = 0; p < 50; ++p) {
                const auto id = static_cast<uint16_t>(block.first + repeat + p);
                SCOPED_TRACE("id " + std::to_string(id));
                EXPECT_TRUE(samePixels(composed(id), expectedTexture(blockCells(block.second), kBlockPatterns[p]), 64));
            }
        }
}

TEST_F(Autotiles, BlockExamplesAtAbsolutePositions) {
    // 4046: the base, then the whole closed cell of the block at (0, 128).
    const CellNames cells{{"base", {16, 160}}, {"closed", {0, 128}}, {"corner", {0, 144}}, {"inner", {32, 128}}};
    EXPECT_TRUE(samePixels(composed(4046), expectedTexture(cells, "closed.whole"), 64));
    // 4035: the whole cell at (0, 144), then the quarter (40, 136)-(47, 143) onto the bottom right.
    EXPECT_TRUE(samePixels(composed(4035), expectedTexture(cells, "corner.whole inner.BR"), 64));
}

// ---- Column autotiles ---------------------------------------------------------------------------

TEST_F(Autotiles, EveryLowColumnPatternOfBothKinds) {
    for (int32_t kind : {0, 1})
        for (int32_t p = 0; p < 50; ++p) {
            const auto id = static_cast<uint16_t>(1000 * kind + p);
            SCOPED_TRACE("id " + std::to_string(id));
            EXPECT_TRUE(samePixels(composed(id), expectedTexture(columnCells(48 * kind), kColumnPatterns[p]), 64));
        }
}

TEST_F(Autotiles, HighColumnPatternsFollowTheirBits) {
    for (int32_t kind : {0, 1})
        for (const auto &pattern : kHighColumnPatterns) {
            const auto id = static_cast<uint16_t>(1000 * kind + pattern.first);
            SCOPED_TRACE("id " + std::to_string(id));
            EXPECT_TRUE(samePixels(composed(id), expectedTexture(columnCells(48 * kind), pattern.second), 64));
        }
}

TEST_F(Autotiles, ColumnExampleAtAbsolutePositions) {
    // 15: the base (0, 64), then quarters from (0, 48), (8, 48), (8, 56), (0, 56); 1015 from x 48.
    EXPECT_TRUE(samePixels(
        composed(15),
        expectedTexture({{"base", {0, 64}}, {"corners", {0, 48}}}, "corners.TL corners.TR corners.BR corners.BL"), 64));
    EXPECT_TRUE(samePixels(
        composed(1015),
        expectedTexture({{"base", {0, 64}}, {"corners", {48, 48}}}, "corners.TL corners.TR corners.BR corners.BL"),
        64));
    EXPECT_TRUE(samePixels(composed(47), expectedTexture({{"base", {0, 64}}}, ""), 64));
    EXPECT_TRUE(samePixels(composed(1047), expectedTexture({{"base", {0, 64}}}, ""), 64));
}

// ---- Fixed and strip tiles -------------------------------------------------------------------------

TEST_F(Autotiles, FixedTileIsOneCellForTheWholeRange) {
    for (uint16_t id : std::initializer_list<uint16_t>{2000, 2500, 2999})
        EXPECT_TRUE(samePixels(composed(id), expectedTexture({{"base", {0, 112}}}, ""), 64));
}

TEST_F(Autotiles, StripTilesStepSixteenPixelsEveryFiftyIds) {
    const std::pair<uint16_t, CellPosition> strips[] = {
        {3000, {48, 64}}, {3049, {48, 64}}, {3050, {64, 64}}, {3999, {352, 64}}};
    for (const auto &strip : strips)
        EXPECT_TRUE(samePixels(composed(strip.first), expectedTexture({{"base", strip.second}}, ""), 64));
}

// ---- What composeLowerCell leaves alone ------------------------------------------------------------

TEST_F(Autotiles, PlainLowerIdsAreNotComposed) {
    const std::vector<uint8_t> untouched(64 * 48, kBackground);
    for (uint16_t id : std::initializer_list<uint16_t>{5000, 5143, 65535})
        EXPECT_TRUE(samePixels(composed(id), untouched, 64));
}

TEST_F(Autotiles, CellsNotWhollyInsideTheTextureAreNotDrawn) {
    const std::vector<uint8_t> untouched(64 * 48, kBackground);
    for (auto target : {std::pair<int32_t, int32_t>{49, 0},
                        {0, 33},
                        {-1, 0},
                        {0, -16},
                        {INT32_MAX, 0},
                        {INT32_MIN, INT32_MIN},
                        {0, INT32_MAX - 8}}) {
        std::fill_n(record.mapTexture->pixels, 64 * 48, kBackground);
        farview::composeLowerCell(record, 4046, target.first, target.second);
        EXPECT_EQ(farview_test::imagePixels(*record.mapTexture), untouched);
    }
}

TEST_F(Autotiles, PiecesOutsideASmallTilesetAreSkipped) {
    simhost::setImageSize(record.tilesetImage, 100, 70); // the base at (0, 64) no longer fits
    farview_test::fillScattered(*record.tilesetImage, 3, 5);
    EXPECT_TRUE(samePixels(composed(15), expectedTexture(columnCells(0), kColumnPatterns[15]), 64));
    EXPECT_TRUE(samePixels(composed(4046), expectedTexture(blockCells({0, 128}), "O.whole"), 64));

    // 150 x 40: the frame's middle row (y 32 to 47) is cut in half, its top quarters still inside.
    simhost::setImageSize(record.tilesetImage, 150, 40);
    farview_test::fillScattered(*record.tilesetImage, 4, 5);
    EXPECT_TRUE(samePixels(composed(4244), expectedTexture(blockCells({96, 0}), kBlockPatterns[44]), 64));
    EXPECT_NE(composed(4244), std::vector<uint8_t>(64 * 48, kBackground));

    simhost::setImageSize(record.tilesetImage, 0, 0);
    EXPECT_TRUE(samePixels(composed(15), std::vector<uint8_t>(64 * 48, kBackground), 64));
}

TEST_F(Autotiles, NoImagesNoDrawing) {
    simhost::destroyImage(record.tilesetImage);
    record.tilesetImage = nullptr;
    EXPECT_TRUE(samePixels(composed(15), std::vector<uint8_t>(64 * 48, kBackground), 64));
}

} // namespace
