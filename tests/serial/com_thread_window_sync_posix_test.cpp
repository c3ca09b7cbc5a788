// smWindowSync where no window system takes messages: the event thread's messages are hand-overs
// that the user-interface thread runs one at a time. (On Windows the port's hidden window takes
// them; tests/serial/com_event_wait_win32_test.cpp covers that.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/com_port.h"
#include "support/fake_ui_thread.h"
#include "support/scripted_com_device.h"

namespace orvane::serial {
namespace {

using test_support::FakeUiThread;
using test_support::ScriptedLine;
using test_support::ScriptedOpener;
using ::testing::ElementsAre;

TEST(ComThreadWindowSyncTest, ActsOncePerEventInTheFixedOrder) {
  FakeUiThread ui;
  auto line = std::make_shared<ScriptedLine>();
  TComPort port(ScriptedOpener(line));
  port.Timeouts().SetReadInterval(-1);  // a read takes what waits
  std::vector<std::string> order;
  port.OnRxChar = [&](TCustomComPort&, std::int32_t) { order.push_back("RxChar"); };
  port.OnTxEmpty = [&](TCustomComPort&) { order.push_back("TxEmpty"); };
  port.OnError = [&](TCustomComPort&, TComErrors) { order.push_back("Error"); };
  port.SetSyncMethod(smWindowSync);
  port.Open();
  line->input = {1};
  line->lineErrors = kCeFrame;
  line->RaiseEvents(kEvTxEmpty | kEvRxChar | kEvErr);
  int served = 0;
  while (served < 3 && ui.WaitForHandOvers(served + 1)) served += ui.ProcessMessages();
  EXPECT_EQ(served, 3);
  EXPECT_THAT(order, ElementsAre("Error", "RxChar", "TxEmpty"));
  port.Close();
}

// Each message is a hand-over the event thread waits for, so a handler that closes the port must
// not wait for the thread; the batch's later messages are not sent.
TEST(ComThreadWindowSyncTest, AHandlerThatClosesThePortEndsTheBatch) {
  FakeUiThread ui;
  auto line = std::make_shared<ScriptedLine>();
  TComPort port(ScriptedOpener(line));
  int txEmpty = 0;
  port.OnRxChar = [&](TCustomComPort& sender, std::int32_t) { sender.Close(); };
  port.OnTxEmpty = [&](TCustomComPort&) { ++txEmpty; };
  port.SetSyncMethod(smWindowSync);
  port.Open();
  line->input = {1};
  line->RaiseEvents(kEvRxChar | kEvTxEmpty);
  ASSERT_TRUE(ui.WaitForHandOvers(1));
  EXPECT_EQ(ui.ProcessMessages(), 1);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(ui.WaitForHandOvers(2));
  EXPECT_EQ(txEmpty, 0);
}

}  // namespace
}  // namespace orvane::serial
