#include "render/frame.h"

#include <cmath>

#include "render/floor.h"
#include "render/sprite_stage.h"

namespace farview {

namespace {
// Ten decimals, slightly smaller than pi / 180: at 270 degrees the cosine is about -5.4e-9, not 0.
constexpr double kRadiansPerDegree = 0.0174532925;
} // namespace

void pictureDrawn(ViewState &view, const MapRecord &map, SpriteRegistry &registry, const FvDrawnPicture *picture) {
    if (picture == nullptr) return;
    if (picture->pictureNumber != view.mode7PictureId) return;
    if (!view.mode7Rendering) return;
    renderFrame(view, map, registry);
}

void renderFrame(ViewState &view, const MapRecord &map, SpriteRegistry &registry) {
    // Before any map is loaded, or after a reset, there is nothing to show: the frame draws nothing.
    if (!hasUsableMapTexture(view, map)) return;

    const double radians = kRadiansPerDegree * double{view.rotationAngle};
    const float sine = static_cast<float>(std::sin(radians));
    const float cosine = static_cast<float>(std::cos(radians));

    renderFloor(view, map, sine, cosine);
    renderSprites(view, map, registry, sine, cosine);
}

} // namespace farview
