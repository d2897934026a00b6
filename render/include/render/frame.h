// The frame driver: one rendered frame of the perspective view.
#pragma once

#include "mapdata/map_record.h"
#include "render/sprite_registry.h"
#include "render/view_state.h"

namespace farview {

// The body of onPictureDrawn: renders a frame when the picture just drawn is the view's picture
// (its pictureNumber equals mode7PictureId) and drawing is on.
void pictureDrawn(ViewState &view, const MapRecord &map, SpriteRegistry &registry, const FvDrawnPicture *picture);

// Works out the direction of view once and runs the floor stage, then the sprite stage. Without a
// usable map texture (none loaded yet, or after the title-screen reset) it draws nothing at all:
// the sprites stand on the floor and are placed by its camera point.
void renderFrame(ViewState &view, const MapRecord &map, SpriteRegistry &registry);

} // namespace farview
