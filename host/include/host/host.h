// The plug-in's side of the host interface: which host table it is bound to, and the message box.
#pragma once

#include <string>

#include "host/farview_host.h"

namespace farview {

// Looks the host's table up by name among the modules of the process: the main program first,
// then the others (on Linux, those of the global scope). Returns null when none offers one, or
// when it was built for an older, smaller table. Safe while the module is being loaded: on a
// Windows older than 7, whose module list can only be read by loading a library, it looks in the
// main program alone, and the first call of an export looks again.
const FvHostInterface *findHostInterface();

// The table every plug-in operation goes through; null while the plug-in is inert. The exports
// call bindHostAtFirstCall() and do nothing without a host: everything below them may call host().
void bindHost(const FvHostInterface *table);
bool hostBound();
// True when a table is bound; when none is, the first call looks in every module of the process
// once more, where a search at load could not.
bool bindHostAtFirstCall();
const FvHostInterface &host(); // only while hostBound()

// The objects behind the host's globals, read anew at every call. Null when the host has none.
FvHostCharacter *hostHero();
FvHostMapView *hostMapView();
FvHostVariables *hostVariables();
FvHostSurface *hostScreen();

// The map view's scroll is in sixteenths of a pixel; positions on the map are whole pixels,
// truncated toward zero.
constexpr int32_t kScrollUnitsPerPixel = 16;
inline int32_t scrollInPixels(int32_t scroll) { return scroll / kScrollUnitsPerPixel; }

// Every image the plug-in reads from a file is loaded the same way: the image's load option and the
// load's own option are 1. A failed load is the host's to report.
void loadImageFile(FvHostImage &image, const std::string &fileName);
// A new host image with the file loaded into it; null when the host cannot create one.
FvHostImage *createLoadedImage(const std::string &fileName);

// The characters of a host string: its length stands in the four bytes before them. NULL, or a
// negative length, is the empty text.
std::string hostStringText(FvHostString string);

// A problem a game author must fix: a modal message box with the caption "Farview" and the
// information icon (MessageBoxA on Windows, the host's message operation elsewhere).
void showMessage(const char *text);

} // namespace farview
