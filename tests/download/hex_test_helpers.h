// Helpers of the loader tests: HEX text built record by record, and loading text or a file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "download/hex_writer.h"
#include "support/temp_folder.h"

namespace orvane::test_support {

using Bytes = std::vector<std::uint8_t>;

// One well-formed record and its line end.
inline std::string Record(std::uint8_t type, std::uint16_t address, const Bytes& data = {}) {
  return download::FormatHexRecord(type, address, data) + "\n";
}
inline std::string Data(std::uint16_t address, const Bytes& data) {
  return Record(0x00, address, data);
}
inline const std::string kEof = ":00000001FF\n";

// A record whose checksum byte is off by delta.
inline std::string WithBadChecksum(std::string record, int delta = 1) {
  const std::size_t end = record.find_last_not_of("\r\n") + 1;
  const int checksum = std::stoi(record.substr(end - 2, 2), nullptr, 16);
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", (checksum + delta) & 0xFF);
  record.replace(end - 2, 2, digits);
  return record;
}

inline Bytes Sequence(std::size_t count, std::uint8_t first = 1) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

inline download::LoadResult LoadText(const std::string& text, download::MemoryImage& image) {
  download::HexFile file;
  file.AssignText(text);
  EXPECT_TRUE(file.Open());
  download::HexLoader loader(image, file);
  return loader.LoadHexFile();
}

inline std::filesystem::path HexDataDir() {
  return std::filesystem::path(ORVANE_SOURCE_DIR) / "tests" / "data" / "hex";
}

}  // namespace orvane::test_support
