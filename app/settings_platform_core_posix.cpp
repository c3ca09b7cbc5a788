#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "app/settings_platform.h"
#include "serial/unique_fd_posix.h"

namespace orvane::app {

namespace fs = std::filesystem;

namespace {

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool CopyModeOf(int fd, const fs::path& original) {
  struct stat st {};
  if (::stat(original.c_str(), &st) != 0) return true;  // new file: umask decides
  return ::fchmod(fd, st.st_mode & 07777) == 0;
}

}  // namespace

bool WriteNewFileDurably(const fs::path& file, std::string_view content, const fs::path& original) {
  serial::UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.Valid() || !WriteAll(fd.Get(), content) || !CopyModeOf(fd.Get(), original)) return false;
  const bool synced = ::fsync(fd.Get()) == 0;
  const bool closed = ::close(fd.Release()) == 0;  // its result tells of a lost write
  return synced && closed;
}

bool RenameDurably(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  // Makes the rename itself durable; a failure here loses nothing that was there before.
  const fs::path folder = to.parent_path();
  const serial::UniqueFd fd(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) ::fsync(fd.Get());
  return true;
}

fs::path ReplacementTarget(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_symlink(file, ec)) return file;
  const fs::path resolved = fs::canonical(file, ec);
  return ec ? file : resolved;
}

unsigned long ProcessNumber() { return static_cast<unsigned long>(::getpid()); }

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
