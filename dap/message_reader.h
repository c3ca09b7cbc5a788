// The protocol's framing: each message is a header block ("Content-Length: N", other fields
// ignored, lines ended by CR LF, the block by an empty line) and N bytes of JSON. Bytes arrive in
// pieces of any size; the reader keeps at most one header block and one body, both bounded, so a
// peer that sends garbage or claims a huge body costs an error, never the process's memory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvane::dap {

// A writeMemory of the whole 64 KB external RAM, base64 and JSON around it, fits with room.
inline constexpr std::size_t kMaxBodySize = 1u << 20;
inline constexpr std::size_t kMaxHeaderSize = 1024;

struct Framed {
  enum class Kind { Message, Error };
  Kind kind = Kind::Message;
  std::string text;  // the body, or what was wrong with the header
};

class MessageReader {
 public:
  // Takes the bytes and appends every message (or framing error) they complete, in order.
  void Feed(const char* data, std::size_t size, std::vector<Framed>& out);

 private:
  void ReadHeader(std::vector<Framed>& out);

  std::string buffer_;
  std::size_t bodySize_ = 0;
  bool inBody_ = false;
  // After a header block too long to be one: bytes are dropped up to the end of that block.
  bool skipping_ = false;
};

// The header and body of one message, ready to write.
std::string Frame(const std::string& body);

}  // namespace orvane::dap
