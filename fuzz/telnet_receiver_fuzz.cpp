// libFuzzer target: the parser of a network serial server's stream on arbitrary bytes, and the
// network port-name reader on the same bytes as text. The parser's output never outgrows its
// input, comes out the same however the stream is cut, and data that went through the client's
// escaping comes back whole with nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "serial/network_address.h"
#include "serial/telnet_com_port.h"

namespace {

namespace tn = orvane::serial::telnet;

void Require(bool condition) {
  if (!condition) std::abort();
}

tn::Received Parse(const std::uint8_t* data, std::size_t size, std::size_t cut) {
  tn::Receiver receiver;
  tn::Received out;
  receiver.Feed(data, cut, out);
  receiver.Feed(data + cut, size - cut, out);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tn::Received whole = Parse(data, size, 0);
  Require(whole.data.size() <= size);
  Require(whole.replies.size() <= size);
  Require(whole.messages.size() * 5 <= size);
  Require(whole.dataBeforeMessage.size() == whole.messages.size());
  for (std::size_t i = 0; i < whole.messages.size(); ++i) {
    Require(whole.dataBeforeMessage[i] <= whole.data.size());
    if (i > 0) Require(whole.dataBeforeMessage[i - 1] <= whole.dataBeforeMessage[i]);
  }
  if (size > 0) {
    const tn::Received cut = Parse(data, size, data[0] % size);
    Require(cut.data == whole.data);
    Require(cut.replies == whole.replies);
    Require(cut.messages.size() == whole.messages.size());
  }

  std::vector<std::uint8_t> escaped;
  tn::AppendData(escaped, data, size);
  const tn::Received back = Parse(escaped.data(), escaped.size(), escaped.size() / 2);
  Require(back.data == std::vector<std::uint8_t>(data, data + size));
  Require(back.messages.empty() && back.replies.empty());

  const std::string name(reinterpret_cast<const char*>(data), size);
  if (const auto address = orvane::serial::ParseNetworkPortName(name)) {
    Require(orvane::serial::IsNetworkPortName(name));
    Require(address->port != 0 && !address->host.empty());
  }
  return 0;
}
