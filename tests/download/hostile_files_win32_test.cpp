// A named pipe given as the HEX file: refused at once, as a file that cannot be opened, and
// nothing is read from it (its server would otherwise decide when the loader ends).
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

#include "download/hex_file.h"

namespace orvane::download {
namespace {

TEST(HostileFilesWin32, ANamedPipeIsRefusedWithoutWaiting) {
  const char* name = "\\\\.\\pipe\\orvane-hostile-hex";
  HANDLE server = CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                   4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  HexFile file;
  file.Assign(name);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(file.Open());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  CloseHandle(server);
  file.Assign("NUL");  // a device that reads as empty for ever
  EXPECT_FALSE(file.Open());
}

}  // namespace
}  // namespace orvane::download
