// Which memory bytes an instruction is about to read or write, for a debugger's data watches.
// Every operand address of the 8051 is known before the instruction runs, so the check needs no
// hook in the memory accesses themselves.
#pragma once

#include "sim/cpu/cpu8051.h"

namespace orvane::sim {

namespace watch_detail {

using Space = Cpu8051Watch::Space;
using Hit = Cpu8051Watch::Hit;
constexpr std::uint8_t kRead = Cpu8051Watch::kRead;
constexpr std::uint8_t kWrite = Cpu8051Watch::kWrite;
constexpr std::uint8_t kBoth = kRead | kWrite;

// Each access is looked up as it is named, so that once the compiler has the opcode only the
// lookups of its operands remain; the first that matches is the watch's hit.
struct Accesses {
  Cpu8051Watch& watch;
  bool hit = false;
  ORVANE_CPU_INLINE void Add(Space space, std::uint16_t address, std::uint8_t access) {
    if (hit) return;
    std::uint8_t watched = 0;
    switch (space) {
      case Space::Iram:
        watched = watch.iram[address & 0xFF];
        break;
      case Space::Sfr:
        watched = watch.sfr[(address - 0x80) & 0x7F];
        break;
      case Space::Xdata:
        watched = watch.xdata[address];
        break;
    }
    const std::uint8_t matched = watched & access;
    if (matched != 0) [[unlikely]] {
      hit = true;
      watch.hit = Hit{Cpu8051Watch::Kind::Data, space, address,
                      (matched & kWrite) ? Cpu8051Watch::kWrite : Cpu8051Watch::kRead};
    }
  }
  ORVANE_CPU_INLINE void Direct(std::uint8_t address, std::uint8_t access) {
    Add(address < 0x80 ? Space::Iram : Space::Sfr, address, access);
  }
  ORVANE_CPU_INLINE void Bit(std::uint8_t bit, std::uint8_t access) {
    Direct(bit < 0x80 ? static_cast<std::uint8_t>(0x20 + (bit >> 3)) : bit & 0xF8, access);
  }
};

constexpr std::uint8_t kDirect = Cpu8051Watch::kIram | Cpu8051Watch::kSfr;

constexpr std::array<std::uint8_t, 256> MakeSpacesTable() {
  std::array<std::uint8_t, 256> t{};
  for (int op = 0; op < 256; ++op) {
    const int row = op >> 4;
    const int lo = op & 0x0F;
    std::uint8_t s = 0;
    if (lo == 5) s = kDirect;                             // a direct address
    if (lo >= 6) s = Cpu8051Watch::kIram;                 // @Ri, Rn
    if (row == 0x8 && lo >= 6) s = kDirect;               // MOV direct,@Ri/Rn
    if (row == 0xA && lo >= 6) s = kDirect;               // MOV @Ri/Rn,direct
    if (lo == 1 && (op & 0x10)) s = Cpu8051Watch::kIram;  // ACALL pushes
    t[static_cast<std::size_t>(op)] = s;
  }
  for (int op : {0x10, 0x20, 0x30, 0x42, 0x43, 0x52, 0x53, 0x62, 0x63, 0x72,
                 0x82, 0x92, 0xA0, 0xA2, 0xB0, 0xB2, 0xC0, 0xC2, 0xD0, 0xD2}) {
    t[static_cast<std::size_t>(op)] = kDirect;  // bits, direct bytes, PUSH and POP
  }
  for (int op : {0x12, 0x22, 0x32}) t[static_cast<std::size_t>(op)] = Cpu8051Watch::kIram;
  for (int op : {0xE0, 0xE2, 0xE3, 0xF0, 0xF2, 0xF3}) {
    t[static_cast<std::size_t>(op)] = Cpu8051Watch::kXdata;
  }
  t[0xA5] = 0;
  return t;
}

constexpr std::array<std::uint8_t, 256> kSpacesReached = MakeSpacesTable();

}  // namespace watch_detail

ORVANE_CPU_INLINE std::uint8_t Cpu8051::SpacesReached(std::uint8_t op) {
  return watch_detail::kSpacesReached[op];
}

ORVANE_CPU_INLINE bool Cpu8051::WatchedAccess(Cpu8051Watch& watch, std::uint8_t op,
                                              std::uint16_t at) {
  using namespace watch_detail;
  const std::uint8_t b1 = code_[static_cast<std::uint16_t>(at + 1)];
  const std::uint8_t b2 = code_[static_cast<std::uint16_t>(at + 2)];
  const std::uint8_t sp = SfrRaw(sfr::SP);
  const int row = op >> 4;
  const int lo = op & 0x0F;
  Accesses a{watch};
  // The operand a row's low nibble names: 5 direct, 6-7 @Ri, 8-F Rn.
  auto operand = [&](std::uint8_t direct, std::uint8_t access) ORVANE_CPU_LAMBDA_INLINE {
    if (lo == 5) {
      a.Direct(direct, access);
    } else if (lo == 6 || lo == 7) {
      a.Add(Space::Iram, iram_[bank_ + (lo & 1)], access);
    } else if (lo >= 8) {
      a.Add(Space::Iram, static_cast<std::uint16_t>(bank_ + (lo & 7)), access);
    }
  };
  if (lo >= 4) {
    switch (row) {
      case 0x0:
      case 0x1:
      case 0xC:
      case 0xD:
        if (lo != 4) operand(b1, kBoth);
        break;
      case 0x7:
        if (lo != 4) operand(b1, kWrite);
        break;
      case 0x8:
        if (lo == 5) {
          a.Direct(b1, kRead);
          a.Direct(b2, kWrite);
        } else if (lo > 5) {
          operand(0, kRead);
          a.Direct(b1, kWrite);
        }
        break;
      case 0xA:
        if (lo > 5) {
          a.Direct(b1, kRead);
          operand(0, kWrite);
        }
        break;
      case 0xF:
        if (lo != 4) operand(b1, kWrite);
        break;
      default:  // ADD ADDC ORL ANL XRL SUBB CJNE MOV A,src: the source is read
        if (lo != 4) operand(b1, kRead);
        break;
    }
  } else if (lo == 1) {
    if (op & 0x10) {  // ACALL
      a.Add(Space::Iram, static_cast<std::uint8_t>(sp + 1), kWrite);
      a.Add(Space::Iram, static_cast<std::uint8_t>(sp + 2), kWrite);
    }
  } else {
    switch (op) {
      case 0x10:  // JBC
      case 0x92:  // MOV bit,C
      case 0xB2:  // CPL bit
        a.Bit(b1, kBoth);
        break;
      case 0x20:
      case 0x30:
      case 0x72:
      case 0x82:
      case 0xA0:
      case 0xA2:
      case 0xB0:
        a.Bit(b1, kRead);
        break;
      case 0xC2:
      case 0xD2:
        a.Bit(b1, kWrite);
        break;
      case 0x12:  // LCALL
        a.Add(Space::Iram, static_cast<std::uint8_t>(sp + 1), kWrite);
        a.Add(Space::Iram, static_cast<std::uint8_t>(sp + 2), kWrite);
        break;
      case 0x22:  // RET
      case 0x32:  // RETI
        a.Add(Space::Iram, sp, kRead);
        a.Add(Space::Iram, static_cast<std::uint8_t>(sp - 1), kRead);
        break;
      case 0x42:
      case 0x43:
      case 0x52:
      case 0x53:
      case 0x62:
      case 0x63:
        a.Direct(b1, kBoth);
        break;
      case 0xC0:  // PUSH
        a.Direct(b1, kRead);
        a.Add(Space::Iram, static_cast<std::uint8_t>(sp + 1), kWrite);
        break;
      case 0xD0:  // POP
        a.Add(Space::Iram, sp, kRead);
        a.Direct(b1, kWrite);
        break;
      case 0xE0:
        a.Add(Space::Xdata, Dptr(), kRead);
        break;
      case 0xF0:
        a.Add(Space::Xdata, Dptr(), kWrite);
        break;
      case 0xE2:
      case 0xE3:
      case 0xF2:
      case 0xF3:
        a.Add(Space::Xdata, static_cast<std::uint16_t>(SfrRaw(sfr::P2) << 8 | R(op & 1)),
              row == 0xE ? kRead : kWrite);
        break;
      default:
        break;
    }
  }
  return a.hit;
}

}  // namespace orvane::sim
