#include "support/timeout_contract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace orvane::test_support {
namespace {

constexpr std::uint32_t kMax = 0xFFFFFFFFu;
constexpr int kNoLimitMs = 60000;  // what a record without limits is capped at

// Real-time devices may be late (scheduling, a loaded machine), and a little early where the other
// end's schedule began a moment before the read and the clocks are coarse (Wine).
void ExpectDuration(const ContractLine& line, ContractLine::Micros took, int expectMs,
                    const std::string& what) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  if (line.RealTime()) {
    EXPECT_GE(ms + 15, expectMs) << what;
    EXPECT_LT(ms, expectMs + 150) << what;
  } else {
    EXPECT_EQ(took, std::chrono::milliseconds(expectMs)) << what;
  }
}

}  // namespace

const std::vector<ReadCase>& ReadContract() {
  static const std::vector<ReadCase> cases = {
      // Interval MAXDWORD alone: what has arrived, at once.
      {"available only, nothing waiting", {kMax, 0, 0, 0, 0}, 4, {}, 0, 0},
      {"available only, some waiting", {kMax, 0, 0, 0, 0}, 4, {0, 0}, 2, 0},
      {"available only, later bytes wait", {kMax, 0, 0, 0, 0}, 4, {0, 50}, 1, 0},
      // Interval and multiplier MAXDWORD: the first byte within the constant, then what is there.
      {"first byte, waiting", {kMax, kMax, 100, 0, 0}, 4, {0, 0, 0}, 3, 0},
      {"first byte, comes later", {kMax, kMax, 200, 0, 0}, 4, {40, 120}, 1, 40},
      {"first byte, none comes", {kMax, kMax, 100, 0, 0}, 1, {}, 0, 100},
      {"first byte, no limit capped", {kMax, kMax, kMax, 0, 0}, 1, {}, 0, kNoLimitMs},
      {"first byte, constant 0 takes what is there", {kMax, kMax, 0, 0, 0}, 2, {0}, 1, 0},
      // Total time-out: multiplier x count + constant.
      {"total, all arrive", {0, 10, 50, 0, 0}, 3, {0, 20, 30}, 3, 30},
      {"total, runs out", {0, 10, 50, 0, 0}, 4, {0, 20}, 2, 90},
      {"total, late byte missed", {0, 0, 60, 0, 0}, 2, {10, 100}, 1, 60},
      // Interval: the gap after a byte ends the read before the total.
      {"interval ends the read", {30, 0, 250, 0, 0}, 4, {10, 20, 200}, 2, 50},
      {"interval keeps going while bytes come", {60, 0, 250, 0, 0}, 3, {10, 30, 50}, 3, 50},
      {"interval waits the total for a first byte", {30, 0, 100, 0, 0}, 2, {}, 0, 100},
      // No limit at all: capped, never for ever.
      {"no limit capped", {0, 0, 0, 0, 0}, 2, {0}, 1, kNoLimitMs},
      {"no limit, whole count", {0, 0, 0, 0, 0}, 2, {0, 30}, 2, 30},
      {"all MAXDWORD, byte waiting", {kMax, kMax, kMax, kMax, kMax}, 3, {0}, 1, 0},
  };
  return cases;
}

const std::vector<WriteCase>& WriteContract() {
  static const std::vector<WriteCase> cases = {
      {"taken at once", {0, 0, 0, 10, 100}, 64, false, 0},
      {"taken at once without limits", {0, 0, 0, 0, 0}, 64, false, 0},
      {"held back: constant", {0, 0, 0, 0, 100}, 1 << 20, true, 100},
      {"held back: multiplier x count + constant", {0, 0, 0, 1, 20}, 1000, true, 1020},
      {"held back: no limit capped", {0, 0, 0, 0, 0}, 1 << 20, true, kNoLimitMs},
  };
  return cases;
}

void CheckReadContract(ContractLine& line, const std::string& device) {
  for (const ReadCase& c : ReadContract()) {
    if (line.RealTime() && c.expectMs > kRealTimeCaseLimitMs) continue;
    const std::string what = device + ": " + c.name;
    ASSERT_EQ(line.Device().SetTimeouts(c.timeouts), serial::kSuccess) << what;
    line.Send(c.arrivalsMs);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.count));
    const auto start = line.Now();
    const serial::IoResult result = line.Device().Read(buffer.data(), c.count);
    const auto took = line.Now() - start;
    EXPECT_EQ(result.error, serial::kSuccess) << what;
    EXPECT_EQ(result.transferred, c.expectBytes) << what;
    ExpectDuration(line, took, c.expectMs, what);
    line.Settle();
  }
}

void CheckWriteContract(ContractLine& line, const std::string& device) {
  for (const WriteCase& c : WriteContract()) {
    if (line.RealTime() && c.expectMs > kRealTimeCaseLimitMs) continue;
    const std::string what = device + ": " + c.name;
    if (c.heldBack && !line.HoldOutput()) continue;
    ASSERT_EQ(line.Device().SetTimeouts(c.timeouts), serial::kSuccess) << what;
    const std::vector<std::uint8_t> data(static_cast<std::size_t>(c.count), 0x5A);
    const auto start = line.Now();
    const serial::IoResult result = line.Device().Write(data.data(), c.count);
    const auto took = line.Now() - start;
    EXPECT_EQ(result.error, serial::kSuccess) << what;
    if (c.heldBack) {
      EXPECT_LT(result.transferred, c.count) << what;
    } else {
      EXPECT_EQ(result.transferred, c.count) << what;
    }
    ExpectDuration(line, took, c.expectMs, what);
    line.Settle();
  }
}

void RealTimeSender::Send(const std::vector<int>& arrivalsMs, serial::ComDevice& device,
                          SendBytes send) {
  const auto waiting = std::count(arrivalsMs.begin(), arrivalsMs.end(), 0);
  send(static_cast<int>(waiting));
  WaitQueued(device, static_cast<std::uint32_t>(waiting));
  std::vector<int> later;
  std::copy_if(arrivalsMs.begin(), arrivalsMs.end(), std::back_inserter(later),
               [](int ms) { return ms != 0; });
  if (later.empty()) return;
  thread_ = std::jthread([send = std::move(send), later, start = std::chrono::steady_clock::now()] {
    for (const int ms : later) {
      std::this_thread::sleep_until(start + std::chrono::milliseconds(ms));
      send(1);
    }
  });
}

void WaitQueued(serial::ComDevice& device, std::uint32_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  std::uint32_t errors = 0;
  std::uint32_t queued = 0;
  while (device.ClearError(&errors, &queued) == serial::kSuccess && queued < count &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace orvane::test_support
