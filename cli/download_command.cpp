#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/algorithm_option.h"
#include "cli/board_session.h"
#include "cli/commands.h"
#include "cli/console_progress_window.h"
#include "cli/interrupt.h"
#include "cli/serial_monitor.h"
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
// --monitor and --seconds.
struct MonitorOptions {
  bool enabled = false;
  double seconds = -1;  // no limit
};

int RunDownload(const GlobalOptions& options, const std::string& fileName, int algorithm,
                const MonitorOptions& monitor) {
  using namespace orvane::download;
  HexFile file;
  auto image = std::make_unique<MemoryImage>();
  if (const auto stop = LoadForDownload(file, fileName, *image)) {
    std::cerr << *stop << std::endl;
    return kExitFailure;
  }

  // Ctrl+C ends the monitor, which then closes the port; before the monitor runs it ends the
  // program as it always does. The watch comes before the port's event thread.
  std::atomic<SerialMonitor*> running{nullptr};
  std::optional<InterruptWatch> interrupts;
  if (monitor.enabled) {
    interrupts.emplace([&running] {
      if (SerialMonitor* active = running.load()) {
        active->Interrupt();
      } else {
        std::_Exit(130);
      }
    });
  }
  BoardSession session(options, std::cerr);
  // The monitor goes before the session: it closes the port whose handler it is.
  std::unique_ptr<SerialMonitor> monitorPtr;
  if (monitor.enabled) monitorPtr = std::make_unique<SerialMonitor>(session.ComPort1, stdout);
  session.ui.rgDownloadAlg.SetItemIndex(algorithm);
  if (!ConnectForDownload(session.link)) return kExitFailure;

  ConsoleProgressWindow form2(session.ui.Form1, std::cerr, StandardErrorIsTerminal());
  const bool succeeded = DownloadRun(session.link, *image, form2);
  form2.Close();
  std::cout << (succeeded ? kDownloadSucceededText : kDownloadFailureText) << std::endl;
  if (!succeeded) return kExitFailure;
  if (monitorPtr) {
    running.store(monitorPtr.get());
    const int status = monitorPtr->Run(monitor.seconds, std::cerr);
    running.store(nullptr);
    return status;
  }
  return kExitOk;
}

}  // namespace

void AddDownloadCommand(CLI::App& app, CliContext& context) {
  struct Arguments {
    std::string fileName;
    std::string algorithm;
    MonitorOptions monitor;
  };
  auto arguments = std::make_shared<Arguments>();
  auto* command = app.add_subcommand(
      "download", "Load an Intel HEX file and put it into the board's program memory");
  command->add_option("FILE", arguments->fileName, "The Intel HEX file")->required();
  AddAlgorithmOption(*command, arguments->algorithm);
  auto* monitorFlag = command->add_flag(
      "--monitor", arguments->monitor.enabled,
      "After a successful download, copy every byte the board sends to standard output, raw, "
      "until Ctrl+C (or --seconds); a failing port ends it with exit status 1");
  command
      ->add_option("--seconds", arguments->monitor.seconds,
                   "With --monitor: stop monitoring after N seconds")
      ->check(CLI::NonNegativeNumber)
      ->needs(monitorFlag);
  command->callback([&context, arguments] {
    context.exitCode = RunDownload(context.options, arguments->fileName,
                                   AlgorithmIndex(arguments->algorithm), arguments->monitor);
  });
}

}  // namespace orvane::cli
