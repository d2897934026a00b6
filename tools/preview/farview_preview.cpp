// farview-preview: renders a game's view through the stand-in host and the real plug-in module,
// and writes the frames as PNG images and animated GIF images. See tools/preview_cli.h.
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "tools/common/program_files.h"
#include "tools/preview/preview_cli.h"

int main(int argc, char **argv) {
    // A path the system cannot put into the program's narrow strings (on Windows, a folder name
    // outside the code page) ends the run with a message rather than an abort.
    try {
        preview::PreviewPaths paths;
        paths.module = tools::besideThisProgram(argv[0], tools::kModuleFileName);
        paths.builtDemoFolder = tools::demoGameFolder(argv[0], FARVIEW_DEMO_GAME_FOLDER);
        return preview::runPreview(argc, argv, paths, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    } catch (const std::exception &failure) {
        std::cerr << "farview-preview: " << failure.what() << "\n";
        return 1;
    }
}
