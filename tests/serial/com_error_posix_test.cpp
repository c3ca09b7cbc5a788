// The port's messages on POSIX name the system's error: its number and its own text.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>

#include "serial/com_error.h"

namespace orvane::serial {
namespace {

TEST(ComErrorPosixTest, MessagesNameTheSystemsError) {
  struct Case {
    std::int32_t code;
    std::uint32_t error;
    const char* message;
  };
  const Case cases[] = {
      {CError_ReadFailed, EIO, "ReadFile function failed (error 5: Input/output error)"},
      {CError_OpenFailed, EBUSY, "Unable to open com port (error 16: Device or resource busy)"},
      {CError_OpenFailed, ENOENT, "Unable to open com port (error 2: No such file or directory)"},
      {CError_OpenFailed, 0x80070005u,
       "Unable to open com port (error -2147024891: Unknown error -2147024891)"},
  };
  for (const Case& c : cases) EXPECT_STREQ(EComPort(c.code, c.error).what(), c.message);
}

}  // namespace
}  // namespace orvane::serial
