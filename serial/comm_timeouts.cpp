#include "serial/comm_timeouts.h"

#include <algorithm>

namespace orvane::serial {
namespace {

// multiplier x count + constant without overflow, kept below kMaxDword (which means "none").
std::uint32_t TotalMs(std::uint32_t multiplier, std::uint32_t constant, std::int32_t count) {
  const std::uint64_t n = count > 0 ? static_cast<std::uint64_t>(count) : 0;
  const std::uint64_t total = static_cast<std::uint64_t>(multiplier) * n + constant;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, kMaxDword - 1));
}

}  // namespace

ReadRule ReadRuleOf(const CommTimeouts& t, std::int32_t count) {
  ReadRule rule;
  if (t.ReadIntervalTimeout == kMaxDword) {
    if (t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
      rule.kind = ReadRule::kAvailableOnly;
      return rule;
    }
    if (t.ReadTotalTimeoutMultiplier == kMaxDword) {
      // The platform defines only a constant between 1 and kMaxDword - 1 here; with 0 the read
      // must not wait (it could wait for ever), so it takes what is there.
      if (t.ReadTotalTimeoutConstant == 0) {
        rule.kind = ReadRule::kAvailableOnly;
        return rule;
      }
      rule.kind = ReadRule::kFirstByte;
      // A constant of kMaxDword, the platform's "none", would wait for ever for the first byte.
      rule.totalMs = t.ReadTotalTimeoutConstant == kMaxDword ? kUnlimitedTransferMs
                                                             : t.ReadTotalTimeoutConstant;
      return rule;
    }
  }
  rule.kind = ReadRule::kFill;
  // A gap of kMaxDword ms is no practical limit.
  rule.intervalMs = t.ReadIntervalTimeout == kMaxDword ? 0 : t.ReadIntervalTimeout;
  if (t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
    rule.totalMs = kUnlimitedTransferMs;
  } else {
    rule.totalMs = TotalMs(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, count);
    if (rule.totalMs == 0) rule.totalMs = kUnlimitedTransferMs;
  }
  return rule;
}

std::uint32_t WriteLimitMs(const CommTimeouts& t, std::int32_t count) {
  if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0) {
    return kUnlimitedTransferMs;
  }
  const std::uint32_t total =
      TotalMs(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, count);
  return total == 0 ? kUnlimitedTransferMs : total;
}

ReadTimer::ReadTimer(const CommTimeouts& timeouts, std::int32_t count)
    : rule_(ReadRuleOf(timeouts, count)),
      count_(count),
      deadline_(std::chrono::milliseconds(rule_.totalMs)) {}

void ReadTimer::Arrived(std::int32_t total, Duration at) {
  total_ = total;
  if (rule_.kind == ReadRule::kFill && rule_.intervalMs != 0) {
    const Duration limit = std::chrono::milliseconds(rule_.totalMs);
    deadline_ = std::min(limit, at + std::chrono::milliseconds(rule_.intervalMs));
  }
}

bool ReadTimer::Complete() const {
  return total_ >= count_ || (rule_.kind != ReadRule::kFill && total_ > 0);
}

ReadTimer::Duration ReadTimer::Deadline() const { return deadline_; }

PlannedRead PlanRead(const CommTimeouts& timeouts, std::int32_t count,
                     const std::vector<ReadTimer::Duration>& arrivals) {
  ReadTimer timer(timeouts, count);
  PlannedRead plan;
  std::int32_t heard = 0;
  for (const ReadTimer::Duration arrival : arrivals) {
    if (timer.Complete()) break;
    const ReadTimer::Duration at = std::max(arrival, ReadTimer::Duration::zero());
    if (at > timer.Deadline()) break;
    timer.Arrived(++heard, at);
    plan.end = at;
  }
  if (!timer.Complete()) plan.end = timer.Deadline();
  // The read returns with everything that has arrived by its end (bytes that came together with
  // the first one, for the rules that return on it), up to the count.
  for (const ReadTimer::Duration arrival : arrivals) {
    if (plan.bytes == count || arrival > plan.end) break;
    ++plan.bytes;
  }
  return plan;
}

}  // namespace orvane::serial
