// The port object against a scripted device: what it asks of the device, in which order, and
// what it raises.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "board/port_defaults.h"
#include "serial/com_port.h"
#include "serial/comm_timeouts.h"
#include "serial/virtual_ports.h"
#include "support/com_error_expectations.h"
#include "support/scripted_com_device.h"

namespace orvane::serial {
namespace {

using test_support::RaisesComError;

using test_support::ScriptedLine;
using test_support::ScriptedOpener;
using ::testing::ElementsAre;

class ComPortTest : public ::testing::Test {
 protected:
  ComPortTest() : line(std::make_shared<ScriptedLine>()), port(ScriptedOpener(line)) {
    board::ApplyPortDefaults(port);
  }

  // Handlers that note their calls in the device's call list, so both orders show together.
  void RecordHandlers() {
    auto note = [this](const char* text) { line->calls.push_back(text); };
    port.OnBeforeOpen = [note](TCustomComPort&) { note("OnBeforeOpen"); };
    port.OnAfterOpen = [note](TCustomComPort&) { note("OnAfterOpen"); };
    port.OnBeforeClose = [note](TCustomComPort&) { note("OnBeforeClose"); };
    port.OnAfterClose = [note](TCustomComPort&) { note("OnAfterClose"); };
    port.OnCTSChange = [note](TCustomComPort&, bool on) { note(on ? "CTS on" : "CTS off"); };
    port.OnDSRChange = [note](TCustomComPort&, bool on) { note(on ? "DSR on" : "DSR off"); };
    port.OnRLSDChange = [note](TCustomComPort&, bool on) { note(on ? "RLSD on" : "RLSD off"); };
  }

  Dcb LastState() const { return line->states.back(); }

  std::shared_ptr<ScriptedLine> line;
  TComPort port;
};

TEST_F(ComPortTest, PortDefaultsAreClosedAndConfigureTheLineAsDesigned) {
  EXPECT_FALSE(port.Connected());
  EXPECT_TRUE(line->calls.empty());
  EXPECT_EQ(port.Port(), "COM3");
  EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
  EXPECT_EQ(port.Events(), kAllComEvents);

  port.Open();
  const Dcb dcb = LastState();
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.Flags, 0x00000011u);
  EXPECT_EQ(dcb.XonLim, 256);
  EXPECT_EQ(dcb.XoffLim, 256);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, 0);
  EXPECT_EQ(dcb.StopBits, 0);
  EXPECT_EQ(dcb.XonChar, 0x11);
  EXPECT_EQ(dcb.XoffChar, 0x13);
  EXPECT_EQ(dcb.ErrorChar, 0);
  EXPECT_EQ(dcb.EvtChar, 0);

  const CommTimeouts t = line->timeouts.back();
  EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0xFFFFFFFFu);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 1000u);
}

TEST_F(ComPortTest, FlagsWordFollowsFlowControlAndParity) {
  port.Open();
  port.FlowControl().SetFlowControl(fcHardware);
  EXPECT_EQ(LastState().Flags, 0x00002015u);
  EXPECT_EQ(port.FlowControl().FlowControl(), fcHardware);

  port.FlowControl().SetFlowControl(fcSoftware);
  EXPECT_EQ(LastState().Flags, 0x00000311u);
  EXPECT_EQ(port.FlowControl().FlowControl(), fcSoftware);

  port.FlowControl().SetFlowControl(fcNone);
  port.Parity().SetReplaceChar('?');
  EXPECT_EQ(LastState().ErrorChar, 0) << "no replacement without the parity check";
  port.Parity().SetCheck(true);
  port.Parity().SetReplace(true);
  EXPECT_EQ(LastState().Flags, 0x00000413u);
  EXPECT_EQ(LastState().ErrorChar, '?');

  port.FlowControl().SetControlRTS(rtsToggle);
  EXPECT_EQ(port.FlowControl().FlowControl(), fcCustom);
  EXPECT_EQ(LastState().Flags & 0x3000u, 0x3000u);
}

TEST_F(ComPortTest, LineRecordMapsEnumerationsAndCustomRate) {
  port.Open();
  port.SetDataBits(dbSeven);
  port.Parity().SetBits(prSpace);
  port.SetStopBits(sbTwoStopBits);
  port.SetCustomBaudRate(31250);
  port.SetBaudRate(brCustom);
  EXPECT_EQ(LastState().ByteSize, 7);
  EXPECT_EQ(LastState().Parity, 4);
  EXPECT_EQ(LastState().StopBits, 2);
  EXPECT_EQ(LastState().BaudRate, 31250u);
  port.SetDiscardNull(true);
  port.SetEventChar('\n');
  EXPECT_EQ(LastState().Flags & 0x0800u, 0x0800u);
  EXPECT_EQ(LastState().EvtChar, '\n');
}

TEST_F(ComPortTest, BufferSizesAreMadeEvenAndSetUpWhileOpen) {
  port.Open();
  line->ClearCalls();
  port.Buffer().SetInputSize(1025);
  EXPECT_EQ(port.Buffer().InputSize(), 1024);
  port.Buffer().SetInputSize(1024);  // equal: nothing happens
  port.Buffer().SetOutputSize(-3);
  EXPECT_EQ(port.Buffer().OutputSize(), -3);
  EXPECT_THAT(line->calls, ElementsAre("Setup(1024,1024)", "Setup(1024,-3)"));
  port.Buffer().SetInputSize(2000);
  port.SetBaudRate(br9600);
  EXPECT_EQ(LastState().XonLim, 500);
  EXPECT_EQ(LastState().XoffLim, 500);
}

TEST_F(ComPortTest, SettersActOnlyOnChangeExceptWholeObjectsAndFlowControl) {
  port.Open();
  line->ClearCalls();
  port.SetBaudRate(br19200);
  port.Timeouts().SetReadTotalMultiplier(-1);
  port.FlowControl().SetControlDTR(dtrEnable);
  port.Parity().SetBits(prNone);
  EXPECT_TRUE(line->calls.empty());

  port.FlowControl().SetFlowControl(fcNone);        // same fields: configured anyway
  port.SetTimeouts(TComTimeouts(port.Timeouts()));  // the whole object, unchanged
  port.SetParity(TComParity(port.Parity()));
  port.SetBuffer(TComBuffer(port.Buffer()));
  EXPECT_THAT(line->calls, ElementsAre("SetState", "SetTimeouts", "SetState", "Setup(1024,1024)"));

  line->ClearCalls();
  port.Timeouts().SetReadTotalConstant(100);  // takes effect for the next Read
  ASSERT_EQ(line->timeouts.size(), 1u);
  EXPECT_EQ(line->timeouts[0].ReadTotalTimeoutConstant, 100u);
}

TEST_F(ComPortTest, ClosedPortStoresSettingsWithoutTouchingADevice) {
  port.SetBaudRate(br57600);
  port.Timeouts().SetReadTotalConstant(300);
  port.Buffer().SetInputSize(4097);
  port.SetSyncMethod(smNone);
  EXPECT_TRUE(line->calls.empty());
  EXPECT_EQ(port.SyncMethod(), smNone);
  port.Open();
  EXPECT_EQ(LastState().BaudRate, 57600u);
  EXPECT_EQ(line->timeouts.back().ReadTotalTimeoutConstant, 300u);
  EXPECT_EQ(line->calls[1], "Setup(4096,1024)");
}

TEST_F(ComPortTest, OpenAndCloseRunHandlersAndDeviceCallsInOrder) {
  line->modemStatus = kMsCtsOn | kMsRlsdOn;
  RecordHandlers();
  port.Open();
  EXPECT_THAT(line->calls,
              ElementsAre("OnBeforeOpen", "Open(COM3)", "Setup(1024,1024)", "SetState",
                          "SetTimeouts", "SetEventMask(1535)", "OnAfterOpen", "ModemStatus",
                          "CTS on", "ModemStatus", "DSR off", "ModemStatus", "RLSD on"));
  line->ClearCalls();
  port.Open();  // already open: nothing at all
  EXPECT_TRUE(line->calls.empty());

  port.Close();
  // The event thread stops (mask reset, both queues purged) before the device closes.
  EXPECT_THAT(line->calls,
              ElementsAre("CTS off", "DSR off", "RLSD off", "OnBeforeClose", "Purge(3)",
                          "SetEventMask(0)", "Purge(12)", "Close", "OnAfterClose"));
  line->ClearCalls();
  port.Close();  // already closed: nothing at all
  EXPECT_TRUE(line->calls.empty());
  EXPECT_EQ(line->openDevices, 0);
}

TEST_F(ComPortTest, LineQueriesAfterOpenAreMadeWithoutHandlers) {
  port.Open();
  EXPECT_EQ(line->Count("ModemStatus"), 3);
}

TEST_F(ComPortTest, FailedOpenLeavesThePortClosed) {
  RecordHandlers();
  line->failures["Open"] = PortAbsentError();
  EXPECT_TRUE(RaisesComError([&] { port.Open(); }, CError_OpenFailed, PortAbsentError()));
  EXPECT_FALSE(port.Connected());
  EXPECT_THAT(line->calls, ElementsAre("OnBeforeOpen", "Open(COM3)"));
}

TEST_F(ComPortTest, ConfigurationFailureClosesTheDeviceAgain) {
  RecordHandlers();
  line->failures["SetState"] = InvalidParameterError();
  EXPECT_TRUE(RaisesComError([&] { port.Open(); }, CError_SetStateFailed, InvalidParameterError()));
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(line->openDevices, 0);
  EXPECT_EQ(line->Count("SetTimeouts"), 0);
  EXPECT_EQ(line->Count("OnAfterOpen"), 0);

  line->failures.clear();
  line->failures["SetTimeouts"] = InvalidParameterError();
  EXPECT_THROW(port.Open(), EComPort);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(line->openDevices, 0);
}

TEST_F(ComPortTest, FailureAfterConfiguringLeavesThePortOpen) {
  line->failures["ModemStatus"] = DeviceGoneError();
  EXPECT_TRUE(RaisesComError([&] { port.Open(); }, 11));
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(line->openDevices, 1);
}

TEST_F(ComPortTest, FailedReconfigurationKeepsTheNewValue) {
  port.Open();
  line->failures["SetState"] = InvalidParameterError();
  EXPECT_THROW(port.SetBaudRate(br115200), EComPort);
  EXPECT_EQ(port.BaudRate(), br115200);
  EXPECT_TRUE(port.Connected());
}

TEST_F(ComPortTest, FailedAbortOnCloseLeavesThePortOpen) {
  port.Open();
  line->failures["Purge"] = DeviceGoneError();
  EXPECT_TRUE(RaisesComError([&] { port.Close(); }, 5));
  EXPECT_TRUE(port.Connected());
  line->failures.clear();
}

TEST_F(ComPortTest, PortChangeWhileOpenComparesWithCase) {
  port.Open();
  line->ClearCalls();
  port.SetPort("COM3");
  EXPECT_TRUE(line->calls.empty());

  port.SetPort("com3");
  EXPECT_THAT(line->calls,
              ElementsAre("Purge(3)", "SetEventMask(0)", "Purge(12)", "Close", "Open(com3)",
                          "Setup(1024,1024)", "SetState", "SetTimeouts", "SetEventMask(1535)",
                          "ModemStatus", "ModemStatus", "ModemStatus"));
  EXPECT_TRUE(port.Connected());

  line->failures["Open"] = PortAbsentError();
  EXPECT_THROW(port.SetPort("COM9"), EComPort);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.Port(), "COM9");
  EXPECT_EQ(line->openDevices, 0);
}

TEST_F(ComPortTest, SyncMethodCannotChangeWhileConnected) {
  port.Open();
  port.SetSyncMethod(smThreadSync);  // equal: allowed
  EXPECT_TRUE(RaisesComError([&] { port.SetSyncMethod(smWindowSync); }, 14, 0xFFFFFFFFu,
                             "Cannot set property while connected"));
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
}

TEST_F(ComPortTest, ConnectedPropertyOpensAndClosesAndIsOnlyStoredWhileLoading) {
  port.SetConnected(true);
  EXPECT_TRUE(port.Connected());
  port.SetConnected(false);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(line->openDevices, 0);

  line->ClearCalls();
  port.BeginLoading();
  port.SetConnected(true);
  port.SetBaudRate(br115200);
  EXPECT_TRUE(line->calls.empty());
  port.Loaded();
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(LastState().BaudRate, 115200u);
  port.Close();

  // An error of the Open that ends loading is shown, not thrown.
  std::string shown;
  SetErrorDisplay([&shown](const std::exception& e) { shown = e.what(); });
  line->failures["Open"] = PortHeldError();
  port.BeginLoading();
  port.SetConnected(true);
  EXPECT_NO_THROW(port.Loaded());
  SetErrorDisplay(nullptr);
  EXPECT_EQ(shown, EComPort(CError_OpenFailed, PortHeldError()).what());
  EXPECT_FALSE(port.Connected());

  // Closed before building ends: there is no device to abort or close.
  TComPort building(ScriptedOpener(line));
  building.BeginLoading();
  building.SetConnected(true);
  EXPECT_NO_THROW(building.Close());
  EXPECT_FALSE(building.Connected());
}

TEST_F(ComPortTest, TransfersReturnCountsAndQueryTheQueueAfterARead) {
  port.Open();
  line->ClearCalls();
  const std::uint8_t out[3] = {0x2A, 0x00, 0xFF};
  EXPECT_EQ(port.Write(out, 3), 3);
  line->writeCapacity = 1;
  EXPECT_EQ(port.Write(out, 3), 1) << "a write time-out is no error";
  EXPECT_THAT(line->output, ElementsAre(0x2A, 0x00, 0xFF, 0x2A));

  std::uint8_t in[10] = {0x55};
  EXPECT_EQ(port.Read(in, 1), 0);
  EXPECT_EQ(in[0], 0x55) << "nothing read leaves the buffer alone";
  line->input = {1, 2, 3};
  EXPECT_EQ(port.Read(in, 10), 3);
  EXPECT_THAT(line->calls, ElementsAre("Write(3)", "Write(3)", "Read(1)", "ClearError", "Read(10)",
                                       "ClearError"));
}

// A device that fails a transfer or a line call is gone (a converter pulled out): the port lets it
// go and is closed before the error is raised, and the next Open opens a fresh device.
TEST_F(ComPortTest, FailedDeviceCallReleasesTheDeviceBeforeTheErrorIsRaised) {
  struct Case {
    const char* call;
    std::int32_t code;
    std::function<void(TComPort&)> act;
  };
  std::uint8_t byte = 0x2A;
  const std::vector<Case> cases = {
      {"Write", 2, [&](TComPort& p) { p.Write(&byte, 1); }},
      {"Read", 3, [&](TComPort& p) { p.Read(&byte, 1); }},
      {"ClearError", 10, [&](TComPort& p) { p.Read(&byte, 1); }},
      {"Escape", 12, [](TComPort& p) { p.SetDTR(false); }},
      {"Purge", 5, [](TComPort& p) { p.PurgeBuffers(true, true); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    port.Open();
    bool connectedWhenRaised = true;
    int devicesWhenRaised = -1;
    line->failures[c.call] = DeviceGoneError();
    try {
      c.act(port);
    } catch (const EComPort& error) {
      connectedWhenRaised = port.Connected();
      devicesWhenRaised = line->openDevices;
      EXPECT_EQ(error.ErrorCode(), c.code);
      EXPECT_EQ(error.SystemErrorCode(), DeviceGoneError());
    }
    EXPECT_FALSE(connectedWhenRaised);
    EXPECT_EQ(devicesWhenRaised, 0);
    line->failures.clear();
    line->ClearCalls();
    port.Open();
    EXPECT_EQ(line->Count("Open"), 1) << "the next Open opens the device anew";
    port.Close();
  }
}

TEST_F(ComPortTest, BadCountsAndClosedPortsRaiseWithThePlatformNumber) {
  std::uint8_t byte = 0;
  EXPECT_TRUE(RaisesComError([&] { port.Write(&byte, 1); }, 2, InvalidHandleError()));
  EXPECT_TRUE(RaisesComError([&] { port.Read(&byte, 1); }, 3, InvalidHandleError()));
  EXPECT_THROW(port.SetDTR(true), EComPort);
  EXPECT_THROW(port.PurgeBuffers(true, true), EComPort);
  EXPECT_THROW(port.LineSignals(), EComPort);

  port.Open();
  EXPECT_TRUE(RaisesComError([&] { port.Read(&byte, -1); }, 3, InvalidParameterError()));
  EXPECT_THROW(port.Write(nullptr, 4), EComPort);
  EXPECT_EQ(line->Count("Read") + line->Count("Write"), 0);
}

TEST_F(ComPortTest, LineControlAndQueries) {
  port.Open();
  line->ClearCalls();
  port.SetDTR(true);
  port.SetDTR(false);
  port.PurgeBuffers(true, true);
  port.PurgeBuffers(true, false);
  port.PurgeBuffers(false, true);
  EXPECT_THAT(line->calls,
              ElementsAre("Escape(5)", "Escape(6)", "Purge(12)", "Purge(8)", "Purge(4)"));

  line->failures["Escape"] = DeviceGoneError();
  EXPECT_TRUE(
      RaisesComError([&] { port.SetDTR(true); }, CError_EscapeComFailed, DeviceGoneError()));
  line->failures.clear();
  port.Open();

  line->modemStatus = kMsCtsOn | kMsDsrOn | kMsRingOn | kMsRlsdOn;
  EXPECT_EQ(port.LineSignals(), 0x0Fu);
  line->modemStatus = kMsRingOn;
  EXPECT_EQ(port.LineSignals(), kLineRing);

  line->input = {1, 2};
  EXPECT_EQ(port.PendingInputCount(), 2);
}

TEST_F(ComPortTest, LineErrorsCountParityOnlyWhenChecked) {
  port.Open();
  line->lineErrors = kCeRxParity;
  EXPECT_TRUE(port.TakeLineErrors().Empty());
  port.Parity().SetCheck(true);
  line->lineErrors = kCeRxParity;
  EXPECT_EQ(port.TakeLineErrors(), TComErrors({ceRxParity}));
  line->lineErrors = kCeFrame | kCeOverrun | kCeBreak | kCeIoe | kCeMode | kCeRxOver | kCeTxFull;
  EXPECT_EQ(port.TakeLineErrors().Word(), 0xFDu);
  EXPECT_TRUE(port.TakeLineErrors().Empty()) << "taking them clears them";
}

TEST_F(ComPortTest, DestroyingAnOpenPortClosesIt) {
  {
    TComPort other(ScriptedOpener(line));
    other.Open();
    EXPECT_EQ(line->openDevices, 1);
  }
  EXPECT_EQ(line->openDevices, 0);
}

TEST(ComPortText, BaudRateFromText) {
  EXPECT_EQ(BaudRateFromText("19200"), br19200);
  EXPECT_EQ(BaudRateFromText("57600"), br57600);
  EXPECT_EQ(BaudRateFromText("custom"), brCustom);
  EXPECT_EQ(BaudRateFromText("256000"), br256000);
  EXPECT_EQ(BaudRateFromText(""), br9600);
  EXPECT_EQ(BaudRateFromText("19200 "), br9600);
  EXPECT_EQ(BaudRateFromText(" 110"), br9600);
  for (int i = brCustom; i <= br256000; ++i) {
    const auto rate = static_cast<TBaudRate>(i);
    EXPECT_EQ(BaudRateFromText(BaudRateToText(rate)), rate);
  }
  EXPECT_EQ(BaudRateToBits(br14400), 14400);
  EXPECT_EQ(BaudRateToBits(brCustom), 0);
}

TEST(ComPortText, ErrorsWithoutAPlatformNumberCarryTheTableTextAlone) {
  EXPECT_STREQ(EComPort(4).what(), "Invalid Async parameter");
  EXPECT_STREQ(ComErrorText(22), "A component is linked to OnRxBuf event");
  EXPECT_STREQ(ComErrorText(24), "");
}

TEST(ComPortList, NamesSortWithoutCaseAndIncludeListedVirtualPorts) {
  std::vector<std::string> names = {"COM2", "com10", "COM1", "/dev/ttyUSB0", "COM10"};
  SortPortNames(names);
  EXPECT_THAT(names, ElementsAre("/dev/ttyUSB0", "COM1", "com10", "COM10", "COM2"));

  RegisterVirtualPort(
      "zzListed", [] { return std::unique_ptr<ComDevice>(); }, true);
  RegisterVirtualPort(
      "zzHidden", [] { return std::unique_ptr<ComDevice>(); }, false);
  std::vector<std::string> list = {"stale entry"};
  ListPorts(list);
  UnregisterVirtualPort("zzListed");
  UnregisterVirtualPort("zzHidden");
  EXPECT_EQ(std::count(list.begin(), list.end(), "zzListed"), 1);
  EXPECT_EQ(std::count(list.begin(), list.end(), "zzHidden"), 0);
  EXPECT_EQ(std::count(list.begin(), list.end(), "stale entry"), 0);
  std::vector<std::string> sorted = list;
  SortPortNames(sorted);
  EXPECT_EQ(list, sorted);
}

TEST(ComPortTimeoutRules, ReadAndWriteLimits) {
  CommTimeouts t;
  t.ReadIntervalTimeout = kMaxDword;
  EXPECT_EQ(ReadRuleOf(t, 1).kind, ReadRule::kAvailableOnly);
  t.ReadTotalTimeoutMultiplier = kMaxDword;
  t.ReadTotalTimeoutConstant = 100;
  EXPECT_EQ(ReadRuleOf(t, 10).kind, ReadRule::kFirstByte);
  EXPECT_EQ(ReadRuleOf(t, 10).totalMs, 100u);
  t.ReadTotalTimeoutConstant = 0;  // undefined by the platform: must not wait
  EXPECT_EQ(ReadRuleOf(t, 1).kind, ReadRule::kAvailableOnly);

  CommTimeouts fill;
  fill.ReadIntervalTimeout = 20;
  fill.ReadTotalTimeoutMultiplier = 10;
  fill.ReadTotalTimeoutConstant = 50;
  EXPECT_EQ(ReadRuleOf(fill, 5).kind, ReadRule::kFill);
  EXPECT_EQ(ReadRuleOf(fill, 5).totalMs, 100u);
  EXPECT_EQ(ReadRuleOf(fill, 5).intervalMs, 20u);
  EXPECT_EQ(ReadRuleOf(CommTimeouts{}, 5).totalMs, kUnlimitedTransferMs) << "never unbounded";
  fill.ReadTotalTimeoutMultiplier = 0xFFFFFFF0u;
  EXPECT_EQ(ReadRuleOf(fill, 1000).totalMs, kMaxDword - 1) << "no overflow";

  CommTimeouts w;
  w.WriteTotalTimeoutMultiplier = 100;
  w.WriteTotalTimeoutConstant = 1000;
  EXPECT_EQ(WriteLimitMs(w, 1), 1100u);
  EXPECT_EQ(WriteLimitMs(CommTimeouts{}, 1), kUnlimitedTransferMs);
}

}  // namespace
}  // namespace orvane::serial
