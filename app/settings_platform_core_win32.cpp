#include <windows.h>

#include <algorithm>
#include <string>

#include "app/settings_platform.h"
#include "serial/unique_handle_win32.h"

namespace orvane::app {

namespace fs = std::filesystem;

namespace {

bool WriteAll(HANDLE handle, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(handle, content.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    content.remove_prefix(written);
  }
  return true;
}

}  // namespace

// The file's permissions come from the folder it is made in; `original` has none to copy.
bool WriteNewFileDurably(const fs::path& file, std::string_view content, const fs::path&) {
  serial::UniqueHandle handle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.Valid() || !WriteAll(handle.Get(), content)) return false;
  const bool flushed = ::FlushFileBuffers(handle.Get()) != 0;
  const bool closed = ::CloseHandle(handle.Release()) != 0;  // its result tells of a lost write
  return flushed && closed;
}

bool RenameDurably(const fs::path& from, const fs::path& to) {
  // WRITE_THROUGH: the call returns only once the new name is on the disk.
  return ::MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

fs::path ReplacementTarget(const fs::path& file) { return file; }

unsigned long ProcessNumber() { return ::GetCurrentProcessId(); }

fs::path UserSettingsFolder() { return PathFromEnvironment("APPDATA"); }

fs::path SystemSettingsFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  return fs::path(std::wstring(buffer, length));
}

fs::path PathFromEnvironment(const char* name) {
  const std::wstring wideName(name, name + std::char_traits<char>::length(name));
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  if (length == 0 || length >= size) return {};
  value.resize(length);
  return fs::path(value);
}

}  // namespace orvane::app
