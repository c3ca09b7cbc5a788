// Numbers as the debugger writes them to every client: "0x" and upper-case hexadecimal digits,
// at least `digits` of them ("0x40AD", "0x05"), as SDCC's listings write them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvane::sim::debug {

inline std::string HexText(std::uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

}  // namespace orvane::sim::debug
