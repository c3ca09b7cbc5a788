// Linux: errno names the cause; /proc shows which processes have the device open.
#include "cli/hints.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvane::cli {

namespace fs = std::filesystem;

OpenFailure ClassifyOpenFailure(serial::SysError error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return OpenFailure::kAbsent;
    case EACCES:
    case EPERM:
      return OpenFailure::kDenied;
    case EBUSY:
    case EWOULDBLOCK:
      return OpenFailure::kHeld;
    case ENOTTY:
      return OpenFailure::kNotSerial;
    case EMFILE:
    case ENFILE:
      return OpenFailure::kLimit;
    default:
      return OpenFailure::kOther;
  }
}

std::string PortHolders(const std::string& port, const std::string& systemRoot, long ownPid) {
  std::error_code error;
  const fs::path path =
      port.find('/') == std::string::npos ? fs::path("/dev") / port : fs::path(port);
  const fs::path device = fs::canonical(path, error);
  if (error) return "";
  const fs::path proc = fs::path(systemRoot.empty() ? "/" : systemRoot) / "proc";
  const long self = ownPid > 0 ? ownPid : static_cast<long>(getpid());
  std::string holders;
  for (const fs::directory_entry& process : fs::directory_iterator(proc, error)) {
    const std::string pid = process.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos || std::stol(pid) == self) {
      continue;
    }
    // Processes of other users are closed to us; those are passed over.
    std::error_code fdError;
    for (const fs::directory_entry& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
      std::error_code linkError;
      if (fs::read_symlink(fd.path(), linkError) != device || linkError) continue;
      std::ifstream commFile(process.path() / "comm");
      std::string name;
      std::getline(commFile, name);
      holders += (holders.empty() ? "" : ", ") + name + " (pid " + pid + ")";
      break;
    }
  }
  return holders;
}

std::string OpenFilesLimitAdvice() {
  rlimit limit{};
  const std::string most = getrlimit(RLIMIT_NOFILE, &limit) == 0
                               ? std::to_string(static_cast<unsigned long long>(limit.rlim_cur))
                               : "limited";
  return "the limit of open files for one process (ulimit -n) is " + most +
         ", and the system's (fs.file-max) counts too: raise it ('ulimit -n 4096') or open fewer "
         "ports at once";
}

std::string PermissionAdvice() {
  return "add your user to the dialout group ('sudo usermod -aG dialout $USER'), then log in "
         "again";
}

}  // namespace orvane::cli
