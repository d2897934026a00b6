// The floor written straight from its rules, one pixel at a time: slow and obvious, the measure
// every fast path is held to. Header-only, so that the benchmarks can run it too.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "host/host.h"
#include "mapdata/map_record.h"
#include "numeric/numeric.h"
#include "render/view_state.h"

namespace farview_test {

namespace reference {

// Division and rounding to float with their IEEE results, including the cases (a zero divisor, a
// double beyond the float range) that C++ leaves undefined.
inline double divide(double a, double b) {
    if (b != 0.0) return a / b;
    if (std::isnan(a) || a == 0.0) return std::numeric_limits<double>::quiet_NaN();
    return (a < 0.0) != std::signbit(b) ? -HUGE_VAL : HUGE_VAL;
}

inline float toFloat(double x) {
    if (std::isnan(x)) return std::numeric_limits<float>::quiet_NaN();
    if (std::fabs(x) >= 0x1.ffffffp127) return x < 0.0 ? -HUGE_VALF : HUGE_VALF;
    if (std::fabs(x) > FLT_MAX) return x < 0.0 ? -FLT_MAX : FLT_MAX;
    return static_cast<float>(x);
}

inline int64_t floorModulo(int64_t n, int64_t period) {
    const int64_t r = n % period;
    return r < 0 ? r + period : r;
}

inline uint16_t texelColour(const FvHostImage &image, int64_t x, int64_t y) {
    return image.colors[image.pixels[y * image.width + x]];
}

inline uint16_t floorColour(const farview::ViewState &view, int32_t W, int32_t H, float u, float v) {
    using farview::truncateToInt32;
    const FvHostImage &map = *view.mapTexture;
    if (view.wrapping) {
        if (W - 1 < 1 || H - 1 < 1) return 0;
        const int64_t x = floorModulo(truncateToInt32(std::floor(double{u})), W - 1);
        const int64_t y = floorModulo(truncateToInt32(std::floor(double{v})), H - 1);
        return texelColour(map, x, y);
    }
    if (0.0 <= u && double{u} < W - 1.0 && 0.0 <= v && double{v} < H - 1.0) {
        return texelColour(map, truncateToInt32(u), truncateToInt32(v));
    }
    const FvHostImage *boundary = view.boundaryTexture;
    if (boundary == nullptr || boundary->pixels == nullptr || boundary->width < 16 || boundary->height < 16) {
        return 0;
    }
    return texelColour(*boundary, truncateToInt32(u) & 15, truncateToInt32(v) & 15);
}

inline uint16_t bandColour(const farview::ViewState &view, int32_t r, int32_t c) {
    const FvHostImage *image = view.backgroundImage;
    if (image == nullptr || image->pixels == nullptr || view.backgroundWidth < 1) return 0;
    const float degrees = view.backgroundPixelsPerDegree * view.rotationAngle;
    const int64_t offset = farview::truncateToInt32(degrees);
    const int64_t column = floorModulo(c + offset, view.backgroundWidth);
    if (r >= image->height || column >= image->width) return 0;
    return texelColour(*image, column, r);
}

} // namespace reference

// Same contract as farview::renderFloor.
inline void referenceFloor(farview::ViewState &view, const farview::MapRecord &map, float sine, float cosine) {
    using namespace farview;
    const int32_t W = map.pixelWidth, H = map.pixelHeight;
    const FvHostImage *texture = view.mapTexture;
    if (!hostBound() || texture == nullptr || texture->pixels == nullptr || W < 1 || H < 1 || texture->width != W ||
        texture->height != H) {
        return;
    }
    FvHostCharacter *hero = hostHero();
    FvHostMapView *mapView = hostMapView();
    FvHostSurface *surface = hostScreen();
    if (hero == nullptr || mapView == nullptr || surface == nullptr) return;
    auto *row0 = reinterpret_cast<unsigned char *>(host().surfaceRow(surface, 0));
    const int64_t pitch = host().surfacePitch(surface) / 2 * 2;
    if (row0 == nullptr || std::llabs(pitch) < 640) return;
    auto pixel = [&](int32_t r, int32_t c) -> uint16_t & { return reinterpret_cast<uint16_t *>(row0 + r * pitch)[c]; };

    view.cameraX = static_cast<float>(int64_t{host().characterScreenX(hero)} + mapView->scrollX / 16);
    view.cameraY = static_cast<float>(int64_t{host().characterScreenY(hero)} + mapView->scrollY / 16);

    for (int32_t r = 0; r < 240 && r < view.horizon && view.usingBackground; ++r) {
        for (int32_t c = 0; c < 320; ++c) pixel(r, c) = reference::bandColour(view, r, c);
    }

    for (int32_t r = view.horizon < 0 ? 0 : view.horizon; r < 240; ++r) {
        const double K = double{view.zValue} * double{view.textureScaleY};
        const double z = reference::divide(K, double(r) + double(view.horizonOffset));
        const double s = reference::divide(z, double{view.textureScaleX});
        const double dU = -double{sine} * s;
        const double dV = double{cosine} * s;
        const double U = view.cameraX + double{cosine} * (z - view.rotationalOffset) + (-160) * dU;
        const double V = view.cameraY + double{sine} * (z - view.rotationalOffset) + (-160) * dV - 6;
        float u = reference::toFloat(U), v = reference::toFloat(V);
        const float du = reference::toFloat(dU), dv = reference::toFloat(dV);
        for (int32_t c = 0; c < 320; ++c) {
            pixel(r, c) = reference::floorColour(view, W, H, u, v);
            u += du;
            v += dv;
        }
    }
}

} // namespace farview_test
