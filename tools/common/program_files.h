// Where a tool finds the files that ship beside it (the plug-in module), and the current directory
// held for a while: the plug-in reads a game's files relative to it.
#pragma once

#include <filesystem>
#include <string>

namespace tools {

// The plug-in module's file name on this system.
#ifdef _WIN32
constexpr const char *kModuleFileName = "farview.dll";
#else
constexpr const char *kModuleFileName = "libfarview.so";
#endif

// The file fileName in the folder of the running program; argv0 serves where the system cannot
// say which program runs.
std::filesystem::path besideThisProgram(const char *argv0, const char *fileName);

// The demo game a tool opens by default: the demo-game folder beside the program, as a package
// ships it, or else the one the build wrote (builtFolder).
std::filesystem::path demoGameFolder(const char *argv0, const std::filesystem::path &builtFolder);

// The current directory for the object's lifetime: the one it found comes back when it ends.
class CurrentDirectory {
public:
    CurrentDirectory();
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory &) = delete;
    CurrentDirectory &operator=(const CurrentDirectory &) = delete;
    // False, with a message naming the folder, when it cannot be entered.
    bool enter(const std::filesystem::path &folder, std::string *error);

private:
    std::filesystem::path previous_;
};

} // namespace tools
