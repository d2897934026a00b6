// The guide's pictures are made from preview scripts (see tools/preview/preview_script.h). A
// script's panels are its labelled frames, each a line
//
//   frame FILE  # LABEL
//
// outside any repeat: the frame written to FILE becomes a panel of the picture, labelled LABEL.
// Frames without a label (a walk inside a repeat, an animation) are rendered and left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace guide {

// The widest label a panel has room for, in characters of the tools' font.
constexpr size_t kLongestLabel = 52;

struct LabelledFrame {
    std::string file;  // as the frame line names it, relative to the output folder
    std::string label; // printable ASCII, at most kLongestLabel characters
    int32_t line = 0;
};

// The labelled frames of the script, in the order of their lines. False with "NAME:LINE: what" in
// *error for a label the panel cannot show (too long, outside printable ASCII) or a labelled frame
// without a file.
bool readLabelledFrames(const std::string &scriptText, const std::string &scriptName,
                        std::vector<LabelledFrame> &frames, std::string *error);

} // namespace guide
