// The serial terminal's logic, free of any window: it follows the main window's port while that
// is open and no command runs, reading what has arrived each time the port's event thread says
// bytes came; it sends typed keys at once and pasted text in chunks a timer paces. While a
// command runs it reads nothing at all (the scan and the transfers let messages run between
// bytes, and the board's answers are theirs); when the command ends it reads first what arrived
// since, so a program that greets the user at its start is shown from its first line.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "serial/com_port.h"
#include "ui/drawing/terminal_text.h"
#include "ui/views/command_guard.h"

namespace orvane::app {

// Where the terminal's text is shown.
class TerminalDisplay {
 public:
  virtual ~TerminalDisplay() = default;
  virtual void ShowChange(const ui::TerminalText::Change& change) = 0;
};

class SerialTerminal : public ui::CommandListener {
 public:
  // The pace of pasted text: bursts of at most kLongestBurst bytes, each once the line has
  // carried the last one and a ninth of its time more, so the text goes a little below the
  // line's pace (nine tenths of it, less a tick's wait now and then). A board that echoes spends a
  // little more than a byte's time on each byte it sends back (it waits for the last one to have
  // gone out): on an unbroken stream it falls behind and its one-byte receive buffer overruns
  // after a few dozen bytes. The pause after each burst lets it catch up. The window looks every
  // kPasteTickMs, a burst at the fastest rate lasting some 6 ms.
  static constexpr int kPasteTickMs = 1;
  static constexpr int kPastePacePercent = 90;
  static constexpr std::size_t kLongestBurst = 32;
  // The most one received-bytes event reads, so a fast board cannot hold the window.
  static constexpr std::size_t kMostReadAtOnce = 16 * 1024;

  // Takes the port's received-bytes handler and listens to `commands` until it goes.
  SerialTerminal(serial::TCustomComPort& port, ui::CommandGuard& commands,
                 TerminalDisplay& display);
  ~SerialTerminal() override;
  SerialTerminal(const SerialTerminal&) = delete;
  SerialTerminal& operator=(const SerialTerminal&) = delete;

  // The window is shown (following) or hidden: hidden, it leaves the port's bytes alone.
  void SetFollowing(bool following);
  bool Following() const { return following_; }
  // The port's received-bytes event; also what a command's end does. Reads only what has arrived.
  void ReadArrived();

  // Keys typed: sent at once, Enter (CR) as the chosen line end.
  void Type(std::string_view keys);
  // Pasted text, its line ends made the chosen one, queued for SendPastedChunk.
  void Paste(std::string_view text);
  // Sends the next burst of what was pasted if the last one has had its time, `elapsed` being the
  // time since the last call (nothing while a command runs).
  void SendPastedChunk(std::chrono::microseconds elapsed = std::chrono::milliseconds(kPasteTickMs));
  std::size_t PasteWaiting() const { return pasted_.size(); }

  ui::LineEnd LineEnd() const { return lineEnd_; }
  void SetLineEnd(ui::LineEnd lineEnd) { lineEnd_ = lineEnd; }
  void SetHex(bool hex) { display_.ShowChange(text_.SetHex(hex)); }
  void Clear() { display_.ShowChange(text_.Clear()); }
  const ui::TerminalText& Text() const { return text_; }

  // ---- ui::CommandListener ----
  void CommandStarted(const std::string& what) override;
  void CommandEnded() override;

 private:
  // The port can take bytes now; if not, says why once.
  bool CanSend();
  // Says once, until the port is seen open again, that nothing can be sent.
  void NoteClosedOnce();
  void Send(std::string_view bytes);
  // A read or write failed (a cable pulled): the port's message shown, the port closed, so the
  // next command opens it anew.
  void Fail(const serial::EComPort& error);
  void Note(std::string_view line) { display_.ShowChange(text_.Note(line)); }

  serial::TCustomComPort& port_;
  ui::CommandGuard& commands_;
  TerminalDisplay& display_;
  ui::TerminalText text_;
  ui::LineEnd lineEnd_ = ui::LineEnd::Cr;
  std::string pasted_;
  std::chrono::microseconds pasteWait_{0};  // until the next burst may go
  bool following_ = false;
  bool closedNoted_ = false;
};

}  // namespace orvane::app
