/* A host of the least kind, for the Windows checks: images in plain memory, no screen, a hero on
 * map 1, variables, and a tileset record the check sets. A module that exports the table defines
 *   __declspec(dllexport) const FvHostInterface farviewHostInterface = STUB_HOST_TABLE;
 */
#ifndef FARVIEW_STUB_HOST_H
#define FARVIEW_STUB_HOST_H

#include "host/farview_host.h"

extern uint8_t stubTilesetRecord[1200];
extern FvHostCharacter *stubHeroLocation;
extern FvHostMapView *stubMapViewLocation;
extern FvHostVariables *stubVariablesLocation;
extern FvHostSurface *stubScreenLocation;

FvHostImage *FVAPI stubCreateImage(void);
void FVAPI stubSetImageSize(FvHostImage *image, int32_t width, int32_t height);
void FVAPI stubDestroyImage(FvHostImage *image);
void FVAPI stubLoadImageFile(FvHostImage *image, const char *name, int32_t option);
void FVAPI stubApplyPalette(FvHostImage *image);
uint16_t *FVAPI stubSurfaceRow(FvHostSurface *surface, int32_t row);
int32_t FVAPI stubSurfacePitch(FvHostSurface *surface);
void FVAPI stubDrawImage(FvHostSurface *surface, int32_t x, int32_t y, FvHostImage *image, FvRect source);
void FVAPI stubStretchDrawImage(FvHostSurface *surface, FvRect target, FvHostImage *image, FvRect source);
int32_t FVAPI stubCharacterScreen(const FvHostCharacter *character);
FvHostCharacter *FVAPI stubEventById(FvHostEventList *events, int32_t id);
void FVAPI stubMapSize(int32_t *width, int32_t *height);
bool FVAPI stubResizeBlock(void **block, int32_t bytes);
void FVAPI stubMakeString(FvHostString *slot, const char *text, int32_t length);
void FVAPI stubReleaseString(FvHostString *slot);
void FVAPI stubShowMessage(const char *caption, const char *text);

#define STUB_HOST_TABLE                                                                                           \
    {sizeof(FvHostInterface), &stubHeroLocation, &stubMapViewLocation, &stubVariablesLocation, &stubScreenLocation, \
     stubCreateImage, stubSetImageSize, stubDestroyImage, stubLoadImageFile, stubApplyPalette, stubSurfaceRow,     \
     stubSurfacePitch, stubDrawImage, stubStretchDrawImage, stubCharacterScreen, stubCharacterScreen,              \
     stubEventById, stubMapSize, stubResizeBlock, stubMakeString, stubReleaseString, stubShowMessage}

/* The module's exports, found in a loaded farview.dll; false with a message when it cannot be. */
typedef struct StubModule {
    FvOnCommentFn onComment;
} StubModule;
bool stubLoadModule(const char *path, StubModule *module);
/* A comment line without parameters, or with one number. */
bool stubSend(const StubModule *module, const char *name);
bool stubSendNumber(const StubModule *module, const char *name, double number);

#endif
