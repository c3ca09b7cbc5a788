// Time per load of a full 8 KB program, from memory and from a file on disk. Prints the times;
// judging them is left to the reader.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "download/hex_writer.h"

namespace {

using namespace orvane::download;
using Clock = std::chrono::steady_clock;

// Loads the bound file `rounds` times and returns the mean time per load in microseconds.
double MicrosecondsPerLoad(HexFile& file, MemoryImage& image, int rounds) {
  HexLoader loader(image, file);
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    if (!file.Open() || loader.LoadHexFile() != LoadOk) {
      std::fprintf(stderr, "the generated image did not load\n");
      std::exit(1);
    }
  }
  const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
  return elapsed.count() / rounds;
}

}  // namespace

int main() {
  std::vector<std::uint8_t> program(ImageSize);
  std::mt19937 random(1);
  for (auto& byte : program) byte = static_cast<std::uint8_t>(random());
  auto image = std::make_unique<MemoryImage>();

  const auto path = std::filesystem::temp_directory_path() / "orvane-bench-full.hex";
  for (const std::size_t recordLength : {16, 32, 255}) {
    const std::string text = FormatHexFile(program, ImageBase, recordLength);
    HexFile file;
    file.AssignText(text);
    const double inMemory = MicrosecondsPerLoad(file, *image, 500);
    {
      std::ofstream out(path, std::ios::binary);
      out << text;
    }
    file.Assign(path.string());
    const double fromDisk = MicrosecondsPerLoad(file, *image, 500);
    std::printf(
        "8 KB image, %3zu-byte records, %5zu characters: %8.1f us per load from memory, "
        "%8.1f us from a file\n",
        recordLength, text.size(), inMemory, fromDisk);
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return 0;
}
