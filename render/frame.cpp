#include "render/frame.h"

namespace farview {

void renderFrame(ViewState &view, const MapRecord &map) {
    (void)view;
    (void)map;
}

} // namespace farview
