// Every module-level object with an order of construction is defined here, in that order, so that
// construction at load and destruction at unload (the reverse) are what the system states.
#include "plugin/module_state.h"

#include "host/host.h"
#include "plugin/sprite_commands.h"

namespace farview {

// Constant-initialised: the defaults hold before any code of the plug-in runs.
ViewState viewState;

namespace {
// Step 1 of start-up: take the host's object references.
const bool hostReferencesTaken = (bindHost(findHostInterface()), true);
} // namespace

// Step 2: the map record, empty.
MapRecord mapRecord;

// Steps 3 to 5: the sprite registry's containers, empty, constructed in the order imageCache,
// placements, spriteDefinitions. At unload they go in the reverse order, before the map record.
// The cached images are not destroyed then: only the title-screen reset destroys them.
SpriteRegistry spriteRegistry;

namespace {
void destroyPluginImage(FvHostImage *&image) {
    if (image != nullptr) host().destroyImage(image);
    image = nullptr;
}
} // namespace

void resetForTitleScreen() {
    resetMapRecord(mapRecord);
    viewState.mapTexture = nullptr;
    viewState.tilesetImage = nullptr;
    emptySpriteRegistry(spriteRegistry);
    destroyPluginImage(viewState.boundaryTexture);
    destroyPluginImage(viewState.backgroundImage);
    viewState.mode7Rendering = false;
}

} // namespace farview
