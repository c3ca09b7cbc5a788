// Variables and values as both clients show them (the adapter's scopes, the window's panes):
// a name, the type as C writes it, the value as text — integers in decimal, a char also as the
// character when printable (`65 'A'`), pointers and registers in hex — and children for arrays,
// structs and PSW's flags. A value with a place in memory carries its memory reference.
//
// Also the expressions of watches, hovers and breakpoint conditions: a variable, an array
// element (`buf[3]`), a struct field (`p.x`, `p->x`), a register (`A`, `R7`, `DPTR`), a memory
// cell (`xdata[0x8000]`, `iram[0x30]`, `code[0x4000]`, `sfr[0x90]`), and for conditions such
// operands compared (==, !=, <, <=, >, >=) with a number, joined by && and ||.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/debug/debug_data.h"
#include "sim/debug/memory_reference.h"

namespace orvane::sim::debug {

class DebugEngine;

// Where a value lives, so that it can be read again and set.
struct Location {
  enum class Kind { None, Memory, Registers, Bit, Register };
  Kind kind = Kind::None;
  MemoryReference memory;               // Memory: its first byte; Bit: the byte holding it
  int bit = 0;                          // Bit: 0 to 7
  std::vector<std::uint8_t> registers;  // Registers: R numbers, lowest byte first
  std::string registerName;             // Register: A, B, PSW, SP, DPTR, PC, R0-R7 or a flag
};

struct Value {
  std::string name;
  std::string type;   // "unsigned char", "int[4]", "struct point"; empty for raw bytes
  std::string value;  // the text shown
  std::optional<MemoryReference> memory;
  std::vector<Value> children;  // array elements, struct fields, PSW's flags
  // How to set it (SetValue); Kind::None for a value that cannot be set.
  Location location;
  std::shared_ptr<const Type> typeInfo;
  bool Editable() const { return location.kind != Location::Kind::None && children.empty(); }
};

class Inspector {
 public:
  // Arrays show at most this many elements as children.
  static constexpr int kMaxChildren = 1024;

  explicit Inspector(DebugEngine& engine) : engine_(engine) {}

  // Parameters and locals of a frame of the call stack (0: the innermost). Locals in registers
  // are shown only for frame 0: a callee may have changed the registers since.
  std::vector<Value> Locals(std::size_t frame);
  std::vector<Value> Globals();
  // A, B, PSW (with its flags as children), SP, DPTR, PC, R0-R7.
  std::vector<Value> Registers();

  // A value for an expression, in the scope of a frame; the error text when it has none.
  std::variant<Value, std::string> Evaluate(std::string_view expression, std::size_t frame = 0);
  // A condition: true, false, or the error text.
  std::variant<bool, std::string> Condition(std::string_view expression, std::size_t frame = 0);
  // Whether a condition parses (without reading anything); the error text when not.
  static std::optional<std::string> CheckCondition(std::string_view expression);

  // Sets a value from text in C notation (decimal, 0x hex, 'c'); the error text when the text
  // is no number or outside the type's range. The value is read again on success.
  std::optional<std::string> SetValue(Value& value, std::string_view text);

  // A symbol's value as the frame sees it (exposed for the window's hovers).
  std::optional<Value> SymbolValue(const Symbol& symbol, std::size_t frame);

 private:
  DebugEngine& engine_;
};

}  // namespace orvane::sim::debug
