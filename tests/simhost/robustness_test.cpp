// Bad files the stand-in host meets beyond the ones its own tests cover: a PNG whose pixels use
// palette entries it does not define, and game files too large to be a game's.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "simhost/game_folder.h"
#include "support/host_fixture.h"

namespace {

// A 4 x 1 PNG with a palette of two entries whose pixels are indices 0, 1, 5 and 200.
bool writePngWithShortPalette(const char *path) {
    FILE *file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, 4, 1, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[2] = {{255, 0, 0}, {0, 255, 0}};
    png_set_PLTE(png, info, palette, 2);
    png_set_check_for_invalid_index(png, 0); // the writer would refuse the indices a bad file holds
    png_write_info(png, info);
    png_byte row[4] = {0, 1, 5, 200};
    png_write_row(png, row);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

class FileFaults : public farview_test::HostTest {
protected:
    farview_test::ScratchDirectory scratch;
};

// The indices are kept as the file holds them; the entries the palette lacks are black, so a
// colour is never read from beyond the file's palette.
TEST_F(FileFaults, APngUsingPaletteEntriesItDoesNotDefineShowsThemBlack) {
    ASSERT_TRUE(writePngWithShortPalette("short.png"));
    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, "short.png", 1);
    EXPECT_TRUE(simhost::messages().empty());
    ASSERT_EQ(image->width, 4);
    ASSERT_EQ(image->height, 1);
    EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + 4), (std::vector<uint8_t>{0, 1, 5, 200}));
    EXPECT_EQ(image->colors[1], simhost::rgb565(0x00ff00));
    EXPECT_EQ(image->palette[5], 0u);
    EXPECT_EQ(image->colors[5], 0);
    EXPECT_EQ(image->colors[200], 0);
}

// A map or database larger than any game's is refused by its size, before a byte is read into
// memory; the file here is sparse, so the test costs no disk.
TEST_F(FileFaults, AGameFileLargerThanTheLimitIsRefusedBeforeItIsRead) {
    {
        std::FILE *file = std::fopen("Map0001.lmu", "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    std::filesystem::resize_file("Map0001.lmu", simhost::kMaxGameFileBytes + 1);
    std::vector<uint8_t> bytes = {1, 2, 3};
    std::string error;
    EXPECT_FALSE(simhost::readGameFile("Map0001.lmu", bytes, &error));
    EXPECT_EQ(error, "Cannot read \"Map0001.lmu\": the file is larger than 16777216 bytes");
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));

    simhost::GameFolder game;
    ASSERT_TRUE(simhost::openGame(".", game, &error)) << error;
    simhost::setMapSize(7, 7);
    EXPECT_FALSE(simhost::enterMap(game, 1, &error));
    EXPECT_NE(error.find("Map0001.lmu\": the file is larger than 16777216 bytes"), std::string::npos) << error;
    int32_t width = 0, height = 0;
    simhost::mapSize(&width, &height);
    EXPECT_EQ(width, 7); // the host is left as it was
}

TEST_F(FileFaults, AFolderInPlaceOfAGameFileIsNoFile) {
    std::filesystem::create_directory("Map0001.lmu");
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(simhost::readGameFile("Map0001.lmu", bytes, &error));
    EXPECT_EQ(error, "Cannot read \"Map0001.lmu\": there is no such file");
}

} // namespace
