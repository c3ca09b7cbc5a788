// The 8051's instructions as text, the way SDCC's assembler listings write them: lower-case
// mnemonics, operands joined by "," with no space, numbers as 0x.. in hex, SFRs and their bits by
// the names the assembler knows (`mov a,#0x05`, `jnb TI,0x4012`, `mov c,P1.2`), jump and call
// targets as absolute addresses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvane::sim::debug {

struct Instruction {
  std::uint16_t address = 0;
  int length = 1;
  std::array<std::uint8_t, 3> bytes{};
  std::string text;
  std::optional<std::uint16_t> target;  // where a jump or call goes (not @a+dptr)
  bool isCall = false;                  // LCALL, ACALL
  bool isReturn = false;                // RET, RETI
};

// Bytes of the instruction an opcode begins (1 to 3).
int InstructionLength(std::uint8_t opcode);

// The instruction at `address` of a 64 KB code memory (addresses wrap as the PC does).
Instruction Disassemble(const std::array<std::uint8_t, 0x10000>& code, std::uint16_t address);

// An SFR's name ("P1"), or empty when it has none.
std::string SfrName(std::uint8_t address);
// A bit's operand: its own name ("TI"), the SFR's name and bit ("P1.2"), or the number.
std::string BitName(std::uint8_t bit);

}  // namespace orvane::sim::debug
