// Where the test programs (wave1.hex, ...) are looked for. They are named without a folder, and
// the current folder comes first, so that a user's own copy there wins; but the open dialog moves
// the current folder, so the files installed with the program are looked for next: in the
// running program's folder and, on Linux, in ../share/orvane/ beside it. Packaging installs them
// where this looks.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane::boardtest {

// The folder that holds the running program; empty when the platform cannot say.
std::filesystem::path ExecutableFolder();

// The folders beside the program's own where this platform installs its data files (Linux:
// ../share/orvane relative to it; Windows: none).
std::vector<std::filesystem::path> InstalledDataFolders(const std::filesystem::path& programFolder);

// The folders searched, in order: the current folder (as the empty path, so a name found there
// is opened by its bare name), the program's folder, then the installed data folders.
std::vector<std::filesystem::path> TestFileFolders();

// The first `folder / name` that is a file, or none.
std::optional<std::filesystem::path> FindTestFile(
    const std::string& name, const std::vector<std::filesystem::path>& folders);

}  // namespace orvane::boardtest
