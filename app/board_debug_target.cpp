#include "app/board_debug_target.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>

#include "sim/debug/debug_engine.h"
#include "sim/debug/disassembler.h"
#include "sim/debug/inspector.h"
#include "sim/line/virtual_board.h"

namespace orvane::app {
namespace {

namespace dbg = sim::debug;

constexpr const char* kBreakpointGroup = "window";

StopReason FromEngine(dbg::StopReason reason) {
  switch (reason) {
    case dbg::StopReason::Entry:
      return StopReason::Entry;
    case dbg::StopReason::Breakpoint:
    case dbg::StopReason::InstructionBreakpoint:
      return StopReason::Breakpoint;
    case dbg::StopReason::DataBreakpoint:
      return StopReason::DataBreakpoint;
    case dbg::StopReason::Step:
      return StopReason::Step;
    case dbg::StopReason::Pause:
      return StopReason::Pause;
    case dbg::StopReason::Ended:
      return StopReason::Ended;
  }
  return StopReason::Pause;
}

dbg::MemorySpace ToEngine(MemorySpace space) {
  switch (space) {
    case MemorySpace::Iram:
      return dbg::MemorySpace::Iram;
    case MemorySpace::Xdata:
      return dbg::MemorySpace::Xdata;
    case MemorySpace::Code:
      return dbg::MemorySpace::Code;
  }
  return dbg::MemorySpace::Code;
}

// "0x41EC" (or "41ECh" as assembly writes it); nothing for a name or a line.
std::optional<std::uint16_t> ParseCodeAddress(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
  } else if (text.ends_with('h') || text.ends_with('H')) {
    text.remove_suffix(1);
  } else {
    return std::nullopt;
  }
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFF) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

Variable FromValue(const dbg::Value& value) { return {value.name, value.value, value.Editable()}; }

}  // namespace

BoardDebugTarget::BoardDebugTarget(std::shared_ptr<sim::VirtualBoard> board,
                                   std::function<std::filesystem::path()> programFile,
                                   std::function<std::filesystem::path()> sourceFolder)
    : board_(std::move(board)),
      programFile_(std::move(programFile)),
      sourceFolder_(std::move(sourceFolder)) {}

BoardDebugTarget::~BoardDebugTarget() { Detach(); }

void BoardDebugTarget::Attach() {
  if (attached_) return;
  attached_ = true;
  board_->SetControllerFactory(
      [this](sim::RunningProgram& program) { return MakeEngine(program); });
}

void BoardDebugTarget::Detach() {
  if (!attached_) return;
  attached_ = false;
  board_->SetControllerFactory(nullptr);
}

std::unique_ptr<sim::CpuController> BoardDebugTarget::MakeEngine(sim::RunningProgram& program) {
  // The program being downloaded: its debug data read again when the file is new or changed.
  std::filesystem::path file = programFile_ ? programFile_() : std::filesystem::path();
  std::error_code ignored;
  if (!file.empty()) file = std::filesystem::absolute(file, ignored);
  const std::filesystem::path debugFile = std::filesystem::path(file).replace_extension(".cdb");
  const auto time = std::filesystem::last_write_time(debugFile, ignored);
  if (file != program_ || time != programTime_) {
    program_ = file;
    programTime_ = time;
    sources_.clear();
    assemblyFound_.clear();
    data_ = {};
    dataNote_.clear();
    std::string error;
    std::vector<std::string> skipped;
    if (std::filesystem::exists(debugFile, ignored)) {
      if (auto data = dbg::DebugData::Load(debugFile, error, &skipped)) {
        data_ = std::move(*data);
        if (!skipped.empty()) {
          dataNote_ = std::to_string(skipped.size()) + " records of " +
                      debugFile.filename().string() + " skipped";
        }
      } else {
        dataNote_ = error;
      }
    } else if (!file.empty()) {
      dataNote_ = "No debug data beside " + file.filename().string() + ": instructions only";
    }
  }
  auto engine = std::make_unique<dbg::DebugEngine>(program.Board(), data_, program.StartBaud());
  engine->OnStopped([this](const dbg::StopEvent& stop) {
    ++stops_;
    lastStop_ = FromEngine(stop.reason);
  });
  ApplyBreakpoints(*engine);
  engine->Continue();  // the program goes on as the download started it
  return engine;
}

bool BoardDebugTarget::WithEngine(const std::function<void(dbg::DebugEngine&)>& work) {
  bool found = false;
  board_->WithProgram([&](sim::RunningProgram* program, sim::CpuController* controller) {
    auto* engine = dynamic_cast<dbg::DebugEngine*>(controller);
    if (!program || !engine) return;
    found = true;
    work(*engine);
  });
  return found;
}

std::string BoardDebugTarget::DebugDataNote() {
  std::string note;
  board_->WithProgram([&](sim::RunningProgram*, sim::CpuController*) { note = dataNote_; });
  return note;
}

void BoardDebugTarget::SourcesMoved() {
  board_->WithProgram([&](sim::RunningProgram*, sim::CpuController*) {
    sources_.clear();
    assemblyFound_.clear();
  });
}

TargetState BoardDebugTarget::State() {
  TargetState state = TargetState::NoProgram;
  WithEngine([&](dbg::DebugEngine& engine) {
    state = engine.Holding() ? TargetState::Stopped : TargetState::Running;
  });
  return state;
}

std::uint64_t BoardDebugTarget::ProgramRun() { return board_->Runs(); }

std::string BoardDebugTarget::ProgramFile() {
  std::string file;
  board_->WithProgram([&](sim::RunningProgram*, sim::CpuController*) { file = program_.string(); });
  return file;
}

std::uint64_t BoardDebugTarget::Stops() {
  std::uint64_t stops = 0;
  board_->WithProgram([&](sim::RunningProgram*, sim::CpuController*) { stops = stops_; });
  return stops;
}

StopReason BoardDebugTarget::LastStop() {
  StopReason reason = StopReason::Pause;
  board_->WithProgram([&](sim::RunningProgram*, sim::CpuController*) { reason = lastStop_; });
  return reason;
}

void BoardDebugTarget::Continue() {
  WithEngine([](dbg::DebugEngine& engine) { engine.Continue(); });
}

void BoardDebugTarget::Pause() {
  WithEngine([](dbg::DebugEngine& engine) { engine.Pause(); });
}

namespace {
// Steps by lines where the debug data knows the line the program stands on, else by instructions.
dbg::Granularity StepGranularity(dbg::DebugEngine& engine) {
  return engine.LineAt(engine.GetRegisters().pc) ? dbg::Granularity::Line
                                                 : dbg::Granularity::Instruction;
}
}  // namespace

void BoardDebugTarget::StepInto() {
  WithEngine([](dbg::DebugEngine& engine) { engine.StepIn(StepGranularity(engine)); });
}

void BoardDebugTarget::StepOver() {
  WithEngine([](dbg::DebugEngine& engine) { engine.Next(StepGranularity(engine)); });
}

void BoardDebugTarget::StepOut() {
  WithEngine([](dbg::DebugEngine& engine) { engine.StepOut(StepGranularity(engine)); });
}

void BoardDebugTarget::Restart() {
  WithEngine([](dbg::DebugEngine& engine) { engine.Restart(/*stopOnEntry=*/true); });
}

std::variant<CodePlace, std::string> BoardDebugTarget::Resolve(const std::string& asked) {
  const std::string where = Trimmed(asked);
  std::variant<CodePlace, std::string> answer = "No program on the board";
  WithEngine([&](dbg::DebugEngine& engine) {
    const dbg::DebugData& data = engine.Data();
    if (const auto address = ParseCodeAddress(where)) {
      answer = CodePlace{*address, "", 0};
      return;
    }
    const auto colon = where.rfind(':');
    if (colon != std::string::npos) {
      const std::string file = Trimmed(where.substr(0, colon));
      int line = 0;
      const std::string number = Trimmed(where.substr(colon + 1));
      const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), line);
      if (error != std::errc() || end != number.data() + number.size() || line <= 0) {
        answer = "Not a line number: " + number;
        return;
      }
      const auto resolved = data.Resolve(file, line);
      if (!resolved || resolved->addresses.empty()) {
        answer = "No code at or after line " + std::to_string(line) + " of " + file;
        return;
      }
      answer = PlaceOfLocked(resolved->addresses.front());
      auto& place = std::get<CodePlace>(answer);
      place.line = resolved->line;
      return;
    }
    if (const dbg::Routine* routine = data.FindRoutine(where)) {
      const std::optional<dbg::SourceLine> first = data.FirstLine(*routine);
      const auto resolved = first ? data.Resolve(first->file, first->line) : std::nullopt;
      if (resolved && !resolved->addresses.empty()) {
        answer = CodePlace{resolved->addresses.front(), first->file, resolved->line};
      } else {
        answer = CodePlace{routine->start, "", 0};
      }
      return;
    }
    answer = "No routine, line or address " + where + " (write file.c:LINE, a name or 0x41EC)";
  });
  return answer;
}

void BoardDebugTarget::SetBreakpoints(const std::vector<CodePlace>& places) {
  board_->WithProgram([&](sim::RunningProgram*, sim::CpuController* controller) {
    breakpoints_ = places;
    if (auto* engine = dynamic_cast<dbg::DebugEngine*>(controller)) ApplyBreakpoints(*engine);
  });
}

void BoardDebugTarget::ApplyBreakpoints(dbg::DebugEngine& engine) {
  std::vector<dbg::BreakpointRequest> lines, addresses;
  for (const CodePlace& place : breakpoints_) {
    if (place.file.empty()) {
      addresses.push_back({{place.address}, "", ""});
    } else {
      std::vector<std::uint16_t> all = engine.Data().AddressesOf(place.file, place.line);
      if (all.empty()) all.push_back(place.address);
      lines.push_back({std::move(all), "", ""});
    }
  }
  engine.SetBreakpoints(kBreakpointGroup, false, lines);
  engine.SetBreakpoints(kBreakpointGroup, true, addresses);
}

RegisterValues BoardDebugTarget::Registers() {
  RegisterValues values;
  WithEngine([&](dbg::DebugEngine& engine) {
    const dbg::Registers r = engine.GetRegisters();
    values = {r.a, r.b, r.psw, r.sp, r.dptr, r.pc, r.r};
  });
  return values;
}

CodePlace BoardDebugTarget::PlaceOfLocked(std::uint16_t address) {
  CodePlace place{address, "", 0};
  const auto line = data_.LineAt(address);
  if (!line) return place;
  // An assembly line without its file is the compiler's own listing of C (its start-up code):
  // the instructions say more than a line of a file nobody has.
  if (line->assembly) {
    auto known = assemblyFound_.find(line->file);
    if (known == assemblyFound_.end()) {
      known = assemblyFound_.emplace(line->file, FindSourceLocked(*line).has_value()).first;
    }
    if (!known->second) return place;
  }
  place.file = line->file;
  place.line = line->line;
  return place;
}

std::optional<std::filesystem::path> BoardDebugTarget::FindSourceLocked(
    const sim::debug::SourceLine& line) const {
  std::vector<std::filesystem::path> folders;
  if (sourceFolder_) {
    if (std::filesystem::path chosen = sourceFolder_(); !chosen.empty()) folders.push_back(chosen);
  }
  return dbg::FindSource(line, folders, program_.parent_path());
}

CodePlace BoardDebugTarget::PlaceOf(std::uint16_t address) {
  CodePlace place{address, "", 0};
  WithEngine([&](dbg::DebugEngine&) { place = PlaceOfLocked(address); });
  return place;
}

std::vector<Frame> BoardDebugTarget::CallStack() {
  std::vector<Frame> frames;
  WithEngine([&](dbg::DebugEngine& engine) {
    for (const dbg::Frame& frame : engine.CallStack()) {
      Frame shown{frame.name + (frame.isInterrupt ? " (interrupt)" : ""), {frame.pc, "", 0}};
      if (frame.line) {
        shown.place.file = frame.line->file;
        shown.place.line = frame.line->line;
      }
      frames.push_back(std::move(shown));
    }
  });
  return frames;
}

std::vector<Variable> BoardDebugTarget::Locals(std::size_t frame) {
  std::vector<Variable> variables;
  WithEngine([&](dbg::DebugEngine& engine) {
    for (const dbg::Value& value : engine.Values().Locals(frame)) {
      variables.push_back(FromValue(value));
    }
  });
  return variables;
}

std::vector<Variable> BoardDebugTarget::Globals() {
  std::vector<Variable> variables;
  WithEngine([&](dbg::DebugEngine& engine) {
    for (const dbg::Value& value : engine.Values().Globals()) {
      variables.push_back(FromValue(value));
    }
  });
  return variables;
}

std::string BoardDebugTarget::SetVariable(bool global, std::size_t frame, const std::string& name,
                                          const std::string& value) {
  std::string error = "No program on the board";
  WithEngine([&](dbg::DebugEngine& engine) {
    std::vector<dbg::Value> values =
        global ? engine.Values().Globals() : engine.Values().Locals(frame);
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const dbg::Value& v) { return v.name == name; });
    if (found == values.end()) {
      error = "No variable " + name + " here";
      return;
    }
    error = engine.Values().SetValue(*found, Trimmed(value)).value_or("");
  });
  return error;
}

std::string BoardDebugTarget::SetRegister(const std::string& name, const std::string& value) {
  std::string error = "No program on the board";
  WithEngine([&](dbg::DebugEngine& engine) {
    std::vector<dbg::Value> registers = engine.Values().Registers();
    // The flags are PSW's children.
    const auto named = [&](const dbg::Value& v) { return v.name == name; };
    dbg::Value* found = nullptr;
    for (dbg::Value& r : registers) {
      if (named(r)) found = &r;
      for (dbg::Value& flag : r.children) {
        if (named(flag)) found = &flag;
      }
    }
    if (!found) {
      error = "No register " + name;
      return;
    }
    // Hexadecimal as the pane shows it: a bare "3C" is 0x3C, not a decimal.
    std::string text = Trimmed(value);
    if (!text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
      text = "0x" + text;
    }
    error = engine.Values().SetValue(*found, text).value_or("");
  });
  return error;
}

std::vector<std::uint8_t> BoardDebugTarget::ReadMemory(MemorySpace space, std::uint16_t address,
                                                       std::size_t count) {
  std::vector<std::uint8_t> bytes;
  WithEngine([&](dbg::DebugEngine& engine) {
    bytes = engine.Read({ToEngine(space), address}, count);
  });
  return bytes;
}

std::vector<std::string> BoardDebugTarget::SourceLines(const std::string& file) {
  // A module of assembly is named without its extension; a C file with it.
  const bool assembly = !std::filesystem::path(file).has_extension();
  std::optional<std::filesystem::path> found;
  board_->WithProgram([&](sim::RunningProgram*, sim::CpuController*) {
    found = FindSourceLocked({file, 1, assembly});
  });
  if (!found) return {};
  if (const auto kept = sources_.find(*found); kept != sources_.end()) return kept->second;
  std::vector<std::string> lines;
  std::ifstream in(*found, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (char& c : line) c = c == '\t' ? ' ' : c;
    lines.push_back(std::move(line));
  }
  sources_[*found] = lines;
  return lines;
}

std::vector<Instruction> BoardDebugTarget::Disassembly(std::uint16_t address, int count) {
  std::vector<Instruction> rows;
  WithEngine([&](dbg::DebugEngine& engine) {
    const auto& code = engine.Board().Cpu().Code();
    // Instructions have one to three bytes: walk from a start known to be one (the routine's,
    // the program's) or from the nearest start before the address that lands on it.
    const auto lands = [&](std::uint16_t from) {
      for (unsigned at = from; at <= address;) {
        if (at == address) return true;
        at += static_cast<unsigned>(dbg::InstructionLength(code[at]));
      }
      return false;
    };
    std::vector<std::uint16_t> starts;
    if (const dbg::Routine* routine = engine.Data().RoutineAt(address)) {
      starts.push_back(routine->start);
    }
    starts.push_back(0x4000);
    for (int back = 24; back > 0; --back) {
      if (address >= back) starts.push_back(static_cast<std::uint16_t>(address - back));
    }
    std::uint16_t from = address;
    for (const std::uint16_t start : starts) {
      if (start <= address && address - start < 256 && lands(start)) {
        from = start;
        break;
      }
    }
    std::vector<Instruction> before;
    unsigned at = from;
    while (at < address) {
      const dbg::Instruction i = dbg::Disassemble(code, static_cast<std::uint16_t>(at));
      before.push_back({i.address, i.text});
      at += static_cast<unsigned>(i.length);
    }
    const std::size_t keep = static_cast<std::size_t>(count / 3);
    if (before.size() > keep) before.erase(before.begin(), before.end() - static_cast<long>(keep));
    rows = std::move(before);
    while (static_cast<int>(rows.size()) < count && at <= 0xFFFF) {
      const dbg::Instruction i = dbg::Disassemble(code, static_cast<std::uint16_t>(at));
      rows.push_back({i.address, i.text});
      at += static_cast<unsigned>(i.length);
    }
  });
  return rows;
}

}  // namespace orvane::app
