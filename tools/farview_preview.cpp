// farview-preview: renders a game's view through the stand-in host and the real plug-in module,
// and writes the frames as PNG images and animated GIF images. See tools/preview_cli.h.
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "tools/preview_cli.h"

namespace {

std::filesystem::path besideThisProgram(const char *argv0, const char *fileName) {
    std::error_code ignored;
    std::filesystem::path program = std::filesystem::canonical("/proc/self/exe", ignored);
    if (program.empty()) program = std::filesystem::absolute(argv0);
    return program.parent_path() / fileName;
}

} // namespace

int main(int argc, char **argv) {
    preview::PreviewPaths paths;
    paths.module = besideThisProgram(argv[0], "libfarview.so");
    paths.builtDemoFolder = FARVIEW_DEMO_GAME_FOLDER;
    return preview::runPreview(argc, argv, paths, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
