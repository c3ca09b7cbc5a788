// Random, cut and mutated input never makes the loader write outside the image or fail in any
// other way than its result codes and HexFileError.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "hex_test_helpers.h"

namespace orvane::download {
namespace {

using namespace orvane::test_support;

// The image between two guard areas: a stray write just outside it shows up even without
// AddressSanitizer (the Windows build).
struct GuardedImage {
  static constexpr std::uint8_t kGuard = 0xA5;
  std::array<std::uint8_t, 512> before;
  MemoryImage image;
  std::array<std::uint8_t, 512> after;

  GuardedImage() {
    before.fill(kGuard);
    after.fill(kGuard);
  }
  bool GuardsIntact() const {
    auto intact = [](const auto& area) {
      return std::all_of(area.begin(), area.end(), [](auto b) { return b == kGuard; });
    };
    return intact(before) && intact(after);
  }
};

class Fuzzer {
 public:
  explicit Fuzzer(unsigned seed) : random_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  // Text of characters that matter to the loader, mostly digits and record marks.
  std::string Noise() {
    static const std::string kAlphabet = "::0123456789ABCDEFabcdef0000FF\r\n G";
    std::string text(Below(120), ' ');
    for (char& c : text) c = kAlphabet[Below(static_cast<int>(kAlphabet.size()))];
    return text;
  }

  // A plausible file: records of every kind at addresses in and around the window.
  std::string PlausibleFile() {
    static const std::uint16_t kAddresses[] = {0x0000, 0x3FFF, 0x4000, 0x4FF0,
                                               0x5FF0, 0x5FFE, 0x5FFF, 0xFFFF};
    std::string text;
    const int records = Below(8);
    for (int i = 0; i < records; ++i) {
      const int kind = Below(10);
      if (kind == 0) {
        text += Record(Below(2) ? 0x02 : 0x04, 0, {0x00, static_cast<std::uint8_t>(Below(2))});
      } else if (kind == 1) {
        text += Record(0x03 + 2 * Below(2), 0, {0, 0, 0x40, 0});
      } else {
        const std::uint16_t address =
            Below(2) ? kAddresses[Below(8)] : static_cast<std::uint16_t>(0x4000 + Below(0x2000));
        Bytes data(Below(2) ? Below(40) : Below(256));
        for (auto& b : data) b = static_cast<std::uint8_t>(Below(256));
        text += Record(static_cast<std::uint8_t>(Below(4) ? 0 : Below(256)), address, data);
      }
    }
    if (Below(4)) text += kEof;
    return text;
  }

  std::string Mutate(std::string text) {
    const int changes = 1 + Below(4);
    for (int i = 0; i < changes && !text.empty(); ++i) {
      const auto at = static_cast<std::size_t>(Below(static_cast<int>(text.size())));
      switch (Below(4)) {
        case 0:
          text[at] = "0F:\nzf"[Below(6)];
          break;
        case 1:
          text.erase(at, 1 + Below(3));
          break;
        case 2:
          text.insert(at, 1, "0:9"[Below(3)]);
          break;
        default:
          text.resize(at);  // cut short
      }
    }
    return text;
  }

 private:
  std::mt19937 random_;
};

TEST(HexLoaderRobustness, AnyInputEndsInAResultOrAReadErrorAndStaysInsideTheImage) {
  Fuzzer fuzz(20240611);
  auto guarded = std::make_unique<GuardedImage>();
  int results[3] = {};
  int readErrors = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    switch (round % 3) {
      case 0:
        text = fuzz.Noise();
        break;
      case 1:
        text = fuzz.PlausibleFile();
        break;
      default:
        text = fuzz.Mutate(fuzz.PlausibleFile());
    }
    SCOPED_TRACE(text);
    HexFile file;
    file.AssignText(text);
    ASSERT_TRUE(file.Open());
    HexLoader loader(guarded->image, file);
    try {
      const LoadResult result = loader.LoadHexFile();
      ASSERT_TRUE(result == LoadOk || result == AddressRangeError || result == ChecksumError);
      ++results[result];
    } catch (const HexFileError&) {
      ++readErrors;
    }
    ASSERT_FALSE(file.IsOpen());
    ASSERT_TRUE(guarded->GuardsIntact());
    ASSERT_LE(guarded->image.ImageBytesUsed(), ImageSize);
  }
  // The inputs reach every outcome, so the loop exercised what it claims to.
  EXPECT_GT(results[LoadOk], 100);
  EXPECT_GT(results[AddressRangeError], 100);
  EXPECT_GT(results[ChecksumError], 20);
  EXPECT_GT(readErrors, 100);
}

}  // namespace
}  // namespace orvane::download
