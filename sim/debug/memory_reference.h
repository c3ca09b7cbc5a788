// A place in one of the 8051's memories, written one way for every client: "code:0x4000",
// "iram:0x30", "sfr:0x90", "xdata:0x8000".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::sim::debug {

enum class MemorySpace { Code, Iram, Sfr, Xdata };

struct MemoryReference {
  MemorySpace space = MemorySpace::Code;
  std::uint32_t address = 0;

  // "xdata:0x8000": the space's name, a colon, the address in hex (at least 2 digits for iram and
  // sfr, 4 for code and xdata).
  std::string Text() const;
  // The text back; an offset (DAP's readMemory) is added by the caller. Accepts decimal or 0x hex.
  static std::optional<MemoryReference> Parse(std::string_view text);
  // One past the last address: 0x10000 for code and xdata, 0x100 for iram and sfr (which
  // begins at 0x80).
  static std::uint32_t Limit(MemorySpace space);
  bool operator==(const MemoryReference&) const = default;
};

}  // namespace orvane::sim::debug
