#include "cli/board_session.h"

#include <CLI/CLI.hpp>

#include "app/network_boards.h"
#include "app/settings_location.h"
#include "board/port_defaults.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"

namespace orvane::cli {

void AddBoardOptions(CLI::App& app, GlobalOptions& options) {
  app.fallthrough();
  auto* group = app.add_option_group("Board", "How board commands reach the board");
  group->add_option("--port", options.port,
                    "Serial port of the board (VIRTUAL: the virtual board)");
  group->add_option("--baud", options.baud, "Baud rate text, as in the window's rate box")
      ->capture_default_str();
  group->add_flag("--auto", options.autoDetect, "Find the board by scanning every port and rate");
  group->add_flag("--usb", options.usbConverter, "The board hangs on a USB-to-serial converter");
  group->add_flag("--virtual-board", options.virtualBoard,
                  "List the in-process virtual board as port VIRTUAL");
}

void PrepareVirtualBoard(const GlobalOptions& options) {
  sim::EnableVirtualBoard(options.virtualBoard);
}

std::vector<std::string> PortsPresent() {
  return app::PortsWithNetworkBoards(app::SettingsFilePath());
}

BoardSession::BoardSession(const GlobalOptions& options, std::ostream& errorStream,
                           std::optional<std::vector<std::string>> ports)
    : ui(errorStream) {
  PrepareVirtualBoard(options);
  board::ApplyPortDefaults(ComPort1);
  ComPort1.SetEvents({});
  if (!ports) {
    ports.emplace();
    if (options.autoDetect || options.port.empty()) *ports = PortsPresent();
  }
  ui.ApplyOptions(options, *ports);
  if (options.autoDetect) link.cbAutoDetectClick();
}

void BoardSession::WatchLineEvents() { ComPort1.SetEvents(serial::kAllComEvents); }

namespace {

GlobalOptions NamingPort(GlobalOptions options, const std::string& port) {
  options.port = port;
  return options;
}

}  // namespace

PortSession::PortSession(const GlobalOptions& all, const std::string& port, std::ostream& messages)
    : options(NamingPort(all, port)), session(options, messages, std::vector<std::string>{port}) {}

}  // namespace orvane::cli
