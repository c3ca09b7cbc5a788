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
#include "cli/hints.h"
#include "cli/interrupt.h"
#include "cli/parallel_run.h"
#include "cli/serial_monitor.h"
#include "cli/terminal.h"
#include "download/download_messages.h"
#include "download/download_run.h"
#include "download/hex_file.h"
#include "download/load_for_download.h"
#include "sim/line/virtual_board_registry.h"
#include "sim/view/live_boards.h"
#include "sim/view/view_screen.h"

namespace orvane::cli {
namespace {

// The window's load-and-download sequence: load, refuse what cannot go, connect (or scan), run.
// Messages go where the window shows message boxes, to standard error; the result text goes to
// standard output.
// --monitor and --seconds.
struct MonitorOptions {
  bool enabled = false;
  bool view = false;    // --view: the in-process board shown live instead
  double seconds = -1;  // no limit
};

// --view after the download: the in-process board live until --seconds, Ctrl+C, or (plain
// frames) the program's end.
int ViewBoard(BoardSession& session, const MonitorOptions& monitor) {
  const auto board = sim::FindVirtualBoard(session.ComPort1.Port());
  if (!board) return kExitFailure;
  sim::RealClock clock;
  const std::unique_ptr<sim::ViewScreen> screen = sim::OpenViewScreen();
  sim::LiveViewOptions view;
  if (monitor.seconds >= 0) view.seconds = monitor.seconds;
  view.endWithProgram = !screen->Drawn();
  sim::VirtualLiveBoard live(board);
  return sim::ViewExitStatus(sim::RunLiveView(live, *screen, clock, view), screen->Drawn());
}

// --view names the in-process board and nothing else: a usage error otherwise.
std::optional<std::string> ViewUsageError(const GlobalOptions& options,
                                          const MonitorOptions& monitor, const std::string& ports) {
  if (!monitor.view) return std::nullopt;
  if (monitor.enabled) return "--view and --monitor exclude each other";
  if (!ports.empty()) return "--view shows one board: it excludes --ports";
  if (options.port != sim::kVirtualPortName || options.autoDetect) {
    return std::string("--view shows the in-process virtual board: it needs --port ") +
           sim::kVirtualPortName + " (and no --auto)";
  }
  return std::nullopt;
}

std::unique_ptr<download::MemoryImage> LoadImage(const std::string& fileName) {
  download::HexFile file;
  auto image = std::make_unique<download::MemoryImage>();
  if (const auto stop = download::LoadForDownload(file, fileName, *image)) {
    std::cerr << *stop << std::endl;
    return nullptr;
  }
  return image;
}

// Connects the session's board as the window does. On failure *hint says what to do about it;
// a scan went over `scanPort` only, or over every port when that is empty.
bool Connect(BoardSession& session, const GlobalOptions& options, const std::string& scanPort,
             int algorithm, std::optional<std::string>* hint) {
  session.ui.rgDownloadAlg.SetItemIndex(algorithm);
  if (download::ConnectForDownload(session.link)) return true;
  const bool scanned = options.autoDetect;
  *hint = ConnectFailureHint(session.link, scanned ? scanPort : session.ui.cbCOMOption.Text(),
                             session.ui.cbBaudrateOption.Text(), scanned);
  return false;
}

std::optional<std::string> LatencyHintFor(BoardSession& session, const download::MemoryImage& image,
                                          int algorithm) {
  return DownloadLatencyHint(session.ComPort1.Port(), algorithm,
                             static_cast<long>(image.ImageBytesUsed()));
}

// The download run on the connected board, its bar on `bar`; true for "Downloading succeded".
bool Download(BoardSession& session, const download::MemoryImage& image, std::ostream& bar,
              bool draw) {
  ConsoleProgressWindow form2(session.ui.Form1, bar, draw);
  const bool succeeded = download::DownloadRun(session.link, image, form2);
  form2.Close();
  return succeeded;
}

int RunDownload(const GlobalOptions& options, const download::MemoryImage& image, int algorithm,
                const MonitorOptions& monitor) {
  using namespace orvane::download;
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
  if (monitor.enabled) {
    session.WatchLineEvents();
    monitorPtr = std::make_unique<SerialMonitor>(session.ComPort1, stdout);
  }
  std::optional<std::string> hint;
  if (!Connect(session, options, "", algorithm, &hint)) {
    PrintHint(std::cerr, hint);
    return kExitFailure;
  }
  // Before the wait that it explains.
  PrintHint(std::cerr, LatencyHintFor(session, image, algorithm));
  const bool succeeded = Download(session, image, std::cerr, StandardErrorIsTerminal());
  std::cout << (succeeded ? kDownloadSucceededText : kDownloadFailureText) << std::endl;
  if (!succeeded) return kExitFailure;
  if (monitor.view) return ViewBoard(session, monitor);
  if (monitorPtr) {
    running.store(monitorPtr.get());
    const int status = monitorPtr->Run(monitor.seconds, std::cerr);
    running.store(nullptr);
    return status;
  }
  return kExitOk;
}

// --ports: the download on every port at once.
int RunParallelDownload(const GlobalOptions& options, const std::vector<std::string>& ports,
                        const download::MemoryImage& image, int algorithm) {
  PrepareVirtualBoard(options);
  const PortJob job = [&](const std::string& port, PortStreams& streams) {
    PortSession own(options, port, streams.messages);
    BoardSession& session = own.session;
    PortOutcome outcome;
    outcome.succeeded = Connect(session, own.options, port, algorithm, &outcome.hint);
    if (outcome.succeeded) {
      outcome.hint = LatencyHintFor(session, image, algorithm);
      outcome.succeeded = Download(session, image, streams.bar, streams.draw);
    }
    outcome.line =
        outcome.succeeded ? download::kDownloadSucceededText : download::kDownloadFailureText;
    return outcome;
  };
  return RunOnPorts(ports, job, download::kDownloadFailureText, std::cout, std::cerr,
                    StandardErrorIsTerminal());
}

}  // namespace

void AddDownloadCommand(CLI::App& app, CliContext& context) {
  struct Arguments {
    std::string fileName;
    std::string algorithm;
    MonitorOptions monitor;
    std::string ports;
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
  command->add_flag("--view", arguments->monitor.view,
                    "After a successful download to the in-process virtual board (--port "
                    "VIRTUAL), show it live until Ctrl+C (or --seconds): on a terminal drawn, "
                    "with keys to the program and F1/F2 for the INT0/INT1 buttons; otherwise "
                    "plain-text frames");
  command
      ->add_option("--seconds", arguments->monitor.seconds,
                   "With --monitor or --view: stop after N seconds")
      ->check(CLI::NonNegativeNumber);
  command
      ->add_option("--ports", arguments->ports,
                   "Download to every board of this comma-separated port list at once ('all': "
                   "every port 'orvane ports' lists); one result line per port")
      ->excludes(monitorFlag);
  command->callback([&context, arguments] {
    const MonitorOptions& monitor = arguments->monitor;
    std::optional<std::string> usage = ViewUsageError(context.options, monitor, arguments->ports);
    if (!usage && monitor.seconds >= 0 && !monitor.enabled && !monitor.view) {
      usage = "--seconds belongs to --monitor or --view";
    }
    if (usage) {
      std::cerr << *usage << std::endl;
      context.exitCode = kExitUsage;
      return;
    }
    const auto image = LoadImage(arguments->fileName);
    if (!image) {
      context.exitCode = kExitFailure;
      return;
    }
    const int algorithm = AlgorithmIndex(arguments->algorithm);
    if (arguments->ports.empty()) {
      context.exitCode = RunDownload(context.options, *image, algorithm, arguments->monitor);
      return;
    }
    PrepareVirtualBoard(context.options);
    std::string error;
    const auto ports = ParsePortsOption(arguments->ports, &error);
    if (!ports) {
      std::cerr << error << std::endl;
      context.exitCode = kExitUsage;
      return;
    }
    context.exitCode = RunParallelDownload(context.options, *ports, *image, algorithm);
  });
}

}  // namespace orvane::cli
