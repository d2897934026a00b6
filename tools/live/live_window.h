// The live view's window (SDL2): the host's screen scaled by a whole factor, nearest neighbour,
// the overlay over it, at the display's refresh rate; keys, the mouse and dropped folders become
// effects of the controls' table and go to the session.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/live/live_session.h"

namespace live {

struct WindowOptions {
    int32_t scale = 3;               // window pixels to a screen pixel at the start
    std::vector<std::string> inputs; // for tests: input lines fed one a frame, then the window closes
    std::string inputsName;          // their file, for messages
};

// Runs until the window is closed (or the inputs are done). C's lines go to out, notes to err.
// Returns the process's exit status.
int runWindow(LiveSession &session, const WindowOptions &options, std::ostream &out, std::ostream &err);

} // namespace live
