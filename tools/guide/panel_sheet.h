// A picture of the guide: screens of the view side by side, each labelled under it, written as
// one PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace guide {

struct Panel {
    std::vector<uint16_t> screen; // the host's 320 x 240 screen, RGB565, row by row
    std::string label;
};

// Up to four panels stand in one row; more are spread evenly over as few rows as hold them.
int32_t panelColumns(size_t panelCount);

// Writes the panels as a PNG file: 8-bit paletted when the picture has at most 256 colours (the
// demo's screens do), else 24-bit. The same panels always give the same bytes. False with a
// message naming the file.
bool writePanelSheet(const std::vector<Panel> &panels, const std::string &path, std::string *error);

} // namespace guide
