// Letter case in file names as Windows ignores it. Private to simhost's game-folder files.
#pragma once

#include <string>

#include "simhost/game_folder.h" // isUtf8

namespace simhost {

// The name with each letter in upper case as Windows maps a UTF-16 unit when it compares file
// names: ASCII letters, and the letters of every code page the stand-in host accepts (Latin,
// Greek, Cyrillic, full-width Latin, Roman numerals, circled letters). Characters beyond 16 bits
// and bytes that are no UTF-8 character are kept as they are.
std::string windowsUpperCase(const std::string &utf8);

} // namespace simhost
