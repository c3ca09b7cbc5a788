// Windows: the number as the system's documentation lists it, signed (an HRESULT reads negative).
#include "serial/com_error.h"

#include <cstdio>

namespace orvane::serial {

std::string SystemErrorSuffix(std::uint32_t systemErrorCode) {
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, " (win error code: %d)",
                static_cast<int>(static_cast<std::int32_t>(systemErrorCode)));
  return suffix;
}

}  // namespace orvane::serial
