// Plumbing shared by the commands that talk to the board: the global board options, the
// in-process virtual board, and a session that holds the console controls, the serial port and
// the board link together as the main window holds them.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "board/board_link.h"
#include "cli/cli_context.h"
#include "cli/console_ui.h"
#include "serial/com_port.h"

namespace orvane::cli {

// Adds --port, --baud, --auto, --usb and --virtual-board to the application. They are global:
// they may stand before or after the command's name (the commands let unknown options fall
// through to the application), so call this before the commands are added.
void AddBoardOptions(CLI::App& app, GlobalOptions& options);

// Registers the virtual board under the port name VIRTUAL. Naming it always reaches it; it is in
// the port list only with --virtual-board or ORVANE_VIRTUAL_BOARD=1.
void PrepareVirtualBoard(const GlobalOptions& options);

class BoardSession {
 public:
  // Registers the virtual board, designs the port as the window's but without line events, and
  // fills the controls from the options. The port list is `ports` when given; otherwise the ports
  // present, listed only where they matter: for --auto, or when no --port names one (the window
  // then offers the first port present).
  BoardSession(const GlobalOptions& options, std::ostream& errorStream,
               std::optional<std::vector<std::string>> ports = std::nullopt);
  BoardSession(const BoardSession&) = delete;
  BoardSession& operator=(const BoardSession&) = delete;

  // The switch for whatever acts on the port's line events (the serial monitor, a live view of
  // the board): call it before the port opens, and the port's event thread runs while it is
  // open. A plain download or test acts on none, so its port runs no thread: one would wake for
  // every byte the board answers and only look at the input queue.
  void WatchLineEvents();

  ConsoleUi ui;
  serial::TComPort ComPort1;
  board::BoardLink link{ComPort1, ui.Controls()};
};

// One port's own session in a parallel run (--ports): options that name that port. Its port never
// watches line events: their hand-over to the one user-interface thread would tie the ports
// together.
struct PortSession {
  PortSession(const GlobalOptions& all, const std::string& port, std::ostream& messages);
  GlobalOptions options;
  BoardSession session;
};

// The names ListPorts gives (the virtual board's among them once registered as listed).
std::vector<std::string> PortsPresent();

}  // namespace orvane::cli
