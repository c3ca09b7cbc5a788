#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "app/settings_platform.h"
#include "serial/unique_fd_posix.h"

namespace orvane::app {

namespace fs = std::filesystem;

namespace {

// Removes the temporary file unless the rename took it.
class TemporaryFile {
 public:
  explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    fd_.Reset();
    if (!kept_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Create() {
    fd_.Reset(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    return fd_.Valid();
  }
  bool WriteAll(std::string_view content) {
    while (!content.empty()) {
      const ssize_t n = ::write(fd_.Get(), content.data(), content.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  bool CopyModeOf(const fs::path& original) {
    struct stat st {};
    if (::stat(original.c_str(), &st) != 0) return true;  // new file: umask decides
    return ::fchmod(fd_.Get(), st.st_mode & 07777) == 0;
  }
  bool SyncAndClose() {
    const bool synced = ::fsync(fd_.Get()) == 0;
    const bool closed = ::close(fd_.Release()) == 0;  // its result tells of a lost write
    return synced && closed;
  }
  const fs::path& Path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  fs::path path_;
  serial::UniqueFd fd_;
  bool kept_ = false;
};

// Makes the rename itself durable; a failure here loses nothing that was there before.
void SyncFolder(const fs::path& folder) {
  const serial::UniqueFd fd(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) ::fsync(fd.Get());
}

}  // namespace

bool ReplaceFileContents(const fs::path& file, std::string_view content,
                         const BeforeReplaceHook& beforeReplace) {
  // A settings file kept as a link (dotfile managers do that) stays a link: replace its target.
  fs::path target = file;
  std::error_code ec;
  if (fs::is_symlink(file, ec)) {
    const fs::path resolved = fs::canonical(file, ec);
    if (!ec) target = resolved;
  }
  static std::atomic<unsigned> sequence{0};
  fs::path temporary = target;
  temporary += "." + std::to_string(::getpid()) + "-" + std::to_string(sequence++) + ".tmp";

  TemporaryFile tmp(temporary);
  if (!tmp.Create() || !tmp.WriteAll(content) || !tmp.CopyModeOf(target) || !tmp.SyncAndClose()) {
    return false;
  }
  if (beforeReplace) beforeReplace(tmp.Path());
  if (::rename(tmp.Path().c_str(), target.c_str()) != 0) return false;
  tmp.Keep();
  SyncFolder(target.parent_path());
  return true;
}

fs::path UserSettingsFolder() {
  // Relative values are to be ignored, so a stray setting cannot scatter files in the work folder.
  const fs::path xdg = PathFromEnvironment("XDG_CONFIG_HOME");
  if (xdg.is_absolute()) return xdg / "orvane";
  fs::path home = PathFromEnvironment("HOME");
  if (home.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
      home = pw->pw_dir;
    }
  }
  if (home.empty()) return {};
  return home / ".config" / "orvane";
}

fs::path SystemSettingsFolder() { return {}; }

fs::path PathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? fs::path(value) : fs::path();
}

}  // namespace orvane::app
