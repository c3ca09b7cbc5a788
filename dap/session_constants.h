// Numbers the session's handlers share.
#pragma once

namespace orvane::dap {

// The CPU is the one thread.
inline constexpr int kThreadId = 1;

}  // namespace orvane::dap
