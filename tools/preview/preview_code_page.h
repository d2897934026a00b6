// The code page a run reads the game's texts in: the one the person gives, or else the one under
// which the files the game names are found in its folder.
#pragma once

#include <ostream>
#include <string>

#include "simhost/game_folder.h"

namespace preview {

// Sets the stand-in host's code page: the one asked for, or when none is asked for (an empty
// name) the one chooseCodePage finds for the game, saying on out which it took and why when the
// game names files outside ASCII. False with a message for a code page the host does not know.
bool useGameCodePage(const simhost::GameFolder &game, const std::string &asked, std::ostream &out, std::string *error);

} // namespace preview
