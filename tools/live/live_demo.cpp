#include "tools/live/live_demo.h"

namespace live {

const char *const kDemoScene =
    R"(# The demo island: the hero on the road south of the village plaza, looking north to the fountain.
# Entering it runs the game's own lines, which make the view.
enter 1
hero 30 39 0
sheet hero Hero 0
pose hero 1
)";

} // namespace live
