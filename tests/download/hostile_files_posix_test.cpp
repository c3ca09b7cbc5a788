// A named pipe given as the HEX file: refused at once, as a file that cannot be opened, even
// with no writer at the other end (opening it for reading would wait for one forever).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "download/hex_file.h"
#include "hex_test_helpers.h"
#include "support/board_server_posix.h"
#include "support/temp_folder.h"

namespace orvane::download {
namespace {

using namespace orvane::test_support;

TEST(HostileFilesPosix, ANamedPipeIsRefusedWithoutWaiting) {
  test_support::TempFolder dir;
  const auto fifo = dir.Path() / "pipe.hex";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  HexFile file;
  file.Assign(fifo.string());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(file.Open());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  file.Assign("/dev/zero");  // a device that would never end
  EXPECT_FALSE(file.Open());

  const auto run =
      test_support::RunProgram({test_support::OrvanePath(), "image", fifo.string()}, {}, 10000);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "File not found\n");
}

}  // namespace
}  // namespace orvane::download
