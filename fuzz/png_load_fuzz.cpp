// The stand-in host's image loader: the input is a .png file. A file it accepts must give an image
// whose pixels and size agree, and a small one must come back unchanged through the host's PNG
// writer and loader.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "fuzz/fuzz_main.h"
#include "simhost/simhost.h"

namespace {

constexpr const char *kInputFile = "input.png";
constexpr const char *kRoundTripFile = "round-trip.png";
constexpr int64_t kLargestRoundTrip = 1 << 16; // pixels; larger images only load

void writeInput(const uint8_t *data, size_t size) {
    std::ofstream file(kInputFile, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    if (!file) fuzz::fail("cannot write the input file");
}

bool sameImage(const FvHostImage &a, const FvHostImage &b) {
    return a.width == b.width && a.height == b.height &&
           std::memcmp(a.pixels, b.pixels, static_cast<size_t>(a.width) * static_cast<size_t>(a.height)) == 0 &&
           std::memcmp(a.palette, b.palette, sizeof a.palette) == 0 &&
           std::memcmp(a.colors, b.colors, sizeof a.colors) == 0;
}

void checkRoundTrip(const FvHostImage &loaded) {
    std::string error;
    if (!simhost::writeImagePng(loaded, kRoundTripFile, &error)) fuzz::fail(error.c_str());
    FvHostImage *again = simhost::createImage();
    simhost::loadImageFile(again, kRoundTripFile, 1);
    if (!sameImage(loaded, *again)) fuzz::fail("an image written and loaded again differs");
    simhost::destroyImage(again);
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    writeInput(data, size);
    FvHostImage *image = simhost::createImage();
    simhost::loadImageFile(image, kInputFile, 1);
    const bool loaded = simhost::messages().empty();
    simhost::clearMessages();
    if (!loaded) {
        if (image->pixels != nullptr || image->width != 0 || image->height != 0)
            fuzz::fail("a refused file changed the image");
        simhost::destroyImage(image);
        return;
    }
    if (image->pixels == nullptr || image->width <= 0 || image->height <= 0) fuzz::fail("a loaded image has no pixels");
    // The buffer's last pixel: a buffer shorter than width x height is a sanitizer report.
    static volatile uint8_t lastPixel;
    lastPixel = image->pixels[int64_t{image->width} * image->height - 1];
    (void)lastPixel;
    if (int64_t{image->width} * image->height <= kLargestRoundTrip) checkRoundTrip(*image);
    simhost::destroyImage(image);
}
