// The debugger's test programs (tests/sim/programs/debug), built with their debug data by this
// build: the program image, the debug data, and the source to find lines in by their text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "download/memory_image.h"
#include "sim/debug/debug_data.h"

namespace orvane::test_support {

struct DebugProgram {
  std::array<std::uint8_t, download::ImageSize> image{};
  sim::debug::DebugData data;
  std::string source;  // the C or assembly source

  // The number of the first source line that holds `text` (a test failure when none does).
  int LineOf(const std::string& text) const;
};

// Loads `name` (stepping: the C program; opcodes: the assembly one); `sourceExtension` ".c" or
// ".asm".
DebugProgram LoadDebugProgram(const std::string& name, const std::string& sourceExtension);

// A file of the built programs, such as "opcodes.rst".
std::string DebugProgramFile(const std::string& name);

}  // namespace orvane::test_support
