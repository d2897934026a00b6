// Writes a generated game (generated_game.h) into a folder, to try the tools on a game of hundreds
// of maps by hand.
//
//   farview_write_generated_game FOLDER [MAPS [CODE_PAGE [PARTY]]] [--set-ups N] [--pictures N]
//   e.g. farview_write_generated_game /tmp/Game 400 950 3,1   (the party: actors 3 and 1)
//        farview_write_generated_game /tmp/Game 600 1251 --set-ups 3   (Farview lines in about a third of the maps)
//        farview_write_generated_game /tmp/Game 600 950 --pictures 2000   (a large game's Picture folder)
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp>

#include "support/generated_game.h"

int main(int argc, char **argv) {
    gamefile::GameShape shape;
    std::string folder;
    CLI::App app{"Writes a generated game of many maps into FOLDER, to try the tools on by hand.",
                 "farview_write_generated_game"};
    app.add_option("FOLDER", folder, "the folder to write the game into")->required();
    app.add_option("MAPS", shape.maps, "how many maps")->check(CLI::Range(1, 9000))->capture_default_str();
    app.add_option("CODE_PAGE", shape.codePage, "the code page of the game's names")
        ->check(CLI::IsMember({"1252", "1251", "950"}))
        ->capture_default_str();
    app.add_option("PARTY", shape.startingParty, "the starting party's actor ids, its leader first (as 3,1)")
        ->delimiter(',')
        ->check(CLI::Range(1, shape.actors));
    app.add_option("--set-ups", shape.mapsPerSetUp,
                   "about one map in N sets its view up with Farview lines in its own events (0: none)")
        ->check(CLI::Range(0, 9000))
        ->capture_default_str();
    app.add_option("--pictures", shape.pictures, "pictures the view never loads, in Picture/")
        ->check(CLI::Range(0, 100000))
        ->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return app.exit(e);
    }
    gamefile::GeneratedGame game;
    std::string error;
    if (!gamefile::writeGeneratedGame(folder, shape, game, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("wrote %zu maps into %s\n", game.mapIds.size(), folder.c_str());
    return 0;
}
