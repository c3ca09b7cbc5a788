#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace orvane::cli {

void AddImageCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand("image", "Load an Intel HEX file and describe the image");
  command->callback([&context] { context.exitCode = kExitFailure; });
}

}  // namespace orvane::cli
