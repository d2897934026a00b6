// The game's code page and file-name matching under a code page given by name, for the files of
// simhost that weigh one code page against another. Private to simhost.
#pragma once

#include <filesystem>
#include <string>

namespace simhost {

// The text converted from the code page to UTF-8 (see toUtf8 in game_folder.h).
std::string toUtf8(const std::string &text, const std::string &codePage);

// The file a name of the game in that code page names (see resolveGameFile in game_folder.h).
std::filesystem::path resolveGameFile(const std::filesystem::path &folder, const std::string &name,
                                      const std::string &codePage);

// While one lives, each directory's entries are listed once for resolveGameFile (a code-page
// choice asks the same folders about tens of names under fourteen code pages); nothing may add or
// rename files meanwhile. The first of nested ones keeps the listings.
class RememberedListings {
public:
    RememberedListings();
    ~RememberedListings();
    RememberedListings(const RememberedListings &) = delete;
    RememberedListings &operator=(const RememberedListings &) = delete;

private:
    bool owner_;
};

// Whether the file is on its way (game_folder.h), asking for it when it is; a read refused so
// says kStillBeingReadIn.
bool askIfOnItsWay(const std::filesystem::path &file);
constexpr const char *kStillBeingReadIn = "it is still being read in";

} // namespace simhost
