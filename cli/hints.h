// The command-line tool's next steps: after a message, one line beginning "hint: " where the tool
// can tell what to do about it. The window keeps its own texts; these are the tool's alone.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "serial/com_device.h"

namespace orvane::board {
class BoardLink;
}

namespace orvane::cli {

inline constexpr const char* kHintPrefix = "hint: ";

// The folder that stands for "/" when sysfs and /proc are read: ORVANE_SYSTEM_ROOT, so tests can
// point the tool at a fake tree; empty for the real one.
std::string SystemRoot();

// Why a port did not open, as far as the platform's error number tells (hints_posix.cpp,
// hints_win32.cpp).
// kLimit: the system's limit of open files, which many ports at once can reach.
enum class OpenFailure { kAbsent, kDenied, kHeld, kNotSerial, kLimit, kOther };
OpenFailure ClassifyOpenFailure(serial::SysError error);
// The programs that have the port's device open ("minicom (pid 1234)", comma-separated), where
// the platform can tell; empty otherwise. `ownPid` is left out.
std::string PortHolders(const std::string& port, const std::string& systemRoot, long ownPid);
// What to do when the port's permissions keep the user out.
std::string PermissionAdvice();
// The limit of open files that stopped an open, named.
std::string OpenFilesLimitAdvice();

// The hint after "<port> already used by other application"; none when nothing useful is known.
std::optional<std::string> OpenFailureHint(const std::string& port, serial::SysError error,
                                           const std::vector<std::string>& portsPresent,
                                           const std::string& holders);
// The hint after a board that did not answer: at one port and rate, or (scanned) at any rate of
// `port`, or of any port when `port` is empty.
std::string SilentBoardHint(const std::string& port, const std::string& baud, bool scanned,
                            bool anyPortListed);
// The hint before a download whose algorithm waits for an answer to each byte over a converter
// whose latency timer is above 1 ms: the time to expect and how to shorten it. `answers` is how
// many answers the algorithm waits for.
std::optional<std::string> LatencyHint(const std::string& port, int algorithm, long answers,
                                       int latencyMs, const std::string& timerPath);

// After a connection that failed: the hint its cause calls for, if any. A scan names `port` when
// it covered that port only.
std::optional<std::string> ConnectFailureHint(const board::BoardLink& link, const std::string& port,
                                              const std::string& baud, bool scanned);
// Before a download: the latency hint for the connected port, if any.
std::optional<std::string> DownloadLatencyHint(const std::string& port, int algorithm,
                                               long imageBytes);

// Writes "hint: <text>" as a line.
void PrintHint(std::ostream& out, const std::optional<std::string>& text);
void PrintHint(std::ostream& out, const std::string& text);

}  // namespace orvane::cli
