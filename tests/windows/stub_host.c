#include "stub_host.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

uint8_t stubTilesetRecord[1200];
static FvHostCharacter hero = {0, 0, 0, 0, 0, 0, NULL, 1};
FvHostCharacter *stubHeroLocation = &hero;
static FvHostMapView mapView = {0, 0, stubTilesetRecord, sizeof stubTilesetRecord, NULL};
FvHostMapView *stubMapViewLocation = &mapView;
static FvHostVariables variables = {NULL, 0};
FvHostVariables *stubVariablesLocation = &variables;
FvHostSurface *stubScreenLocation = NULL;

FvHostImage *FVAPI stubCreateImage(void) { return calloc(1, sizeof(FvHostImage)); }

void FVAPI stubSetImageSize(FvHostImage *image, int32_t width, int32_t height) {
    free(image->pixels);
    image->pixels = width > 0 && height > 0 ? calloc((size_t)width, (size_t)height) : NULL;
    image->width = image->pixels ? width : 0;
    image->height = image->pixels ? height : 0;
}

void FVAPI stubDestroyImage(FvHostImage *image) {
    if (image) free(image->pixels);
    free(image);
}

void FVAPI stubLoadImageFile(FvHostImage *image, const char *name, int32_t option) {
    (void)image, (void)name, (void)option;
}
void FVAPI stubApplyPalette(FvHostImage *image) { (void)image; }
uint16_t *FVAPI stubSurfaceRow(FvHostSurface *surface, int32_t row) {
    (void)surface, (void)row;
    return NULL;
}
int32_t FVAPI stubSurfacePitch(FvHostSurface *surface) {
    (void)surface;
    return 0;
}
void FVAPI stubDrawImage(FvHostSurface *surface, int32_t x, int32_t y, FvHostImage *image, FvRect source) {
    (void)surface, (void)x, (void)y, (void)image, (void)source;
}
void FVAPI stubStretchDrawImage(FvHostSurface *surface, FvRect target, FvHostImage *image, FvRect source) {
    (void)surface, (void)target, (void)image, (void)source;
}
int32_t FVAPI stubCharacterScreen(const FvHostCharacter *character) {
    (void)character;
    return 0;
}
FvHostCharacter *FVAPI stubEventById(FvHostEventList *events, int32_t id) {
    (void)events, (void)id;
    return NULL;
}
void FVAPI stubMapSize(int32_t *width, int32_t *height) { *width = 0, *height = 0; }

bool FVAPI stubResizeBlock(void **block, int32_t bytes) {
    void *grown = realloc(*block, bytes > 0 ? (size_t)bytes : 1);
    if (grown == NULL) return false;
    *block = grown;
    return true;
}

void FVAPI stubMakeString(FvHostString *slot, const char *text, int32_t length) {
    (void)text, (void)length;
    *slot = NULL;
}
void FVAPI stubReleaseString(FvHostString *slot) { *slot = NULL; }
void FVAPI stubShowMessage(const char *caption, const char *text) { printf("host message [%s] %s\n", caption, text); }

bool stubLoadModule(const char *path, StubModule *module) {
    HMODULE handle = LoadLibraryA(path);
    module->onComment = handle ? (FvOnCommentFn)(void (*)(void))GetProcAddress(handle, "onComment") : NULL;
    if (module->onComment == NULL) printf("cannot load %s (error %lu)\n", path, GetLastError());
    return module->onComment != NULL;
}

static bool sendLine(const StubModule *module, const char *name, int count, double number) {
    FvParsedComment comment;
    memset(&comment, 0, sizeof comment);
    strncpy(comment.name, name, sizeof comment.name - 1);
    comment.parameterCount = count;
    comment.parameters[0].number = number;
    return module->onComment(comment.name, &comment);
}

bool stubSend(const StubModule *module, const char *name) { return sendLine(module, name, 0, 0.0); }
bool stubSendNumber(const StubModule *module, const char *name, double number) {
    return sendLine(module, name, 1, number);
}
