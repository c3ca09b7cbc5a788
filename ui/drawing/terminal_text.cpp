#include "ui/drawing/terminal_text.h"

#include "ui/drawing/text_escape.h"

namespace orvane::ui {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kTab = '\t';
constexpr int kEscapeWidth = 4;  // \xNN

}  // namespace

const char* LineEndName(LineEnd lineEnd) {
  switch (lineEnd) {
    case LineEnd::Cr:
      return "CR";
    case LineEnd::Lf:
      return "LF";
    case LineEnd::CrLf:
      return "CR LF";
  }
  return "CR";
}

std::optional<LineEnd> LineEndFromName(std::string_view name) {
  for (LineEnd lineEnd : kLineEnds) {
    if (name == LineEndName(lineEnd)) return lineEnd;
  }
  return std::nullopt;
}

std::string_view LineEndBytes(LineEnd lineEnd) {
  switch (lineEnd) {
    case LineEnd::Cr:
      return "\r";
    case LineEnd::Lf:
      return "\n";
    case LineEnd::CrLf:
      return "\r\n";
  }
  return "\r";
}

std::string WithLineEnds(std::string_view text, LineEnd lineEnd) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != kCr && c != kLf) {
      out += c;
      continue;
    }
    out += LineEndBytes(lineEnd);
    if (c == kCr && i + 1 < text.size() && text[i + 1] == kLf) ++i;
  }
  return out;
}

TerminalText::Change TerminalText::Append(std::string_view bytes) {
  if (bytes.empty()) return {};
  return Add({false, std::string(bytes)});
}

TerminalText::Change TerminalText::Note(std::string_view line) {
  return Add({true, std::string(line)});
}

TerminalText::Change TerminalText::SetHex(bool hex) {
  hex_ = hex;
  return Redraw();
}

TerminalText::Change TerminalText::Clear() {
  pieces_.clear();
  kept_ = 0;
  return Redraw();
}

std::string TerminalText::Render() const {
  std::string out;
  Cursor cursor;
  for (const Piece& piece : pieces_) Format(piece, cursor, out);
  return out;
}

TerminalText::Change TerminalText::Add(Piece piece) {
  kept_ += piece.bytes.size();
  shown_ += piece.bytes.size();
  pieces_.push_back(std::move(piece));
  DropOldest();
  if (shown_ > kKeptBytes + kKeptBytes / 4) return Redraw();
  Change change;
  Format(pieces_.back(), cursor_, change.text);
  return change;
}

void TerminalText::DropOldest() {
  while (kept_ > kKeptBytes) {
    Piece& oldest = pieces_.front();
    const std::size_t excess = kept_ - kKeptBytes;
    if (oldest.bytes.size() <= excess) {
      kept_ -= oldest.bytes.size();
      pieces_.pop_front();
    } else {
      oldest.bytes.erase(0, excess);
      kept_ -= excess;
    }
  }
}

TerminalText::Change TerminalText::Redraw() {
  Change change{{}, true};
  cursor_ = {};
  for (const Piece& piece : pieces_) Format(piece, cursor_, change.text);
  shown_ = kept_;
  return change;
}

void TerminalText::Format(const Piece& piece, Cursor& cursor, std::string& out) const {
  if (piece.note) {
    if (cursor.column > 0) out += kLf;
    out += piece.bytes;
    out += kLf;
    cursor = {};
    return;
  }
  for (char c : piece.bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (hex_) {
      FormatHex(byte, cursor, out);
    } else {
      FormatText(byte, cursor, out);
    }
  }
}

void TerminalText::FormatText(unsigned char byte, Cursor& cursor, std::string& out) const {
  const bool afterCr = cursor.afterCr;
  cursor.afterCr = false;
  if (byte == kCr || byte == kLf) {
    // The LF of a CR LF ends no second line.
    if (byte == kLf && afterCr) return;
    out += kLf;
    cursor.column = 0;
    cursor.afterCr = byte == kCr;
    return;
  }
  if (byte == kTab) {
    const int blanks = kTabWidth - cursor.column % kTabWidth;
    out.append(static_cast<std::size_t>(blanks), ' ');
    cursor.column += blanks;
    return;
  }
  AppendEscaped(out, byte);
  cursor.column += ShownAsItself(byte) ? 1 : kEscapeWidth;
}

void TerminalText::FormatHex(unsigned char byte, Cursor& cursor, std::string& out) const {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (cursor.column > 0) out += ' ';
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
  // Lines of sixteen, and a line end after the board's own LF keeps its lines apart.
  if (++cursor.column == kHexBytesPerLine || byte == kLf) {
    out += kLf;
    cursor.column = 0;
  }
}

}  // namespace orvane::ui
