// The renderer under any view state: the input (see view_input.h) sets the view, the host's
// characters and the placements, followed by one rendered frame, floor and sprites.
#include <cstdint>

#include "fuzz/fuzz_main.h"
#include "fuzz/view_input.h"
#include "render/frame.h"

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    ViewInput input = takeViewInput(data, size);
    farview::renderFrame(input.view, *input.map, viewScene().registry);
    clearViewInput();
}
