// Running, stepping and the breakpoints.
#include <filesystem>

#include "dap/dap_text.h"
#include "dap/request_error.h"
#include "dap/session.h"
#include "dap/session_constants.h"

namespace orvane::dap {
namespace {

namespace debug = sim::debug;

debug::Granularity GranularityOf(const Json& arguments) {
  const auto found = arguments.find("granularity");
  return found != arguments.end() && *found == "instruction" ? debug::Granularity::Instruction
                                                             : debug::Granularity::Line;
}

std::string StringOr(const Json& object, const char* name, std::string otherwise = {}) {
  const auto found = object.find(name);
  return found != object.end() && found->is_string() ? found->get<std::string>() : otherwise;
}

// The group of instruction breakpoints among the engine's groups (sources are keyed by path).
constexpr const char* kInstructionGroup = "";

// "xdata:0x8000/2": the place and the length, as dataBreakpointInfo hands them out.
std::string DataId(const debug::MemoryReference& start, int length) {
  return start.Text() + "/" + std::to_string(length);
}

}  // namespace

void Session::Resume(const std::function<void(debug::DebugEngine&)>& command) {
  containers_.clear();
  Runner().With([&](debug::DebugEngine& engine) { command(engine); });
}

Json Session::Continue(const Json&) {
  Resume([](debug::DebugEngine& engine) { engine.Continue(); });
  return {{"allThreadsContinued", true}};
}

Json Session::Next(const Json& arguments) {
  const debug::Granularity granularity = GranularityOf(arguments);
  Resume([&](debug::DebugEngine& engine) { engine.Next(granularity); });
  return nullptr;
}

Json Session::StepIn(const Json& arguments) {
  const debug::Granularity granularity = GranularityOf(arguments);
  Resume([&](debug::DebugEngine& engine) { engine.StepIn(granularity); });
  return nullptr;
}

Json Session::StepOut(const Json& arguments) {
  const debug::Granularity granularity = GranularityOf(arguments);
  Resume([&](debug::DebugEngine& engine) { engine.StepOut(granularity); });
  return nullptr;
}

Json Session::Pause(const Json&) {
  Runner().Pause();
  return nullptr;
}

Json Session::SetBreakpoints(const Json& arguments) {
  const Json& source = arguments.at("source");
  const std::string path = StringOr(source, "path", StringOr(source, "name"));
  if (path.empty()) throw RequestError("setBreakpoints needs the source's path");
  const Json requested = arguments.value("breakpoints", Json::array());

  // Lines without code move to the next line that has some; lines with none after them stay
  // unverified and are not given to the engine.
  std::vector<debug::BreakpointRequest> requests;
  std::vector<std::optional<debug::ResolvedLine>> resolved;
  Runner().With([&](debug::DebugEngine& engine) {
    for (const Json& breakpoint : requested) {
      const int line = breakpoint.at("line").get<int>();
      resolved.push_back(engine.Data().Resolve(path, line));
      if (!resolved.back()) continue;
      requests.push_back({resolved.back()->addresses, StringOr(breakpoint, "condition"),
                          StringOr(breakpoint, "hitCondition")});
    }
  });
  const std::vector<debug::BreakpointState> states = Runner().With(
      [&](debug::DebugEngine& engine) { return engine.SetBreakpoints(path, false, requests); });

  Json answers = Json::array();
  std::size_t next = 0;
  for (std::size_t i = 0; i < resolved.size(); ++i) {
    const int asked = requested[i].at("line").get<int>();
    if (!resolved[i] || next >= states.size()) {
      answers.push_back(
          {{"verified", false},
           {"line", asked},
           {"message", "no code at line " + std::to_string(asked) + " or after it in " +
                           std::filesystem::path(path).filename().string()}});
      continue;
    }
    const debug::BreakpointState& state = states[next++];
    Json answer = {
        {"id", state.id},
        {"verified", state.verified},
        {"line", resolved[i]->line},
        {"source", {{"name", std::filesystem::path(path).filename().string()}, {"path", path}}}};
    if (!resolved[i]->addresses.empty()) {
      answer["instructionReference"] = CodeAddress(resolved[i]->addresses.front());
    }
    if (!state.message.empty()) answer["message"] = state.message;
    answers.push_back(answer);
  }
  return {{"breakpoints", answers}};
}

Json Session::SetInstructionBreakpoints(const Json& arguments) {
  std::vector<debug::BreakpointRequest> requests;
  std::vector<std::uint16_t> addresses;
  for (const Json& breakpoint : arguments.value("breakpoints", Json::array())) {
    const std::string reference = breakpoint.at("instructionReference").get<std::string>();
    const std::optional<std::uint32_t> base = ParseNumber(reference);
    const std::int64_t address =
        static_cast<std::int64_t>(base.value_or(0)) + breakpoint.value("offset", 0);
    if (!base || address < 0 || address > 0xFFFF) {
      throw RequestError("not a code address: " + reference);
    }
    addresses.push_back(static_cast<std::uint16_t>(address));
    requests.push_back({{addresses.back()},
                        StringOr(breakpoint, "condition"),
                        StringOr(breakpoint, "hitCondition")});
  }
  const std::vector<debug::BreakpointState> states = Runner().With([&](debug::DebugEngine& engine) {
    return engine.SetBreakpoints(kInstructionGroup, true, requests);
  });
  Json answers = Json::array();
  for (std::size_t i = 0; i < states.size() && i < addresses.size(); ++i) {
    Json answer = {{"id", states[i].id},
                   {"verified", states[i].verified},
                   {"instructionReference", CodeAddress(addresses[i])}};
    if (!states[i].message.empty()) answer["message"] = states[i].message;
    answers.push_back(answer);
  }
  return {{"breakpoints", answers}};
}

// The program has no exceptions; clients that ask anyway get an empty answer.
Json Session::SetExceptionBreakpoints(const Json&) { return {{"breakpoints", Json::array()}}; }

Json Session::DataBreakpointInfo(const Json& arguments) {
  const std::string name = arguments.at("name").get<std::string>();
  std::optional<debug::Value> value;
  if (const auto reference = arguments.find("variablesReference");
      reference != arguments.end() && reference->is_number_integer() && *reference != 0) {
    Container& container = ContainerOf(arguments);
    for (const debug::Value& candidate : container.values) {
      if (candidate.name == name) value = candidate;
    }
  } else {
    auto result = Runner().With([&](debug::DebugEngine& engine) {
      return engine.Values().Evaluate(name, FrameOf(arguments));
    });
    if (auto* found = std::get_if<debug::Value>(&result)) value = *found;
  }
  const bool watchable = value && value->memory && value->memory->space != debug::MemorySpace::Code;
  if (!watchable) {
    return {{"dataId", nullptr}, {"description", name + " has no place in RAM to watch"}};
  }
  const int length = value->typeInfo && value->typeInfo->size > 0 ? value->typeInfo->size : 1;
  return {{"dataId", DataId(*value->memory, length)},
          {"description", name + " (" + value->memory->Text() + ", " + std::to_string(length) +
                              (length == 1 ? " byte)" : " bytes)")},
          {"accessTypes", Json::array({"read", "write", "readWrite"})},
          {"canPersist", false}};
}

Json Session::SetDataBreakpoints(const Json& arguments) {
  std::vector<debug::DataBreakpointRequest> requests;
  for (const Json& breakpoint : arguments.value("breakpoints", Json::array())) {
    const std::string id = breakpoint.at("dataId").get<std::string>();
    const std::size_t slash = id.find('/');
    const auto start = debug::MemoryReference::Parse(id.substr(0, slash));
    const auto length = slash == std::string::npos ? std::optional<std::uint32_t>(1)
                                                   : ParseNumber(id.substr(slash + 1));
    if (!start || !length || *length == 0 || *length > 256) {
      throw RequestError("not a data breakpoint of this adapter: " + id);
    }
    debug::DataBreakpointRequest request;
    request.start = *start;
    request.length = static_cast<int>(*length);
    const std::string access = StringOr(breakpoint, "accessType", "write");
    request.access = access == "read"        ? debug::DataAccess::Read
                     : access == "readWrite" ? debug::DataAccess::ReadWrite
                                             : debug::DataAccess::Write;
    request.condition = StringOr(breakpoint, "condition");
    request.hitCondition = StringOr(breakpoint, "hitCondition");
    requests.push_back(request);
  }
  const std::vector<debug::BreakpointState> states = Runner().With(
      [&](debug::DebugEngine& engine) { return engine.SetDataBreakpoints(requests); });
  Json answers = Json::array();
  for (const debug::BreakpointState& state : states) {
    Json answer = {{"id", state.id}, {"verified", state.verified}};
    if (!state.message.empty()) answer["message"] = state.message;
    answers.push_back(answer);
  }
  return {{"breakpoints", answers}};
}

}  // namespace orvane::dap
