#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "download/regular_file.h"

namespace orvane::download {

RegularFile OpenRegularFile(const std::string& fileName) {
  // Non-blocking, so that a named pipe without a writer is opened (and refused) at once.
  const int fd = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return {};
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return {};
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    return {};
  }
  return {file, static_cast<std::uint64_t>(info.st_size)};
}

}  // namespace orvane::download
