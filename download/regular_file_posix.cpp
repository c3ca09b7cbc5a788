#include "download/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "serial/unique_fd_posix.h"

namespace orvane::download {

RegularFile OpenRegularFile(const std::string& fileName) {
  // Non-blocking, so that a named pipe without a writer is opened (and refused) at once.
  serial::UniqueFd fd(open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd.Valid()) return {};
  struct stat info {};
  if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd.Get(), "rb");
  if (file == nullptr) return {};
  fd.Release();  // the stream owns it now
  return {file, static_cast<std::uint64_t>(info.st_size)};
}

}  // namespace orvane::download
