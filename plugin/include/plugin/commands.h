// The comment command interpreter: the host hands every comment line of a running event script to
// onComment, already split into a name and typed parameters; the plug-in's 19 keywords change the
// view state, the sprite registry or the loaded map.
#pragma once

#include "host/farview_host.h"

namespace farview {

// Runs the command the line names. Returns false when the name is one of the keywords, whether or
// not the command had any effect; true, having done nothing, when it is not.
bool interpretComment(const FvParsedComment &comment);

// Whether the line names one of the keywords; runs nothing.
bool isKeyword(const FvParsedComment &comment);

} // namespace farview
