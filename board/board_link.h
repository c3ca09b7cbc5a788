// The board link: the connection to the board (open the port, DTR pulse, handshake), the scan
// over every listed port and rate, and the reaction to the auto-detection check box. It reaches
// the main window only through the small views of ui/views/main_window_controls.h, so the Windows
// program, the command-line tool and the tests all drive this one implementation.
//
// Every exchange with the board goes through the two one-byte buffers SendByte and ReceiveByte:
// WriteSendByte writes the byte in SendByte, ReadReceiveByte reads one byte into ReceiveByte and
// leaves it as it was when none came. After a successful handshake SendByte holds '*', which the
// command that follows sends first.
#pragma once

#include <cstdint>
#include <string>

#include "serial/com_device.h"
#include "serial/com_port.h"
#include "ui/views/main_window_controls.h"

namespace orvane::board {

class BoardLink {
 public:
  BoardLink(serial::TComPort& comPort, ui::MainWindowControls& controls);
  BoardLink(const BoardLink&) = delete;
  BoardLink& operator=(const BoardLink&) = delete;

  std::uint8_t SendByte = 0;
  std::uint8_t ReceiveByte = 0;

  // Opens portText at the rate of baudText and does the handshake; true when the board answered.
  // Shows "Please select COM and Baudrate" for an empty text and "<port> already used by other
  // application" when the port cannot be opened; a handshake that fails shows nothing and leaves
  // the port open. An EComPort raised after the port opened is not caught.
  bool ConnectBoard(const std::string& portText, const std::string& baudText);
  // Tries every entry of cbCOMOption (in order) at every entry of cbBaudrateOption (last to
  // first), repeatCount times, until the board answers; true leaves the port open there with
  // both combo boxes showing it. False closes the port and shows the board-check message; once
  // the program is to end (the pump's EndRequested) the scan stops before its next attempt, and
  // closes the port without the message.
  bool ScanForBoard(int repeatCount);
  // The OnClick handler of cbAutoDetect.
  void cbAutoDetectClick();

  // Write the byte in SendByte; true when one byte was written.
  bool WriteSendByte();
  // Read one byte into ReceiveByte within the read time-out; true when one came.
  bool ReadReceiveByte();

  // The platform's error number of the last ConnectBoard whose port did not open (EComPort's
  // SystemErrorCode); kSuccess when it opened. The window tells the user the same whatever the
  // cause; the command-line tool suggests what to do about each.
  serial::SysError LastOpenError() const { return lastOpenError_; }

  serial::TComPort& Port() { return ComPort1; }
  ui::MainWindowControls& Controls() { return controls_; }

 private:
  // A scan that found nothing: the port closed, the message when `tell`, the panels emptied.
  bool EndScan(bool tell);

  serial::TComPort& ComPort1;
  ui::MainWindowControls& controls_;
  serial::SysError lastOpenError_ = serial::kSuccess;
};

}  // namespace orvane::board
