// The Intel HEX loader: reads an open HexFile into a MemoryImage in two passes, the first finding
// where the program ends, the second clearing the image, storing every record and checking it.
#pragma once

#include <cstdint>

#include "download/hex_file.h"
#include "download/load_result.h"
#include "download/memory_image.h"

namespace orvane::download {

// Record types the loader tells apart; every other type is data.
inline constexpr std::uint8_t kEndOfFileRecord = 0x01;
inline constexpr std::uint8_t kExtendedSegmentAddressRecord = 0x02;  // base = value * 16
inline constexpr std::uint8_t kStartSegmentAddressRecord = 0x03;
inline constexpr std::uint8_t kExtendedLinearAddressRecord = 0x04;  // base = value * 65536
inline constexpr std::uint8_t kStartLinearAddressRecord = 0x05;

// The highest address at which a data record may start.
inline constexpr std::uint32_t kHighestRecordStart = 0x5FFE;

// The value of a hexadecimal digit, '0'-'9', 'A'-'F' or 'a'-'f': 0 to 15; -1 for any other
// character.
int HexDigitValue(char c);

class HexLoader {
 public:
  HexLoader(MemoryImage& image, HexFile& file) : image_(image), file_(file) {}

  // Loads the open file into the image and closes the file, also when reading fails. The result
  // is AddressRangeError for a data record with an address outside the image, ChecksumError
  // for a record whose bytes do not sum to 0 modulo 256, else LoadOk once the end-of-file record
  // is reached (its checksum is not examined, nothing after it is read). Throws HexFileError when
  // the file ends before that record or inside a record, when a record holds a character that is
  // no hexadecimal digit, and for read errors; the image is then unfit for a transfer.
  LoadResult LoadHexFile();

  // The next two characters as a byte, high digit first; the byte is added to RecordSum.
  std::uint8_t ReadHexByte();
  // Two bytes, high byte first.
  std::uint16_t ReadHexWord();
  // The sum of the bytes read from the current record so far.
  std::int32_t RecordSum() const { return recordSum_; }

 private:
  // The fields before a record's data.
  struct RecordHeader {
    std::uint8_t count;
    std::uint16_t address;
    std::uint8_t type;
  };

  void FindRecordStart();
  // Finds the next record and reads its header.
  RecordHeader ReadRecordHeader();
  int ReadHexDigit();
  std::uint32_t ReadAddressBase(std::uint8_t type, std::uint8_t count);
  bool ReadChecksumOk();
  void FindEndAddress();
  LoadResult StoreRecords();

  MemoryImage& image_;
  HexFile& file_;
  std::int32_t recordSum_ = 0;
};

}  // namespace orvane::download
