#include "tools/common/game_code_page.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace tools {

namespace {

std::string counted(size_t count, const char *one, const char *many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string names(size_t count) { return counted(count, "file name", "file names"); }

void describe(const simhost::CodePageChoice &choice, const std::string &howToChooseAnother, std::ostream &out) {
    out << "code page " << choice.codePage;
    const bool standard = !simhost::standardGraphicsFolder().empty();
    if (choice.found > 0)
        out << ": " << choice.found << " of the game's " << names(choice.weighed) << " outside ASCII found under it";
    else if (choice.textsRead > 0)
        out << ": " << choice.textsRead << " of the game's " << counted(choice.textsWeighed, "text", "texts")
            << " outside ASCII (the names of its maps, events, tilesets and common events) read right under it"
            << (choice.weighed == 0
                    ? std::string()
                    : ", and under no code page are its " + names(choice.weighed) +
                          " outside ASCII found in its folder" + (standard ? " or the standard graphics folder" : ""));
    else
        out << ": neither the game's file names nor its texts tell its code page, so the default";
    out << " (" << howToChooseAnother << ")\n";
}

fs::path environmentFolder() {
#ifdef _WIN32
    const wchar_t *value = _wgetenv(L"FARVIEW_STANDARD_GRAPHICS");
#else
    const char *value = std::getenv(kStandardGraphicsVariable);
#endif
    return value != nullptr ? fs::path(value) : fs::path();
}

bool isFolder(const fs::path &path) {
    std::error_code failure;
    return fs::is_directory(path, failure);
}

} // namespace

bool useGameCodePage(const simhost::GameFolder &game, const std::string &asked, std::ostream &out, std::string *error,
                     const std::string &howToChooseAnother) {
    if (!asked.empty()) return simhost::setCodePage(asked, error);
    const simhost::CodePageChoice choice = simhost::chooseGameCodePage(game);
    if (choice.weighed > 0 || choice.textsWeighed > 0) describe(choice, howToChooseAnother, out);
    return simhost::setCodePage(choice.codePage, error);
}

std::string shownPath(const fs::path &path) {
#ifdef _WIN32
    return path.u8string();
#else
    return path.string();
#endif
}

bool useStandardGraphics(const std::string &option, const fs::path &fallback, std::string *error) {
    const fs::path named = !option.empty() ? fs::path(option) : environmentFolder();
    const fs::path folder = named.empty() ? fallback : named;
    const std::string namer = !option.empty()  ? "--standard-graphics"
                              : !named.empty() ? kStandardGraphicsVariable
                                               : "The standard graphics folder remembered";
    if (!folder.empty() && !isFolder(folder)) {
        *error = namer + " names \"" + shownPath(folder) +
                 "\", which is no folder: name the folder that holds the "
                 "engine's standard graphics (its ChipSet, CharSet and Panorama folders)";
        return false;
    }
    std::error_code failure;
    simhost::setStandardGraphicsFolder(folder.empty() ? folder : fs::absolute(folder, failure));
    return true;
}

} // namespace tools
