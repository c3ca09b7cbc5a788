#include "app/debugger_model.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace orvane::app {
namespace {

std::string Hex(unsigned value, int digits) {
  char text[8];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::string Address(std::uint16_t address) { return "0x" + Hex(address, 4); }

// "file.c:12 (0x41EC)", or "0x41EC" where no line is known.
std::string PlaceText(const CodePlace& place) {
  if (place.file.empty()) return Address(place.address);
  return place.file + ":" + std::to_string(place.line) + " (" + Address(place.address) + ")";
}

// A hexadecimal address as typed, with or without "0x".
std::optional<std::uint16_t> ParseAddress(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  if (text.starts_with("0x") || text.starts_with("0X")) text.erase(0, 2);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFF) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

// The source pane's first columns: a breakpoint, then the current line.
std::string Marks(bool breakpoint, bool current) {
  return std::string(1, breakpoint ? '*' : ' ') + (current ? '>' : ' ');
}

}  // namespace

const char* StopReasonText(StopReason reason) {
  switch (reason) {
    case StopReason::Entry:
      return "entry";
    case StopReason::Breakpoint:
      return "breakpoint";
    case StopReason::Step:
      return "step";
    case StopReason::Pause:
      return "pause";
    case StopReason::DataBreakpoint:
      return "data breakpoint";
    case StopReason::Ended:
      return "end of program";
  }
  return "";
}

DebuggerModel::DebuggerModel(DebugTarget& target, DebuggerView& view,
                             std::function<bool()> portBusy)
    : target_(target), view_(view), portBusy_(std::move(portBusy)) {}

void DebuggerModel::Open() {
  if (open_) return;
  open_ = true;
  target_.Attach();
  SendBreakpoints();
  shownState_.reset();
  Poll();
}

void DebuggerModel::Close() {
  if (!open_) return;
  open_ = false;
  target_.Detach();
}

void DebuggerModel::Poll() {
  if (!open_) return;
  const TargetState state = target_.State();
  // A new program is known once it runs: in the monitor between a reset and the download's end
  // nothing could be placed, and its breakpoints would be lost.
  const std::uint64_t run = target_.ProgramRun();
  if (state != TargetState::NoProgram && (!runKnown_ || run != run_)) {
    runKnown_ = true;
    run_ = run;
    ForgetProgram();
  }
  const bool busy = portBusy_();
  const std::uint64_t stops = target_.Stops();
  const bool newStop = state == TargetState::Stopped && stops != stops_;
  if (state == TargetState::Stopped) stops_ = stops;
  if (newStop || state != shownState_ || busy != shownBusy_) {
    shownState_ = state;
    shownBusy_ = busy;
    ShowState(newStop);
  }
}

void DebuggerModel::Refresh() {
  shownState_.reset();
  Poll();
}

void DebuggerModel::ForgetProgram() {
  // Breakpoints stay while the same file is on the board (downloaded again after an edit, they
  // are placed anew); another program's would land anywhere.
  const std::string file = target_.ProgramFile();
  if (file != programFile_) breakpoints_.clear();
  programFile_ = file;
  std::vector<Breakpoint> kept;
  for (const Breakpoint& breakpoint : breakpoints_) {
    const auto resolved = target_.Resolve(breakpoint.where);
    if (const auto* place = std::get_if<CodePlace>(&resolved)) {
      kept.push_back({breakpoint.where, *place});
    }
  }
  breakpoints_ = std::move(kept);
  SendBreakpoints();
  view_.ShowNote(target_.DebugDataNote());
  seen_.clear();
  before_.clear();
  stops_ = 0;
  shownState_.reset();
}

void DebuggerModel::ShowState(bool newStop) {
  const TargetState state = *shownState_;
  if (state == TargetState::Stopped) {
    ShowStopped(newStop);
  } else {
    view_.ShowStatus(state == TargetState::Running ? "running"
                                                   : "no program running: download one to VIRTUAL");
    for (const DebuggerPane pane :
         {DebuggerPane::CallStack, DebuggerPane::Registers, DebuggerPane::Locals,
          DebuggerPane::Globals, DebuggerPane::Memory}) {
      view_.ShowPane(pane, {}, -1);
    }
    if (state == TargetState::NoProgram) {
      view_.ShowPane(DebuggerPane::Source, {}, -1);
      sourceRows_.clear();
    } else if (!sourceRows_.empty()) {
      ShowSource(at_);  // the last stop's place, no longer marked as the current line
    }
  }
  ShowCommands();
}

void DebuggerModel::ShowStopped(bool newStop) {
  if (newStop) {
    before_ = std::move(seen_);
    seen_.clear();
  }
  const RegisterValues r = target_.Registers();
  at_ = target_.PlaceOf(r.pc);
  view_.ShowStatus("stopped at " + PlaceText(at_) + ": " + StopReasonText(target_.LastStop()));

  std::vector<std::pair<std::string, std::string>> registers = {
      {"A", Hex(r.a, 2)},   {"B", Hex(r.b, 2)},       {"PSW", Hex(r.psw, 2)},
      {"SP", Hex(r.sp, 2)}, {"DPTR", Hex(r.dptr, 4)}, {"PC", Hex(r.pc, 4)}};
  for (int i = 0; i < 8; ++i) {
    registers.push_back({"R" + std::to_string(i), Hex(r.r[static_cast<std::size_t>(i)], 2)});
  }
  // PSW's flags by their names, each 0 or 1, after the registers.
  static constexpr std::pair<const char*, int> kFlags[] = {
      {"CY", 7}, {"AC", 6}, {"F0", 5}, {"RS1", 4}, {"RS0", 3}, {"OV", 2}, {"P", 0}};
  for (const auto& [name, bit] : kFlags)
    registers.push_back({name, std::to_string((r.psw >> bit) & 1)});
  view_.ShowPane(DebuggerPane::Registers, Marked(DebuggerPane::Registers, registers, " "), -1);
  registerNames_.clear();
  for (const auto& [name, value] : registers) registerNames_.push_back(name);

  frames_ = target_.CallStack();
  if (newStop) frame_ = 0;
  frame_ = std::min(frame_, frames_.empty() ? 0 : frames_.size() - 1);
  std::vector<PaneRow> stack;
  for (std::size_t i = 0; i < frames_.size(); ++i) {
    const Frame& frame = frames_[i];
    const std::string where = frame.place.file.empty()
                                  ? Address(frame.place.address)
                                  : frame.place.file + ":" + std::to_string(frame.place.line);
    stack.push_back({frame.routine + " " + where, false, i == frame_});
  }
  view_.ShowPane(DebuggerPane::CallStack, stack, static_cast<int>(frame_));

  ShowSource(frame_ == 0 || frame_ >= frames_.size() ? at_ : frames_[frame_].place);
  ShowLocals();
  ShowMemoryRows();
}

void DebuggerModel::ShowSource(const CodePlace& at) {
  std::vector<PaneRow> rows;
  int focus = -1;
  const bool stopped = shownState_ == TargetState::Stopped;
  sourceRows_.clear();
  const std::vector<std::string> lines =
      at.file.empty() ? std::vector<std::string>{} : target_.SourceLines(at.file);
  sourceFile_ = lines.empty() ? std::string() : at.file;
  const auto hasBreakpoint = [&](const CodePlace& place) {
    return std::any_of(breakpoints_.begin(), breakpoints_.end(), [&](const Breakpoint& b) {
      return place.file.empty() ? b.place.address == place.address
                                : b.place.file == place.file && b.place.line == place.line;
    });
  };
  if (!sourceFile_.empty()) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const CodePlace place{0, sourceFile_, static_cast<int>(i + 1)};
      const bool current = place.line == at.line && stopped;
      const bool breakpoint = hasBreakpoint(place);
      std::string number = std::to_string(place.line);
      number.insert(0, number.size() < 4 ? 4 - number.size() : 0, ' ');
      rows.push_back(
          {Marks(breakpoint, current) + number + "  " + lines[i], false, current, breakpoint});
      sourceRows_.push_back(place);
      if (current) focus = static_cast<int>(i);
    }
  } else {
    for (const Instruction& instruction : target_.Disassembly(at.address, kDisassemblyRows)) {
      const CodePlace place{instruction.address, "", 0};
      const bool current = instruction.address == at.address && stopped;
      const bool breakpoint = hasBreakpoint(place);
      rows.push_back(
          {Marks(breakpoint, current) + Hex(instruction.address, 4) + "  " + instruction.text,
           false, current, breakpoint});
      if (current) focus = static_cast<int>(rows.size() - 1);
      sourceRows_.push_back(place);
    }
  }
  view_.ShowPane(DebuggerPane::Source, rows, focus);
}

void DebuggerModel::ShowLocals() {
  locals_ = frames_.empty() ? std::vector<Variable>{} : target_.Locals(frame_);
  globals_ = target_.Globals();
  for (const auto& [pane, variables] :
       {std::pair{DebuggerPane::Locals, &locals_}, std::pair{DebuggerPane::Globals, &globals_}}) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const Variable& v : *variables) values.push_back({v.name, v.value});
    view_.ShowPane(pane, Marked(pane, values, " = "), -1);
  }
}

void DebuggerModel::ShowMemoryRows() {
  if (shownState_ != TargetState::Stopped) return;
  const unsigned limit = memorySpace_ == MemorySpace::Iram ? 0x100 : 0x10000;
  const int digits = memorySpace_ == MemorySpace::Iram ? 2 : 4;
  std::vector<std::pair<std::string, std::string>> values;
  for (int row = 0; row < kMemoryRows; ++row) {
    const unsigned address = memoryAddress_ + static_cast<unsigned>(row) * 16;
    if (address >= limit) break;
    const std::vector<std::uint8_t> bytes =
        target_.ReadMemory(memorySpace_, static_cast<std::uint16_t>(address), 16);
    std::string text;
    for (const std::uint8_t byte : bytes) text += (text.empty() ? "" : " ") + Hex(byte, 2);
    values.push_back({Hex(address, digits), text});
  }
  view_.ShowPane(DebuggerPane::Memory, Marked(DebuggerPane::Memory, values, "  "), -1);
}

std::vector<PaneRow> DebuggerModel::Marked(
    DebuggerPane pane, const std::vector<std::pair<std::string, std::string>>& values,
    const std::string& separator) {
  std::vector<PaneRow> rows;
  const auto& before = before_[pane];
  auto& seen = seen_[pane];
  for (const auto& [name, value] : values) {
    const auto was = before.find(name);
    rows.push_back({name + separator + value, was != before.end() && was->second != value});
    seen[name] = value;
  }
  return rows;
}

bool DebuggerModel::Enabled(DebugCommand command) const {
  if (!open_ || !shownState_ || shownBusy_.value_or(true)) return false;
  switch (*shownState_) {
    case TargetState::NoProgram:
      return false;
    case TargetState::Running:
      return command == DebugCommand::Pause || command == DebugCommand::Restart;
    case TargetState::Stopped:
      return command != DebugCommand::Pause;
  }
  return false;
}

void DebuggerModel::ShowCommands() {
  for (int i = 0; i < kDebugCommands; ++i) {
    const auto command = static_cast<DebugCommand>(i);
    view_.EnableCommand(command, Enabled(command));
  }
}

void DebuggerModel::Run(DebugCommand command) {
  Poll();  // the state as it is now, not as last shown
  if (!Enabled(command) || portBusy_()) return;
  switch (command) {
    case DebugCommand::Continue:
      target_.Continue();
      break;
    case DebugCommand::Pause:
      target_.Pause();
      break;
    case DebugCommand::StepInto:
      target_.StepInto();
      break;
    case DebugCommand::StepOver:
      target_.StepOver();
      break;
    case DebugCommand::StepOut:
      target_.StepOut();
      break;
    case DebugCommand::Restart:
      target_.Restart();
      break;
  }
  view_.ShowNote("");
  Poll();
}

void DebuggerModel::LetGo() {
  if (open_ && target_.State() == TargetState::Stopped) target_.Continue();
  Poll();
}

void DebuggerModel::ToggleBreakpoint(const std::string& where) {
  if (!open_ || shownState_.value_or(TargetState::NoProgram) == TargetState::NoProgram) {
    view_.ShowNote("No program on the board");
    return;
  }
  const auto resolved = target_.Resolve(where);
  if (const auto* error = std::get_if<std::string>(&resolved)) {
    view_.ShowNote(*error);
    return;
  }
  const CodePlace& place = std::get<CodePlace>(resolved);
  const auto same = std::find_if(breakpoints_.begin(), breakpoints_.end(),
                                 [&](const Breakpoint& b) { return b.place == place; });
  if (same != breakpoints_.end()) {
    breakpoints_.erase(same);
    view_.ShowNote("Breakpoint cleared at " + PlaceText(place));
  } else {
    breakpoints_.push_back({where, place});
    view_.ShowNote("Breakpoint set at " + PlaceText(place));
  }
  SendBreakpoints();
  if (shownState_ == TargetState::Stopped) {
    ShowSource(frame_ == 0 || frame_ >= frames_.size() ? at_ : frames_[frame_].place);
  } else if (!sourceRows_.empty()) {
    // Running: the pane keeps showing the last stop's place; only the marks change.
    ShowSource(at_);
  }
}

void DebuggerModel::ToggleBreakpointAtRow(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= sourceRows_.size()) return;
  const CodePlace& place = sourceRows_[static_cast<std::size_t>(row)];
  ToggleBreakpoint(place.file.empty() ? Address(place.address)
                                      : place.file + ":" + std::to_string(place.line));
}

void DebuggerModel::SendBreakpoints() {
  std::vector<CodePlace> places;
  for (const Breakpoint& breakpoint : breakpoints_) places.push_back(breakpoint.place);
  if (open_) target_.SetBreakpoints(places);
}

void DebuggerModel::SelectFrame(int frame) {
  if (shownState_ != TargetState::Stopped || frame < 0 ||
      static_cast<std::size_t>(frame) >= frames_.size() ||
      static_cast<std::size_t>(frame) == frame_) {
    return;
  }
  frame_ = static_cast<std::size_t>(frame);
  ShowStopped(false);
}

void DebuggerModel::ShowMemory(MemorySpace space, const std::string& address) {
  const std::optional<std::uint16_t> parsed = ParseAddress(address);
  if (!parsed) {
    view_.ShowNote("Not an address: " + address);
    return;
  }
  const unsigned limit = space == MemorySpace::Iram ? 0x100 : 0x10000;
  if (*parsed >= limit) {
    view_.ShowNote("Internal RAM ends at 0xFF");
    return;
  }
  memorySpace_ = space;
  memoryAddress_ = *parsed;
  view_.ShowNote("");
  seen_.erase(DebuggerPane::Memory);
  before_.erase(DebuggerPane::Memory);
  ShowMemoryRows();
}

void DebuggerModel::SetValue(DebuggerPane pane, int row, const std::string& value) {
  if (pane == DebuggerPane::Registers) {
    SetRegister(row, value);
    return;
  }
  const std::vector<Variable>& variables = pane == DebuggerPane::Locals ? locals_ : globals_;
  if (shownState_ != TargetState::Stopped ||
      (pane != DebuggerPane::Locals && pane != DebuggerPane::Globals) || row < 0 ||
      static_cast<std::size_t>(row) >= variables.size()) {
    view_.ShowNote("Select a variable first");
    return;
  }
  const Variable& variable = variables[static_cast<std::size_t>(row)];
  if (!variable.editable) {
    view_.ShowNote(variable.name + " cannot be set");
    return;
  }
  const std::string error =
      target_.SetVariable(pane == DebuggerPane::Globals, frame_, variable.name, value);
  view_.ShowNote(error);
  if (error.empty()) ShowStopped(false);
}

void DebuggerModel::SetRegister(int row, const std::string& value) {
  if (shownState_ != TargetState::Stopped || row < 0 ||
      static_cast<std::size_t>(row) >= registerNames_.size()) {
    view_.ShowNote("Select a register first");
    return;
  }
  const std::string error =
      target_.SetRegister(registerNames_[static_cast<std::size_t>(row)], value);
  view_.ShowNote(error);
  if (error.empty()) ShowStopped(false);
}

}  // namespace orvane::app
