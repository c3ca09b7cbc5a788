#include "sim/board/board_snapshot.h"

#include <algorithm>

#include "sim/board/board_model.h"

namespace orvane::sim {

namespace {

LcdSnapshot ReadLcd(const LcdHd44780& lcd) {
  LcdSnapshot view;
  for (int line = 0; line < LcdSnapshot::kLines; ++line) {
    view.cells[static_cast<std::size_t>(line)] = lcd.Visible(line);
  }
  view.cgram = lcd.Cgram();
  view.displayOn = lcd.DisplayOn();
  view.cursorOn = lcd.CursorOn();
  view.blinkOn = lcd.BlinkOn();
  if (const auto cell = lcd.CursorCell()) {
    view.cursorLine = cell->first;
    view.cursorColumn = cell->second;
  }
  return view;
}

LcdSnapshot BlankLcd() {
  LcdSnapshot view;
  for (auto& line : view.cells) line.fill(' ');
  return view;
}

}  // namespace

BoardSnapshot ReadBoard(const BoardModel& board) {
  BoardSnapshot snapshot;
  const Cpu8051& cpu = board.Cpu();
  snapshot.programRunning = true;
  snapshot.programEnded = cpu.Stopped();
  snapshot.cycles = cpu.Cycles();
  snapshot.levels[Index(PinGroup::P1)] = cpu.Pins(1);
  snapshot.levels[Index(PinGroup::P3)] = cpu.Pins(3);
  const Ppi8255& ppi = board.Ppi();
  for (int port = 0; port < 3; ++port) {
    const std::size_t group = Index(PinGroup::PpiA) + static_cast<std::size_t>(port);
    snapshot.levels[group] = ppi.Levels(port);
    snapshot.outputs[group] = ppi.OutputMask(port);
    snapshot.switches[static_cast<std::size_t>(port)] = ppi.Inputs(port);
    for (int pin = 0; pin < 8; ++pin) {
      snapshot.edges[group][static_cast<std::size_t>(pin)] = ppi.Edges(port, pin);
    }
  }
  for (int pin = 0; pin < 8; ++pin) {
    snapshot.edges[Index(PinGroup::P1)][static_cast<std::size_t>(pin)] = board.P1Edges(pin);
    snapshot.edges[Index(PinGroup::P3)][static_cast<std::size_t>(pin)] = board.P3Edges(pin);
  }
  snapshot.buttonsPressed = static_cast<std::uint8_t>((board.ButtonPressed(0) ? 1 : 0) |
                                                      (board.ButtonPressed(1) ? 2 : 0));
  snapshot.lcd = ReadLcd(board.Lcd());
  snapshot.serialCount = board.SerialCount();
  snapshot.serialTail = board.SerialTail();
  return snapshot;
}

BoardSnapshot MonitorSnapshot(std::uint8_t buttonsPressed,
                              const std::array<std::uint8_t, 3>& switches) {
  BoardSnapshot snapshot;
  snapshot.buttonsPressed = buttonsPressed;
  snapshot.levels[Index(PinGroup::P3)] = static_cast<std::uint8_t>(~(buttonsPressed << 2));
  snapshot.switches = switches;
  for (std::size_t port = 0; port < 3; ++port) {
    snapshot.levels[Index(PinGroup::PpiA) + port] = switches[port];
  }
  snapshot.lcd = BlankLcd();
  return snapshot;
}

BoardSnapshot BoardLooker::Look(BoardSnapshot reading) {
  // A fresh start counts from nothing again.
  if (!looked_ || reading.run != run_) {
    edges_ = {};
    serialCount_ = 0;
  }
  looked_ = true;
  run_ = reading.run;
  for (std::size_t group = 0; group < edges_.size(); ++group) {
    std::uint8_t busy = 0;
    for (std::size_t pin = 0; pin < 8; ++pin) {
      if (reading.edges[group][pin] - edges_[group][pin] > 2) busy |= 1u << pin;
    }
    reading.busy[group] = busy;
  }
  edges_ = reading.edges;
  // Bytes older than the tail kept are gone: a view that looks that rarely misses them.
  const std::uint64_t fresh = reading.serialCount - std::min(serialCount_, reading.serialCount);
  const std::size_t shown =
      static_cast<std::size_t>(std::min<std::uint64_t>(fresh, reading.serialTail.size()));
  reading.serial = reading.serialTail.substr(reading.serialTail.size() - shown);
  serialCount_ = reading.serialCount;
  return reading;
}

bool ShowsSame(const BoardSnapshot& a, const BoardSnapshot& b) {
  return a.run == b.run && a.programRunning == b.programRunning &&
         a.programEnded == b.programEnded && a.levels == b.levels && a.outputs == b.outputs &&
         a.buttonsPressed == b.buttonsPressed && a.switches == b.switches && a.lcd == b.lcd &&
         a.busy == b.busy && a.serial == b.serial;
}

}  // namespace orvane::sim
