// The 320 x 240 RGB565 screen surface and the host's two image drawing operations.
//
// Row r starts r * pitch bytes after row 0. The pitch may be odd, so inside the engine a pixel is
// always moved with memcpy: a row may start at an odd address.
#include <algorithm>
#include <array>
#include <cstring>

#include "engine.h"
#include "png_io.h"
#include "simhost/simhost.h"

struct FvHostSurface {
    int32_t pitch = simhost::kDefaultScreenPitch;
    std::vector<uint16_t> storage; // 16-bit units keep row 0 aligned
};

namespace simhost {
namespace {

constexpr int32_t kMinScreenPitch = kScreenWidth * 2;
constexpr int32_t kMaxScreenPitch = 1 << 16; // a named bound, far above any real surface

FvHostSurface screenSurface;

// Cleared with memset on the block the surface keeps: the screen is reset on every title screen
// (in the fuzz targets, every input), and refilling a new 150 KB block element by element is slow
// under the sanitizers.
void allocate(FvHostSurface &surface) {
    const size_t units = (size_t(surface.pitch) * kScreenHeight + 1) / 2;
    surface.storage.resize(units);
    std::memset(surface.storage.data(), 0, units * sizeof(uint16_t));
}

uint8_t *rowBytes(FvHostSurface &surface, int32_t row) {
    if (surface.storage.empty()) allocate(surface);
    return reinterpret_cast<uint8_t *>(surface.storage.data()) + size_t(row) * size_t(surface.pitch);
}

void storePixel(uint8_t *row, int64_t x, uint16_t colour) { std::memcpy(row + 2 * x, &colour, 2); }

uint16_t loadPixel(const uint8_t *row, int64_t x) {
    uint16_t colour = 0;
    std::memcpy(&colour, row + 2 * x, 2);
    return colour;
}

// One axis of an unscaled copy, clipped so that the source stays inside [0, imageSize) and the
// target inside [0, screenSize).
struct Span {
    int64_t source = 0;
    int64_t target = 0;
    int64_t length = 0;
};

Span clipAxis(int64_t sourceStart, int64_t length, int64_t targetStart, int64_t imageSize, int64_t screenSize) {
    if (length <= 0) return {};
    int64_t skip = std::max({int64_t{0}, -sourceStart, -targetStart});
    int64_t end = std::min({length, imageSize - sourceStart, screenSize - targetStart});
    if (end <= skip) return {};
    return {sourceStart + skip, targetStart + skip, end - skip};
}

// The visible part [first, last) of a target run of `length` pixels starting at `start`.
bool visibleRange(int64_t start, int64_t length, int64_t screenSize, int64_t *first, int64_t *last) {
    *first = std::max<int64_t>(0, -start);
    *last = std::min<int64_t>(length, screenSize - start);
    return *first < *last;
}

bool drawable(const FvHostSurface *surface, const FvHostImage *image) {
    return surface != nullptr && image != nullptr && image->pixels != nullptr && image->width > 0 && image->height > 0;
}

} // namespace

namespace engine {
FvHostSurface *screenLocation = &screenSurface;

void resetScreen() {
    screenSurface.pitch = kDefaultScreenPitch;
    allocate(screenSurface);
}
} // namespace engine

FvHostSurface *screen() {
    if (screenSurface.storage.empty()) allocate(screenSurface);
    return &screenSurface;
}

void setScreenPitch(int32_t bytes) {
    screenSurface.pitch = std::clamp(bytes, kMinScreenPitch, kMaxScreenPitch);
    allocate(screenSurface);
}

int32_t screenPitch() { return screenSurface.pitch; }

uint16_t screenPixel(int32_t x, int32_t y) {
    if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return 0;
    return loadPixel(rowBytes(screenSurface, y), x);
}

void fillScreen(uint16_t colour) {
    for (int32_t y = 0; y < kScreenHeight; ++y) {
        uint8_t *row = rowBytes(screenSurface, y);
        for (int32_t x = 0; x < kScreenWidth; ++x) storePixel(row, x, colour);
    }
}

bool writeScreenPng(const std::string &path, std::string *error) {
    // Repeating a channel's top bits below it maps 31 to 255 and keeps the 16-bit value recoverable.
    auto widen5 = [](uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); };
    auto widen6 = [](uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); };
    std::vector<uint8_t> rgb(size_t(kScreenWidth) * kScreenHeight * 3);
    std::vector<const uint8_t *> rows;
    for (int32_t y = 0; y < kScreenHeight; ++y) {
        uint8_t *out = rgb.data() + size_t(y) * kScreenWidth * 3;
        rows.push_back(out);
        for (int32_t x = 0; x < kScreenWidth; ++x) {
            uint16_t colour = screenPixel(x, y);
            out[3 * x] = widen5(colour >> 11);
            out[3 * x + 1] = widen6((colour >> 5) & 0x3F);
            out[3 * x + 2] = widen5(colour & 0x1F);
        }
    }
    std::string problem;
    bool written = png::write(path, kScreenWidth, kScreenHeight, nullptr, rows.data(), &problem);
    if (!written && error != nullptr) *error = "Cannot write screen image \"" + path + "\": " + problem;
    return written;
}

// With an odd pitch, odd rows start at odd addresses, where a uint16_t must not be read or written
// in place.
uint16_t *surfaceRow(FvHostSurface *surface, int32_t row) {
    if (surface == nullptr || row < 0 || row >= kScreenHeight) return nullptr;
    return reinterpret_cast<uint16_t *>(rowBytes(*surface, row));
}

int32_t surfacePitch(FvHostSurface *surface) { return surface != nullptr ? surface->pitch : 0; }

void drawImage(FvHostSurface *surface, int32_t x, int32_t y, FvHostImage *image, FvRect source) {
    if (!drawable(surface, image)) return;
    Span columns = clipAxis(source.x, source.width, x, image->width, kScreenWidth);
    Span rows = clipAxis(source.y, source.height, y, image->height, kScreenHeight);
    for (int64_t j = 0; j < rows.length; ++j) {
        const uint8_t *indices = image->pixels + (rows.source + j) * image->width + columns.source;
        uint8_t *target = rowBytes(*surface, static_cast<int32_t>(rows.target + j));
        for (int64_t i = 0; i < columns.length; ++i)
            if (indices[i] != 0) storePixel(target, columns.target + i, image->colors[indices[i]]);
    }
}

// Only the target pixels on the surface are visited; a target pixel whose source pixel lies
// outside the image is left as it is.
void stretchDrawImage(FvHostSurface *surface, FvRect target, FvHostImage *image, FvRect source) {
    if (!drawable(surface, image) || target.width <= 0 || target.height <= 0) return;
    int64_t firstColumn, lastColumn, firstRow, lastRow;
    if (!visibleRange(target.x, target.width, kScreenWidth, &firstColumn, &lastColumn)) return;
    if (!visibleRange(target.y, target.height, kScreenHeight, &firstRow, &lastRow)) return;
    std::array<int64_t, kScreenWidth> sourceColumns{};
    for (int64_t i = firstColumn; i < lastColumn; ++i)
        sourceColumns[size_t(i - firstColumn)] = source.x + i * source.width / target.width;
    for (int64_t j = firstRow; j < lastRow; ++j) {
        int64_t sourceRow = source.y + j * source.height / target.height;
        if (sourceRow < 0 || sourceRow >= image->height) continue;
        const uint8_t *indices = image->pixels + sourceRow * image->width;
        uint8_t *row = rowBytes(*surface, static_cast<int32_t>(target.y + j));
        for (int64_t i = firstColumn; i < lastColumn; ++i) {
            int64_t sourceColumn = sourceColumns[size_t(i - firstColumn)];
            if (sourceColumn < 0 || sourceColumn >= image->width) continue;
            uint8_t index = indices[sourceColumn];
            if (index != 0) storePixel(row, target.x + i, image->colors[index]);
        }
    }
}

} // namespace simhost
