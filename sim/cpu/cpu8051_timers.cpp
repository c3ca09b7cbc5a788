// Timers 0, 1 and 2 and the serial port, brought up to date lazily: Sync() counts what happened
// since the last call, Reschedule() finds the next machine cycle at which one of them raises a
// flag or finishes a byte, and the run loop calls Sync() again when that cycle has come. Port 3's
// pins that act inside the chip (the external interrupts, GATE, the counters' inputs) are here
// too: a change of them is such a moment.
#include <algorithm>

#include "sim/cpu/cpu8051.h"

namespace orvane::sim {

namespace {

// A counter that overflows when it reaches `top` and starts again from `reload`.
struct Counter {
  std::uint32_t value;
  std::uint32_t top;
  std::uint32_t reload;
};

// Adds `counts`; returns the number of overflows.
std::uint64_t Count(Counter& c, std::uint64_t counts) {
  const std::uint64_t toFirst = c.top - c.value;
  if (counts < toFirst) {
    c.value += static_cast<std::uint32_t>(counts);
    return 0;
  }
  counts -= toFirst;
  const std::uint64_t period = c.top - c.reload;
  c.value = c.reload + static_cast<std::uint32_t>(counts % period);
  return 1 + counts / period;
}

// Counts needed for `overflows` (at least 1) overflows.
std::uint64_t CountsTo(const Counter& c, std::uint64_t overflows) {
  return (c.top - c.value) + (overflows - 1) * std::uint64_t{c.top - c.reload};
}

constexpr std::uint8_t kTf0 = 0x20, kTr0 = 0x10, kTf1 = 0x80, kTr1 = 0x40;
constexpr std::uint8_t kTi = 0x02, kRi = 0x01, kRen = 0x10, kRb8 = 0x04;
constexpr std::uint8_t kTf2 = 0x80, kRclk = 0x20, kTclk = 0x10, kTr2 = 0x04, kCt2 = 0x02;
constexpr std::uint8_t kCpRl2 = 0x01;

// The timers as counters. Timer 3 is TH0 on its own, which timer 0's mode 3 makes.
Counter Load(const std::array<std::uint8_t, 128>& s, int timer) {
  auto at = [&](std::uint8_t address) -> std::uint32_t { return s[address - 0x80]; };
  if (timer == 2) {
    const std::uint32_t reload =
        (at(sfr::T2CON) & kCpRl2) ? 0 : (at(sfr::RCAP2H) << 8 | at(sfr::RCAP2L));
    return {at(sfr::TH2) << 8 | at(sfr::TL2), 0x10000, reload};
  }
  if (timer == 3) return {at(sfr::TH0), 0x100, 0};
  const std::uint8_t tl = timer == 0 ? sfr::TL0 : sfr::TL1;
  const std::uint8_t th = timer == 0 ? sfr::TH0 : sfr::TH1;
  switch ((at(sfr::TMOD) >> (timer * 4)) & 3) {
    case 0:
      return {at(th) << 5 | (at(tl) & 0x1F), 0x2000, 0};
    case 1:
      return {at(th) << 8 | at(tl), 0x10000, 0};
    case 2:
      return {at(tl), 0x100, at(th)};
    default:
      return {at(tl), 0x100, 0};  // timer 0's mode 3: TL0 alone
  }
}

void Store(std::array<std::uint8_t, 128>& s, int timer, const Counter& c) {
  auto at = [&](std::uint8_t address) -> std::uint8_t& { return s[address - 0x80]; };
  if (timer == 2) {
    at(sfr::TH2) = static_cast<std::uint8_t>(c.value >> 8);
    at(sfr::TL2) = static_cast<std::uint8_t>(c.value);
    return;
  }
  if (timer == 3) {
    at(sfr::TH0) = static_cast<std::uint8_t>(c.value);
    return;
  }
  std::uint8_t& tl = at(timer == 0 ? sfr::TL0 : sfr::TL1);
  std::uint8_t& th = at(timer == 0 ? sfr::TH0 : sfr::TH1);
  switch (c.top) {
    case 0x2000:
      th = static_cast<std::uint8_t>(c.value >> 5);
      tl = static_cast<std::uint8_t>((tl & 0xE0) | (c.value & 0x1F));
      break;
    case 0x10000:
      th = static_cast<std::uint8_t>(c.value >> 8);
      tl = static_cast<std::uint8_t>(c.value);
      break;
    default:
      tl = static_cast<std::uint8_t>(c.value);
      break;
  }
}

}  // namespace

bool Cpu8051::TimerGateOpen(int timer) const {
  const std::uint8_t tmod = sfr_[sfr::TMOD - 0x80];
  const std::uint8_t tcon = sfr_[sfr::TCON - 0x80];
  const std::uint8_t pins = Pins(3);
  if (timer == 0) return (tcon & kTr0) && (!(tmod & 0x08) || (pins & 0x04));
  if (((tmod >> 4) & 3) == 3) return false;
  // While timer 0 is split, TR1 belongs to TH0 and timer 1 runs whenever it is not in mode 3.
  if ((tmod & 0x03) == 3) return true;
  return (tcon & kTr1) && (!(tmod & 0x80) || (pins & 0x08));
}

bool Cpu8051::CountsPulses(int timer) const {
  const std::uint8_t counterBit = timer == 0 ? 0x04 : 0x40;
  return (sfr_[sfr::TMOD - 0x80] & counterBit) && TimerGateOpen(timer);
}

bool Cpu8051::TimerRuns(int timer) const {
  const std::uint8_t tmod = sfr_[sfr::TMOD - 0x80];
  switch (timer) {
    case 0:  // as a counter (C/T) it counts pulses on T0 instead (CountPulse)
      return !(tmod & 0x04) && TimerGateOpen(0);
    case 1:
      return !(tmod & 0x40) && TimerGateOpen(1);
    case 2: {
      const std::uint8_t t2con = sfr_[sfr::T2CON - 0x80];
      return (t2con & kTr2) && !(t2con & kCt2);
    }
    default:  // TH0 of the split timer 0
      return (tmod & 0x03) == 3 && (sfr_[sfr::TCON - 0x80] & kTr1);
  }
}

std::uint64_t Cpu8051::AdvanceTimer0(std::uint64_t cycles) {
  std::uint64_t overflows = 0;
  if (TimerRuns(0)) {
    Counter c = Load(sfr_, 0);
    overflows = Count(c, cycles);
    Store(sfr_, 0, c);
    if (overflows) SfrRaw(sfr::TCON) |= kTf0;
  }
  if (TimerRuns(3)) {
    Counter c = Load(sfr_, 3);
    if (Count(c, cycles)) SfrRaw(sfr::TCON) |= kTf1;
    Store(sfr_, 3, c);
  }
  return overflows;
}

std::uint64_t Cpu8051::AdvanceTimer1(std::uint64_t cycles) {
  if (!TimerRuns(1)) return 0;
  Counter c = Load(sfr_, 1);
  const std::uint64_t overflows = Count(c, cycles);
  Store(sfr_, 1, c);
  // While timer 0 is split, TF1 is TH0's.
  if (overflows && (SfrRaw(sfr::TMOD) & 0x03) != 3) SfrRaw(sfr::TCON) |= kTf1;
  return overflows;
}

std::uint64_t Cpu8051::AdvanceTimer2(std::uint64_t cycles) {
  if (!TimerRuns(2)) return 0;
  Counter c = Load(sfr_, 2);
  // As a baud-rate generator it counts at half the oscillator: six counts a machine cycle.
  const std::uint64_t overflows = Count(c, SerialOnTimer2() ? cycles * 6 : cycles);
  Store(sfr_, 2, c);
  if (overflows && !SerialOnTimer2()) SfrRaw(sfr::T2CON) |= kTf2;
  return overflows;
}

bool Cpu8051::SerialOnTimer2() const { return (sfr_[sfr::T2CON - 0x80] & (kRclk | kTclk)) != 0; }

// Modes 1 and 3 are clocked by timer overflows; modes 0 and 2 by the oscillator, counted here
// in oscillator periods.
bool Cpu8051::SerialTicksOnTimer() const { return (sfr_[sfr::SCON - 0x80] & 0x40) != 0; }

std::uint64_t Cpu8051::SerialTicksPerByte() const {
  const std::uint8_t scon = sfr_[sfr::SCON - 0x80];
  const bool smod = (sfr_[sfr::PCON - 0x80] & 0x80) != 0;
  switch (scon >> 6) {
    case 0:
      return 8 * 12;
    case 2:
      return 11 * (smod ? 32 : 64);
    default: {
      const std::uint64_t bits = (scon >> 6) == 1 ? 10 : 11;
      return bits * (SerialOnTimer2() ? 16 : (smod ? 16 : 32));
    }
  }
}

std::uint64_t Cpu8051::CyclesToTimerOverflows(int timer, std::uint64_t overflows) const {
  if (!TimerRuns(timer)) return kNever;
  const std::uint64_t counts = CountsTo(Load(sfr_, timer), overflows);
  if (timer == 2 && SerialOnTimer2()) return (counts + 5) / 6;
  return counts;
}

std::uint64_t Cpu8051::CyclesToSerialTicks(std::uint64_t ticks) const {
  if (!SerialTicksOnTimer()) return (ticks + 11) / 12;
  return CyclesToTimerOverflows(SerialOnTimer2() ? 2 : 1, ticks);
}

double Cpu8051::SerialCyclesPerBit() const {
  const std::uint8_t scon = sfr_[sfr::SCON - 0x80];
  const bool smod = (sfr_[sfr::PCON - 0x80] & 0x80) != 0;
  if (!SerialTicksOnTimer()) return (scon >> 6) == 0 ? 1.0 : (smod ? 32.0 : 64.0) / 12.0;
  const int timer = SerialOnTimer2() ? 2 : 1;
  if (!TimerRuns(timer)) return 0.0;
  const Counter c = Load(sfr_, timer);
  const double period = static_cast<double>(c.reload ? c.top - c.reload : c.top);
  if (timer == 2) return period * 16.0 / 6.0;
  return period * (smod ? 16.0 : 32.0);
}

void Cpu8051::StartTransmit(std::uint8_t byte) {
  txActive_ = true;
  txByte_ = byte;
  txLeft_ = SerialTicksPerByte();
}

void Cpu8051::SerialReceive(std::uint8_t byte, std::uint64_t notBefore) {
  Sync();
  rxQueue_.push_back({byte, notBefore});
  Reschedule();
}

void Cpu8051::StartReceive() {
  if (rxActive_ || rxQueue_.empty() || !(SfrRaw(sfr::SCON) & kRen)) return;
  if (rxQueue_.front().notBefore > cycles_) return;
  rxActive_ = true;
  rxByte_ = rxQueue_.front().byte;
  rxQueue_.pop_front();
  rxLeft_ = SerialTicksPerByte();
}

void Cpu8051::FinishReceive() {
  rxActive_ = false;
  std::uint8_t& scon = SfrRaw(sfr::SCON);
  if (scon & kRi) {
    ++overruns_;  // the program has not taken the last byte: this one is lost
    return;
  }
  sbufIn_ = rxByte_;
  scon |= kRi | kRb8;  // RB8: the stop bit (or a ninth bit of 1)
  checkInterrupts_ = true;
}

void Cpu8051::AdvanceSerial(std::uint64_t cycles, std::uint64_t ticks) {
  if (!SerialTicksOnTimer()) ticks = cycles * 12;
  if (txActive_) {
    if (txLeft_ <= ticks) {
      txActive_ = false;
      SfrRaw(sfr::SCON) |= kTi;
      checkInterrupts_ = true;
      sent_ = true;
      bus_.SerialSent(txByte_, cycles_);
    } else {
      txLeft_ -= ticks;
    }
  }
  if (rxActive_) {
    if (rxLeft_ <= ticks) {
      FinishReceive();
    } else {
      rxLeft_ -= ticks;
    }
  }
}

void Cpu8051::Sync() {
  const std::uint64_t elapsed = cycles_ - lastSync_;
  lastSync_ = cycles_;
  if (elapsed != 0) {
    const std::uint8_t flagsBefore = SfrRaw(sfr::TCON) & (kTf0 | kTf1);
    const std::uint8_t timer2Before = SfrRaw(sfr::T2CON) & kTf2;
    AdvanceTimer0(elapsed);
    const std::uint64_t t1 = AdvanceTimer1(elapsed);
    const std::uint64_t t2 = AdvanceTimer2(elapsed);
    AdvanceSerial(elapsed, SerialOnTimer2() ? t2 : t1);
    if ((SfrRaw(sfr::TCON) & (kTf0 | kTf1)) != flagsBefore ||
        (SfrRaw(sfr::T2CON) & kTf2) != timer2Before) {
      checkInterrupts_ = true;
    }
  }
  Reschedule();
}

void Cpu8051::Reschedule() {
  StartReceive();
  std::uint64_t next = kNever;
  const std::uint8_t tcon = SfrRaw(sfr::TCON);
  // A timer whose flag is already set changes nothing visible when it overflows again.
  if (!(tcon & kTf0)) next = std::min(next, CyclesToTimerOverflows(0, 1));
  if (!(tcon & kTf1)) {
    next = std::min(next, CyclesToTimerOverflows(3, 1));
    if ((SfrRaw(sfr::TMOD) & 0x03) != 3) next = std::min(next, CyclesToTimerOverflows(1, 1));
  }
  if (!(SfrRaw(sfr::T2CON) & kTf2) && !SerialOnTimer2()) {
    next = std::min(next, CyclesToTimerOverflows(2, 1));
  }
  if (txActive_) next = std::min(next, CyclesToSerialTicks(txLeft_));
  if (rxActive_) {
    next = std::min(next, CyclesToSerialTicks(rxLeft_));
  } else if (!rxQueue_.empty() && (SfrRaw(sfr::SCON) & kRen)) {
    next = std::min(next, rxQueue_.front().notBefore - cycles_);
  }
  nextEvent_ = next == kNever ? kNever : cycles_ + std::max<std::uint64_t>(next, 1);
}

void Cpu8051::SetPortInput(int port, std::uint8_t pins) {
  port &= 3;
  if (port == 3) {
    ChangePort3(SfrRaw(sfr::P3), pins);
  } else {
    portInput_[static_cast<std::size_t>(port)] = pins;
  }
}

void Cpu8051::ChangePort3(std::uint8_t latch, std::uint8_t input) {
  constexpr std::uint8_t kActing = 0x3C;  // INT0, INT1, T0, T1
  const std::uint8_t before = Pins(3);
  const std::uint8_t after = latch & input;
  if (((before ^ after) & kActing) == 0) {
    SfrRaw(sfr::P3) = latch;
    portInput_[3] = input;
    return;
  }
  Sync();  // counted up to now at the old levels
  SfrRaw(sfr::P3) = latch;
  portInput_[3] = input;
  const std::uint8_t fell = before & ~after;
  const std::uint8_t rose = after & ~before;
  ExternalPinChanged(0, fell & 0x04, rose & 0x04);
  ExternalPinChanged(1, fell & 0x08, rose & 0x08);
  if (fell & 0x10) CountPulse(0);
  if (fell & 0x20) CountPulse(1);
  Reschedule();
}

// IE0 or IE1 (`source` 0 or 1): set by a falling edge, or while the pin is low when IT0 or IT1
// asks for the level; in level mode the flag follows the pin back up too.
void Cpu8051::ExternalPinChanged(int source, bool fell, bool rose) {
  const std::uint8_t edgeMode = source == 0 ? 0x01 : 0x04;
  const std::uint8_t flag = source == 0 ? 0x02 : 0x08;
  const std::uint8_t pin = source == 0 ? 0x04 : 0x08;
  std::uint8_t& tcon = SfrRaw(sfr::TCON);
  const bool levelLow = !(tcon & edgeMode) && !(Pins(3) & pin);
  if (fell || levelLow) {
    tcon |= flag;
    checkInterrupts_ = true;
  } else if (rose && !(tcon & edgeMode)) {
    tcon &= static_cast<std::uint8_t>(~flag);
  }
}

// A falling edge on T0 or T1 while the timer counts pulses: one count.
void Cpu8051::CountPulse(int timer) {
  if (!CountsPulses(timer)) return;
  Counter c = Load(sfr_, timer);
  const std::uint64_t overflows = Count(c, 1);
  Store(sfr_, timer, c);
  if (overflows == 0) return;
  // While timer 0 is split, TF1 is TH0's.
  if (timer == 1 && (SfrRaw(sfr::TMOD) & 0x03) == 3) return;
  SfrRaw(sfr::TCON) |= timer == 0 ? kTf0 : kTf1;
  checkInterrupts_ = true;
}

}  // namespace orvane::sim
