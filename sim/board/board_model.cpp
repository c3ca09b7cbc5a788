#include "sim/board/board_model.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvane::sim {

std::optional<SerialTiming> SerialTimingFor(std::uint32_t baud) {
  if (baud == 0) return std::nullopt;
  // Mode 1 rate = 2^SMOD / 32 * crystal / 12 / (256 - TH1). Prefer SMOD 0 when both fit.
  for (bool smod : {false, true}) {
    const double divider = (smod ? 2.0 : 1.0) * kMachineCyclesPerSecond / 32.0 / baud;
    const long counts = std::lround(divider);
    if (counts < 1 || counts > 256) continue;
    if (std::abs(divider - static_cast<double>(counts)) / divider > 0.01) continue;
    return SerialTiming{static_cast<std::uint8_t>(256 - counts), smod};
  }
  return std::nullopt;
}

std::optional<StuckBit> ParseStuckBit(const std::string& text) {
  long address = 0;
  int bit = 0;
  int value = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%li:%i:%i%c", &address, &bit, &value, &end) != 3) {
    return std::nullopt;
  }
  if (address < kExternalRamBase || address > 0xFFFF || bit < 0 || bit > 7 || value < 0 ||
      value > 1) {
    return std::nullopt;
  }
  return StuckBit{static_cast<std::uint16_t>(address), bit, value == 1};
}

BoardModel::BoardModel() : cpu_(*this) {
  cpu_.Code().fill(0xFF);
  InstallMonitorVectors();
}

void BoardModel::InstallMonitorVectors() {
  auto& code = cpu_.Code();
  for (std::uint16_t vector : {0x0000, 0x0003, 0x000B, 0x0013, 0x001B, 0x0023, 0x002B}) {
    const std::uint16_t target = static_cast<std::uint16_t>(kProgramStart + vector);
    code[vector] = 0x02;  // LJMP
    code[vector + 1u] = static_cast<std::uint8_t>(target >> 8);
    code[vector + 2u] = static_cast<std::uint8_t>(target);
  }
}

void BoardModel::LoadProgram(const std::array<std::uint8_t, download::ImageSize>& memory) {
  std::copy(memory.begin(), memory.end(), cpu_.Code().begin() + kProgramStart);
}

void BoardModel::StartProgram(std::uint32_t baud) {
  cpu_.Reset();
  // A rate timer 1 cannot make leaves the fastest it can: the line then garbles every byte.
  const SerialTiming timing = SerialTimingFor(baud).value_or(SerialTiming{0xFF, true});
  cpu_.SetSfr(sfr::PCON, timing.smod ? 0x80 : 0x00);
  cpu_.SetSfr(sfr::TMOD, 0x20);
  cpu_.SetSfr(sfr::TH1, timing.th1);
  cpu_.SetSfr(sfr::TL1, timing.th1);
  cpu_.SetSfr(sfr::SCON, 0x52);
  cpu_.SetSfr(sfr::TCON, 0x40);  // TR1
  cpu_.SetPc(kProgramStart);
}

std::uint8_t BoardModel::ReadData(std::uint16_t address, std::uint64_t cycle) {
  if (address >= kExternalRamBase) {
    std::uint8_t value = ram_[address - kExternalRamBase];
    if (stuck_ && stuck_->address == address) {
      const std::uint8_t mask = static_cast<std::uint8_t>(1u << stuck_->bit);
      value = stuck_->value ? value | mask : value & ~mask;
    }
    return value;
  }
  if (address >= kProgramStart && address < download::ImageLimit) return cpu_.Code()[address];
  if ((address & 0xFFFC) == kPpiBase) return ppi_.Read(address & 3);
  switch (address) {
    case kLcdBase + 2:
      return lcd_.ReadStatus(cycle);
    case kLcdBase + 3:
      return lcd_.ReadData(cycle);
    default:
      return 0xFF;
  }
}

void BoardModel::WriteData(std::uint16_t address, std::uint8_t value, std::uint64_t cycle) {
  if (address >= kExternalRamBase) {
    ram_[address - kExternalRamBase] = value;
  } else if (address >= kProgramStart && address < download::ImageLimit) {
    cpu_.Code()[address] = value;  // the program memory chip is writable as data
  } else if ((address & 0xFFFC) == kPpiBase) {
    ppi_.Write(address & 3, value);
  } else if (address == kLcdBase) {
    lcd_.WriteInstruction(value, cycle);
  } else if (address == kLcdBase + 1) {
    lcd_.WriteData(value, cycle);
  }
}

void BoardModel::CountEdges(std::array<std::uint64_t, 8>& edges, std::uint8_t changed) {
  for (int pin = 0; pin < 8; ++pin) {
    if (changed & (1u << pin)) ++edges[static_cast<std::size_t>(pin)];
  }
}

void BoardModel::PortWritten(int port, std::uint8_t before, std::uint8_t after, std::uint64_t) {
  if (port == 1) CountEdges(p1Edges_, before ^ after);
  // A pressed button holds its pin low whatever the latch says.
  if (port == 3) CountEdges(p3Edges_, (before ^ after) & ButtonLevels());
}

void BoardModel::SetButton(int button, bool pressed) {
  if (button < 0 || button > 1) return;  // the board has two: INT0 and INT1
  const std::uint8_t bit = static_cast<std::uint8_t>(1u << button);
  buttons_ = pressed ? buttons_ | bit : buttons_ & ~bit;
  const std::uint8_t before = cpu_.Pins(3);
  cpu_.SetPortInput(3, ButtonLevels());
  CountEdges(p3Edges_, before ^ cpu_.Pins(3));
}

void BoardModel::SerialSent(std::uint8_t byte, std::uint64_t cycle) {
  ++serialCount_;
  serialTail_ += static_cast<char>(byte);
  // Trimmed by halves, so that keeping the tail costs little per byte.
  if (serialTail_.size() >= 2 * kSerialKept) serialTail_.erase(0, serialTail_.size() - kSerialKept);
  if (serialSink_) serialSink_(byte, cycle);
}

std::string BoardModel::Report() const {
  auto edges = [](const auto& count) {
    std::string text;
    for (int pin = 0; pin < 8; ++pin) text += (pin ? " " : "") + std::to_string(count(pin));
    return text;
  };
  std::string report = "P1 edges: " + edges([&](int pin) { return p1Edges_[pin]; }) + "\n";
  static constexpr const char* kPortNames[] = {"A", "B", "C"};
  for (int port = 0; port < 3; ++port) {
    report += std::string("PPI ") + kPortNames[port] +
              " edges: " + edges([&](int pin) { return ppi_.Edges(port, pin); }) + "\n";
  }
  report += "LCD 1: " + lcd_.Line(0) + "\n";
  report += "LCD 2: " + lcd_.Line(1) + "\n";
  return report;
}

}  // namespace orvane::sim
