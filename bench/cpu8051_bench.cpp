// The CPU core's speed: runs an sdcc-compiled program (bench/programs/cpubench.c) on the board
// model several times and prints machine cycles per second, the ratio to the real board
// (921 600 machine cycles a second) and, when ucsim's s51 is installed, its wall time on the
// same program for comparison.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "sim/board_model.h"
#include "sim/program_runner.h"

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;

const std::string kProgram = std::string(ORVANE_SOURCE_DIR) + "/bench/programs/cpubench.ihx";

bool Load(download::MemoryImage& image) {
  download::HexFile file;
  file.Assign(kProgram);
  if (!file.Open()) return false;
  download::HexLoader loader(image, file);
  return loader.LoadHexFile() == download::LoadOk;
}

// The monitor ROM's jumps for s51, which starts at address 0.
std::string WriteRomFile() {
  const auto path = std::filesystem::temp_directory_path() / "cpu8051-bench-rom.ihx";
  std::ofstream out(path);
  for (int vector : {0x00, 0x03, 0x0B, 0x13, 0x1B, 0x23, 0x2B}) {
    const int target = sim::kProgramStart + vector;
    const int bytes[] = {3, 0, vector, 0, 0x02, target >> 8, target & 0xFF};
    int sum = 0;
    out << ':';
    for (int b : bytes) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", b);
      out << hex;
      sum += b;
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", -sum & 0xFF);
    out << check << '\n';
  }
  out << ":00000001FF\n";
  return path.string();
}

void CompareWithS51(double coreSeconds) {
  if (std::system("command -v s51 >/dev/null 2>&1") != 0) {
    std::printf("s51 not installed: no comparison\n");
    return;
  }
  const std::string command =
      "echo quit | s51 -t 8052 -X 11.0592M -S out=/dev/null "
      "-e 'break xram w 0xffff' -e run " +
      WriteRomFile() + " " + kProgram + " >/dev/null 2>&1";
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("s51, same program:   %8.3f s wall (exit %d); the core is %.1f times as fast\n",
              seconds, status, seconds / coreSeconds);
}

}  // namespace

int main() {
  download::MemoryImage image;
  if (!Load(image)) {
    std::fprintf(stderr, "cannot load %s\n", kProgram.c_str());
    return 1;
  }
  constexpr int kRuns = 10;
  std::uint64_t cycles = 0;
  std::string output;
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    sim::BoardModel board;
    board.LoadProgram(image.bytes);
    output.clear();
    const auto start = Clock::now();
    sim::RunProgram(board, sim::RunLimits{},
                    [&](std::uint8_t byte, std::uint64_t) { output += static_cast<char>(byte); });
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    cycles = board.Cpu().Cycles();
  }
  const double rate = static_cast<double>(cycles) / best;
  std::printf("program output:      %s", output.c_str());
  std::printf("machine cycles:      %llu (%.2f s on the board)\n",
              static_cast<unsigned long long>(cycles),
              static_cast<double>(cycles) / sim::kMachineCyclesPerSecond);
  std::printf("core, best of %d:    %8.3f s wall, %.1f M machine cycles/s, %.0f times the board\n",
              kRuns, best, rate / 1e6, rate / sim::kMachineCyclesPerSecond);
  CompareWithS51(best);
  return 0;
}
