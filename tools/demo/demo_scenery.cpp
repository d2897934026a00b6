// The demo's pictures beyond the tiles and sheets: a statue seen from eight sides, a standing tree,
// and the panorama above the horizon. The statue is traced from a few solid shapes, so that its
// eight views are one object turning.
#include <algorithm>
#include <cmath>

#include "tools/demo/demo_art.h"

namespace preview::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---- Shaded solids -------------------------------------------------------------------------------

struct Vec {
    double x, y, z;
    Vec operator+(const Vec &o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec operator-(const Vec &o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator*(double s) const { return {x * s, y * s, z * s}; }
    double dot(const Vec &o) const { return x * o.x + y * o.y + z * o.z; }
    double length() const { return std::sqrt(dot(*this)); }
    Vec normalised() const { return *this * (1.0 / std::max(length(), 1e-9)); }
};

double boxDistance(const Vec &p, const Vec &centre, const Vec &half) {
    const Vec q{std::fabs(p.x - centre.x) - half.x, std::fabs(p.y - centre.y) - half.y,
                std::fabs(p.z - centre.z) - half.z};
    const Vec outside{std::max(q.x, 0.0), std::max(q.y, 0.0), std::max(q.z, 0.0)};
    return outside.length() + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0);
}

double capsuleDistance(const Vec &p, const Vec &a, const Vec &b, double radius) {
    const Vec pa = p - a, ba = b - a;
    const double h = std::clamp(pa.dot(ba) / ba.dot(ba), 0.0, 1.0);
    return (pa - ba * h).length() - radius;
}

// A cylinder standing upright from bottom to top.
double cylinderDistance(const Vec &p, double cx, double cy, double radius, double bottom, double top) {
    const double radial = std::hypot(p.x - cx, p.y - cy) - radius;
    const double vertical = std::max(bottom - p.z, p.z - top);
    const Vec outside{std::max(radial, 0.0), std::max(vertical, 0.0), 0.0};
    return outside.length() + std::min(std::max(radial, vertical), 0.0);
}

enum Material { Stone, Bronze, Gold, Blade, MaterialCount };

struct Hit {
    double distance;
    Material material;
};

// The statue stands on the origin facing -y (north), as a character facing up does: a knight on a
// pedestal with a raised sword in the right hand (east) and a shield on the left arm. Units are
// model pixels.
Hit statueDistance(const Vec &p) {
    Hit hit{boxDistance(p, {0, 0, 1.5}, {13, 13, 1.5}), Stone};
    auto add = [&](double d, Material m) {
        if (d < hit.distance) hit = {d, m};
    };
    add(boxDistance(p, {0, 0, 7}, {9.5, 9.5, 4.5}) - 0.5, Stone);
    add(boxDistance(p, {0, -10, 7}, {4.5, 0.6, 2.0}), Gold); // the plaque, in front
    add(cylinderDistance(p, 0, 0, 6.5, 11.5, 22) - 0.3, Bronze);
    add(cylinderDistance(p, 0, 0, 5.2, 22, 29) - 0.5, Bronze);
    add(capsuleDistance(p, {-5.5, 0, 28}, {5.5, 0, 28}, 2.2), Bronze);  // shoulders
    add(Vec{p.x, p.y + 0.5, p.z - 33}.length() - 4.2, Bronze);          // head
    add(capsuleDistance(p, {6, -0.5, 27}, {8, -2.5, 34}, 1.6), Bronze); // right arm, raised
    add(capsuleDistance(p, {8, -2.5, 33.5}, {8, -2.5, 46}, 0.9), Blade);
    add(capsuleDistance(p, {5.5, -2.5, 35}, {10.5, -2.5, 35}, 0.8), Gold);            // the cross-guard
    add(capsuleDistance(p, {-6, -0.5, 27}, {-6.5, -3.5, 21}, 1.6), Bronze);           // left arm
    add(cylinderDistance(Vec{p.x, p.z, p.y}, -6.8, 20, 4.6, -5.2, -4.2) - 0.2, Gold); // shield, facing -y
    return hit;
}

Vec surfaceNormal(const Vec &p) {
    const double e = 0.05;
    return Vec{statueDistance(p + Vec{e, 0, 0}).distance - statueDistance(p - Vec{e, 0, 0}).distance,
               statueDistance(p + Vec{0, e, 0}).distance - statueDistance(p - Vec{0, e, 0}).distance,
               statueDistance(p + Vec{0, 0, e}).distance - statueDistance(p - Vec{0, 0, e}).distance}
        .normalised();
}

enum ScenicColour : uint8_t { ScenicClear, ScenicInk };
constexpr int32_t kShades = 6;
// Each material's shades run from dark to light after the two fixed entries.
uint8_t materialShade(Material material, int32_t shade) {
    return uint8_t(2 + material * kShades + std::clamp(shade, 0, kShades - 1));
}

const Palette &statuePalette() {
    static const Palette palette = [] {
        Palette p{};
        p[ScenicInk] = 0x1c1a22;
        const uint32_t ramps[MaterialCount][kShades] = {
            {0x3e3c44, 0x5a5860, 0x77757c, 0x96939a, 0xb5b2b4, 0xd6d2cc}, // stone
            {0x1f3b36, 0x2c564c, 0x3d7563, 0x53947c, 0x72b497, 0x9ad4b4}, // bronze under its green patina
            {0x6a4a14, 0x8c661c, 0xb08828, 0xd0a83a, 0xe8c858, 0xfae48a}, // gold
            {0x505866, 0x6e7888, 0x909aaa, 0xb4bcc8, 0xd6dce4, 0xf4f8fc}, // blade
        };
        for (int m = 0; m < MaterialCount; ++m)
            for (int s = 0; s < kShades; ++s) p[materialShade(Material(m), s)] = ramps[m][s];
        return p;
    }();
    return palette;
}

constexpr int32_t kStatueWidth = 32, kStatueHeight = 48;

// The statue seen looking along the map angle (degrees; 270 looks north, 0 east), from a little
// above. The sun stands high in the south-east of the map, so the shading turns with the view.
void traceStatueView(Canvas &strip, int32_t left, double angle) {
    const double a = angle * kPi / 180.0, tilt = 15.0 * kPi / 180.0, scale = 0.8;
    const Vec along{std::cos(a), std::sin(a), 0.0};
    const Vec right{-std::sin(a), std::cos(a), 0.0};
    const Vec forward = along * std::cos(tilt) + Vec{0, 0, -std::sin(tilt)};
    const Vec up = along * std::sin(tilt) + Vec{0, 0, std::cos(tilt)};
    const Vec sun = Vec{0.45, 0.55, 1.0}.normalised();
    const double baseRow = 43.0;
    for (int32_t row = 0; row < kStatueHeight; ++row) {
        for (int32_t column = 0; column < kStatueWidth; ++column) {
            const double u = (column + 0.5 - kStatueWidth / 2.0) / scale, w = (baseRow - row - 0.5) / scale;
            Vec p = right * u + up * w - forward * 80.0;
            for (int32_t step = 0; step < 200; ++step) {
                const Hit hit = statueDistance(p);
                if (hit.distance < 0.02) {
                    const double light = 0.3 + 0.75 * std::max(0.0, surfaceNormal(p).dot(sun));
                    const int32_t shade =
                        floorToInt(light * (kShades - 1) + 0.5 + 0.5 * (ditherThreshold(column, row) - 0.5));
                    strip.set(left + column, row, materialShade(hit.material, shade));
                    break;
                }
                p = p + forward * std::max(hit.distance, 0.02);
                if (hit.distance > 200.0) break;
            }
        }
    }
    strip.outline(left, 0, kStatueWidth, kStatueHeight, ScenicInk);
}

// ---- The standing tree ---------------------------------------------------------------------------

enum TreeColour : uint8_t { TreeClear, TreeInk, Bark0, Bark1, Bark2, Bark3, Leaf0, Leaf1, Leaf2, Leaf3, Leaf4, Leaf5 };

const Palette &treePalette() {
    static const Palette palette = [] {
        Palette p{};
        const uint32_t colours[] = {0x000000, 0x18201a, 0x3a2614, 0x573a1e, 0x77522c, 0x96703e,
                                    0x163d18, 0x1f5520, 0x2c6e28, 0x3e8a32, 0x5aa642, 0x86c65a};
        for (size_t i = 0; i < sizeof colours / sizeof colours[0]; ++i) p[i] = colours[i];
        return p;
    }();
    return palette;
}

// A ball of leaves lit from the upper left: each pixel shaded by the ball's surface there.
void leafBall(Canvas &tree, double cx, double cy, double radius, uint32_t seed) {
    const Vec light = Vec{-0.55, -0.6, 0.6}.normalised();
    for (int32_t y = floorToInt(cy - radius); y <= floorToInt(cy + radius); ++y) {
        for (int32_t x = floorToInt(cx - radius); x <= floorToInt(cx + radius); ++x) {
            const double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
            const double rim = 1.0 - 0.18 * hashUnit(x, y, seed); // a ragged edge of leaves
            if (dx * dx + dy * dy > rim) continue;
            const Vec normal{dx, dy, std::sqrt(std::max(0.0, 1.0 - dx * dx - dy * dy))};
            const double lit = 0.15 + 0.85 * std::max(0.0, normal.dot(light));
            const double grain = 0.5 * (hashUnit(x, y, seed + 1) - 0.5);
            tree.set(x, y, uint8_t(Leaf0 + std::clamp(floorToInt(lit * 6.0 + grain), 0, 5)));
        }
    }
}

} // namespace

Canvas paintStatueStrip() {
    Canvas strip(8 * kStatueWidth, kStatueHeight, statuePalette());
    // View k looks along map angle 270 - 45 k: view 0 from behind, as a character's row at the
    // default view, then a view further round for every 45 degrees the view turns anticlockwise.
    // That is the order in which the sprite stage picks a strip's views, so an event's facing
    // turns the statue as it turns a character.
    for (int32_t view = 0; view < 8; ++view) traceStatueView(strip, view * kStatueWidth, 270.0 - 45.0 * view);
    return strip;
}

Canvas paintTreeImage() {
    Canvas tree(48, 64, treePalette());
    // The trunk, widening into roots, lit from the left.
    for (int32_t y = 30; y < 64; ++y) {
        const double half = 3.5 + (y > 56 ? (y - 56) * 0.7 : 0.0);
        for (int32_t x = floorToInt(24 - half); x <= floorToInt(24 + half); ++x) {
            const double across = (x + 0.5 - (24 - half)) / (2 * half);
            const uint8_t bark = across < 0.25 ? Bark3 : across < 0.55 ? Bark2 : across < 0.85 ? Bark1 : Bark0;
            tree.set(x, y, (hash(x, y / 3, 301) % 7 == 0) ? uint8_t{Bark0} : bark);
        }
    }
    tree.fillRect(26, 38, 6, 2, Bark1); // a branch
    // Balls of leaves from the back to the front.
    const double balls[][3] = {{24, 16, 13}, {13, 24, 10}, {35, 24, 10}, {18, 32, 9},
                               {31, 33, 9},  {24, 9, 8},   {24, 26, 10}};
    for (size_t i = 0; i < sizeof balls / sizeof balls[0]; ++i)
        leafBall(tree, balls[i][0], balls[i][1], balls[i][2], 310 + uint32_t(i));
    tree.outline(0, 0, 48, 64, TreeInk);
    return tree;
}

// ---- The panorama ------------------------------------------------------------------------------------

namespace {

enum SkyColour : uint8_t { SkyClear, SkyFirst = 1 }; // sky shades from 1, then the fixed colours
constexpr int32_t kSkyShades = 14;
enum PanoramaColour : uint8_t {
    CloudLight = SkyFirst + kSkyShades,
    CloudMid,
    CloudShadow,
    Far0,
    Far1,
    Far2,
    Snow,
    Near0,
    Near1,
    Near2,
    Sea0,
    Sea1,
    Sea2,
    SeaGlint,
    PanoramaColourCount
};

const Palette &panoramaPalette() {
    static const Palette palette = [] {
        Palette p{};
        const uint32_t top = 0x2f62b8, bottom = 0xcfe8f6;
        for (int32_t i = 0; i < kSkyShades; ++i) {
            const double t = double(i) / (kSkyShades - 1);
            auto channel = [&](int shift) {
                const double a = (top >> shift) & 0xff, b = (bottom >> shift) & 0xff;
                return uint32_t(floorToInt(a + (b - a) * t + 0.5)) << shift;
            };
            p[SkyFirst + i] = channel(16) | channel(8) | channel(0);
        }
        const uint32_t fixed[] = {0xffffff, 0xe4ecf4, 0xb8c8dc, 0x7a8eb4, 0x8ea2c4, 0xa4b6d2, 0xf2f6fa,
                                  0x4e7a5a, 0x5e8e62, 0x72a26e, 0x2a5c9a, 0x3a70ae, 0x5088c0, 0xcfe6f6};
        for (int32_t i = 0; i < PanoramaColourCount - CloudLight; ++i) p[CloudLight + i] = fixed[i];
        return p;
    }();
    return palette;
}

void paintSky(Canvas &band, int32_t horizonRow) {
    for (int32_t y = 0; y < horizonRow; ++y) {
        const double shade = std::min(1.0, y / double(horizonRow - 2)) * (kSkyShades - 1);
        for (int32_t x = 0; x < band.width; ++x)
            band.set(x, y, uint8_t(SkyFirst + std::min(kSkyShades - 1, floorToInt(shade + ditherThreshold(x, y)))));
    }
}

// Clusters of puffs lit from above, drawn on both sides of the seam so that they wrap.
void paintClouds(Canvas &band) {
    constexpr int32_t kClouds = 9;
    for (int32_t cloud = 0; cloud < kClouds; ++cloud) {
        const double cx = cloud * (band.width / double(kClouds)) + 40.0 * hashUnit(cloud, 0, 404);
        const double cy = 8.0 + 14.0 * hashUnit(cloud, 1, 404);
        for (int32_t puff = 0; puff < 6; ++puff) {
            const double px = cx + (puff - 2.5) * 7.0 + 4.0 * hashUnit(cloud, puff, 405);
            const double py = cy - 2.5 * std::sin(puff * 0.9) - 1.5 * hashUnit(puff, cloud, 406);
            const double r = 5.0 + 3.0 * hashUnit(cloud, puff, 407);
            for (int32_t copy = -1; copy <= 1; ++copy) {
                const double x = px + copy * band.width;
                band.fillEllipse(x, py + 1.5, r * 1.2, r * 0.7, CloudShadow);
                band.fillEllipse(x, py, r * 1.1, r * 0.65, CloudMid);
                band.fillEllipse(x - 1, py - 1.5, r * 0.8, r * 0.45, CloudLight);
            }
        }
    }
}

// Distant peaks across the sea, each a cone whose sunlit east face is split from its shaded west
// face by a ridge running down from the top, with snow on the highest. They wrap round the band.
void paintMountains(Canvas &band, int32_t baseRow) {
    constexpr int32_t kPeaks = 13;
    for (int32_t i = 0; i < kPeaks; ++i) {
        const double peakX = i * (band.width / double(kPeaks)) + 30.0 * hashUnit(i, 0, 410);
        const double top = 13.0 + 12.0 * hashUnit(i, 1, 410), slope = 0.35 + 0.3 * hashUnit(i, 2, 410);
        for (int32_t x = 0; x < band.width; ++x) {
            const double dx = std::fmod(x + 0.5 - peakX + 1.5 * band.width, double(band.width)) - 0.5 * band.width;
            for (int32_t y = std::max(0, floorToInt(top + std::fabs(dx) * slope)); y < baseRow; ++y) {
                const double ridgeX = 0.4 * (y - top) + 2.0 * (hashUnit(y, i, 411) - 0.5);
                const bool sunlit = dx > ridgeX;
                uint8_t c = std::fabs(dx - ridgeX) < 1.0 ? Far1 : sunlit ? Far2 : Far0;
                if (top < 19.0 && y < top + 5.0 - 0.15 * std::fabs(dx) + 2.0 * hashUnit(x, i, 412))
                    c = sunlit ? Snow : Far2;
                band.set(x, y, c);
            }
        }
    }
}

// Green hills along the near shore, a sum of sines whose periods divide the band's width.
void paintHills(Canvas &band, int32_t baseRow) {
    const double waves[][3] = {{5, 3.0, 2.2}, {11, 1.8, 0.7}, {23, 1.0, 1.5}, {41, 0.6, 0.9}}; // cycles, height, phase
    for (int32_t x = 0; x < band.width; ++x) {
        double height = 0.0;
        for (const auto &wave : waves) height += wave[1] * std::sin(2.0 * kPi * wave[0] * x / band.width + wave[2]);
        const int32_t top = floorToInt(37.0 - height);
        for (int32_t y = std::max(top, 0); y < baseRow; ++y)
            band.set(x, y, y == top ? Near2 : (hashUnit(x, y, 402) < 0.2 ? Near0 : Near1));
    }
}

void paintSea(Canvas &band, int32_t shoreRow) {
    for (int32_t y = shoreRow; y < band.height; ++y) {
        for (int32_t x = 0; x < band.width; ++x) {
            uint8_t c = y < shoreRow + 3 ? Sea2 : (y < shoreRow + 12 ? Sea1 : Sea0);
            if (y > shoreRow + 1 && hashUnit(x / 3, y, 403) < 0.02) c = SeaGlint;
            band.set(x, y, c);
        }
    }
}

} // namespace

// Sky, clouds, mountains and hills beyond the sea, from the top down to the sea, which reaches the
// band's foot: the floor's far edge at the default horizon meets open water.
Canvas paintPanorama() {
    constexpr int32_t width = 960, height = 80, seaRow = 42;
    Canvas band(width, height, panoramaPalette());
    paintSky(band, seaRow);
    paintClouds(band);
    paintMountains(band, seaRow);
    paintHills(band, seaRow);
    paintSea(band, seaRow);
    return band;
}

} // namespace preview::demo
