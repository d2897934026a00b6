#include "tools/preview/preview_animation.h"

#include <fcntl.h>
#include <gif_lib.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include <algorithm>

#include "simhost/simhost.h"

namespace preview {

namespace {

constexpr size_t kScreenColours = 1 << 16;
constexpr size_t kGifColours = 256;

int32_t squaredDistance(uint32_t a, uint32_t b) {
    int32_t distance = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int32_t d = static_cast<int32_t>((a >> shift) & 0xFF) - static_cast<int32_t>((b >> shift) & 0xFF);
        distance += d * d;
    }
    return distance;
}

// The screen colours of a frame, the most frequent first (ties by colour, so that the same frame
// always gets the same palette).
std::vector<uint16_t> coloursByFrequency(const std::vector<uint16_t> &rgb565, std::vector<uint32_t> &counts) {
    counts.assign(kScreenColours, 0);
    for (uint16_t colour : rgb565) ++counts[colour];
    std::vector<uint16_t> colours;
    for (size_t colour = 0; colour < kScreenColours; ++colour)
        if (counts[colour] > 0) colours.push_back(static_cast<uint16_t>(colour));
    std::stable_sort(colours.begin(), colours.end(),
                     [&counts](uint16_t a, uint16_t b) { return counts[a] > counts[b]; });
    return colours;
}

// giflib would create the file readable by its owner only; made here, it gets the user's usual
// mode, as the PNG images beside it do.
GifFileType *createGif(const std::string &path, int *code) {
#ifdef _WIN32
    const int handle = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
#endif
    if (handle < 0) {
        *code = E_GIF_ERR_OPEN_FAILED;
        return nullptr;
    }
    GifFileType *file = EGifOpenFileHandle(handle, code);
    if (file == nullptr) close(handle); // giflib keeps the handle only when it succeeds
    return file;
}

uint8_t nearestIndex(uint32_t rgb, const std::vector<uint32_t> &palette) {
    size_t best = 0;
    for (size_t i = 1; i < palette.size(); ++i)
        if (squaredDistance(rgb, palette[i]) < squaredDistance(rgb, palette[best])) best = i;
    return static_cast<uint8_t>(best);
}

// GIF colour maps hold a power of two of entries.
ColorMapObject *makeColourMap(const std::vector<uint32_t> &palette) {
    int size = 2;
    while (static_cast<size_t>(size) < palette.size()) size *= 2;
    std::vector<GifColorType> colours(static_cast<size_t>(size), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i)
        colours[i] = GifColorType{static_cast<GifByteType>(palette[i] >> 16), static_cast<GifByteType>(palette[i] >> 8),
                                  static_cast<GifByteType>(palette[i])};
    return GifMakeMapObject(size, colours.data());
}

bool putLoopForever(GifFileType *file) {
    static const GifByteType kApplication[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoopForever[] = {1, 0, 0}; // sub-block 1, loop count 0 (little-endian)
    return EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(file, sizeof kApplication, kApplication) == GIF_OK &&
           EGifPutExtensionBlock(file, sizeof kLoopForever, kLoopForever) == GIF_OK &&
           EGifPutExtensionTrailer(file) == GIF_OK;
}

bool putDelay(GifFileType *file, int32_t hundredths) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = hundredths;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    return EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
}

} // namespace

uint32_t rgbOf(uint16_t rgb565) {
    uint32_t r = (rgb565 >> 11) & 0x1F, g = (rgb565 >> 5) & 0x3F, b = rgb565 & 0x1F;
    r = (r << 3) | (r >> 2);
    g = (g << 2) | (g >> 4);
    b = (b << 3) | (b >> 2);
    return (r << 16) | (g << 8) | b;
}

IndexedFrame indexFrame(const std::vector<uint16_t> &rgb565) {
    std::vector<uint32_t> counts;
    std::vector<uint16_t> colours = coloursByFrequency(rgb565, counts);
    size_t kept = std::min(colours.size(), kGifColours);
    IndexedFrame frame;
    std::vector<uint8_t> indexOf(kScreenColours, 0);
    for (size_t i = 0; i < kept; ++i) {
        frame.palette.push_back(rgbOf(colours[i]));
        indexOf[colours[i]] = static_cast<uint8_t>(i);
    }
    for (size_t i = kept; i < colours.size(); ++i) indexOf[colours[i]] = nearestIndex(rgbOf(colours[i]), frame.palette);
    frame.indices.reserve(rgb565.size());
    for (uint16_t colour : rgb565) frame.indices.push_back(indexOf[colour]);
    return frame;
}

std::vector<uint16_t> screenPixels() {
    std::vector<uint16_t> pixels;
    pixels.reserve(static_cast<size_t>(simhost::kScreenWidth) * simhost::kScreenHeight);
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x) pixels.push_back(simhost::screenPixel(x, y));
    return pixels;
}

GifAnimation::~GifAnimation() { close(nullptr); }

bool GifAnimation::open(const std::string &path, int32_t width, int32_t height, int32_t delayMilliseconds,
                        std::string *error) {
    close(nullptr);
    path_ = path;
    width_ = width;
    height_ = height;
    delayHundredths_ = static_cast<int32_t>(std::clamp<int64_t>((int64_t{delayMilliseconds} + 5) / 10, 0, 0xFFFF));
    frameCount_ = 0;
    int code = 0;
    file_ = createGif(path, &code);
    if (file_ == nullptr) return fail("cannot create", code, error);
    EGifSetGifVersion(file_, true); // the delay and the loop are GIF89 extensions
    if (EGifPutScreenDesc(file_, width, height, 8, 0, nullptr) != GIF_OK || !putLoopForever(file_))
        return fail("cannot write", file_->Error, error);
    return true;
}

bool GifAnimation::addFrame(const std::vector<uint16_t> &rgb565, std::string *error) {
    if (file_ == nullptr) return fail("cannot add a frame to", E_GIF_ERR_NOT_WRITEABLE, error);
    if (rgb565.size() != static_cast<size_t>(width_) * static_cast<size_t>(height_))
        return fail("a frame of the wrong size for", E_GIF_ERR_DATA_TOO_BIG, error);
    IndexedFrame frame = indexFrame(rgb565);
    ColorMapObject *colours = makeColourMap(frame.palette);
    bool ok = colours != nullptr && putDelay(file_, delayHundredths_) &&
              EGifPutImageDesc(file_, 0, 0, width_, height_, false, colours) == GIF_OK;
    for (int32_t y = 0; ok && y < height_; ++y)
        ok = EGifPutLine(file_, frame.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width_), width_) ==
             GIF_OK;
    GifFreeMapObject(colours);
    if (!ok) return fail("cannot write", file_->Error, error);
    ++frameCount_;
    return true;
}

bool GifAnimation::close(std::string *error) {
    if (file_ == nullptr) return true;
    int code = 0;
    bool ok = EGifCloseFile(file_, &code) == GIF_OK; // frees the file's record either way
    file_ = nullptr;
    if (!ok && error != nullptr) *error = "cannot finish " + path_ + ": " + GifErrorString(code);
    return ok;
}

bool GifAnimation::fail(const std::string &what, int code, std::string *error) {
    const char *reason = GifErrorString(code);
    if (error != nullptr) *error = what + " " + path_ + ": " + (reason != nullptr ? reason : "unknown error");
    if (file_ != nullptr) {
        int ignored = 0;
        EGifCloseFile(file_, &ignored);
        file_ = nullptr;
    }
    return false;
}

} // namespace preview
