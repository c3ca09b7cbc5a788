// Opening a file for reading only when it is a regular file: a named pipe, a device, a socket or
// a folder is refused at once, without waiting for a writer that may never come (opening a named
// pipe for reading blocks until one does). regular_file_posix.cpp, regular_file_win32.cpp.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvane::download {

struct RegularFile {
  std::FILE* file = nullptr;  // the caller's to close; null when refused or missing
  std::uint64_t size = 0;     // the size when it was opened
};

RegularFile OpenRegularFile(const std::string& fileName);

}  // namespace orvane::download
