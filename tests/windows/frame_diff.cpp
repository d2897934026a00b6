// Names the pixels in which two frames differ: how many, their bounding box and the first few.
//   frame_diff FIRST.png SECOND.png     exit status 0 when every pixel is the same
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Frame {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    std::vector<png_byte> rgb;
};

bool readFrame(const char *path, Frame &frame) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGB;
    frame.width = image.width;
    frame.height = image.height;
    frame.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, frame.rgb.data(), 0, nullptr) != 0;
}

} // namespace

int main(int argc, char **argv) {
    Frame first, second;
    if (argc != 3 || !readFrame(argv[1], first) || !readFrame(argv[2], second)) {
        std::printf("usage: frame_diff FIRST.png SECOND.png (both readable PNG files)\n");
        return 2;
    }
    if (first.width != second.width || first.height != second.height) {
        std::printf("    sizes differ: %ux%u against %ux%u\n", first.width, first.height, second.width, second.height);
        return 1;
    }
    unsigned long differing = 0;
    png_uint_32 left = first.width, right = 0, top = first.height, bottom = 0;
    for (png_uint_32 y = 0; y < first.height; ++y) {
        for (png_uint_32 x = 0; x < first.width; ++x) {
            const size_t at = 3 * (size_t(y) * first.width + x);
            if (std::equal(&first.rgb[at], &first.rgb[at] + 3, &second.rgb[at])) continue;
            if (++differing <= 8)
                std::printf("    (%u, %u): %02x%02x%02x against %02x%02x%02x\n", x, y, first.rgb[at],
                            first.rgb[at + 1], first.rgb[at + 2], second.rgb[at], second.rgb[at + 1], second.rgb[at + 2]);
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (differing == 0) {
        std::printf("    the same pixels in different bytes (the PNG encoders differ)\n");
        return 0;
    }
    std::printf("    %lu pixels differ, within x %u..%u, y %u..%u\n", differing, left, right, top, bottom);
    return 1;
}
