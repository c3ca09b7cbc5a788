// The HEX loader on large files made here in a temporary folder: 10, 30 and 100 MB of records,
// and 10 and 100 MB of one line before the records. Prints MB/s for each (the same rate at every
// size means time linear in the size) and the peak resident memory after each, which must not
// grow with the file.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "download/hex_file.h"
#include "download/hex_loader.h"

namespace {

using namespace orvane::download;
namespace fs = std::filesystem;

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// `size` bytes of `unit` repeated (the last copy cut), then the end-of-file record.
void MakeFile(const fs::path& path, const std::string& unit, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string block;
  while (block.size() < (1u << 20)) block += unit;
  block.resize((1u << 20) / unit.size() * unit.size());
  std::size_t written = 0;
  while (written + block.size() <= size) {
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    written += block.size();
  }
  out << ":0140000001BE\n:00000001FF\n";
}

void Measure(const char* what, const fs::path& path) {
  const double megabytes = static_cast<double>(fs::file_size(path)) / (1 << 20);
  HexFile file;
  file.Assign(path.string());
  auto image = std::make_unique<MemoryImage>();
  HexLoader loader(*image, file);
  const auto start = std::chrono::steady_clock::now();
  const bool opened = file.Open();
  const LoadResult result = opened ? loader.LoadHexFile() : LoadOk;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-22s %7.1f MB %8.2f s %8.1f MB/s  %s, peak resident %ld KB\n", what, megabytes,
              seconds, megabytes / seconds,
              !opened            ? "not opened"
              : result == LoadOk ? "loaded"
                                 : "load error",
              PeakResidentKb());
}

}  // namespace

int main() {
  char pattern[] = "/tmp/orvane-large-hex-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path folder = pattern;
  const fs::path path = folder / "large.hex";
  for (const std::size_t mb : {10u, 30u, 100u}) {
    MakeFile(path, ":02400000123478\r\n", mb << 20);
    Measure(("records, " + std::to_string(mb) + " MB").c_str(), path);
  }
  for (const std::size_t mb : {10u, 100u}) {
    MakeFile(path, "Z", mb << 20);
    Measure(("one line, " + std::to_string(mb) + " MB").c_str(), path);
  }
  fs::remove_all(folder);
  return 0;
}
