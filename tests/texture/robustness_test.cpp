// A host that does not size images as asked: the texture builder and the boundary cut check the
// size the host actually gave before writing a pixel, so a smaller buffer is never written past.
#include <cstring>
#include <vector>

#include "support/host_fixture.h"
#include "texture/map_texture.h"
#include "texture/texture_scenes.h"

namespace {

class UnsizedImages : public farview_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(farview_test::writeScatteredPng("ChipSet/Tiles.png", 480, 256, 21, 3));
        record.tilesetFileName = "Tiles.png";
        farview_test::setRandomMap(record, 5, 3, 8);
    }
    void TearDown() override { farview::bindHost(&simhost::hostInterface()); }

    void bindWith(void (*setImageSize)(FvHostImage *, int32_t, int32_t)) {
        table = simhost::hostInterface();
        table.setImageSize = setImageSize;
        farview::bindHost(&table);
    }

    farview_test::ScratchDirectory scratch;
    farview::MapRecord record;
    FvHostInterface table{};
};

void neverSized(FvHostImage *, int32_t, int32_t) {}
void alwaysEightByEight(FvHostImage *image, int32_t, int32_t) { simhost::setImageSize(image, 8, 8); }
// The size asked for, without a pixel buffer behind it.
void sizedWithoutPixels(FvHostImage *image, int32_t width, int32_t height) {
    simhost::setImageSize(image, 0, 0);
    image->width = width;
    image->height = height;
}

// A host may hand back a freshly sized image holding anything; the texture and the boundary cut
// start from index 0 all the same, so index-0 pixels of a tile never show what the host left.
void sizedFullOfLeftovers(FvHostImage *image, int32_t width, int32_t height) {
    simhost::setImageSize(image, width, height);
    if (image->pixels != nullptr) std::memset(image->pixels, 0xAB, size_t(image->width) * size_t(image->height));
}

TEST_F(UnsizedImages, WhatTheHostLeftInAFreshImageNeverShows) {
    farview_test::setRandomMap(record, 3, 1, 8);
    record.lowerTileGrid.cells = {5288, 5288, 5000}; // no cell, no cell, a plain tile
    record.upperTileGrid.cells = {0, 10000, 0};      // no cell, a tile, no cell
    bindWith(sizedFullOfLeftovers);
    farview::buildMapTexture(record);
    const FvHostImage &texture = *record.mapTexture;
    const FvHostImage &tileset = *record.tilesetImage;
    ASSERT_EQ(texture.width, 48);
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            EXPECT_EQ(texture.pixels[y * 48 + x], 0) << x << ',' << y;
            const uint8_t upper = tileset.pixels[(128 + y) * 480 + 288 + x];
            EXPECT_EQ(texture.pixels[y * 48 + 16 + x], upper) << x << ',' << y; // over nothing: 0 shows 0
        }
    }

    FvHostImage *boundary = nullptr;
    farview::setBoundaryTexture(boundary, record, 0, 0);
    ASSERT_NE(boundary, nullptr);
    EXPECT_EQ(farview_test::imagePixels(*boundary), std::vector<uint8_t>(256, 0));
}

TEST_F(UnsizedImages, AMapTextureTheHostDidNotSizeIsNotDrawnInto) {
    for (auto setImageSize : {neverSized, alwaysEightByEight, sizedWithoutPixels}) {
        simhost::clearMessages();
        farview::resetMapRecord(record);
        record.tilesetFileName = "Tiles.png";
        bindWith(setImageSize);
        farview::buildMapTexture(record);
        ASSERT_NE(record.mapTexture, nullptr);
        if (record.mapTexture->pixels != nullptr) { // 8 x 8: left as the host made it
            EXPECT_EQ(farview_test::imagePixels(*record.mapTexture), std::vector<uint8_t>(64, 0));
        }
        EXPECT_TRUE(simhost::messages().empty());
    }
}

TEST_F(UnsizedImages, ABoundaryTextureTheHostDidNotSizeIsNotCutInto) {
    farview::buildMapTexture(record);
    ASSERT_EQ(record.mapTexture->width, 80);
    for (auto setImageSize : {neverSized, alwaysEightByEight, sizedWithoutPixels}) {
        bindWith(setImageSize);
        FvHostImage *boundary = nullptr;
        farview::setBoundaryTexture(boundary, record, 1, 1);
        ASSERT_NE(boundary, nullptr); // made, but never written into
        if (boundary->pixels != nullptr) {
            EXPECT_EQ(farview_test::imagePixels(*boundary), std::vector<uint8_t>(64, 0));
        }
        simhost::destroyImage(boundary);
    }
}

} // namespace
