// The program image: what a loaded HEX file puts into the board's 8 KB program memory, and how
// far the program reaches. The transfer algorithms send it from ImageBase up to EndAddress.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace orvane::download {

// The board's program memory window that the downloader writes: 0x4000 to 0x5FFF.
inline constexpr std::uint32_t ImageBase = 0x4000;
inline constexpr std::size_t ImageSize = 8192;
inline constexpr std::uint32_t ImageLimit = ImageBase + ImageSize;  // one past 0x5FFF

struct MemoryImage {
  // One past the highest board address that a record reached; 0 before the first record.
  // Wider than the board's 16-bit addresses so that a file claiming addresses beyond them is
  // seen as such instead of wrapping round to a harmless-looking value. Only a load that
  // returned LoadOk leaves an image fit for a transfer, and even then an end-of-file record may
  // have claimed an address beyond the window: users of the image go by ImageBytesUsed().
  std::uint32_t EndAddress = 0;
  // bytes[i] is board address ImageBase + i; bytes that no record gave are 0x00.
  std::array<std::uint8_t, ImageSize> bytes{};

  // The number of image bytes from ImageBase up to EndAddress, never more than the image holds.
  std::size_t ImageBytesUsed() const {
    if (EndAddress <= ImageBase) return 0;
    return std::min<std::size_t>(EndAddress - ImageBase, ImageSize);
  }
};

}  // namespace orvane::download
