// `orvane dap`: one debug session over a byte stream, from `initialize` to `disconnect`.
#pragma once

#include <ostream>

#include "dap/byte_stream.h"

namespace orvane::dap {

// Reads requests and answers them until the client disconnects or terminates the session, or
// the stream ends. Diagnostics go to `log`, never to the stream. True when the session ended as
// the protocol ends it (or the client just closed the stream), false when reading or writing
// failed.
bool RunAdapter(ByteStream& stream, std::ostream& log);

}  // namespace orvane::dap
