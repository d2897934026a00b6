// The frame driver: one rendered frame of the perspective view.
#pragma once

#include "mapdata/map_record.h"
#include "render/view_state.h"

namespace farview {

// Works out the direction of view once and runs the floor stage, then the sprite stage.
void renderFrame(ViewState &view, const MapRecord &map);

} // namespace farview
