// TCP sockets over Winsock. The socket reports arrivals and the end of the connection to an event
// (WSAEventSelect, which also makes it non-blocking); the receiving thread waits on that event
// and on the wake event, every other wait is a select() against a deadline.
#include "serial/net_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

#include "serial/net_connect.h"
#include "serial/unique_handle_win32.h"

namespace orvane::serial {
namespace {

using Clock = std::chrono::steady_clock;

SysError LastError() { return static_cast<SysError>(WSAGetLastError()); }

struct SocketTraits {
  using Value = SOCKET;
  static SOCKET None() { return INVALID_SOCKET; }
  static bool Valid(SOCKET s) { return s != INVALID_SOCKET; }
  static void Release(SOCKET s) { closesocket(s); }
};
using UniqueSocket = UniqueResource<SocketTraits>;

// Waits until the socket can be written to (or failed to connect) or the deadline passes.
bool SelectWritable(SOCKET s, Clock::time_point deadline, SysError* error) {
  const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now()).count();
  timeval wait{};
  const long long micros = std::max<long long>(left, 0);
  wait.tv_sec = static_cast<long>(micros / 1000000);
  wait.tv_usec = static_cast<long>(micros % 1000000);
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  const int ready = select(0, nullptr, &writable, &failed, &wait);
  if (ready == 0) {
    *error = WSAETIMEDOUT;
    return false;
  }
  if (ready == SOCKET_ERROR) {
    *error = LastError();
    return false;
  }
  if (FD_ISSET(s, &failed)) {
    int result = 0;
    int length = sizeof result;
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length);
    *error = result != 0 ? static_cast<SysError>(result) : WSAECONNREFUSED;
    return false;
  }
  return true;
}

class Win32NetSocket final : public NetSocket {
 public:
  Win32NetSocket(UniqueSocket socket, UniqueHandle arrival, UniqueHandle wake)
      : socket_(std::move(socket)), arrival_(std::move(arrival)), wake_(std::move(wake)) {}

  Wait WaitReadable(SysError* error) override {
    const HANDLE handles[2] = {wake_.Get(), arrival_.Get()};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0) return Wait::kWoken;
    if (which != WAIT_OBJECT_0 + 1) {
      *error = static_cast<SysError>(GetLastError());
      return Wait::kFailed;
    }
    WSANETWORKEVENTS occurred{};  // also resets the arrival event
    if (WSAEnumNetworkEvents(socket_.Get(), arrival_.Get(), &occurred) != 0) {
      *error = LastError();
      return Wait::kFailed;
    }
    return Wait::kReadable;  // data, or the end of the connection: Receive tells
  }

  void Wake() override { SetEvent(wake_.Get()); }

  std::int64_t Receive(std::uint8_t* into, std::size_t size, SysError* error) override {
    const int got = recv(socket_.Get(), reinterpret_cast<char*>(into),
                         static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
    if (got >= 0) return got;
    const SysError failure = LastError();
    *error = failure == WSAEWOULDBLOCK ? kSuccess : failure;
    return -1;
  }

  std::size_t Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit,
                   SysError* error) override {
    const auto deadline = Clock::now() + limit;
    std::size_t sent = 0;
    while (sent < size) {
      const int put = send(socket_.Get(), reinterpret_cast<const char*>(data + sent),
                           static_cast<int>(std::min<std::size_t>(size - sent, 1 << 30)), 0);
      if (put > 0) {
        sent += static_cast<std::size_t>(put);
        continue;
      }
      if (put == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) {
        *error = LastError();
        return sent;
      }
      SysError waitError = kSuccess;
      if (!SelectWritable(socket_.Get(), deadline, &waitError)) {
        if (waitError != WSAETIMEDOUT) *error = waitError;
        return sent;  // out of time: a write time-out, not a failure
      }
    }
    return sent;
  }

 private:
  UniqueSocket socket_;
  UniqueHandle arrival_;
  UniqueHandle wake_;
};

}  // namespace

namespace net_platform {

// Winsock is started once for the process and left running until it ends.
bool StartSockets(SysError* error) {
  static const int status = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  if (status != 0) *error = static_cast<SysError>(status);
  return status == 0;
}

HostAddresses LookUpHost(const std::string& host, std::uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  HostAddresses result;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
    result.error = HostNotFoundError();
    return result;
  }
  result.list.reset(found, freeaddrinfo);
  for (const addrinfo* address = found; address; address = address->ai_next) {
    result.addresses.push_back(address);
  }
  return result;
}

std::unique_ptr<NetSocket> ConnectToAddress(const addrinfo& address, Clock::time_point deadline,
                                            SysError* error) {
  UniqueSocket s(socket(address.ai_family, address.ai_socktype, address.ai_protocol));
  if (!s.Valid()) {
    *error = LastError();
    return nullptr;
  }
  u_long nonBlocking = 1;
  ioctlsocket(s.Get(), FIONBIO, &nonBlocking);
  if (connect(s.Get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
      *error = LastError();
      return nullptr;
    }
    if (!SelectWritable(s.Get(), deadline, error)) return nullptr;
  }
  const BOOL on = TRUE;
  setsockopt(s.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  UniqueHandle arrival(WSACreateEvent());
  UniqueHandle wake(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!arrival.Valid() || !wake.Valid() ||
      WSAEventSelect(s.Get(), arrival.Get(), FD_READ | FD_CLOSE) != 0) {
    *error = LastError();
    return nullptr;
  }
  return std::make_unique<Win32NetSocket>(std::move(s), std::move(arrival), std::move(wake));
}

}  // namespace net_platform

SysError HostNotFoundError() { return WSAHOST_NOT_FOUND; }
SysError TimedOutError() { return WSAETIMEDOUT; }
SysError ConnectionEndedError() { return WSAECONNRESET; }

}  // namespace orvane::serial
