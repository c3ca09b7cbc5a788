#include "app/serial_terminal.h"

#include <algorithm>
#include <vector>

namespace orvane::app {
namespace {

constexpr const char* kPortClosedNote = "(the port is closed: open it by a download or a test)";
constexpr int kBitsPerByte = 10;  // start, eight data bits, stop

std::string PausedNote(const std::string& what) { return "(paused: " + what + ")"; }

}  // namespace

SerialTerminal::SerialTerminal(serial::TCustomComPort& port, ui::CommandGuard& commands,
                               TerminalDisplay& display)
    : port_(port), commands_(commands), display_(display) {
  port_.OnRxChar = [this](serial::TCustomComPort&, std::int32_t) { ReadArrived(); };
  commands_.AddListener(*this);
}

SerialTerminal::~SerialTerminal() {
  port_.OnRxChar = nullptr;
  commands_.RemoveListener(*this);
}

void SerialTerminal::SetFollowing(bool following) {
  if (following == following_) return;
  following_ = following;
  if (!following_) return;
  if (commands_.Running()) {
    Note(PausedNote(commands_.What()));
  } else if (!port_.Connected()) {
    NoteClosedOnce();
  } else {
    ReadArrived();
  }
}

void SerialTerminal::ReadArrived() {
  if (!following_ || commands_.Running() || !port_.Connected()) return;
  closedNoted_ = false;
  std::string bytes;
  try {
    std::vector<char> buffer;
    for (std::int32_t waiting = port_.PendingInputCount();
         waiting > 0 && bytes.size() < kMostReadAtOnce; waiting = port_.PendingInputCount()) {
      buffer.resize(std::min<std::size_t>(static_cast<std::size_t>(waiting), kMostReadAtOnce));
      const std::int32_t got = port_.Read(buffer.data(), static_cast<std::int32_t>(buffer.size()));
      if (got <= 0) break;
      bytes.append(buffer.data(), static_cast<std::size_t>(got));
    }
  } catch (const serial::EComPort& error) {
    display_.ShowChange(text_.Append(bytes));
    Fail(error);
    return;
  }
  display_.ShowChange(text_.Append(bytes));
}

bool SerialTerminal::CanSend() {
  if (commands_.Running()) return false;
  if (port_.Connected()) {
    closedNoted_ = false;
    return true;
  }
  NoteClosedOnce();
  return false;
}

void SerialTerminal::NoteClosedOnce() {
  if (!closedNoted_) Note(kPortClosedNote);
  closedNoted_ = true;
}

void SerialTerminal::Send(std::string_view bytes) {
  try {
    port_.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  } catch (const serial::EComPort& error) {
    Fail(error);
  }
}

void SerialTerminal::Type(std::string_view keys) {
  if (keys.empty() || !CanSend()) return;
  Send(ui::WithLineEnds(keys, lineEnd_));
}

void SerialTerminal::Paste(std::string_view text) {
  if (text.empty() || (!commands_.Running() && !CanSend())) return;
  pasted_ += ui::WithLineEnds(text, lineEnd_);
}

void SerialTerminal::SendPastedChunk(std::chrono::microseconds elapsed) {
  if (pasted_.empty() || commands_.Running()) return;
  if (!CanSend()) {
    pasted_.clear();
    pasteWait_ = {};
    return;
  }
  pasteWait_ -= std::max(elapsed, std::chrono::microseconds(0));
  if (pasteWait_.count() > 0) return;
  const std::size_t size = std::min(kLongestBurst, pasted_.size());
  std::int32_t sent = 0;
  try {
    sent = port_.Write(pasted_.data(), static_cast<std::int32_t>(size));
  } catch (const serial::EComPort& error) {
    Fail(error);
    return;
  }
  sent = std::max(sent, 0);
  pasted_.erase(0, static_cast<std::size_t>(sent));
  std::int32_t bits = serial::BaudRateToBits(port_.BaudRate());
  if (bits <= 0) bits = port_.CustomBaudRate();
  // The burst's time on the line, and the pause after it.
  const long long burstUs = 1000000LL * kBitsPerByte * sent / std::max(bits, 1);
  pasteWait_ = pasted_.empty() ? std::chrono::microseconds(0)
                               : std::chrono::microseconds(burstUs * 100 / kPastePacePercent);
}

void SerialTerminal::CommandStarted(const std::string& what) {
  if (following_) Note(PausedNote(what));
}

void SerialTerminal::CommandEnded() { ReadArrived(); }

void SerialTerminal::Fail(const serial::EComPort& error) {
  pasted_.clear();
  pasteWait_ = {};
  Note(error.what());
  try {
    port_.Close();
  } catch (const serial::EComPort&) {
    // Already closed by the failed call, or closing failed too: either way the next command
    // opens the device anew.
  }
}

}  // namespace orvane::app
