// The view state: the rendering parameters that commands write and the renderer reads, and the
// four image references the renderer draws from.
#pragma once

#include <cstdint>

#include "host/farview_host.h"
#include "numeric/angle.h"

namespace farview {

// Types are exact: the floor and sprite arithmetic depends on the float / integer split.
struct ViewState {
    float zValue = 90.0f;            // camera height factor
    int32_t horizonOffset = 25;      // rows added below the horizon before the division
    int32_t horizon = 50;            // first floor row; rows above form the background band
    float textureScaleX = 260.0f;    // lateral scale
    float textureScaleY = 260.0f;    // depth scale, multiplies zValue
    float rotationAngle = 270.0f;    // degrees, within 0 to 360 inclusive
    float rotationalOffset = 100.0f; // map pixels from the eye forward to the camera point
    int32_t mode7PictureId = 1;      // host picture after which the view is drawn
    int32_t backgroundWidth = -1;    // -1 until a background is loaded
    float backgroundPixelsPerDegree = -1.0f;
    float cameraX = 160.0f; // map pixels, recomputed at the start of every frame
    float cameraY = 120.0f;
    bool usingBackground = true;
    bool wrapping = false;
    bool mode7Rendering = false;

    // mapTexture and tilesetImage are second references to the map record's images; the plug-in
    // owns boundaryTexture and backgroundImage.
    FvHostImage *mapTexture = nullptr;
    FvHostImage *tilesetImage = nullptr;
    FvHostImage *boundaryTexture = nullptr;
    FvHostImage *backgroundImage = nullptr;
};

} // namespace farview
