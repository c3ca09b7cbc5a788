// HEX files written by objcopy and srec_cat (see scripts/make-test-hex) load to exactly the
// binaries they were made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "hex_test_helpers.h"

namespace orvane::download {
namespace {

using namespace orvane::test_support;

TEST(ToolMadeFiles, EachLoadsToExactlyItsBinary) {
  std::ifstream manifest(HexDataDir() / "manifest.txt");
  ASSERT_TRUE(manifest) << HexDataDir();
  int checked = 0;
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string hexName, binaryName;
    fields >> hexName >> binaryName;
    SCOPED_TRACE(hexName);
    const std::string bytes = ReadBytes(HexDataDir() / binaryName);
    const Bytes binary(bytes.begin(), bytes.end());
    ASSERT_FALSE(binary.empty());
    ASSERT_LE(binary.size(), ImageSize);

    HexFile file;
    file.Assign((HexDataDir() / hexName).string());
    ASSERT_TRUE(file.Open());
    auto image = std::make_unique<MemoryImage>();
    image->bytes.fill(0xEE);  // what an earlier load might have left
    HexLoader loader(*image, file);
    ASSERT_EQ(loader.LoadHexFile(), LoadOk);
    EXPECT_EQ(image->EndAddress, ImageBase + binary.size());
    EXPECT_TRUE(std::equal(binary.begin(), binary.end(), image->bytes.begin()));
    EXPECT_TRUE(std::all_of(image->bytes.begin() + binary.size(), image->bytes.end(),
                            [](auto b) { return b == 0; }));
    EXPECT_FALSE(file.IsOpen());
    ++checked;
  }
  EXPECT_GE(checked, 17);
}

}  // namespace
}  // namespace orvane::download
