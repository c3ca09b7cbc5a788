// The debugger window's logic (View > Debugger): what its panes, its status line and its buttons
// show for the target's state, and what each command does. The window reaches it through
// DebuggerView and calls Poll() on a timer; the target tells nothing by itself (a breakpoint is
// hit on the board's pacing thread), so each poll looks at its state.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/debug_target.h"

namespace orvane::app {

enum class DebugCommand { Continue, Pause, StepInto, StepOver, StepOut, Restart };
inline constexpr int kDebugCommands = 6;

enum class DebuggerPane { Source, CallStack, Registers, Locals, Globals, Memory };
inline constexpr int kDebuggerPanes = 6;

struct PaneRow {
  std::string text;         // what the row shows, also its line in the pane's window text
  bool changed = false;     // its value changed since the last stop
  bool current = false;     // the source line (or instruction) where the program stands
  bool breakpoint = false;  // a source row with a breakpoint
  bool operator==(const PaneRow&) const = default;
};

class DebuggerView {
 public:
  virtual ~DebuggerView() = default;
  // `focus`: the row to bring into view (the current line), -1 for none.
  virtual void ShowPane(DebuggerPane pane, const std::vector<PaneRow>& rows, int focus) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void EnableCommand(DebugCommand command, bool enabled) = 0;
  // A note for the user beside the entries (a breakpoint that could not be placed); empty clears.
  virtual void ShowNote(const std::string& text) = 0;
};

class DebuggerModel {
 public:
  // `portBusy` tells whether a download or a test uses the port: no command runs meanwhile.
  DebuggerModel(DebugTarget& target, DebuggerView& view, std::function<bool()> portBusy);

  // The window opened or closed: the target is held while it shows, and let go (the program
  // runs on) when it closes. Breakpoints stay for the next opening while the program does.
  void Open();
  void Close();
  // Looks at the target and shows what changed.
  void Poll();
  // Shows everything anew (the source folder changed).
  void Refresh();

  void Run(DebugCommand command);
  // A download or a test takes the port: a stopped program is let go first, so that the board
  // answers as it would without a debugger.
  void LetGo();
  bool Enabled(DebugCommand command) const;

  // Sets or clears a breakpoint where `where` says ("file.c:12", "main", "0x41EC").
  void ToggleBreakpoint(const std::string& where);
  // Toggles the breakpoint of a row of the source pane (its line, or its instruction).
  void ToggleBreakpointAtRow(int row);
  // The frame whose locals show.
  void SelectFrame(int frame);
  // The memory pane: a space and an address as typed ("0x30", "8000").
  void ShowMemory(MemorySpace space, const std::string& address);
  // A new value for a row of the locals, globals or registers pane (registers in hexadecimal,
  // as the pane shows them).
  void SetValue(DebuggerPane pane, int row, const std::string& value);

  static constexpr int kMemoryRows = 8;  // of 16 bytes
  static constexpr int kDisassemblyRows = 24;

 private:
  void ShowState(bool newStop);
  void ShowStopped(bool newStop);
  // The source (or disassembly) around `at`; its line marked as the current one while stopped.
  void ShowSource(const CodePlace& at);
  void ShowLocals();
  void ShowMemoryRows();
  void SetRegister(int row, const std::string& value);
  void ShowCommands();
  void SendBreakpoints();
  void ForgetProgram();
  // Rows of "name value" pairs, each marked when its value differs from the last stop's.
  std::vector<PaneRow> Marked(DebuggerPane pane,
                              const std::vector<std::pair<std::string, std::string>>& values,
                              const std::string& separator);

  DebugTarget& target_;
  DebuggerView& view_;
  std::function<bool()> portBusy_;
  bool open_ = false;
  std::optional<TargetState> shownState_;
  std::optional<bool> shownBusy_;
  std::uint64_t run_ = 0;
  bool runKnown_ = false;
  std::uint64_t stops_ = 0;
  std::string programFile_;

  struct Breakpoint {
    std::string where;  // as asked
    CodePlace place;
  };
  std::vector<Breakpoint> breakpoints_;

  // The source pane: the file shown (empty: disassembly) and what each row stands for.
  std::string sourceFile_;
  std::vector<CodePlace> sourceRows_;
  CodePlace at_;
  std::vector<Frame> frames_;
  std::size_t frame_ = 0;
  std::vector<Variable> locals_, globals_;
  std::vector<std::string> registerNames_;  // of the registers pane's rows
  MemorySpace memorySpace_ = MemorySpace::Iram;
  std::uint16_t memoryAddress_ = 0;
  // Values at the last stop and the one before, by pane and name.
  std::map<DebuggerPane, std::map<std::string, std::string>> seen_, before_;
};

}  // namespace orvane::app
