// What the settings file needs of the operating system: a crash-safe file replacement and the
// folders where settings live. The replacement's order is portable (settings_platform.cpp); its
// steps and the folders have one implementation per platform (_core_win32 / _core_posix).
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

// The platform's steps of ReplaceFileContents, which settings_platform.cpp takes in order.
//
// Creates `file`, which must not exist yet, writes `content` to it with the permissions of
// `original` where the platform has them and `original` exists, flushes it to the disk and closes
// it. False when any step fails; the file may then stay, for the caller to remove.
bool WriteNewFileDurably(const std::filesystem::path& file, std::string_view content,
                         const std::filesystem::path& original);
// Renames `from` over `to` in one step, and returns once the new name is on the disk.
bool RenameDurably(const std::filesystem::path& from, const std::filesystem::path& to);
// The file a replacement of `file` writes: on POSIX a settings file kept as a link (dotfile
// managers do that) stays a link, so its target is replaced; elsewhere `file` itself.
std::filesystem::path ReplacementTarget(const std::filesystem::path& file);
// A number of this process, for temporary names that other processes do not pick.
unsigned long ProcessNumber();

// The user's own settings folder: %APPDATA% on Windows, $XDG_CONFIG_HOME/orvane or
// ~/.config/orvane elsewhere. Empty when the platform gives none.
std::filesystem::path UserSettingsFolder();

// Where the Windows profile functions keep a file named without a folder (the Windows folder);
// empty on other platforms.
std::filesystem::path SystemSettingsFolder();

// The value of an environment variable as a path; empty when unset.
std::filesystem::path PathFromEnvironment(const char* name);

}  // namespace orvane::app
