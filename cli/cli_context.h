// What the commands of the command-line tool share: the global board options and the exit status.
#pragma once

#include <string>

#include "board/board_messages.h"

namespace CLI {
class App;
}

namespace orvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct GlobalOptions {
  std::string port;  // --port
  // --baud; the main window's designed rate
  std::string baud = board::kBaudRateItems[board::kDefaultBaudRateItem];
  bool autoDetect = false;    // --auto
  bool usbConverter = false;  // --usb
  bool virtualBoard = false;  // --virtual-board (or ORVANE_VIRTUAL_BOARD=1)
};

struct CliContext {
  GlobalOptions options;
  int exitCode = kExitOk;
};

// Each command adds itself to the application; its callback sets context.exitCode.
using CommandAdder = void (*)(CLI::App& app, CliContext& context);

}  // namespace orvane::cli
