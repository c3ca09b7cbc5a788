#include "sim/cpu/cpu8051.h"

#include <bit>

namespace orvane::sim {

namespace {

// Interrupt sources in their fixed polling order: external 0, timer 0, external 1, timer 1,
// serial port, timer 2. The bit of each in IE and IP is its index here.
constexpr std::uint16_t kVectors[] = {0x0003, 0x000B, 0x0013, 0x001B, 0x0023, 0x002B};

}  // namespace

Cpu8051::Cpu8051(Cpu8051Bus& bus) : bus_(bus) { Reset(); }

void Cpu8051::Reset() {
  sfr_.fill(0);
  for (std::uint8_t port : {sfr::P0, sfr::P1, sfr::P2, sfr::P3}) SfrRaw(port) = 0xFF;
  SfrRaw(sfr::SP) = 0x07;
  pc_ = 0;
  bank_ = 0;
  inService_ = 0;
  checkInterrupts_ = false;
  holdOff_ = false;
  idle_ = false;
  stopped_ = false;
  waitLoop_ = false;
  unrouted_.reset();
  sbufIn_ = 0;
  txActive_ = false;
  rxActive_ = false;
  rxQueue_.clear();
  lastSync_ = cycles_;
  nextEvent_ = kNever;
}

std::uint8_t Cpu8051::Psw() {
  // The parity flag is not stored: it is always the parity of ACC, so it is made when read.
  const std::uint8_t parity = static_cast<std::uint8_t>(std::popcount(Acc()) & 1);
  return static_cast<std::uint8_t>((PswRaw() & ~kParity) | parity);
}

std::uint8_t Cpu8051::ReadSfr(std::uint8_t address) {
  switch (address) {
    case sfr::PSW:
      return Psw();
    case sfr::P0:
    case sfr::P1:
    case sfr::P2:
    case sfr::P3:
      return SfrRaw(address) & portInput_[(address - sfr::P0) >> 4];
    case sfr::SBUF:
      return sbufIn_;
    case sfr::TL0:
    case sfr::TH0:
    case sfr::TL1:
    case sfr::TH1:
    case sfr::TL2:
    case sfr::TH2:
      Sync();  // the counts move between events; the flags only at them
      return SfrRaw(address);
    default:
      return SfrRaw(address);
  }
}

void Cpu8051::WriteSfr(std::uint8_t address, std::uint8_t value) {
  switch (address) {
    case sfr::PSW:
      PswRaw() = value;
      bank_ = value & 0x18;
      return;
    case sfr::P0:
    case sfr::P1:
    case sfr::P2:
    case sfr::P3: {
      const std::uint8_t before = SfrRaw(address);
      if (address == sfr::P3) {
        ChangePort3(value, portInput_[3]);  // its pins act inside the chip too
      } else {
        SfrRaw(address) = value;
      }
      if (before != value) bus_.PortWritten((address - sfr::P0) >> 4, before, value, cycles_);
      return;
    }
    case sfr::IE:
    case sfr::IP:
      SfrRaw(address) = value;
      checkInterrupts_ = true;
      holdOff_ = true;
      return;
    case sfr::SBUF:
      Sync();
      StartTransmit(value);
      Reschedule();
      return;
    case sfr::PCON:
      Sync();
      SfrRaw(address) = value & 0xFC;     // the mode bits act once and read back as 0
      if (value & 0x02) stopped_ = true;  // power-down: only a reset ends it
      if (value & 0x01) idle_ = true;     // idle: an interrupt ends it
      Reschedule();
      return;
    case sfr::TCON:
    case sfr::TMOD:
    case sfr::TL0:
    case sfr::TH0:
    case sfr::TL1:
    case sfr::TH1:
    case sfr::SCON:
    case sfr::T2CON:
    case sfr::RCAP2L:
    case sfr::RCAP2H:
    case sfr::TL2:
    case sfr::TH2:
      Sync();  // count up to now under the old settings
      SfrRaw(address) = value;
      if (address == sfr::TCON) {
        // In level mode the flags follow the pins: one cleared while its pin is low comes back.
        ExternalPinChanged(0, false, false);
        ExternalPinChanged(1, false, false);
      }
      checkInterrupts_ = true;
      Reschedule();
      return;
    default:
      SfrRaw(address) = value;
      return;
  }
}

bool Cpu8051::CheckInterrupts() {
  const bool hold = holdOff_;
  holdOff_ = false;
  const std::uint8_t ie = SfrRaw(sfr::IE);
  const std::uint8_t tcon = SfrRaw(sfr::TCON);
  const std::uint8_t scon = SfrRaw(sfr::SCON);
  const std::uint8_t t2con = SfrRaw(sfr::T2CON);
  const unsigned requests = (tcon >> 1 & 1) | (tcon >> 5 & 1) << 1 | (tcon >> 3 & 1) << 2 |
                            (tcon >> 7 & 1) << 3 | ((scon & 0x03) != 0) << 4 |
                            ((t2con & 0xC0) != 0) << 5;
  const unsigned enabled = (ie & 0x80) ? requests & ie & 0x3F : 0;
  if (enabled == 0) {
    checkInterrupts_ = false;  // a flag or IE changing sets it again
    return false;
  }
  if (hold) return false;  // one instruction first, then look again
  const unsigned high = enabled & SfrRaw(sfr::IP);
  if (high != 0 && (inService_ & 2) == 0) {
    Vector(std::countr_zero(high), 2);
    return true;
  }
  if (inService_ == 0) {
    Vector(std::countr_zero(enabled), 1);
    return true;
  }
  checkInterrupts_ = false;  // waits for a RETI
  return false;
}

void Cpu8051::Vector(int source, int level) {
  // The timer and external flags are cleared by the call; the serial and timer 2 flags are the
  // program's to clear, since it must find out which of the two caused it.
  static constexpr std::uint8_t kClearedInTcon[] = {0x02, 0x20, 0x08, 0x80, 0, 0};
  if (kClearedInTcon[source] != 0) {
    // The timers up to now first: overflows while the flag stood set are part of this call.
    Sync();
    SfrRaw(sfr::TCON) &= static_cast<std::uint8_t>(~kClearedInTcon[source]);
    // A low level that still stands asks again at once.
    if (source == 0 || source == 2) ExternalPinChanged(source / 2, false, false);
    Reschedule();  // with its flag clear, the timer's next overflow is an event again
  }
  Push(static_cast<std::uint8_t>(pc_));
  Push(static_cast<std::uint8_t>(pc_ >> 8));
  pc_ = kVectors[source];
  inService_ |= static_cast<std::uint8_t>(level);
  cycles_ += 2;  // the hardware's LCALL
  idle_ = false;
}

void Cpu8051::Reti() {
  std::uint16_t pc = static_cast<std::uint16_t>(Pop() << 8);
  pc = static_cast<std::uint16_t>(pc | Pop());
  pc_ = pc;
  inService_ &= (inService_ & 2) ? 1 : 0;
  checkInterrupts_ = true;
  holdOff_ = true;
}

}  // namespace orvane::sim
