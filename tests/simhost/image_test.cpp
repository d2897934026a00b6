// Host images: sizing, colours, and the paletted PNG loader with its refusals.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "support/host_fixture.h"

namespace {

using farview_test::HostTest;
using farview_test::ScratchDirectory;

// Writes a PNG with libpng directly, packing the indices by hand (most significant bits first), so
// the loader's unpacking is checked against an independent packer.
bool writePng(const std::string &path, int width, int height, int bitDepth, int colourType,
              const std::vector<uint8_t> &samples, const std::vector<png_color> &palette) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    int perByte = 8 / bitDepth;
    int channels = colourType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    std::vector<std::vector<uint8_t>> packed(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        packed[size_t(y)].assign(size_t((width * channels + perByte - 1) / perByte), 0);
        for (int x = 0; x < width * channels; ++x) {
            int shift = 8 - bitDepth * (x % perByte + 1);
            packed[size_t(y)][size_t(x / perByte)] |= uint8_t(samples[size_t(y * width * channels + x)] << shift);
        }
    }
    std::vector<png_bytep> rows;
    for (auto &row : packed) rows.push_back(row.data());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    volatile bool written = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colourType, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return written;
}

std::vector<uint8_t> fileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void saveBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// A 3 x 2 image whose pixels and palette are easy to recognise.
FvHostImage *makeKnownImage() {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, 3, 2);
    for (int i = 0; i < 6; ++i) image->pixels[i] = uint8_t(10 + i);
    image->palette[10] = 0x123456;
    return image;
}

bool keepsKnownImage(const FvHostImage &image) {
    return image.width == 3 && image.height == 2 && image.pixels != nullptr && image.pixels[0] == 10 &&
           image.pixels[5] == 15 && image.palette[10] == 0x123456;
}

bool lastMessageNames(const std::string &file) {
    return !simhost::messages().empty() && simhost::messages().back().find(file) != std::string::npos;
}

// ---- Sizing ---------------------------------------------------------------------------------

class ImageSize : public HostTest {};

TEST_F(ImageSize, GivesAZeroedBufferOfWidthTimesHeight) {
    FvHostImage *image = simhost::createImage();
    EXPECT_EQ(image->pixels, nullptr);
    EXPECT_EQ(image->width, 0);
    EXPECT_EQ(image->colors[255], 0);
    simhost::setImageSize(image, 7, 5);
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->width, 7);
    EXPECT_EQ(image->height, 5);
    std::fill_n(image->pixels, 35, 9);
    simhost::setImageSize(image, 5, 7);
    for (int i = 0; i < 35; ++i) ASSERT_EQ(image->pixels[i], 0) << i;
    simhost::destroyImage(image);
}

TEST_F(ImageSize, RefusesNegativeAndUnaddressableSizesWithAnEmptyImage) {
    FvHostImage *image = simhost::createImage();
    for (auto [width, height] : {std::pair{-1, 4}, {4, -1}, {65536, 65536}, {INT32_MAX, 2}, {INT32_MIN, INT32_MIN}}) {
        simhost::setImageSize(image, 4, 4);
        simhost::setImageSize(image, width, height);
        EXPECT_EQ(image->pixels, nullptr) << width << " x " << height;
        EXPECT_EQ(image->width, 0);
        EXPECT_EQ(image->height, 0);
    }
    simhost::destroyImage(image);
}

TEST_F(ImageSize, ZeroAreaHasNoPixels) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, 0, 12);
    EXPECT_EQ(image->pixels, nullptr);
    simhost::destroyImage(image);
}

TEST_F(ImageSize, LiveImagesAreCountedAndResetDestroysThem) {
    FvHostImage *kept = simhost::createImage();
    simhost::setImageSize(kept, 4, 4);
    FvHostImage *freed = simhost::createImage();
    EXPECT_EQ(simhost::liveImageCount(), 2);
    simhost::destroyImage(freed);
    simhost::destroyImage(nullptr);
    EXPECT_EQ(simhost::liveImageCount(), 1);
    simhost::resetEngine();
    EXPECT_EQ(simhost::liveImageCount(), 0);
}

TEST_F(ImageSize, DestroyingAnImageTwiceIsReportedNotFreedAgain) {
    FvHostImage *image = simhost::createImage();
    simhost::destroyImage(image);
    simhost::destroyImage(image);
    EXPECT_EQ(simhost::messages().size(), 1u);
}

// ---- Colours -------------------------------------------------------------------------------------

TEST(Rgb565, TakesTheTopFiveSixAndFiveBits) {
    EXPECT_EQ(simhost::rgb565(0x000000), 0x0000);
    EXPECT_EQ(simhost::rgb565(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(simhost::rgb565(0xFF0000), 0xF800);
    EXPECT_EQ(simhost::rgb565(0x00FF00), 0x07E0);
    EXPECT_EQ(simhost::rgb565(0x0000FF), 0x001F);
    EXPECT_EQ(simhost::rgb565(0x070307), 0x0000); // bits below the top ones are dropped
    EXPECT_EQ(simhost::rgb565(0x080408), 0x0821);
    EXPECT_EQ(simhost::rgb565(0xFF123456), simhost::rgb565(0x123456)); // the top byte is not colour
}

TEST_F(ImageSize, ApplyPaletteDerivesEveryColour) {
    FvHostImage *image = simhost::createImage();
    for (uint32_t i = 0; i < 256; ++i) image->palette[i] = i * 0x010305u;
    simhost::applyPalette(image);
    for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(image->colors[i], simhost::rgb565(i * 0x010305u)) << i;
    simhost::destroyImage(image);
}

// ---- Loading paletted PNGs -----------------------------------------------------------------------

class PngLoad : public HostTest {
protected:
    ScratchDirectory scratch;
};

class PngBitDepth : public PngLoad, public ::testing::WithParamInterface<int> {};

TEST_P(PngBitDepth, RoundTripsIndicesAndPalette) {
    const int bitDepth = GetParam(), width = 13, height = 5; // 13: rows end inside a byte
    const int entries = 1 << bitDepth;
    std::vector<uint8_t> indices;
    for (int i = 0; i < width * height; ++i) indices.push_back(uint8_t((i * 7 + i / width) % entries));
    std::vector<png_color> palette;
    for (int i = 0; i < entries; ++i) palette.push_back({png_byte(i), png_byte(255 - i), png_byte(i * 3)});
    ASSERT_TRUE(writePng("indexed.png", width, height, bitDepth, PNG_COLOR_TYPE_PALETTE, indices, palette));

    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, "indexed.png", 1);
    EXPECT_TRUE(simhost::messages().empty());
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, height);
    EXPECT_EQ(image->loadOption, 1);
    for (int i = 0; i < width * height; ++i) ASSERT_EQ(image->pixels[i], indices[size_t(i)]) << i;
    for (int i = 0; i < 256; ++i) {
        uint32_t expected = i < entries ? (uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i * 3 & 0xFF)) : 0;
        ASSERT_EQ(image->palette[i], expected) << i;
        ASSERT_EQ(image->colors[i], simhost::rgb565(expected)) << i;
    }
    simhost::destroyImage(image);
}

INSTANTIATE_TEST_SUITE_P(EveryPalettedDepth, PngBitDepth, ::testing::Values(1, 2, 4, 8));

TEST_F(PngLoad, WrittenImageLoadsBackUnchanged) {
    FvHostImage *written = simhost::createImage();
    simhost::setImageSize(written, 480, 256);
    for (int i = 0; i < 480 * 256; ++i) written->pixels[i] = uint8_t(i * 31 / 7);
    for (uint32_t i = 0; i < 256; ++i) written->palette[i] = 0xFFFFFFu - i * 0x010101u;
    std::string error;
    ASSERT_TRUE(simhost::writeImagePng(*written, "ChipSet.png", &error)) << error;

    FvHostImage *loaded = simhost::createImage();
    simhost::loadImageFile(loaded, "ChipSet.png", 0);
    ASSERT_EQ(loaded->width, 480);
    ASSERT_EQ(loaded->height, 256);
    EXPECT_TRUE(std::equal(written->pixels, written->pixels + 480 * 256, loaded->pixels));
    EXPECT_TRUE(std::equal(std::begin(written->palette), std::end(written->palette), loaded->palette));
    simhost::destroyImage(written);
    simhost::destroyImage(loaded);
}

TEST_F(PngLoad, WritingAnEmptyImageFailsWithAReason) {
    FvHostImage *empty = simhost::createImage();
    std::string error;
    EXPECT_FALSE(simhost::writeImagePng(*empty, "empty.png", &error));
    EXPECT_NE(error.find("empty.png"), std::string::npos);
    simhost::destroyImage(empty);
}

TEST_F(PngLoad, RefusesAnRgbPngNamingTheFile) {
    std::vector<uint8_t> samples(4 * 3 * 3, 200);
    ASSERT_TRUE(writePng("colour.png", 4, 3, 8, PNG_COLOR_TYPE_RGB, samples, {}));
    FvHostImage *image = makeKnownImage();
    simhost::loadImageFile(image, "colour.png", 1);
    EXPECT_TRUE(keepsKnownImage(*image));
    ASSERT_TRUE(lastMessageNames("colour.png"));
    EXPECT_NE(simhost::messages().back().find("paletted"), std::string::npos);
    EXPECT_EQ(simhost::messageCaptions().back(), "simhost");
    simhost::destroyImage(image);
}

TEST_F(PngLoad, RefusesAGreyscalePng) {
    std::vector<uint8_t> samples(4 * 3, 3);
    ASSERT_TRUE(writePng("grey.png", 4, 3, 2, PNG_COLOR_TYPE_GRAY, samples, {}));
    FvHostImage *image = makeKnownImage();
    simhost::loadImageFile(image, "grey.png", 1);
    EXPECT_TRUE(keepsKnownImage(*image));
    EXPECT_TRUE(lastMessageNames("grey.png"));
    simhost::destroyImage(image);
}

TEST_F(PngLoad, RefusesAMissingFileAndTheImageStaysUsable) {
    FvHostImage *image = makeKnownImage();
    simhost::loadImageFile(image, "ChipSet/Nowhere.png", 1);
    EXPECT_TRUE(keepsKnownImage(*image));
    EXPECT_TRUE(lastMessageNames("ChipSet/Nowhere.png"));

    FvHostImage *source = makeKnownImage();
    ASSERT_TRUE(simhost::writeImagePng(*source, "good.png", nullptr));
    source->pixels[0] = 99;
    ASSERT_TRUE(simhost::writeImagePng(*source, "good.png", nullptr));
    simhost::loadImageFile(image, "good.png", 1);
    EXPECT_EQ(image->pixels[0], 99);
    simhost::destroyImage(source);
    simhost::destroyImage(image);
}

TEST_F(PngLoad, RefusesEveryTruncationOfAGoodFile) {
    FvHostImage *source = makeKnownImage();
    ASSERT_TRUE(simhost::writeImagePng(*source, "whole.png", nullptr));
    std::vector<uint8_t> whole = fileBytes("whole.png");
    FvHostImage *image = makeKnownImage();
    // Cut before the end of the image data: the trailing IEND chunk (12 bytes) is not needed.
    for (size_t length = 0; length + 12 < whole.size(); length += 7) {
        saveBytes("cut.png", std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(length)));
        simhost::loadImageFile(image, "cut.png", 1);
        ASSERT_TRUE(keepsKnownImage(*image)) << length;
        ASSERT_TRUE(lastMessageNames("cut.png")) << length;
    }
    simhost::destroyImage(source);
    simhost::destroyImage(image);
}

TEST_F(PngLoad, RefusesCorruptData) {
    FvHostImage *source = makeKnownImage();
    ASSERT_TRUE(simhost::writeImagePng(*source, "whole.png", nullptr));
    std::vector<uint8_t> bytes = fileBytes("whole.png");
    FvHostImage *image = makeKnownImage();
    for (size_t at : {size_t(0), size_t(20), bytes.size() - 20}) { // signature, header, image data
        std::vector<uint8_t> corrupt = bytes;
        corrupt[at] ^= 0x5A;
        saveBytes("corrupt.png", corrupt);
        simhost::loadImageFile(image, "corrupt.png", 1);
        EXPECT_TRUE(keepsKnownImage(*image)) << at;
        EXPECT_TRUE(lastMessageNames("corrupt.png")) << at;
    }
    saveBytes("text.png", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
    simhost::loadImageFile(image, "text.png", 1);
    EXPECT_TRUE(lastMessageNames("text.png"));
    EXPECT_TRUE(keepsKnownImage(*image));
    simhost::destroyImage(source);
    simhost::destroyImage(image);
}

TEST_F(PngLoad, RefusesASideAboveTheLimit) {
    std::vector<uint8_t> indices(16385, 1);
    ASSERT_TRUE(writePng("wide.png", 16385, 1, 8, PNG_COLOR_TYPE_PALETTE, indices, {{1, 2, 3}, {4, 5, 6}}));
    FvHostImage *image = makeKnownImage();
    simhost::loadImageFile(image, "wide.png", 1);
    EXPECT_TRUE(keepsKnownImage(*image));
    EXPECT_TRUE(lastMessageNames("wide.png"));
    simhost::destroyImage(image);
}

TEST_F(PngLoad, ANullImageOrFileNameIsReportedNotFollowed) {
    simhost::loadImageFile(nullptr, "x.png", 1);
    FvHostImage *image = makeKnownImage();
    simhost::loadImageFile(image, nullptr, 1);
    EXPECT_TRUE(keepsKnownImage(*image));
    EXPECT_EQ(simhost::messages().size(), 2u);
    simhost::destroyImage(image);
}

} // namespace

namespace {

TEST_F(ImageSize, SizingAnImageAgainToItsOwnSizeClearsIt) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, 8, 4);
    uint8_t *buffer = image->pixels;
    buffer[5] = 7;
    simhost::setImageSize(image, 8, 4);
    EXPECT_EQ(image->pixels, buffer); // the buffer is kept
    for (int i = 0; i < 32; ++i) ASSERT_EQ(image->pixels[i], 0);
    simhost::destroyImage(image);
}

} // namespace
