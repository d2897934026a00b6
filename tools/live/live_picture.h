// What the window shows, drawn without a window: the host's 320 x 240 screen scaled by a whole
// factor, nearest neighbour, and the overlay's lines over it. The window only uploads the pixels.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "tools/live/controls.h"

namespace live {

// 0x00RRGGBB pixels, row by row.
struct WindowImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// The image as a 24-bit PNG file: what the window showed, overlay and all. False with a message
// naming the file.
bool writeWindowPng(const WindowImage &image, const std::string &path, std::string *error);

// The stand-in host's screen, each pixel as a scale x scale square; the image is sized to fit.
void scaleScreen(int32_t scale, WindowImage &image);

struct OverlayLine {
    std::string text;
    bool warning = false; // a message of the plug-in, the host, or a view that could not be made
};

// A message of the live view, as the overlay shows it.
using Message = OverlayLine;

struct OverlayFacts {
    LiveState state;
    int32_t mapId = 0;
    std::deque<std::string> sent;  // the last comment lines sent, oldest first
    std::deque<Message> notes;     // the last messages, oldest first
    int64_t pluginMicroseconds = 0;
    int32_t framesPerSecond = 0;
    bool recording = false;
};

std::vector<OverlayLine> overlayLines(const OverlayFacts &facts);

// The lines as the overlay shows them, at most columns columns each (a narrow character takes one,
// a wide one, as Chinese, Japanese and Korean characters are, two): a line break in a text (the
// plug-in's messages have them) starts a new line, a longer line is wrapped at blanks where it
// can, its continuation indented. Every script the games' code pages hold is drawn as it is.
std::vector<OverlayLine> wrappedLines(const std::vector<OverlayLine> &lines, size_t columns);

// The lines in the top-left corner in GNU Unifont's glyphs (overlay_glyphs.h), each glyph pixel
// fontScale x fontScale, on a darkened band, wrapped at the image's width.
void drawOverlay(const std::vector<OverlayLine> &lines, int32_t fontScale, WindowImage &image);

} // namespace live
