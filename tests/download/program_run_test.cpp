// A download that runs, on virtual time: the real page transfer writes a test program into a
// virtual board, the board's CPU starts it after the last page, and the host talks to it through
// the real port object as the testing window does.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "board/board_protocol.h"
#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "download/transfer.h"
#include "support/board_program.h"
#include "support/connected_board.h"

namespace orvane::download::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Running : ConnectedBoard {
  explicit Running(const std::string& program, sim::BoardConfig config = {})
      : ConnectedBoard(ImageBase + 1, std::move(config)) {
    HexFile file;
    file.Assign(test_support::TestProgramPath(program));
    EXPECT_TRUE(file.Open()) << program;
    EXPECT_EQ(HexLoader(*image, file).LoadHexFile(), LoadOk);
    for (std::uint8_t byte : {board::kCommandStart, board::kPageDownloadUnverified}) {
      bench.link.SendByte = byte;
      bench.link.WriteSendByte();
    }
    Transfer transfer{bench.link, *image, form2, bench.pump};
    downloaded = transfer.PageDownload(ImageBase, false);
  }

  // One byte within the time-out, as the testing window reads.
  std::optional<std::uint8_t> Read(int timeoutMs) {
    bench.link.Port().Timeouts().SetReadTotalConstant(timeoutMs);
    if (!bench.link.ReadReceiveByte()) return std::nullopt;
    return bench.link.ReceiveByte;
  }
  void Write(std::uint8_t byte) {
    bench.link.SendByte = byte;
    bench.link.WriteSendByte();
  }

  bool downloaded = false;
};

TEST(ProgramRun, EchoAnswersEveryValueWellWithinTheReadTimeout) {
  Running board("echo");
  ASSERT_TRUE(board.connected);
  ASSERT_TRUE(board.downloaded);
  EXPECT_TRUE(board.board->CpuRunning());
  for (int v = 0; v < 256; ++v) {
    const double sentMs = board.bench.ElapsedMs();
    board.Write(static_cast<std::uint8_t>(v));
    ASSERT_EQ(board.Read(100), v);
    // Out and back at 57600 take 0.35 ms; the program adds a few microseconds.
    EXPECT_LT(board.bench.ElapsedMs() - sentMs, 1.0);
  }
}

TEST(ProgramRun, MemrwReportsAsTheMemoryExchangeReadsIt) {
  struct Case {
    std::optional<sim::StuckBit> stuck;
    Bytes report;
  };
  for (const Case& c : {Case{std::nullopt, {'L', 'L', 'L', 'L', 'S'}},
                        Case{sim::StuckBit{}, {'L', 'L', 'L', 'L', 'F'}}}) {
    sim::BoardConfig config;
    config.stuckBit = c.stuck;
    Running board("memrw", config);
    ASSERT_TRUE(board.downloaded);
    Bytes report;
    while (auto byte = board.Read(1000)) report.push_back(*byte);
    EXPECT_EQ(report, c.report);
  }
}

TEST(ProgramRun, DtrPulseReturnsToTheMonitor) {
  Running board("echo");
  ASSERT_TRUE(board.downloaded);
  board.Write('a');
  EXPECT_EQ(board.Read(100), 'a');
  // The handshake is the monitor's: a running echo would answer 0x80 and '*' with themselves.
  EXPECT_TRUE(board.bench.link.ConnectBoard("COM3", "57600"));
  EXPECT_FALSE(board.board->CpuRunning());
}

TEST(ProgramRun, ALineAtAnotherRateThanTheProgramsCarriesNothing) {
  Running board("echo");
  ASSERT_TRUE(board.downloaded);
  board.bench.link.Port().SetBaudRate(serial::BaudRateFromText("9600"));  // the program: 57600
  board.Write('a');
  EXPECT_EQ(board.Read(100), std::nullopt);
  EXPECT_TRUE(board.board->CpuRunning());
}

TEST(ProgramRun, CannedBehavioursStayForFaults) {
  sim::BoardConfig config;
  config.program = sim::ProgramBehaviour::Silent;
  Running board("echo", config);
  ASSERT_TRUE(board.downloaded);
  EXPECT_FALSE(board.board->CpuRunning());
  board.Write('a');
  EXPECT_EQ(board.Read(100), std::nullopt);
}

}  // namespace
}  // namespace orvane::download::test
