// The input of the targets that render a view: the view state's numbers (any bit pattern, NaN and
// infinities included), the host's scroll and screen pitch, the hero and a few events (positions,
// facing, animation step, sheet and sheet index) and a few placements (their characters, sizes
// and definitions), over a scene built once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_scene.h"
#include "mapdata/map_record.h"
#include "render/sprite_registry.h"
#include "render/view_state.h"

namespace fuzz {

constexpr size_t kViewMapCount = std::size(kSceneMaps);

// Built once: every scene map loaded with its texture and a boundary texture, the background, and
// the sprite images in the cache. Inputs only choose among them.
struct ViewScene {
    farview::MapRecord maps[kViewMapCount];
    FvHostImage *boundaries[kViewMapCount] = {};
    FvHostImage *background = nullptr;
    farview::SpriteRegistry registry;
    std::vector<FvHostCharacter *> events; // this input's events
};

ViewScene &viewScene();

struct ViewInput {
    farview::ViewState view;
    const farview::MapRecord *map;
};

// Reads the input into the scene: the view, the host's characters, scroll and pitch, and the
// registry's placements.
ViewInput takeViewInput(const uint8_t *data, size_t size);

// Frees what the input made, so that libFuzzer's leak check sees an input allocate no more than
// it frees.
void clearViewInput();

} // namespace fuzz
