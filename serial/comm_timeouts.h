// What a time-out record means for one read or write, as the Win32 COMMTIMEOUTS defines it. Both
// platform devices and the virtual devices keep these rules, so they live in one place.
#pragma once

#include <cstdint>

#include "serial/com_device.h"

namespace orvane::serial {

inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

// A record that sets no limit at all would let a transfer wait for ever on a silent line; such a
// transfer ends after this long instead, as if its time-out had run out.
inline constexpr std::uint32_t kUnlimitedTransferMs = 60000;

struct ReadRule {
  enum Kind {
    kAvailableOnly,  // return at once with what has already arrived, possibly nothing
    kFirstByte,      // what is waiting at once; else wait up to totalMs for a first byte, then
                     // return with what has arrived by then (never waits to fill the buffer)
    kFill,           // wait for count bytes, bounded by totalMs and by the gap intervalMs
  };
  Kind kind = kAvailableOnly;
  std::uint32_t totalMs = 0;     // kFirstByte, kFill: longest duration (kFill: always > 0)
  std::uint32_t intervalMs = 0;  // kFill: largest gap after the first byte; 0 means no gap limit
};

// The rule for a read of count bytes. A kFill rule without any limit is given
// kUnlimitedTransferMs as its total.
ReadRule ReadRuleOf(const CommTimeouts& timeouts, std::int32_t count);

// The longest a write of count bytes may take (multiplier x count + constant, kUnlimitedTransferMs
// when both are 0), at most kMaxDword - 1.
std::uint32_t WriteLimitMs(const CommTimeouts& timeouts, std::int32_t count);

}  // namespace orvane::serial
