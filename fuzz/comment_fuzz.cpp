// One comment command and the frame that shows its effect. The input is the host's parsed comment
// record (shorter inputs are filled up with zeros, longer ones cut). Each input starts from a
// fresh plug-in and host with the small scene's first map loaded (load_map_to_texture), runs the
// command through the interpreter, and renders a frame with whatever the command left.
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_main.h"
#include "fuzz/fuzz_scene.h"
#include "host/host.h"
#include "plugin/commands.h"
#include "plugin/module_state.h"
#include "render/frame.h"
#include "simhost/simhost.h"

namespace {

constexpr size_t kRecordSize = sizeof(FvParsedComment);
static_assert(kRecordSize == 2152, "the host's parsed comment record is 2152 bytes");

void loadTheFirstMap() {
    fuzz::enterSceneMap(fuzz::kSceneMaps[0]);
    if (farview::interpretComment(simhost::makeComment("load_map_to_texture", {})))
        fuzz::fail("load_map_to_texture was not recognised");
}

// Back to a fresh plug-in and host, everything the input made freed before it ends (libFuzzer's
// leak check looks for inputs that allocate more than they free): the title-screen reset, the
// view state's defaults and the map record's grids, which the reset keeps.
void freeEverything() {
    farview::resetForTitleScreen();
    farview::viewState = farview::ViewState{};
    farview::spriteRegistry.placementsMapId = 0;
    for (farview::TileGrid *grid :
         {&farview::mapRecord.attributeGrid, &farview::mapRecord.lowerFlagGrid, &farview::mapRecord.upperFlagGrid,
          &farview::mapRecord.lowerTileGrid, &farview::mapRecord.upperTileGrid})
        *grid = farview::TileGrid{};
    simhost::resetEngine();
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    static const bool ready = (farview::bindHost(&simhost::hostInterface()), fuzz::writeSceneFiles(), true);
    (void)ready;
    loadTheFirstMap();

    // A block of exactly the record's size, so that a read past the record is a sanitizer report.
    auto record = std::make_unique<FvParsedComment>();
    std::memset(record.get(), 0, kRecordSize);
    if (size > 0) std::memcpy(record.get(), data, size < kRecordSize ? size : kRecordSize);
    farview::interpretComment(*record);

    farview::renderFrame(farview::viewState, farview::mapRecord, farview::spriteRegistry);
    freeEverything();
}
