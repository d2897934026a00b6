#include "png_io.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <filesystem>
#endif

namespace simhost::png {
namespace {

// The stand-in host's file names are UTF-8 on Windows, whose narrow fopen would read them in the
// system's code page; a name that is not UTF-8 is handed to fopen as it is.
FILE *openFile(const std::string &path, const char *mode) {
#ifdef _WIN32
    try {
        const std::wstring wideMode(mode, mode + std::strlen(mode));
        return _wfopen(std::filesystem::u8path(path).c_str(), wideMode.c_str());
    } catch (const std::filesystem::filesystem_error &) {}
#endif
    return std::fopen(path.c_str(), mode);
}

// libpng leaves the decoding and encoding functions below by longjmp on every error, so their
// frames hold only plain C data; pointers that change after setjmp are volatile.
struct ErrorText {
    char text[256];
};

void PNGCBAPI onError(png_structp png, png_const_charp message) {
    auto *error = static_cast<ErrorText *>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message != nullptr ? message : "libpng error");
    png_longjmp(png, 1);
}

void PNGCBAPI onWarning(png_structp, png_const_charp) {} // the engine keeps stderr quiet

void failWith(png_structp png, const char *format, long value) {
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    png_error(png, text);
}

void checkPalettedHeader(png_structp png, png_infop info) {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (colourType != PNG_COLOR_TYPE_PALETTE)
        failWith(png, "not a paletted PNG (colour type %ld); only paletted PNGs can be loaded", colourType);
    if (bitDepth != 1 && bitDepth != 2 && bitDepth != 4 && bitDepth != 8)
        failWith(png, "unsupported bit depth %ld", bitDepth);
    if (width > kMaxImageSide) failWith(png, "width %ld is larger than the limit 16384", static_cast<long>(width));
    if (height > kMaxImageSide) failWith(png, "height %ld is larger than the limit 16384", static_cast<long>(height));
}

void readPalette(png_structp png, png_infop info, PalettedImage *image) {
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &entries, &count) != PNG_INFO_PLTE || entries == nullptr)
        png_error(png, "the palette (PLTE chunk) is missing");
    std::memset(image->palette, 0, sizeof image->palette);
    for (int i = 0; i < count && i < 256; ++i)
        image->palette[i] = (uint32_t{entries[i].red} << 16) | (uint32_t{entries[i].green} << 8) | entries[i].blue;
}

constexpr int kSignatureSize = 8;

bool hasPngSignature(FILE *file) {
    png_byte signature[kSignatureSize];
    return std::fread(signature, 1, kSignatureSize, file) == kSignatureSize &&
           png_sig_cmp(signature, 0, kSignatureSize) == 0;
}

// Decodes what follows the signature.
bool decode(FILE *file, PalettedImage *image, ErrorText *error) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, error, onError, onWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(error->text, sizeof error->text, "out of memory");
        return false;
    }
    png_bytep *volatile rows = nullptr;
    image->pixels = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(rows);
        std::free(image->pixels);
        image->pixels = nullptr;
        return false;
    }
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_init_io(png, file);
    png_set_sig_bytes(png, kSignatureSize);
    png_read_info(png, info);
    checkPalettedHeader(png, info);
    png_set_packing(png); // 1, 2 and 4-bit indices become one byte each, values unchanged
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image->width = png_get_image_width(png, info);
    image->height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != image->width) png_error(png, "unexpected row size after unpacking");
    readPalette(png, info, image);

    size_t width = image->width, height = image->height;
    image->pixels = static_cast<uint8_t *>(std::malloc(width * height > 0 ? width * height : 1));
    rows = static_cast<png_bytep *>(std::malloc(sizeof(png_bytep) * (height > 0 ? height : 1)));
    if (image->pixels == nullptr || rows == nullptr) png_error(png, "out of memory");
    for (size_t y = 0; y < height; ++y) rows[y] = image->pixels + y * width;
    png_read_image(png, rows);

    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool encode(FILE *file, uint32_t width, uint32_t height, const uint32_t *palette, const uint8_t *const *rows,
            ErrorText *error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, onError, onWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(error->text, sizeof error->text, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    int colourType = palette != nullptr ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (palette != nullptr) {
        png_color entries[256];
        for (int i = 0; i < 256; ++i) {
            entries[i].red = static_cast<png_byte>(palette[i] >> 16);
            entries[i].green = static_cast<png_byte>(palette[i] >> 8);
            entries[i].blue = static_cast<png_byte>(palette[i]);
        }
        png_set_PLTE(png, info, entries, 256);
    }
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows)); // libpng only reads the rows
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool readPaletted(const std::string &path, PalettedImage *image, std::string *problem) {
    FILE *file = openFile(path, "rb");
    if (file == nullptr) {
        *problem = std::strerror(errno);
        return false;
    }
    if (!hasPngSignature(file)) {
        std::fclose(file);
        *problem = "not a PNG file";
        return false;
    }
    ErrorText error{};
    bool decoded = decode(file, image, &error);
    if (!decoded) *problem = std::feof(file) ? "the file ends early (truncated)" : error.text;
    std::fclose(file);
    return decoded;
}

bool write(const std::string &path, uint32_t width, uint32_t height, const uint32_t *palette,
           const uint8_t *const *rows, std::string *problem) {
    if (width == 0 || height == 0) {
        *problem = "the image is empty";
        return false;
    }
    FILE *file = openFile(path, "wb");
    if (file == nullptr) {
        *problem = std::strerror(errno);
        return false;
    }
    ErrorText error{};
    bool encoded = encode(file, width, height, palette, rows, &error);
    bool closed = std::fclose(file) == 0;
    if (!encoded)
        *problem = error.text;
    else if (!closed)
        *problem = "could not finish writing the file";
    return encoded && closed;
}

} // namespace simhost::png
