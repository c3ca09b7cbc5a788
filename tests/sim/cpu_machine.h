// A board model with a few bytes of code at 0x4000, for tests of single instructions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "sim/board/board_model.h"

namespace orvane::sim::test {

struct Machine {
  BoardModel board;
  Cpu8051& cpu = board.Cpu();

  // Resets the CPU and puts the code at 0x4000, where it starts.
  void Load(std::initializer_list<std::uint8_t> code) {
    cpu.Reset();
    std::copy(code.begin(), code.end(), cpu.Code().begin() + kProgramStart);
    cpu.SetPc(kProgramStart);
  }
  void Steps(int count) {
    for (int i = 0; i < count; ++i) cpu.Step();
  }
  std::uint8_t A() { return cpu.Sfr(sfr::ACC); }
  std::uint8_t Flags() { return cpu.Psw() & (kCy | kAc | kOv); }
};

}  // namespace orvane::sim::test
