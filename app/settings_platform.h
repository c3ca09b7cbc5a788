// What the settings file needs of the operating system: a crash-safe file replacement and the
// folders where settings live. One implementation per platform (_core_win32 / _core_posix).
#pragma once

#include <filesystem>
#include <string_view>

#include "app/ini_profile.h"

namespace orvane::app {

// Writes `content` to a new file beside `file`, flushes it to the disk and renames it over
// `file` in one step, so that a crash at any moment leaves the old or the new content, never a
// mix or an empty file. `beforeReplace` (if set) runs between the flush and the rename.
// Returns false when any step fails; the old file is then unchanged and no temporary file stays.
bool ReplaceFileContents(const std::filesystem::path& file, std::string_view content,
                         const BeforeReplaceHook& beforeReplace);

// The user's own settings folder: %APPDATA% on Windows, $XDG_CONFIG_HOME/orvane or
// ~/.config/orvane elsewhere. Empty when the platform gives none.
std::filesystem::path UserSettingsFolder();

// Where the Windows profile functions keep a file named without a folder (the Windows folder);
// empty on other platforms.
std::filesystem::path SystemSettingsFolder();

// The value of an environment variable as a path; empty when unset.
std::filesystem::path PathFromEnvironment(const char* name);

}  // namespace orvane::app
