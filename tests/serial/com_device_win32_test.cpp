// The port object over the Win32 device, against a real line: run by tests/serial/wine/
// run_wine_line_tests.sh, which links a pseudo-terminal as the COM port named in
// ORVANE_TEST_COM_PORT, puts an echoing peer on its other side and gives it modem lines wired
// as a loop-back plug (DTR to DSR and DCD). Without that variable these tests are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "board/port_defaults.h"
#include "serial/com_port.h"
#include "support/com_error_expectations.h"
#include "support/timeout_contract.h"

namespace orvane::serial {
namespace {

using test_support::RaisesComError;

using Clock = std::chrono::steady_clock;

std::int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class Win32LineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("ORVANE_TEST_COM_PORT");
    if (name == nullptr || *name == 0) GTEST_SKIP() << "no test line (run_wine_line_tests.sh)";
    portName_ = name;
    board::ApplyPortDefaults(port_);
    port_.SetPort(portName_);
    port_.Open();
    port_.PurgeBuffers(true, true);
    port_.Timeouts().SetReadTotalConstant(100);
  }

  // Waits (at most a second) until the echo of what was sent is in the input queue.
  bool WaitQueued(int count) {
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (port_.PendingInputCount() < count) {
      if (Clock::now() > deadline) return false;
      Sleep(1);
    }
    return true;
  }

  std::string portName_;
  TComPort port_;
};

// The time-out contract on the Win32 device. The echoing peer plays the other end: a byte sent
// comes back a moment later, so the bytes a case wants at a time are sent then. The peer takes
// everything at once, so no write is held back here.
class Win32ContractLine final : public test_support::ContractLine {
 public:
  explicit Win32ContractLine(const std::string& port) {
    SysError error = kSuccess;
    device_ = OpenPlatformDevice(port, &error);
    Dcb dcb;
    dcb.BaudRate = 57600;
    dcb.Flags = dcb_flags::kBinary;
    if (device_) device_->SetState(dcb);
  }
  ~Win32ContractLine() override { Settle(); }

  bool Ready() const { return device_ != nullptr; }
  ComDevice& Device() override { return *device_; }
  Micros Now() override { return std::chrono::duration_cast<Micros>(Clock::now() - origin_); }
  void Send(const std::vector<int>& arrivalsMs) override {
    std::vector<int> later;
    std::int32_t waiting = 0;
    for (const int ms : arrivalsMs) {
      if (ms == 0)
        ++waiting;
      else
        later.push_back(ms);
    }
    SendNow(waiting);
    WaitQueued(waiting);
    if (later.empty()) return;
    sender_ = std::thread([this, later, start = Clock::now()] {
      for (const int ms : later) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(ms));
        SendNow(1);
      }
    });
  }
  bool HoldOutput() override { return false; }
  bool RealTime() const override { return true; }
  void Settle() override {
    if (sender_.joinable()) sender_.join();
    Sleep(20);  // the last echo
    if (device_) device_->Purge(kPurgeRxClear | kPurgeTxClear);
  }

 private:
  // Written with a generous time-out of their own, whatever the case sets for its read.
  void SendNow(std::int32_t count) {
    if (count == 0) return;
    const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count), 0xA5);
    device_->Write(bytes.data(), count);
  }
  void WaitQueued(std::int32_t count) {
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    std::uint32_t errors = 0;
    std::uint32_t queued = 0;
    while (device_->ClearError(&errors, &queued) == kSuccess &&
           queued < static_cast<std::uint32_t>(count) && Clock::now() < deadline) {
      Sleep(1);
    }
  }

  Clock::time_point origin_ = Clock::now();
  std::unique_ptr<ComDevice> device_;
  std::thread sender_;
};

TEST_F(Win32LineTest, KeepsTheTimeoutContract) {
  port_.Close();
  Win32ContractLine reads(portName_);
  ASSERT_TRUE(reads.Ready());
  test_support::CheckReadContract(reads, "win32");
}

TEST_F(Win32LineTest, OneByteExchangeAndReadTimeOut) {
  EXPECT_TRUE(port_.Connected());
  for (int value = 0; value < 256; ++value) {
    const auto out = static_cast<std::uint8_t>(value);
    ASSERT_EQ(port_.Write(&out, 1), 1);
    std::uint8_t in = 0;
    ASSERT_EQ(port_.Read(&in, 1), 1) << "echo of " << value;
    EXPECT_EQ(in, out);
  }

  // Nothing sent, nothing comes: the read ends after its 100 ms (plus the bound's margin).
  std::uint8_t in = 0x77;
  const auto start = Clock::now();
  EXPECT_EQ(port_.Read(&in, 1), 0);
  EXPECT_GE(MsSince(start), 90);
  EXPECT_LT(MsSince(start), 1000);
  EXPECT_EQ(in, 0x77);
}

TEST_F(Win32LineTest, ReadReturnsWhatIsWaitingWithoutFillingTheBuffer) {
  const std::uint8_t out[3] = {0x2A, 0x2B, 0x80};
  ASSERT_EQ(port_.Write(out, 3), 3);
  ASSERT_TRUE(WaitQueued(3));
  std::uint8_t in[10] = {};
  const auto start = Clock::now();
  EXPECT_EQ(port_.Read(in, 10), 3);
  EXPECT_LT(MsSince(start), 90);
  EXPECT_EQ(in[2], 0x80);
}

TEST_F(Win32LineTest, PurgeDiscardsWaitingInput) {
  const std::uint8_t out[5] = {1, 2, 3, 4, 5};
  ASSERT_EQ(port_.Write(out, 5), 5);
  ASSERT_TRUE(WaitQueued(5));
  port_.PurgeBuffers(true, true);
  EXPECT_EQ(port_.PendingInputCount(), 0);
  std::uint8_t in = 0;
  EXPECT_EQ(port_.Read(&in, 1), 0);
}

TEST_F(Win32LineTest, DtrDrivesTheLine) {
  port_.SetDTR(false);
  EXPECT_EQ(port_.LineSignals() & (kLineDsr | kLineRlsd), 0u);
  port_.SetDTR(true);
  EXPECT_EQ(port_.LineSignals() & (kLineDsr | kLineRlsd), kLineDsr | kLineRlsd);
}

TEST_F(Win32LineTest, HeldAndMissingPortsDoNotOpen) {
  TComPort second;
  second.SetPort(portName_);
  EXPECT_TRUE(RaisesComError([&] { second.Open(); }, 1,
                             static_cast<std::uint32_t>(ERROR_ACCESS_DENIED),
                             "Unable to open com port (win error code: 5)"));
  EXPECT_FALSE(second.Connected());

  second.SetPort("COM42");
  EXPECT_TRUE(RaisesComError([&] { second.Open(); }, 1,
                             static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND),
                             "Unable to open com port (win error code: 2)"));

  port_.Close();
  second.SetPort(portName_);
  EXPECT_NO_THROW(second.Open());
}

TEST_F(Win32LineTest, ClosedPortGivesTheInvalidHandleNumber) {
  port_.Close();
  std::uint8_t byte = 0;
  EXPECT_TRUE(RaisesComError([&] { port_.Read(&byte, 1); }, 3, std::nullopt,
                             "ReadFile function failed (win error code: 6)"));
}

// The registry's list of serial ports: this test owns the key while it runs (the driver gives the
// tests a Wine prefix of their own).
TEST_F(Win32LineTest, PortListComesFromTheRegistry) {
  constexpr const char* kKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string name = portName_;
  RegSetValueExA(key, "\\Device\\OrvaneTest", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(name.c_str()), static_cast<DWORD>(name.size() + 1));
  RegSetValueExA(key, "\\Device\\OrvaneTest10", 0, REG_SZ, reinterpret_cast<const BYTE*>("COM10"),
                 6);
  std::vector<std::string> list;
  ListPorts(list);
  EXPECT_EQ(std::count(list.begin(), list.end(), name), 1);
  const auto com10 = std::find(list.begin(), list.end(), "COM10");
  const auto com7 = std::find(list.begin(), list.end(), "COM7");
  if (com7 != list.end()) {
    EXPECT_LT(com10, com7) << "case-insensitive text order";
  }

  // A port name longer than the 256 bytes read for it is a registry error (ERROR_MORE_DATA).
  const std::string tooLong(300, 'C');
  RegSetValueExA(key, "\\Device\\OrvaneTestLong", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(tooLong.c_str()),
                 static_cast<DWORD>(tooLong.size() + 1));
  EXPECT_TRUE(RaisesComError([&] { ListPorts(list); }, 23, std::nullopt,
                             "Registry error (win error code: 234)"));
  RegDeleteValueA(key, "\\Device\\OrvaneTestLong");

  // Without the key (a computer with no serial port) the list is empty, not an error.
  std::vector<std::pair<std::string, std::string>> saved;
  for (DWORD index = 0;; ++index) {
    char valueName[256];
    char data[256];
    DWORD nameLength = sizeof valueName;
    DWORD dataLength = sizeof data;
    if (RegEnumValueA(key, index, valueName, &nameLength, nullptr, nullptr,
                      reinterpret_cast<BYTE*>(data), &dataLength) != ERROR_SUCCESS) {
      break;
    }
    saved.emplace_back(valueName, std::string(data));
  }
  RegCloseKey(key);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey), ERROR_SUCCESS);
  list = {"stale"};
  EXPECT_NO_THROW(ListPorts(list));
  EXPECT_TRUE(list.empty());
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ListPorts(list);
  EXPECT_TRUE(list.empty()) << "an empty key lists no port";
  for (const auto& [valueName, data] : saved) {
    if (valueName.rfind("\\Device\\OrvaneTest", 0) == 0) continue;
    RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  RegCloseKey(key);
}

}  // namespace
}  // namespace orvane::serial
