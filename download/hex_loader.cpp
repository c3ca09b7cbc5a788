#include "download/hex_loader.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

namespace orvane::download {
namespace {

bool IsAddressBaseRecord(std::uint8_t type) {
  return type == kExtendedSegmentAddressRecord || type == kExtendedLinearAddressRecord;
}

bool IsStartAddressRecord(std::uint8_t type) {
  return type == kStartSegmentAddressRecord || type == kStartLinearAddressRecord;
}

std::string Describe(char c) {
  char text[16];
  const auto u = static_cast<unsigned char>(c);
  if (u > 0x20 && u < 0x7F) {
    std::snprintf(text, sizeof text, "'%c'", c);
  } else {
    std::snprintf(text, sizeof text, "0x%02X", u);
  }
  return text;
}

// Closes the file however the load ends, so that a failed load leaves no file held open.
class CloseOnExit {
 public:
  explicit CloseOnExit(HexFile& file) : file_(file) {}
  CloseOnExit(const CloseOnExit&) = delete;
  CloseOnExit& operator=(const CloseOnExit&) = delete;
  ~CloseOnExit() { file_.Close(); }

 private:
  HexFile& file_;
};

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int HexLoader::ReadHexDigit() {
  const char c = file_.ReadChar();
  const int value = HexDigitValue(c);
  if (value < 0) {
    // Guessing a value would load a corrupted program without a word; better to stop.
    throw HexFileError("Invalid character " + Describe(c) +
                       " where a hexadecimal digit was expected (line " +
                       std::to_string(file_.Line()) + ")");
  }
  return value;
}

std::uint8_t HexLoader::ReadHexByte() {
  const int high = ReadHexDigit();
  const int low = ReadHexDigit();
  const int value = high * 16 + low;
  recordSum_ += value;
  return static_cast<std::uint8_t>(value);
}

std::uint16_t HexLoader::ReadHexWord() {
  const unsigned high = ReadHexByte();
  const unsigned low = ReadHexByte();
  return static_cast<std::uint16_t>(high << 8 | low);
}

void HexLoader::FindRecordStart() {
  while (file_.ReadChar() != ':') {
  }
  // A fresh sum for every record, in both passes: a long file can never overflow it.
  recordSum_ = 0;
}

std::uint32_t HexLoader::ReadAddressBase(std::uint8_t type, std::uint8_t count) {
  if (count != 2) {
    throw HexFileError("Extended address record with " + std::to_string(count) +
                       " data bytes instead of 2 (line " + std::to_string(file_.Line()) + ")");
  }
  const std::uint32_t value = ReadHexWord();
  return type == kExtendedSegmentAddressRecord ? value << 4 : value << 16;
}

bool HexLoader::ReadChecksumOk() {
  ReadHexByte();
  return recordSum_ % 256 == 0;
}

HexLoader::RecordHeader HexLoader::ReadRecordHeader() {
  FindRecordStart();
  RecordHeader header{};
  header.count = ReadHexByte();
  header.address = ReadHexWord();
  header.type = ReadHexByte();
  return header;
}

// First pass: EndAddress is one past the highest address reached by the data records and the
// end-of-file record. Address records set the base for the records after them and take no part
// themselves; start-address records are ignored. Nothing after the first end-of-file record.
void HexLoader::FindEndAddress() {
  file_.Rewind();
  image_.EndAddress = 0;
  std::uint32_t base = 0;
  for (;;) {
    const auto [count, address, type] = ReadRecordHeader();
    if (IsAddressBaseRecord(type)) {
      base = ReadAddressBase(type, count);
      continue;
    }
    if (IsStartAddressRecord(type)) continue;
    const std::uint64_t end = std::uint64_t{base} + address + count;
    const auto clamped = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(end, std::numeric_limits<std::uint32_t>::max()));
    image_.EndAddress = std::max(image_.EndAddress, clamped);
    if (type == kEndOfFileRecord) return;
  }
}

// Second pass: stores the data records into the cleared image and checks every record up to the
// end-of-file record, whose checksum is not read. Stops at the first bad record.
LoadResult HexLoader::StoreRecords() {
  file_.Rewind();
  std::uint32_t base = 0;
  for (;;) {
    const auto [count, address, type] = ReadRecordHeader();
    if (type == kEndOfFileRecord) return LoadOk;

    if (IsAddressBaseRecord(type)) {
      const std::uint32_t newBase = ReadAddressBase(type, count);
      if (!ReadChecksumOk()) return ChecksumError;
      base = newBase;
      continue;
    }
    if (IsStartAddressRecord(type)) {
      for (unsigned i = 0; i < count; ++i) ReadHexByte();
      if (!ReadChecksumOk()) return ChecksumError;
      continue;
    }

    // Tested before a single byte is stored: the record must lie wholly inside the image.
    const std::uint64_t start = std::uint64_t{base} + address;
    if (start < ImageBase || start > kHighestRecordStart || start + count > ImageLimit) {
      return AddressRangeError;
    }
    const std::size_t index = static_cast<std::size_t>(start - ImageBase);
    for (std::size_t i = 0; i < count; ++i) image_.bytes[index + i] = ReadHexByte();
    if (!ReadChecksumOk()) return ChecksumError;
  }
}

LoadResult HexLoader::LoadHexFile() {
  CloseOnExit closer(file_);
  FindEndAddress();
  image_.bytes.fill(0x00);
  return StoreRecords();
}

}  // namespace orvane::download
