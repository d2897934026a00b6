// The plug-in's side of the host interface: which host table it is bound to, and the message box.
#pragma once

#include <string>

#include "host/farview_host.h"

namespace farview {

// Looks the host's table up by name in the program that loaded the plug-in. Returns null when the
// program offers none, or one built for an older, smaller table.
const FvHostInterface *findHostInterface();

// The table every plug-in operation goes through; null while the plug-in is inert.
void bindHost(const FvHostInterface *table);
bool hostBound();
const FvHostInterface &host(); // only while hostBound()

// The objects behind the host's globals, read anew at every call. Null when the host has none.
FvHostCharacter *hostHero();
FvHostMapView *hostMapView();
FvHostVariables *hostVariables();
FvHostSurface *hostScreen();

// The characters of a host string: its length stands in the four bytes before them. NULL, or a
// negative length, is the empty text.
std::string hostStringText(FvHostString string);

// A problem a game author must fix: a modal message box with the caption "Farview" and the
// information icon (MessageBoxA on Windows, the host's message operation elsewhere).
void showMessage(const char *text);

} // namespace farview
