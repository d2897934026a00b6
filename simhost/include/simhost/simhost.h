// The stand-in host engine: a small engine that offers every operation and object the plug-in
// relies on, loads the plug-in module and calls its exports the way the real host does.
//
// There is one engine per process, because the plug-in finds its host table by name in the
// program that loaded it. A program that wants the plug-in to find it must export its symbols
// (ENABLE_EXPORTS in CMake) and link this library; the table is defined in simhost.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/farview_host.h"

namespace simhost {

constexpr int32_t kScreenWidth = 320;
constexpr int32_t kScreenHeight = 240;
constexpr int32_t kDefaultScreenPitch = 704; // bytes; wider than a row so pitch = width is caught
constexpr int32_t kTilesetRecordSize = 1200;

// The host's table, as the plug-in sees it.
const FvHostInterface &hostInterface();

// Back to a fresh engine: every image destroyed, the screen black, no map, a hero at (0, 0) on
// map 1, no events, no variables, scroll 0, no messages. The plug-in module is not touched.
void resetEngine();

// ---- Messages: the host's own reports and the plug-in's message boxes, in order --------------
const std::vector<std::string> &messages();
// The caption of each message, in step with messages(): "Farview" for the plug-in's message boxes,
// "simhost" for the host's own reports.
const std::vector<std::string> &messageCaptions();
void clearMessages();

// ---- Images -----------------------------------------------------------------------------------
FvHostImage *createImage();
void setImageSize(FvHostImage *image, int32_t width, int32_t height); // all zero; bad size: 0 x 0
void destroyImage(FvHostImage *image);
// Paletted PNG (1, 2, 4 or 8 bits per index): indices, palette and colours. Any other file, a
// missing or corrupt one, leaves the image as it was and reports a message naming the file.
void loadImageFile(FvHostImage *image, const char *fileName, int32_t loadOption);
void applyPalette(FvHostImage *image); // RGB565 from the palette's top 5, 6 and 5 bits
int32_t liveImageCount();              // images created and not yet destroyed
uint16_t rgb565(uint32_t rgb);
// Writes an 8-bit paletted PNG of the image (for tests and tools).
bool writeImagePng(const FvHostImage &image, const std::string &path, std::string *error);
// Writes an 8-bit RGB PNG of width x height pixels, given as 3 bytes each, row by row (for tools'
// own pictures); false with a message naming the file.
bool writeRgbPng(const std::string &path, int32_t width, int32_t height, const std::vector<uint8_t> &rgb,
                 std::string *error);

// ---- The screen surface -----------------------------------------------------------------------
FvHostSurface *screen();
void setScreenPitch(int32_t bytes); // at least 640; the surface is cleared
int32_t screenPitch();
uint16_t screenPixel(int32_t x, int32_t y);
void fillScreen(uint16_t colour);
// Each channel widened by repeating its top bits, so the 16-bit value can be recovered exactly.
bool writeScreenPng(const std::string &path, std::string *error);
uint16_t *surfaceRow(FvHostSurface *surface, int32_t row);
int32_t surfacePitch(FvHostSurface *surface);
// Index 0 is transparent; both clip at the surface's edges and at the source image's edges, at a
// cost proportional to the visible pixels. Stretch-draw takes, for target pixel (i, j) of a
// tw x th rectangle, source pixel (sx + i * sw / tw, sy + j * sh / th) in 64-bit arithmetic.
void drawImage(FvHostSurface *surface, int32_t x, int32_t y, FvHostImage *image, FvRect source);
void stretchDrawImage(FvHostSurface *surface, FvRect target, FvHostImage *image, FvRect source);

// ---- Map, characters, tileset -----------------------------------------------------------------
void setMapSize(int32_t width, int32_t height); // tiles; the host stores what it is given
void mapSize(int32_t *width, int32_t *height);
FvHostCharacter &hero();
// Adds an event with the given id at a map cell; events keep the order in which they were added.
FvHostCharacter &addEvent(int32_t id, int32_t column, int32_t row);
void clearEvents();
// Whether a cleared list's characters are handed out again by the next addEvent calls, the last of
// the list first (default off: every event gets memory of its own).
void setEventMemoryReuse(bool reuse);
void setEventListPresent(bool present);                          // a map without an event list hands the plug-in NULL
// The first event of the list with the id given to addEvent, found through an index; NULL when none.
FvHostCharacter *eventById(FvHostEventList *events, int32_t id);
void setSheetName(FvHostCharacter &character, const std::string &sheetName);
void setScroll(int32_t scrollX, int32_t scrollY); // sixteenths of a pixel
// Scrolls so that the hero stands at the screen's centre, clamped to the map.
void scrollToHero();
FvHostMapView &mapView();
// Screen position: the centre column and bottom row of the character's tile, less the scroll.
int32_t characterScreenX(const FvHostCharacter *character);
int32_t characterScreenY(const FvHostCharacter *character);

// Optional per-tile tables of a tileset record: attribute by tile table index (162), lower-layer
// flag by tile table index (162), upper-layer flag by upper id - 10000 (144).
struct TilesetTables {
    std::vector<uint16_t> attributes;
    std::vector<uint8_t> lowerFlags;
    std::vector<uint8_t> upperFlags;
};
// A tileset record with its name area filled: with a tileset name, two strings (the name, then
// the graphic's file name without extension); with an empty tileset name, the graphic's name alone.
std::vector<uint8_t> makeTilesetRecord(const std::string &tilesetName, const std::string &graphicName,
                                       const TilesetTables &tables = {});
void setTilesetRecord(std::vector<uint8_t> record);

// ---- Variables and host strings ----------------------------------------------------------------
FvHostVariables &variables();
std::vector<int32_t> variableValues();
bool resizeBlock(void **block, int32_t bytes); // false, block unchanged, when it cannot
// The largest block the host hands out (default 64 MiB), so tests can make a host that cannot grow.
void setBlockLimit(int32_t bytes);
void makeString(FvHostString *slot, const char *characters, int32_t length);
void releaseString(FvHostString *slot);
std::string hostStringText(FvHostString string);

// ---- The plug-in module --------------------------------------------------------------------------
struct PluginModule {
    void *handle = nullptr;
    FvOnCommentFn onComment = nullptr;
    FvOnPictureDrawnFn onPictureDrawn = nullptr;
    FvOnInitTitleScreenFn onInitTitleScreen = nullptr;
    const int32_t *linkVersion = nullptr;
};

// Loads the module by path and finds its four exports by name. A module that cannot be loaded,
// lacks an export, or whose linkVersion is not 2 is refused with a message in *error.
bool loadPlugin(const std::string &path, PluginModule &module, std::string *error);
void unloadPlugin(PluginModule &module);

// A comment parameter as the host's interpreter types it.
struct CommentArgument {
    bool isText = false;
    double number = 0.0;
    std::string text;
};
CommentArgument number(double value);
CommentArgument text(const std::string &value);
// The parsed record of a comment line; names and texts longer than their fields are cut.
FvParsedComment makeComment(const std::string &name, const std::vector<CommentArgument> &arguments);

bool sendComment(const PluginModule &module, const std::string &name, const std::vector<CommentArgument> &arguments);
// One host frame: calls onPictureDrawn once for each picture number, in order.
void drawPictures(const PluginModule &module, const std::vector<int32_t> &pictureNumbers);
void initTitleScreen(const PluginModule &module);

} // namespace simhost
