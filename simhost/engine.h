// What the stand-in engine's own files share; nothing outside simhost/ includes this.
#pragma once

#include <string>

#include "host/farview_host.h"

namespace simhost::engine {

// The host's own report about something it could not do (a file it could not load, a module it
// refused). Goes to messages() under the caption "simhost".
void reportProblem(const std::string &text);

// The engine's global locations, as the host table hands them to the plug-in.
extern FvHostSurface *screenLocation;

void destroyAllImages();
void resetScreen();

} // namespace simhost::engine
