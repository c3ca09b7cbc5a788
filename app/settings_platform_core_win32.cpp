#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "app/settings_platform.h"
#include "serial/unique_handle_win32.h"

namespace orvane::app {

namespace fs = std::filesystem;

namespace {

// Closes the handle and removes the temporary file unless the rename took it.
class TemporaryFile {
 public:
  explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    Close();
    if (!kept_) ::DeleteFileW(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Create() {
    handle_.Reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle_.Valid();
  }
  bool WriteAll(std::string_view content) {
    while (!content.empty()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
      DWORD written = 0;
      if (!::WriteFile(handle_.Get(), content.data(), chunk, &written, nullptr) || written == 0) {
        return false;
      }
      content.remove_prefix(written);
    }
    return true;
  }
  bool FlushAndClose() {
    const bool flushed = ::FlushFileBuffers(handle_.Get()) != 0;
    return Close() && flushed;
  }
  const fs::path& Path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  bool Close() {  // its result tells of a lost write
    return !handle_.Valid() || ::CloseHandle(handle_.Release()) != 0;
  }

  fs::path path_;
  serial::UniqueHandle handle_;
  bool kept_ = false;
};

}  // namespace

bool ReplaceFileContents(const fs::path& file, std::string_view content,
                         const BeforeReplaceHook& beforeReplace) {
  static std::atomic<unsigned> sequence{0};
  fs::path temporary = file;
  temporary += L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(sequence++) + L".tmp";

  TemporaryFile tmp(temporary);
  if (!tmp.Create() || !tmp.WriteAll(content) || !tmp.FlushAndClose()) return false;
  if (beforeReplace) beforeReplace(tmp.Path());
  // WRITE_THROUGH: the call returns only once the new name is on the disk.
  if (!::MoveFileExW(tmp.Path().c_str(), file.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return false;
  }
  tmp.Keep();
  return true;
}

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
