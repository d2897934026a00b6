// PNG reading and writing with libpng, kept apart so that libpng's longjmp error handling stays in
// one small file whose frames hold no object with a destructor.
#pragma once

#include <cstdint>
#include <string>

namespace simhost::png {

// The largest side the loader accepts: larger headers are refused before any pixel is allocated.
constexpr uint32_t kMaxImageSide = 16384;

// A decoded paletted PNG: one index byte per pixel (malloc'ed, the caller frees it), the palette
// as 0x00RRGGBB with entries past the file's own count zero.
struct PalettedImage {
    uint8_t *pixels;
    uint32_t width;
    uint32_t height;
    uint32_t palette[256];
};

// Reads a paletted PNG of 1, 2, 4 or 8 bits per index. On failure returns false and *problem says
// what was wrong (without the file name); nothing is left allocated.
bool readPaletted(const std::string &path, PalettedImage *image, std::string *problem);

// Writes rows of width bytes each: 8-bit indices with a 256-entry palette when palette is given,
// otherwise 8-bit RGB triples (rows of 3 * width bytes).
bool write(const std::string &path, uint32_t width, uint32_t height, const uint32_t *palette,
           const uint8_t *const *rows, std::string *problem);

} // namespace simhost::png
