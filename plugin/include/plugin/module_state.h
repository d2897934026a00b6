// The plug-in's module-level objects. They live from load to unload; the host calls the plug-in on
// its one thread, so nothing here is ever touched by two threads.
#pragma once

#include "mapdata/map_record.h"
#include "render/sprite_registry.h"
#include "render/view_state.h"

namespace farview {

extern ViewState viewState;
extern MapRecord mapRecord;
extern SpriteRegistry spriteRegistry;

// The title-screen reset: drawing off and everything of a running game freed; the view-state
// values set by commands survive.
void resetForTitleScreen();

} // namespace farview
