// The renderer under any view state: the input is read as the view state's numbers (any bit
// pattern, NaN and infinities included), the host's scroll and screen pitch, the hero and a few
// events (positions, facing, animation step, sheet and sheet index) and a few placements (their
// characters, sizes and definitions), followed by one rendered frame, floor and sprites.
//
// Each floor path the processor has must paint the same pixels as the plain one: the vector
// paths are an optimisation that never changes a pixel.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_main.h"
#include "fuzz/fuzz_scene.h"
#include "host/host.h"
#include "mapdata/map_loading.h"
#include "render/floor.h"
#include "render/frame.h"
#include "simhost/simhost.h"
#include "texture/map_texture.h"

namespace {

constexpr size_t kMapCount = std::size(fuzz::kSceneMaps);

// Built once: every scene map loaded with its texture and a boundary texture, the background, and
// the sprite images in the cache. Inputs only choose among them.
struct Scene {
    farview::MapRecord maps[kMapCount];
    FvHostImage *boundaries[kMapCount] = {};
    FvHostImage *background = nullptr;
    farview::SpriteRegistry registry;
    FvHostCharacter stranger{}; // a character the host does not have: placements of it draw nothing
    std::vector<FvHostCharacter *> events; // this input's events
};

Scene &scene() {
    static Scene *const built = [] {
        auto *s = new Scene;
        simhost::resetEngine();
        farview::bindHost(&simhost::hostInterface());
        fuzz::writeSceneFiles();
        for (size_t i = 0; i < kMapCount; ++i) {
            fuzz::enterSceneMap(fuzz::kSceneMaps[i]);
            farview::loadMap(s->maps[i]);
            farview::buildMapTexture(s->maps[i]);
            farview::setBoundaryTexture(s->boundaries[i], s->maps[i], 0, 0);
            farview::ViewState loaded;
            loaded.mapTexture = s->maps[i].mapTexture;
            if (!farview::hasUsableMapTexture(loaded, s->maps[i])) fuzz::fail("a scene map did not load");
        }
        s->background = simhost::createImage();
        simhost::loadImageFile(s->background, fuzz::kSceneBackground, 1);
        // Every image an input can name is cached now, so that no input depends on what earlier
        // ones loaded. The missing sheet's load fails once, here.
        for (const char *image : {fuzz::kSceneSprite, fuzz::kSceneStrip, "CharSet/walker.png", "CharSet/nobody.png"})
            farview::lookUpImage(s->registry.imageCache, image);
        if (simhost::messages().size() != 1) fuzz::fail("the scene's images did not load");
        simhost::clearMessages();
        return s;
    }();
    return *built;
}

farview::ViewState takeViewState(fuzz::InputBytes &in, const Scene &s, size_t map) {
    farview::ViewState view;
    view.zValue = in.take<float>();
    view.horizonOffset = in.take<int32_t>();
    view.horizon = in.take<int32_t>();
    view.textureScaleX = in.take<float>();
    view.textureScaleY = in.take<float>();
    view.rotationAngle = in.take<float>();
    view.rotationalOffset = in.take<float>();
    view.backgroundWidth = in.take<int32_t>();
    view.backgroundPixelsPerDegree = in.take<float>();
    view.usingBackground = in.takeBool();
    view.wrapping = in.takeBool();
    view.mode7Rendering = true;
    const uint8_t present = in.take<uint8_t>(); // which images the view has
    view.mapTexture = (present & 1) == 0 ? s.maps[map].mapTexture : nullptr;
    view.tilesetImage = (present & 2) == 0 ? s.maps[map].tilesetImage : nullptr;
    view.boundaryTexture = (present & 4) == 0 ? s.boundaries[map] : nullptr;
    view.backgroundImage = (present & 8) == 0 ? s.background : nullptr;
    return view;
}

void takeSheet(fuzz::InputBytes &in, FvHostCharacter &character) {
    static const char *const sheets[] = {fuzz::kSceneSheet, "", "nobody"};
    simhost::setSheetName(character, sheets[in.takeChoice(std::size(sheets))]);
    character.facing = in.take<int32_t>();
    character.animationStep = in.take<int32_t>();
    character.sheetIndex = in.take<int32_t>();
}

// The hero on the chosen map and up to four events, wherever the input puts them.
void takeCharacters(fuzz::InputBytes &in, const fuzz::SceneMap &map, Scene &s) {
    simhost::setMapSize(map.width, map.height);
    const int32_t scrollX = in.take<int32_t>();
    simhost::setScroll(scrollX, in.take<int32_t>());
    FvHostCharacter &hero = simhost::hero();
    hero.mapId = map.mapId;
    hero.mapColumn = in.take<int32_t>();
    hero.mapRow = in.take<int32_t>();
    takeSheet(in, hero);
    simhost::clearEvents();
    s.events.clear();
    const size_t events = in.takeChoice(5);
    for (size_t i = 0; i < events; ++i) {
        const int32_t column = in.take<int32_t>();
        FvHostCharacter &event = simhost::addEvent(static_cast<int32_t>(i) + 1, column, in.take<int32_t>());
        takeSheet(in, event);
        s.events.push_back(&event);
    }
    simhost::setEventListPresent(in.takeChoice(8) != 0);
}

FvHostCharacter *takeCharacter(fuzz::InputBytes &in, Scene &s) {
    const size_t choice = in.takeChoice(7);
    if (choice == 0) return &simhost::hero();
    if (choice == 5) return nullptr;
    if (choice == 6) return &s.stranger;
    return choice <= s.events.size() ? s.events[choice - 1] : nullptr;
}

farview::SpriteDefinitionRef takeDefinition(fuzz::InputBytes &in) {
    static const char *const images[] = {fuzz::kSceneSprite, fuzz::kSceneStrip, "CharSet/walker.png", "uncached.png"};
    auto definition = std::make_shared<farview::SpriteDefinition>();
    definition->imageName = images[in.takeChoice(std::size(images))];
    definition->directions = in.take<uint16_t>();
    definition->frames = in.take<uint16_t>();
    definition->mode = in.take<uint8_t>() & 3;
    definition->offsetX = in.take<uint16_t>();
    definition->offsetY = in.take<uint16_t>();
    definition->followsFacing = in.takeBool();
    return definition;
}

void takePlacements(fuzz::InputBytes &in, Scene &s, int32_t mapId) {
    farview::SpriteRegistry &registry = s.registry;
    registry.placements.clear();
    registry.drawingOrder.clear();
    const size_t count = in.takeChoice(8);
    for (size_t i = 0; i < count; ++i) {
        auto placement = std::make_unique<farview::SpritePlacement>();
        placement->character = takeCharacter(in, s);
        placement->width = in.take<uint16_t>();
        placement->height = in.take<uint16_t>();
        if (in.takeBool()) placement->definition = takeDefinition(in);
        registry.drawingOrder.push_back(placement.get());
        registry.placements.push_back(std::move(placement));
    }
    registry.placementCount = static_cast<int32_t>(registry.placements.size());
    // Placements made on another map are never touched: the stage must check before it reads them.
    registry.placementsMapId = in.takeChoice(8) != 0 ? mapId : mapId + 1;
}

void takeScreenPitch(fuzz::InputBytes &in) {
    static const int32_t pitches[] = {simhost::kDefaultScreenPitch, 640, 641, 1282};
    const int32_t pitch = pitches[in.takeChoice(std::size(pitches))];
    if (simhost::screenPitch() != pitch) simhost::setScreenPitch(pitch);
}

// The screen's rows as bytes (a row may start at an odd address when the pitch is odd).
using Screen = std::vector<uint8_t>;
constexpr size_t kRowBytes = 2 * simhost::kScreenWidth;

void fillScreen(uint16_t colour) {
    uint8_t row[kRowBytes];
    for (size_t x = 0; x < kRowBytes; x += 2) std::memcpy(row + x, &colour, 2);
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
        std::memcpy(simhost::surfaceRow(simhost::screen(), y), row, kRowBytes);
}

void paintFloor(farview::FloorPath path, farview::ViewState view, const farview::MapRecord &map, float sine,
                float cosine, Screen &pixels) {
    fillScreen(0x4208);
    farview::renderFloorWith(path, view, map, sine, cosine);
    pixels.resize(kRowBytes * simhost::kScreenHeight);
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
        std::memcpy(pixels.data() + kRowBytes * y, simhost::surfaceRow(simhost::screen(), y), kRowBytes);
}

// The frame driver's direction of view, worked out the same way.
void directionOf(float angle, float &sine, float &cosine) {
    const double radians = 0.0174532925 * double{angle};
    sine = static_cast<float>(std::sin(radians));
    cosine = static_cast<float>(std::cos(radians));
}

void checkFloorPathsAgree(const farview::ViewState &view, const farview::MapRecord &map) {
    static Screen plain, other; // kept from input to input: no allocation per input
    float sine = 0.0f, cosine = 0.0f;
    directionOf(view.rotationAngle, sine, cosine);
    paintFloor(farview::FloorPath::plain, view, map, sine, cosine, plain);
    for (farview::FloorPath path : {farview::FloorPath::sse2, farview::FloorPath::avx2}) {
        if (!farview::floorPathAvailable(path)) continue;
        paintFloor(path, view, map, sine, cosine, other);
        if (other != plain)
            fuzz::fail(path == farview::FloorPath::sse2 ? "the SSE2 floor differs from the plain floor"
                                                        : "the AVX2 floor differs from the plain floor");
    }
}

// What the input made is freed before it ends, so that libFuzzer's leak check sees an input
// allocate no more than it frees.
void clearInput(Scene &s) {
    s.registry.placements.clear();
    s.registry.drawingOrder.clear();
    s.registry.placementCount = 0;
    simhost::clearEvents();
    s.events.clear();
    simhost::releaseString(&simhost::hero().sheetName);
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    Scene &s = scene();
    fuzz::InputBytes in(data, size);
    const size_t map = in.takeChoice(kMapCount);
    farview::ViewState view = takeViewState(in, s, map);
    takeCharacters(in, fuzz::kSceneMaps[map], s);
    takePlacements(in, s, fuzz::kSceneMaps[map].mapId);
    takeScreenPitch(in);

    checkFloorPathsAgree(view, s.maps[map]);
    fillScreen(0x4208);
    farview::renderFrame(view, s.maps[map], s.registry);
    clearInput(s);
}
