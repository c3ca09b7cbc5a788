#include "ui/drawing/text_escape.h"

namespace orvane::ui {

bool ShownAsItself(std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7D && byte != '\\'; }

void AppendEscaped(std::string& text, std::uint8_t byte) {
  if (ShownAsItself(byte)) {
    text += static_cast<char>(byte);
    return;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  text += "\\x";
  text += kHex[byte >> 4];
  text += kHex[byte & 0x0F];
}

std::string Escaped(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char c : bytes) AppendEscaped(text, static_cast<std::uint8_t>(c));
  return text;
}

}  // namespace orvane::ui
