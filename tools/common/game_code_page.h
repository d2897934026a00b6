// The code page a tool reads the game's texts in: the one the person gives, or else the one under
// which the files the game names are found in its folder. farview-preview and farview-live alike.
#pragma once

#include <ostream>
#include <string>

#include "simhost/game_folder.h"

namespace tools {

// Sets the stand-in host's code page: the one asked for, or when none is asked for (an empty
// name) the one chooseCodePage finds for the game, saying on out which it took and why when the
// game names files outside ASCII, and how the person chooses another (the tool's own way). False
// with a message for a code page the host does not know.
bool useGameCodePage(const simhost::GameFolder &game, const std::string &asked, std::ostream &out, std::string *error,
                     const std::string &howToChooseAnother = "--code-page chooses another");

} // namespace tools
