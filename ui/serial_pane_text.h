// The text of a pane that shows what a program sends on its serial line: each line feed starts
// a new line, a carriage return is dropped (programs end lines with either or both), and every
// other byte stands as the views show bytes (text_escape.h). The pane keeps the newest text
// only, so that a program that talks for hours does not fill memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::ui {

class SerialPaneText {
 public:
  static constexpr std::size_t kDefaultLimit = 16 * 1024;
  explicit SerialPaneText(std::size_t limit = kDefaultLimit) : limit_(limit) {}

  void Append(std::string_view bytes);
  void Clear() { text_.clear(); }
  // Lines end in CR LF, as a Windows edit box wants them.
  const std::string& Text() const { return text_; }

 private:
  std::size_t limit_;
  std::string text_;
};

}  // namespace orvane::ui
