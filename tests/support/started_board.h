// A program put on an in-process virtual board and started as a download starts it: the code in
// the board's program memory, then its first byte written again by a one-byte transfer (start
// 0x4000, end 0x4001), after which the monitor starts the program. Header-only, so that the
// benchmarks use it too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>

#include "board/board_protocol.h"
#include "serial/com_device.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"

namespace orvane::test_support {

// The open device the program was started through (null if the board cannot be opened); the
// line stays at the board's default rate with DTR raised.
inline std::unique_ptr<serial::ComDevice> StartOnBoard(
    const std::shared_ptr<sim::VirtualBoard>& board, std::span<const std::uint8_t> code) {
  auto memory = board->Memory();
  std::copy_n(code.begin(), std::min(code.size(), memory.size()), memory.begin());
  board->SetMemory(memory);
  serial::SysError error = 0;
  auto device = sim::OpenBoardDevice(board, &error);
  if (!device) return nullptr;
  serial::Dcb dcb;
  dcb.BaudRate = board::kDefaultBaudRate;
  dcb.Flags = 1u << serial::dcb_flags::kDtrControlShift;
  device->SetState(dcb);
  const std::uint8_t start[] = {board::kSync,
                                board::kCommandStart,
                                board::kCommandStart,
                                board::kByteDownloadUnverified,
                                0x40,  // start, high byte
                                0x40,  // end, high byte
                                0x00,  // start, low byte
                                0x01,  // end, low byte
                                code.empty() ? std::uint8_t{0} : code[0]};
  device->Write(start, sizeof start);
  return device;
}

}  // namespace orvane::test_support
