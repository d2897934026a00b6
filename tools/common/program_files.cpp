#include "tools/common/program_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace tools {

namespace {

// The longest path Windows hands out, in UTF-16 units.
constexpr size_t kLongestWindowsPath = 32768;

fs::path thisProgram() {
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    while (name.size() <= kLongestWindowsPath) {
        const DWORD length = GetModuleFileNameW(nullptr, &name[0], static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) return fs::path(name.substr(0, length));
        name.resize(2 * name.size()); // cut short: ask again with more room
    }
    return {};
#else
    std::error_code ignored;
    return fs::canonical("/proc/self/exe", ignored);
#endif
}

} // namespace

fs::path besideThisProgram(const char *argv0, const char *fileName) {
    fs::path program = thisProgram();
    std::error_code ignored;
    if (program.empty()) program = fs::absolute(argv0, ignored);
    return program.parent_path() / fileName;
}

fs::path demoGameFolder(const char *argv0, const fs::path &builtFolder) {
    const fs::path shipped = besideThisProgram(argv0, "demo-game");
    std::error_code ignored;
    return fs::is_directory(shipped, ignored) ? shipped : builtFolder;
}

// A current directory that has been removed meanwhile has no path to come back to.
CurrentDirectory::CurrentDirectory() {
    std::error_code ignored;
    previous_ = fs::current_path(ignored);
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code ignored;
    if (!previous_.empty()) fs::current_path(previous_, ignored);
}

bool CurrentDirectory::enter(const fs::path &folder, std::string *error) {
    std::error_code failure;
    fs::current_path(folder, failure);
    if (failure) *error = "cannot enter " + folder.string() + ": " + failure.message();
    return !failure;
}

} // namespace tools
