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
      rule.totalMs = std::min(t.ReadTotalTimeoutConstant, kMaxDword - 1);
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

}  // namespace orvane::serial
