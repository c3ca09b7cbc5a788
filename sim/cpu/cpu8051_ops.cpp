// The instruction set. Opcodes whose low nibble is 4 to F follow one pattern per row (the
// operand: 4 immediate or ACC, 5 direct, 6-7 @Ri, 8-F Rn); the others are dealt with one by one.
#include <algorithm>
#include <utility>

#include "sim/cpu8051.h"

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
    opPc_ = pc_;
    const std::uint8_t op = Fetch();
    Execute(op);
    cycles_ += kCycles[op];
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

void Cpu8051::Step() { Run(cycles_ + 1); }

void Cpu8051::Jump(std::uint16_t target) {
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

void Cpu8051::Call(std::uint16_t target) {
  Push(static_cast<std::uint8_t>(pc_));
  Push(static_cast<std::uint8_t>(pc_ >> 8));
  pc_ = target;
}

void Cpu8051::Add(std::uint8_t value, bool withCarry) {
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

void Cpu8051::Subb(std::uint8_t value) {
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

void Cpu8051::DecimalAdjust() {
  unsigned v = Acc();
  std::uint8_t& psw = PswRaw();
  // Each correction may set the carry, never clear it; AC and OV are left alone.
  if ((v & 0x0F) > 9 || (psw & kAc)) v += 0x06;
  if (v > 0xFF) psw |= kCy;
  if (((v >> 4) & 0x1F) > 9 || (psw & kCy)) v += 0x60;
  if (v > 0xFF) psw |= kCy;
  Acc() = static_cast<std::uint8_t>(v);
}

void Cpu8051::Compare(std::uint8_t left, std::uint8_t right, std::int8_t rel) {
  PswRaw() = left < right ? PswRaw() | kCy : PswRaw() & ~kCy;
  if (left != right) JumpRelative(rel);
}

std::uint8_t Cpu8051::Source(std::uint8_t op) {
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

void Cpu8051::Execute(std::uint8_t op) {
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
