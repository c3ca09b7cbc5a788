// What the debugger window drives: the program on the in-process board, seen through the debug
// engine at the level of the student's lines where the debug data tells them, of instructions
// otherwise. The window's logic (debugger_model.h) talks only to this, so that it runs on Linux
// against a stand-in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace orvane::app {

enum class TargetState {
  NoProgram,  // the board is in its monitor: nothing to debug
  Running,
  Stopped,
};

enum class StopReason { Entry, Breakpoint, Step, Pause, DataBreakpoint, Ended };

// The word the status line uses for a reason ("breakpoint", "data breakpoint", ...).
const char* StopReasonText(StopReason reason);

// A code address and the source line it belongs to; `file` is empty where no line is known.
struct CodePlace {
  std::uint16_t address = 0;
  std::string file;  // the base name the debug data uses ("blink.c")
  int line = 0;
  bool operator==(const CodePlace&) const = default;
};

struct Frame {
  std::string routine;  // "?" where the debug data knows no routine there
  CodePlace place;
};

struct Variable {
  std::string name;
  std::string value;  // as the pane shows it: integers in decimal
  bool editable = false;
};

struct RegisterValues {
  std::uint8_t a = 0, b = 0, psw = 0, sp = 0;
  std::uint16_t dptr = 0, pc = 0;
  std::array<std::uint8_t, 8> r{};  // of the bank PSW selects
};

enum class MemorySpace { Iram, Xdata, Code };

// A line of disassembly.
struct Instruction {
  std::uint16_t address = 0;
  std::string text;  // "mov a,#0x05"
};

class DebugTarget {
 public:
  virtual ~DebugTarget() = default;

  // Takes hold of the board's program (it runs on in real time until a command stops it), or
  // lets it go: it then runs on freely, as if no debugger had been there.
  virtual void Attach() = 0;
  virtual void Detach() = 0;

  virtual TargetState State() = 0;
  // Changes each time the board starts a program afresh (a download, a reset).
  virtual std::uint64_t ProgramRun() = 0;
  // The HEX file of the program on the board, as downloaded.
  virtual std::string ProgramFile() = 0;
  // What the user should know of its debug data (none there, records skipped); empty if nothing.
  virtual std::string DebugDataNote() = 0;
  // Stops so far: a new count is a new stop, even where the state was seen stopped before and
  // after (a step that ended between two looks).
  virtual std::uint64_t Stops() = 0;
  // Why the program stopped last (valid while stopped).
  virtual StopReason LastStop() = 0;

  // The commands; each acts only in the state where it makes sense.
  virtual void Continue() = 0;
  virtual void Pause() = 0;
  virtual void StepInto() = 0;
  virtual void StepOver() = 0;
  virtual void StepOut() = 0;
  // The downloaded program from its start, stopped there (reason Entry).
  virtual void Restart() = 0;

  // Where a breakpoint asked for as "file.c:LINE", a routine's name or "0x41EC" goes (a line
  // without code moves to the next one with code); an error text for the user otherwise.
  virtual std::variant<CodePlace, std::string> Resolve(const std::string& where) = 0;
  // The code breakpoints, all of them at once: a place with a line stands for every address of
  // that line, one without for its address.
  virtual void SetBreakpoints(const std::vector<CodePlace>& places) = 0;

  // While stopped:
  virtual RegisterValues Registers() = 0;
  virtual CodePlace PlaceOf(std::uint16_t address) = 0;
  // Innermost first.
  virtual std::vector<Frame> CallStack() = 0;
  virtual std::vector<Variable> Locals(std::size_t frame) = 0;
  virtual std::vector<Variable> Globals() = 0;
  // Sets a local of a frame or a global; an error text for the user, empty when it was set.
  virtual std::string SetVariable(bool global, std::size_t frame, const std::string& name,
                                  const std::string& value) = 0;
  // Sets a register (A, B, PSW, SP, DPTR, PC, R0-R7 of the selected bank) or one of PSW's flags
  // (CY, AC, F0, RS1, RS0, OV, P), `value` in hexadecimal as the registers pane shows it ("3C",
  // or "0x3C").
  virtual std::string SetRegister(const std::string& name, const std::string& value) = 0;
  virtual std::vector<std::uint8_t> ReadMemory(MemorySpace space, std::uint16_t address,
                                               std::size_t count) = 0;
  // The lines of a source file the debug data names, found beside the debug data or in the
  // chosen folder; empty when not found.
  virtual std::vector<std::string> SourceLines(const std::string& file) = 0;
  // About `count` instructions around `address`, in order, one of them at `address`.
  virtual std::vector<Instruction> Disassembly(std::uint16_t address, int count) = 0;
};

}  // namespace orvane::app
