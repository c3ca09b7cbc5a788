// One debug session: the requests of one client, each answered by a small handler of the table
// in session.cpp, against the session's own virtual board (made at `launch`, running from
// `configurationDone`) through the debug engine's runner. Requests are handled one at a time on
// the reading thread; the runner's thread only sends events (stops, the program's output).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "dap/channel.h"
#include "dap/launch_config.h"
#include "sim/debug/debug_runner.h"
#include "sim/debug/inspector.h"
#include "ui/drawing/terminal_text.h"

namespace orvane::dap {

class Session {
 public:
  Session(Channel& channel, std::ostream& log);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One framed message from the client.
  void Handle(const std::string& body);
  // Bytes that were no message: said to the client and the log, the session goes on.
  void FramingError(const std::string& what);
  // After disconnect or terminate.
  bool Ended() const { return ended_; }

  // What a variablesReference stands for while the program stands: a scope of a frame, or the
  // children of a value shown.
  struct Container {
    enum class Kind { Locals, Globals, Registers, Board, Children };
    Kind kind = Kind::Children;
    std::size_t frame = 0;
    std::vector<sim::debug::Value> values;  // filled at the first `variables`
    bool filled = false;
  };

 private:
  using Handler = Json (Session::*)(const Json& arguments);
  struct Route {
    const char* command;
    Handler handler;
  };
  static const Route kRoutes[];

  // Something to do once the response has gone (the events that follow it).
  void After(std::function<void()> action) { after_.push_back(std::move(action)); }
  sim::debug::DebugRunner& Runner();
  // The program resumes: what the client was shown of it is stale.
  void Resume(const std::function<void(sim::debug::DebugEngine&)>& command);
  void OnStopped(const sim::debug::StopEvent& stop);
  int AddContainer(Container container);
  Container& ContainerOf(const Json& arguments);
  Json Variable(const sim::debug::Value& value);
  std::size_t FrameOf(const Json& arguments) const;
  std::vector<std::uint8_t> CodeMemory();

  // session.cpp: the session's course
  Json Initialize(const Json& arguments);
  Json Launch(const Json& arguments);
  Json ConfigurationDone(const Json& arguments);
  Json Threads(const Json& arguments);
  Json Disconnect(const Json& arguments);
  Json Terminate(const Json& arguments);
  // session_control.cpp: running, stepping, breakpoints
  Json Continue(const Json& arguments);
  Json Next(const Json& arguments);
  Json StepIn(const Json& arguments);
  Json StepOut(const Json& arguments);
  Json Pause(const Json& arguments);
  Json SetBreakpoints(const Json& arguments);
  Json SetInstructionBreakpoints(const Json& arguments);
  Json SetExceptionBreakpoints(const Json& arguments);
  Json DataBreakpointInfo(const Json& arguments);
  Json SetDataBreakpoints(const Json& arguments);
  // session_inspect.cpp: what the program stands in
  Json StackTrace(const Json& arguments);
  Json Scopes(const Json& arguments);
  Json Variables(const Json& arguments);
  Json SetVariable(const Json& arguments);
  Json SetExpression(const Json& arguments);
  Json Evaluate(const Json& arguments);
  Json ReadMemory(const Json& arguments);
  Json WriteMemory(const Json& arguments);
  Json Disassemble(const Json& arguments);

  Channel& channel_;
  std::ostream& log_;
  std::vector<std::function<void()>> after_;
  bool ended_ = false;
  bool configured_ = false;
  LaunchConfig config_;
  std::vector<std::filesystem::path> sourceDirs_;
  std::unique_ptr<sim::debug::DebugRunner> runner_;
  std::vector<Container> containers_;
  ui::TerminalText
      terminal_;  // the runner's thread only  // variablesReference N is containers_[N - 1]
};

}  // namespace orvane::dap
