// The game's code page and Windows-style file-name matching. Games name their files in their
// Windows code page and in whatever letter case their authors typed; a Windows host finds them
// regardless, so the stand-in host must too.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>
#include <optional>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "game_folder_case.h"
#include "game_folder_names.h"
#include "simhost/game_folder.h"

namespace fs = std::filesystem;

namespace simhost {
namespace {

std::string &currentCodePage() {
    static auto *const name = new std::string("1252");
    return *name;
}

bool isListed(const std::string &codePage) {
    const std::vector<std::string> &pages = gameCodePages();
    return std::find(pages.begin(), pages.end(), codePage) != pages.end();
}

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

#ifdef _WIN32

std::optional<UINT> codePageNumber(const std::string &codePage) {
    if (!isListed(codePage)) return std::nullopt;
    const auto number = static_cast<UINT>(std::stoul(codePage));
    if (IsValidCodePage(number) == 0) return std::nullopt;
    return number;
}

bool isAvailable(const std::string &codePage) { return codePageNumber(codePage).has_value(); }

std::string utf16ToUtf8(const std::wstring &text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &out[0], bytes, nullptr, nullptr);
    return out;
}

// The UTF-16 text of bytes in the code page, or nothing when they are not whole, defined
// characters.
std::optional<std::wstring> decode(UINT codePage, const char *bytes, size_t count) {
    const int size = static_cast<int>(count);
    const int characters = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (characters <= 0) return std::nullopt;
    std::wstring wide(static_cast<size_t>(characters), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, &wide[0], characters);
    return wide;
}

// The longest character of the code pages accepted takes two bytes.
constexpr size_t kLongestCharacter = 2;

// The one place that converts from the code page. A text that does not decode whole is taken one
// character at a time, so that only the bytes at fault become U+FFFD.
std::string convertToUtf8(const std::string &text, const std::string &codePage) {
    const std::optional<UINT> number = codePageNumber(codePage);
    if (!number || text.size() > static_cast<size_t>(INT_MAX)) return text;
    if (std::optional<std::wstring> whole = decode(*number, text.data(), text.size())) return utf16ToUtf8(*whole);
    std::string out;
    for (size_t at = 0; at < text.size();) {
        std::optional<std::wstring> character;
        size_t length = 1;
        for (; length <= kLongestCharacter && at + length <= text.size(); ++length)
            if ((character = decode(*number, text.data() + at, length))) break;
        if (character) {
            out += utf16ToUtf8(*character);
            at += length;
        } else {
            out += kReplacementCharacter;
            ++at;
        }
    }
    return out;
}

// The one place that converts into the code page: nothing when a character has no byte form there.
std::optional<std::string> convertFromUtf8(const std::string &utf8, const std::string &codePage) {
    const std::optional<UINT> number = codePageNumber(codePage);
    if (!number || utf8.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
    const std::optional<std::wstring> wide = decode(CP_UTF8, utf8.data(), utf8.size());
    if (!wide) return std::nullopt;
    const int size = static_cast<int>(wide->size());
    BOOL unmapped = FALSE;
    const int bytes =
        WideCharToMultiByte(*number, WC_NO_BEST_FIT_CHARS, wide->data(), size, nullptr, 0, nullptr, &unmapped);
    if (bytes <= 0 || unmapped) return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(*number, WC_NO_BEST_FIT_CHARS, wide->data(), size, &out[0], bytes, nullptr, nullptr);
    return out;
}

#else

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Windows code pages go by number; iconv knows them as "CP" + number. A smaller iconv (the C
// library of the browser page's build) lacks some under that name but has the standard they
// extend, which agrees with them on every character a game's file name is likely to hold.
enum class Direction { fromCodePage, intoCodePage };

iconv_t openConverter(const std::string &codePage, Direction direction) {
    static const std::map<std::string, const char *> nearest{{"874", "TIS-620"}, {"932", "SHIFT_JIS"}, {"936", "GBK"}};
    const auto open = [direction](const std::string &name) {
        return direction == Direction::intoCodePage ? iconv_open(name.c_str(), "UTF-8")
                                                    : iconv_open("UTF-8", name.c_str());
    };
    iconv_t converter = open("CP" + codePage);
    const auto other = nearest.find(codePage);
    if (converter == kNoConverter && other != nearest.end()) converter = open(other->second);
    return converter;
}

// One converter a code page and direction, opened on first use and kept: names are converted by
// the thousand when a whole game is rendered. Never closed, like the rest of the engine's globals.
iconv_t converterFor(const std::string &codePage, Direction direction) {
    static auto *const converters = new std::map<std::pair<std::string, Direction>, iconv_t>;
    auto known = converters->find({codePage, direction});
    if (known != converters->end()) return known->second;
    const iconv_t converter = isListed(codePage) ? openConverter(codePage, direction) : kNoConverter;
    converters->emplace(std::make_pair(codePage, direction), converter);
    return converter;
}

iconv_t converterFrom(const std::string &codePage) { return converterFor(codePage, Direction::fromCodePage); }

bool isAvailable(const std::string &codePage) { return converterFrom(codePage) != kNoConverter; }

// The one place that converts from the code page.
std::string convertToUtf8(const std::string &text, const std::string &codePage) {
    iconv_t converter = converterFrom(codePage);
    if (converter == kNoConverter) return text;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    std::string buffer(4 * text.size() + 8, '\0');
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    // The converters of 1255 and 1258 hold a letter back until they know whether a mark follows:
    // a flush gives it.
    const auto flush = [&] {
        char *outPosition = &buffer[0];
        size_t outLeft = buffer.size();
        iconv(converter, nullptr, nullptr, &outPosition, &outLeft);
        out.append(&buffer[0], static_cast<size_t>(outPosition - &buffer[0]));
    };
    while (inLeft > 0) {
        char *outStart = &buffer[0];
        char *outPosition = outStart;
        size_t outLeft = buffer.size();
        const size_t result = iconv(converter, &in, &inLeft, &outPosition, &outLeft);
        out.append(outStart, static_cast<size_t>(outPosition - outStart));
        if (result != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // A byte the code page does not define, or a lead byte without its trail byte.
        flush();
        out += kReplacementCharacter;
        ++in;
        --inLeft;
    }
    flush();
    return out;
}

// The one place that converts into the code page: nothing when a character has no byte form there
// (iconv refuses it rather than guess, without a //TRANSLIT suffix).
std::optional<std::string> convertFromUtf8(const std::string &utf8, const std::string &codePage) {
    iconv_t converter = converterFor(codePage, Direction::intoCodePage);
    if (converter == kNoConverter) return std::nullopt;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string out(utf8.size() + 8, '\0'); // no character takes more bytes in a code page than in UTF-8
    char *in = const_cast<char *>(utf8.data());
    size_t inLeft = utf8.size();
    char *outPosition = &out[0];
    size_t outLeft = out.size();
    if (iconv(converter, &in, &inLeft, &outPosition, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

#endif

// A path component from a name the stand-in host found or converted, and an entry's name in the
// same form. Windows keeps names in UTF-16: the host's form of them is UTF-8, and an entry whose
// name has no UTF-8 form (a lone surrogate) matches nothing.
#ifdef _WIN32
fs::path pathFrom(const std::string &utf8) { return fs::u8path(utf8); }

std::optional<std::string> nameOf(const fs::path &entry) {
    try {
        return entry.filename().u8string();
    } catch (const fs::filesystem_error &) {
        return std::nullopt;
    }
}
#else
fs::path pathFrom(const std::string &bytes) { return fs::path(bytes); }

std::optional<std::string> nameOf(const fs::path &entry) { return entry.filename().string(); }
#endif

// How the names of a folder's entries are compared with a name of the game: as UTF-8 (how the
// host's file system keeps them), or as bytes in the game's code page (how a folder copied from
// Windows byte for byte keeps them, on a file system that does not convert).
struct NameForm {
    const std::string &codePage;
    bool entriesInCodePage;

    // The name of an entry as the comparison sees it; none when the entry is of the other form.
    std::optional<std::string> entryKey(const std::string &entry) const {
        if (!entriesInCodePage) return windowsUpperCase(entry);
        if (!isAscii(entry) && isUtf8(entry)) return std::nullopt; // taken as UTF-8
        return windowsUpperCase(toUtf8(entry, codePage));
    }
    std::string wantedKey(const std::string &part) const {
        return windowsUpperCase(entriesInCodePage ? toUtf8(part, codePage) : part);
    }
};

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

// A directory's entries, each with its name as a form compares it.
using Listing = std::vector<std::pair<std::string, std::optional<std::string>>>;

Listing listDirectory(const fs::path &directory, const NameForm &form) {
    Listing listing;
    std::error_code failure;
    fs::directory_iterator entries(directory.empty() ? fs::path(".") : directory, failure);
    for (; !failure && entries != fs::directory_iterator(); entries.increment(failure))
        if (const std::optional<std::string> name = nameOf(entries->path()))
            listing.emplace_back(*name, form.entryKey(*name));
    return listing;
}

// The listings RememberedListings keeps while it lives, by directory and the code page its names
// are compared in (none for names kept as UTF-8, which compare the same under every code page).
std::map<std::pair<fs::path, std::string>, Listing> *rememberedListings = nullptr;

const Listing &listingOf(const fs::path &directory, const NameForm &form, Listing &fresh) {
    if (rememberedListings == nullptr) return fresh = listDirectory(directory, form);
    const auto key = std::make_pair(directory, form.entriesInCodePage ? form.codePage : std::string());
    const auto known = rememberedListings->find(key);
    if (known != rememberedListings->end()) return known->second;
    return (*rememberedListings)[key] = listDirectory(directory, form);
}

// Of the directory's entries whose name equals part without regard to letter case, the first in
// byte order, so that the choice does not depend on the order the file system lists them in.
std::optional<std::string> findIgnoringCase(const fs::path &directory, const std::string &part, const NameForm &form) {
    const std::string wanted = form.wantedKey(part);
    std::optional<std::string> found;
    Listing fresh;
    for (const auto &[name, key] : listingOf(directory, form, fresh))
        if (key == wanted && (!found || name < *found)) found = name;
    return found;
}

// Each component by its exact name where there is one, else without regard to case.
std::optional<fs::path> matchComponents(fs::path current, const std::vector<std::string> &parts, const NameForm &form) {
    for (const std::string &part : parts) {
        std::error_code failure;
        if (part == "." || part == ".." || fs::exists(current / pathFrom(part), failure)) {
            current /= pathFrom(part);
            continue;
        }
        std::optional<std::string> match = findIgnoringCase(current, part, form);
        if (!match) return std::nullopt;
        current /= pathFrom(*match);
    }
    std::error_code failure;
    if (!fs::exists(current, failure)) return std::nullopt;
    return current;
}

std::optional<fs::path> matchName(const fs::path &folder, const std::string &name, const char *separators,
                                  const NameForm &form) {
#ifdef _WIN32
    // "C:\...", "\\server\..." and "\..." start from their own root, the rest from the folder.
    const fs::path whole = pathFrom(name);
    if (whole.has_root_path())
        return matchComponents(whole.root_path(), splitPath(whole.relative_path().u8string(), separators), form);
    return matchComponents(folder, splitPath(name, separators), form);
#else
    const bool absolute = !name.empty() && name[0] == '/';
    return matchComponents(absolute ? fs::path("/") : folder, splitPath(name, separators), form);
#endif
}

} // namespace

RememberedListings::RememberedListings() : owner_(rememberedListings == nullptr) {
    if (owner_) rememberedListings = new std::map<std::pair<fs::path, std::string>, Listing>;
}

RememberedListings::~RememberedListings() {
    if (!owner_) return;
    delete rememberedListings;
    rememberedListings = nullptr;
}

const std::vector<std::string> &gameCodePages() {
    static const auto *const pages = new std::vector<std::string>{
        "1252", "1250", "1251", "1253", "1254", "1255", "1256", "1257", "1258", "874", "932", "936", "949", "950"};
    return *pages;
}

bool setCodePage(const std::string &name, std::string *error) {
    if (!isAvailable(name)) {
        if (error != nullptr) *error = "Unknown code page \"" + name + "\"";
        return false;
    }
    currentCodePage() = name;
    return true;
}

const std::string &codePage() { return currentCodePage(); }

// Windows code pages agree with ASCII below 0x80, so such texts need no conversion.
std::string toUtf8(const std::string &text, const std::string &codePage) {
    return isAscii(text) ? text : convertToUtf8(text, codePage);
}

std::string toUtf8(const std::string &text) { return toUtf8(text, currentCodePage()); }

std::optional<std::string> fromUtf8(const std::string &utf8) {
    if (isAscii(utf8)) return utf8;
    if (!isUtf8(utf8)) return std::nullopt;
    return convertFromUtf8(utf8, currentCodePage());
}

#ifdef _WIN32
// Windows names are UTF-16: a game's name means what its code page says, whatever code page the
// system runs, and '\' separates components once the name is converted.
fs::path resolveGameFile(const fs::path &folder, const std::string &name, const std::string &codePage) {
    const std::string utf8 = toUtf8(name, codePage);
    const fs::path unchanged = folder / pathFrom(utf8);
    if (name.empty()) return unchanged;
    std::error_code failure;
    if (fs::exists(unchanged, failure)) return unchanged;
    if (auto match = matchName(folder, utf8, "/\\", NameForm{codePage, false})) return *match;
    return unchanged;
}

// The host's file names are UTF-8 on Windows (see png_io.cpp).
std::string resolveGameFile(const std::string &name) {
    const fs::path resolved = resolveGameFile(fs::path(), name);
    std::error_code failure;
    return fs::exists(resolved, failure) ? resolved.u8string() : name;
}
#else
fs::path resolveGameFile(const fs::path &folder, const std::string &name, const std::string &codePage) {
    const fs::path unchanged = folder / name;
    if (name.empty()) return unchanged;
    std::error_code failure;
    if (fs::exists(unchanged, failure)) return unchanged;
    // A '\' byte may be the second byte of a double-byte character in the code page: it
    // separates components only once the name is converted.
    if (auto match = matchName(folder, name, "/", NameForm{codePage, true})) return *match;
    if (auto match = matchName(folder, toUtf8(name, codePage), "/\\", NameForm{codePage, false})) return *match;
    return unchanged;
}

std::string resolveGameFile(const std::string &name) {
    const fs::path resolved = resolveGameFile(fs::path(), name);
    std::error_code failure;
    return fs::exists(resolved, failure) ? resolved.string() : name;
}
#endif

fs::path resolveGameFile(const fs::path &folder, const std::string &name) {
    return resolveGameFile(folder, name, currentCodePage());
}

} // namespace simhost

namespace simhost {
namespace {

fs::path &standardGraphicsStore() {
    static auto *const folder = new fs::path;
    return *folder;
}

std::string &howToNameStore() {
    static auto *const how = new std::string("--standard-graphics DIR or the environment variable "
                                             "FARVIEW_STANDARD_GRAPHICS");
    return *how;
}

bool isFile(const fs::path &path) {
    std::error_code failure;
    return fs::exists(path, failure);
}

// Only a name relative to the game folder can be one of the standard graphics.
bool isRelative(const std::string &name) {
    if (name.empty() || name[0] == '/') return false;
#ifdef _WIN32
    if (name[0] == '\\' || (name.size() > 1 && name[1] == ':')) return false;
#endif
    return true;
}

} // namespace

void setStandardGraphicsFolder(const fs::path &folder) { standardGraphicsStore() = folder; }

const fs::path &standardGraphicsFolder() { return standardGraphicsStore(); }

void setHowToNameStandardGraphics(const std::string &how) { howToNameStore() = how; }

GraphicFile findGraphicFile(const fs::path &folder, const std::string &name) {
    const fs::path inGame = resolveGameFile(folder, name);
    if (!name.empty() && isFile(inGame)) return {inGame, GraphicSource::gameFolder};
    const fs::path &standard = standardGraphicsStore();
    if (standard.empty() || !isRelative(name)) return {inGame, GraphicSource::nowhere};
    const fs::path inStandard = resolveGameFile(standard, name);
    if (isFile(inStandard)) return {inStandard, GraphicSource::standardGraphics};
    return {inGame, GraphicSource::nowhere};
}

std::string graphicNotFoundReason() {
    const fs::path &standard = standardGraphicsStore();
    if (standard.empty())
        return "it is not in the game folder, and no standard graphics folder is named (" + howToNameStore() +
               " names the folder of the engine's standard graphics)";
#ifdef _WIN32
    const std::string shown = standard.u8string();
#else
    const std::string shown = standard.string();
#endif
    return "it is neither in the game folder nor in the standard graphics folder \"" + shown + "\"";
}

bool isAscii(const std::string &text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

} // namespace simhost
