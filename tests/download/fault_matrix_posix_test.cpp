// The fault matrix, end to end: orvane-board on a pseudo-terminal shows one fault at a time (a
// board silent at each phase, a wrong echo, stray bytes before an answer, the board pulled out
// mid-transfer, the port held by another program, the port absent). Each fault must give its
// message within the read time-out plus a second, and the next command must succeed once the
// board is back: in a fresh `orvane` process, and in one process that keeps its port object
// from fault to fault, as the window does.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "board/board_messages.h"
#include "download/download_run.h"
#include "download/memory_image.h"
#include "serial/com_port.h"
#include "support/board_bench.h"
#include "support/board_server_posix.h"
#include "support/fake_progress_window.h"
#include "support/hint_lines.h"

namespace orvane::faults {
namespace {

using test_support::BoardServer;
using test_support::OrvanePath;
using test_support::RunProgram;
using Clock = std::chrono::steady_clock;

const std::string kBoardCheck = std::string(board::kBoardCheckText) + "\n";
const std::string kFailure = "Downloading failure\n";

std::string Sample() { return std::string(ORVANE_SOURCE_DIR) + "/examples/blink.hex"; }

struct FaultCase {
  const char* name;
  std::vector<std::string> boardOptions;
  const char* algorithm;
  std::string out;  // what standard output says ("" when the run never started)
  std::string err;  // the message, or the start of it when `errPrefix`
  bool errPrefix = false;
};

// Byte counts: "reset" counts from the handshake's 0x80 (the 0x2A that the board answers is 2);
// "command" from the algorithm's first byte after its command code.
const std::vector<FaultCase>& Cases() {
  static const std::vector<FaultCase> cases = {
      {"silent at the handshake", {"--silent-after", "0"}, "page", "", kBoardCheck},
      {"wrong handshake answer", {"--wrong-answer-at", "2"}, "page", "", kBoardCheck},
      {"stray bytes before the handshake answer",
       {"--stray-before-at", "2"},
       "page",
       "",
       kBoardCheck},
      {"silent after the command code", {"--silent-after", "4"}, "byte-verified", kFailure, ""},
      {"silent at the first page acknowledgement",
       {"--count-from", "command", "--silent-after", "2"},
       "page",
       kFailure,
       ""},
      {"silent mid-transfer",
       {"--count-from", "command", "--silent-after", "12"},
       "byte-verified",
       kFailure,
       ""},
      {"wrong echo",
       {"--count-from", "command", "--wrong-answer-at", "8"},
       "byte-verified",
       kFailure,
       ""},
      {"stray bytes before an echo",
       {"--count-from", "command", "--stray-before-at", "6"},
       "page-verified",
       kFailure,
       ""},
      {"pulled out mid-transfer",
       {"--vanish-after-bytes", "12"},
       "byte-verified",
       "",
       "ReadFile function failed (error 5: Input/output error)",
       true},
  };
  return cases;
}

// The longest a failing run may take beyond a good one: the longest read time-out (a page's
// acknowledgement, 300 ms) plus a second.
constexpr auto kFailureAllowance = std::chrono::milliseconds(1300);

struct TimedRun {
  test_support::ProgramResult result;
  Clock::duration took;
};

TimedRun Download(const std::string& port, const char* algorithm) {
  const auto start = Clock::now();
  auto result = RunProgram(
      {OrvanePath(), "download", Sample(), "--port", port, "--algorithm", algorithm}, {}, 20000);
  return {std::move(result), Clock::now() - start};
}

void ExpectMessage(const FaultCase& c, const test_support::ProgramResult& result) {
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, c.out);
  const auto split = test_support::SplitHints(result.err);
  if (c.errPrefix) {
    EXPECT_EQ(split.messages.rfind(c.err, 0), 0u) << result.err;
  } else {
    EXPECT_EQ(split.messages, c.err);
  }
  // A board that does not answer the handshake gets the tool's next step after the check list.
  if (c.err == kBoardCheck) {
    ASSERT_EQ(split.hints.size(), 1u) << result.err;
    EXPECT_NE(split.hints[0].find("did not answer"), std::string::npos) << split.hints[0];
  }
}

TEST(FaultMatrix, EachFaultIsReportedInTimeAndTheNextCommandSucceeds) {
  Clock::duration good{};
  {
    BoardServer board;
    ASSERT_TRUE(board.Running());
    const TimedRun run = Download(board.LinkPath(), "byte-verified");
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    good = run.took;
  }
  for (const FaultCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    BoardServer faulty(c.boardOptions);
    ASSERT_TRUE(faulty.Running());
    const TimedRun run = Download(faulty.LinkPath(), c.algorithm);
    ExpectMessage(c, run.result);
    EXPECT_LT(run.took, good + kFailureAllowance);
    faulty.Stop();

    BoardServer back;
    const TimedRun next = Download(back.LinkPath(), c.algorithm);
    EXPECT_EQ(next.result.exitCode, 0) << next.result.err;
    EXPECT_EQ(next.result.out, "Downloading succeded\n");
  }
}

TEST(FaultMatrix, AHeldPortAndAnAbsentPortSayWhichPort) {
  BoardServer board;
  ASSERT_TRUE(board.Running());
  const std::string port = board.LinkPath();
  const std::string expected = port + board::kPortInUseSuffix + "\n" + kBoardCheck;
  {
    serial::TComPort other;  // another program holds the port
    other.SetPort(port);
    other.Open();
    const TimedRun held = Download(port, "page");
    EXPECT_EQ(held.result.exitCode, 1);
    EXPECT_EQ(test_support::SplitHints(held.result.err).messages, expected);
    EXPECT_LT(held.took, kFailureAllowance);
  }
  const TimedRun released = Download(port, "page");
  EXPECT_EQ(released.result.exitCode, 0) << released.result.err;

  const std::string absent = port + "-absent";
  const TimedRun missing = Download(absent, "page");
  EXPECT_EQ(missing.result.exitCode, 1);
  EXPECT_EQ(test_support::SplitHints(missing.result.err).messages,
            absent + board::kPortInUseSuffix + "\n" + kBoardCheck);
}

// As in the window: one port object from fault to fault, never restarted. After each fault the
// next connection and download, to the board back on a port of any name, succeed.
TEST(FaultMatrix, OnePortObjectRecoversFromEveryFault) {
  test_support::BoardBench bench;
  bench.ComPort1.SetDeviceOpener(serial::OpenPlatformDevice);
  auto image = std::make_unique<download::MemoryImage>();
  image->EndAddress = download::ImageBase + 40;
  for (int i = 0; i < 40; ++i) image->bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
  auto downloadTo = [&](const std::string& port, int algorithm) {
    bench.rgDownloadAlg.SetItemIndex(algorithm);
    if (!bench.link.ConnectBoard(port, "57600")) return false;
    test_support::FakeProgressWindow form2(bench.Form1);
    return download::DownloadRun(bench.link, *image, form2);
  };
  for (const FaultCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::string name = c.algorithm;
    const int algorithm = name == "page" ? 0 : name == "page-verified" ? 1 : 3;
    {
      BoardServer faulty(c.boardOptions);
      ASSERT_TRUE(faulty.Running());
      const auto start = Clock::now();
      bool succeeded = true;
      try {
        succeeded = downloadTo(faulty.LinkPath(), algorithm);
      } catch (const serial::EComPort& error) {
        succeeded = false;
        EXPECT_FALSE(bench.ComPort1.Connected()) << "released before the error: " << error.what();
      }
      EXPECT_FALSE(succeeded);
      EXPECT_LT(Clock::now() - start, kFailureAllowance);
    }
    // A terminal carries no DTR: the board restarts after a short quiet time instead.
    BoardServer back({"--idle-reset-ms", "100"});
    EXPECT_TRUE(downloadTo(back.LinkPath(), algorithm));
    // The downloaded program now runs on the board's CPU and is never reset for being quiet; a
    // terminal has no DTR pulse, so closing it (opened anew by the next connection) stands in.
    // Nothing to wait for: the server restarts the board whether it sees the hang-up and then
    // the open, or only the open while it still thinks the terminal held (a pulse, to it).
    bench.ComPort1.Close();
    EXPECT_TRUE(downloadTo(back.LinkPath(), algorithm)) << "and again on the same port";
  }
}

}  // namespace
}  // namespace orvane::faults
