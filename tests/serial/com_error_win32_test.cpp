// The port's messages on Windows carry the system's error number as its documentation lists it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "serial/com_error.h"

namespace orvane::serial {
namespace {

TEST(ComErrorWin32Test, MessagesCarryTheSignedWindowsNumber) {
  struct Case {
    std::int32_t code;
    std::uint32_t error;
    const char* message;
  };
  const Case cases[] = {
      {CError_RegError, ERROR_FILE_NOT_FOUND, "Registry error (win error code: 2)"},
      {CError_ReadFailed, ERROR_BROKEN_PIPE, "ReadFile function failed (win error code: 109)"},
      {CError_OpenFailed, 0x80070005u, "Unable to open com port (win error code: -2147024891)"},
  };
  for (const Case& c : cases) EXPECT_STREQ(EComPort(c.code, c.error).what(), c.message);
}

}  // namespace
}  // namespace orvane::serial
