// Animated GIF images of rendered frames, written frame by frame as they are rendered, so that a
// long animation never has to be held in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GifFileType;

namespace preview {

// A frame's pixels as GIF palette indices. Every colour of the frame is kept exactly when it has
// at most 256; otherwise the 256 most frequent are kept and every other colour is drawn as the
// nearest of them.
struct IndexedFrame {
    std::vector<uint32_t> palette; // 0x00RRGGBB, at most 256
    std::vector<uint8_t> indices;  // one a pixel
};
IndexedFrame indexFrame(const std::vector<uint16_t> &rgb565);

// The 24-bit colour of a screen colour, each channel widened by repeating its top bits, as the
// screen's PNG images have it.
uint32_t rgbOf(uint16_t rgb565);

// The screen surface's pixels, row by row.
std::vector<uint16_t> screenPixels();

// One GIF file that loops for ever, each frame shown for the same delay.
class GifAnimation {
public:
    GifAnimation() = default;
    GifAnimation(const GifAnimation &) = delete;
    GifAnimation &operator=(const GifAnimation &) = delete;
    ~GifAnimation(); // closes an open file, keeping the frames added so far

    // Creates the file; false with a message naming it. delayMilliseconds is rounded to the
    // hundredths of a second that GIF keeps.
    bool open(const std::string &path, int32_t width, int32_t height, int32_t delayMilliseconds, std::string *error);
    // width * height pixels of the screen's format.
    bool addFrame(const std::vector<uint16_t> &rgb565, std::string *error);
    bool close(std::string *error);

    bool isOpen() const { return file_ != nullptr; }
    const std::string &path() const { return path_; }
    int32_t frameCount() const { return frameCount_; }

private:
    bool fail(const std::string &what, int code, std::string *error);

    GifFileType *file_ = nullptr;
    std::string path_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t delayHundredths_ = 0;
    int32_t frameCount_ = 0;
};

} // namespace preview
