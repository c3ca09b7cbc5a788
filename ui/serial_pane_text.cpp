#include "ui/serial_pane_text.h"

#include "ui/text_escape.h"

namespace orvane::ui {

void SerialPaneText::Append(std::string_view bytes) {
  for (char c : bytes) {
    if (c == '\n') {
      text_ += "\r\n";
    } else if (c != '\r') {
      AppendEscaped(text_, static_cast<std::uint8_t>(c));
    }
  }
  if (text_.size() <= limit_) return;
  // Whole lines go first, so that the pane never starts inside an escape.
  std::size_t cut = text_.size() - limit_;
  const std::size_t lineEnd = text_.find("\r\n", cut);
  cut = lineEnd == std::string::npos ? text_.size() : lineEnd + 2;
  text_.erase(0, cut);
}

}  // namespace orvane::ui
