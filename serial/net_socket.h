// A connected TCP socket, the little the network serial device needs of it, over POSIX sockets
// (net_socket_posix.cpp) and Winsock (net_socket_win32.cpp). One thread receives, any thread
// sends and wakes; every wait but the receiving thread's is bounded.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/com_device.h"

namespace orvane::serial {

class NetSocket {
 public:
  enum class Wait { kReadable, kWoken, kFailed };
  virtual ~NetSocket() = default;

  // Waits until bytes or the end of the connection can be received, or until Wake.
  virtual Wait WaitReadable(SysError* error) = 0;
  // Any thread: the current WaitReadable and every later one return kWoken.
  virtual void Wake() = 0;
  // What has arrived, without waiting: the count (> 0); 0 when the peer has closed the
  // connection; -1 with *error set on failure, or with *error kSuccess when nothing is there.
  virtual std::int64_t Receive(std::uint8_t* into, std::size_t size, SysError* error) = 0;
  // Sends all bytes unless `limit` runs out first or the connection fails; the count sent.
  virtual std::size_t Send(const std::uint8_t* data, std::size_t size,
                           std::chrono::milliseconds limit, SysError* error) = 0;
};

// Looks the host up and connects to the first of its addresses that accepts, with TCP_NODELAY
// (a protocol that waits for the answer to each byte would otherwise pay the delayed
// acknowledgement every time), within `limit` altogether: a lookup that hangs is abandoned when
// the time is up. Null on failure, with *error one of the numbers below or the platform's own.
std::unique_ptr<NetSocket> ConnectSocket(const std::string& host, std::uint16_t port,
                                         std::chrono::milliseconds limit, SysError* error);

// The platform's numbers for: a host name that does not resolve, a connection not made (or a
// lookup not finished) in time, a connection the server ended.
SysError HostNotFoundError();
SysError TimedOutError();
SysError ConnectionEndedError();

}  // namespace orvane::serial
