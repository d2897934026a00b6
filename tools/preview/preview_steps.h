// The preview script as read from its text, before anything runs: one record a step. Private to
// preview_script*.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace preview {

enum class StepKind {
    Enter,
    Map,
    Tileset,
    Hero,
    Event,
    Move,
    Face,
    Sheet,
    Pose,
    Scroll,
    ScrollFollow,
    Pictures,
    Comment,
    Frame,
    GifStart,
    GifEnd,
    Repeat,
    End,
    Title,
    ExpectVariable,
    ExpectReturned,
    ExpectDrawn,
    Action,
    RunEvent,
    RunCommon,
};

struct Step {
    StepKind kind = StepKind::Title;
    int32_t line = 0;
    std::vector<int32_t> numbers;     // in the order written (Frame: its picture numbers)
    std::string text;                 // a file or tileset name; Comment: the whole line
    std::string graphic;              // Tileset: the graphic's name
    std::optional<std::string> sheet; // Event, Sheet: the sheet name when one is given
    std::optional<int32_t> eventId;   // Move, Face, Sheet, Pose: the event acted on; none: the hero
    bool expected = false;            // ExpectReturned, ExpectDrawn
    size_t partner = 0;               // Repeat: index of its End; End: index of its Repeat
    int64_t runs = 1;                 // how many times the step runs, repeats multiplied out
};

struct Script {
    std::vector<Step> steps;
    int64_t frameCount = 0; // frames rendered when the script runs to its end
};

// Fills *script from the text; false with "NAME:LINE: what" in *error at the first bad line.
bool readScript(const std::string &text, const std::string &name, Script &script, std::string *error);

// A frame step's file name for its run-th run (from 1): "{n}" replaced by the run number padded
// to the width of the step's last run; a step that runs more than once without "{n}" gets "-{n}"
// before its extension.
std::string frameFileName(const Step &step, int64_t run);

} // namespace preview
