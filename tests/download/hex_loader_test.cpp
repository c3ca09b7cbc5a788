#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "download/hex_loader.h"
#include "hex_test_helpers.h"

namespace orvane::download {
namespace {

using namespace orvane::test_support;

class HexLoaderTest : public ::testing::Test {
 protected:
  LoadResult Load(const std::string& text) { return LoadText(text, image); }
  // Image bytes of board addresses [from, from + count).
  Bytes At(std::uint32_t from, std::size_t count) const {
    const auto begin = image.bytes.begin() + (from - ImageBase);
    return Bytes(begin, begin + count);
  }
  bool AllZero() const {
    return std::all_of(image.bytes.begin(), image.bytes.end(), [](auto b) { return b == 0; });
  }

  MemoryImage image;
};

TEST_F(HexLoaderTest, RecordsWithAGapLoadAndTheGapHoldsZeros) {
  ASSERT_EQ(Load(Data(0x4000, Sequence(16, 0x10)) + Data(0x4020, Sequence(16, 0x80)) + kEof),
            LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4030u);
  EXPECT_EQ(At(0x4000, 16), Sequence(16, 0x10));
  EXPECT_EQ(At(0x4010, 16), Bytes(16, 0x00));
  EXPECT_EQ(At(0x4020, 16), Sequence(16, 0x80));
  EXPECT_EQ(image.ImageBytesUsed(), 0x30u);
}

TEST_F(HexLoaderTest, EndAddressIsTheHighestReachNotTheLastRecords) {
  ASSERT_EQ(Load(Data(0x4100, Sequence(4)) + Data(0x4000, Sequence(8)) + kEof), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4104u);
  EXPECT_EQ(At(0x4100, 4), Sequence(4));
}

TEST_F(HexLoaderTest, LowerAndUpperCaseDigitsLoadTheSameImage) {
  const std::string upper = Data(0x4000, {0xAB, 0xCD, 0xEF, 0x0A}) + Data(0x4ABC, {0xFE}) + kEof;
  std::string lower = upper;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  ASSERT_NE(lower, upper);
  ASSERT_EQ(Load(upper), LoadOk);
  const MemoryImage fromUpper = image;
  ASSERT_EQ(Load(lower), LoadOk);
  EXPECT_EQ(image.bytes, fromUpper.bytes);
  EXPECT_EQ(image.EndAddress, fromUpper.EndAddress);
}

TEST_F(HexLoaderTest, TextOutsideRecordsIsIgnored) {
  const std::string text = "; program for the board\r\n  \t" + Data(0x4000, {1, 2}) +
                           "   trailing words\r\n\r\n" + Data(0x4002, {3}) + "x" + kEof;
  ASSERT_EQ(Load(text), LoadOk);
  EXPECT_EQ(At(0x4000, 3), (Bytes{1, 2, 3}));
  EXPECT_EQ(image.EndAddress, 0x4003u);
}

TEST_F(HexLoaderTest, OnlyAnEndOfFileRecordLoadsAnEmptyImage) {
  image.bytes.fill(0x55);
  image.EndAddress = 0x4444;
  ASSERT_EQ(Load(kEof), LoadOk);
  EXPECT_EQ(image.EndAddress, 0u);
  EXPECT_TRUE(AllZero());
  EXPECT_EQ(image.ImageBytesUsed(), 0u);
}

TEST_F(HexLoaderTest, ANewLoadKeepsNothingOfTheLastOne) {
  ASSERT_EQ(Load(Data(0x5000, Sequence(32)) + kEof), LoadOk);
  ASSERT_EQ(Load(Data(0x4000, {7}) + kEof), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4001u);
  EXPECT_EQ(At(0x4000, 1), Bytes{7});
  EXPECT_EQ(At(0x5000, 32), Bytes(32, 0));
}

TEST_F(HexLoaderTest, TheEndOfFileRecordEndsTheLoad) {
  // Its checksum is never examined, and nothing after it is read: neither records (good or bad,
  // they do not move EndAddress either) nor junk, nor a missing line end.
  const std::string badEof = ":00000001FE\n";
  const std::string after =
      Data(0x5000, {9}) + Data(0x1000, {9}) + WithBadChecksum(Data(0x4000, {9})) + ":zz";
  ASSERT_EQ(Load(Data(0x4000, {1, 2}) + badEof + after), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4002u);
  EXPECT_EQ(At(0x4000, 2), (Bytes{1, 2}));
  EXPECT_EQ(At(0x5000, 1), Bytes{0});
  EXPECT_EQ(Load(Data(0x4000, {1}) + ":00000001"), LoadOk);
}

TEST_F(HexLoaderTest, TheEndOfFileRecordsOwnAddressCountsTowardsTheEnd) {
  ASSERT_EQ(Load(Data(0x4000, {1}) + Record(0x01, 0x4100)), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4100u);
}

TEST_F(HexLoaderTest, RecordsMustStartInsideTheWindowUpTo5FFE) {
  EXPECT_EQ(Load(Data(0x5FFE, {0xEE}) + kEof), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x5FFFu);
  EXPECT_EQ(image.bytes[ImageSize - 2], 0xEE);

  for (const std::uint16_t address : {0x5FFF, 0x3FFF, 0x0000, 0x6000, 0xFFFF}) {
    EXPECT_EQ(Load(Data(address, {1}) + kEof), AddressRangeError) << std::hex << address;
  }
  EXPECT_EQ(Load(Data(0x4000, {1}) + Data(0x3FF0, Sequence(16)) + kEof), AddressRangeError);
}

TEST_F(HexLoaderTest, ARecordRunningPastTheWindowIsRefusedBeforeAnythingIsStored) {
  EXPECT_EQ(Load(Data(0x5FF0, Sequence(16)) + kEof), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x6000u);
  EXPECT_EQ(image.ImageBytesUsed(), ImageSize);

  EXPECT_EQ(Load(Data(0x5FF0, Sequence(17)) + kEof), AddressRangeError);
  EXPECT_TRUE(AllZero());
  EXPECT_EQ(Load(Data(0x5FFE, Sequence(16)) + kEof), AddressRangeError);
  EXPECT_TRUE(AllZero());
  EXPECT_EQ(image.EndAddress, 0x600Eu);
  EXPECT_EQ(image.ImageBytesUsed(), ImageSize);  // never beyond what the image holds
  EXPECT_EQ(Load(Data(0x5F02, Sequence(255)) + kEof), AddressRangeError);  // one too far
  EXPECT_EQ(Load(Data(0x5F01, Sequence(255)) + kEof), LoadOk);
}

TEST_F(HexLoaderTest, ABadChecksumStopsTheLoadEvenAfterGoodRecords) {
  for (const int delta : {1, -1, 0x80}) {
    EXPECT_EQ(Load(Data(0x4000, {1}) + Data(0x4001, {2}) +
                   WithBadChecksum(Data(0x4002, {3, 4}), delta) + kEof),
              ChecksumError)
        << delta;
  }
  // The bad record's bytes are in the image already; what follows it is never reached.
  EXPECT_EQ(At(0x4000, 4), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Load(WithBadChecksum(Data(0x4000, {1})) + Data(0x1000, {1}) + kEof), ChecksumError);
  EXPECT_EQ(Load(Data(0x4000, {}) + WithBadChecksum(Data(0x4000, {})) + kEof), ChecksumError);
}

TEST_F(HexLoaderTest, RecordTypesWithoutAMeaningHereAreData) {
  ASSERT_EQ(Load(Record(0x06, 0x4000, {0xAA}) + Record(0xFF, 0x4001, {0xBB}) + kEof), LoadOk);
  EXPECT_EQ(At(0x4000, 2), (Bytes{0xAA, 0xBB}));
  EXPECT_EQ(Load(Record(0x06, 0x1000, {0xAA}) + kEof), AddressRangeError);
}

TEST_F(HexLoaderTest, AddressRecordsOfCommonToolsShiftTheRecordsAfterThem) {
  // As objcopy and srec_cat begin every file: linear base 0.
  ASSERT_EQ(Load(Record(0x04, 0, {0x00, 0x00}) + Data(0x4000, {1, 2}) + kEof), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4002u);

  // Segment base 0x400 * 16 = 0x4000; the address record's own field (0x7777) is no address.
  ASSERT_EQ(Load(Record(0x02, 0x7777, {0x04, 0x00}) + Data(0x0010, {5, 6}) + kEof), LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4012u);
  EXPECT_EQ(At(0x4010, 2), (Bytes{5, 6}));

  // A later address record replaces the base.
  ASSERT_EQ(Load(Record(0x02, 0, {0x04, 0x00}) + Data(0x0000, {1}) + Record(0x04, 0, {0, 0}) +
                 Data(0x5000, {2}) + kEof),
            LoadOk);
  EXPECT_EQ(At(0x4000, 1), Bytes{1});
  EXPECT_EQ(At(0x5000, 1), Bytes{2});
  EXPECT_EQ(image.EndAddress, 0x5001u);
}

TEST_F(HexLoaderTest, AddressesAboveSixtyFourKilobytesAreOutsideTheWindow) {
  EXPECT_EQ(Load(Record(0x04, 0, {0x00, 0x01}) + Data(0x4000, {1}) + kEof), AddressRangeError);
  EXPECT_EQ(image.EndAddress, 0x14001u);  // not wrapped round into the window
  EXPECT_EQ(Load(Record(0x04, 0, {0xFF, 0xFF}) + Data(0xFFFF, Sequence(255)) + kEof),
            AddressRangeError);
  EXPECT_EQ(image.EndAddress, 0xFFFFFFFFu);
  EXPECT_EQ(Load(Record(0x02, 0, {0x10, 0x00}) + Data(0x4000, {1}) + kEof), AddressRangeError);
}

TEST_F(HexLoaderTest, AddressAndStartRecordsAreCheckedButStoreNothing) {
  ASSERT_EQ(Load(Data(0x4000, {1}) + Record(0x03, 0, {0x00, 0x00, 0x40, 0x00}) +
                 Record(0x05, 0x5555, {0x00, 0x00, 0x40, 0x00}) + kEof),
            LoadOk);
  EXPECT_EQ(image.EndAddress, 0x4001u);
  EXPECT_EQ(static_cast<std::size_t>(std::count(image.bytes.begin(), image.bytes.end(), 0)),
            ImageSize - 1);

  for (const std::uint8_t type : {0x02, 0x03, 0x04, 0x05}) {
    EXPECT_EQ(Load(Data(0x4000, {1}) + WithBadChecksum(Record(type, 0, {0, 0})) + kEof),
              ChecksumError)
        << int{type};
  }
}

TEST_F(HexLoaderTest, AnAddressRecordOfTheWrongLengthIsAnError) {
  for (const Bytes& value : {Bytes{}, Bytes{0x00}, Bytes{0x00, 0x00, 0x00}}) {
    try {
      Load(Data(0x4000, {1}) + Record(0x04, 0, value) + kEof);
      ADD_FAILURE() << value.size() << " bytes accepted";
    } catch (const HexFileError& e) {
      EXPECT_NE(std::string(e.what()).find("Extended address record"), std::string::npos);
    }
  }
}

TEST_F(HexLoaderTest, AFileThatEndsEarlyIsAReadError) {
  const std::string good = Data(0x4000, {1, 2, 3});
  for (const std::string& text :
       {std::string(), std::string("no records at all\n"), good, good.substr(0, 5),
        good.substr(0, 9), good + ":", good + ":0000000"}) {
    try {
      Load(text);
      ADD_FAILURE() << "loaded: " << text;
    } catch (const HexFileError& e) {
      EXPECT_STREQ(e.what(), "Read beyond end of file") << text;
    }
  }
}

TEST_F(HexLoaderTest, ANonHexCharacterInARecordStopsTheLoadWithItsPlace) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {Data(0x4000, {1}) + ":01400G0001BE\n" + kEof, "'G' where a hexadecimal digit"},
      {":01 400000FF\n" + kEof, "0x20"},
      {"\n\n" + Data(0x4000, {1}) + ":014000\r\n" + kEof, "0x0D"},
      {Data(0x4000, {1}) + Data(0x4001, {2}) + ":014002005X00\n" + kEof, "(line 3)"},
  };
  for (const Case& c : cases) {
    try {
      Load(c.text);
      ADD_FAILURE() << "loaded: " << c.text;
    } catch (const HexFileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos)
          << e.what() << " lacks " << c.expected;
    }
  }
}

TEST_F(HexLoaderTest, TheFileIsClosedHoweverTheLoadEnds) {
  for (const std::string& text :
       {Data(0x4000, {1}) + kEof, Data(0x1000, {1}) + kEof,
        WithBadChecksum(Data(0x4000, {1})) + kEof, Data(0x4000, {1}), std::string(":0x")}) {
    HexFile file;
    file.AssignText(text);
    ASSERT_TRUE(file.Open());
    HexLoader loader(image, file);
    try {
      loader.LoadHexFile();
    } catch (const HexFileError&) {
    }
    EXPECT_FALSE(file.IsOpen()) << text;
    // Closed means closed: a load without opening again reads nothing.
    EXPECT_THROW(loader.LoadHexFile(), HexFileError);
  }
}

TEST(HexWriter, WritesRecordsAsTheCommonToolsDo) {
  EXPECT_EQ(FormatHexRecord(0x04, 0, Bytes{0, 0}), ":020000040000FA");
  EXPECT_EQ(FormatHexRecord(0x03, 0, Bytes{0x00, 0x00, 0x40, 0x00}), ":0400000300004000B9");
  EXPECT_EQ(FormatHexRecord(0x01, 0, {}), ":00000001FF");
  EXPECT_EQ(FormatHexFile(Bytes{0x62, 0x9D, 0xC3}, 0x4020, 2),
            ":02402000629D9F\r\n:01402200C3DA\r\n:00000001FF\r\n");
}

}  // namespace
}  // namespace orvane::download
