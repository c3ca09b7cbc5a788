// Many boards at once: `orvane download --ports` to 1 to 64 boards, each orvane-board on a
// pseudo-terminal pacing its line at 57600 bit/s, with the page algorithm and a full 8 KB image.
// Prints the wall time against one board's and the host's CPU time per byte sent (user and
// system, from the tool's resource use; the boards' own work is theirs), against the goals: 64
// boards within 1.15 times the time of one, the CPU per byte not growing. Then, with one board
// whose answers are held 16 ms as a USB converter's latency timer holds them, the time of each
// algorithm.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "board_server_posix_bench.h"
#include "child_process_posix_bench.h"
#include "download/download_run.h"
#include "load_bench.h"

namespace {

using orvane::bench::BoardServer;

using Run = orvane::bench::ChildRun;

// Runs orvane with the arguments, output to /dev/null; its wall and CPU time.
Run RunOrvane(std::vector<std::string> args) {
  args.insert(args.begin(), orvane::bench::ProgramFolder() + "/orvane");
  return orvane::bench::RunChild(std::move(args));
}

// N boards on terminals linked in a fresh folder; their links, comma-separated.
struct Boards {
  Boards(int count, const std::vector<std::string>& options) {
    char pattern[] = "/tmp/orvane-parallel-XXXXXX";
    folder = mkdtemp(pattern) ? pattern : "/tmp";
    for (int i = 0; i < count; ++i) {
      const std::string link = folder + "/board" + std::to_string(i);
      servers.push_back(std::make_unique<BoardServer>(link, options));
      if (!servers.back()->Running()) ++failed;
      ports += (i ? "," : "") + link;
    }
  }
  ~Boards() {
    servers.clear();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::string folder;
  std::string ports;
  std::vector<std::unique_ptr<BoardServer>> servers;
  int failed = 0;  // boards that did not start (orvane-board says why on its standard error)
};

// The best of `tries` runs of the page algorithm to `count` boards.
Run BestParallelRun(const std::string& image, int count, int tries, int* boardsFailed) {
  Run best;
  for (int i = 0; i < tries; ++i) {
    // Fresh boards each time: a board runs the downloaded program afterwards.
    Boards boards(count, {});
    *boardsFailed = std::max(*boardsFailed, boards.failed);
    if (boards.failed > 0) continue;
    const Run run = RunOrvane({"download", image, "--ports", boards.ports, "--algorithm", "page"});
    if (run.succeeded && (!best.succeeded || run.wall < best.wall)) best = run;
  }
  return best;
}

void ParallelFigures(const std::string& image, long bytes) {
  std::printf("%6s %8s %10s %16s %16s\n", "boards", "wall s", "x 1 board", "CPU us/byte user",
              "system");
  double one = 0;
  double oneCpu = 0;
  double worstCpu = 0;
  double last = 0;
  for (const int count : {1, 2, 4, 8, 16, 32, 64}) {
    int boardsFailed = 0;
    const Run run = BestParallelRun(image, count, 3, &boardsFailed);
    if (!run.succeeded) {
      if (boardsFailed > 0) {
        std::printf("%6d  %d boards did not start (see their messages above)\n", count,
                    boardsFailed);
      } else {
        std::printf("%6d  failed\n", count);
      }
      last = 0;
      continue;
    }
    const double sent = static_cast<double>(bytes) * count;
    const double cpu = (run.user + run.system) * 1e6 / sent;
    if (count == 1) {
      one = run.wall;
      oneCpu = cpu;
    }
    worstCpu = std::max(worstCpu, cpu);
    last = run.wall / one;
    std::printf("%6d %8.3f %10.3f %16.2f %16.2f\n", count, run.wall, run.wall / one,
                run.user * 1e6 / sent, run.system * 1e6 / sent);
  }
  if (last > 0) {
    std::printf("64 boards: %.3f times the time of one   goal: at most 1.15, %s\n", last,
                last <= 1.15 ? "met" : "not met");
  } else {
    std::printf("64 boards: no run   goal: at most 1.15 times the time of one, not met\n");
  }
  if (oneCpu > 0) {
    // One board's figure carries the whole start-up of the tool, so more boards cost less a byte.
    std::printf("CPU per byte: at most %.2f times one board's   goal: not growing (1.00), %s\n",
                worstCpu / oneCpu, worstCpu <= oneCpu * 1.05 ? "met" : "not met");
  }
  orvane::bench::PrintLoad();
}

void LatencyFigures(const std::string& image, long bytes) {
  std::printf("\none board, %ld image bytes, answers held 16 ms (and not held, for comparison):\n",
              bytes);
  std::printf("%-14s %10s %10s\n", "algorithm", "16 ms s", "0 ms s");
  for (const orvane::download::DownloadAlgorithm& item : orvane::download::kDownloadAlgorithms) {
    const char* algorithm = item.toolName;
    double wall[2] = {};
    for (int held = 0; held < 2; ++held) {
      Boards boards(1, held == 0 ? std::vector<std::string>{"--latency-ms", "16"}
                                 : std::vector<std::string>{});
      const Run run =
          RunOrvane({"download", image, "--port", boards.ports, "--algorithm", algorithm});
      wall[held] = run.succeeded ? run.wall : -1;
    }
    std::printf("%-14s %10.2f %10.2f\n", algorithm, wall[0], wall[1]);
  }
}

}  // namespace

int main() {
  const std::string data = std::string(ORVANE_SOURCE_DIR) + "/tests/data/hex/";
  std::printf("page algorithm, 8192 image bytes to each board, best of 3 (%ld cores here):\n",
              sysconf(_SC_NPROCESSORS_ONLN));
  ParallelFigures(data + "objcopy-8192.hex", 8192);
  LatencyFigures(data + "objcopy-3000.hex", 3000);
  return 0;
}
