// One command on many ports at once (--ports): each port on a thread of its own, with its own
// port object, board link and console controls, so that a board that fails neither delays nor
// stops the others. On a terminal each port has its bar line; at the end one line per port in the
// order given, "<port>: <outcome>" with the reason where there was a message, and the hints.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace orvane::cli {

// What one port's run came to.
struct PortOutcome {
  bool succeeded = false;
  std::string line;  // the outcome ("Downloading succeded"); empty when the run stopped before one
  std::optional<std::string> hint;
};

// Where one port's run writes: `messages` gets its message boxes (collected for the summary),
// `bar` its bar line, drawn when `draw` is set.
struct PortStreams {
  std::ostream& messages;
  std::ostream& bar;
  bool draw;
};

using PortJob = std::function<PortOutcome(const std::string& port, PortStreams& streams)>;

// The ports of --ports: "all" is every port that ListPorts gives, else a comma-separated list.
// None, with *error set, when the list is empty or names a port twice.
std::optional<std::vector<std::string>> ParsePortsOption(const std::string& text,
                                                         std::string* error);

// Runs `job` on every port at once and waits for all. Writes the summary lines to `out` and the
// hints to `err` (where the bars go too, when `draw` is set). An error that escapes a job is that
// port's failure: its line is `failure`, the error's message the reason. Returns 0 when every
// port succeeded, else 1.
int RunOnPorts(const std::vector<std::string>& ports, const PortJob& job,
               const std::string& failure, std::ostream& out, std::ostream& err, bool draw);

// The summary line of one port: "<port>: <line>", then ": <reason>" when a message was shown.
std::string SummaryLine(const std::string& port, const PortOutcome& outcome,
                        const std::string& messages);

}  // namespace orvane::cli
