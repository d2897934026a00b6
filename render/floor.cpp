// The floor stage: the camera point, the background band and the floor rows of one frame.
#include "render/floor.h"

#include <algorithm>
#include <cstddef>

#include "floor_rows.h"
#include "host/host.h"
#include "numeric/numeric.h"

namespace farview {

namespace {

// The screen surface as the floor writes it: row r starts r * pitch bytes after row 0.
struct ScreenRows {
    unsigned char *firstRow;
    std::ptrdiff_t pitch;

    uint16_t *row(int32_t r) const { return reinterpret_cast<uint16_t *>(firstRow + r * pitch); }
};

// The pitch is rounded toward zero to an even number of bytes; rows nearer than a whole row of 320
// pixels would overwrite each other and run past the surface's last row.
bool findScreen(ScreenRows &screen) {
    FvHostSurface *surface = hostScreen();
    if (surface == nullptr) return false;
    uint16_t *firstRow = host().surfaceRow(surface, 0);
    const int32_t pitch = host().surfacePitch(surface) / 2 * 2;
    if (firstRow == nullptr || (pitch > -2 * kFloorColumns && pitch < 2 * kFloorColumns)) return false;
    screen = {reinterpret_cast<unsigned char *>(firstRow), pitch};
    return true;
}

void setCamera(ViewState &view, const FvHostCharacter *hero, const FvHostMapView &mapView) {
    const int64_t x = int64_t{host().characterScreenX(hero)} + scrollInPixels(mapView.scrollX);
    const int64_t y = int64_t{host().characterScreenY(hero)} + scrollInPixels(mapView.scrollY);
    view.cameraX = static_cast<float>(x);
    view.cameraY = static_cast<float>(y);
}

void paintBlack(uint16_t *pixels) { std::fill(pixels, pixels + kFloorColumns, uint16_t{0}); }

// Band row r shows row r of the background image one to one, scrolled sideways by the angle.
// Pixels with no texel to show (no image, an image narrower or shorter than needed) are black.
void paintBandRow(const ViewState &view, int32_t r, uint16_t *pixels) {
    const FvHostImage *image = view.backgroundImage;
    const int32_t period = view.backgroundWidth;
    if (image == nullptr || image->pixels == nullptr || image->width < 1 || period < 1 || r >= image->height) {
        paintBlack(pixels);
        return;
    }
    const int32_t offset = truncateToInt32(view.backgroundPixelsPerDegree * view.rotationAngle);
    const uint8_t *texels = image->pixels + int64_t{r} * image->width;
    int32_t column = static_cast<int32_t>((int64_t{offset} % period + period) % period);
    for (int32_t c = 0; c < kFloorColumns; ++c) {
        pixels[c] = column < image->width ? image->colors[texels[column]] : uint16_t{0};
        column = column + 1 == period ? 0 : column + 1;
    }
}

void paintBackgroundBand(const ViewState &view, const ScreenRows &screen) {
    if (!view.usingBackground) return; // the band keeps what the host drew
    const int32_t bandRows = std::clamp(view.horizon, 0, kScreenRows);
    for (int32_t r = 0; r < bandRows; ++r) paintBandRow(view, r, screen.row(r));
}

void collectBoundaryColours(const FvHostImage *boundary, uint16_t *colours) {
    const bool usable = boundary != nullptr && boundary->pixels != nullptr && boundary->width >= kBoundarySide &&
                        boundary->height >= kBoundarySide;
    for (int32_t row = 0; row < kBoundarySide; ++row) {
        for (int32_t column = 0; column < kBoundarySide; ++column) {
            colours[row * kBoundarySide + column] =
                usable ? boundary->colors[boundary->pixels[row * boundary->width + column]] : uint16_t{0};
        }
    }
}

// Without wrapping, the floor outside the map shows the boundary texture, or black without one.
FloorSource floorSource(const ViewState &view, const MapRecord &map) {
    FloorSource source{};
    source.mapPixels = view.mapTexture->pixels;
    source.mapColors = view.mapTexture->colors;
    source.width = map.pixelWidth;
    source.height = map.pixelHeight;
    source.wrapping = view.wrapping;
    collectBoundaryColours(view.boundaryTexture, source.boundaryColour);
    return source;
}

using FloorRowsFunction = uint32_t (*)(const FloorSource &, const FloorGroup &);

// Groups of rows through a vector path; a row it could not draw exactly is drawn by the plain path.
void paintFloorRowsInLanes(FloorRowsFunction drawRows, int32_t lanes, const FloorSource &source, const FloorRow *rows,
                           const ScreenRows &screen, int32_t firstRow) {
    FloorGroup group;
    uint16_t spareRow[kFloorColumns]; // lanes past the last row draw here
    for (int32_t groupRow = firstRow; groupRow < kScreenRows; groupRow += lanes) {
        const int32_t count = std::min(lanes, kScreenRows - groupRow);
        for (int32_t lane = 0; lane < lanes; ++lane) {
            group.rows[lane] = rows[groupRow + std::min(lane, count - 1)];
            group.pixels[lane] = lane < count ? screen.row(groupRow + lane) : spareRow;
        }
        describeFloorGroup(source, lanes, group);
        const uint32_t exactLanes = drawRows(source, group);
        for (int32_t lane = 0; lane < count; ++lane) {
            if (!(exactLanes >> lane & 1u)) drawFloorRowPlain(source, group.rows[lane], group.pixels[lane]);
        }
    }
}

void paintFloorRows(FloorPath path, const ViewState &view, const FloorSource &source, float sine, float cosine,
                    const ScreenRows &screen) {
    const int32_t firstRow = std::clamp(view.horizon, 0, kScreenRows);
    FloorRow rows[kScreenRows];
    floorRowStarts(view, sine, cosine, firstRow, rows);
    if (path != FloorPath::plain && vectorPathFits(source)) {
#if defined(FARVIEW_FLOOR_VECTORS)
        if (path == FloorPath::avx2) {
            paintFloorRowsInLanes(drawFloorRowsAvx2, kAvx2Lanes, source, rows, screen, firstRow);
        } else {
            paintFloorRowsInLanes(drawFloorRowsSse2, kSse2Lanes, source, rows, screen, firstRow);
        }
#endif
        return;
    }
    for (int32_t r = firstRow; r < kScreenRows; ++r) drawFloorRowPlain(source, rows[r], screen.row(r));
}

} // namespace

bool hasUsableMapTexture(const ViewState &view, const MapRecord &map) {
    const FvHostImage *texture = view.mapTexture;
    return texture != nullptr && texture->pixels != nullptr && map.pixelWidth > 0 && map.pixelHeight > 0 &&
           texture->width == map.pixelWidth && texture->height == map.pixelHeight;
}

bool floorPathAvailable(FloorPath path) {
    switch (path) {
    case FloorPath::plain: return true;
    case FloorPath::sse2:
#if defined(FARVIEW_FLOOR_VECTORS)
        return true;
#else
        return false;
#endif
    case FloorPath::avx2:
#if defined(FARVIEW_FLOOR_VECTORS)
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

FloorPath widestFloorPath() {
    if (floorPathAvailable(FloorPath::avx2)) return FloorPath::avx2;
    if (floorPathAvailable(FloorPath::sse2)) return FloorPath::sse2;
    return FloorPath::plain;
}

void renderFloorWith(FloorPath path, ViewState &view, const MapRecord &map, float sine, float cosine) {
    if (!hasUsableMapTexture(view, map)) return;
    const FvHostCharacter *hero = hostHero();
    const FvHostMapView *mapView = hostMapView();
    ScreenRows screen{};
    if (hero == nullptr || mapView == nullptr || !findScreen(screen)) return;
    if (!floorPathAvailable(path)) path = FloorPath::plain;

    setCamera(view, hero, *mapView);
    paintBackgroundBand(view, screen);
    paintFloorRows(path, view, floorSource(view, map), sine, cosine, screen);
}

void renderFloor(ViewState &view, const MapRecord &map, float sine, float cosine) {
    static const FloorPath widest = widestFloorPath();
    renderFloorWith(widest, view, map, sine, cosine);
}

} // namespace farview
