// The virtual board on its own: the protocol it keeps, its line and its faults, driven through
// its serial device as the port object drives it, on virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <numeric>

#include "board/board_protocol.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"

namespace orvane::sim {
namespace {

using namespace orvane::board;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kMaxDword = 0xFFFFFFFF;

// A host end of the line: one open device, 8N1 at a rate, DTR raised, the system's time-outs.
class Host {
 public:
  explicit Host(BoardConfig config = {}, std::uint32_t baud = 57600)
      : board(std::make_shared<VirtualBoard>(std::move(config), clock)) {
    Open(baud);
  }

  void Open(std::uint32_t baud) {
    serial::SysError error = 0;
    device = OpenBoardDevice(board, &error);
    ASSERT_NE(device, nullptr) << error;
    SetRate(baud);
    SetReadTimeout(100);
  }
  void SetRate(std::uint32_t baud) {
    serial::Dcb dcb;
    dcb.BaudRate = baud;
    dcb.Flags = serial::dcb_flags::kBinary | (1u << serial::dcb_flags::kDtrControlShift);
    ASSERT_EQ(device->SetState(dcb), 0u);
  }
  void SetReadTimeout(std::uint32_t constant) {
    ASSERT_EQ(device->SetTimeouts({kMaxDword, kMaxDword, constant, 100, 1000}), 0u);
  }
  void Pulse() {
    device->Escape(serial::kClrDtr);
    clock->Advance(Ms(2));
    device->Escape(serial::kSetDtr);
  }
  void Send(const Bytes& bytes) {
    ASSERT_EQ(device->Write(bytes.data(), static_cast<std::int32_t>(bytes.size())).transferred,
              static_cast<std::int32_t>(bytes.size()));
  }
  // One read of one byte, as the host's protocol code does it; empty on time-out.
  std::optional<std::uint8_t> ReadByte() {
    std::uint8_t byte = 0;
    const serial::IoResult result = device->Read(&byte, 1);
    EXPECT_EQ(result.error, 0u);
    if (result.transferred != 1) return std::nullopt;
    return byte;
  }
  // Sends each byte and reads the answer after it where `answered` says so.
  Bytes Exchange(const Bytes& bytes, bool answered) {
    Bytes answers;
    for (std::uint8_t b : bytes) {
      Send({b});
      if (answered) {
        if (auto a = ReadByte()) answers.push_back(*a);
      }
    }
    return answers;
  }
  bool Handshake() {
    Pulse();
    Send({kSync, kCommandStart});
    return ReadByte() == kHandshakeAnswer;
  }

  std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
  std::shared_ptr<VirtualBoard> board;
  std::unique_ptr<serial::ComDevice> device;
};

Bytes Pattern(std::size_t count, std::uint8_t seed) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

// ---- handshake, reset, rate

TEST(VirtualBoardHandshake, AnswersPlusToSyncAndStarOnly) {
  Host host;
  host.Send({kCommandStart});
  EXPECT_EQ(host.ReadByte(), std::nullopt);
  host.Send({0x55, kSync, 0x33, kCommandStart});  // the star must follow the sync
  EXPECT_EQ(host.ReadByte(), std::nullopt);
  host.Send({kSync, kCommandStart});
  EXPECT_EQ(host.ReadByte(), kHandshakeAnswer);
}

TEST(VirtualBoardHandshake, DtrPulseResetsInTheMiddleOfATransfer) {
  Host host;
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kPageDownloadVerified, 0x40, 0x40});
  host.Send({kSync, kCommandStart});  // taken as the first page's length and address
  EXPECT_EQ(host.ReadByte(), kSync);
  EXPECT_EQ(host.ReadByte(), kCommandStart);
  EXPECT_TRUE(host.Handshake());
  EXPECT_EQ(host.board->State(), FirmwareState::Ready);
}

TEST(VirtualBoardHandshake, BytesAtAnotherRateOrFramingAreNoise) {
  BoardConfig config;
  config.rates = {9600};
  Host host(config, 57600);
  EXPECT_FALSE(host.Handshake());
  const auto record = host.board->Record();
  EXPECT_TRUE(std::none_of(record.begin(), record.end(), [](const LineEvent& e) {
    return e.kind == LineEventKind::HostByte && e.heard;
  }));
  host.SetRate(9600);
  EXPECT_TRUE(host.Handshake());

  serial::Dcb sevenBits;
  sevenBits.BaudRate = 9600;
  sevenBits.ByteSize = 7;
  sevenBits.Flags = 1u << serial::dcb_flags::kDtrControlShift;
  ASSERT_EQ(host.device->SetState(sevenBits), 0u);
  EXPECT_FALSE(host.Handshake());
}

TEST(VirtualBoardHandshake, BootTimeSwallowsBytesSentTooSoonAfterTheRise) {
  BoardConfig config;
  config.bootTime = Ms(3);
  Host host(config);
  EXPECT_FALSE(host.Handshake());
  host.Pulse();
  host.clock->Advance(Ms(5));
  host.Send({kSync, kCommandStart});
  EXPECT_EQ(host.ReadByte(), kHandshakeAnswer);
}

TEST(VirtualBoardLine, PacingTakesTenBitTimesEachWay) {
  BoardConfig config;
  config.rates = {9600};
  config.answerDelay = Micros(500);
  Host host(config, 9600);
  host.Pulse();
  const Micros start = host.clock->Now();
  host.Send({kSync, kCommandStart});
  ASSERT_EQ(host.ReadByte(), kHandshakeAnswer);
  // Two bytes out, the answer delay, one byte back: 1042 us a byte at 9600 bit/s.
  EXPECT_EQ(host.clock->Now() - start, Micros(3 * 1042 + 500));

  BoardConfig unpaced = config;
  unpaced.pacing = false;
  host.board->SetConfig(unpaced);
  host.Pulse();
  const Micros again = host.clock->Now();
  host.Send({kSync, kCommandStart});
  ASSERT_EQ(host.ReadByte(), kHandshakeAnswer);
  EXPECT_EQ(host.clock->Now() - again, Micros(500));
}

// ---- read time-outs

TEST(VirtualBoardLine, ReadTimeoutsFollowTheCommTimeoutRules) {
  Host host;
  // Nothing coming: the read takes exactly the constant and costs no real time.
  Micros before = host.clock->Now();
  EXPECT_EQ(host.ReadByte(), std::nullopt);
  EXPECT_EQ(host.clock->Now() - before, Ms(100));

  // A byte on its way: the read returns when it arrives.
  host.Pulse();
  host.Send({kSync, kCommandStart});
  before = host.clock->Now();
  EXPECT_EQ(host.ReadByte(), kHandshakeAnswer);
  EXPECT_LT(host.clock->Now() - before, Ms(1));

  // Bytes already waiting: at once, at most what was asked, and only what is there.
  BoardConfig echo;
  echo.program = ProgramBehaviour::Echo;
  host.board->SetConfig(echo);
  host.Send({kCommandStart, kByteDownloadUnverified, 0x40, 0x40, 0x00, 0x00, 1, 2, 3});
  host.clock->Advance(Ms(10));
  before = host.clock->Now();
  std::uint8_t buffer[10] = {};
  EXPECT_EQ(host.device->Read(buffer, 10).transferred, 3);
  EXPECT_EQ(host.clock->Now(), before);
  EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{1, 2, 3}));

  // ReadInterval = MAXDWORD alone: returns at once with nothing.
  ASSERT_EQ(host.device->SetTimeouts({kMaxDword, 0, 0, 0, 0}), 0u);
  before = host.clock->Now();
  EXPECT_EQ(host.device->Read(buffer, 1).transferred, 0);
  EXPECT_EQ(host.clock->Now(), before);

  // Total time-out for a whole buffer: waits for all of it or the limit.
  ASSERT_EQ(host.device->SetTimeouts({0, 10, 50, 0, 0}), 0u);
  host.Send({7, 8});
  EXPECT_EQ(host.device->Read(buffer, 4).transferred, 2);
  EXPECT_EQ(host.clock->Now() - before, Ms(90));
}

// Each byte that arrives is an event, also one that comes after the host took the one before
// it: the queue is then as long as when the wait last looked.
TEST(VirtualBoardLine, EveryArrivalIsAnEventWhateverTheHostTookMeanwhile) {
  Host host;
  ASSERT_EQ(host.device->SetEventMask(serial::kEvRxChar), 0u);
  auto wait = host.device->NewEventWait();
  const auto nextEvent = [&] {  // stopped after two seconds rather than hanging the suite
    auto waited = std::async(std::launch::async, [&] {
      std::uint32_t events = 0;
      return std::pair(wait->Wait(&events), events);
    });
    if (waited.wait_for(std::chrono::seconds(2)) != std::future_status::ready) wait->Stop();
    return waited.get();
  };
  for (int answer = 0; answer < 2; ++answer) {
    SCOPED_TRACE(answer);
    host.Send({kSync, kCommandStart});
    host.clock->Advance(Ms(1));  // the answer has arrived
    const auto [result, events] = nextEvent();
    ASSERT_EQ(result, serial::ComEventWait::Result::kEvents);
    EXPECT_EQ(events, serial::kEvRxChar);
    EXPECT_EQ(host.ReadByte(), kHandshakeAnswer);
  }
}

TEST(VirtualBoardLine, PurgeDiscardsWhatHasArrived) {
  Host host;
  host.Pulse();
  host.Send({kSync, kCommandStart});
  host.clock->Advance(Ms(1));
  std::uint32_t errors = 1, waiting = 0;
  ASSERT_EQ(host.device->ClearError(&errors, &waiting), 0u);
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(waiting, 1u);
  ASSERT_EQ(host.device->Purge(serial::kPurgeRxClear | serial::kPurgeTxClear), 0u);
  EXPECT_EQ(host.ReadByte(), std::nullopt);
}

// ---- self-test

TEST(VirtualBoardSelftest, AnswersMemoryTypeThenResult) {
  BoardConfig config;
  config.memoryType = kMemoryAt28c64;
  config.selftestResult = kSelftestFailed;
  config.selftestTime = Ms(400);
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  host.SetReadTimeout(1000);
  host.Send({kCommandStart, kSelftestCommand, kSelftestCommand});
  EXPECT_EQ(host.ReadByte(), kMemoryAt28c64);
  const Micros afterType = host.clock->Now();
  EXPECT_EQ(host.ReadByte(), kSelftestFailed);
  EXPECT_GE(host.clock->Now() - afterType, Ms(400));
}

TEST(VirtualBoardSelftest, EitherAnswerCanBeWithheld) {
  BoardConfig config;
  config.memoryType.reset();
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  host.SetReadTimeout(1000);
  host.Send({kCommandStart, kSelftestCommand, kSelftestCommand});
  EXPECT_EQ(host.ReadByte(), kSelftestCompleted);
  EXPECT_EQ(host.ReadByte(), std::nullopt);

  config.memoryType = kMemoryAt28c64b;
  config.selftestResult.reset();
  host.board->SetConfig(config);
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kSelftestCommand, kSelftestCommand});
  EXPECT_EQ(host.ReadByte(), kMemoryAt28c64b);
  EXPECT_EQ(host.ReadByte(), std::nullopt);
}

// ---- downloads

TEST(VirtualBoardDownload, VerifiedPagesAreEchoedAcknowledgedAndStored) {
  Host host;
  ASSERT_TRUE(host.Handshake());
  const Bytes data = Pattern(0x41, 3);  // 0x4000 .. 0x4040: a full page and one byte
  host.Send({kCommandStart, kPageDownloadVerified, 0x40, 0x41});
  EXPECT_EQ(host.ReadByte(), std::nullopt);  // the end address is not echoed

  Bytes header1{0x40, 0x40, 0x00};
  EXPECT_EQ(host.Exchange(header1, true), header1);
  EXPECT_EQ(host.Exchange(Bytes(data.begin(), data.begin() + 64), true),
            Bytes(data.begin(), data.begin() + 64));
  host.SetReadTimeout(300);
  EXPECT_EQ(host.ReadByte(), BoardConfig{}.pageAcknowledge);
  EXPECT_FALSE(host.board->ProgramStarted());

  Bytes header2{0x01, 0x40, 0x40};
  EXPECT_EQ(host.Exchange(header2, true), header2);
  EXPECT_EQ(host.Exchange({data[64]}, true), Bytes{data[64]});
  EXPECT_TRUE(host.ReadByte().has_value());
  EXPECT_TRUE(host.board->ProgramStarted());

  const auto memory = host.board->Memory();
  EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin()));
  EXPECT_EQ(memory[0x41], BoardFirmware::kErased);
  EXPECT_EQ(host.board->LastCommand(), kPageDownloadVerified);
}

TEST(VirtualBoardDownload, UnverifiedPagesGetOnlyTheAcknowledgementAfterTheWriteTime) {
  BoardConfig config;
  config.pageWriteTime = Ms(20);
  config.pageAcknowledge = 0x00;
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  const Bytes data = Pattern(0x80, 9);
  host.Send({kCommandStart, kPageDownloadUnverified, 0x40, 0x80});
  for (int page = 0; page < 2; ++page) {
    host.Send({0x40, 0x40, static_cast<std::uint8_t>(page * 0x40)});
    host.Send(Bytes(data.begin() + page * 64, data.begin() + page * 64 + 64));
    const Micros sent = host.clock->Now();
    host.SetReadTimeout(300);
    EXPECT_EQ(host.ReadByte(), 0x00);
    EXPECT_GE(host.clock->Now() - sent, Ms(20));
  }
  EXPECT_EQ(host.ReadByte(), std::nullopt);  // nothing else: no echoes
  EXPECT_TRUE(host.board->ProgramStarted());
  const auto memory = host.board->Memory();
  EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin()));
}

TEST(VirtualBoardDownload, ByteTransferHeaderIsInterleavedAndEchoedOnlyWhenVerified) {
  for (bool verified : {false, true}) {
    Host host;
    ASSERT_TRUE(host.Handshake());
    host.Send({kCommandStart, verified ? kByteDownloadVerified : kByteDownloadUnverified});
    // start high, end high, start low, end low
    const Bytes header{0x40, 0x40, 0x00, 0x02};
    EXPECT_EQ(host.Exchange(header, verified), verified ? header : Bytes{});
    EXPECT_EQ(host.ReadByte(), std::nullopt);
    EXPECT_EQ(host.Exchange({0xA5, 0x5A}, true), (Bytes{0xA5, 0x5A}));
    EXPECT_TRUE(host.board->ProgramStarted());
    EXPECT_EQ(host.board->MemoryAt(0x4000), 0xA5);
    EXPECT_EQ(host.board->MemoryAt(0x4001), 0x5A);
    EXPECT_EQ(host.board->MemoryAt(0x4002), BoardFirmware::kErased);
  }
}

TEST(VirtualBoardDownload, AddressesOutsideTheProgramMemoryAreNotStored) {
  Host host;
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kByteDownloadUnverified, 0x5F, 0x60, 0xFF, 0x02});
  EXPECT_EQ(host.Exchange({1, 2, 3}, true), (Bytes{1, 2, 3}));
  EXPECT_EQ(host.board->MemoryAt(0x5FFF), 1);
  EXPECT_TRUE(host.board->ProgramStarted());
}

TEST(VirtualBoardDownload, MemoryOutlivesTheDeviceAndItsReopening) {
  Host host;
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kByteDownloadUnverified, 0x40, 0x40, 0x10, 0x11});
  EXPECT_EQ(host.Exchange({0x42}, true), Bytes{0x42});
  host.device.reset();
  EXPECT_EQ(host.board->OpenHandles(), 0);
  host.Open(57600);
  EXPECT_TRUE(host.Handshake());
  EXPECT_EQ(host.board->MemoryAt(0x4010), 0x42);
}

// ---- started programs

TEST(VirtualBoardProgram, EchoProgramSendsBackWhatItGets) {
  BoardConfig config;
  config.program = ProgramBehaviour::Echo;
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kByteDownloadUnverified, 0x40, 0x40, 0x00, 0x01});
  EXPECT_EQ(host.Exchange({0x11}, true), Bytes{0x11});
  Bytes all(256);
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(host.Exchange(all, true), all);
  // The running program answers the handshake bytes too, until DTR resets the board.
  host.Send({kSync, kCommandStart});
  EXPECT_EQ(host.ReadByte(), kSync);
  EXPECT_TRUE(host.Handshake());
}

TEST(VirtualBoardProgram, MemoryTestReportsWithItsInterval) {
  BoardConfig config;
  config.program = ProgramBehaviour::MemoryTest;
  config.memoryTestReport = {'L', 'x', 'L', 'F'};
  config.memoryTestInterval = Ms(300);
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kByteDownloadUnverified, 0x40, 0x40, 0x00, 0x01});
  EXPECT_EQ(host.Exchange({0x11}, true), Bytes{0x11});
  host.SetReadTimeout(1000);
  Bytes report;
  Micros last = host.clock->Now();
  while (auto byte = host.ReadByte()) {
    report.push_back(*byte);
    EXPECT_GE(host.clock->Now() - last, Ms(299));
    last = host.clock->Now();
  }
  EXPECT_EQ(report, (Bytes{'L', 'x', 'L', 'F'}));
}

TEST(VirtualBoardProgram, ResetStopsAReportNotYetSent) {
  BoardConfig config;
  config.program = ProgramBehaviour::MemoryTest;
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kByteDownloadUnverified, 0x40, 0x40, 0x00, 0x01});
  EXPECT_EQ(host.Exchange({0x11}, true), Bytes{0x11});
  ASSERT_TRUE(host.Handshake());
  host.SetReadTimeout(2000);
  EXPECT_EQ(host.ReadByte(), std::nullopt);
  const Bytes sent = host.board->BoardBytes();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), 'L'), 0);
}

// ---- faults

TEST(VirtualBoardFaults, FallsSilentAfterCountedBytes) {
  BoardConfig config;
  config.program = ProgramBehaviour::Echo;
  config.faultCount = FaultCount::SinceProgramStart;
  config.silentAfter = 100;
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kByteDownloadUnverified, 0x40, 0x40, 0x00, 0x01});
  EXPECT_EQ(host.Exchange({0x11}, true), Bytes{0x11});
  Bytes all(256);
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(host.Exchange(all, true), Bytes(all.begin(), all.begin() + 100));
}

TEST(VirtualBoardFaults, WrongAnswerAtACountedByte) {
  BoardConfig config;
  config.faultCount = FaultCount::SinceCommand;
  config.wrongAnswerAt = 3;  // after the two end-address bytes: the first page's length
  Host host(config);
  ASSERT_TRUE(host.Handshake());
  host.Send({kCommandStart, kPageDownloadVerified, 0x40, 0x10});
  EXPECT_EQ(host.Exchange({0x10, 0x40, 0x00}, true), (Bytes{0xEF, 0x40, 0x00}));
}

TEST(VirtualBoardFaults, WrongHandshakeAnswer) {
  BoardConfig config;
  config.handshakeAnswer = 0x2D;
  Host host(config);
  host.Pulse();
  host.Send({kSync, kCommandStart});
  EXPECT_EQ(host.ReadByte(), 0x2D);
}

TEST(VirtualBoardFaults, VanishingPortFailsEveryCallAndCannotBeOpened) {
  BoardConfig config;
  config.vanishAfterWrites = 2;
  Host host(config);
  host.Send({kSync});
  host.Send({kCommandStart});
  std::uint8_t byte = 0;
  EXPECT_EQ(host.device->Write(&byte, 1).error, serial::DeviceGoneError());
  EXPECT_EQ(host.device->Read(&byte, 1).error, serial::DeviceGoneError());
  EXPECT_EQ(host.device->Purge(serial::kPurgeRxClear), serial::DeviceGoneError());
  EXPECT_EQ(host.device->Escape(serial::kSetDtr), serial::DeviceGoneError());
  host.device.reset();
  serial::SysError error = 0;
  EXPECT_EQ(OpenBoardDevice(host.board, &error), nullptr);
  EXPECT_EQ(error, serial::PortAbsentError());
}

TEST(VirtualBoardFaults, HeldOrAlreadyOpenBoardCannotBeOpened) {
  Host host;
  serial::SysError error = 0;
  EXPECT_EQ(OpenBoardDevice(host.board, &error), nullptr);
  EXPECT_EQ(error, serial::PortHeldError());
  host.device.reset();
  host.board->SetHeld(true);
  EXPECT_EQ(OpenBoardDevice(host.board, &error), nullptr);
  EXPECT_EQ(error, serial::PortHeldError());
  host.board->SetHeld(false);
  EXPECT_NE(OpenBoardDevice(host.board, &error), nullptr);
}

// ---- time

TEST(VirtualBoardClock, RealClockWaitsForReal) {
  BoardConfig config;
  auto board = std::make_shared<VirtualBoard>(config, std::make_shared<RealClock>());
  serial::SysError error = 0;
  auto device = OpenBoardDevice(board, &error);
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(device->SetTimeouts({kMaxDword, kMaxDword, 30, 0, 0}), 0u);
  const auto start = std::chrono::steady_clock::now();
  std::uint8_t byte = 0;
  EXPECT_EQ(device->Read(&byte, 1).transferred, 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(29));
}

}  // namespace
}  // namespace orvane::sim
