#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/network_boards.h"
#include "app/settings_location.h"
#include "cli/commands.h"
#include "cli/hints.h"
#include "serial/com_port.h"
#include "serial/network_address.h"
#include "serial/port_details.h"
#include "serial/virtual_ports.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"

namespace orvane::cli {
namespace {

// name, description, vendor:product and serial number, tab-separated; empty fields stay, so the
// columns keep their places for scripts.
void PrintLong(const std::string& port) {
  const std::vector<std::string> virtualPorts = serial::ListedVirtualPorts();
  serial::PortDetails details;
  if (std::find(virtualPorts.begin(), virtualPorts.end(), port) != virtualPorts.end()) {
    details.description = "in-process virtual board";
  } else if (const auto address = serial::ParseNetworkPortName(port)) {
    details.description = "network " + address->host + " port " + std::to_string(address->port);
  } else if (serial::IsNetworkPortName(port)) {
    details.description = "network (not a well-formed address)";
  } else {
    details = serial::DescribePort(port, SystemRoot());
  }
  std::cout << port << "\t" << details.description << "\t" << details.usbId << "\t"
            << details.serialNumber << "\n";
}

}  // namespace

void AddPortsCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand(
      "ports",
      "List the serial ports present and the network boards of the settings file, one a line");
  auto longForm = std::make_shared<bool>(false);
  command->add_flag("--long,-l", *longForm,
                    "Also say what each port is, tab-separated: description (USB manufacturer "
                    "and product, or the driver of a built-in port), USB vendor:product id, "
                    "serial number");
  command->callback([&context, longForm] {
    if (context.options.virtualBoard) sim::EnableVirtualBoard(true);
    const std::vector<std::string> ports = app::PortsWithNetworkBoards(app::SettingsFilePath());
    for (const std::string& port : ports) {
      if (*longForm) {
        PrintLong(port);
      } else {
        std::cout << port << "\n";
      }
    }
    context.exitCode = kExitOk;
  });
}

}  // namespace orvane::cli
