// The two transfer algorithms that write the memory image into the board's program memory, after
// the download run has sent '*' and the algorithm's command code:
//
//   PageDownload: EndAddress (high, low), then per page of up to 64 bytes that never crosses a
//     multiple of 64: length, address high, address low, the data; the board acknowledges each
//     page with one byte of any value. The verified variant reads back an echo of every byte of
//     the pages; the end address is never echoed.
//   ByteDownload: start high, end high, start low, end low (interleaved), then every byte from
//     start to EndAddress - 1. Every data byte is echoed in both variants; the verified variant
//     also reads back the four header bytes.
//
// Strictly one byte at a time through the board link's SendByte and ReceiveByte: write, then
// wait for the answer where one is expected. The first failure (a write not done, no answer in
// the read time-out, a wrong echo) ends the transfer with nothing more sent. A serial error
// (EComPort) is not caught.
#pragma once

#include <cstdint>

#include "board/board_link.h"
#include "download/memory_image.h"
#include "ui/views/message_pump.h"
#include "ui/views/views.h"

namespace orvane::download {

// Whether the image's range from `start` up to its EndAddress lies inside the 8 KB program
// memory with at least one byte in it. The algorithms send nothing for any other range.
bool TransferRangeFits(const MemoryImage& image, std::uint32_t start);

class Transfer {
 public:
  // `form2` is the progress window (its bar shows the bytes sent); `pump` lets pending window
  // messages run before each page and each data byte, and ends the transfer there once the
  // program is to end.
  Transfer(board::BoardLink& link, const MemoryImage& image, ui::ProgressWindowView& form2,
           ui::MessagePump& pump);

  // True when every page was sent and acknowledged.
  bool PageDownload(std::uint16_t start, bool verify);
  // True when every byte was sent and echoed correctly.
  bool ByteDownload(std::uint16_t start, bool verify);

 private:
  // Sets the bar's range to the bytes a complete transfer sends and repaints the window.
  void PrepareProgress();
  // Puts the byte into SendByte and writes it; true when one byte went out.
  bool Send(std::uint8_t byte);
  // Reads one byte; true when it came within the time-out and equals SendByte.
  bool ReadEcho();
  // Send, then ReadEcho when the variant reads this byte back.
  bool SendChecked(std::uint8_t byte, bool echoed);
  // Lets messages run; true when the program is to end, and the transfer with it.
  bool EndRequested();
  // Lets messages run, steps the bar and sends the image byte of a board address.
  bool SendDataByte(std::uint32_t address, bool echoed);
  void SetReadTimeout(int milliseconds);

  board::BoardLink& link_;
  const MemoryImage& image_;
  ui::ProgressWindowView& form2_;
  ui::MessagePump& pump_;
};

}  // namespace orvane::download
