#include "dap/adapter.h"

#include <vector>

#include "dap/channel.h"
#include "dap/message_reader.h"
#include "dap/session.h"

namespace orvane::dap {

bool RunAdapter(ByteStream& stream, std::ostream& log) {
  Channel channel(stream);
  Session session(channel, log);
  MessageReader reader;
  std::vector<Framed> framed;
  char buffer[16384];
  while (!session.Ended()) {
    const std::int64_t got = stream.Read(buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      log << "dap: reading the client's messages failed\n";
      return false;
    }
    framed.clear();
    reader.Feed(buffer, static_cast<std::size_t>(got), framed);
    for (const Framed& item : framed) {
      if (item.kind == Framed::Kind::Error) {
        session.FramingError(item.text);
      } else {
        session.Handle(item.text);
      }
      if (session.Ended()) break;
    }
    if (channel.Broken()) {
      log << "dap: the client is gone (writing to it failed)\n";
      return false;
    }
  }
  return true;
}

}  // namespace orvane::dap
