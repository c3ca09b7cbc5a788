// The network serial device against a loopback server that speaks the com-port protocol: the
// time-out contract, what goes over the connection for each port call, and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "serial/com_error.h"
#include "serial/com_port.h"
#include "serial/net_socket.h"
#include "serial/network_device.h"
#include "support/com_port_server_posix.h"
#include "support/timeout_contract.h"

namespace orvane::test_support {
namespace {

using Clock = std::chrono::steady_clock;
namespace tn = serial::telnet;
using Bytes = std::vector<std::uint8_t>;

// Open once the server has taken the connection (its opening commands have come), so that what
// the server sends next reaches this device.
std::unique_ptr<serial::ComDevice> Open(ComPortServer& server) {
  serial::SysError error = serial::kSuccess;
  auto device = serial::OpenNetworkDevice(server.PortName(), &error);
  EXPECT_NE(device, nullptr) << "error " << error;
  EXPECT_TRUE(server.WaitFor([](const auto& c) { return c.size() >= 2; }));
  return device;
}

serial::Dcb Line57600() {
  serial::Dcb dcb;
  dcb.BaudRate = 57600;
  dcb.Flags = serial::dcb_flags::kBinary | (1u << serial::dcb_flags::kDtrControlShift);
  return dcb;
}

class NetworkContractLine final : public ContractLine {
 public:
  NetworkContractLine() : device_(Open(server_)) {
    if (device_) device_->SetState(Line57600());
  }
  ~NetworkContractLine() override { Settle(); }
  serial::ComDevice& Device() override { return *device_; }
  Micros Now() override { return std::chrono::duration_cast<Micros>(Clock::now() - origin_); }
  void Send(const std::vector<int>& arrivalsMs) override {
    sender_.Send(arrivalsMs, *device_, [this](int count) {
      server_.SendData(Bytes(static_cast<std::size_t>(count), 0xA5));
    });
  }
  bool HoldOutput() override { return false; }  // the socket's buffers take whatever is written
  bool RealTime() const override { return true; }
  void Settle() override {
    sender_.Join();
    if (device_) device_->Purge(serial::kPurgeRxClear | serial::kPurgeTxClear);
  }

 private:
  ComPortServer server_;
  Clock::time_point origin_ = Clock::now();
  std::unique_ptr<serial::ComDevice> device_;
  RealTimeSender sender_;
};

TEST(NetworkDevice, KeepsTheTimeoutContract) {
  NetworkContractLine reads;
  CheckReadContract(reads, "network");
  NetworkContractLine writes;
  CheckWriteContract(writes, "network");
}

bool Has(const std::vector<tn::ComPortMessage>& commands, std::uint8_t code, std::uint32_t value) {
  return std::any_of(commands.begin(), commands.end(),
                     [&](const auto& m) { return m.code == code && m.value == value; });
}

TEST(NetworkDevice, SendsTheLineSettingsAndTheControlLines) {
  ComPortServer server;
  auto device = Open(server);
  serial::Dcb dcb = Line57600();
  dcb.ByteSize = 7;
  dcb.Parity = 2;    // even
  dcb.StopBits = 1;  // one and a half
  ASSERT_EQ(device->SetState(dcb), serial::kSuccess);
  ASSERT_EQ(device->Escape(serial::kClrDtr), serial::kSuccess);
  ASSERT_EQ(device->Escape(serial::kSetDtr), serial::kSuccess);
  ASSERT_TRUE(server.WaitFor([](const auto& c) { return c.size() >= 11; }));
  const auto commands = server.Commands();
  const std::pair<std::uint8_t, std::uint32_t> expected[] = {
      {tn::kSetLineStateMask, tn::kLineErrorMask},
      {tn::kSetModemStateMask, tn::kModemLineMask},
      {tn::kSetBaudRate, 57600},
      {tn::kSetDataSize, 7},
      {tn::kSetParity, 3},
      {tn::kSetStopSize, 3},
      {tn::kSetControl, tn::kControlNoFlowControl},
      {tn::kSetControl, tn::kControlDtrOn},
      {tn::kSetControl, tn::kControlRtsOff},
      {tn::kSetControl, tn::kControlDtrOff},
      {tn::kSetControl, tn::kControlDtrOn}};
  ASSERT_EQ(commands.size(), std::size(expected));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    EXPECT_EQ(commands[i].code, expected[i].first) << i;
    EXPECT_EQ(commands[i].value, expected[i].second) << i;
  }
  EXPECT_NE(device->SetState(serial::Dcb{}), serial::kSuccess);  // no rate
  EXPECT_EQ(device->Escape(1), serial::InvalidParameterError());
}

TEST(NetworkDevice, CarriesEveryByteValueAndQueuesDataOnly) {
  ComPortServer::Behaviour echo;
  echo.echo = true;
  ComPortServer server(echo);
  auto device = Open(server);
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  // A notification ahead of the echo is no data.
  server.SendRaw({255, 250, 44, 107, 0x30, 255, 240});
  EXPECT_EQ(device->Write(all.data(), 256).transferred, 256);
  WaitQueued(*device, 256);
  std::uint32_t errors = 0;
  std::uint32_t queued = 0;
  ASSERT_EQ(device->ClearError(&errors, &queued), serial::kSuccess);
  EXPECT_EQ(queued, 256u);
  serial::CommTimeouts available{0xFFFFFFFF, 0, 0, 0, 0};
  device->SetTimeouts(available);
  Bytes back(300);
  EXPECT_EQ(device->Read(back.data(), 300).transferred, 256);
  back.resize(256);
  EXPECT_EQ(back, all);
  EXPECT_EQ(server.Data(), all);
  std::uint32_t modem = 0;
  device->ModemStatus(&modem);
  EXPECT_EQ(modem, serial::kMsCtsOn | serial::kMsDsrOn);
}

TEST(NetworkDevice, PurgeDropsWhatCameBeforeTheServersAnswer) {
  ComPortServer::Behaviour behaviour;
  behaviour.beforePurgeAnswer = {1, 2, 3};
  ComPortServer server(behaviour);
  auto device = Open(server);
  server.SendData({9, 9});
  WaitQueued(*device, 2);
  ASSERT_EQ(device->Purge(serial::kPurgeRxClear | serial::kPurgeTxClear), serial::kSuccess);
  server.SendData({4});
  WaitQueued(*device, 1);
  device->SetTimeouts({0xFFFFFFFF, 0, 0, 0, 0});
  Bytes got(8);
  ASSERT_EQ(device->Read(got.data(), 8).transferred, 1);
  EXPECT_EQ(got[0], 4);
  EXPECT_TRUE(Has(server.Commands(), tn::kPurgeData, tn::kPurgeBoth));
}

TEST(NetworkDevice, ServerThatNeverAnswersControlsCostsOneShortWait) {
  ComPortServer::Behaviour silent;
  silent.answerControls = false;
  ComPortServer server(silent);
  auto device = Open(server);
  const auto start = Clock::now();
  ASSERT_EQ(device->SetState(Line57600()), serial::kSuccess);
  for (int pulse = 0; pulse < 5; ++pulse) {
    ASSERT_EQ(device->Escape(serial::kClrDtr), serial::kSuccess);
    ASSERT_EQ(device->Escape(serial::kSetDtr), serial::kSuccess);
  }
  const auto took = Clock::now() - start;
  EXPECT_GE(took, serial::kNetworkAnswerWait);
  EXPECT_LT(took, 2 * serial::kNetworkAnswerWait);
  ASSERT_TRUE(server.WaitFor([](const auto& c) {
    return std::count_if(c.begin(), c.end(),
                         [](const auto& m) { return m.value == tn::kControlDtrOff; }) == 5;
  }));
}

// A slow server's late answer to one control command is not taken for the next one's: the line
// is set up once the server has answered every control command of it.
TEST(NetworkDevice, AnswersAreMatchedToWhatWasAsked) {
  ComPortServer::Behaviour slow;
  slow.controlAnswerDelay = std::chrono::milliseconds(100);
  ComPortServer server(slow);
  auto device = Open(server);
  ASSERT_EQ(device->SetState(Line57600()), serial::kSuccess);
  EXPECT_EQ(server.ControlAnswersSent(), 3);  // no flow control, DTR, RTS
}

// A write stuck on a server that reads nothing leaves the receiver free: the reply it owes waits
// for the line, and what arrives meanwhile is queued at once.
TEST(NetworkDevice, AStuckWriteLeavesTheReceiverFree) {
  ComPortServer server;
  auto device = Open(server);
  device->SetTimeouts({0, 0, 0, 0, 2000});
  server.StopReading();
  const Bytes lots(16 << 20, 0x55);  // far more than the connection holds
  std::jthread writer([&] { device->Write(lots.data(), static_cast<std::int32_t>(lots.size())); });
  const auto limit = Clock::now() + std::chrono::seconds(10);
  while (server.Unread() == 0 && Clock::now() < limit) {  // the write is under way
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  server.SendRaw({tn::kIac, tn::kDo, 1});  // an option the device refuses: a reply is owed
  server.SendData({7});
  WaitQueued(*device, 1);
  std::uint32_t errors = 0;
  std::uint32_t queued = 0;
  device->ClearError(&errors, &queued);
  EXPECT_EQ(queued, 1u);
}

TEST(NetworkDevice, LineErrorsAndModemChangesAreEvents) {
  ComPortServer server;
  auto device = Open(server);
  device->SetEventMask(serial::kEvBreak | serial::kEvErr | serial::kEvCts | serial::kEvRxChar);
  auto wait = device->NewEventWait();
  server.SendRaw({255, 250, 44, 106, tn::kLineBreak | tn::kLineFraming, 255, 240});
  std::uint32_t events = 0;
  ASSERT_EQ(wait->Wait(&events), serial::ComEventWait::Result::kEvents);
  EXPECT_EQ(events, serial::kEvBreak | serial::kEvErr);
  std::uint32_t errors = 0;
  std::uint32_t queued = 0;
  device->ClearError(&errors, &queued);
  EXPECT_EQ(errors, serial::kCeBreak | serial::kCeFrame);
  server.SendRaw({255, 250, 44, 107, 0x10, 255, 240});
  ASSERT_EQ(wait->Wait(&events), serial::ComEventWait::Result::kEvents);
  EXPECT_EQ(events, serial::kEvCts);
  std::jthread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    wait->Stop();
  });
  EXPECT_EQ(wait->Wait(&events), serial::ComEventWait::Result::kStopped);
}

TEST(NetworkDevice, ServerThatClosesIsAVanishedDevice) {
  ComPortServer server;
  serial::TComPort port;
  port.SetPort(server.PortName());
  port.SetEvents({});
  port.Open();
  port.Timeouts().SetReadTotalConstant(2000);
  server.SendData({0x2B});
  server.Disconnect();
  std::uint8_t byte = 0;
  EXPECT_EQ(port.Read(&byte, 1), 1);  // what came before the end is kept
  const auto start = Clock::now();
  try {
    port.Read(&byte, 1);
    FAIL() << "read after the end";
  } catch (const serial::EComPort& error) {
    EXPECT_EQ(error.ErrorCode(), serial::CError_ReadFailed);
    EXPECT_EQ(error.SystemErrorCode(), serial::ConnectionEndedError());
  }
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_FALSE(port.Connected());
}

TEST(NetworkDevice, OpenFailuresAreOpenErrors) {
  std::uint16_t closedPort = 0;
  {
    ComPortServer gone;  // a port that nobody listens on any more
    closedPort = gone.Port();
  }
  struct Case {
    std::string name;
    serial::SysError error;
  };
  const Case cases[] = {
      {"rfc2217://127.0.0.1:" + std::to_string(closedPort), ECONNREFUSED},
      {"rfc2217://127.0.0.1", serial::InvalidParameterError()},
      {"rfc2217://no-such-host.invalid:4000", serial::HostNotFoundError()},
  };
  for (const Case& c : cases) {
    serial::TComPort port;
    port.SetPort(c.name);
    const auto start = Clock::now();
    try {
      port.Open();
      ADD_FAILURE() << c.name << " opened";
    } catch (const serial::EComPort& error) {
      EXPECT_EQ(error.ErrorCode(), serial::CError_OpenFailed) << c.name;
      // A lookup without a name server may run out of time instead.
      if (error.SystemErrorCode() != serial::TimedOutError()) {
        EXPECT_EQ(error.SystemErrorCode(), c.error) << c.name;
      }
    }
    EXPECT_LT(Clock::now() - start, serial::kNetworkConnectLimit + std::chrono::milliseconds(500));
    EXPECT_FALSE(port.Connected());
  }
}

}  // namespace
}  // namespace orvane::test_support
