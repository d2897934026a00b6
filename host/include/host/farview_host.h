/* The records and operations a host engine shares with the Farview plug-in.
 *
 * Plain C with fixed-width types: the host and the plug-in may be built by different compilers.
 * The host defines one FvHostInterface object under the name FARVIEW_HOST_INTERFACE_NAME and
 * exports it from its program; the plug-in looks it up by that name when it is loaded and stays
 * inert when there is none. Everything the plug-in knows of its host goes through this table.
 *
 * Ownership: every image, string, character and block is the host's. The plug-in asks the host to
 * create and destroy images and host strings; it never frees host memory itself.
 */
#ifndef FARVIEW_HOST_H
#define FARVIEW_HOST_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define FVAPI __cdecl
#else
#define FVAPI
#endif

#define FARVIEW_HOST_INTERFACE_NAME "farviewHostInterface"
#define FARVIEW_LINK_VERSION 2

/* ---- Records ------------------------------------------------------------------------------ */

/* An 8-bit palette image. Pixel (x, y) is pixels[y * width + x]: the stride is the width.
 * palette holds 0x00RRGGBB colours; colors holds the same colours in the screen surface's format,
 * derived by the host's applyPalette. pixels is NULL while width or height is 0. */
typedef struct FvHostImage {
    uint8_t *pixels;
    uint32_t palette[256];
    uint16_t colors[256];
    int32_t width;
    int32_t height;
    uint8_t option;     /* the plug-in sets 1 on the tileset image, map texture and sprite images */
    uint8_t loadOption; /* passed to, and recorded by, loadImageFile */
} FvHostImage;

/* A host string points at its characters; the 32-bit length stands in the four bytes before them
 * and a zero byte follows them. NULL is the empty string. */
typedef char *FvHostString;

/* The hero or a map event. Positions are in tiles; the screen position is the host's operation. */
typedef struct FvHostCharacter {
    int32_t id; /* event id (1-based); 0 for the hero */
    int32_t mapColumn;
    int32_t mapRow;
    int32_t facing; /* 0 to 3: the row of the character sheet shown at the default view */
    int32_t animationStep;
    int32_t sheetIndex; /* which character of the sheet, or which tile when sheetName is empty */
    FvHostString sheetName;
    int32_t mapId; /* the hero's map; unused for events */
} FvHostCharacter;

typedef struct FvHostEventList {
    FvHostCharacter **items;
    int32_t count;
} FvHostEventList;

typedef struct FvHostMapView {
    int32_t scrollX; /* sixteenths of a pixel */
    int32_t scrollY;
    const uint8_t *tilesetRecord; /* the open map's tileset record, a block of bytes */
    int32_t tilesetRecordSize;    /* its size in bytes */
    FvHostEventList *events;      /* NULL when the map has no event list */
} FvHostMapView;

/* Variables are numbered from 1: variable n is values[n - 1]. values is a block grown with the
 * host's resizeBlock. */
typedef struct FvHostVariables {
    int32_t *values;
    int32_t count;
} FvHostVariables;

typedef struct FvHostSurface FvHostSurface; /* 320 x 240 pixels of 16 bits, opaque */

typedef struct FvRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
} FvRect;

/* ---- Records handed to the plug-in's entry points ------------------------------------------ */

#define FV_COMMENT_NAME_SIZE 200
#define FV_COMMENT_TEXT_SIZE 200
#define FV_COMMENT_PARAMETER_SLOTS 9

typedef struct FvCommentParameter {
    int32_t kind;     /* 0: number; any other value: text */
    int32_t reserved; /* alignment */
    double number;
    char text[FV_COMMENT_TEXT_SIZE];
} FvCommentParameter;

typedef struct FvParsedComment {
    char name[FV_COMMENT_NAME_SIZE];
    int32_t parameterCount;
    int32_t reserved; /* alignment */
    FvCommentParameter parameters[FV_COMMENT_PARAMETER_SLOTS];
} FvParsedComment;

typedef struct FvDrawnPicture {
    int32_t reserved;
    int32_t pictureNumber;
} FvDrawnPicture;

/* ---- The host's table ---------------------------------------------------------------------- */

typedef struct FvHostInterface {
    uint32_t structSize; /* sizeof(FvHostInterface) as the host was built; smaller is refused */

    /* Locations of the host's globals, taken once; each use reads the object anew through them. */
    FvHostCharacter *const *hero;
    FvHostMapView *const *mapView;
    FvHostVariables *const *variables;
    FvHostSurface *const *screen;

    FvHostImage *(FVAPI *createImage)(void);
    void(FVAPI *setImageSize)(FvHostImage *image, int32_t width, int32_t height);
    void(FVAPI *destroyImage)(FvHostImage *image);
    void(FVAPI *loadImageFile)(FvHostImage *image, const char *fileName, int32_t loadOption);
    void(FVAPI *applyPalette)(FvHostImage *image);

    uint16_t *(FVAPI *surfaceRow)(FvHostSurface *surface, int32_t row);
    int32_t(FVAPI *surfacePitch)(FvHostSurface *surface); /* bytes from one row to the next */
    void(FVAPI *drawImage)(FvHostSurface *surface, int32_t x, int32_t y, FvHostImage *image, FvRect source);
    void(FVAPI *stretchDrawImage)(FvHostSurface *surface, FvRect target, FvHostImage *image, FvRect source);

    int32_t(FVAPI *characterScreenX)(const FvHostCharacter *character);
    int32_t(FVAPI *characterScreenY)(const FvHostCharacter *character);
    FvHostCharacter *(FVAPI *eventById)(FvHostEventList *events, int32_t id);
    void(FVAPI *mapSize)(int32_t *width, int32_t *height); /* the open map, in tiles */

    /* Grows or shrinks *block to bytes, keeping its contents. Returns false, and leaves the block
     * as it was, when the host cannot. */
    bool(FVAPI *resizeBlock)(void **block, int32_t bytes);
    void(FVAPI *makeString)(FvHostString *slot, const char *characters, int32_t length);
    void(FVAPI *releaseString)(FvHostString *slot);

    /* Shows a message to the person at the machine. On Windows the plug-in uses MessageBoxA. */
    void(FVAPI *showMessage)(const char *caption, const char *text);
} FvHostInterface;

/* ---- The plug-in's exports ------------------------------------------------------------------ */

typedef bool(FVAPI *FvOnCommentFn)(const char *commentText, const FvParsedComment *comment);
typedef bool(FVAPI *FvOnPictureDrawnFn)(const FvDrawnPicture *picture);
typedef void(FVAPI *FvOnInitTitleScreenFn)(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* FARVIEW_HOST_H */
