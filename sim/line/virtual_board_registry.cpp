#include "sim/line/virtual_board_registry.h"

#include <cstdlib>
#include <mutex>
#include <string>

#include "serial/virtual_ports.h"
#include "sim/line/virtual_board_device.h"

namespace orvane::sim {

using serial::kSuccess;
using serial::SysError;

namespace {

struct InProcess {
  std::mutex mutex;
  std::shared_ptr<VirtualBoard> board;
};

InProcess& TheBoard() {
  static InProcess inProcess;
  return inProcess;
}

}  // namespace

std::shared_ptr<VirtualBoard> EnableVirtualBoard(bool listed, const BoardConfig& config) {
  InProcess& in = TheBoard();
  std::lock_guard lock(in.mutex);
  std::shared_ptr<VirtualBoard>& board = in.board;
  if (!board) {
    board = std::make_shared<VirtualBoard>(config, std::make_shared<RealClock>());
    board->SetRealTime(true);
  }
  std::shared_ptr<VirtualBoard> shared = board;
  serial::RegisterVirtualPort(
      kVirtualPortName,
      [shared]() -> std::unique_ptr<serial::ComDevice> {
        SysError ignored = kSuccess;
        return OpenBoardDevice(shared, &ignored);
      },
      listed);
  return board;
}

std::shared_ptr<VirtualBoard> FindVirtualBoard(const std::string& portName) {
  if (portName != kVirtualPortName) return nullptr;
  InProcess& in = TheBoard();
  std::lock_guard lock(in.mutex);
  return in.board;
}

bool VirtualBoardRequestedByEnvironment() {
  const char* value = std::getenv("ORVANE_VIRTUAL_BOARD");
  return value != nullptr && std::string(value) == "1";
}

}  // namespace orvane::sim
