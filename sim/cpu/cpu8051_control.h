// The opcodes whose low nibble is 0, 2 or 3: jumps, calls, returns, rotates, bit operations,
// logic on direct bytes, DPTR and external data.
#pragma once

#include "sim/cpu/cpu8051.h"

namespace orvane::sim {

ORVANE_CPU_INLINE void Cpu8051::ExecuteRows0to3(std::uint8_t op) {
  std::uint8_t& a = Acc();
  std::uint8_t& psw = PswRaw();
  switch (op) {
    case 0x00:  // NOP
      return;
    case 0x02:  // LJMP
      return Jump(Fetch16());
    case 0x03:  // RR A
      a = static_cast<std::uint8_t>(a >> 1 | a << 7);
      return;
    case 0x10: {  // JBC bit,rel
      const std::uint8_t bit = Fetch();
      const std::int8_t rel = static_cast<std::int8_t>(Fetch());
      // Tests the latch, as its clearing is a read-modify-write.
      const std::uint8_t address = bit < 0x80 ? 0x20 + (bit >> 3) : bit & 0xF8;
      if ((ReadDirectLatch(address) >> (bit & 7)) & 1) {
        WriteBit(bit, false);
        JumpRelative(rel);
      }
      return;
    }
    case 0x12:  // LCALL
      return Call(Fetch16());
    case 0x13: {  // RRC A
      const bool carry = a & 1;
      a = static_cast<std::uint8_t>(a >> 1 | ((psw & kCy) ? 0x80 : 0));
      psw = carry ? psw | kCy : psw & ~kCy;
      return;
    }
    case 0x20:    // JB bit,rel
    case 0x30: {  // JNB bit,rel
      const bool set = ReadBit(Fetch());
      const std::int8_t rel = static_cast<std::int8_t>(Fetch());
      if (set == (op == 0x20)) JumpRelative(rel);
      return;
    }
    case 0x22:  // RET
      pc_ = static_cast<std::uint16_t>(Pop() << 8);
      pc_ = static_cast<std::uint16_t>(pc_ | Pop());
      return;
    case 0x23:  // RL A
      a = static_cast<std::uint8_t>(a << 1 | a >> 7);
      return;
    case 0x32:  // RETI
      return Reti();
    case 0x33: {  // RLC A
      const bool carry = a & 0x80;
      a = static_cast<std::uint8_t>(a << 1 | ((psw & kCy) ? 1 : 0));
      psw = carry ? psw | kCy : psw & ~kCy;
      return;
    }
    default:
      return Unrouted(op);
  }
}

ORVANE_CPU_INLINE void Cpu8051::ExecuteRows4to7(std::uint8_t op) {
  const int row = op >> 4;
  switch (op & 0x0F) {
    case 0x0: {  // JC, JNC, JZ, JNZ
      const std::int8_t rel = static_cast<std::int8_t>(Fetch());
      const bool carry = PswRaw() & kCy;
      const bool zero = Acc() == 0;
      const bool taken = row == 4 ? carry : row == 5 ? !carry : row == 6 ? zero : !zero;
      if (taken) JumpRelative(rel);
      return;
    }
    case 0x2:
      if (row == 7) {  // ORL C,bit
        if (ReadBit(Fetch())) PswRaw() |= kCy;
        return;
      }
      [[fallthrough]];
    case 0x3: {
      if (op == 0x73) {  // JMP @A+DPTR
        pc_ = static_cast<std::uint16_t>(Dptr() + Acc());
        return;
      }
      // ORL, ANL, XRL direct with A (x2) or with #data (x3)
      const std::uint8_t address = Fetch();
      const std::uint8_t operand = (op & 1) ? Fetch() : Acc();
      std::uint8_t value = ReadDirectLatch(address);
      value = row == 4 ? value | operand : row == 5 ? value & operand : value ^ operand;
      WriteDirect(address, value);
      return;
    }
    default:
      return Unrouted(op);
  }
}

ORVANE_CPU_INLINE void Cpu8051::ExecuteRows8toB(std::uint8_t op) {
  std::uint8_t& psw = PswRaw();
  switch (op) {
    case 0x80: {  // SJMP
      const std::int8_t rel = static_cast<std::int8_t>(Fetch());
      return Jump(static_cast<std::uint16_t>(pc_ + rel));
    }
    case 0x82:  // ANL C,bit
      if (!ReadBit(Fetch())) psw &= ~kCy;
      return;
    case 0x83:  // MOVC A,@A+PC
      Acc() = code_[static_cast<std::uint16_t>(pc_ + Acc())];
      return;
    case 0x90:  // MOV DPTR,#data16
      return SetDptr(Fetch16());
    case 0x92:  // MOV bit,C
      return WriteBit(Fetch(), psw & kCy);
    case 0x93:  // MOVC A,@A+DPTR
      Acc() = code_[static_cast<std::uint16_t>(Dptr() + Acc())];
      return;
    case 0xA0:  // ORL C,/bit
      if (!ReadBit(Fetch())) psw |= kCy;
      return;
    case 0xA2:  // MOV C,bit
      psw = ReadBit(Fetch()) ? psw | kCy : psw & ~kCy;
      return;
    case 0xA3:  // INC DPTR
      return SetDptr(static_cast<std::uint16_t>(Dptr() + 1));
    case 0xB0:  // ANL C,/bit
      if (ReadBit(Fetch())) psw &= ~kCy;
      return;
    case 0xB2: {  // CPL bit
      const std::uint8_t bit = Fetch();
      const std::uint8_t address = bit < 0x80 ? 0x20 + (bit >> 3) : bit & 0xF8;
      return WriteBit(bit, !((ReadDirectLatch(address) >> (bit & 7)) & 1));
    }
    case 0xB3:  // CPL C
      psw ^= kCy;
      return;
    default:
      return Unrouted(op);
  }
}

ORVANE_CPU_INLINE void Cpu8051::ExecuteRowsCtoF(std::uint8_t op) {
  switch (op) {
    case 0xC0:  // PUSH direct
      return Push(ReadDirect(Fetch()));
    case 0xC2:  // CLR bit
    case 0xD2:  // SETB bit
      return WriteBit(Fetch(), op == 0xD2);
    case 0xC3:  // CLR C
      PswRaw() &= ~kCy;
      return;
    case 0xD0: {  // POP direct
      const std::uint8_t address = Fetch();
      return WriteDirect(address, Pop());
    }
    case 0xD3:  // SETB C
      PswRaw() |= kCy;
      return;
    case 0xE0:  // MOVX A,@DPTR
      Acc() = bus_.ReadData(Dptr(), cycles_);
      return;
    case 0xE2:  // MOVX A,@Ri: P2 gives the high address byte
    case 0xE3:
      Acc() = bus_.ReadData(static_cast<std::uint16_t>(SfrRaw(sfr::P2) << 8 | R(op & 1)), cycles_);
      return;
    case 0xF0:  // MOVX @DPTR,A
      return bus_.WriteData(Dptr(), Acc(), cycles_);
    case 0xF2:  // MOVX @Ri,A
    case 0xF3:
      return bus_.WriteData(static_cast<std::uint16_t>(SfrRaw(sfr::P2) << 8 | R(op & 1)), Acc(),
                            cycles_);
    default:
      return Unrouted(op);
  }
}

}  // namespace orvane::sim
