// libFuzzer target: the debug adapter's message framing on arbitrary bytes. Every message it
// gives is within the body bound, and the same messages come out however the stream is cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dap/message_reader.h"

namespace {

namespace dap = orvane::dap;

void Require(bool condition) {
  if (!condition) std::abort();
}

std::vector<dap::Framed> Read(const char* data, std::size_t size, std::size_t cut) {
  dap::MessageReader reader;
  std::vector<dap::Framed> out;
  reader.Feed(data, cut, out);
  reader.Feed(data + cut, size - cut, out);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const std::vector<dap::Framed> whole = Read(text, size, 0);
  std::size_t bodies = 0;
  for (const dap::Framed& item : whole) {
    if (item.kind == dap::Framed::Kind::Message) {
      Require(item.text.size() <= dap::kMaxBodySize);
      bodies += item.text.size();
    }
  }
  Require(bodies <= size);
  const std::vector<dap::Framed> cut = Read(text, size, size / 2);
  Require(cut.size() == whole.size());
  for (std::size_t i = 0; i < whole.size(); ++i) {
    Require(cut[i].kind == whole[i].kind && cut[i].text == whole[i].text);
  }
  return 0;
}
