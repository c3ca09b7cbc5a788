// orvane-board: the virtual board served on a pseudo-terminal, so that the downloader (or any
// serial program) reaches it through the real serial layer. Prints the terminal's path on the
// first line of standard output; --link makes a stable symbolic link to it.
//
// A pseudo-terminal carries no modem lines, so the board cannot see the host's DTR pulse. It is
// reset instead when the host opens the terminal anew, and when the line has been quiet for a
// while (--idle-reset-ms) in the middle of a command or while a downloaded program runs; between
// commands it always takes a new handshake. The rate and framing the host sets are seen, so the
// board still answers only at its own rates.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/run_command.h"
#include "sim/virtual_board.h"

namespace {

using orvane::sim::BoardConfig;
using orvane::sim::FirmwareState;
using orvane::sim::LineEventKind;
using orvane::sim::Micros;
using orvane::sim::Ms;
using orvane::sim::VirtualBoard;

std::atomic<bool> stopRequested{false};

void OnSignal(int) { stopRequested = true; }

std::uint32_t SpeedToRate(speed_t speed) {
  switch (speed) {
    case B110:
      return 110;
    case B300:
      return 300;
    case B600:
      return 600;
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    case B230400:
      return 230400;
    default:
      return 0;
  }
}

struct Options {
  std::string link;
  std::string dump;
  std::vector<std::string> rates{"57600"};
  bool noPacing = false;
  long answerDelayUs = 200;
  long pageWriteMs = 10;
  long selftestMs = 200;
  std::string memoryType = "1";
  std::string selftestResult = "3";
  int handshakeAnswer = 0x2B;
  std::string program = "silent";
  std::string memtestReport = "LLLLS";
  long memtestIntervalMs = 250;
  std::string countFrom = "reset";
  long silentAfter = -1;
  long wrongAnswerAt = -1;
  long idleResetMs = 1500;
  bool verbose = false;
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
  config.answerDelay = Micros(o.answerDelayUs);
  config.pageWriteTime = Ms(o.pageWriteMs);
  config.selftestTime = Ms(o.selftestMs);
  config.memoryType = AnswerByte(o.memoryType);
  config.selftestResult = AnswerByte(o.selftestResult);
  config.handshakeAnswer = static_cast<std::uint8_t>(o.handshakeAnswer);
  if (o.program == "echo") {
    config.program = orvane::sim::ProgramBehaviour::Echo;
  } else if (o.program == "memtest") {
    config.program = orvane::sim::ProgramBehaviour::MemoryTest;
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
  return config;
}

bool DumpMemory(const VirtualBoard& board, const std::string& path) {
  if (path.empty()) return true;
  // Written beside and renamed, so a reader never sees half a dump.
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const auto memory = board.Memory();
    out.write(reinterpret_cast<const char*>(memory.data()),
              static_cast<std::streamsize>(memory.size()));
    if (!out) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

// Prints what crossed the line since the last call, and forgets it so the record stays small.
void ReportLine(VirtualBoard& board, bool verbose) {
  if (verbose) {
    for (const auto& event : board.Record()) {
      const double ms = event.time.count() / 1000.0;
      switch (event.kind) {
        case LineEventKind::HostByte:
          std::fprintf(stderr, "%10.3f host  %02X%s\n", ms, event.byte,
                       event.heard ? "" : " (not heard)");
          break;
        case LineEventKind::BoardByte:
          std::fprintf(stderr, "%10.3f board %02X\n", ms, event.byte);
          break;
        case LineEventKind::Reset:
          std::fprintf(stderr, "%10.3f reset\n", ms);
          break;
        case LineEventKind::LineConfig:
          std::fprintf(stderr, "%10.3f line  %u%s\n", ms, event.baud, event.heard ? " 8N1" : "");
          break;
        default:
          break;
      }
    }
  }
  board.ClearRecord();
}

class Server {
 public:
  Server(std::shared_ptr<VirtualBoard> board, const Options& options)
      : board_(std::move(board)), options_(options) {}

  int Run(int master) {
    master_ = master;
    int dumpedDownloads = 0;
    while (!stopRequested) {
      pollfd fd{master_, POLLIN, 0};
      const int ready = poll(&fd, 1, static_cast<int>(TimeoutMs()));
      if (ready < 0 && errno != EINTR) {
        std::perror("orvane-board: poll");
        return 1;
      }
      const bool hostPresent = ready <= 0 || (fd.revents & POLLHUP) == 0;
      if (ready > 0 && (fd.revents & POLLHUP)) {
        HostGone();
        // Nobody has the terminal open: nothing to do until someone does.
        usleep(5000);
      } else {
        if (hostPresent && !hostOpen_) HostCame();
        if (ready > 0 && (fd.revents & POLLIN)) Receive();
      }
      Deliver();
      IdleReset();
      ReportLine(*board_, options_.verbose);
      if (board_->CompletedDownloads() != dumpedDownloads) {
        dumpedDownloads = board_->CompletedDownloads();
        DumpMemory(*board_, options_.dump);
      }
    }
    return 0;
  }

 private:
  long TimeoutMs() const {
    // Short enough to notice a signal and a due answer in time.
    long timeout = 20;
    const auto arrivals = board_->PendingArrivals();
    if (!arrivals.empty()) {
      const Micros wait = arrivals.front() - board_->GetClock().Now();
      timeout = std::clamp<long>(static_cast<long>(wait.count() / 1000), 0, timeout);
    }
    return timeout;
  }

  void HostCame() {
    hostOpen_ = true;
    board_->HostOpened();
    board_->HostSetDtr(true);  // opening the port raises DTR: the board restarts
    lastActivity_ = board_->GetClock().Now();
  }

  void HostGone() {
    if (!hostOpen_) return;
    hostOpen_ = false;
    board_->HostClosed();
  }

  void Receive() {
    std::uint8_t buffer[256];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    termios line{};
    if (tcgetattr(master_, &line) == 0) {
      const bool eightN1 = (line.c_cflag & CSIZE) == CS8 && (line.c_cflag & PARENB) == 0 &&
                           (line.c_cflag & CSTOPB) == 0;
      const std::uint32_t rate = SpeedToRate(cfgetospeed(&line));
      if (rate != rate_ || eightN1 != eightN1_) {
        rate_ = rate;
        eightN1_ = eightN1;
        board_->HostSetLine(rate, eightN1);
      }
    }
    board_->HostWrite(buffer, static_cast<std::size_t>(n));
    lastActivity_ = board_->GetClock().Now();
  }

  void Deliver() {
    std::uint8_t buffer[256];
    const std::size_t n = board_->HostTake(buffer, sizeof buffer);
    if (n == 0) return;
    lastActivity_ = board_->GetClock().Now();
    if (!hostOpen_) return;  // sent into a cable nobody listens to
    std::size_t done = 0;
    while (done < n) {
      const ssize_t written = write(master_, buffer + done, n - done);
      if (written < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
          usleep(1000);
          continue;
        }
        return;
      }
      done += static_cast<std::size_t>(written);
    }
  }

  void IdleReset() {
    if (options_.idleResetMs <= 0) return;
    const FirmwareState state = board_->State();
    if (state == FirmwareState::Idle || state == FirmwareState::Ready) return;
    if (!board_->PendingArrivals().empty()) return;
    if (board_->GetClock().Now() - lastActivity_ >= Ms(options_.idleResetMs)) {
      board_->ResetNow();
      lastActivity_ = board_->GetClock().Now();
    }
  }

  std::shared_ptr<VirtualBoard> board_;
  const Options& options_;
  int master_ = -1;
  bool hostOpen_ = false;
  std::uint32_t rate_ = 0;
  bool eightN1_ = true;
  Micros lastActivity_{0};
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  CLI::App app{"orvane-board: the virtual Orvane board on a pseudo-terminal", "orvane-board"};
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
  app.add_option("--program", o.program, "What a downloaded program does")
      ->check(CLI::IsMember({"silent", "echo", "memtest"}))
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
  app.add_option("--idle-reset-ms", o.idleResetMs,
                 "Quiet time after which an unfinished command or a running program is reset "
                 "(0: never)")
      ->capture_default_str();
  app.add_flag("--verbose", o.verbose, "Log every byte on standard error");
  orvane::sim::RunCommandOptions run;
  std::string stuckBit;
  app.add_option("--run", run.file,
                 "Run this HEX file on the board model instead of serving a terminal: its serial "
                 "output goes to standard output");
  app.add_option("--until", run.limits.until, "With --run: stop once the output ends with this");
  app.add_option("--cycles", run.limits.maxCycles,
                 "With --run: stop after this many machine cycles")
      ->capture_default_str();
  app.add_flag("--report", run.report,
               "With --run: print the pins' edge counts and the LCD's lines on standard error");
  app.add_flag("--stdin", run.feedStdin,
               "With --run: feed standard input to the program's serial port");
  app.add_option("--stuck-bit", stuckBit,
                 "External RAM bit that reads as a fixed value: ADDRESS:BIT:VALUE, e.g. "
                 "0x9234:3:1");
  CLI11_PARSE(app, argc, argv);
  if (!stuckBit.empty()) {
    run.stuckBit = orvane::sim::ParseStuckBit(stuckBit);
    if (!run.stuckBit) {
      std::cerr << "orvane-board: --stuck-bit wants ADDRESS:BIT:VALUE (an address 0x8000-0xFFFF, "
                   "a bit 0-7, a value 0 or 1)\n";
      return 2;
    }
  }
  if (!run.file.empty()) {
    if (!o.rates.empty() && o.rates.front() != "any") {
      run.limits.baud = static_cast<std::uint32_t>(std::stoul(o.rates.front()));
    }
    return orvane::sim::RunCommand(run);
  }

  BoardConfig config;
  try {
    config = MakeConfig(o);
  } catch (const std::exception& error) {
    std::cerr << "orvane-board: bad number in the options (" << error.what() << ")\n";
    return 2;
  }

  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::perror("orvane-board: openpty");
    return 1;
  }
  // Raw until the host sets its own line: no echo, no line editing, no newline translation.
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  cfsetspeed(&raw, B57600);
  tcsetattr(slave, TCSANOW, &raw);
  // Not kept open here, so that the host closing the terminal can be seen.
  close(slave);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

  if (!o.link.empty()) {
    std::error_code ignored;
    std::filesystem::remove(o.link, ignored);
    std::error_code error;
    std::filesystem::create_symlink(name, o.link, error);
    if (error) {
      std::cerr << "orvane-board: cannot link " << o.link << ": " << error.message() << "\n";
      return 1;
    }
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  auto board = std::make_shared<VirtualBoard>(config, std::make_shared<orvane::sim::RealClock>());
  std::cout << name << std::endl;

  Server server(board, o);
  const int status = server.Run(master);
  const bool dumped = DumpMemory(*board, o.dump);
  if (!o.link.empty()) {
    std::error_code ignored;
    std::filesystem::remove(o.link, ignored);
  }
  close(master);
  if (!dumped) {
    std::cerr << "orvane-board: cannot write " << o.dump << "\n";
    return 1;
  }
  return status;
}
