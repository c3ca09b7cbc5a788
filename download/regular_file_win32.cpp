#include "download/regular_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "serial/unique_handle_win32.h"

namespace orvane::download {

RegularFile OpenRegularFile(const std::string& fileName) {
  // Others may keep writing the file (the loader reads no more than its size at this moment);
  // a pipe or a device is not a file on disk and is refused before anything is read from it.
  serial::UniqueHandle handle(CreateFileA(fileName.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.Valid()) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  LARGE_INTEGER size{};
  if (GetFileType(handle.Get()) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle.Get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !GetFileSizeEx(handle.Get(), &size)) {
    return {};
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle.Get()), _O_RDONLY | _O_BINARY);
  if (fd < 0) return {};
  handle.Release();  // the descriptor owns it now
  std::FILE* file = _fdopen(fd, "rb");
  if (file == nullptr) {
    _close(fd);  // closes the handle too
    return {};
  }
  return {file, static_cast<std::uint64_t>(size.QuadPart)};
}

}  // namespace orvane::download
