// The rows of the opcode map whose low nibble is 4 to F: one operation per row, the operand
// chosen by the low nibble.
#pragma once

#include <utility>

#include "sim/cpu/cpu8051.h"

namespace orvane::sim {

ORVANE_CPU_INLINE void Cpu8051::IncrementRow(std::uint8_t op, int delta) {
  switch (op & 0x0F) {
    case 4:
      Acc() = static_cast<std::uint8_t>(Acc() + delta);
      return;
    case 5: {
      const std::uint8_t address = Fetch();
      WriteDirect(address, static_cast<std::uint8_t>(ReadDirectLatch(address) + delta));
      return;
    }
    case 6:
    case 7:
      At(op & 1) = static_cast<std::uint8_t>(At(op & 1) + delta);
      return;
    default:
      R(op & 7) = static_cast<std::uint8_t>(R(op & 7) + delta);
      return;
  }
}

ORVANE_CPU_INLINE void Cpu8051::CompareRow(std::uint8_t op) {
  std::uint8_t left = 0;
  std::uint8_t right = 0;
  switch (op & 0x0F) {
    case 4:
      left = Acc();
      right = Fetch();
      break;
    case 5:
      left = Acc();
      right = ReadDirect(Fetch());
      break;
    case 6:
    case 7:
      left = At(op & 1);
      right = Fetch();
      break;
    default:
      left = R(op & 7);
      right = Fetch();
      break;
  }
  Compare(left, right, static_cast<std::int8_t>(Fetch()));
}

ORVANE_CPU_INLINE void Cpu8051::ExchangeRow(std::uint8_t op) {
  switch (op & 0x0F) {
    case 4:  // SWAP A
      Acc() = static_cast<std::uint8_t>(Acc() << 4 | Acc() >> 4);
      return;
    case 5: {
      const std::uint8_t address = Fetch();
      const std::uint8_t value = ReadDirect(address);
      WriteDirect(address, Acc());
      Acc() = value;
      return;
    }
    case 6:
    case 7:
      std::swap(Acc(), At(op & 1));
      return;
    default:
      std::swap(Acc(), R(op & 7));
      return;
  }
}

ORVANE_CPU_INLINE void Cpu8051::DecrementJumpRow(std::uint8_t op) {
  switch (op & 0x0F) {
    case 4:
      DecimalAdjust();
      return;
    case 5: {
      const std::uint8_t address = Fetch();
      const std::int8_t rel = static_cast<std::int8_t>(Fetch());
      const std::uint8_t value = static_cast<std::uint8_t>(ReadDirectLatch(address) - 1);
      WriteDirect(address, value);
      if (value != 0) JumpRelative(rel);
      return;
    }
    case 6:
    case 7: {  // XCHD A,@Ri: the low nibbles change places
      std::uint8_t& m = At(op & 1);
      const std::uint8_t a = Acc();
      Acc() = static_cast<std::uint8_t>((a & 0xF0) | (m & 0x0F));
      m = static_cast<std::uint8_t>((m & 0xF0) | (a & 0x0F));
      return;
    }
    default: {
      const std::int8_t rel = static_cast<std::int8_t>(Fetch());
      if (--R(op & 7) != 0) JumpRelative(rel);
      return;
    }
  }
}

ORVANE_CPU_INLINE void Cpu8051::MultiplyDivide(bool divide) {
  std::uint8_t& a = Acc();
  std::uint8_t& b = SfrRaw(sfr::B);
  std::uint8_t psw = PswRaw() & ~(kCy | kOv);
  if (!divide) {
    const unsigned product = unsigned{a} * b;
    if (product > 0xFF) psw |= kOv;
    a = static_cast<std::uint8_t>(product);
    b = static_cast<std::uint8_t>(product >> 8);
  } else if (b == 0) {
    psw |= kOv;  // division by zero: A and B are left as they were
  } else {
    const std::uint8_t quotient = static_cast<std::uint8_t>(a / b);
    b = static_cast<std::uint8_t>(a % b);
    a = quotient;
  }
  PswRaw() = psw;
}

ORVANE_CPU_INLINE void Cpu8051::ExecuteAluRow(std::uint8_t op) {
  switch (op >> 4) {
    case 0x0:
      return IncrementRow(op, 1);
    case 0x1:
      return IncrementRow(op, -1);
    case 0x2:
      return Add(Source(op), false);
    case 0x3:
      return Add(Source(op), true);
    case 0x4:
      Acc() |= Source(op);
      return;
    case 0x5:
      Acc() &= Source(op);
      return;
    case 0x6:
      Acc() ^= Source(op);
      return;
    case 0x9:
      return Subb(Source(op));
    case 0xB:
      return CompareRow(op);
    case 0xC:
      return ExchangeRow(op);
    case 0xD:
      return DecrementJumpRow(op);
    case 0xE:
      if ((op & 0x0F) == 4) {
        Acc() = 0;  // CLR A
      } else {
        Acc() = Source(op);  // MOV A,src (MOV A,ACC included)
      }
      return;
    case 0xF:
      switch (op & 0x0F) {
        case 4:
          Acc() = static_cast<std::uint8_t>(~Acc());  // CPL A
          return;
        case 5:
          WriteDirect(Fetch(), Acc());
          return;
        case 6:
        case 7:
          At(op & 1) = Acc();
          return;
        default:
          R(op & 7) = Acc();
          return;
      }
    default:  // rows 7, 8 and A are moves
      return Unrouted(op);
  }
}

ORVANE_CPU_INLINE void Cpu8051::ExecuteMoveRow(std::uint8_t op) {
  const int row = op >> 4;
  const int lo = op & 0x0F;
  if (row != 0x7 && row != 0x8 && row != 0xA) return Unrouted(op);
  if (lo == 4) {
    if (row == 0x7) {
      Acc() = Fetch();  // MOV A,#data
    } else {
      MultiplyDivide(row == 0x8);  // 0x84 DIV AB, 0xA4 MUL AB
    }
    return;
  }
  if (row == 0xA && lo == 5) return;  // the one undefined opcode: a one-byte no-op
  if (row == 0x8) {                   // MOV direct,src
    std::uint8_t value = 0;
    if (lo == 5) {
      value = ReadDirect(Fetch());  // source first, then destination
    } else {
      value = lo < 8 ? At(op & 1) : R(op & 7);
    }
    WriteDirect(Fetch(), value);
    return;
  }
  // 0x7: MOV dst,#data; 0xA: MOV dst,direct
  const std::uint8_t operand = Fetch();
  if (row == 0x7 && lo == 5) {
    WriteDirect(operand, Fetch());
    return;
  }
  const std::uint8_t value = row == 0x7 ? operand : ReadDirect(operand);
  if (lo < 8) {
    At(op & 1) = value;
  } else {
    R(op & 7) = value;
  }
}

}  // namespace orvane::sim
