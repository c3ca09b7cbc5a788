// The command-line tool's image command, run as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "download/sha256.h"
#include "hex_test_helpers.h"
#include "support/command_line.h"

namespace orvane::download {
namespace {

using namespace orvane::test_support;

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// A path as the command interpreter of this platform takes it.
std::string NativePath(const std::filesystem::path& path) {
#ifdef _WIN32
  std::string text = path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  // A build-tree path is a Unix path here; Wine shows the Unix root as drive Z:.
  if (text.starts_with("\\")) text = "Z:" + text;
  return text;
#else
  return path.string();
#endif
}

// Runs the built orvane program with the arguments (no quoting needed: the paths used here have
// no blanks), capturing both outputs and the exit status.
RunResult RunOrvane(const std::string& arguments, const TempFolder& dir) {
#ifdef _WIN32
  const std::string program = NativePath(std::filesystem::path(ORVANE_BINARY_DIR) / "orvane.exe");
#else
  const std::string program = NativePath(std::filesystem::path(ORVANE_BINARY_DIR) / "orvane");
#endif
  const std::string errFile = NativePath(dir.Path() / "stderr.txt");
  const std::string command = program + " " + arguments + " 2>" + errFile;
  const CommandLineRun ran = RunCommandLine(command);
  if (!ran.started) {
    ADD_FAILURE() << "cannot run " << command;
    return {};
  }
  RunResult run{ran.exitCode, ran.out, ""};
  run.err = ReadBytes(dir.Path() / "stderr.txt");
  // The Windows console runtime writes "\r\n"; compare lines, not line ends.
  for (std::string* text : {&run.out, &run.err}) std::erase(*text, '\r');
  return run;
}

class ImageCommandTest : public ::testing::Test {
 protected:
  RunResult Run(const std::string& arguments) { return RunOrvane(arguments, dir); }
  std::string FileWith(const std::string& text) {
    const auto path = dir.Path() / "input.hex";
    WriteBytes(path, text);
    return NativePath(path);
  }

  TempFolder dir;
};

TEST_F(ImageCommandTest, DescribesALoadedImageInThreeLines) {
  const RunResult run = Run("image " + NativePath(HexDataDir() / "srec-gap.hex"));
  const std::string text = ReadBytes(HexDataDir() / "srec-gap.bin");
  const Bytes binary(text.begin(), text.end());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "result: LoadOk\nend: 0x6000\nsha256: " + Sha256Hex(binary) + "\n");
  EXPECT_EQ(run.err, "");

  // The digest covers the bytes up to EndAddress only, not the zeros after them.
  const auto blink = std::filesystem::path(ORVANE_SOURCE_DIR) / "examples" / "blink.hex";
  MemoryImage image;
  HexFile file;
  file.Assign(blink.string());
  ASSERT_TRUE(file.Open());
  ASSERT_EQ(HexLoader(image, file).LoadHexFile(), LoadOk);
  ASSERT_EQ(image.EndAddress, 0x4019u);
  const RunResult sample = Run("image " + NativePath(blink));
  EXPECT_EQ(sample.exitCode, 0) << sample.err;
  EXPECT_EQ(sample.out, "result: LoadOk\nend: 0x4019\nsha256: " +
                            Sha256Hex(std::span(image.bytes.data(), 0x19)) + "\n");

  // An image without bytes: the digest of nothing.
  const RunResult empty = Run("image " + FileWith(kEof));
  EXPECT_EQ(empty.out, "result: LoadOk\nend: 0x0000\nsha256: " + Sha256Hex(Bytes{}) + "\n");
}

TEST_F(ImageCommandTest, AFailedLoadStillDescribesTheImageButFails) {
  const RunResult checksum =
      Run("image " + FileWith(Data(0x4000, {1}) + WithBadChecksum(Data(0x4001, {2})) + kEof));
  EXPECT_EQ(checksum.exitCode, 1);
  EXPECT_TRUE(checksum.out.starts_with("result: ChecksumError\nend: 0x4002\nsha256: "))
      << checksum.out;
  EXPECT_EQ(checksum.err, "Checksum error\n");

  const RunResult range = Run("image " + FileWith(Data(0x5FFE, Sequence(16)) + kEof));
  EXPECT_EQ(range.exitCode, 1);
  EXPECT_TRUE(range.out.starts_with("result: AddressRangeError\nend: 0x600E\n")) << range.out;
  EXPECT_EQ(range.err, "Address range error\n");
}

TEST_F(ImageCommandTest, ReadErrorsAndMissingFilesFailWithTheirText) {
  const RunResult early = Run("image " + FileWith(Data(0x4000, {1})));
  EXPECT_EQ(early.exitCode, 1);
  EXPECT_EQ(early.out, "");
  EXPECT_EQ(early.err, "Read beyond end of file\n");

  const RunResult missing = Run("image " + NativePath(dir.Path() / "missing.hex"));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "File not found\n");
}

TEST_F(ImageCommandTest, WrongUsageExitsWithTwo) {
  EXPECT_EQ(Run("image").exitCode, 2);
  EXPECT_EQ(Run("image a.hex b.hex").exitCode, 2);
}

}  // namespace
}  // namespace orvane::download
