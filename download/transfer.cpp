#include "download/transfer.h"

#include <algorithm>

#include "board/board_protocol.h"

namespace orvane::download {
namespace {

std::uint8_t HighByte(std::uint32_t address) { return static_cast<std::uint8_t>(address >> 8); }
std::uint8_t LowByte(std::uint32_t address) { return static_cast<std::uint8_t>(address); }

}  // namespace

bool TransferRangeFits(const MemoryImage& image, std::uint32_t start) {
  return start >= ImageBase && start < image.EndAddress && image.EndAddress <= ImageLimit;
}

Transfer::Transfer(board::BoardLink& link, const MemoryImage& image, ui::ProgressWindowView& form2,
                   ui::MessagePump& pump)
    : link_(link), image_(image), form2_(form2), pump_(pump) {}

void Transfer::PrepareProgress() {
  form2_.ProgressBar().SetMax(static_cast<int>(image_.EndAddress - ImageBase));
  form2_.Repaint();
}

void Transfer::SetReadTimeout(int milliseconds) {
  link_.Port().Timeouts().SetReadTotalConstant(milliseconds);
}

bool Transfer::Send(std::uint8_t byte) {
  link_.SendByte = byte;
  return link_.WriteSendByte();
}

bool Transfer::ReadEcho() { return link_.ReadReceiveByte() && link_.ReceiveByte == link_.SendByte; }

bool Transfer::SendChecked(std::uint8_t byte, bool echoed) {
  if (!Send(byte)) return false;
  return !echoed || ReadEcho();
}

bool Transfer::EndRequested() {
  pump_.ProcessMessages();
  return pump_.EndRequested();
}

bool Transfer::SendDataByte(std::uint32_t address, bool echoed) {
  if (EndRequested()) return false;
  form2_.ProgressBar().StepIt();
  return SendChecked(image_.bytes[address - ImageBase], echoed);
}

bool Transfer::PageDownload(std::uint16_t start, bool verify) {
  // An image reaching past the program memory (an end-of-file record can claim any address) or
  // holding nothing would make the board write, and us read, outside the 8 KB: nothing is sent.
  if (!TransferRangeFits(image_, start)) return false;
  const std::uint32_t end = image_.EndAddress;
  PrepareProgress();
  SetReadTimeout(board::kTransferEchoTimeoutMs);
  // The board takes the end address without echoing it, in both variants.
  if (!Send(HighByte(end)) || !Send(LowByte(end))) return false;

  std::uint32_t page = start;
  for (;;) {
    if (EndRequested()) return false;
    const std::uint32_t pageEnd =
        std::min<std::uint32_t>((page / board::kPageSize + 1) * board::kPageSize, end);
    if (!SendChecked(static_cast<std::uint8_t>(pageEnd - page), verify)) return false;
    if (!SendChecked(HighByte(page), verify)) return false;
    if (!SendChecked(LowByte(page), verify)) return false;
    for (std::uint32_t address = page; address < pageEnd; ++address) {
      if (!SendDataByte(address, verify)) return false;
    }
    // The acknowledgement's value carries nothing; only its coming counts. From here on every
    // answer may wait behind a page write, so the longer time-out stays.
    SetReadTimeout(board::kPageAcknowledgeTimeoutMs);
    if (!link_.ReadReceiveByte()) return false;
    if (pageEnd == end) return true;
    page = pageEnd;
  }
}

bool Transfer::ByteDownload(std::uint16_t start, bool verify) {
  if (!TransferRangeFits(image_, start)) return false;
  const std::uint32_t end = image_.EndAddress;
  PrepareProgress();
  SetReadTimeout(board::kTransferEchoTimeoutMs);
  // The two addresses go out interleaved: both high bytes, then both low bytes.
  if (!SendChecked(HighByte(start), verify)) return false;
  if (!SendChecked(HighByte(end), verify)) return false;
  if (!SendChecked(LowByte(start), verify)) return false;
  if (!SendChecked(LowByte(end), verify)) return false;
  // Every data byte comes back, whichever variant: the verify flag covers only the header.
  for (std::uint32_t address = start; address < end; ++address) {
    if (!SendDataByte(address, true)) return false;
  }
  return true;
}

}  // namespace orvane::download
