// orvane selftest and orvane test: the testing command of the window, run through the same
// portable code. Standard output gets what the testing window would show: its title, then its
// text line by line; message boxes go to standard error, as do the bars when it is a terminal.
#include <CLI/CLI.hpp>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "board/board_messages.h"
#include "cli/algorithm_option.h"
#include "cli/board_session.h"
#include "cli/commands.h"
#include "cli/console_progress_window.h"
#include "cli/console_testing_window.h"
#include "cli/hints.h"
#include "cli/parallel_run.h"
#include "cli/terminal.h"
#include "download/hex_file.h"
#include "download/memory_image.h"
#include "testing/board_tests.h"
#include "testing/testing_texts.h"

namespace orvane::cli {
namespace {

// The names `orvane test` takes, for the items of the window's "Testing Option" group after the
// self-test.
constexpr const char* kTestNames[] = {"port1", "ppi", "serial", "memory", "lcd"};
static_assert(std::size(kTestNames) == boardtest::kBoardTestCount - 1);

int TestItem(const std::string& name) {
  for (int i = 0; i < boardtest::kBoardTestCount - 1; ++i) {
    if (name == kTestNames[i]) return i + 1;
  }
  return boardtest::kSelftestItem;
}

// After a failed test: the hint for a connection that failed (the board-check message of a scan,
// "Can't find Orvane board at" after one port), if that is what happened.
std::optional<std::string> TestConnectionHint(BoardSession& session, const GlobalOptions& options) {
  for (const std::string& text : session.ui.errors.Shown()) {
    const bool scanFailed = text == board::kBoardCheckText;
    if (scanFailed || text.rfind(boardtest::kCantFindBoardPrefix, 0) == 0) {
      return ConnectFailureHint(session.link, scanFailed ? options.port : session.ComPort1.Port(),
                                session.ui.cbBaudrateOption.Text(), scanFailed);
    }
  }
  return std::nullopt;
}

// The testing command on one board; the window's text goes to *shown when it came up, the hint
// for a failure to *hint.
bool TestBoard(BoardSession& session, const GlobalOptions& options, int item, int algorithm,
               std::ostream& bar, bool draw, std::optional<std::string>* shown,
               std::optional<std::string>* hint) {
  session.ui.rgTestingOption.SetItemIndex(item);
  session.ui.rgDownloadAlg.SetItemIndex(algorithm);
  ConsoleProgressWindow form2(session.ui.Form1, bar, draw);
  ConsoleTestingWindow form3(session.ui.Form1, bar, draw);
  download::HexFile hexFile;
  auto image = std::make_unique<download::MemoryImage>();
  boardtest::BoardTests tests(session.link, form2, form3, hexFile, *image);
  const bool passed = tests.Testing1Click();
  if (!passed) *hint = TestConnectionHint(session, options);
  // A test that stopped before its window came up has said why in a message.
  if (form3.Visible()) {
    std::ostringstream text;
    form3.Print(text);
    *shown = text.str();
  }
  return passed;
}

int RunBoardTest(const GlobalOptions& options, int item, int algorithm) {
  BoardSession session(options, std::cerr);
  std::optional<std::string> shown;
  std::optional<std::string> hint;
  // A scan here goes over every port.
  GlobalOptions scanAll = options;
  scanAll.port.clear();
  const bool passed = TestBoard(session, scanAll, item, algorithm, std::cerr,
                                StandardErrorIsTerminal(), &shown, &hint);
  PrintHint(std::cerr, hint);
  if (shown) std::cout << *shown << std::flush;
  return passed ? kExitOk : kExitFailure;
}

// The last line the testing window shows: the outcome ("Serial testing done").
std::string LastLine(const std::string& text) {
  std::istringstream lines(text);
  std::string last;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) last = line;
  }
  return last;
}

// --ports: the test on every board at once; per port the outcome line of its window.
int RunParallelTest(const GlobalOptions& options, const std::string& portsText, int item,
                    int algorithm) {
  PrepareVirtualBoard(options);
  std::string error;
  const auto ports = ParsePortsOption(portsText, &error);
  if (!ports) {
    std::cerr << error << std::endl;
    return kExitUsage;
  }
  const PortJob job = [&](const std::string& port, PortStreams& streams) {
    PortSession own(options, port, streams.messages);
    BoardSession& session = own.session;
    PortOutcome outcome;
    std::optional<std::string> shown;
    outcome.succeeded = TestBoard(session, own.options, item, algorithm, streams.bar, streams.draw,
                                  &shown, &outcome.hint);
    if (shown) outcome.line = LastLine(*shown);
    return outcome;
  };
  return RunOnPorts(*ports, job, "", std::cout, std::cerr, StandardErrorIsTerminal());
}

int RunTestCommand(const GlobalOptions& options, const std::string& ports, int item,
                   int algorithm) {
  if (ports.empty()) return RunBoardTest(options, item, algorithm);
  return RunParallelTest(options, ports, item, algorithm);
}

void AddPortsOption(CLI::App& command, std::string& ports) {
  command.add_option("--ports", ports,
                     "Test every board of this comma-separated port list at once ('all': every "
                     "port 'orvane ports' lists); one outcome line per port");
}

}  // namespace

void AddTestCommands(CLI::App& app, CliContext& context) {
  struct Arguments {
    std::string test;
    std::string algorithm;
    std::string ports;
  };
  auto selftestArguments = std::make_shared<Arguments>();
  auto* selftest = app.add_subcommand(
      "selftest", "Run the board's self-test: the memory chip fitted and the result");
  AddPortsOption(*selftest, selftestArguments->ports);
  selftest->callback([&context, selftestArguments] {
    context.exitCode =
        RunTestCommand(context.options, selftestArguments->ports, boardtest::kSelftestItem, 0);
  });

  auto arguments = std::make_shared<Arguments>();
  auto* test = app.add_subcommand(
      "test", "Download a test program into the board and, for serial and memory, talk to it");
  test->add_option("TEST", arguments->test, "Which test: port1, ppi, serial, memory or lcd")
      ->required()
      ->check(
          CLI::IsMember(std::vector<std::string>(std::begin(kTestNames), std::end(kTestNames))));
  AddAlgorithmOption(*test, arguments->algorithm);
  AddPortsOption(*test, arguments->ports);
  test->callback([&context, arguments] {
    context.exitCode = RunTestCommand(context.options, arguments->ports, TestItem(arguments->test),
                                      AlgorithmIndex(arguments->algorithm));
  });
}

}  // namespace orvane::cli
