// What the serial terminal shows of the bytes a board sent: its text model, portable and free of
// any window. Printable bytes stand as themselves, TAB moves to the next multiple of 8, CR, LF and
// CR LF end a line (also when a read ends between the CR and the LF), every other byte shows as
// \xNN; in hex every byte shows as two digits. Only the last 64 KB of bytes are kept, so memory
// stays bounded however long a board talks; the window redraws from them when asked to.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::ui {

// What the Enter key and the line ends of pasted text send.
enum class LineEnd { Cr, Lf, CrLf };
inline constexpr LineEnd kLineEnds[] = {LineEnd::Cr, LineEnd::Lf, LineEnd::CrLf};
// "CR", "LF", "CR LF": the choice as the window lists it and the settings file keeps it.
const char* LineEndName(LineEnd lineEnd);
std::optional<LineEnd> LineEndFromName(std::string_view name);
std::string_view LineEndBytes(LineEnd lineEnd);
// The text with each of its line ends (CR LF, a lone CR or a lone LF) made `lineEnd`.
std::string WithLineEnds(std::string_view text, LineEnd lineEnd);

class TerminalText {
 public:
  static constexpr std::size_t kKeptBytes = 64 * 1024;
  static constexpr int kTabWidth = 8;
  static constexpr int kHexBytesPerLine = 16;

  // What the display does after a change: add `text` at its end, or, when `redraw`, show `text`
  // in place of everything. Lines end in "\n".
  struct Change {
    std::string text;
    bool redraw = false;
  };

  // Bytes from the board.
  Change Append(std::string_view bytes);
  // A line of the terminal's own ("(paused: downloading)", a port's error), on a line of its own.
  Change Note(std::string_view line);
  Change SetHex(bool hex);
  Change Clear();

  bool Hex() const { return hex_; }
  // Bytes kept (the board's and the notes'); never more than kKeptBytes.
  std::size_t KeptBytes() const { return kept_; }
  // Everything kept, as a redraw shows it.
  std::string Render() const;

 private:
  struct Piece {
    bool note;
    std::string bytes;
  };
  // Where the display's last line stands, for the line ends and TABs of the next bytes.
  struct Cursor {
    int column = 0;
    bool afterCr = false;
  };

  Change Add(Piece piece);
  void Format(const Piece& piece, Cursor& cursor, std::string& out) const;
  void FormatText(unsigned char byte, Cursor& cursor, std::string& out) const;
  void FormatHex(unsigned char byte, Cursor& cursor, std::string& out) const;
  Change Redraw();
  void DropOldest();

  std::deque<Piece> pieces_;
  std::size_t kept_ = 0;
  // Bytes the display took since its last redraw: past a quarter more than is kept, the next
  // change redraws, so the display's text stays bounded too.
  std::size_t shown_ = 0;
  Cursor cursor_;
  bool hex_ = false;
};

}  // namespace orvane::ui
