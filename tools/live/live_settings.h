// What farview-live remembers from one run to the next: a settings file in the user's
// configuration folder, $XDG_CONFIG_HOME/farview/settings (else ~/.config/farview/settings) on
// Linux and %APPDATA%\Farview\settings on Windows, one "name=value" a line in UTF-8. Lines it does
// not know are kept as they are.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace live {

// The setting of the standard-graphics folder last named with --standard-graphics.
constexpr const char *kStandardGraphicsSetting = "standard-graphics";

// The settings file; empty when the environment names no configuration folder.
std::filesystem::path settingsFile();

// The value of a setting; none when the file or the setting is not there.
std::optional<std::string> readSetting(const std::filesystem::path &file, const std::string &name);

// Sets a setting, making the file and its folder when they are not there; false with a message
// naming the file when it cannot be written. A value cannot hold a line break.
bool writeSetting(const std::filesystem::path &file, const std::string &name, const std::string &value,
                  std::string *error);

} // namespace live
