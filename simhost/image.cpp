// Host images: 8-bit palette indices with a palette and its RGB565 colours.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_set>

#include "engine.h"
#include "game_folder_names.h"
#include "png_io.h"
#include "simhost/game_folder.h"
#include "simhost/simhost.h"

namespace simhost {
namespace {

// Never destroyed, like the rest of the engine: a plug-in may still destroy images while the program
// exits, and live images stay reachable for the leak checker.
std::unordered_set<FvHostImage *> &liveImages() {
    static auto *const images = new std::unordered_set<FvHostImage *>;
    return *images;
}

void releasePixels(FvHostImage &image) {
    std::free(image.pixels);
    image.pixels = nullptr;
    image.width = 0;
    image.height = 0;
}

// The host's file names are UTF-8 on Windows (see png_io.cpp).
std::string hostPath(const std::filesystem::path &path) {
#ifdef _WIN32
    return path.u8string();
#else
    return path.string();
#endif
}

// A file name the plug-in passes comes from the game, in its code page; messages are UTF-8.
std::string quoted(const char *fileName) { return "\"" + toUtf8(fileName) + "\""; }

} // namespace

// The image joins the live set before it is handed out, so a failed allocation frees it.
FvHostImage *createImage() {
    auto image = std::make_unique<FvHostImage>();
    liveImages().insert(image.get());
    return image.release();
}

void setImageSize(FvHostImage *image, int32_t width, int32_t height) {
    if (image == nullptr) return;
    // A host keeps the buffer of an image sized again to the same size, as a game that rebuilds
    // its map texture for the same map does on every load.
    if (image->pixels != nullptr && image->width == width && image->height == height) {
        std::memset(image->pixels, 0, static_cast<size_t>(width) * static_cast<size_t>(height));
        return;
    }
    releasePixels(*image);
    if (width < 0 || height < 0) return;
    int64_t count = int64_t{width} * height;
    if (count > std::numeric_limits<int32_t>::max()) return; // more than the host can address
    if (count > 0) {
        image->pixels = static_cast<uint8_t *>(std::calloc(static_cast<size_t>(count), 1));
        if (image->pixels == nullptr) return;
    }
    image->width = width;
    image->height = height;
}

void destroyImage(FvHostImage *image) {
    if (image == nullptr) return;
    if (liveImages().erase(image) == 0) {
        engine::reportProblem("destroy image: the image was not created by this host or is already destroyed");
        return;
    }
    std::free(image->pixels);
    delete image;
}

int32_t liveImageCount() { return static_cast<int32_t>(liveImages().size()); }

void loadImageFile(FvHostImage *image, const char *fileName, int32_t loadOption) {
    if (fileName == nullptr) {
        engine::reportProblem("Cannot load an image: no file name given");
        return;
    }
    if (image == nullptr) {
        engine::reportProblem("Cannot load image " + quoted(fileName) + ": no image to load it into");
        return;
    }
    png::PalettedImage decoded{};
    std::string problem;
    // Found as the real host finds a game's files: in any letter case, named in the code page, in
    // the game folder or else among the standard graphics.
    const GraphicFile file = findGraphicFile({}, fileName);
    if (file.source == GraphicSource::nowhere) problem = graphicNotFoundReason();
    else if (askIfOnItsWay(file.path)) problem = kStillBeingReadIn;
    if (!problem.empty() || !png::readPaletted(hostPath(file.path), &decoded, &problem)) {
        engine::reportProblem("Cannot load image " + quoted(fileName) + ": " + problem);
        return;
    }
    std::free(image->pixels);
    image->pixels = decoded.pixels;
    image->width = static_cast<int32_t>(decoded.width);
    image->height = static_cast<int32_t>(decoded.height);
    std::memcpy(image->palette, decoded.palette, sizeof image->palette);
    image->loadOption = static_cast<uint8_t>(loadOption);
    applyPalette(image);
}

uint16_t rgb565(uint32_t rgb) {
    uint32_t red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

void applyPalette(FvHostImage *image) {
    if (image == nullptr) return;
    for (int i = 0; i < 256; ++i) image->colors[i] = rgb565(image->palette[i]);
}

bool writeImagePng(const FvHostImage &image, const std::string &path, std::string *error) {
    std::string problem;
    bool written = false;
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) {
        problem = "the image is empty";
    } else {
        std::vector<const uint8_t *> rows;
        for (int32_t y = 0; y < image.height; ++y) rows.push_back(image.pixels + size_t(y) * size_t(image.width));
        written = png::write(path, static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height),
                             image.palette, rows.data(), &problem);
    }
    if (!written && error != nullptr) *error = "Cannot write image \"" + path + "\": " + problem;
    return written;
}

bool writeRgbPng(const std::string &path, int32_t width, int32_t height, const std::vector<uint8_t> &rgb,
                 std::string *error) {
    std::string problem = "the picture is empty or its pixels do not fill it";
    bool written = false;
    if (width > 0 && height > 0 && rgb.size() == size_t(width) * size_t(height) * 3) {
        std::vector<const uint8_t *> rows;
        for (int32_t y = 0; y < height; ++y) rows.push_back(rgb.data() + size_t(y) * size_t(width) * 3);
        written = png::write(path, static_cast<uint32_t>(width), static_cast<uint32_t>(height), nullptr, rows.data(),
                             &problem);
    }
    if (!written && error != nullptr) *error = "Cannot write image \"" + path + "\": " + problem;
    return written;
}

namespace engine {
void destroyAllImages() {
    for (FvHostImage *image : liveImages()) {
        std::free(image->pixels);
        delete image;
    }
    liveImages().clear();
}
} // namespace engine

} // namespace simhost
