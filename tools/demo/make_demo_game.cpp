// farview-make-demo: writes the demo game into the folder named on its command line. The build runs
// it, so that the demo's pictures and maps are drawn by code and never kept in the sources.
#include <iostream>
#include <string>

#include "tools/common/version.h"
#include "tools/demo/demo_game.h"

int main(int argc, char **argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "farview-make-demo " << tools::kFarviewVersion << "\n";
        return 0;
    }
    if (argc != 2) {
        std::cerr << "usage: farview-make-demo FOLDER\n";
        return 2;
    }
    std::string error;
    if (!preview::writeDemoGame(argv[1], &error)) {
        std::cerr << "farview-make-demo: " << error << "\n";
        return 1;
    }
    return 0;
}
