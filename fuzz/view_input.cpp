#include "fuzz/view_input.h"

#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_main.h"
#include "host/host.h"
#include "mapdata/map_loading.h"
#include "render/floor.h"
#include "simhost/simhost.h"
#include "texture/map_texture.h"

namespace fuzz {

ViewScene &viewScene() {
    static ViewScene *const built = [] {
        auto *s = new ViewScene;
        simhost::resetEngine();
        farview::bindHost(&simhost::hostInterface());
        writeSceneFiles();
        for (size_t i = 0; i < kViewMapCount; ++i) {
            enterSceneMap(kSceneMaps[i]);
            farview::loadMap(s->maps[i]);
            farview::buildMapTexture(s->maps[i]);
            farview::setBoundaryTexture(s->boundaries[i], s->maps[i], 0, 0);
            farview::ViewState loaded;
            loaded.mapTexture = s->maps[i].mapTexture;
            if (!farview::hasUsableMapTexture(loaded, s->maps[i])) fail("a scene map did not load");
        }
        s->background = simhost::createImage();
        simhost::loadImageFile(s->background, kSceneBackground, 1);
        // Every image an input can name is cached now, so that no input depends on what earlier
        // ones loaded. The missing sheet's load fails once, here.
        for (const char *image : {kSceneSprite, kSceneStrip, "CharSet/walker.png", "CharSet/nobody.png"})
            farview::lookUpImage(s->registry.imageCache, image);
        if (simhost::messages().size() != 1) fail("the scene's images did not load");
        simhost::clearMessages();
        return s;
    }();
    return *built;
}

namespace {

farview::ViewState takeViewState(InputBytes &in, const ViewScene &s, size_t map) {
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

void takeSheet(InputBytes &in, FvHostCharacter &character) {
    static const char *const sheets[] = {kSceneSheet, "", "nobody"};
    simhost::setSheetName(character, sheets[in.takeChoice(std::size(sheets))]);
    character.facing = in.take<int32_t>();
    character.animationStep = in.take<int32_t>();
    character.sheetIndex = in.take<int32_t>();
}

// The hero on the chosen map and up to four events, wherever the input puts them.
void takeCharacters(InputBytes &in, const SceneMap &map, ViewScene &s) {
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

// The hero, one of the input's events, nobody, or an event the host does not have: placements of
// it draw nothing.
farview::PlacedCharacter takeCharacter(InputBytes &in, ViewScene &s) {
    constexpr int32_t kStrangerId = 999;
    const size_t choice = in.takeChoice(7);
    if (choice == 0) return farview::placedHero();
    if (choice == 5) return {};
    if (choice == 6) return farview::placedEvent(kStrangerId);
    return choice <= s.events.size() ? farview::placedEvent(s.events[choice - 1]->id) : farview::PlacedCharacter{};
}

farview::SpriteDefinitionRef takeDefinition(InputBytes &in) {
    static const char *const images[] = {kSceneSprite, kSceneStrip, "CharSet/walker.png", "uncached.png"};
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

void takePlacements(InputBytes &in, ViewScene &s, int32_t mapId) {
    farview::SpriteRegistry &registry = s.registry;
    registry.placements.clear();
    registry.drawingOrder.clear();
    registry.placementCount = 0;
    const size_t count = in.takeChoice(8);
    for (size_t i = 0; i < count; ++i) {
        const farview::PlacedCharacter who = takeCharacter(in, s);
        const uint16_t width = in.take<uint16_t>();
        const uint16_t height = in.take<uint16_t>();
        farview::appendPlacement(registry, who, in.takeBool() ? takeDefinition(in) : nullptr, width, height);
    }
    // Events of another map are never looked up: the stage must check before it finds them.
    registry.placementsMapId = in.takeChoice(8) != 0 ? mapId : mapId + 1;
}

void takeScreenPitch(InputBytes &in) {
    static const int32_t pitches[] = {simhost::kDefaultScreenPitch, 640, 641, 1282};
    const int32_t pitch = pitches[in.takeChoice(std::size(pitches))];
    if (simhost::screenPitch() != pitch) simhost::setScreenPitch(pitch);
}

} // namespace

ViewInput takeViewInput(const uint8_t *data, size_t size) {
    ViewScene &s = viewScene();
    InputBytes in(data, size);
    const size_t map = in.takeChoice(kViewMapCount);
    const farview::ViewState view = takeViewState(in, s, map);
    takeCharacters(in, kSceneMaps[map], s);
    takePlacements(in, s, kSceneMaps[map].mapId);
    takeScreenPitch(in);
    return {view, &s.maps[map]};
}

void clearViewInput() {
    ViewScene &s = viewScene();
    s.registry.placements.clear();
    s.registry.drawingOrder.clear();
    s.registry.placementCount = 0;
    simhost::clearEvents();
    s.events.clear();
    simhost::releaseString(&simhost::hero().sheetName);
}

} // namespace fuzz
