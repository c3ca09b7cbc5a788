#include "serial/net_connect.h"

#include "serial/bounded_call.h"

namespace orvane::serial {

std::unique_ptr<NetSocket> ConnectToFirst(std::size_t count, NetClock::time_point deadline,
                                          const ConnectAttempt& attempt,
                                          const std::function<NetClock::time_point()>& now,
                                          SysError* error) {
  *error = HostNotFoundError();  // no address at all
  for (std::size_t index = 0; index < count; ++index) {
    const NetClock::time_point start = now();
    if (start >= deadline) {
      *error = TimedOutError();
      return nullptr;
    }
    const auto share = (deadline - start) / static_cast<long>(count - index);
    if (auto socket = attempt(index, start + share, error)) return socket;
  }
  return nullptr;
}

std::unique_ptr<NetSocket> ConnectSocket(const std::string& host, std::uint16_t port,
                                         std::chrono::milliseconds limit, SysError* error) {
  if (!net_platform::StartSockets(error)) return nullptr;
  const auto deadline = NetClock::now() + limit;
  const auto found = CallWithin<net_platform::HostAddresses>(
      [host, port] { return net_platform::LookUpHost(host, port); }, deadline);
  if (!found) {
    *error = TimedOutError();
    return nullptr;
  }
  if (found->error != kSuccess) {
    *error = found->error;
    return nullptr;
  }
  const auto attempt = [&found](std::size_t index, NetClock::time_point until, SysError* failure) {
    return net_platform::ConnectToAddress(*found->addresses[index], until, failure);
  };
  return ConnectToFirst(found->addresses.size(), deadline, attempt, NetClock::now, error);
}

}  // namespace orvane::serial
