// Windows: the error of CreateFile names the cause; which program holds a port it does not tell.
#include "cli/hints.h"

#include <windows.h>

#include <string>

namespace orvane::cli {

OpenFailure ClassifyOpenFailure(serial::SysError error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return OpenFailure::kAbsent;
    // A serial port opens for one program at a time; another's handle gives "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return OpenFailure::kHeld;
    case ERROR_TOO_MANY_OPEN_FILES:
      return OpenFailure::kLimit;
    default:
      return OpenFailure::kOther;
  }
}

std::string PortHolders(const std::string&, const std::string&, long) { return ""; }

std::string OpenFilesLimitAdvice() {
  return "the system's limit of open handles is reached: close other programs or open fewer "
         "ports at once";
}

std::string PermissionAdvice() { return "ask the computer's administrator for access to the port"; }

}  // namespace orvane::cli
