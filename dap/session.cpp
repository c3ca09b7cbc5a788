#include "dap/session.h"

#include "dap/request_error.h"
#include "dap/session_constants.h"
#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "ui/drawing/terminal_text.h"
#include "ui/drawing/text_escape.h"

namespace orvane::dap {
namespace {

using sim::debug::StopReason;

// The skipped records of broken debug data named in the output, at most.
constexpr std::size_t kSkippedShown = 5;

download::MemoryImage LoadProgram(const std::string& path) {
  download::MemoryImage image;
  download::HexFile file;
  file.Assign(path);
  if (!file.Open()) {
    throw RequestError(std::string("cannot read the program ") + path + ": " +
                       download::kFileNotFoundText);
  }
  try {
    download::HexLoader loader(image, file);
    const download::LoadResult result = loader.LoadHexFile();
    if (result != download::LoadOk) {
      throw RequestError("cannot load the program " + path + ": " +
                         download::LoadResultMessage(result));
    }
  } catch (const download::HexFileError& e) {
    throw RequestError("cannot load the program " + path + ": " + e.what());
  }
  return image;
}

}  // namespace

const Session::Route Session::kRoutes[] = {
    {"initialize", &Session::Initialize},
    {"launch", &Session::Launch},
    {"configurationDone", &Session::ConfigurationDone},
    {"threads", &Session::Threads},
    {"disconnect", &Session::Disconnect},
    {"terminate", &Session::Terminate},
    {"continue", &Session::Continue},
    {"next", &Session::Next},
    {"stepIn", &Session::StepIn},
    {"stepOut", &Session::StepOut},
    {"pause", &Session::Pause},
    {"setBreakpoints", &Session::SetBreakpoints},
    {"setInstructionBreakpoints", &Session::SetInstructionBreakpoints},
    {"setExceptionBreakpoints", &Session::SetExceptionBreakpoints},
    {"dataBreakpointInfo", &Session::DataBreakpointInfo},
    {"setDataBreakpoints", &Session::SetDataBreakpoints},
    {"stackTrace", &Session::StackTrace},
    {"scopes", &Session::Scopes},
    {"variables", &Session::Variables},
    {"setVariable", &Session::SetVariable},
    {"setExpression", &Session::SetExpression},
    {"evaluate", &Session::Evaluate},
    {"readMemory", &Session::ReadMemory},
    {"writeMemory", &Session::WriteMemory},
    {"disassemble", &Session::Disassemble},
};

Session::Session(Channel& channel, std::ostream& log) : channel_(channel), log_(log) {}

// The runner first: its thread may still be sending through the channel.
Session::~Session() { runner_.reset(); }

sim::debug::DebugRunner& Session::Runner() {
  if (!runner_) throw RequestError("no program has been launched");
  return *runner_;
}

void Session::OnStopped(const sim::debug::StopEvent& stop) {
  Json body = {{"reason", sim::debug::StopReasonName(stop.reason)},
               {"threadId", kThreadId},
               {"allThreadsStopped", true}};
  if (!stop.breakpointIds.empty()) body["hitBreakpointIds"] = stop.breakpointIds;
  std::string text = stop.text;
  if (stop.reason == StopReason::Ended && text.empty()) text = "the program ended";
  if (!text.empty()) {
    body["description"] = text;
    body["text"] = text;
  }
  channel_.Event("stopped", body);
}

void Session::Handle(const std::string& body) {
  const Json message = Json::parse(body, nullptr, false);
  if (message.is_discarded() || !message.is_object()) {
    FramingError("a message that is not a JSON object");
    return;
  }
  const auto type = message.find("type");
  const auto command = message.find("command");
  const auto seq = message.find("seq");
  if (type == message.end() || *type != "request" || command == message.end() ||
      !command->is_string() || seq == message.end() || !seq->is_number_integer()) {
    // Only requests are answered: an adapter that answered a stray response would loop.
    FramingError("a message that is no request (type, seq and command)");
    return;
  }
  const Route* route = nullptr;
  for (const Route& candidate : kRoutes) {
    if (*command == candidate.command) route = &candidate;
  }
  if (!route) {
    channel_.RespondError(message, "unknown request '" + command->get<std::string>() + "'");
    return;
  }
  const auto arguments = message.find("arguments");
  const Json noArguments = Json::object();
  after_.clear();
  try {
    channel_.Respond(
        message, (this->*route->handler)(arguments == message.end() ? noArguments : *arguments));
  } catch (const RequestError& e) {
    channel_.RespondError(message, e.what());
    return;
  } catch (const Json::exception& e) {
    // An argument of the wrong type deep in a request.
    channel_.RespondError(message, std::string("malformed arguments: ") + e.what());
    return;
  } catch (const std::exception& e) {
    // Whatever else a request meets fails that request, never the session.
    channel_.RespondError(message, e.what());
    return;
  }
  for (auto& action : after_) action();
  after_.clear();
}

void Session::FramingError(const std::string& what) {
  log_ << "dap: " << what << " (ignored)\n";
  channel_.Output("console", "orvane dap: ignored " + what + "\n");
}

Json Session::Initialize(const Json&) {
  After([this] { channel_.Event("initialized"); });
  return {
      {"supportsConfigurationDoneRequest", true},
      {"supportsConditionalBreakpoints", true},
      {"supportsHitConditionalBreakpoints", true},
      {"supportsSetVariable", true},
      {"supportsSetExpression", true},
      {"supportsReadMemoryRequest", true},
      {"supportsWriteMemoryRequest", true},
      {"supportsDisassembleRequest", true},
      {"supportsSteppingGranularity", true},
      {"supportsInstructionBreakpoints", true},
      {"supportsDataBreakpoints", true},
      {"supportsEvaluateForHovers", true},
      {"supportsTerminateRequest", true},
  };
}

Json Session::Launch(const Json& arguments) {
  if (runner_) throw RequestError("the session has already launched its program");
  config_ = ParseLaunchConfig(arguments);
  const download::MemoryImage image = LoadProgram(config_.program);

  // Debug data that cannot be read leaves debugging by instructions, never a failed launch.
  std::string error;
  std::vector<std::string> skipped;
  std::optional<sim::debug::DebugData> data =
      sim::debug::DebugData::Load(config_.debugInfo, error, &skipped);
  std::string note;
  if (!data) {
    note = "No debug data (" + config_.debugInfo + ": " + error + "): debugging by instructions.\n";
    data.emplace();
  } else if (!skipped.empty()) {
    note = "Skipped " + std::to_string(skipped.size()) + " records of " + config_.debugInfo +
           " that could not be read:\n";
    for (std::size_t i = 0; i < skipped.size() && i < kSkippedShown; ++i) {
      note += "  " + ui::Escaped(skipped[i]) + "\n";
    }
    if (data->Empty()) note += "Debugging by instructions.\n";
  }
  if (!note.empty()) {
    log_ << "dap: " << note;
    channel_.Output("console", note);
  }

  sourceDirs_.assign(config_.sourceDirs.begin(), config_.sourceDirs.end());
  sim::debug::DebugRunner::Callbacks callbacks;
  callbacks.stopped = [this](const sim::debug::StopEvent& stop) { OnStopped(stop); };
  callbacks.serialOutput = [this](const std::vector<std::uint8_t>& bytes) {
    // The serial terminal's rules for line ends and escapes. Its text model redraws all it
    // keeps now and then, which an output event cannot: it is emptied well before.
    if (terminal_.KeptBytes() > ui::TerminalText::kKeptBytes / 2) terminal_.Clear();
    const ui::TerminalText::Change change = terminal_.Append(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!change.text.empty()) channel_.Output("stdout", change.text);
  };
  runner_ = std::make_unique<sim::debug::DebugRunner>(
      image.bytes, std::move(*data), sim::debug::RunSpeed{config_.speed, config_.maxSpeed},
      std::move(callbacks));
  return nullptr;
}

Json Session::ConfigurationDone(const Json&) {
  Runner();
  if (configured_) throw RequestError("the program runs already");
  configured_ = true;
  // After the response, so that the client hears of the start before a stop on entry.
  After([this] { runner_->Start(config_.stopOnEntry); });
  return nullptr;
}

Json Session::Threads(const Json&) {
  return {{"threads", Json::array({{{"id", kThreadId}, {"name", "8051"}}})}};
}

// Both end the board with the session: it exists for no one else.
Json Session::Disconnect(const Json&) {
  runner_.reset();
  ended_ = true;
  return nullptr;
}

Json Session::Terminate(const Json&) {
  runner_.reset();
  After([this] { channel_.Event("terminated"); });
  ended_ = true;
  return nullptr;
}

}  // namespace orvane::dap
