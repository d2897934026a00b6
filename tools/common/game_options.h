// The command-line options farview-preview and farview-live share, with CLI11: how the game is
// read (its code page, the standard graphics, its own lines) and which module draws it. Included
// by the two programs' command lines only.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace tools {

struct GameOptions {
    std::string output;           // -o: the folder for what the program writes
    std::string codePage;         // empty: found from the game's files
    std::string standardGraphics; // empty: the one FARVIEW_STANDARD_GRAPHICS names, if any
    std::string module;           // empty: the one beside the program
    bool noGameLines = false;     // enter maps without running the game's own lines
};

// outputWhat: what goes into the -o folder; standardDefault: where the standard graphics come from
// when the option is not given; gameLinesOff: what --no-game-lines leaves.
inline void addGameOptions(CLI::App &app, GameOptions &options, const std::string &outputWhat,
                           const std::string &standardDefault, const std::string &gameLinesOff) {
    app.add_option("-o,--out", options.output, "the folder for " + outputWhat)->capture_default_str()->type_name("DIR");
    app.add_option("--code-page", options.codePage,
                   "the game's Windows code page (default: the one under which the game's file names find its "
                   "files, else 1252)")
        ->type_name("NAME");
    app.add_option("--standard-graphics", options.standardGraphics,
                   "the folder of the engine's standard graphics, where images the game folder lacks are looked for "
                   "(default: " + standardDefault + ")")
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    app.add_option("--module", options.module, "the plug-in module to load (default: the one beside this program)")
        ->type_name("PATH");
    app.add_flag("--no-game-lines", options.noGameLines,
                 "enter maps without running the Farview lines of the game's events: " + gameLinesOff);
}

} // namespace tools
