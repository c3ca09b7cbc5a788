// The adapter's side of one connection: responses and events numbered and framed, written whole
// from whichever thread has something to say (the session's, or the runner's when the program
// stops or prints).
#pragma once

#include <mutex>
#include <nlohmann/json.hpp>
#include <string>

#include "dap/byte_stream.h"

namespace orvane::dap {

using Json = nlohmann::json;

class Channel {
 public:
  explicit Channel(ByteStream& stream) : stream_(stream) {}

  void Respond(const Json& request, const Json& body);
  // A failed request: `message` shown to the user.
  void RespondError(const Json& request, const std::string& message);
  void Event(const std::string& name, const Json& body = nullptr);
  // An `output` event of the given category ("console", "stdout", "stderr", "important").
  void Output(const std::string& category, const std::string& text);
  // Whether a write failed: the client is gone.
  bool Broken() const;

 private:
  void Send(Json message);

  ByteStream& stream_;
  mutable std::mutex mutex_;
  long long seq_ = 1;
  bool broken_ = false;
};

}  // namespace orvane::dap
