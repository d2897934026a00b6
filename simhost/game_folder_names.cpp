// The game's code page and Windows-style file-name matching. Games name their files in their
// Windows code page and in whatever letter case their authors typed; a Windows host finds them
// regardless, so the stand-in host must too.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <optional>

#include "simhost/game_folder.h"

namespace fs = std::filesystem;

namespace simhost {
namespace {

std::string &currentCodePage() {
    static auto *const name = new std::string("1252");
    return *name;
}

// Windows code pages go by number; iconv knows them as "CP" + number.
std::string iconvName(const std::string &codePage) {
    const bool number = !codePage.empty() && std::all_of(codePage.begin(), codePage.end(), [](unsigned char c) {
        return std::isdigit(c) != 0;
    });
    return number ? "CP" + codePage : codePage;
}

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

// The one place that converts from the code page: a Windows build would use MultiByteToWideChar
// and WideCharToMultiByte here instead.
std::string convertToUtf8(const std::string &text, const std::string &codePage) {
    iconv_t converter = iconv_open("UTF-8", iconvName(codePage).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out;
    std::string buffer(4 * text.size() + 8, '\0');
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char *outStart = &buffer[0];
        char *outPosition = outStart;
        size_t outLeft = buffer.size();
        const size_t result = iconv(converter, &in, &inLeft, &outPosition, &outLeft);
        out.append(outStart, static_cast<size_t>(outPosition - outStart));
        if (result != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // A byte the code page does not define, or a lead byte without its trail byte.
        out += kReplacementCharacter;
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return out;
}

bool isAscii(const std::string &text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

std::string foldCase(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::vector<std::string> splitPath(const std::string &name, const char *separators) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : name) {
        if (std::string(separators).find(c) != std::string::npos) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// Of the directory's entries whose name equals part without regard to ASCII case, the first in
// byte order, so that the choice does not depend on the order the file system lists them in.
std::optional<std::string> findIgnoringCase(const fs::path &directory, const std::string &part) {
    const std::string wanted = foldCase(part);
    std::optional<std::string> found;
    std::error_code failure;
    fs::directory_iterator entries(directory.empty() ? fs::path(".") : directory, failure);
    for (; !failure && entries != fs::directory_iterator(); entries.increment(failure)) {
        const std::string name = entries->path().filename().string();
        if (foldCase(name) == wanted && (!found || name < *found)) found = name;
    }
    return found;
}

// Each component by its exact name where there is one, else without regard to case.
std::optional<fs::path> matchComponents(fs::path current, const std::vector<std::string> &parts) {
    for (const std::string &part : parts) {
        std::error_code failure;
        if (part == "." || part == ".." || fs::exists(current / part, failure)) {
            current /= part;
            continue;
        }
        std::optional<std::string> match = findIgnoringCase(current, part);
        if (!match) return std::nullopt;
        current /= *match;
    }
    std::error_code failure;
    if (!fs::exists(current, failure)) return std::nullopt;
    return current;
}

std::optional<fs::path> matchName(const fs::path &folder, const std::string &name, const char *separators) {
    const bool absolute = !name.empty() && name[0] == '/';
    return matchComponents(absolute ? fs::path("/") : folder, splitPath(name, separators));
}

} // namespace

bool setCodePage(const std::string &name, std::string *error) {
    // An empty name would give the locale's own character set.
    iconv_t converter = name.empty() ? reinterpret_cast<iconv_t>(-1) : iconv_open("UTF-8", iconvName(name).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        if (error != nullptr) *error = "Unknown code page \"" + name + "\"";
        return false;
    }
    iconv_close(converter);
    currentCodePage() = name;
    return true;
}

const std::string &codePage() { return currentCodePage(); }

// Windows code pages agree with ASCII below 0x80, so such texts need no conversion.
std::string toUtf8(const std::string &text) { return isAscii(text) ? text : convertToUtf8(text, currentCodePage()); }

fs::path resolveGameFile(const fs::path &folder, const std::string &name) {
    const fs::path unchanged = folder / name;
    if (name.empty()) return unchanged;
    std::error_code failure;
    if (fs::exists(unchanged, failure)) return unchanged;
    // A '\' byte may be the second byte of a double-byte character in the code page: it
    // separates components only once the name is converted.
    if (auto match = matchName(folder, name, "/")) return *match;
    const std::string utf8 = toUtf8(name);
    if (auto match = matchName(folder, utf8, "/\\")) return *match;
    return unchanged;
}

std::string resolveGameFile(const std::string &name) {
    const fs::path resolved = resolveGameFile(fs::path(), name);
    std::error_code failure;
    return fs::exists(resolved, failure) ? resolved.string() : name;
}

} // namespace simhost
