#include <CLI/CLI.hpp>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/board_messages.h"
#include "cli/board_session.h"
#include "cli/commands.h"

namespace orvane::cli {
namespace {

struct DetectLists {
  std::vector<std::string> ports;
  std::vector<std::string> bauds;
};

int RunDetect(GlobalOptions options, const DetectLists& lists) {
  options.autoDetect = true;
  // The ports are the ones given, else --port alone, else every port present.
  std::optional<std::vector<std::string>> ports;
  if (!lists.ports.empty()) {
    ports = lists.ports;
  } else if (!options.port.empty()) {
    ports = std::vector<std::string>{options.port};
  }
  BoardSession session(options, std::cerr, ports);
  if (!lists.bauds.empty()) session.ui.cbBaudrateOption.SetItems(lists.bauds, 0);
  session.link.cbAutoDetectClick();

  if (!session.link.ScanForBoard(1)) return kExitFailure;
  const ui::StatusBarView& status = session.ui.StatusBar1;
  std::cout << status.PanelText(ui::kConnectionPanel) << " " << status.PanelText(ui::kPortPanel)
            << " " << status.PanelText(ui::kBaudRatePanel) << std::endl;
  return kExitOk;
}

// The window's rate box, as the option's help shows it.
std::string DefaultRateList() {
  std::string list;
  for (const char* rate : board::kBaudRateItems)
    list += (list.empty() ? "" : ",") + std::string(rate);
  return list;
}

}  // namespace

void AddDetectCommand(CLI::App& app, CliContext& context) {
  auto lists = std::make_shared<DetectLists>();
  auto* command = app.add_subcommand(
      "detect",
      "Find the board: try each port at each rate (the last rate first) until it answers");
  command
      ->add_option("--ports", lists->ports,
                   "Ports to try, in order (default: every port "
                   "present, or --port alone)")
      ->delimiter(',');
  command
      ->add_option(
          "--bauds", lists->bauds,
          "Rate list, tried from the last entry to the first (default: " + DefaultRateList() + ")")
      ->delimiter(',');
  command->callback([&context, lists] { context.exitCode = RunDetect(context.options, *lists); });
}

}  // namespace orvane::cli
