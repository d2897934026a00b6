// Animated GIF images of the preview: what a GIF reader gets back is what was rendered, frame for
// frame, and a frame with more colours than a GIF palette holds still shows its main colours
// exactly.
#include <gif_lib.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/preview/preview_animation.h"

namespace {

// A GIF file read back whole with giflib.
class ReadGif {
public:
    explicit ReadGif(const std::string &path) {
        int error = 0;
        file = DGifOpenFileName(path.c_str(), &error);
        if (file != nullptr && DGifSlurp(file) != GIF_OK) {
            DGifCloseFile(file, &error);
            file = nullptr;
        }
    }
    ~ReadGif() {
        int ignored = 0;
        if (file != nullptr) DGifCloseFile(file, &ignored);
    }
    ReadGif(const ReadGif &) = delete;
    ReadGif &operator=(const ReadGif &) = delete;

    uint32_t pixel(int frame, int x, int y) const {
        const SavedImage &image = file->SavedImages[frame];
        const ColorMapObject *colours =
            image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : file->SColorMap;
        GifColorType c = colours->Colors[image.RasterBits[y * file->SWidth + x]];
        return (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
    }

    int delay(int frame) const {
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(file, frame, &control);
        return control.DelayTime;
    }

    bool loopsForever() const {
        for (int i = 0; i < file->SavedImages[0].ExtensionBlockCount; ++i) {
            const ExtensionBlock &block = file->SavedImages[0].ExtensionBlocks[i];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::string(reinterpret_cast<const char *>(block.Bytes), 11) == "NETSCAPE2.0")
                return true;
        }
        return false;
    }

    GifFileType *file = nullptr;
};

std::vector<uint16_t> gradientFrame(int32_t width, int32_t height, uint16_t seed) {
    std::vector<uint16_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels.push_back(static_cast<uint16_t>(seed + (x / 8) * 0x0821 + y / 4)); // under 256 colours
    return pixels;
}

// ---- Colours --------------------------------------------------------------------------------

TEST(PreviewColours, ScreenColoursWidenAsTheScreensPngImagesDo) {
    EXPECT_EQ(preview::rgbOf(0x0000), 0x000000u);
    EXPECT_EQ(preview::rgbOf(0xFFFF), 0xFFFFFFu);
    EXPECT_EQ(preview::rgbOf(0xF800), 0xFF0000u);
    EXPECT_EQ(preview::rgbOf(0x07E0), 0x00FF00u);
    EXPECT_EQ(preview::rgbOf(0x001F), 0x0000FFu);
    EXPECT_EQ(preview::rgbOf(0x4208), 0x424142u); // the backdrop
}

TEST(PreviewColours, AFrameOfFewColoursKeepsEachExactly) {
    std::vector<uint16_t> pixels = gradientFrame(40, 30, 0x1234);
    preview::IndexedFrame frame = preview::indexFrame(pixels);
    ASSERT_LE(frame.palette.size(), 256u);
    ASSERT_EQ(frame.indices.size(), pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        EXPECT_EQ(frame.palette[frame.indices[i]], preview::rgbOf(pixels[i])) << i;
}

TEST(PreviewColours, AFrameOfManyColoursKeepsTheMostFrequentAndNearsTheRest) {
    std::vector<uint16_t> pixels;
    for (uint16_t colour = 0; colour < 256; ++colour)
        pixels.insert(pixels.end(), 10, static_cast<uint16_t>(colour << 8));
    pixels.push_back(0x0001); // nearest kept colour: 0x0000
    pixels.push_back(0xFF01); // nearest kept colour: 0xFF00
    preview::IndexedFrame frame = preview::indexFrame(pixels);
    ASSERT_EQ(frame.palette.size(), 256u);
    for (size_t i = 0; i + 2 < pixels.size(); ++i)
        EXPECT_EQ(frame.palette[frame.indices[i]], preview::rgbOf(pixels[i]));
    EXPECT_EQ(frame.palette[frame.indices[pixels.size() - 2]], preview::rgbOf(0x0000));
    EXPECT_EQ(frame.palette[frame.indices[pixels.size() - 1]], preview::rgbOf(0xFF00));
}

TEST(PreviewColours, AnEmptyFrameHasAnEmptyPalette) {
    preview::IndexedFrame frame = preview::indexFrame({});
    EXPECT_TRUE(frame.palette.empty());
    EXPECT_TRUE(frame.indices.empty());
}

// ---- GIF files ------------------------------------------------------------------------------

class PreviewGif : public ::testing::Test {
protected:
    std::string path(const char *name) const { return (scratch.path() / name).string(); }
    farview_test::ScratchDirectory scratch;
    std::string error;
};

TEST_F(PreviewGif, TheFramesReadBackAsTheyWereRendered) {
    preview::GifAnimation gif;
    ASSERT_TRUE(gif.open(path("turn.gif"), 64, 48, 80, &error)) << error;
    std::vector<std::vector<uint16_t>> frames{gradientFrame(64, 48, 0), gradientFrame(64, 48, 0x8000),
                                              std::vector<uint16_t>(64 * 48, 0x4208)};
    for (const auto &frame : frames) ASSERT_TRUE(gif.addFrame(frame, &error)) << error;
    EXPECT_EQ(gif.frameCount(), 3);
    ASSERT_TRUE(gif.close(&error)) << error;

    ReadGif read(path("turn.gif"));
    ASSERT_NE(read.file, nullptr);
    EXPECT_EQ(read.file->SWidth, 64);
    EXPECT_EQ(read.file->SHeight, 48);
    ASSERT_EQ(read.file->ImageCount, 3);
    EXPECT_TRUE(read.loopsForever());
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(read.delay(f), 8); // 80 ms in the hundredths GIF keeps
        for (int y = 0; y < 48; y += 7)
            for (int x = 0; x < 64; x += 5)
                ASSERT_EQ(read.pixel(f, x, y), preview::rgbOf(frames[f][static_cast<size_t>(y * 64 + x)]))
                    << f << x << y;
    }
}

TEST_F(PreviewGif, AFullScreenFrameOfManyColoursIsWritten) {
    preview::GifAnimation gif;
    ASSERT_TRUE(gif.open(path("rich.gif"), 320, 240, 100, &error)) << error;
    std::vector<uint16_t> pixels(320 * 240);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint16_t>(i * 7919);
    ASSERT_TRUE(gif.addFrame(pixels, &error)) << error;
    ASSERT_TRUE(gif.close(&error)) << error;
    ReadGif read(path("rich.gif"));
    ASSERT_NE(read.file, nullptr);
    EXPECT_EQ(read.file->ImageCount, 1);
}

TEST_F(PreviewGif, AGifThatIsNotClosedStillReadsBack) {
    {
        preview::GifAnimation gif;
        ASSERT_TRUE(gif.open(path("open.gif"), 8, 8, 0, &error)) << error;
        ASSERT_TRUE(gif.addFrame(std::vector<uint16_t>(64, 0xF800), &error)) << error;
    }
    ReadGif read(path("open.gif"));
    ASSERT_NE(read.file, nullptr);
    EXPECT_EQ(read.file->ImageCount, 1);
    EXPECT_EQ(read.pixel(0, 7, 7), 0xFF0000u);
}

TEST_F(PreviewGif, ProblemsNameTheFile) {
    preview::GifAnimation gif;
    EXPECT_FALSE(gif.open(path("no-folder/a.gif"), 8, 8, 100, &error));
    EXPECT_NE(error.find("no-folder/a.gif"), std::string::npos) << error;
    EXPECT_FALSE(gif.isOpen());
    EXPECT_FALSE(gif.addFrame(std::vector<uint16_t>(64, 0), &error));

    ASSERT_TRUE(gif.open(path("sized.gif"), 8, 8, 100, &error)) << error;
    EXPECT_FALSE(gif.addFrame(std::vector<uint16_t>(63, 0), &error));
    EXPECT_NE(error.find("sized.gif"), std::string::npos) << error;
}

TEST_F(PreviewGif, GetsTheUsualModeAsThePngImagesBesideItDo) {
    const mode_t before = umask(022);
    preview::GifAnimation gif;
    const bool written = gif.open(path("turn.gif"), 4, 4, 100, &error) && gif.close(&error) &&
                         simhost::writeScreenPng(path("view.png"), &error);
    umask(before);
    ASSERT_TRUE(written) << error;
    namespace fs = std::filesystem;
    const fs::perms usual = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read;
    EXPECT_EQ(fs::status(path("view.png")).permissions(), usual);
    EXPECT_EQ(fs::status(path("turn.gif")).permissions(), usual);
}

TEST_F(PreviewGif, DelaysAreKeptInHundredthsAndClamped) {
    preview::GifAnimation gif;
    ASSERT_TRUE(gif.open(path("slow.gif"), 4, 4, 2'000'000'000, &error)) << error;
    ASSERT_TRUE(gif.addFrame(std::vector<uint16_t>(16, 0), &error)) << error;
    ASSERT_TRUE(gif.close(&error)) << error;
    ReadGif read(path("slow.gif"));
    ASSERT_NE(read.file, nullptr);
    EXPECT_EQ(read.delay(0), 0xFFFF);
}

} // namespace
