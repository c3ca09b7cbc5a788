#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "serial/com_port.h"
#include "sim/virtual_board.h"

namespace orvane::cli {

void AddPortsCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand("ports", "List the serial ports present, one a line");
  command->callback([&context] {
    if (context.options.virtualBoard) sim::EnableVirtualBoard(true);
    std::vector<std::string> ports;
    serial::ListPorts(ports);
    for (const std::string& port : ports) std::cout << port << "\n";
    context.exitCode = kExitOk;
  });
}

}  // namespace orvane::cli
