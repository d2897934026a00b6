// Comment lines as a game author writes them in an event script, turned into the parsed record the
// host hands to the plug-in's onComment:
//
//   @name p1, p2, ...
//
// Leading blanks may come before the '@'; the name runs to the first blank (space or tab) or the
// end of the line. The rest holds comma-separated parameters with the blanks around each dropped:
// a parameter in double quotes is text (a comma inside belongs to it, \" is a quote and \\ a
// backslash), one that reads fully as a decimal number is a number, anything else is text as
// written. Nothing but blanks after the name means no parameters.
#pragma once

#include <string>

#include "host/farview_host.h"
#include "simhost/simhost.h"

namespace simhost {

// Whether the text is a comment line: '@' after any leading blanks. A game's comment whose first
// line is one goes to the plug-in.
bool isCommentLine(const std::string &text);

// Fills *comment with the record of the line: parameterCount is the number of parameters the line
// had, the first nine of them in the slots; names and texts longer than their field are cut; every
// other byte is zero. A line that does not start with '@', has no name or leaves a quote open is
// refused with a message in *error (when error is not null) and *comment is left as it was.
bool parseCommentLine(const std::string &line, FvParsedComment &comment, std::string *error);

// Parses the line and hands its record to the module's onComment, with the line's text as the first
// argument; onComment's result goes to *returned (when not null). Returns false, with a message in
// *error, when the line is refused or the module has no onComment; nothing is sent then.
bool sendCommentLine(const PluginModule &module, const std::string &line, bool *returned, std::string *error);

} // namespace simhost
