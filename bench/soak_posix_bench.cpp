// Soak on Linux: orvane-board on a pseudo-terminal, resident memory and open descriptors. A
// terminal carries no DTR pulse to return the board from the downloaded program to its monitor,
// but opening it anew does: the port is closed after each download, and the soak waits for the
// board server to see the terminal closed before the next one. Arguments go to orvane-board.
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board_server_posix_bench.h"
#include "soak_bench.h"

namespace {

using namespace orvane;

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long HeapInUseKb() {
  const struct mallinfo2 heap = mallinfo2();
  return static_cast<long>((heap.uordblks + heap.hblkhd) / 1024);  // small blocks and mapped ones
}

long OpenDescriptors() {
  long count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count - 1;  // the listing's own
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> serverOptions(argv + 1, argv + argc);
  char folder[] = "/tmp/orvane-soak-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string link = std::string(folder) + "/board";
  int failures = 1;
  {
    bench::BoardServer server(link, serverOptions);
    if (server.Running()) {
      ui::NoMessagePump pump;
      ui::RealTimeWaiter sleeper;
      const bench::SoakPlatform platform{
          "resident KB", "descriptors",
          [] {
            return bench::SoakFigures{ResidentKb(), HeapInUseKb(), OpenDescriptors()};
          },
          [&sleeper](serial::TComPort& port) {
            port.Close();
            sleeper.Wait(200);  // until the board server has seen the terminal closed
          }};
      failures = bench::RunSoak(link, bench::kSoakDownloads, pump, platform);
    } else {
      std::fprintf(stderr, "orvane-board did not start\n");
    }
  }
  std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
