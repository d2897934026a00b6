// farview-web-test-game FOLDER: the game the page's tests open through the folder input. A small
// generated game in code page 1251 (its names in Russian), with a map tree naming its maps, whose
// last map file is cut short. Prints the broken map's id.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "simhost/game_folder.h"
#include "support/generated_game.h"

namespace fs = std::filesystem;

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: farview-web-test-game FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[1];
    gamefile::GeneratedGame game;
    std::string error;
    if (!gamefile::writeGeneratedGame(folder, gamefile::smallGame("1251", 4), game, &error)) {
        std::cerr << error << "\n";
        return 1;
    }
    const int32_t broken = game.mapIds.back();
    const fs::path mapFile = folder / simhost::mapFileName(broken);
    std::error_code failure;
    fs::resize_file(mapFile, fs::file_size(mapFile, failure) / 2, failure);
    if (failure) {
        std::cerr << "cannot cut " << mapFile.string() << " short: " << failure.message() << "\n";
        return 1;
    }
    std::cout << broken << "\n";
    return 0;
}
