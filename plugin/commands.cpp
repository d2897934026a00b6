#include "plugin/commands.h"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "plugin/comment_record.h"
#include "host/host.h"
#include "mapdata/map_loading.h"
#include "numeric/angle.h"
#include "numeric/numeric.h"
#include "plugin/command_table.h"
#include "plugin/module_state.h"
#include "plugin/sprite_commands.h"
#include "texture/map_texture.h"

namespace farview {

namespace {

// A NaN or infinite angle has no place on the circle: the view keeps its direction.
void turnTo(float angle) {
    if (std::isfinite(angle)) viewState.rotationAngle = normaliseAngle(angle);
}

void rotateTo(const ParsedComment &c) { turnTo(c.real(1)); }
void rotateRightBy(const ParsedComment &c) { turnTo(roundToFloat(double{viewState.rotationAngle} + c.number(1))); }
void rotateLeftBy(const ParsedComment &c) { turnTo(roundToFloat(double{viewState.rotationAngle} - c.number(1))); }

void changeHeroSprite(const ParsedComment &c) {
    setHeroSprite(spriteRegistry, c.text(1), c.integer(2), c.integer(3), c.integer(4));
}

void addSpriteCommand(const ParsedComment &c) {
    SpriteArguments sprite;
    sprite.key = c.text(1);
    sprite.imageName = c.text(2);
    sprite.width = c.integer(3);
    sprite.height = c.integer(4);
    sprite.directions = c.integer(5);
    sprite.frames = c.integer(6);
    sprite.eventNumber = c.integer(7);
    if (c.parameterCount() > 7) {
        sprite.offsetX = c.integer(8);
        sprite.offsetY = c.integer(9);
    }
    addSprite(spriteRegistry, sprite);
}

// Every call loads a new image; the one it replaces is destroyed at once rather than kept until
// the title screen.
void setBackground(const ParsedComment &c) {
    FvHostImage *image = createLoadedImage(c.text(1));
    if (viewState.backgroundImage != nullptr) host().destroyImage(viewState.backgroundImage);
    viewState.backgroundImage = image;
    if (image == nullptr) return;
    viewState.backgroundWidth = image->width;
    viewState.backgroundPixelsPerDegree = roundToFloat(static_cast<double>(image->width) / double{kFullTurn});
}

void noEffect(const ParsedComment &) {}

// The steps run in this order whatever the earlier ones met: one that fails to allocate leaves
// the map record and the registry usable, and the next runs all the same.
template <class Step> void carryOn(Step step) {
    try {
        step();
    } catch (...) {}
}

void loadMapToTexture(const ParsedComment &) {
    carryOn([] { loadMap(mapRecord); });
    carryOn([] { buildMapTexture(mapRecord); });
    viewState.tilesetImage = mapRecord.tilesetImage;
    viewState.mapTexture = mapRecord.mapTexture;
    carryOn([] { placeCharactersOfLoadedMap(spriteRegistry); });
}

void setBoundaryTextureCommand(const ParsedComment &c) {
    if (c.parameterCount() != 2) return;
    setBoundaryTexture(viewState.boundaryTexture, mapRecord, c.integer(1), c.integer(2));
}

void setTextureScale(const ParsedComment &c) { viewState.textureScaleX = viewState.textureScaleY = c.real(1); }
void setZValue(const ParsedComment &c) { viewState.zValue = c.real(1); }

void setHorizon(const ParsedComment &c) {
    viewState.horizon = c.integer(1);
    viewState.horizonOffset = c.integer(2);
}

void setRotationalOffset(const ParsedComment &c) { viewState.rotationalOffset = c.real(1); }
void setWrapping(const ParsedComment &c) { viewState.wrapping = c.boolean(1); }
void setMode7PictureId(const ParsedComment &c) { viewState.mode7PictureId = c.integer(1); }
void initMode7(const ParsedComment &c) { viewState.mode7Rendering = c.boolean(1); }
void usingBackground(const ParsedComment &c) { viewState.usingBackground = c.boolean(1); }

// Grows the host's variables with zeroes up to variable n. False, with nothing changed, when the
// block's byte size does not fit 32 bits or the host cannot grow it.
bool ensureVariable(FvHostVariables &variables, int32_t n) {
    if (variables.values != nullptr && n - 1 < variables.count) return true;
    if (n > INT32_MAX / static_cast<int32_t>(sizeof(int32_t))) return false;
    void *block = variables.values;
    if (variables.values == nullptr) variables.count = 0;
    if (!host().resizeBlock(&block, n * static_cast<int32_t>(sizeof(int32_t))) || block == nullptr) return false;
    variables.values = static_cast<int32_t *>(block);
    const int32_t oldCount = (variables.values != nullptr && variables.count > 0) ? variables.count : 0;
    std::memset(variables.values + oldCount, 0, static_cast<size_t>(n - oldCount) * sizeof(int32_t));
    variables.count = n;
    return true;
}

void isMode7Rendering(const ParsedComment &c) {
    const int32_t n = c.integer(1);
    if (n < 1) return;
    FvHostVariables *variables = hostVariables();
    if (variables == nullptr || !ensureVariable(*variables, n)) return;
    variables->values[n - 1] = viewState.mode7Rendering ? 1 : 0;
}

void run(CommandId id, const ParsedComment &c) {
    switch (id) {
    case CommandId::rotateTo: return rotateTo(c);
    case CommandId::rotateRightBy: return rotateRightBy(c);
    case CommandId::rotateLeftBy: return rotateLeftBy(c);
    case CommandId::changeHeroSprite: return changeHeroSprite(c);
    case CommandId::addSprite: return addSpriteCommand(c);
    case CommandId::setBackground: return setBackground(c);
    case CommandId::swapTile: return noEffect(c);
    case CommandId::loadMapToTexture: return loadMapToTexture(c);
    case CommandId::setBoundaryTexture: return setBoundaryTextureCommand(c);
    case CommandId::setTextureScale: return setTextureScale(c);
    case CommandId::setZValue: return setZValue(c);
    case CommandId::setHorizon: return setHorizon(c);
    case CommandId::setRotationalOffset: return setRotationalOffset(c);
    case CommandId::setWrapping: return setWrapping(c);
    case CommandId::setMode7PictureId: return setMode7PictureId(c);
    case CommandId::initMode7: return initMode7(c);
    case CommandId::loadBoundaryTexture: return noEffect(c);
    case CommandId::isMode7Rendering: return isMode7Rendering(c);
    case CommandId::usingBackground: return usingBackground(c);
    }
}

const CommandForm *findCommand(const FvParsedComment &record) {
    const std::string_view name = ParsedComment(record).name();
    return findCommandForm(name.data(), name.size());
}

} // namespace

bool isKeyword(const FvParsedComment &comment) { return findCommand(comment) != nullptr; }

bool interpretComment(const FvParsedComment &record) {
    const CommandForm *command = findCommand(record);
    if (command == nullptr) return true;
    run(command->id, ParsedComment(record));
    return false;
}

} // namespace farview
