// The port object over the Win32 device, against a real line: run by tests/serial/wine/
// run_wine_line_tests.sh, which links a pseudo-terminal as the COM port named in
// ORVANE_TEST_COM_PORT, puts an echoing peer on its other side and gives it modem lines wired
// as a loop-back plug (DTR to DSR and DCD). Without that variable these tests are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_window_port.h"
#include "serial/com_port.h"

namespace orvane::serial {
namespace {

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
    app::ApplyMainWindowDesign(port_);
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
  try {
    second.Open();
    FAIL() << "opened a held port";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), 1);
    EXPECT_EQ(e.SystemErrorCode(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    char expected[80];
    std::snprintf(expected, sizeof expected, "Unable to open com port (win error code: %d)",
                  static_cast<int>(e.SystemErrorCode()));
    EXPECT_STREQ(e.what(), expected);
  }
  EXPECT_FALSE(second.Connected());

  second.SetPort("COM42");
  try {
    second.Open();
    FAIL() << "opened a missing port";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.SystemErrorCode(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
  }

  port_.Close();
  second.SetPort(portName_);
  EXPECT_NO_THROW(second.Open());
}

TEST_F(Win32LineTest, ClosedPortGivesTheInvalidHandleNumber) {
  port_.Close();
  std::uint8_t byte = 0;
  try {
    port_.Read(&byte, 1);
    FAIL() << "read on a closed port";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), "ReadFile function failed (win error code: 6)");
  }
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
  RegSetValueExA(key, "\\Device\\OrvaneTest10", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>("COM10"), 6);
  std::vector<std::string> list;
  ListPorts(list);
  EXPECT_EQ(std::count(list.begin(), list.end(), name), 1);
  const auto com10 = std::find(list.begin(), list.end(), "COM10");
  const auto com7 = std::find(list.begin(), list.end(), "COM7");
  if (com7 != list.end()) {
    EXPECT_LT(com10, com7) << "case-insensitive text order";
  }

  // Without the key the list is a registry error with the platform's not-found number.
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
  try {
    ListPorts(list);
    ADD_FAILURE() << "no registry error";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), "Registry error (win error code: 2)");
  }
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
