// The instruction set. Opcodes whose low nibble is 4 to F follow one pattern per row (the
// operand: 4 immediate or ACC, 5 direct, 6-7 @Ri, 8-F Rn); the others are dealt with one by one.
#include <algorithm>
#include <utility>

#include "sim/cpu/cpu8051.h"
#include "sim/cpu/cpu8051_control.h"
#include "sim/cpu/cpu8051_rows.h"
#include "sim/cpu/cpu8051_watch.h"

namespace orvane::sim {

namespace {

// Machine cycles of each opcode (12 oscillator periods each).
constexpr std::array<std::uint8_t, 256> MakeCycleTable() {
  std::array<std::uint8_t, 256> t{};
  for (int op = 0; op < 256; ++op) {
    const int hi = op >> 4;
    const int lo = op & 0x0F;
    int c = 1;
    if ((op & 0x1F) == 0x01 || (op & 0x1F) == 0x11) c = 2;  // AJMP, ACALL
    if (lo == 0 && hi >= 1 && hi <= 7) c = 2;               // JBC JB JNB JC JNC JZ JNZ
    if (hi == 8 && lo >= 5) c = 2;                          // MOV dir,dir/@Ri/Rn
    if (hi == 0xA && lo >= 6) c = 2;                        // MOV @Ri/Rn,dir
    if (hi == 0xB && lo >= 4) c = 2;                        // CJNE
    if (hi == 0xD && (lo == 5 || lo >= 8)) c = 2;           // DJNZ
    if (hi == 0xE && lo <= 3 && lo != 1) c = 2;             // MOVX A,...
    if (hi == 0xF && lo <= 3 && lo != 1) c = 2;             // MOVX ...,A
    t[static_cast<std::size_t>(op)] = static_cast<std::uint8_t>(c);
  }
  for (int op : {0x02, 0x12, 0x22, 0x32, 0x43, 0x53, 0x63, 0x72, 0x73, 0x75, 0x80,
                 0x82, 0x83, 0x90, 0x92, 0x93, 0xA0, 0xA3, 0xB0, 0xC0, 0xD0}) {
    t[static_cast<std::size_t>(op)] = 2;
  }
  t[0x84] = 4;  // DIV
  t[0xA4] = 4;  // MUL
  return t;
}

constexpr std::array<std::uint8_t, 256> kCycles = MakeCycleTable();

}  // namespace

void Cpu8051::Run(std::uint64_t until, bool returnOnSend) {
  // Internal RAM and the SFRs are reached by most opcodes, external RAM by six: a watch with
  // nothing set in the first two (code breakpoints only, or data on external RAM) has a loop
  // of its own in which the other opcodes test nothing.
  constexpr std::uint8_t kInternal = Cpu8051Watch::kIram | Cpu8051Watch::kSfr;
  if (!watch_) {
    Loop<false, false>(until, returnOnSend);
  } else if (watch_->spaces & kInternal) {
    Loop<true, true>(until, returnOnSend);
  } else {
    Loop<true, false>(until, returnOnSend);
  }
}

// Every opcode's case, its body decoded by the compiler from the constant.
// clang-format off
#define ORVANE_OP(n)                              \
  case (n):                                       \
    if (Instruction<kWatched, kInternal>(n, spaces)) return; \
    break;
#define ORVANE_ROW(row)                                                               \
  ORVANE_OP(row + 0x0) ORVANE_OP(row + 0x1) ORVANE_OP(row + 0x2) ORVANE_OP(row + 0x3) \
  ORVANE_OP(row + 0x4) ORVANE_OP(row + 0x5) ORVANE_OP(row + 0x6) ORVANE_OP(row + 0x7) \
  ORVANE_OP(row + 0x8) ORVANE_OP(row + 0x9) ORVANE_OP(row + 0xA) ORVANE_OP(row + 0xB) \
  ORVANE_OP(row + 0xC) ORVANE_OP(row + 0xD) ORVANE_OP(row + 0xE) ORVANE_OP(row + 0xF)
// clang-format on

template <bool kWatched, bool kInternal>
void Cpu8051::Loop(std::uint64_t until, bool returnOnSend) {
  // With a watch, its checks: the code map before each instruction, and the data an instruction
  // is about to touch (known from its operands before it runs). Without one, nothing of them.
  // The watch does not change during a run, so what the checks read is held here, where the
  // compiler can keep it in registers across the instructions' stores.
  Cpu8051Watch* const watch = kWatched ? watch_ : nullptr;
  const bool* const codeMap = kWatched ? watch->code.at.data() : nullptr;
  const std::uint8_t spaces = kWatched ? watch->spaces : 0;
  if constexpr (kWatched) {
    watch->hit = {};
    // The resume address is let past when its instruction is about to run, which the look at
    // the code map finds anyway; one that is no breakpoint (any more) is forgotten here, so
    // that a breakpoint set there later is not passed over.
    if (watch->skipAt >= 0 && !codeMap[watch->skipAt]) watch->skipAt = -1;
  }
  sent_ = false;
  while (cycles_ < until && !stopped_) {
    if (cycles_ >= nextEvent_) {
      Sync();
      if (returnOnSend && sent_) return;
    }
    if (checkInterrupts_ && CheckInterrupts()) continue;
    if (idle_) {
      // Nothing runs until an interrupt: skip to the next event.
      cycles_ = std::min(nextEvent_, until);
      continue;
    }
    if constexpr (kWatched) {
      if (codeMap[pc_]) [[unlikely]] {
        // Nothing comes between this look and the instruction, so the resume address is
        // passed once here.
        if (pc_ != watch->skipAt) {
          watch->hit = {Cpu8051Watch::Kind::Code, Cpu8051Watch::Space::Iram, pc_,
                        Cpu8051Watch::kRead};
          return;
        }
        watch->skipAt = -1;
      }
    }
    opPc_ = pc_;
    switch (Fetch()) {
      // clang-format off
      ORVANE_ROW(0x00) ORVANE_ROW(0x10) ORVANE_ROW(0x20) ORVANE_ROW(0x30)
      ORVANE_ROW(0x40) ORVANE_ROW(0x50) ORVANE_ROW(0x60) ORVANE_ROW(0x70)
      ORVANE_ROW(0x80) ORVANE_ROW(0x90) ORVANE_ROW(0xA0) ORVANE_ROW(0xB0)
      ORVANE_ROW(0xC0) ORVANE_ROW(0xD0) ORVANE_ROW(0xE0) ORVANE_ROW(0xF0)
      // clang-format on
    }
    if (waitLoop_) {
      waitLoop_ = false;
      // A jump to itself: nothing changes until the next event, so go round the loop in one go.
      if (!checkInterrupts_ && nextEvent_ > cycles_) {
        const std::uint64_t target = std::min(nextEvent_, until);
        cycles_ += (target - cycles_ + 1) / 2 * 2;
      }
    }
  }
}

#undef ORVANE_ROW
#undef ORVANE_OP

template <bool kWatched, bool kInternal>
ORVANE_CPU_INLINE bool Cpu8051::Instruction(std::uint8_t op, std::uint8_t spaces) {
  // The watched accesses are found before the instruction changes its operands (@Ri, SP); it
  // runs all the same, and the run stops after it.
  bool touched = false;
  if constexpr (kWatched) {
    const std::uint8_t reached =
        kInternal ? SpacesReached(op) : SpacesReached(op) & Cpu8051Watch::kXdata;
    touched = (spaces & reached) && WatchedAccess(*watch_, op, opPc_);
  }
  Execute(op);
  cycles_ += kCycles[op];
  if (touched) [[unlikely]] {
    waitLoop_ = false;
    return true;
  }
  return false;
}

void Cpu8051::Step() { Run(cycles_ + 1); }

ORVANE_CPU_INLINE void Cpu8051::Jump(std::uint16_t target) {
  if (target == opPc_) {
    const std::uint8_t ie = SfrRaw(sfr::IE);
    const bool interruptsOn = (ie & 0x80) && (ie & 0x3F);
    // With no interrupt to leave it, the loop is the program's end; a byte still being sent
    // goes out first.
    if (!interruptsOn && !txActive_) {
      stopped_ = true;
    } else {
      waitLoop_ = true;
    }
  }
  pc_ = target;
}

void Cpu8051::Unrouted(std::uint8_t op) {
  unrouted_ = op;
  stopped_ = true;
}

ORVANE_CPU_INLINE void Cpu8051::Call(std::uint16_t target) {
  Push(static_cast<std::uint8_t>(pc_));
  Push(static_cast<std::uint8_t>(pc_ >> 8));
  pc_ = target;
}

ORVANE_CPU_INLINE void Cpu8051::Add(std::uint8_t value, bool withCarry) {
  const unsigned a = Acc();
  const unsigned c = withCarry && (PswRaw() & kCy) ? 1 : 0;
  const unsigned r = a + value + c;
  std::uint8_t psw = PswRaw() & ~(kCy | kAc | kOv);
  if (r > 0xFF) psw |= kCy;
  if ((a & 0x0F) + (value & 0x0F) + c > 0x0F) psw |= kAc;
  if ((a ^ r) & (value ^ r) & 0x80) psw |= kOv;
  PswRaw() = psw;
  Acc() = static_cast<std::uint8_t>(r);
}

ORVANE_CPU_INLINE void Cpu8051::Subb(std::uint8_t value) {
  const unsigned a = Acc();
  const unsigned c = (PswRaw() & kCy) ? 1 : 0;
  const unsigned r = a - value - c;
  std::uint8_t psw = PswRaw() & ~(kCy | kAc | kOv);
  if (a < value + c) psw |= kCy;
  if ((a & 0x0F) < (value & 0x0F) + c) psw |= kAc;
  if ((a ^ value) & (a ^ r) & 0x80) psw |= kOv;
  PswRaw() = psw;
  Acc() = static_cast<std::uint8_t>(r);
}

ORVANE_CPU_INLINE void Cpu8051::DecimalAdjust() {
  unsigned v = Acc();
  std::uint8_t& psw = PswRaw();
  // Each correction may set the carry, never clear it; AC and OV are left alone.
  if ((v & 0x0F) > 9 || (psw & kAc)) v += 0x06;
  if (v > 0xFF) psw |= kCy;
  if (((v >> 4) & 0x1F) > 9 || (psw & kCy)) v += 0x60;
  if (v > 0xFF) psw |= kCy;
  Acc() = static_cast<std::uint8_t>(v);
}

ORVANE_CPU_INLINE void Cpu8051::Compare(std::uint8_t left, std::uint8_t right, std::int8_t rel) {
  PswRaw() = left < right ? PswRaw() | kCy : PswRaw() & ~kCy;
  if (left != right) JumpRelative(rel);
}

ORVANE_CPU_INLINE std::uint8_t Cpu8051::Source(std::uint8_t op) {
  switch (op & 0x0F) {
    case 4:
      return Fetch();
    case 5:
      return ReadDirect(Fetch());
    case 6:
    case 7:
      return At(op & 1);
    default:
      return R(op & 7);
  }
}

ORVANE_CPU_INLINE void Cpu8051::Execute(std::uint8_t op) {
  if ((op & 0x0F) >= 4) {
    const int row = op >> 4;
    if (row == 0x7 || row == 0x8 || row == 0xA) {
      ExecuteMoveRow(op);
    } else {
      ExecuteAluRow(op);
    }
    return;
  }
  if ((op & 0x0F) == 1) {  // AJMP, ACALL: 11 address bits within the current 2 KB page
    const std::uint16_t low = static_cast<std::uint16_t>((op & 0xE0) << 3 | Fetch());
    const std::uint16_t target = static_cast<std::uint16_t>((pc_ & 0xF800) | low);
    if (op & 0x10) {
      Call(target);
    } else {
      Jump(target);
    }
    return;
  }
  switch (op >> 6) {
    case 0:
      ExecuteRows0to3(op);
      return;
    case 1:
      ExecuteRows4to7(op);
      return;
    case 2:
      ExecuteRows8toB(op);
      return;
    default:
      ExecuteRowsCtoF(op);
      return;
  }
}

}  // namespace orvane::sim
