// The port's event thread against a scripted device: when it runs, what each batch of events
// makes the port do, on which thread, and how it ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/com_port.h"
#include "serial/com_thread.h"
#include "support/fake_ui_thread.h"
#include "support/scripted_com_device.h"

namespace orvane::serial {
namespace {

using test_support::FakeUiThread;
using test_support::ScriptedLine;
using test_support::ScriptedOpener;
using ::testing::ElementsAre;

class ComThreadTest : public ::testing::Test {
 protected:
  ComThreadTest() : line(std::make_shared<ScriptedLine>()), port(ScriptedOpener(line)) {
    port.Timeouts().SetReadInterval(-1);  // a read takes what waits
  }

  // Raises one batch and runs its hand-over as the user-interface thread would.
  void HandOver(std::uint32_t mask) {
    line->RaiseEvents(mask);
    ASSERT_TRUE(ui.WaitForHandOvers(++handOvers));
    line->ClearCalls();
    EXPECT_EQ(ui.ProcessMessages(), 1);
  }

  FakeUiThread ui;
  int handOvers = 0;
  std::shared_ptr<ScriptedLine> line;
  TComPort port;
};

TEST(ComEventMaskTest, EventsAndMaskBitsConvertBothWays) {
  EXPECT_EQ(EventsToMask(kAllComEvents), 0x05FFu);
  EXPECT_EQ(MaskToEvents(0x05FF), kAllComEvents);
  EXPECT_EQ(MaskToEvents(0x0200 | 0x0800 | 0x0004), TComEvents{evTxEmpty});  // others ignored
  EXPECT_EQ(EventsToMask({evRxFlag, evRing}), 0x0102u);
}

TEST_F(ComThreadTest, NoThreadForEmptyEvents) {
  port.SetEvents({});
  port.Open();
  EXPECT_FALSE(port.EventThreadRunning());
  port.Close();
  EXPECT_EQ(line->Count("SetEventMask"), 0);
  EXPECT_EQ(line->Count("Purge"), 1);  // the abort of Close; no final purge of a thread
}

TEST_F(ComThreadTest, AllEventsWithoutHandlersOnlyQueryAndLeaveTheBytesForRead) {
  port.Open();
  EXPECT_TRUE(port.EventThreadRunning());
  line->input = {0x41, 0x42};
  HandOver(0x05FF);
  // Line errors, input queue, then CTS, DSR and RLSD: the queries of the fixed order.
  EXPECT_THAT(line->calls,
              ElementsAre("ClearError", "ClearError", "ModemStatus", "ModemStatus", "ModemStatus"));
  std::uint8_t bytes[4] = {};
  EXPECT_EQ(port.Read(bytes, 4), 2);
  EXPECT_EQ(bytes[0], 0x41);
  EXPECT_EQ(bytes[1], 0x42);
}

TEST_F(ComThreadTest, HandlersRunInTheirFixedOrderWithWhatTheQueriesFound) {
  std::vector<std::string> order;
  port.OnError = [&](TCustomComPort&, TComErrors errors) {
    order.push_back("Error " + std::to_string(errors.Word()));
  };
  port.OnRxChar = [&](TCustomComPort&, std::int32_t n) {
    order.push_back("RxChar " + std::to_string(n));
  };
  port.OnTxEmpty = [&](TCustomComPort&) { order.push_back("TxEmpty"); };
  port.OnBreak = [&](TCustomComPort&) { order.push_back("Break"); };
  port.OnRing = [&](TCustomComPort&) { order.push_back("Ring"); };
  port.OnCTSChange = [&](TCustomComPort&, bool on) { order.push_back(on ? "CTS 1" : "CTS 0"); };
  port.OnDSRChange = [&](TCustomComPort&, bool on) { order.push_back(on ? "DSR 1" : "DSR 0"); };
  port.OnRxFlag = [&](TCustomComPort&) { order.push_back("RxFlag"); };
  port.OnRLSDChange = [&](TCustomComPort&, bool on) { order.push_back(on ? "RLSD 1" : "RLSD 0"); };
  port.OnRx80Full = [&](TCustomComPort&) { order.push_back("Rx80Full"); };
  port.Open();
  order.clear();  // the lines reported by Open
  line->input = {1, 2, 3};
  line->lineErrors = kCeFrame;
  line->modemStatus = kMsDsrOn;
  HandOver(0x05FF);
  EXPECT_THAT(order, ElementsAre("Error 1", "RxChar 3", "TxEmpty", "Break", "Ring", "CTS 0",
                                 "DSR 1", "RxFlag", "RLSD 0", "Rx80Full"));
  port.Close();  // before the handlers' list goes
}

TEST_F(ComThreadTest, QueryResultsDecideWhetherRxCharAndErrorHandlersRun) {
  struct Case {
    const char* name;
    std::uint32_t event;
    std::deque<std::uint8_t> input;
    std::uint32_t lineErrors;
    bool parityCheck;
    bool handlerRuns;
  };
  const Case cases[] = {
      {"bytes waiting", kEvRxChar, {7}, 0, false, true},
      {"queue emptied by a Read first", kEvRxChar, {}, 0, false, false},
      {"parity error, parity not checked", kEvErr, {}, kCeRxParity, false, false},
      {"parity error, parity checked", kEvErr, {}, kCeRxParity, true, true},
      {"overrun", kEvErr, {}, kCeOverrun, false, true},
  };
  int calls = 0;
  port.OnRxChar = [&](TCustomComPort&, std::int32_t) { ++calls; };
  port.OnError = [&](TCustomComPort&, TComErrors) { ++calls; };
  port.Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port.Parity().SetCheck(c.parityCheck);
    line->input = c.input;
    line->lineErrors = c.lineErrors;
    calls = 0;
    HandOver(c.event);
    EXPECT_EQ(calls, c.handlerRuns ? 1 : 0);
  }
  port.Close();
}

TEST_F(ComThreadTest, CloseRunsAPendingHandOverThenEndsTheThreadThenClosesTheDevice) {
  bool ran = false;
  port.OnRxChar = [&](TCustomComPort& sender, std::int32_t) { ran = sender.Connected(); };
  port.Open();
  line->input = {9};
  line->RaiseEvents(kEvRxChar);
  ASSERT_TRUE(ui.WaitForHandOvers(1));
  line->ClearCalls();
  port.Close();  // no messages processed before
  EXPECT_TRUE(ran);
  EXPECT_THAT(line->calls,
              ElementsAre("Purge(3)", "ClearError", "SetEventMask(0)", "Purge(12)", "Close"));
  EXPECT_EQ(ui.ProcessMessages(), 0);
}

TEST_F(ComThreadTest, AnErrorOfAnActionEndsTheThreadWithoutTheFinalPurge) {
  port.Open();
  line->failures["ClearError"] = DeviceGoneError();
  HandOver(kEvRxChar);
  line->failures.clear();
  port.Close();  // finds the thread ended (or ending) and waits for it
  EXPECT_EQ(line->Count("SetEventMask"), 0);
  EXPECT_EQ(line->Count("Purge"), 1);
}

TEST_F(ComThreadTest, FailureOfTheEndedThreadIsKept) {
  port.Open();
  line->failures["ModemStatus"] = DeviceGoneError();
  HandOver(kEvCts);
  line->failures.clear();
  // The thread ends as soon as the error reaches it.
  WaitServing([&] { return !port.EventThreadRunning(); });
  const std::exception_ptr failure = port.EventThreadFailure();
  ASSERT_TRUE(failure);
  try {
    std::rethrow_exception(failure);
  } catch (const EComPort& error) {
    EXPECT_EQ(error.ErrorCode(), CError_ModemStatFailed);
  }
}

TEST_F(ComThreadTest, WithSmNoneActionsRunOnTheEventThread) {
  std::mutex mutex;
  std::condition_variable called;
  std::thread::id where;
  port.OnRxChar = [&](TCustomComPort&, std::int32_t) {
    std::lock_guard lock(mutex);
    where = std::this_thread::get_id();
    called.notify_all();
  };
  port.SetSyncMethod(smNone);
  port.Open();
  line->input = {1};  // before the event: the test thread touches the line no more
  line->RaiseEvents(kEvRxChar);
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(
        called.wait_for(lock, std::chrono::seconds(5), [&] { return where != std::thread::id(); }));
  }
  EXPECT_NE(where, std::this_thread::get_id());
  EXPECT_EQ(ui.ProcessMessages(), 0);
  port.Close();
}

TEST_F(ComThreadTest, ClosingThePortFromItsOwnActionDoesNotWaitForItself) {
  std::mutex mutex;
  std::condition_variable closed;
  bool done = false;
  port.OnRxChar = [&](TCustomComPort& sender, std::int32_t) {
    sender.Close();
    std::lock_guard lock(mutex);
    done = true;
    closed.notify_all();
  };
  port.SetSyncMethod(smNone);
  port.Open();
  line->input = {1};
  line->RaiseEvents(kEvRxChar);
  std::unique_lock lock(mutex);
  ASSERT_TRUE(closed.wait_for(lock, std::chrono::seconds(5), [&] { return done; }));
  EXPECT_FALSE(port.Connected());
}

// A handler on the user-interface thread that ends the port (by Close, or by a read that fails):
// the event thread waits for that very handler, so the port must not wait for the thread. The
// port is closed when the handler returns, the thread ends by itself, and the port opens again.
struct HandlerEndsThePort {
  const char* name;
  bool readFails;
};

class HandlerEndsThePortTest : public ComThreadTest,
                               public ::testing::WithParamInterface<HandlerEndsThePort> {};

TEST_P(HandlerEndsThePortTest, WithoutWaitingForTheThreadThatWaitsForIt) {
  port.OnRxChar = [&](TCustomComPort& sender, std::int32_t count) {
    if (!GetParam().readFails) return sender.Close();
    std::uint8_t byte = 0;
    sender.Read(&byte, count);
  };
  port.Open();
  if (GetParam().readFails) line->failures["Read"] = DeviceGoneError();
  line->input = {1};
  HandOver(kEvRxChar | kEvTxEmpty | kEvCts);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(port.EventThreadRunning());
  // The rest of the batch is dropped with the port; the thread leaves the closed device alone.
  EXPECT_EQ(line->Count("ModemStatus"), 0);
  EXPECT_EQ(line->Count("SetEventMask"), 0);
  EXPECT_EQ(line->Count("Close"), 1);

  line->failures.clear();
  port.Open();
  EXPECT_TRUE(port.EventThreadRunning());
  port.Close();
}

INSTANTIATE_TEST_SUITE_P(ComThread, HandlerEndsThePortTest,
                         ::testing::Values(HandlerEndsThePort{"Closes", false},
                                           HandlerEndsThePort{"ReadFails", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::serial
