// libFuzzer target: the reader of SDCC's debug data on arbitrary text. Whatever the bytes, it
// ends, and every question asked of what it read stays within the records it kept: line
// lookups, breakpoint resolution, routines, symbols and their types.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/debug/debug_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane::sim::debug;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> skipped;
  const DebugData debug = DebugData::Parse(text, &skipped);
  for (const std::string& file : debug.Files()) {
    for (int line : {1, 2, 40}) {
      const auto resolved = debug.Resolve(file, line);
      if (resolved && (resolved->line < line || resolved->addresses.empty())) std::abort();
    }
  }
  for (const LineRecord& record : debug.Lines()) {
    if (!debug.IsLineStart(record.address) || !debug.LineAt(record.address)) std::abort();
  }
  for (const Routine& routine : debug.Routines()) {
    if (debug.RoutineAt(routine.start) == nullptr) std::abort();
    debug.FirstLine(routine);
    debug.Locals(routine);
  }
  for (const Symbol& symbol : debug.Symbols()) {
    if (symbol.type) (void)symbol.type->Text();
    if (debug.FindSymbol(symbol.name, nullptr) == nullptr && symbol.scope != Scope::Local) {
      std::abort();
    }
  }
  return 0;
}
