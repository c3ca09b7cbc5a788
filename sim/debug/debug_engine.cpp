#include "sim/debug/debug_engine.h"

#include <algorithm>
#include <charconv>

#include "sim/debug/disassembler.h"
#include "sim/debug/hex_text.h"
#include "sim/debug/inspector.h"

namespace orvane::sim::debug {

namespace {

using Watch = Cpu8051Watch;

bool IsCall(std::uint8_t op) { return op == 0x12 || (op & 0x1F) == 0x11; }
bool IsReturn(std::uint8_t op) { return op == 0x22 || op == 0x32; }

// The levels an interrupt entered since `before` added.
bool Deeper(std::uint8_t before, std::uint8_t after) { return (after & ~before) != 0; }

}  // namespace

const char* StopReasonName(StopReason reason) {
  switch (reason) {
    case StopReason::Entry:
      return "entry";
    case StopReason::Breakpoint:
      return "breakpoint";
    case StopReason::InstructionBreakpoint:
      return "instruction breakpoint";
    case StopReason::DataBreakpoint:
      return "data breakpoint";
    case StopReason::Step:
      return "step";
    case StopReason::Pause:
      return "pause";
    case StopReason::Ended:
      return "pause";  // with the text "the program ended": the protocol has no better reason
  }
  return "pause";
}

struct DebugEngine::CodeBreakpoint {
  int id;
  std::string group;
  bool instruction;
  BreakpointRequest request;
  int hits = 0;
};

struct DebugEngine::DataBreakpoint {
  int id;
  DataBreakpointRequest request;
  int hits = 0;
};

DebugEngine::DebugEngine(BoardModel& board, DebugData data, std::uint32_t baud)
    : board_(board),
      cpu_(board.Cpu()),
      data_(std::move(data)),
      baud_(baud),
      inspector_(std::make_unique<Inspector>(*this)),
      watch_(std::make_unique<Cpu8051Watch>()) {
  cpu_.Attach(watch_.get());
}

DebugEngine::~DebugEngine() {
  if (cpu_.Watch() == watch_.get()) cpu_.Attach(nullptr);
}

void DebugEngine::Stop(StopEvent event) {
  holding_ = true;
  mode_ = Mode::Held;
  pauseAsked_ = false;
  event.pc = cpu_.Pc();
  if (onStopped_) onStopped_(event);
}

void DebugEngine::Run(std::uint64_t until, bool returnOnSend) {
  if (holding_) return;
  if (pauseAsked_) return Stop({StopReason::Pause, 0, {}, "paused"});
  while (!holding_ && cpu_.Cycles() < until) {
    if (cpu_.Stopped()) return Stop({StopReason::Ended, 0, {}, "the program ended"});
    const std::uint64_t before = cpu_.Cycles();
    if (mode_ == Mode::Running) {
      cpu_.Run(until, returnOnSend);
      if (watch_->hit.kind != Watch::Kind::None) {
        if (!HandleHit() && watch_->hit.kind == Watch::Kind::Code) watch_->skipAt = cpu_.Pc();
      } else if (returnOnSend && cpu_.Cycles() < until) {
        return;  // a byte went out: the caller collects it
      }
      continue;
    }
    // Steps go one instruction at a time; breakpoints met on the way still stop them.
    const std::uint8_t level = cpu_.InService();
    const std::uint8_t op = cpu_.Code()[cpu_.Pc()];
    cpu_.Run(cpu_.Cycles() + 1, returnOnSend);
    if (watch_->hit.kind != Watch::Kind::None) {
      if (HandleHit()) return;
      if (watch_->hit.kind == Watch::Kind::Code) {
        watch_->skipAt = cpu_.Pc();
        continue;  // the instruction has not run: run it next time round
      }
    }
    const std::uint8_t now = cpu_.InService();
    // Our own instruction ran when it ran at the step's level and no interrupt came first.
    const bool ours = level == stepInService_ && !Deeper(level, now) && cpu_.Cycles() != before;
    if (ours) {
      ++stepInstructions_;
      if (IsCall(op)) ++stepDepth_;
      if (IsReturn(op)) --stepDepth_;
    }
    if (HandleStepArrival(ours)) return;
    if (returnOnSend && cpu_.Cycles() < until && board_.SerialCount() != stepSerial_) {
      stepSerial_ = board_.SerialCount();
      return;
    }
  }
}

bool DebugEngine::HandleStepArrival(bool ours) {
  const std::uint16_t pc = cpu_.Pc();
  const bool atLevel = cpu_.InService() == stepInService_;
  bool done = false;
  switch (mode_) {
    case Mode::StepInstruction:
      done = ours;
      break;
    case Mode::NextInstruction:
      done = stepInstructions_ > 0 && atLevel && stepDepth_ <= 0;
      break;
    case Mode::Out:
      done = stepDepth_ < 0;
      break;
    case Mode::To:
      done = pc == stepTarget_;
      break;
    case Mode::StepLine:
    case Mode::NextLine: {
      if (stepDepth_ < 0) {
        // Returned from the routine the step began in: stop at the caller's next line start,
        // or at once when there is no line information to wait for.
        if (!data_.LineAt(pc) || data_.IsLineStart(pc)) done = atLevel;
        break;
      }
      if (!atLevel || !data_.IsLineStart(pc)) break;
      if (mode_ == Mode::NextLine && stepDepth_ > 0) break;
      const auto line = data_.LineAt(pc);
      done = line && (line != stepLine_ || pc == stepPc_);
      break;
    }
    default:
      break;
  }
  if (done) Stop({StopReason::Step, 0, {}, "step"});
  return done;
}

bool DebugEngine::HandleHit() {
  const Watch::Hit hit = watch_->hit;
  std::vector<int> ids;
  bool instruction = false;
  std::string text;
  if (hit.kind == Watch::Kind::Code) {
    for (auto& bp : code_) {
      const auto& a = bp->request.addresses;
      if (std::find(a.begin(), a.end(), hit.address) == a.end()) continue;
      if (!bp->request.condition.empty()) {
        const auto holds = inspector_->Condition(bp->request.condition);
        if (const bool* value = std::get_if<bool>(&holds); value && !*value) continue;
        if (const auto* error = std::get_if<std::string>(&holds)) text = *error;
      }
      ++bp->hits;
      if (!PassHitCondition(bp->request.hitCondition, bp->hits)) continue;
      ids.push_back(bp->id);
      instruction = bp->instruction;
    }
    if (ids.empty()) return false;
    Stop({instruction ? StopReason::InstructionBreakpoint : StopReason::Breakpoint, 0, ids,
          text.empty() ? "breakpoint" : text});
    return true;
  }
  const MemorySpace space = hit.space == Watch::Space::Iram  ? MemorySpace::Iram
                            : hit.space == Watch::Space::Sfr ? MemorySpace::Sfr
                                                             : MemorySpace::Xdata;
  for (auto& bp : dataBreakpoints_) {
    const DataBreakpointRequest& s = bp->request;
    const bool wanted = s.access == DataAccess::ReadWrite ||
                        (s.access == DataAccess::Write) == (hit.access == Watch::kWrite);
    if (s.start.space != space || hit.address < s.start.address ||
        hit.address >= s.start.address + static_cast<std::uint32_t>(s.length) || !wanted) {
      continue;
    }
    if (!s.condition.empty()) {
      const auto holds = inspector_->Condition(s.condition);
      if (const bool* value = std::get_if<bool>(&holds); value && !*value) continue;
    }
    ++bp->hits;
    if (!PassHitCondition(s.hitCondition, bp->hits)) continue;
    ids.push_back(bp->id);
  }
  if (ids.empty()) return false;
  Stop({StopReason::DataBreakpoint, 0, ids,
        std::string(hit.access == Watch::kWrite ? "write to " : "read of ") +
            MemoryReference{space, hit.address}.Text()});
  return true;
}

bool DebugEngine::PassHitCondition(const std::string& condition, int hits) const {
  std::string_view text = condition;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty()) return true;
  std::string_view op;
  for (std::string_view candidate : {">=", "<=", "==", ">", "<", "%"}) {
    if (text.substr(0, candidate.size()) == candidate) {
      op = candidate;
      text.remove_prefix(candidate.size());
      break;
    }
  }
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc{} || end != text.data() + text.size()) return true;  // unreadable: stop
  if (op.empty() || op == ">=") return hits >= n;
  if (op == ">") return hits > n;
  if (op == "==") return hits == n;
  if (op == "<") return hits < n;
  if (op == "<=") return hits <= n;
  return n > 0 && hits % n == 0;
}

void DebugEngine::BeginStep(Mode mode) {
  mode_ = mode;
  holding_ = false;
  watch_->skipAt = cpu_.Pc();
  stepPc_ = cpu_.Pc();
  stepInService_ = cpu_.InService();
  stepLine_ = data_.LineAt(stepPc_);
  stepDepth_ = 0;
  stepInstructions_ = 0;
  stepSerial_ = board_.SerialCount();
}

void DebugEngine::Continue() {
  mode_ = Mode::Running;
  holding_ = false;
  watch_->skipAt = cpu_.Pc();
}

void DebugEngine::Pause() {
  if (!holding_) pauseAsked_ = true;
}

void DebugEngine::Restart(bool stopOnEntry) {
  board_.StartProgram(baud_);
  for (auto& bp : code_) bp->hits = 0;
  for (auto& bp : dataBreakpoints_) bp->hits = 0;
  pauseAsked_ = false;
  watch_->skipAt = -1;
  if (stopOnEntry) {
    Stop({StopReason::Entry, 0, {}, "entry"});
  } else {
    mode_ = Mode::Running;
    holding_ = false;
  }
}

void DebugEngine::StepIn(Granularity granularity) {
  const bool lines = granularity == Granularity::Line && data_.LineAt(cpu_.Pc());
  BeginStep(lines ? Mode::StepLine : Mode::StepInstruction);
}

void DebugEngine::Next(Granularity granularity) {
  const bool lines = granularity == Granularity::Line && data_.LineAt(cpu_.Pc());
  BeginStep(lines ? Mode::NextLine : Mode::NextInstruction);
}

void DebugEngine::StepOut(Granularity) { BeginStep(Mode::Out); }

void DebugEngine::RunTo(std::uint16_t address) {
  BeginStep(Mode::To);
  stepTarget_ = address;
}

void DebugEngine::RebuildWatch() {
  watch_->code.reset();
  watch_->iram.fill(0);
  watch_->sfr.fill(0);
  watch_->xdata.fill(0);
  watch_->spaces = 0;
  for (const auto& bp : code_) {
    for (std::uint16_t a : bp->request.addresses) watch_->code.set(a);
  }
  for (const auto& bp : dataBreakpoints_) {
    const DataBreakpointRequest& s = bp->request;
    const std::uint8_t bits = s.access == DataAccess::Read    ? Watch::kRead
                              : s.access == DataAccess::Write ? Watch::kWrite
                                                              : Watch::kRead | Watch::kWrite;
    for (int i = 0; i < s.length; ++i) {
      const std::uint32_t a = s.start.address + static_cast<std::uint32_t>(i);
      if (a >= MemoryReference::Limit(s.start.space)) break;
      switch (s.start.space) {
        case MemorySpace::Iram:
          watch_->iram[a] |= bits;
          watch_->spaces |= Watch::kIram;
          break;
        case MemorySpace::Sfr:
          if (a >= 0x80) watch_->sfr[a - 0x80] |= bits;
          watch_->spaces |= Watch::kSfr;
          break;
        case MemorySpace::Xdata:
          watch_->xdata[a] |= bits;
          watch_->spaces |= Watch::kXdata;
          break;
        case MemorySpace::Code:
          continue;
      }
    }
  }
}

std::vector<BreakpointState> DebugEngine::SetBreakpoints(
    const std::string& group, bool instruction, const std::vector<BreakpointRequest>& requests) {
  std::erase_if(
      code_, [&](const auto& bp) { return bp->group == group && bp->instruction == instruction; });
  std::vector<BreakpointState> states;
  for (const BreakpointRequest& request : requests) {
    BreakpointState state{nextId_++, !request.addresses.empty(), ""};
    if (request.addresses.empty()) state.message = "no code at this line";
    if (!request.condition.empty()) {
      if (const auto error = Inspector::CheckCondition(request.condition)) {
        state.verified = false;
        state.message = *error;
      }
    }
    if (state.verified) {
      code_.push_back(std::make_unique<CodeBreakpoint>(
          CodeBreakpoint{state.id, group, instruction, request, 0}));
    }
    states.push_back(state);
  }
  RebuildWatch();
  return states;
}

std::vector<BreakpointState> DebugEngine::SetDataBreakpoints(
    const std::vector<DataBreakpointRequest>& requests) {
  dataBreakpoints_.clear();
  std::vector<BreakpointState> states;
  for (const DataBreakpointRequest& request : requests) {
    BreakpointState state{nextId_++, true, ""};
    if (request.start.space == MemorySpace::Code || request.length <= 0 ||
        request.start.address >= MemoryReference::Limit(request.start.space)) {
      state.verified = false;
      state.message = "only internal RAM, SFRs and external RAM can be watched";
    } else if (!request.condition.empty()) {
      if (const auto error = Inspector::CheckCondition(request.condition)) {
        state.verified = false;
        state.message = *error;
      }
    }
    if (state.verified) {
      dataBreakpoints_.push_back(
          std::make_unique<DataBreakpoint>(DataBreakpoint{state.id, request}));
    }
    states.push_back(state);
  }
  RebuildWatch();
  return states;
}

Registers DebugEngine::GetRegisters() {
  Registers r;
  r.a = cpu_.Sfr(sfr::ACC);
  r.b = cpu_.Sfr(sfr::B);
  r.psw = cpu_.Psw();
  r.sp = cpu_.Sfr(sfr::SP);
  r.dptr = static_cast<std::uint16_t>(cpu_.Sfr(sfr::DPH) << 8 | cpu_.Sfr(sfr::DPL));
  r.pc = cpu_.Pc();
  r.bank = static_cast<std::uint8_t>((r.psw >> 3) & 3);
  for (int i = 0; i < 8; ++i) r.r[static_cast<std::size_t>(i)] = cpu_.Iram(r.bank * 8 + i);
  return r;
}

bool DebugEngine::SetRegister(std::string_view name, std::uint32_t value) {
  struct Byte {
    std::string_view name;
    std::uint8_t sfr;
  };
  static constexpr Byte kBytes[] = {
      {"A", sfr::ACC}, {"ACC", sfr::ACC}, {"B", sfr::B}, {"PSW", sfr::PSW}, {"SP", sfr::SP}};
  for (const Byte& b : kBytes) {
    if (b.name != name) continue;
    if (value > 0xFF) return false;
    cpu_.SetSfr(b.sfr, static_cast<std::uint8_t>(value));
    return true;
  }
  if (name == "DPTR" || name == "PC") {
    if (value > 0xFFFF) return false;
    if (name == "PC") {
      cpu_.SetPc(static_cast<std::uint16_t>(value));
    } else {
      cpu_.SetSfr(sfr::DPL, static_cast<std::uint8_t>(value));
      cpu_.SetSfr(sfr::DPH, static_cast<std::uint8_t>(value >> 8));
    }
    return true;
  }
  if (name.size() == 2 && name[0] == 'R' && name[1] >= '0' && name[1] <= '7') {
    if (value > 0xFF) return false;
    const int bank = (cpu_.Psw() >> 3) & 3;
    cpu_.SetIram(static_cast<std::uint8_t>(bank * 8 + name[1] - '0'),
                 static_cast<std::uint8_t>(value));
    return true;
  }
  struct Flag {
    std::string_view name;
    int bit;
  };
  // P follows ACC's parity: it cannot be set.
  static constexpr Flag kFlags[] = {{"CY", 7},  {"AC", 6}, {"F0", 5}, {"RS1", 4},
                                    {"RS0", 3}, {"OV", 2}, {"F1", 1}};
  for (const Flag& f : kFlags) {
    if (f.name != name) continue;
    if (value > 1) return false;
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << f.bit);
    const std::uint8_t psw = cpu_.Psw();
    cpu_.SetSfr(sfr::PSW, value ? psw | mask : psw & ~mask);
    return true;
  }
  return false;
}

std::vector<std::uint8_t> DebugEngine::Read(MemoryReference start, std::size_t count) {
  std::vector<std::uint8_t> bytes;
  const std::uint32_t limit = MemoryReference::Limit(start.space);
  for (std::uint32_t a = start.address; a < limit && bytes.size() < count; ++a) {
    switch (start.space) {
      case MemorySpace::Code:
        bytes.push_back(cpu_.Code()[a]);
        break;
      case MemorySpace::Iram:
        bytes.push_back(cpu_.Iram(static_cast<std::uint8_t>(a)));
        break;
      case MemorySpace::Sfr:
        bytes.push_back(a < 0x80 ? 0xFF : cpu_.Sfr(static_cast<std::uint8_t>(a)));
        break;
      case MemorySpace::Xdata: {
        // The LCD's registers change when read: a look must not move its address counter.
        const bool quiet = a >= kExternalRamBase ||
                           (a >= kProgramStart && a < download::ImageLimit) ||
                           (a & 0xFFFC) == kPpiBase;
        bytes.push_back(quiet ? board_.ReadData(static_cast<std::uint16_t>(a), cpu_.Cycles())
                              : 0xFF);
        break;
      }
    }
  }
  return bytes;
}

std::size_t DebugEngine::Write(MemoryReference start, const std::vector<std::uint8_t>& bytes) {
  const std::uint32_t limit = MemoryReference::Limit(start.space);
  std::size_t written = 0;
  for (std::uint32_t a = start.address; a < limit && written < bytes.size(); ++a) {
    const std::uint8_t value = bytes[written];
    switch (start.space) {
      case MemorySpace::Code:
        cpu_.Code()[a] = value;
        break;
      case MemorySpace::Iram:
        cpu_.SetIram(static_cast<std::uint8_t>(a), value);
        break;
      case MemorySpace::Sfr:
        if (a < 0x80) return written;
        cpu_.SetSfr(static_cast<std::uint8_t>(a), value);
        break;
      case MemorySpace::Xdata:
        board_.WriteData(static_cast<std::uint16_t>(a), value, cpu_.Cycles());
        break;
    }
    ++written;
  }
  return written;
}

std::vector<Frame> DebugEngine::CallStack(std::size_t maxFrames) {
  std::vector<Frame> frames;
  auto makeFrame = [&](std::uint16_t pc, std::uint8_t top, bool afterCall) {
    Frame f;
    f.pc = pc;
    f.routine = data_.RoutineAt(pc);
    f.name = f.routine ? f.routine->name : HexText(pc, 4);
    f.isInterrupt = f.routine && f.routine->isInterrupt;
    // A return address may begin the next line: the call belongs to the line before it.
    f.line = data_.LineAt(afterCall ? static_cast<std::uint16_t>(pc - 1) : pc);
    f.stackTop = top;
    return f;
  };
  const auto& code = cpu_.Code();
  std::uint8_t sp = cpu_.Sfr(sfr::SP);
  frames.push_back(makeFrame(cpu_.Pc(), sp, false));
  while (frames.size() < maxFrames) {
    const Frame& callee = frames.back();
    if (callee.routine && callee.routine->name == "main") break;  // the start-up code jumps to it
    std::optional<Frame> caller;
    for (int t = sp; t >= 0x09 && !caller; --t) {
      const auto ret = static_cast<std::uint16_t>(cpu_.Iram(static_cast<std::uint8_t>(t)) << 8 |
                                                  cpu_.Iram(static_cast<std::uint8_t>(t - 1)));
      if (ret < kProgramStart + 2) continue;
      std::optional<std::uint16_t> target;
      if (code[static_cast<std::uint16_t>(ret - 3)] == 0x12) {
        target = static_cast<std::uint16_t>(code[static_cast<std::uint16_t>(ret - 2)] << 8 |
                                            code[static_cast<std::uint16_t>(ret - 1)]);
      }
      const std::uint8_t acall = code[static_cast<std::uint16_t>(ret - 2)];
      std::optional<std::uint16_t> shortTarget;
      if ((acall & 0x1F) == 0x11) {
        shortTarget = static_cast<std::uint16_t>((ret & 0xF800) | (acall & 0xE0) << 3 |
                                                 code[static_cast<std::uint16_t>(ret - 1)]);
      }
      bool valid = false;
      if (callee.isInterrupt) {
        valid = data_.RoutineAt(ret) != nullptr;  // interrupted anywhere in the program
      } else if (callee.routine) {
        valid = target == callee.routine->start || shortTarget == callee.routine->start;
      } else {
        valid = target || shortTarget;
      }
      if (valid) {
        caller = makeFrame(ret, static_cast<std::uint8_t>(t - 2), !callee.isInterrupt);
        sp = static_cast<std::uint8_t>(t - 2);
      }
    }
    if (!caller) break;
    frames.push_back(*caller);
  }
  return frames;
}

}  // namespace orvane::sim::debug
