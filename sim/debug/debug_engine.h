// The debugger of one virtual board's CPU, free of any protocol: run control (continue, pause,
// steps at the level of instructions and of source lines), code and data breakpoints, registers
// and memory while stopped, and the call stack rebuilt from the hardware stack.
//
// The engine does not keep time. Whoever drives the board calls Run(until) in place of the CPU's
// own Run: the runner of debug_runner.h, or any RunningProgram with the engine as its controller
// (RunningProgram::SetController), such as the in-process virtual board's. While the engine holds
// the CPU (Holding()), the program's time stands.
// Not thread-safe: the driver serialises calls (the runner does, under its lock).
//
// Breakpoints cost nothing per instruction beyond the CPU's watch: a bit per code address,
// a byte per data address (bench/debug_hooks_bench.cpp measures it). Steps go one instruction at
// a time, counting the calls and returns made at the step's own interrupt level, so interrupts
// that come meanwhile run through and a line's own pushes do not confuse its depth.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/board/board_model.h"
#include "sim/debug/debug_data.h"
#include "sim/debug/memory_reference.h"
#include "sim/line/running_program.h"

namespace orvane::sim::debug {

class Inspector;

enum class StopReason {
  Entry,                  // stopped before the program's first instruction
  Breakpoint,             // a code breakpoint on a source line
  InstructionBreakpoint,  // a code breakpoint set by address
  DataBreakpoint,         // a watched byte was read or written
  Step,                   // a step (or run to an address) finished
  Pause,                  // asked to pause
  Ended,                  // the program ended (a jump to itself with no interrupt to leave it)
};

// The reason as the Debug Adapter Protocol names it: "entry", "breakpoint", "step", "pause",
// "data breakpoint", "instruction breakpoint"; "pause" for the program's end, which the protocol
// has no reason of its own for (the adapter says "the program ended" in the stop's text).
const char* StopReasonName(StopReason reason);

struct StopEvent {
  StopReason reason = StopReason::Pause;
  std::uint16_t pc = 0;
  std::vector<int> breakpointIds;  // the breakpoints (code or data) that caused it
  std::string text;                // what a client may show, e.g. "write to xdata:0x8000"
};

// A code breakpoint: every address of a line (a `for` loop's test has its own), an optional
// condition (an expression as Inspector::Condition reads it) and hit condition:
// "N" or ">= N" stops from the Nth hit on, "> N", "== N", "< N", "<= N", "% N" (every Nth).
struct BreakpointRequest {
  std::vector<std::uint16_t> addresses;
  std::string condition;
  std::string hitCondition;
};

struct BreakpointState {
  int id = 0;
  bool verified = false;
  std::string message;  // why not verified (a condition that does not parse)
};

enum class DataAccess { Read, Write, ReadWrite };

struct DataBreakpointRequest {
  MemoryReference start;  // iram, sfr or xdata
  int length = 1;
  DataAccess access = DataAccess::Write;
  std::string condition;
  std::string hitCondition;
};

enum class Granularity { Line, Instruction };

struct Registers {
  std::uint8_t a = 0, b = 0, psw = 0, sp = 0;
  std::uint16_t dptr = 0, pc = 0;
  std::uint8_t bank = 0;  // 0 to 3, from PSW
  std::array<std::uint8_t, 8> r{};
};

struct Frame {
  std::uint16_t pc = 0;              // frame 0: the PC; others: the return address
  const Routine* routine = nullptr;  // null when the debug data has none there
  std::string name;                  // the routine's name, or the address as "0x40AD"
  bool isInterrupt = false;          // an interrupt routine's frame
  std::optional<SourceLine> line;
  std::uint8_t stackTop = 0;  // SP while this frame runs (the caller's below it)
};

class DebugEngine final : public CpuController {
 public:
  // Attaches to `board`'s CPU for the engine's lifetime; `data` may be empty (instruction
  // level only). `baud` is the rate the board's monitor leaves the serial port at (Restart).
  DebugEngine(BoardModel& board, DebugData data, std::uint32_t baud);
  ~DebugEngine();
  DebugEngine(const DebugEngine&) = delete;
  DebugEngine& operator=(const DebugEngine&) = delete;

  const DebugData& Data() const { return data_; }
  BoardModel& Board() { return board_; }
  Inspector& Values() { return *inspector_; }

  // Called with every stop, from the thread that called Run (or the command, for a stop made
  // while holding, such as Restart with stopOnEntry).
  void OnStopped(std::function<void(const StopEvent&)> callback) {
    onStopped_ = std::move(callback);
  }

  // ---- the driver
  // Runs the CPU up to machine cycle `until` unless the engine holds it; returns early on a stop.
  void Run(std::uint64_t until, bool returnOnSend = false) override;
  // Whether the CPU stands (stopped, or not yet started): the board's time stands with it.
  bool Holding() const override { return holding_; }

  // ---- run control: each takes effect at the next Run
  void Continue();
  // Stops at the next Run, before any instruction (a stop event with reason Pause).
  void Pause();
  // Held at the entry (0x4000 as the monitor hands over) with a stop event Entry when asked,
  // else running: the start of a session, and the restart of one (registers and SFRs as after
  // reset, RAM as it is).
  void Restart(bool stopOnEntry);
  void StepIn(Granularity granularity);   // a line, or one instruction (into calls)
  void Next(Granularity granularity);     // a line, or one instruction, over calls
  void StepOut(Granularity granularity);  // until the current routine's RET or RETI
  void RunTo(std::uint16_t address);

  // ---- breakpoints: each call replaces the group's (a source file's, say) breakpoints
  std::vector<BreakpointState> SetBreakpoints(const std::string& group, bool instruction,
                                              const std::vector<BreakpointRequest>& requests);
  std::vector<BreakpointState> SetDataBreakpoints(
      const std::vector<DataBreakpointRequest>& requests);

  // ---- state while stopped
  Registers GetRegisters();
  // A register by name (A, B, PSW, SP, DPTR, PC, R0-R7, and the flags CY AC F0 RS1 RS0 OV P);
  // false when the name is unknown or the value does not fit.
  bool SetRegister(std::string_view name, std::uint32_t value);
  // Bytes of a space; reads of devices on the external bus that would change them (the LCD's
  // data register) read 0xFF. Out-of-range addresses read nothing more.
  std::vector<std::uint8_t> Read(MemoryReference start, std::size_t count);
  // Writes what fits; returns the count written.
  std::size_t Write(MemoryReference start, const std::vector<std::uint8_t>& bytes);
  std::vector<Frame> CallStack(std::size_t maxFrames = 64);
  std::optional<SourceLine> LineAt(std::uint16_t address) const { return data_.LineAt(address); }

 private:
  struct CodeBreakpoint;
  struct DataBreakpoint;
  enum class Mode { Held, Running, StepInstruction, NextInstruction, StepLine, NextLine, Out, To };

  void RebuildWatch();
  void Stop(StopEvent event);
  // After the CPU's run returned for its watch: whether the engine stops there.
  bool HandleHit();
  // After a step's instruction (`ours`: one of the step's own level ran): whether it is done.
  bool HandleStepArrival(bool ours);
  void BeginStep(Mode mode);
  bool PassHitCondition(const std::string& condition, int hits) const;

  BoardModel& board_;
  Cpu8051& cpu_;
  DebugData data_;
  std::uint32_t baud_;
  std::unique_ptr<Inspector> inspector_;
  std::unique_ptr<Cpu8051Watch> watch_;
  std::function<void(const StopEvent&)> onStopped_;

  bool holding_ = true;
  bool pauseAsked_ = false;
  Mode mode_ = Mode::Held;
  // A step's state: where it began, the SP and interrupt levels at its start, its target.
  std::uint16_t stepPc_ = 0;
  std::uint8_t stepInService_ = 0;
  std::optional<SourceLine> stepLine_;
  std::uint16_t stepTarget_ = 0;
  int stepDepth_ = 0;  // calls made minus returns, at the step's own interrupt level
  int stepInstructions_ = 0;
  std::uint64_t stepSerial_ = 0;

  std::vector<std::unique_ptr<CodeBreakpoint>> code_;
  std::vector<std::unique_ptr<DataBreakpoint>> dataBreakpoints_;
  int nextId_ = 1;
};

}  // namespace orvane::sim::debug
