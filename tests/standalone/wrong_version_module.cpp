// A module built for another version of the host link: a host must refuse to load it.
#include <cstdint>

#include "host/farview_host.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT const int32_t linkVersion = FARVIEW_LINK_VERSION + 1;
EXPORT bool onComment(const char *, const FvParsedComment *) { return true; }
EXPORT bool onPictureDrawn(const FvDrawnPicture *) { return true; }
EXPORT void onInitTitleScreen(void) {}
