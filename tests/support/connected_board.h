// A connected board for the transfer tests: the board bench (real port object, virtual board on
// virtual time) with a board at COM3 that has just answered the handshake, a progress window
// stand-in and an image to send.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "download/memory_image.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "support/board_bench.h"
#include "support/fake_progress_window.h"

namespace orvane::download::test {

// The image bytes the tests send: no two neighbours equal, and no run of zeros, so a byte
// skipped, repeated or sent from the wrong address shows.
inline std::uint8_t PatternByte(std::size_t offset) {
  return static_cast<std::uint8_t>((offset * 37 + 11) ^ (offset >> 8));
}

inline std::unique_ptr<MemoryImage> PatternImage(std::uint32_t endAddress) {
  auto image = std::make_unique<MemoryImage>();
  image->EndAddress = endAddress;
  for (std::size_t i = 0; i < ImageSize && ImageBase + i < endAddress; ++i) {
    image->bytes[i] = PatternByte(i);
  }
  return image;
}

// The image bytes of board addresses [from, to).
inline std::vector<std::uint8_t> ImageBytes(const MemoryImage& image, std::uint32_t from,
                                            std::uint32_t to) {
  return {image.bytes.begin() + (from - ImageBase), image.bytes.begin() + (to - ImageBase)};
}

inline void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

class ConnectedBoard {
 public:
  explicit ConnectedBoard(std::uint32_t endAddress, sim::BoardConfig config = {})
      : image(PatternImage(endAddress)) {
    // Fault counts start with the algorithm's first byte, so a test names them by the table.
    config.faultCount = sim::FaultCount::SinceCommand;
    board = bench.AddBoard("COM3", std::move(config));
    bench.SetPortList({"COM3"});
    connected = bench.link.ConnectBoard("COM3", "57600");
    board->ClearRecord();
  }

  // The time of the last byte the host started on the line, in ms of virtual time.
  double LastHostByteMs() const {
    double last = -1;
    for (const sim::LineEvent& e : board->Record()) {
      if (e.kind == sim::LineEventKind::HostByte) last = e.time.count() / 1000.0;
    }
    return last;
  }

  test_support::BoardBench bench;
  std::shared_ptr<sim::VirtualBoard> board;
  std::unique_ptr<MemoryImage> image;
  test_support::FakeProgressWindow form2{bench.Form1};
  bool connected = false;
};

}  // namespace orvane::download::test
