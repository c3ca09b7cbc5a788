// Files no HEX loader should trust, made at run time in a temporary folder: very large, one very
// long line, NUL bytes, a file that keeps growing while it is read. Each ends in a result or a
// clear error, in time linear in the size read.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "hex_test_helpers.h"
#include "support/temp_folder.h"

namespace orvane::download {
namespace {

using namespace orvane::test_support;

// Loads a file from disk: the result code, or -1 with the error text.
struct FileLoad {
  int result = -1;
  std::string error;
};

FileLoad LoadPath(const std::filesystem::path& path, MemoryImage& image) {
  HexFile file;
  file.Assign(path.string());
  if (!file.Open()) return {-2, "not opened"};
  HexLoader loader(image, file);
  try {
    return {static_cast<int>(loader.LoadHexFile()), ""};
  } catch (const HexFileError& error) {
    return {-1, error.what()};
  }
}

void WriteRepeated(std::ofstream& out, const std::string& text, std::size_t times) {
  std::string block;
  for (std::size_t i = 0; i < 4096 && i < times; ++i) block += text;
  for (std::size_t left = times; left > 0;) {
    const std::size_t n = std::min<std::size_t>(left, 4096);
    out.write(block.data(), static_cast<std::streamsize>(n * text.size()));
    left -= n;
  }
}

TEST(HostileFiles, LargeFilesLongLinesAndNulBytesEndInAResultOrAClearError) {
  test_support::TempFolder dir;
  const std::string record = Data(0x4000, {0x12, 0x34});
  struct Case {
    const char* name;
    std::function<void(std::ofstream&)> write;
    int result;
    const char* error;
  };
  const std::vector<Case> cases = {
      // 2 MB of records rewriting the same two bytes, then the end.
      {"many records",
       [&](std::ofstream& out) {
         WriteRepeated(out, record, (2u << 20) / record.size());
         out << kEof;
       },
       LoadOk, ""},
      // One line of 10 MB: text before the first record is skipped.
      {"a 10 MB line before the records",
       [&](std::ofstream& out) {
         WriteRepeated(out, "Z", 10u << 20);
         out << "\n" << record << kEof;
       },
       LoadOk, ""},
      // A record whose data runs on for 2 MB: its count says two bytes, the rest is skipped.
      {"a 2 MB record line",
       [&](std::ofstream& out) {
         out << record.substr(0, record.size() - 1);
         WriteRepeated(out, "A", 10u << 20);
         out << "\n" << kEof;
       },
       LoadOk, ""},
      {"NUL bytes only",
       [&](std::ofstream& out) { WriteRepeated(out, std::string(1, '\0'), 1u << 20); }, -1,
       kReadBeyondEndText},
      {"NUL bytes between records",
       [&](std::ofstream& out) {
         out << record;
         WriteRepeated(out, std::string(1, '\0'), 1u << 20);
         out << kEof;
       },
       LoadOk, ""},
      {"NUL inside a record",
       [&](std::ofstream& out) { out << ":02400000" << '\0' << "234\n"
                                     << kEof; }, -1,
       "Invalid character 0x00 where a hexadecimal digit was expected (line 1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = dir.Path() / "hostile.hex";
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      c.write(out);
    }
    auto image = std::make_unique<MemoryImage>();
    const FileLoad load = LoadPath(path, *image);
    EXPECT_EQ(load.result, c.result) << load.error;
    EXPECT_EQ(load.error, c.error);
    if (c.result == LoadOk) {
      EXPECT_EQ(image->EndAddress, 0x4002u);
      EXPECT_EQ(image->bytes[0], 0x12);
    }
  }
}

// Another program keeps appending records and never writes the end: the loader reads the file
// as it was when opened and stops there, however fast the file grows.
TEST(HostileFiles, AFileThatGrowsWhileItIsReadEndsWhereItWasWhenOpened) {
  test_support::TempFolder dir;
  const auto path = dir.Path() / "growing.hex";
  const std::string record = Data(0x4000, {0x01});
  {
    std::ofstream out(path, std::ios::binary);
    WriteRepeated(out, record, 20000);
  }
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    while (!stop) {
      WriteRepeated(out, record, 1000);
      out.flush();
    }
  });
  auto image = std::make_unique<MemoryImage>();
  const FileLoad load = LoadPath(path, *image);
  stop = true;
  writer.join();
  EXPECT_EQ(load.result, -1);
  EXPECT_EQ(load.error, kReadBeyondEndText);
}

}  // namespace
}  // namespace orvane::download
