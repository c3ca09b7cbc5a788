// The page and byte transfers on a virtual board, on virtual time: what goes on the wire, what is
// awaited, how each fault ends the transfer, and the progress bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board_protocol.h"
#include "download/transfer.h"
#include "support/connected_board.h"

namespace orvane::download::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr double kByteMs = 10 * 1000.0 / 57600;  // one byte on the line at 57600 bit/s

// After the handshake the board is in the state the download run leaves it in: '*' and the
// command code of the algorithm already sent.
struct Started : ConnectedBoard {
  Started(std::uint32_t endAddress, std::uint8_t commandCode, sim::BoardConfig config = {})
      : ConnectedBoard(endAddress, std::move(config)) {
    for (std::uint8_t byte : {board::kCommandStart, commandCode}) {
      bench.link.SendByte = byte;
      bench.link.WriteSendByte();
    }
  }
  Transfer transfer{bench.link, *image, form2, bench.pump};

  // The algorithm of a command code (0x07 page ... 0x0A byte verified).
  bool Run(std::uint8_t commandCode) {
    const bool verify =
        commandCode == board::kPageDownloadVerified || commandCode == board::kByteDownloadVerified;
    return commandCode <= board::kPageDownloadVerified ? transfer.PageDownload(0x4000, verify)
                                                       : transfer.ByteDownload(0x4000, verify);
  }

  // Host bytes after '*' and the command code.
  Bytes AlgorithmBytes() const {
    Bytes host = board->HostBytes();
    return Bytes(host.begin() + 2, host.end());
  }
};

// Every byte the board sent had arrived before the host sent its next byte: the host never runs
// ahead of an answer it expects.
void ExpectEveryAnswerAwaited(const sim::VirtualBoard& board) {
  const std::vector<sim::LineEvent> record = board.Record();
  double answerArrives = -1;
  for (const sim::LineEvent& e : record) {
    const double ms = e.time.count() / 1000.0;
    if (e.kind == sim::LineEventKind::BoardByte) answerArrives = ms + kByteMs;
    if (e.kind == sim::LineEventKind::HostByte && answerArrives >= 0) {
      ASSERT_GE(ms + 0.001, answerArrives) << "a byte went out before the answer had come";
      answerArrives = -1;
    }
  }
}

// ---- wire sequences

TEST(PageDownload, EndAddress4030IsOnePageOf48Bytes) {
  for (bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "verified" : "unverified");
    Started s(0x4030, verify ? board::kPageDownloadVerified : board::kPageDownloadUnverified);
    ASSERT_TRUE(s.transfer.PageDownload(0x4000, verify));

    Bytes host{0x40, 0x30, 0x30, 0x40, 0x00};
    Append(host, ImageBytes(*s.image, 0x4000, 0x4030));
    EXPECT_EQ(s.AlgorithmBytes(), host);
    // Verified: everything but the end address comes back, then the acknowledgement.
    Bytes answers;
    if (verify) answers = Bytes(host.begin() + 2, host.end());
    answers.push_back(0x06);
    EXPECT_EQ(s.board->BoardBytes(), answers);
    ExpectEveryAnswerAwaited(*s.board);
    EXPECT_EQ(s.board->CompletedDownloads(), 1);
    EXPECT_EQ(s.board->Memory()[0x2F], PatternByte(0x2F));
  }
}

TEST(PageDownload, PagesEndAtMultiplesOf64AndNoEmptyPageIsSent) {
  struct Case {
    std::uint32_t end;
    Bytes header;  // end address, then per page: length, address high, address low
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pages;
  };
  const Case cases[] = {
      {0x4041, {0x40, 0x41}, {{0x4000, 0x4040}, {0x4040, 0x4041}}},
      {0x4080, {0x40, 0x80}, {{0x4000, 0x4040}, {0x4040, 0x4080}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.end);
    Started s(c.end, board::kPageDownloadUnverified);
    ASSERT_TRUE(s.transfer.PageDownload(0x4000, false));
    Bytes host = c.header;
    for (auto [from, to] : c.pages) {
      Append(host, {static_cast<std::uint8_t>(to - from), static_cast<std::uint8_t>(from >> 8),
                    static_cast<std::uint8_t>(from)});
      Append(host, ImageBytes(*s.image, from, to));
    }
    EXPECT_EQ(s.AlgorithmBytes(), host);
    EXPECT_EQ(s.board->BoardBytes(), Bytes(c.pages.size(), 0x06));
    ExpectEveryAnswerAwaited(*s.board);
  }
}

TEST(ByteDownload, HeaderInterleavesStartAndEndAndEveryDataByteIsEchoed) {
  for (bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "verified" : "unverified");
    Started s(0x4002, verify ? board::kByteDownloadVerified : board::kByteDownloadUnverified);
    ASSERT_TRUE(s.transfer.ByteDownload(0x4000, verify));
    const Bytes data = ImageBytes(*s.image, 0x4000, 0x4002);
    Bytes host{0x40, 0x40, 0x00, 0x02};
    Append(host, data);
    EXPECT_EQ(s.AlgorithmBytes(), host);
    EXPECT_EQ(s.board->BoardBytes(), verify ? host : data);
    ExpectEveryAnswerAwaited(*s.board);
    EXPECT_EQ(s.board->CompletedDownloads(), 1);
  }
}

TEST(Transfers, AFullImageArrivesWholeWithEachAlgorithm) {
  for (int algorithm = 0; algorithm < 4; ++algorithm) {
    SCOPED_TRACE(algorithm);
    const auto command = static_cast<std::uint8_t>(0x07 + algorithm);
    Started s(0x6000, command);
    ASSERT_TRUE(s.Run(command));
    EXPECT_EQ(s.board->Memory(), s.image->bytes);
    EXPECT_EQ(s.board->CompletedDownloads(), 1);
    EXPECT_EQ(s.form2.pbDownload.Position(), 8192);
    EXPECT_EQ(s.form2.pbDownload.Max(), 8192);
    // Page transfers keep the long time-out from the first acknowledgement on.
    EXPECT_EQ(s.bench.ComPort1.Timeouts().ReadTotalConstant(), algorithm < 2 ? 300 : 100);
  }
}

// ---- answers that end or do not end a transfer

TEST(PageDownload, AWrongEchoOfTheLengthEndsTheTransferBeforeTheAddress) {
  sim::BoardConfig config;
  config.wrongAnswerAt = 3;  // end high, end low, length
  Started s(0x4030, board::kPageDownloadVerified, config);
  EXPECT_FALSE(s.transfer.PageDownload(0x4000, true));
  EXPECT_EQ(s.AlgorithmBytes(), (Bytes{0x40, 0x30, 0x30}));
  EXPECT_EQ(s.form2.pbDownload.Position(), 0);
}

TEST(PageDownload, AnyAcknowledgementValueIsAcceptedEvenZero) {
  for (std::uint8_t ack : {0x00, 0xFF, 0x15}) {
    sim::BoardConfig config;
    config.pageAcknowledge = ack;
    Started s(0x4080, board::kPageDownloadUnverified, config);
    EXPECT_TRUE(s.transfer.PageDownload(0x4000, false)) << int(ack);
    EXPECT_EQ(s.board->BoardBytes(), (Bytes{ack, ack}));
  }
}

TEST(ByteDownload, UnverifiedStillChecksDataEchoesButNotTheHeader) {
  {
    sim::BoardConfig config;
    config.wrongAnswerAt = 6;  // the second data byte
    Started s(0x4010, board::kByteDownloadUnverified, config);
    EXPECT_FALSE(s.transfer.ByteDownload(0x4000, false));
    EXPECT_EQ(s.AlgorithmBytes().size(), 4u + 2u);
  }
  {
    // The board answers nothing to the header, as the unverified board does: the host does not
    // wait for it.
    Started s(0x4004, board::kByteDownloadUnverified);
    ASSERT_TRUE(s.transfer.ByteDownload(0x4000, false));
    EXPECT_LT(s.bench.ElapsedMs(), 100);
  }
}

TEST(Transfers, ABoardFallingSilentEndsTheTransferAfterTheReadTimeout) {
  struct Case {
    const char* phase;
    std::uint8_t command;
    std::uint32_t end;
    std::uint64_t answeredBytes;  // bytes of the algorithm that still get their answers
    std::size_t bytesSent;        // algorithm bytes sent in all
    double timeoutMs;
    int progress;
  };
  const Case cases[] = {
      {"byte header", board::kByteDownloadVerified, 0x4030, 0, 1, 100, 0},
      {"byte data", board::kByteDownloadUnverified, 0x4030, 4, 5, 100, 1},
      {"byte data, later", board::kByteDownloadVerified, 0x4030, 20, 21, 100, 17},
      {"page length", board::kPageDownloadVerified, 0x4030, 2, 3, 100, 0},
      {"page address", board::kPageDownloadVerified, 0x4030, 3, 4, 100, 0},
      {"page data", board::kPageDownloadVerified, 0x4030, 5, 6, 100, 1},
      {"acknowledgement", board::kPageDownloadUnverified, 0x4030, 52, 53, 300, 48},
      {"second acknowledgement", board::kPageDownloadUnverified, 0x4080, 135, 136, 300, 128},
      // After the first acknowledgement even echoes get the long time-out.
      {"second page length", board::kPageDownloadVerified, 0x4041, 69, 70, 300, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phase);
    sim::BoardConfig config;
    config.silentAfter = c.answeredBytes;
    Started s(c.end, c.command, config);
    EXPECT_FALSE(s.Run(c.command));
    EXPECT_EQ(s.AlgorithmBytes().size(), c.bytesSent);
    EXPECT_EQ(s.form2.pbDownload.Position(), c.progress);
    // The wait starts when the last byte is handed to the line, which may be before it starts
    // out when unanswered bytes queue up (at most one page: about 11 ms).
    const double waited = s.bench.ElapsedMs() - s.LastHostByteMs();
    EXPECT_GE(waited, c.timeoutMs - 12);
    EXPECT_LE(waited, c.timeoutMs);
  }
}

// ---- progress

TEST(Transfers, MessagesRunBeforeEachPageAndTheBarStepsJustBeforeEachDataByte) {
  for (int algorithm = 0; algorithm < 4; ++algorithm) {
    SCOPED_TRACE(algorithm);
    const bool page = algorithm < 2;
    const auto command = static_cast<std::uint8_t>(0x07 + algorithm);
    Started s(0x4085, command);
    // Bytes the host sends before the first data byte, and between the pages.
    const std::size_t header = page ? 2 + 3 : 4;
    std::vector<std::string> wrong;
    s.form2.pbDownload.onStep = [&] {
      const int position = s.form2.pbDownload.Position();
      const std::size_t sent = s.AlgorithmBytes().size();
      const std::size_t pageHeaders = page ? 3 * (static_cast<std::size_t>(position) / 64) : 0;
      if (sent != header + pageHeaders + static_cast<std::size_t>(position)) {
        wrong.push_back("bytes sent at step " + std::to_string(position));
      }
      // Messages also run before each page.
      const int pageStarts = page ? position / 64 + 1 : 0;
      if (s.bench.pump.runs != position + 1 + pageStarts) {
        wrong.push_back("messages not run before step " + std::to_string(position));
      }
    };
    ASSERT_TRUE(s.Run(command));
    EXPECT_TRUE(wrong.empty()) << wrong.front();
    EXPECT_EQ(s.bench.pump.runs, 0x85 + (page ? 3 : 0));
    EXPECT_EQ(s.form2.pbDownload.steps, 0x85);
    EXPECT_EQ(s.form2.pbDownload.Max(), 0x85);
    EXPECT_EQ(s.form2.pbDownload.Position(), 0x85);
    EXPECT_EQ(s.form2.repaints, 1);
  }
}

// ---- images the transfers refuse to read

TEST(Transfers, RangesOutsideTheProgramMemorySendNothing) {
  struct Case {
    std::uint32_t end;
    std::uint16_t start;
  };
  const Case cases[] = {
      {0, 0x4000},      {0x4000, 0x4000}, {0x6001, 0x4000}, {0x10040, 0x4000},
      {0x4100, 0x3FC0}, {0x4100, 0x4100}, {0x4100, 0x6000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.start << "-" << c.end);
    Started s(0x4100, board::kPageDownloadUnverified);
    s.image->EndAddress = c.end;
    EXPECT_FALSE(s.transfer.PageDownload(c.start, true));
    EXPECT_FALSE(s.transfer.ByteDownload(c.start, true));
    EXPECT_TRUE(s.AlgorithmBytes().empty());
    EXPECT_EQ(s.form2.pbDownload.steps, 0);
  }
}

}  // namespace
}  // namespace orvane::download::test
