#include "tools/live/live_settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace live {

namespace {

std::string prefixOf(const std::string &name) { return name + "="; }

std::vector<std::string> linesOf(const fs::path &file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

fs::path settingsFile() {
#ifdef _WIN32
    const wchar_t *roaming = _wgetenv(L"APPDATA");
    if (roaming == nullptr || *roaming == L'\0') return {};
    return fs::path(roaming) / "Farview" / "settings";
#else
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return fs::path(config) / "farview" / "settings";
    const char *home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return {};
    return fs::path(home) / ".config" / "farview" / "settings";
#endif
}

std::optional<std::string> readSetting(const fs::path &file, const std::string &name) {
    const std::string prefix = prefixOf(name);
    std::optional<std::string> value;
    for (const std::string &line : linesOf(file))
        if (line.rfind(prefix, 0) == 0) value = line.substr(prefix.size());
    return value;
}

bool writeSetting(const fs::path &file, const std::string &name, const std::string &value, std::string *error) {
    if (value.find_first_of("\r\n") != std::string::npos) {
        *error = "a setting cannot hold a line break";
        return false;
    }
    const std::string prefix = prefixOf(name);
    std::ostringstream text;
    for (const std::string &line : linesOf(file))
        if (line.rfind(prefix, 0) != 0) text << line << "\n";
    text << prefix << value << "\n";
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.close();
    if (!out) *error = "cannot write the settings file " + file.u8string();
    return static_cast<bool>(out);
}

} // namespace live
