// The commands of the command-line tool, one file each.
#pragma once

#include "cli/cli_context.h"

namespace orvane::cli {

void AddImageCommand(CLI::App& app, CliContext& context);
void AddPortsCommand(CLI::App& app, CliContext& context);
void AddDetectCommand(CLI::App& app, CliContext& context);
void AddDownloadCommand(CLI::App& app, CliContext& context);
// selftest and test
void AddTestCommands(CLI::App& app, CliContext& context);
// the debug adapter
void AddDapCommand(CLI::App& app, CliContext& context);

}  // namespace orvane::cli
