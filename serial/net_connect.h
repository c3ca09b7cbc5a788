// The portable half of ConnectSocket: the lookup, bounded, and the walk over the addresses it
// found. The platform's half (net_socket_posix.cpp, net_socket_win32.cpp) looks up and connects
// to one address.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/net_socket.h"

struct addrinfo;

namespace orvane::serial {

using NetClock = std::chrono::steady_clock;

// Tries `count` addresses in turn until one connects. Each is given an equal part of the time
// left by `deadline` (all of it for the last), so one that never answers leaves the others their
// part and one refused at once leaves them more. `attempt` tries address `index` until the
// deadline it is given; `now` is the clock (a test's own). Null on failure with *error the last
// attempt's failure, or TimedOutError when no time was left for one.
using ConnectAttempt = std::function<std::unique_ptr<NetSocket>(
    std::size_t index, NetClock::time_point deadline, SysError* error)>;
std::unique_ptr<NetSocket> ConnectToFirst(std::size_t count, NetClock::time_point deadline,
                                          const ConnectAttempt& attempt,
                                          const std::function<NetClock::time_point()>& now,
                                          SysError* error);

namespace net_platform {

// A host's addresses as the platform's lookup found them, in the order to try.
struct HostAddresses {
  SysError error = kSuccess;       // the lookup's failure, read on the thread that looked up
  std::shared_ptr<addrinfo> list;  // the platform's list, freed with the last copy
  std::vector<const addrinfo*> addresses;
};

// Makes the platform's sockets usable (once for the process); false with *error when not.
bool StartSockets(SysError* error);
// The lookup; it may block for as long as the system's resolver takes.
HostAddresses LookUpHost(const std::string& host, std::uint16_t port);
// A connection to one address, with TCP_NODELAY, made by `deadline`; null with *error on failure.
std::unique_ptr<NetSocket> ConnectToAddress(const addrinfo& address, NetClock::time_point deadline,
                                            SysError* error);

}  // namespace net_platform
}  // namespace orvane::serial
