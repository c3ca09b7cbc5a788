// orvane: the downloader's commands for scripts, Linux users and end-to-end tests.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "app/product.h"
#include "cli/board_session.h"
#include "cli/commands.h"

namespace {

constexpr orvane::cli::CommandAdder kCommands[] = {
    orvane::cli::AddImageCommand,    orvane::cli::AddPortsCommand, orvane::cli::AddDetectCommand,
    orvane::cli::AddDownloadCommand, orvane::cli::AddTestCommands, orvane::cli::AddDapCommand,
};

}  // namespace

int main(int argc, char** argv) {
  using namespace orvane::cli;
  CliContext context;
  CLI::App app{"Orvane downloader: puts Intel HEX programs on the Orvane board and tests it.",
               "orvane"};
  app.set_version_flag("--version", std::string("orvane") + orvane::app::kVersionLabel);
  app.require_subcommand(1);
  if (const char* env = std::getenv("ORVANE_VIRTUAL_BOARD"); env && std::string(env) == "1") {
    context.options.virtualBoard = true;
  }
  AddBoardOptions(app, context.options);
  for (CommandAdder add : kCommands) add(app, context);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? kExitOk : kExitUsage;
  } catch (const std::exception& e) {
    // An error that escapes a command, as the window's top-level error report shows it.
    std::cerr << e.what() << "\n";
    return kExitFailure;
  }
  return context.exitCode;
}
