#include "cli/hints.h"

#include <cstdlib>
#include <ostream>
#include <sstream>

#include "board/board_link.h"
#include "board/board_protocol.h"
#include "serial/com_error.h"
#include "serial/net_socket.h"
#include "serial/network_address.h"
#include "serial/port_details.h"
#include "serial/port_list.h"
#include "serial/virtual_ports.h"

namespace orvane::cli {
namespace {

// Item of rgDownloadAlg whose transfer sends a page before it waits (the only one that does not
// wait for an answer to each byte) and the one that also has every byte echoed.
constexpr int kPageAlgorithm = 0;
constexpr int kPageVerifiedAlgorithm = 1;

std::string PortList(const std::vector<std::string>& ports) {
  std::string text;
  for (const std::string& port : ports) text += (text.empty() ? "" : ", ") + port;
  return text;
}

std::string Seconds(double seconds) {
  std::ostringstream text;
  text.precision(seconds < 10 ? 1 : 0);
  text << std::fixed << seconds << " s";
  return text.str();
}

// Why a network board's connection was not made, and what to check.
std::string NetworkOpenFailureHint(const std::string& port, serial::SysError error) {
  const auto address = serial::ParseNetworkPortName(port);
  if (!address) {
    return "a network board is named rfc2217://HOST:PORT, the port number required (an IPv6 "
           "address in brackets: rfc2217://[::1]:4001)";
  }
  if (error == serial::HostNotFoundError()) {
    return "the host " + address->host + " was not found: check its name, or give its address";
  }
  const std::string number = std::to_string(address->port);
  return "no network serial server answered at " + address->host + " port " + number +
         ": is the server running there, are the address and port right, and does no firewall "
         "block port " +
         number + "?";
}

}  // namespace

std::string SystemRoot() {
  const char* root = std::getenv("ORVANE_SYSTEM_ROOT");
  return root ? root : "";
}

std::optional<std::string> OpenFailureHint(const std::string& port, serial::SysError error,
                                           const std::vector<std::string>& portsPresent,
                                           const std::string& holders) {
  if (serial::IsNetworkPortName(port)) return NetworkOpenFailureHint(port, error);
  const std::string present = portsPresent.empty()
                                  ? "no serial port is present (is the converter plugged in?)"
                                  : "the ports present: " + PortList(portsPresent);
  switch (ClassifyOpenFailure(error)) {
    case OpenFailure::kAbsent:
      return "there is no port " + port + "; " + present;
    case OpenFailure::kNotSerial:
      return port + " is not a serial port; " + present;
    case OpenFailure::kDenied:
      return "permission to use " + port + " was refused: " + PermissionAdvice();
    case OpenFailure::kHeld:
      if (holders.empty()) return "another program has " + port + " open; end it and try again";
      return port + " is held by " + holders + "; end it and try again";
    case OpenFailure::kLimit:
      return port + " could not be opened: too many files are open; " + OpenFilesLimitAdvice();
    case OpenFailure::kOther:
      break;
  }
  return std::nullopt;
}

std::string SilentBoardHint(const std::string& port, const std::string& baud, bool scanned,
                            bool anyPortListed) {
  if (scanned && port.empty() && !anyPortListed) {
    return "no serial port is present to scan: plug the converter or cable in, then see "
           "'orvane ports'";
  }
  std::string text;
  if (!scanned) {
    text = "the board did not answer on " + port + " at " + baud + " bit/s";
  } else if (port.empty()) {
    text = "no board answered on any port at any rate";
  } else {
    text = "no board answered on " + port + " at any rate";
  }
  text += ": check that the board has power and that the cable is in";
  if (!scanned) text += ", that the rate is the board's (--baud), or let --auto find the rate";
  return text;
}

std::optional<std::string> LatencyHint(const std::string& port, int algorithm, long answers,
                                       int latencyMs, const std::string& timerPath) {
  if (algorithm == kPageAlgorithm || latencyMs <= 1 || answers <= 0) return std::nullopt;
  std::string text = "the converter of " + port + " holds each answer up to " +
                     std::to_string(latencyMs) + " ms, so this download may take " +
                     Seconds(static_cast<double>(answers) * latencyMs / 1000.0) + " (" +
                     std::to_string(answers) + " answers); ";
  if (!timerPath.empty()) text += "lower the timer with 'echo 1 > " + timerPath + "' (as root) ";
  text += timerPath.empty() ? "choose" : "or choose";
  text += " --algorithm page, which waits once a page";
  return text;
}

std::optional<std::string> ConnectFailureHint(const board::BoardLink& link, const std::string& port,
                                              const std::string& baud, bool scanned) {
  std::vector<std::string> present;
  try {
    serial::ListPorts(present);
  } catch (const serial::EComPort&) {
    present.clear();
  }
  if (scanned) return SilentBoardHint(port, baud, true, !present.empty());
  if (port.empty() || baud.empty()) return std::nullopt;
  const serial::SysError error = link.LastOpenError();
  if (error != serial::kSuccess) {
    const std::string holders = ClassifyOpenFailure(error) == OpenFailure::kHeld
                                    ? PortHolders(port, SystemRoot(), 0)
                                    : std::string();
    return OpenFailureHint(port, error, present, holders);
  }
  return SilentBoardHint(port, baud, false, true);
}

std::optional<std::string> DownloadLatencyHint(const std::string& port, int algorithm,
                                               long imageBytes) {
  const std::string root = SystemRoot();
  const std::optional<int> latency = serial::LatencyTimerMs(port, root);
  if (!latency) return std::nullopt;
  long answers = imageBytes;
  if (algorithm == kPageVerifiedAlgorithm)
    answers += (imageBytes + board::kPageSize - 1) / board::kPageSize;
  return LatencyHint(port, algorithm, answers, *latency, serial::LatencyTimerPath(port, root));
}

void PrintHint(std::ostream& out, const std::optional<std::string>& text) {
  if (text) PrintHint(out, *text);
}

void PrintHint(std::ostream& out, const std::string& text) {
  out << kHintPrefix << text << std::endl;
}

}  // namespace orvane::cli
