// TCP sockets over POSIX. The socket is non-blocking; the receiving thread waits in poll() on it
// and on a pipe that Wake writes to, every other wait is a poll() against a deadline.
#include "serial/net_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "serial/net_connect.h"
#include "serial/unique_fd_posix.h"

namespace orvane::serial {
namespace {

using Clock = std::chrono::steady_clock;

SysError LastError() { return static_cast<SysError>(errno); }

int MsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, 1 << 30));
}

// Waits for `events` on fd until the deadline; false on time-out or failure (*error set then).
bool PollUntil(int fd, short events, Clock::time_point deadline, SysError* error) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, MsUntil(deadline));
    if (ready > 0) return true;
    if (ready == 0) {
      *error = ETIMEDOUT;
      return false;
    }
    if (errno != EINTR) {
      *error = LastError();
      return false;
    }
  }
}

class PosixNetSocket final : public NetSocket {
 public:
  PosixNetSocket(UniqueFd socket, UniqueFd wakeRead, UniqueFd wakeWrite)
      : socket_(std::move(socket)),
        wakeRead_(std::move(wakeRead)),
        wakeWrite_(std::move(wakeWrite)) {}

  Wait WaitReadable(SysError* error) override {
    for (;;) {
      pollfd entries[2] = {{socket_.Get(), POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}};
      const int ready = poll(entries, 2, -1);
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) {
        *error = LastError();
        return Wait::kFailed;
      }
      if (entries[1].revents != 0) return Wait::kWoken;
      return Wait::kReadable;  // data, the end of the connection, or its failure: Receive tells
    }
  }

  void Wake() override {
    const char byte = 1;
    while (write(wakeWrite_.Get(), &byte, 1) < 0 && errno == EINTR) {
    }
  }

  std::int64_t Receive(std::uint8_t* into, std::size_t size, SysError* error) override {
    for (;;) {
      const ssize_t got = recv(socket_.Get(), into, size, MSG_DONTWAIT);
      if (got >= 0) return got;
      if (errno == EINTR) continue;
      *error = errno == EAGAIN || errno == EWOULDBLOCK ? kSuccess : LastError();
      return -1;
    }
  }

  std::size_t Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit,
                   SysError* error) override {
    const auto deadline = Clock::now() + limit;
    std::size_t sent = 0;
    while (sent < size) {
      const ssize_t put =
          send(socket_.Get(), data + sent, size - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
      if (put > 0) {
        sent += static_cast<std::size_t>(put);
        continue;
      }
      if (put < 0 && errno == EINTR) continue;
      if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        *error = LastError();
        return sent;
      }
      SysError waitError = kSuccess;
      if (!PollUntil(socket_.Get(), POLLOUT, deadline, &waitError)) {
        if (waitError != ETIMEDOUT) *error = waitError;
        return sent;  // out of time: a write time-out, not a failure
      }
    }
    return sent;
  }

 private:
  UniqueFd socket_;
  UniqueFd wakeRead_;
  UniqueFd wakeWrite_;
};

}  // namespace

namespace net_platform {

bool StartSockets(SysError*) { return true; }

HostAddresses LookUpHost(const std::string& host, std::uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
  addrinfo* found = nullptr;
  HostAddresses result;
  const int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (status != 0) {
    // errno is this thread's: it is read here, not by the thread that waits for the lookup.
    result.error = status == EAI_SYSTEM && errno != 0 ? LastError() : HostNotFoundError();
    return result;
  }
  result.list.reset(found, freeaddrinfo);
  for (const addrinfo* address = found; address; address = address->ai_next) {
    result.addresses.push_back(address);
  }
  return result;
}

// A non-blocking connect, waited for until the deadline.
std::unique_ptr<NetSocket> ConnectToAddress(const addrinfo& address, Clock::time_point deadline,
                                            SysError* error) {
  UniqueFd fd(socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     address.ai_protocol));
  if (!fd.Valid()) {
    *error = LastError();
    return nullptr;
  }
  if (connect(fd.Get(), address.ai_addr, address.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) {
      *error = LastError();
      return nullptr;
    }
    if (!PollUntil(fd.Get(), POLLOUT, deadline, error)) return nullptr;
    int result = 0;
    socklen_t length = sizeof result;
    if (getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &result, &length) != 0) result = errno;
    if (result != 0) {
      *error = static_cast<SysError>(result);
      return nullptr;
    }
  }
  const int on = 1;
  setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
    *error = LastError();
    return nullptr;
  }
  return std::make_unique<PosixNetSocket>(std::move(fd), UniqueFd(pipeEnds[0]),
                                          UniqueFd(pipeEnds[1]));
}

}  // namespace net_platform

// "No such device or address": a port name that names nothing reachable.
SysError HostNotFoundError() { return ENXIO; }
SysError TimedOutError() { return ETIMEDOUT; }
SysError ConnectionEndedError() { return ECONNRESET; }

}  // namespace orvane::serial
