// POSIX: errno, with the system's own text for it, so the user can look the cause up.
#include "serial/com_error.h"

#include <cstring>
#include <string>

namespace orvane::serial {
namespace {

// strerror_r comes in two forms: the GNU one returns the text, the XSI one fills the buffer.
[[maybe_unused]] const char* ErrorText(const char* text, const char*) { return text; }
[[maybe_unused]] const char* ErrorText(int failed, const char* buffer) {
  return failed == 0 ? buffer : "Unknown error";
}

}  // namespace

std::string SystemErrorSuffix(std::uint32_t systemErrorCode) {
  const int number = static_cast<int>(static_cast<std::int32_t>(systemErrorCode));
  char buffer[128] = {};
  const char* text = ErrorText(strerror_r(number, buffer, sizeof buffer), buffer);
  return " (error " + std::to_string(number) + ": " + text + ")";
}

}  // namespace orvane::serial
