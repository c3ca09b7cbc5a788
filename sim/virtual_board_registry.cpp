#include "sim/virtual_board_registry.h"

#include <cstdlib>
#include <mutex>
#include <string>

#include "serial/virtual_ports.h"
#include "sim/virtual_board_device.h"

namespace orvane::sim {

using serial::kSuccess;
using serial::SysError;

std::shared_ptr<VirtualBoard> EnableVirtualBoard(bool listed, const BoardConfig& config) {
  static std::mutex mutex;
  static std::shared_ptr<VirtualBoard> board;
  std::lock_guard lock(mutex);
  if (!board) board = std::make_shared<VirtualBoard>(config, std::make_shared<RealClock>());
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

bool VirtualBoardRequestedByEnvironment() {
  const char* value = std::getenv("ORVANE_VIRTUAL_BOARD");
  return value != nullptr && std::string(value) == "1";
}

}  // namespace orvane::sim
