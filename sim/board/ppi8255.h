// The board's 8255 parallel interface in mode 0 (the mode its connectors are wired for): three
// 8-bit ports, each (port C by halves) an input or an output, with the level changes of every
// output pin counted so that a test can see square waves.
#pragma once

#include <array>
#include <cstdint>

namespace orvane::sim {

class Ppi8255 {
 public:
  // Register offsets from the chip's base address.
  static constexpr int kPortA = 0, kPortB = 1, kPortC = 2, kControl = 3;

  Ppi8255() { Reset(); }
  // As after the chip's reset: every port an input.
  void Reset();
  std::uint8_t Read(int offset) const;
  void Write(int offset, std::uint8_t value);

  // Level changes seen on output pin `pin` (0-7) of port `port` (0 A, 1 B, 2 C).
  std::uint64_t Edges(int port, int pin) const { return edges_[port][pin]; }
  std::uint8_t OutputMask(int port) const { return outputMask_[port]; }
  std::uint8_t Latch(int port) const { return latch_[port]; }
  // What the connector's switches drive on port `port`'s pins (high when open); only the pins
  // set as inputs read them.
  void SetInputs(int port, std::uint8_t levels) { inputs_[port] = levels; }
  std::uint8_t Inputs(int port) const { return inputs_[port]; }
  // The levels on the port's pins: the latch on outputs, the switches on inputs.
  std::uint8_t Levels(int port) const {
    const std::uint8_t out = outputMask_[port];
    return static_cast<std::uint8_t>((latch_[port] & out) | (inputs_[port] & ~out));
  }

 private:
  void SetLatch(int port, std::uint8_t value);

  std::array<std::uint8_t, 3> latch_{};
  std::array<std::uint8_t, 3> outputMask_{};
  std::array<std::uint8_t, 3> inputs_{0xFF, 0xFF, 0xFF};
  std::uint8_t control_ = 0x9B;
  std::array<std::array<std::uint64_t, 8>, 3> edges_{};
};

}  // namespace orvane::sim
