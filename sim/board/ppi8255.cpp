#include "sim/board/ppi8255.h"

namespace orvane::sim {

void Ppi8255::Reset() {
  latch_.fill(0);
  outputMask_.fill(0);
  control_ = 0x9B;
}

std::uint8_t Ppi8255::Read(int offset) const {
  if (offset == kControl) return control_;
  return Levels(offset);
}

void Ppi8255::SetLatch(int port, std::uint8_t value) {
  const std::uint8_t changed = (latch_[port] ^ value) & outputMask_[port];
  for (int pin = 0; pin < 8; ++pin) {
    if (changed & (1u << pin)) ++edges_[port][pin];
  }
  latch_[port] = value;
}

void Ppi8255::Write(int offset, std::uint8_t value) {
  if (offset != kControl) {
    SetLatch(offset, value);
    return;
  }
  if (value & 0x80) {
    // Mode set: the direction bits choose inputs; every output latch starts at 0. Only mode 0
    // is wired on the board, so the mode bits are otherwise ignored.
    control_ = value;
    outputMask_[kPortA] = (value & 0x10) ? 0x00 : 0xFF;
    outputMask_[kPortB] = (value & 0x02) ? 0x00 : 0xFF;
    outputMask_[kPortC] =
        static_cast<std::uint8_t>(((value & 0x08) ? 0x00 : 0xF0) | ((value & 0x01) ? 0x00 : 0x0F));
    for (int port = 0; port < 3; ++port) SetLatch(port, 0);
    return;
  }
  // Bit set/reset of one port C pin.
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << ((value >> 1) & 7));
  SetLatch(kPortC, (value & 1) ? latch_[kPortC] | mask : latch_[kPortC] & ~mask);
}

}  // namespace orvane::sim
