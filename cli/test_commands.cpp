// orvane selftest and orvane test: the testing command of the window, run through the same
// portable code. Standard output gets what the testing window would show: its title, then its
// text line by line; message boxes go to standard error, as do the bars when it is a terminal.
#include <CLI/CLI.hpp>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cli/algorithm_option.h"
#include "cli/board_session.h"
#include "cli/commands.h"
#include "cli/console_progress_window.h"
#include "cli/console_testing_window.h"
#include "cli/terminal.h"
#include "download/hex_file.h"
#include "download/memory_image.h"
#include "testing/board_tests.h"

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

int RunBoardTest(const GlobalOptions& options, int item, int algorithm) {
  BoardSession session(options, std::cerr);
  session.ui.rgTestingOption.SetItemIndex(item);
  session.ui.rgDownloadAlg.SetItemIndex(algorithm);
  const bool draw = StandardErrorIsTerminal();
  ConsoleProgressWindow form2(session.ui.Form1, std::cerr, draw);
  ConsoleTestingWindow form3(session.ui.Form1, std::cerr, draw);
  download::HexFile hexFile;
  auto image = std::make_unique<download::MemoryImage>();
  boardtest::BoardTests tests(session.link, form2, form3, hexFile, *image);

  const bool passed = tests.Testing1Click();
  // A test that stopped before its window came up has said why on standard error.
  if (form3.Visible()) form3.Print(std::cout);
  return passed ? kExitOk : kExitFailure;
}

}  // namespace

void AddTestCommands(CLI::App& app, CliContext& context) {
  auto* selftest = app.add_subcommand(
      "selftest", "Run the board's self-test: the memory chip fitted and the result");
  selftest->callback([&context] {
    context.exitCode = RunBoardTest(context.options, boardtest::kSelftestItem, 0);
  });

  struct Arguments {
    std::string test;
    std::string algorithm;
  };
  auto arguments = std::make_shared<Arguments>();
  auto* test = app.add_subcommand(
      "test", "Download a test program into the board and, for serial and memory, talk to it");
  test->add_option("TEST", arguments->test, "Which test: port1, ppi, serial, memory or lcd")
      ->required()
      ->check(CLI::IsMember(std::vector<std::string>(std::begin(kTestNames), std::end(kTestNames))));
  AddAlgorithmOption(*test, arguments->algorithm);
  test->callback([&context, arguments] {
    context.exitCode = RunBoardTest(context.options, TestItem(arguments->test),
                                    AlgorithmIndex(arguments->algorithm));
  });
}

}  // namespace orvane::cli
