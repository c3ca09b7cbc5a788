// The download run: takes the loaded memory image to a board that has just answered the handshake.
// It shows the progress window, sends '*' (still in SendByte from the handshake) and the command
// code of the algorithm chosen in rgDownloadAlg, runs that algorithm from 0x4000, and leaves the
// result text and the Close button in the window. Closing the window is the caller's job.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "board/board_link.h"
#include "board/board_protocol.h"
#include "download/memory_image.h"
#include "ui/views/views.h"

namespace orvane::download {

// One item of rgDownloadAlg: its caption, the tool's name for it, and the command code that
// tells the board what follows.
struct DownloadAlgorithm {
  const char* caption;   // the item of rgDownloadAlg
  const char* toolName;  // the tool's --algorithm value
  std::uint8_t commandCode;
  bool page;  // PageDownload, else ByteDownload
  bool verify;
};

// Indexed by rgDownloadAlg.ItemIndex.
inline constexpr int kDownloadAlgorithmCount = 4;
inline constexpr DownloadAlgorithm kDownloadAlgorithms[kDownloadAlgorithmCount] = {
    {"Page Download Unverified", "page", board::kPageDownloadUnverified, true, false},
    {"Page Download Verified", "page-verified", board::kPageDownloadVerified, true, true},
    {"Byte Download Unverified", "byte", board::kByteDownloadUnverified, false, false},
    // The last caption ends in a blank.
    {"Byte Download Verified ", "byte-verified", board::kByteDownloadVerified, false, true},
};

// The message with which a download command refuses a loaded image before connecting, or none
// when the image can be downloaded: "No data to download" when nothing lies at or above 0x4000,
// "Address range error" when EndAddress is beyond 0x6000 (an end-of-file record may claim any
// address). Call it only after a load that returned LoadOk.
std::optional<std::string> DownloadRefusal(const MemoryImage& image);

// The connection a download command makes before its run. With cbAutoDetect checked: the scan
// over every listed port and rate, which reports its own failure. Otherwise the port and rate
// shown in the combo boxes: "Select COM Port and Baudrate" when either is empty, the board-check
// message when the board does not answer; on success status panels 0, 2 and 3 show "Connected
// at", the port and the rate. True when the board answered; SendByte then holds '*'.
bool ConnectForDownload(board::BoardLink& link);

// Runs one download over the connected port of `link`, with the algorithm chosen in the main
// window's rgDownloadAlg; `form2` is the progress window. Returns true for success; the window
// then reads "Downloading succeded", else "Downloading failure", with its Close button shown.
// When not even the first byte could be written, or the program is to end (the pump's
// EndRequested, asked before the first byte and at each step of the transfer), it keeps its
// waiting text and hidden button.
// Either way the window stays up for the caller to close.
//
// An error that escapes (EComPort from a failing write or read) closes the progress window and
// enables the main window before it goes on to the caller, so no window stays disabled behind
// the error message.
bool DownloadRun(board::BoardLink& link, const MemoryImage& image, ui::ProgressWindowView& form2);

}  // namespace orvane::download
