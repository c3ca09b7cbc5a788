// Where the settings file lives. The file keeps its historic name and contents, but sits in the
// user's own settings folder: the Windows folder, where it used to be, is not writable for a
// standard user on current Windows, which would make every download end in a write error.
#pragma once

#include <filesystem>

namespace orvane::app {

inline constexpr const char* kSettingsFileName = "Orvanekit.ini";

// Names the folder that overrides the user's settings folder (tests use it).
inline constexpr const char* kSettingsFolderVariable = "ORVANE_CONFIG_DIR";

// The full name of the settings file: in $ORVANE_CONFIG_DIR when set, else in the user's settings
// folder (created when missing). Without an override, a first run on Windows starts from a copy
// of the file left in the Windows folder, so the recent files carry over.
std::filesystem::path SettingsFilePath();

// Copies `from` to `to` when `to` does not exist and `from` is a file; false when nothing copied.
bool CarryOverSettingsFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace orvane::app
