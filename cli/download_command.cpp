#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "cli/algorithm_option.h"
#include "cli/board_session.h"
#include "cli/commands.h"
#include "cli/console_progress_window.h"
#include "cli/terminal.h"
#include "download/download_messages.h"
#include "download/download_run.h"
#include "download/hex_file.h"
#include "download/load_for_download.h"

namespace orvane::cli {
namespace {

// The window's load-and-download sequence: load, refuse what cannot go, connect (or scan), run.
// Messages go where the window shows message boxes, to standard error; the result text goes to
// standard output.
int RunDownload(const GlobalOptions& options, const std::string& fileName, int algorithm) {
  using namespace orvane::download;
  HexFile file;
  auto image = std::make_unique<MemoryImage>();
  if (const auto stop = LoadForDownload(file, fileName, *image)) {
    std::cerr << *stop << std::endl;
    return kExitFailure;
  }

  BoardSession session(options, std::cerr);
  session.ui.rgDownloadAlg.SetItemIndex(algorithm);
  if (!ConnectForDownload(session.link)) return kExitFailure;

  ConsoleProgressWindow form2(session.ui.Form1, std::cerr, StandardErrorIsTerminal());
  const bool succeeded = DownloadRun(session.link, *image, form2);
  form2.Close();
  std::cout << (succeeded ? kDownloadSucceededText : kDownloadFailureText) << std::endl;
  return succeeded ? kExitOk : kExitFailure;
}

}  // namespace

void AddDownloadCommand(CLI::App& app, CliContext& context) {
  struct Arguments {
    std::string fileName;
    std::string algorithm;
  };
  auto arguments = std::make_shared<Arguments>();
  auto* command = app.add_subcommand(
      "download", "Load an Intel HEX file and put it into the board's program memory");
  command->add_option("FILE", arguments->fileName, "The Intel HEX file")->required();
  AddAlgorithmOption(*command, arguments->algorithm);
  command->callback([&context, arguments] {
    context.exitCode =
        RunDownload(context.options, arguments->fileName, AlgorithmIndex(arguments->algorithm));
  });
}

}  // namespace orvane::cli
