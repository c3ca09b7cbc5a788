#include "sim/view/board_text.h"

#include <string_view>

#include "ui/drawing/text_escape.h"

namespace orvane::sim {

std::string BitsText(std::uint8_t levels) {
  std::string text;
  for (int bit = 7; bit >= 0; --bit) text += ((levels >> bit) & 1) ? '1' : '0';
  return text;
}

const char* PinGroupName(PinGroup group) {
  static constexpr const char* kNames[] = {"P1", "P3", "PPI A", "PPI B", "PPI C"};
  return kNames[Index(group)];
}

std::string LcdLineText(const LcdSnapshot& lcd, int line) {
  if (!lcd.displayOn) return std::string(LcdSnapshot::kColumns, ' ');
  std::string text;
  for (const std::uint8_t code : lcd.cells[static_cast<std::size_t>(line)]) {
    ui::AppendEscaped(text, code);
  }
  return text;
}

std::string PlainFrame(const BoardSnapshot& snapshot) {
  std::string frame;
  for (const PinGroup group : {PinGroup::P1, PinGroup::PpiA, PinGroup::PpiB, PinGroup::PpiC}) {
    std::string name = PinGroupName(group);
    name.resize(6, ' ');
    frame += name + BitsText(snapshot.levels[Index(group)]) + "\n";
  }
  for (int line = 0; line < LcdSnapshot::kLines; ++line) {
    frame += "LCD " + std::to_string(line + 1) + " |" + LcdLineText(snapshot.lcd, line) + "|\n";
  }
  if (!snapshot.serial.empty()) frame += "UART " + ui::Escaped(snapshot.serial) + "\n";
  return frame;
}

}  // namespace orvane::sim
