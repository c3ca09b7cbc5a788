#include "sim/debug/memory_reference.h"

#include <charconv>

#include "sim/debug/hex_text.h"

namespace orvane::sim::debug {

namespace {

struct SpaceName {
  MemorySpace space;
  std::string_view name;
  int digits;
};
constexpr SpaceName kSpaces[] = {{MemorySpace::Code, "code", 4},
                                 {MemorySpace::Iram, "iram", 2},
                                 {MemorySpace::Sfr, "sfr", 2},
                                 {MemorySpace::Xdata, "xdata", 4}};

}  // namespace

std::string MemoryReference::Text() const {
  for (const SpaceName& s : kSpaces) {
    if (s.space == space) {
      return std::string(s.name) + ":" + HexText(address, s.digits);
    }
  }
  return {};
}

std::optional<MemoryReference> MemoryReference::Parse(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view name = text.substr(0, colon);
  std::string_view number = text.substr(colon + 1);
  for (const SpaceName& s : kSpaces) {
    if (s.name != name) continue;
    int base = 10;
    if (number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) {
      number.remove_prefix(2);
      base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), value, base);
    if (number.empty() || error != std::errc{} || end != number.data() + number.size()) {
      return std::nullopt;
    }
    if (value >= Limit(s.space) || (s.space == MemorySpace::Sfr && value < 0x80)) {
      return std::nullopt;
    }
    return MemoryReference{s.space, value};
  }
  return std::nullopt;
}

std::uint32_t MemoryReference::Limit(MemorySpace space) {
  return space == MemorySpace::Code || space == MemorySpace::Xdata ? 0x10000 : 0x100;
}

}  // namespace orvane::sim::debug
