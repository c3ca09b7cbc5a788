// The serial device of a board reached over the network: a TCP connection to a network serial
// server that speaks the Telnet com-port protocol (RFC 2217), under the same port object and the
// same time-out rules as a local port. One thread receives: it takes the server's stream apart
// into the device's own input queue, answers and notifications, so the queue and the event
// thread see the line's data bytes only.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "serial/com_device.h"

namespace orvane::serial {

// The longest the host lookup and the connection may take together.
inline constexpr std::chrono::milliseconds kNetworkConnectLimit{3000};
// How long a command waits for the server's answer before it goes on without one: some servers
// never answer some commands (DTR and RTS on a pseudo-terminal), which must cost no more than this.
inline constexpr std::chrono::milliseconds kNetworkAnswerWait{300};

// Opens a network port name ("rfc2217://HOST:PORT"). Fails with InvalidParameterError for a name
// that is not well formed, with HostNotFoundError, TimedOutError or the platform's refusal when
// no connection is made.
std::unique_ptr<ComDevice> OpenNetworkDevice(const std::string& port, SysError* error);

}  // namespace orvane::serial
