// Standard streams and loopback sockets over POSIX.
#include "dap/byte_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "serial/unique_fd_posix.h"

namespace orvane::dap {
namespace {

using serial::UniqueFd;

std::int64_t ReadFd(int fd, char* into, std::size_t size) {
  for (;;) {
    const ssize_t got = read(fd, into, size);
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

bool WriteFd(int fd, const char* data, std::size_t size, bool socket) {
  while (size > 0) {
    // A client gone away must not kill the adapter with SIGPIPE.
    const ssize_t put = socket ? send(fd, data, size, MSG_NOSIGNAL) : write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

class StandardStream final : public ByteStream {
 public:
  std::int64_t Read(char* into, std::size_t size) override {
    return ReadFd(STDIN_FILENO, into, size);
  }
  bool Write(const char* data, std::size_t size) override {
    return WriteFd(STDOUT_FILENO, data, size, false);
  }
};

class SocketStream final : public ByteStream {
 public:
  explicit SocketStream(UniqueFd socket) : socket_(std::move(socket)) {}
  std::int64_t Read(char* into, std::size_t size) override {
    return ReadFd(socket_.Get(), into, size);
  }
  bool Write(const char* data, std::size_t size) override {
    return WriteFd(socket_.Get(), data, size, true);
  }

 private:
  UniqueFd socket_;
};

class PosixListener final : public Listener {
 public:
  PosixListener(UniqueFd socket, std::uint16_t port) : socket_(std::move(socket)), port_(port) {}
  std::uint16_t Port() const override { return port_; }
  std::unique_ptr<ByteStream> Accept(std::string& error) override {
    for (;;) {
      UniqueFd client(accept(socket_.Get(), nullptr, nullptr));
      if (client.Valid()) {
        const int on = 1;
        setsockopt(client.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return std::make_unique<SocketStream>(std::move(client));
      }
      if (errno == EINTR || errno == ECONNABORTED) continue;
      error = std::strerror(errno);
      return nullptr;
    }
  }

 private:
  UniqueFd socket_;
  std::uint16_t port_;
};

}  // namespace

std::unique_ptr<ByteStream> StandardStreams() { return std::make_unique<StandardStream>(); }

std::unique_ptr<Listener> ListenOnLoopback(std::uint16_t port, std::string& error) {
  UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const int on = 1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  // One client at a time: the next waits in the backlog until this one's session ends.
  if (!socket.Valid() || setsockopt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(socket.Get(), 1) != 0 ||
      getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<PosixListener>(std::move(socket), ntohs(address.sin_port));
}

}  // namespace orvane::dap
