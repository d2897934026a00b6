#include "tools/common/game_code_page.h"

namespace tools {

namespace {

std::string names(size_t count) { return std::to_string(count) + (count == 1 ? " file name" : " file names"); }

void describe(const simhost::CodePageChoice &choice, const std::string &howToChooseAnother, std::ostream &out) {
    out << "code page " << choice.codePage;
    if (choice.found == 0)
        out << ": under no code page are the game's " << names(choice.weighed)
            << " outside ASCII found in its folder, so the default";
    else
        out << ": " << choice.found << " of the game's " << names(choice.weighed) << " outside ASCII found under it";
    out << " (" << howToChooseAnother << ")\n";
}

} // namespace

bool useGameCodePage(const simhost::GameFolder &game, const std::string &asked, std::ostream &out, std::string *error,
                     const std::string &howToChooseAnother) {
    if (!asked.empty()) return simhost::setCodePage(asked, error);
    const simhost::CodePageChoice choice = simhost::chooseCodePage(game.folder, simhost::namedGameFiles(game));
    if (choice.weighed > 0) describe(choice, howToChooseAnother, out);
    return simhost::setCodePage(choice.codePage, error);
}

} // namespace tools
