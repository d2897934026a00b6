// The scene farview-live opens with no game folder: the demo game's island, with everything the
// demo's own script adds to it (the statue, the oaks, the panorama, the hero's sprite).
#pragma once

namespace live {

extern const char *const kDemoScene;

} // namespace live
