// farview-preview: renders a game's view through the stand-in host and the real plug-in module,
// and writes the frames as PNG images and animated GIF images. See tools/preview_cli.h.
#ifdef _WIN32
#include <windows.h>
#endif
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "tools/preview/preview_cli.h"

namespace {

#ifdef _WIN32
constexpr const char *kModuleFileName = "farview.dll";
#else
constexpr const char *kModuleFileName = "libfarview.so";
#endif

// The longest path Windows hands out, in UTF-16 units.
constexpr size_t kLongestWindowsPath = 32768;

std::filesystem::path thisProgram() {
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    while (name.size() <= kLongestWindowsPath) {
        const DWORD length = GetModuleFileNameW(nullptr, &name[0], static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) return std::filesystem::path(name.substr(0, length));
        name.resize(2 * name.size()); // cut short: ask again with more room
    }
    return {};
#else
    std::error_code ignored;
    return std::filesystem::canonical("/proc/self/exe", ignored);
#endif
}

std::filesystem::path besideThisProgram(const char *argv0, const char *fileName) {
    std::filesystem::path program = thisProgram();
    std::error_code ignored;
    if (program.empty()) program = std::filesystem::absolute(argv0, ignored);
    return program.parent_path() / fileName;
}

} // namespace

int main(int argc, char **argv) {
    // A path the system cannot put into the program's narrow strings (on Windows, a folder name
    // outside the code page) ends the run with a message rather than an abort.
    try {
        preview::PreviewPaths paths;
        paths.module = besideThisProgram(argv[0], kModuleFileName);
        paths.builtDemoFolder = FARVIEW_DEMO_GAME_FOLDER;
        return preview::runPreview(argc, argv, paths, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    } catch (const std::exception &failure) {
        std::cerr << "farview-preview: " << failure.what() << "\n";
        return 1;
    }
}
