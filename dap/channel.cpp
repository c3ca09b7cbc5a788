#include "dap/channel.h"

#include "dap/message_reader.h"

namespace orvane::dap {
namespace {

// The request's own seq and command, or what stands in when they were unreadable.
Json ResponseTo(const Json& request, bool success) {
  Json response = {{"type", "response"}, {"success", success}};
  const auto seq = request.find("seq");
  response["request_seq"] = seq != request.end() && seq->is_number_integer() ? *seq : Json(0);
  const auto command = request.find("command");
  response["command"] = command != request.end() && command->is_string() ? *command : Json("");
  return response;
}

}  // namespace

void Channel::Respond(const Json& request, const Json& body) {
  Json response = ResponseTo(request, true);
  if (!body.is_null()) response["body"] = body;
  Send(std::move(response));
}

void Channel::RespondError(const Json& request, const std::string& message) {
  Json response = ResponseTo(request, false);
  response["message"] = message;
  response["body"] = {{"error", {{"id", 1}, {"format", message}, {"showUser", true}}}};
  Send(std::move(response));
}

void Channel::Event(const std::string& name, const Json& body) {
  Json event = {{"type", "event"}, {"event", name}};
  if (!body.is_null()) event["body"] = body;
  Send(std::move(event));
}

void Channel::Output(const std::string& category, const std::string& text) {
  Event("output", {{"category", category}, {"output", text}});
}

bool Channel::Broken() const {
  std::lock_guard lock(mutex_);
  return broken_;
}

void Channel::Send(Json message) {
  std::lock_guard lock(mutex_);
  if (broken_) return;
  message["seq"] = seq_++;
  // Bytes that are not UTF-8 (a file name, a program's text) are replaced, never thrown on.
  const std::string framed = Frame(message.dump(-1, ' ', false, Json::error_handler_t::replace));
  if (!stream_.Write(framed.data(), framed.size())) broken_ = true;
}

}  // namespace orvane::dap
