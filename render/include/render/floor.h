// The floor stage: the background band and the perspective floor, painted onto the host's screen.
#pragma once

#include "mapdata/map_record.h"
#include "render/view_state.h"

namespace farview {

// Fixes the frame's camera point (cameraX, cameraY) from the hero's screen position and the map
// view's scroll, then paints the background band (rows 0 to horizon - 1) and every floor row from
// horizon to 239 onto the host's screen surface, from view.mapTexture seen at the angle whose sine
// and cosine are given. Paints nothing and leaves the camera as it was when there is no usable map
// texture (see below), no hero, no map view or no screen surface.
void renderFloor(ViewState &view, const MapRecord &map, float sine, float cosine);

// True when view.mapTexture is an image with pixels whose size is the map's pixel size: the floor
// addresses the texture with the map's size, so any other image would be read outside its pixels.
bool hasUsableMapTexture(const ViewState &view, const MapRecord &map);

// The floor's implementations. All paint the same pixels; renderFloor runs the widest one the
// processor has. Tests and benchmarks choose one with renderFloorWith.
enum class FloorPath { plain, sse2, avx2 };

bool floorPathAvailable(FloorPath path); // compiled in and supported by this processor
FloorPath widestFloorPath();
// renderFloor through the given path; a path that is not available falls back to plain.
void renderFloorWith(FloorPath path, ViewState &view, const MapRecord &map, float sine, float cosine);

} // namespace farview
