// The module's exported surface: three callbacks and one integer, with C linkage.
//
// Nothing may unwind out of them into a host built by another compiler: each catches whatever its
// work throws (a failed allocation), and what it leaves behind is usable by the next call.
#include <cstdint>

#include "host/farview_host.h"
#include "host/host.h"
#include "plugin/commands.h"
#include "plugin/module_state.h"
#include "render/frame.h"

#ifdef _WIN32
#define FARVIEW_EXPORT __declspec(dllexport)
#else
#define FARVIEW_EXPORT __attribute__((visibility("default")))
#endif

using namespace farview;

extern "C" FARVIEW_EXPORT const int32_t linkVersion = FARVIEW_LINK_VERSION;

// False for the plug-in's keywords, true for any other name. Without a host a keyword is still
// the plug-in's own: it answers false and changes nothing.
extern "C" FARVIEW_EXPORT bool FVAPI onComment(const char *commentText, const FvParsedComment *comment) {
    (void)commentText;
    if (comment == nullptr) return true;
    const bool keyword = isKeyword(*comment);
    if (!keyword || !bindHostAtFirstCall()) return !keyword;
    try {
        interpretComment(*comment);
    } catch (...) {}
    return false;
}

// Called after every picture the host draws; the return value signals nothing.
extern "C" FARVIEW_EXPORT bool FVAPI onPictureDrawn(const FvDrawnPicture *picture) {
    if (!bindHostAtFirstCall()) return true;
    try {
        pictureDrawn(viewState, mapRecord, spriteRegistry, picture);
    } catch (...) {}
    return true;
}

extern "C" FARVIEW_EXPORT void FVAPI onInitTitleScreen(void) {
    if (!bindHostAtFirstCall()) return;
    try {
        resetForTitleScreen();
    } catch (...) {}
}
