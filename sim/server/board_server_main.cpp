// orvane-board: the virtual board served on a pseudo-terminal (sim/server/board_server_posix.h).
// Prints the terminal's path on the first line of standard output; --link makes a stable symbolic
// link to it. With --run it serves nothing: it runs a HEX file on the board model
// (sim/server/run_command.h).
#include <signal.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/board_protocol.h"
#include "sim/line/virtual_board.h"
#include "sim/server/board_server_posix.h"
#include "sim/server/run_command.h"

namespace {

using orvane::sim::BoardConfig;
using orvane::sim::Micros;
using orvane::sim::Ms;
using orvane::sim::VirtualBoard;

std::atomic<bool> stopRequested{false};

void OnSignal(int) { stopRequested = true; }

struct Options {
  std::string link;
  std::string dump;
  std::vector<std::string> rates{std::to_string(orvane::board::kDefaultBaudRate)};
  bool noPacing = false;
  long answerDelayUs = 200;
  long latencyMs = 0;
  long pageWriteMs = 10;
  long selftestMs = 200;
  std::string memoryType = "1";
  std::string selftestResult = "3";
  int handshakeAnswer = 0x2B;
  std::string program = "run";
  std::string memtestReport = "LLLLS";
  long memtestIntervalMs = 250;
  std::string countFrom = "reset";
  long silentAfter = -1;
  long wrongAnswerAt = -1;
  long strayBeforeAt = -1;
  std::vector<std::string> strayBytes{"0x00", "0xFF"};
  long vanishAfterBytes = 0;
  bool replug = false;
  long faultHandshakes = -1;
  long idleResetMs = 1500;
  bool verbose = false;
  orvane::sim::RunCommandOptions run;
  std::string speed;
  std::string stuckBit;
};

std::optional<std::uint8_t> AnswerByte(const std::string& text) {
  if (text == "none") return std::nullopt;
  return static_cast<std::uint8_t>(std::stoul(text, nullptr, 0));
}

BoardConfig MakeConfig(const Options& o) {
  BoardConfig config;
  config.rates.clear();
  for (const std::string& rate : o.rates) {
    if (rate == "any") {
      config.rates.clear();
      break;
    }
    config.rates.push_back(static_cast<std::uint32_t>(std::stoul(rate)));
  }
  config.pacing = !o.noPacing;
  // A USB converter's latency timer holds each answer on its way to the host.
  config.answerDelay = Micros(o.answerDelayUs) + Ms(o.latencyMs);
  config.pageWriteTime = Ms(o.pageWriteMs);
  config.selftestTime = Ms(o.selftestMs);
  config.memoryType = AnswerByte(o.memoryType);
  config.selftestResult = AnswerByte(o.selftestResult);
  config.handshakeAnswer = static_cast<std::uint8_t>(o.handshakeAnswer);
  if (o.program == "silent") {
    config.program = orvane::sim::ProgramBehaviour::Silent;
  } else if (o.program == "echo") {
    config.program = orvane::sim::ProgramBehaviour::Echo;
  } else if (o.program == "memtest") {
    config.program = orvane::sim::ProgramBehaviour::MemoryTest;
  } else if (o.program == "auto") {
    config.program = orvane::sim::ProgramBehaviour::ByImage;
  }
  config.memoryTestReport.assign(o.memtestReport.begin(), o.memtestReport.end());
  config.memoryTestInterval = Ms(o.memtestIntervalMs);
  if (o.countFrom == "command") {
    config.faultCount = orvane::sim::FaultCount::SinceCommand;
  } else if (o.countFrom == "program") {
    config.faultCount = orvane::sim::FaultCount::SinceProgramStart;
  }
  if (o.silentAfter >= 0) config.silentAfter = static_cast<std::uint64_t>(o.silentAfter);
  if (o.wrongAnswerAt >= 0) config.wrongAnswerAt = static_cast<std::uint64_t>(o.wrongAnswerAt);
  if (o.faultHandshakes >= 0)
    config.faultHandshakes = static_cast<std::uint64_t>(o.faultHandshakes);
  if (o.strayBeforeAt >= 0) config.strayBeforeAt = static_cast<std::uint64_t>(o.strayBeforeAt);
  config.strayBytes.clear();
  for (const std::string& text : o.strayBytes) {
    config.strayBytes.push_back(static_cast<std::uint8_t>(std::stoul(text, nullptr, 0)));
  }
  return config;
}

// Where the board is and how its line and monitor behave.
void AddBoardOptions(CLI::App& app, Options& o) {
  app.add_option("--link", o.link, "Make a symbolic link at this path to the terminal");
  app.add_option("--dump", o.dump,
                 "Write the 8 KB program memory (0x4000-0x5FFF) to this file after each "
                 "download and at exit");
  app.add_option("--rates", o.rates, "Rates the board answers at, or 'any'")
      ->delimiter(',')
      ->capture_default_str();
  app.add_flag("--no-pacing", o.noPacing, "Bytes take no time on the line");
  app.add_option("--answer-delay-us", o.answerDelayUs, "Delay before each answer")
      ->capture_default_str();
  app.add_option("--latency-ms", o.latencyMs,
                 "Hold each answer this long more, as a USB converter's latency timer does")
      ->check(CLI::Range(0L, 1000L))
      ->capture_default_str();
  app.add_option("--page-write-ms", o.pageWriteMs,
                 "Time to write a page before its acknowledgement")
      ->capture_default_str();
  app.add_option("--selftest-ms", o.selftestMs, "Time between the self-test's two answers")
      ->capture_default_str();
  app.add_option("--memory-type", o.memoryType, "Self-test memory type byte, or 'none'")
      ->capture_default_str();
  app.add_option("--selftest-result", o.selftestResult, "Self-test result byte, or 'none'")
      ->capture_default_str();
  app.add_option("--handshake-answer", o.handshakeAnswer, "Answer to the handshake")
      ->capture_default_str();
}

// Canned programs and injected faults, for tests of the host's error paths.
void AddFaultOptions(CLI::App& app, Options& o) {
  app.add_option("--program", o.program,
                 "What a downloaded program does: run (its code, on the CPU), or a canned "
                 "behaviour for faults: silent, echo, memtest, or auto (echo or the memory report "
                 "when the code is the serial or the memory test program, else silent)")
      ->check(CLI::IsMember({"run", "auto", "silent", "echo", "memtest"}))
      ->capture_default_str();
  app.add_option("--memtest-report", o.memtestReport, "Bytes the memory test program sends")
      ->capture_default_str();
  app.add_option("--memtest-interval-ms", o.memtestIntervalMs, "Time between its bytes")
      ->capture_default_str();
  app.add_option("--count-from", o.countFrom, "Where the fault byte count starts")
      ->check(CLI::IsMember({"reset", "command", "program"}))
      ->capture_default_str();
  app.add_option("--silent-after", o.silentAfter, "Answer nothing after this many counted bytes");
  app.add_option("--wrong-answer-at", o.wrongAnswerAt, "Invert the answers to this counted byte");
  app.add_option("--stray-before-at", o.strayBeforeAt,
                 "Send stray bytes just before the answers to this counted byte");
  app.add_option("--stray-bytes", o.strayBytes, "The stray bytes")
      ->delimiter(',')
      ->capture_default_str();
  app.add_option("--vanish-after-bytes", o.vanishAfterBytes,
                 "Be pulled out (close the terminal and stop) once the host has sent this many "
                 "bytes since it opened the terminal (0: never)")
      ->capture_default_str();
  app.add_flag("--replug", o.replug, "Once pulled out, be plugged in again on a new terminal");
  app.add_option("--fault-handshakes", o.faultHandshakes,
                 "The faults act during this many handshakes only");
  app.add_option("--idle-reset-ms", o.idleResetMs,
                 "Quiet time after which an unfinished command is reset (0: never); a running "
                 "program never is")
      ->capture_default_str();
  app.add_flag("--verbose", o.verbose, "Log every byte on standard error");
}

// Running a HEX file without a terminal.
void AddRunOptions(CLI::App& app, Options& o) {
  app.add_option("--run", o.run.file,
                 "Run this HEX file on the board model instead of serving a terminal: its serial "
                 "output goes to standard output");
  app.add_option("--until", o.run.limits.until, "With --run: stop once the output ends with this");
  app.add_option("--cycles", o.run.limits.maxCycles,
                 "With --run: stop after this many machine cycles")
      ->capture_default_str();
  app.add_flag("--report", o.run.report,
               "With --run: print the pins' edge counts and the LCD's lines on standard error");
  app.add_flag("--stdin", o.run.feedStdin,
               "With --run: feed standard input to the program's serial port");
  app.add_flag("--view", o.run.view,
               "With --run: show the board live (LEDs, PPI, LCD, serial output) in "
               "real time; on a terminal keys go to the program, F1/F2 press the "
               "INT0/INT1 buttons and Ctrl+C ends; otherwise plain-text frames");
  app.add_option("--speed", o.speed, "With --run --view: N times the board's speed, or 'max'");
  app.add_option("--stuck-bit", o.stuckBit,
                 "External RAM bit that reads as a fixed value: ADDRESS:BIT:VALUE, e.g. "
                 "0x9234:3:1");
}

void AddOptions(CLI::App& app, Options& o) {
  AddBoardOptions(app, o);
  AddFaultOptions(app, o);
  AddRunOptions(app, o);
}

// --speed: a positive number, or "max" (0 here).
std::optional<double> ParseSpeed(const std::string& text) {
  if (text.empty()) return 1.0;
  if (text == "max") return 0.0;
  char* end = nullptr;
  const double speed = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !(speed > 0) || speed > 1e6) return std::nullopt;
  return speed;
}

// --run: the first of the rates is the connection's, whose serial set-up the program finds.
int RunHexFile(Options& o) {
  if (!o.rates.empty() && o.rates.front() != "any") {
    o.run.limits.baud = static_cast<std::uint32_t>(std::stoul(o.rates.front()));
  }
  return orvane::sim::RunCommand(o.run);
}

// Serves until SIGINT or SIGTERM; the exit status.
int Serve(const Options& o, const BoardConfig& config) {
  auto board = std::make_shared<VirtualBoard>(config, std::make_shared<orvane::sim::RealClock>());
  board->SetRealTime(true);  // the server's own wait paces it (a look every millisecond)
  orvane::sim::PtyBoardServer server(
      board, {o.link, o.dump, o.idleResetMs, o.verbose, o.vanishAfterBytes, o.replug});
  if (!server.Failure().empty()) {
    std::cerr << "orvane-board: " << server.Failure() << "\n";
    return 1;
  }
  // The stop signals are taken only inside the server's wait, so none slips in between its
  // look at the flag and its next wait.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  std::cout << server.TerminalPath() << std::endl;
  const int status = server.Run(stopRequested, waitMask);
  if (server.Vanished()) std::cerr << "orvane-board: pulled out\n";
  if (!server.DumpMemory()) {
    std::cerr << "orvane-board: cannot write " << o.dump << "\n";
    return 1;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  CLI::App app{"orvane-board: the virtual Orvane board on a pseudo-terminal", "orvane-board"};
  // The version is the build's project version, the same as the downloader's.
  app.set_version_flag("--version", "orvane-board v" ORVANE_VERSION);
  AddOptions(app, o);
  CLI11_PARSE(app, argc, argv);
  o.run.cyclesGiven = app.count("--cycles") > 0;
  if (o.run.view && o.run.file.empty()) {
    std::cerr << "orvane-board: --view shows a program run: it needs --run FILE\n";
    return 2;
  }
  if (o.run.view && (app.count("--until") > 0 || o.run.feedStdin)) {
    // The view ends as the user ends it, and on a terminal the keys already go to the program.
    std::cerr << "orvane-board: --until and --stdin belong to --run without --view\n";
    return 2;
  }
  if (!o.speed.empty() && !o.run.view) {
    // Elsewhere it would put the served line out of step with the host.
    std::cerr << "orvane-board: --speed belongs to --run --view\n";
    return 2;
  }
  if (const auto speed = ParseSpeed(o.speed)) {
    o.run.speed = *speed;
  } else {
    std::cerr << "orvane-board: --speed wants a number above 0 or 'max'\n";
    return 2;
  }
  if (!o.stuckBit.empty()) {
    o.run.stuckBit = orvane::sim::ParseStuckBit(o.stuckBit);
    if (!o.run.stuckBit) {
      std::cerr << "orvane-board: --stuck-bit wants ADDRESS:BIT:VALUE (an address 0x8000-0xFFFF, "
                   "a bit 0-7, a value 0 or 1)\n";
      return 2;
    }
  }

  BoardConfig config;
  try {
    config = MakeConfig(o);
    config.stuckBit = o.run.stuckBit;
    if (!o.run.file.empty()) return RunHexFile(o);
  } catch (const std::exception& error) {
    std::cerr << "orvane-board: bad number in the options (" << error.what() << ")\n";
    return 2;
  }
  return Serve(o, config);
}
