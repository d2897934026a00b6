// The scene farview-live opens with no game folder: the demo game's island, the hero where the
// demo's script puts him; the game's own lines make the view.
#pragma once

namespace live {

extern const char *const kDemoScene;

} // namespace live
