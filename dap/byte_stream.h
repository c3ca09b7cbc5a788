// Where the adapter's messages come from and go to: standard input and output, or one client's
// TCP connection (`orvane dap --listen`). Reading blocks in the session's own thread; writing
// can come from any thread, the caller keeps writes whole (see Channel in channel.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvane::dap {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Waits for bytes: the count (> 0), 0 at the end of the input, -1 when it failed.
  virtual std::int64_t Read(char* into, std::size_t size) = 0;
  // All the bytes, or false when the other side is gone.
  virtual bool Write(const char* data, std::size_t size) = 0;
};

// Standard input and output, in binary mode where the platform has another.
std::unique_ptr<ByteStream> StandardStreams();

// A TCP port on the loopback interface, its clients taken one at a time.
class Listener {
 public:
  virtual ~Listener() = default;
  // The port listened on (the one the system chose when asked for 0).
  virtual std::uint16_t Port() const = 0;
  // Waits for the next client; null when the listener failed (`error` says why).
  virtual std::unique_ptr<ByteStream> Accept(std::string& error) = 0;
};

// Null with `error` set when the port cannot be had.
std::unique_ptr<Listener> ListenOnLoopback(std::uint16_t port, std::string& error);

}  // namespace orvane::dap
