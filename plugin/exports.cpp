// The module's exported surface: three callbacks and one integer, with C linkage.
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

extern "C" FARVIEW_EXPORT bool FVAPI onComment(const char *commentText, const FvParsedComment *comment) {
    (void)commentText;
    if (!hostBound() || comment == nullptr) return true;
    return interpretComment(*comment);
}

// Called after every picture the host draws; the return value signals nothing.
extern "C" FARVIEW_EXPORT bool FVAPI onPictureDrawn(const FvDrawnPicture *picture) {
    if (hostBound()) pictureDrawn(viewState, mapRecord, spriteRegistry, picture);
    return true;
}

extern "C" FARVIEW_EXPORT void FVAPI onInitTitleScreen(void) {
    if (!hostBound()) return;
    resetForTitleScreen();
}
