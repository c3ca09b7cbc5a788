// Standard streams and loopback sockets over the C runtime and Winsock.
#include "dap/byte_stream.h"

#include <fcntl.h>
#include <io.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>

#include "serial/unique_resource.h"

namespace orvane::dap {
namespace {

struct SocketTraits {
  using Value = SOCKET;
  static SOCKET None() { return INVALID_SOCKET; }
  static bool Valid(SOCKET s) { return s != INVALID_SOCKET; }
  static void Release(SOCKET s) { closesocket(s); }
};
using UniqueSocket = serial::UniqueResource<SocketTraits>;

std::string ErrorText(int code) { return "Winsock error " + std::to_string(code); }

class StandardStream final : public ByteStream {
 public:
  StandardStream() {
    // The header's CR LF and the body's bytes pass as they are, both ways.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
  }
  std::int64_t Read(char* into, std::size_t size) override {
    const int got = _read(_fileno(stdin), into, static_cast<unsigned>(size));
    return got < 0 ? -1 : got;
  }
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      const int put = _write(_fileno(stdout), data, static_cast<unsigned>(size));
      if (put <= 0) return false;
      data += put;
      size -= static_cast<std::size_t>(put);
    }
    return true;
  }
};

class SocketStream final : public ByteStream {
 public:
  explicit SocketStream(UniqueSocket socket) : socket_(std::move(socket)) {}
  std::int64_t Read(char* into, std::size_t size) override {
    const int got = recv(socket_.Get(), into, static_cast<int>(size), 0);
    return got == SOCKET_ERROR ? -1 : got;
  }
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      const int put = send(socket_.Get(), data, static_cast<int>(size), 0);
      if (put <= 0) return false;
      data += put;
      size -= static_cast<std::size_t>(put);
    }
    return true;
  }

 private:
  UniqueSocket socket_;
};

class WinsockListener final : public Listener {
 public:
  WinsockListener(UniqueSocket socket, std::uint16_t port)
      : socket_(std::move(socket)), port_(port) {}
  std::uint16_t Port() const override { return port_; }
  std::unique_ptr<ByteStream> Accept(std::string& error) override {
    UniqueSocket client(accept(socket_.Get(), nullptr, nullptr));
    if (!client.Valid()) {
      error = ErrorText(WSAGetLastError());
      return nullptr;
    }
    const BOOL on = TRUE;
    setsockopt(client.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
               sizeof on);
    return std::make_unique<SocketStream>(std::move(client));
  }

 private:
  UniqueSocket socket_;
  std::uint16_t port_;
};

}  // namespace

std::unique_ptr<ByteStream> StandardStreams() { return std::make_unique<StandardStream>(); }

std::unique_ptr<Listener> ListenOnLoopback(std::uint16_t port, std::string& error) {
  WSADATA data;
  if (const int status = WSAStartup(MAKEWORD(2, 2), &data); status != 0) {
    error = ErrorText(status);
    return nullptr;
  }
  UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  // Another program may not take the port over while we hold it.
  const BOOL on = TRUE;
  if (!socket.Valid() ||
      setsockopt(socket.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                 sizeof on) != 0 ||
      bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(socket.Get(), 1) != 0 ||
      getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = ErrorText(WSAGetLastError());
    return nullptr;
  }
  return std::make_unique<WinsockListener>(std::move(socket), ntohs(address.sin_port));
}

}  // namespace orvane::dap
