#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "download/hex_file.h"
#include "hex_test_helpers.h"

namespace orvane::download {
namespace {

using namespace orvane::test_support;

TEST(HexFile, WhatCannotBeOpenedIsReportedNotThrown) {
  TempFolder dir;
  HexFile file;
  EXPECT_FALSE(file.Open());  // bound to nothing
  file.Assign((dir.Path() / "missing.hex").string());
  EXPECT_FALSE(file.Open());
  file.Assign(dir.Path().string());  // a folder
  EXPECT_FALSE(file.Open());
  EXPECT_FALSE(file.IsOpen());
  try {
    file.ReadChar();
    ADD_FAILURE() << "read from a file that is not open";
  } catch (const HexFileError& e) {
    EXPECT_STREQ(e.what(), "File not open");
  }
}

TEST(HexFile, ReadsEveryCharacterAsItIsAndRewinds) {
  TempFolder dir;
  const auto path = dir.Path() / "a.hex";
  WriteBytes(path,
             ":0\r\n\x1A"
             "x");
  HexFile file;
  file.Assign(path.string());
  ASSERT_TRUE(file.Open());
  for (int round = 0; round < 2; ++round) {
    std::string read;
    for (int i = 0; i < 6; ++i) read += file.ReadChar();
    EXPECT_EQ(read,
              ":0\r\n\x1A"
              "x");
    EXPECT_EQ(file.Line(), 2);
    for (int i = 0; i < 2; ++i) {
      try {
        file.ReadChar();
        ADD_FAILURE() << "read past the end";
      } catch (const HexFileError& e) {
        EXPECT_STREQ(e.what(), kReadBeyondEndText);
      }
    }
    file.Rewind();
    EXPECT_EQ(file.ReadChar(), ':');
    EXPECT_EQ(file.Line(), 1);
    file.Rewind();
  }
  file.Close();
  EXPECT_FALSE(file.IsOpen());
}

TEST(HexFile, AReadOnlyFileOpensAndLoads) {
  TempFolder dir;
  const auto path = dir.Path() / "read-only.hex";
  WriteBytes(path, Data(0x4000, {0x12, 0x34}) + kEof);
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  HexFile file;
  file.Assign(path.string());
  ASSERT_TRUE(file.Open());
  MemoryImage image;
  HexLoader loader(image, file);
  EXPECT_EQ(loader.LoadHexFile(), LoadOk);
  EXPECT_EQ(image.bytes[1], 0x34);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace orvane::download
