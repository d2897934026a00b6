// Loading the tileset graphic from "ChipSet/" into the map record's tileset image.
#include <filesystem>

#include "mapdata/map_loading.h"
#include "support/host_fixture.h"

namespace {

class TilesetGraphic : public farview_test::HostTest {
protected:
    farview_test::ScratchDirectory scratch;
    farview::MapRecord record;

    // A 480 x 256 graphic whose pixel (x, y) is (x + y) mod 256 and whose palette is shifted by seed.
    static void writeGraphic(const std::string &path, uint32_t seed) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        FvHostImage *image = simhost::createImage();
        simhost::setImageSize(image, 480, 256);
        for (int32_t y = 0; y < 256; ++y)
            for (int32_t x = 0; x < 480; ++x) image->pixels[y * 480 + x] = static_cast<uint8_t>(x + y);
        for (uint32_t i = 0; i < 256; ++i) image->palette[i] = (i * 0x010203u + seed) & 0xFFFFFF;
        ASSERT_TRUE(simhost::writeImagePng(*image, path, nullptr));
        simhost::destroyImage(image);
    }
};

TEST_F(TilesetGraphic, LoadsChipSetFileIntoANewImage) {
    writeGraphic("ChipSet/Dungeon.png", 0);
    record.tilesetFileName = "Dungeon.png";
    const int32_t imagesBefore = simhost::liveImageCount();
    farview::loadTilesetGraphic(record);
    ASSERT_NE(record.tilesetImage, nullptr);
    EXPECT_EQ(simhost::liveImageCount(), imagesBefore + 1);
    EXPECT_EQ(record.tilesetImage->width, 480);
    EXPECT_EQ(record.tilesetImage->height, 256);
    EXPECT_EQ(record.tilesetImage->pixels[255 * 480 + 479], static_cast<uint8_t>(479 + 255));
    EXPECT_EQ(record.tilesetImage->option, 1);
    EXPECT_EQ(record.tilesetImage->loadOption, 1);
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(TilesetGraphic, LaterLoadsReuseTheImage) {
    writeGraphic("ChipSet/One.png", 1);
    writeGraphic("ChipSet/Two.png", 2);
    record.tilesetFileName = "One.png";
    farview::loadTilesetGraphic(record);
    FvHostImage *first = record.tilesetImage;
    record.tilesetFileName = "Two.png";
    farview::loadTilesetGraphic(record);
    EXPECT_EQ(record.tilesetImage, first);
    EXPECT_EQ(simhost::liveImageCount(), 1);
    EXPECT_EQ(record.tilesetImage->palette[1], 0x010203u + 2);
}

TEST_F(TilesetGraphic, MissingGraphicLeavesAnEmptyTilesetOfFullSize) {
    record.tilesetFileName = "Absent.png";
    farview::loadTilesetGraphic(record);
    ASSERT_NE(record.tilesetImage, nullptr);
    EXPECT_EQ(record.tilesetImage->width, 480);
    EXPECT_EQ(record.tilesetImage->height, 256);
    // The stand-in host reports the failed load itself; the plug-in adds no message of its own.
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_NE(simhost::messages()[0].find("ChipSet/Absent.png"), std::string::npos);
    EXPECT_NE(simhost::messageCaptions()[0], "Farview");
}

} // namespace
