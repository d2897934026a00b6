// How a tool reads a game: the code page of its texts (the one the person gives, or else the one
// its file names and texts tell) and the folder of the standard graphics its images may come from.
// farview-preview, farview-live and the page alike.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "simhost/game_folder.h"

namespace tools {

// Sets the stand-in host's code page: the one asked for, or when none is asked for (an empty
// name) the one chooseGameCodePage finds for the game, saying on out which it took and why when the
// game names files or holds texts outside ASCII, and how the person chooses another (the tool's own
// way). False with a message for a code page the host does not know.
bool useGameCodePage(const simhost::GameFolder &game, const std::string &asked, std::ostream &out, std::string *error,
                     const std::string &howToChooseAnother = "--code-page chooses another");

// The environment variable that names the standard graphics where no option does.
constexpr const char *kStandardGraphicsVariable = "FARVIEW_STANDARD_GRAPHICS";

// Sets the stand-in host's standard-graphics folder: the one the option names, else the one the
// environment variable names, else fallback (empty: none). False with a message, and the folder as
// it was, when the one named is no folder.
bool useStandardGraphics(const std::string &option, const std::filesystem::path &fallback, std::string *error);

// The folder's name as messages give it (UTF-8).
std::string shownPath(const std::filesystem::path &path);

} // namespace tools
