// The debugger window's logic against a stand-in target: what the panes and the status line show
// for a stop, which commands are greyed in which state, breakpoints toggled by entry and by row
// and kept across a download of the same file, values marked when they changed. Then through
// the debug engine on the in-process board, with a C program built with its debug data.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/board_debug_target.h"
#include "app/debugger_model.h"
#include "board/board_protocol.h"
#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "support/started_board.h"
#include "support/temp_folder.h"

namespace orvane::app {
namespace {

class StandInTarget : public DebugTarget {
 public:
  void Attach() override { attached = true; }
  void Detach() override { attached = false; }
  TargetState State() override { return state; }
  std::uint64_t ProgramRun() override { return run; }
  std::string ProgramFile() override { return file; }
  std::string DebugDataNote() override { return ""; }
  std::uint64_t Stops() override { return stops; }
  StopReason LastStop() override { return reason; }
  void Continue() override { commands.push_back("continue"); }
  void Pause() override { commands.push_back("pause"); }
  void StepInto() override { commands.push_back("into"); }
  void StepOver() override { commands.push_back("over"); }
  void StepOut() override { commands.push_back("out"); }
  void Restart() override { commands.push_back("restart"); }
  std::variant<CodePlace, std::string> Resolve(const std::string& where) override {
    if (where == "main.c:3") return CodePlace{0x4010, "main.c", 4};  // moved to the next line
    if (where == "main.c:4") return CodePlace{0x4010, "main.c", 4};
    if (where == "0x4003") return CodePlace{0x4003, "", 0};
    return std::string("No routine, line or address " + where);
  }
  void SetBreakpoints(const std::vector<CodePlace>& places) override { breakpoints = places; }
  RegisterValues Registers() override { return registers; }
  CodePlace PlaceOf(std::uint16_t address) override {
    return address >= 0x4010 ? CodePlace{address, "main.c", 4} : CodePlace{address, "", 0};
  }
  std::vector<Frame> CallStack() override { return frames; }
  std::vector<Variable> Locals(std::size_t frame) override { return locals[frame]; }
  std::vector<Variable> Globals() override { return {{"ticks", std::to_string(ticks), true}}; }
  std::string SetVariable(bool global, std::size_t, const std::string& name,
                          const std::string& value) override {
    if (!global || name != "ticks") return "cannot";
    ticks = std::stoi(value);
    return "";
  }
  std::string SetRegister(const std::string&, const std::string&) override { return "cannot"; }
  std::vector<std::uint8_t> ReadMemory(MemorySpace, std::uint16_t address,
                                       std::size_t count) override {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(address + i);
    return bytes;
  }
  std::vector<std::string> SourceLines(const std::string& name) override {
    if (name != "main.c") return {};
    return {"#include <8052.h>", "void main(void) {", "  unsigned char n;", "  n = 5;", "}"};
  }
  std::vector<Instruction> Disassembly(std::uint16_t address, int) override {
    return {{0x4000, "mov sp,#0x07"}, {0x4003, "ljmp 0x4010"}, {address, "sjmp 0x4005"}};
  }

  bool attached = false;
  TargetState state = TargetState::Running;
  std::uint64_t run = 1, stops = 0;
  std::string file = "a.hex";
  StopReason reason = StopReason::Pause;
  RegisterValues registers{0x3C, 0, 0, 7, 0, 0x4005, {}};
  std::vector<Frame> frames;
  std::map<std::size_t, std::vector<Variable>> locals;
  int ticks = 0;
  std::vector<std::string> commands;
  std::vector<CodePlace> breakpoints;
};

class RecordingView : public DebuggerView {
 public:
  void ShowPane(DebuggerPane pane, const std::vector<PaneRow>& shown, int f) override {
    rows[pane] = shown;
    focus[pane] = f;
  }
  void ShowStatus(const std::string& text) override { status = text; }
  void EnableCommand(DebugCommand command, bool on) override { enabled[command] = on; }
  void ShowNote(const std::string& text) override { note = text; }

  std::vector<std::string> Texts(DebuggerPane pane) {
    std::vector<std::string> texts;
    for (const PaneRow& row : rows[pane]) texts.push_back(row.text);
    return texts;
  }
  std::vector<std::string> Changed(DebuggerPane pane) {
    std::vector<std::string> texts;
    for (const PaneRow& row : rows[pane]) {
      if (row.changed) texts.push_back(row.text);
    }
    return texts;
  }
  std::map<DebuggerPane, std::vector<PaneRow>> rows;
  std::map<DebuggerPane, int> focus;
  std::map<DebugCommand, bool> enabled;
  std::string status, note;
};

class DebuggerModelTest : public ::testing::Test {
 protected:
  void StopAt(std::uint16_t pc, StopReason why) {
    target.state = TargetState::Stopped;
    target.registers.pc = pc;
    target.reason = why;
    ++target.stops;
    model.Poll();
  }
  std::vector<DebugCommand> EnabledCommands() {
    std::vector<DebugCommand> on;
    for (const auto& [command, enabled] : view.enabled) {
      if (enabled) on.push_back(command);
    }
    return on;
  }

  StandInTarget target;
  RecordingView view;
  bool busy = false;
  DebuggerModel model{target, view, [this] { return busy; }};
};

using enum DebugCommand;

TEST_F(DebuggerModelTest, GreysWhatMakesNoSenseInTheStateAndEverythingWhileThePortIsBusy) {
  model.Open();
  EXPECT_TRUE(target.attached);
  EXPECT_EQ(view.status, "running");
  EXPECT_EQ(EnabledCommands(), (std::vector{Pause, Restart}));
  StopAt(0x4000, StopReason::Entry);
  EXPECT_EQ(view.status, "stopped at 0x4000: entry");
  EXPECT_EQ(EnabledCommands(), (std::vector{Continue, StepInto, StepOver, StepOut, Restart}));
  model.Run(Pause);  // greyed: nothing reaches the target
  EXPECT_TRUE(target.commands.empty());
  model.Run(StepOver);
  EXPECT_EQ(target.commands, std::vector<std::string>{"over"});

  busy = true;  // a download or a test uses the port
  model.Poll();
  EXPECT_TRUE(EnabledCommands().empty());
  model.Run(Continue);
  EXPECT_EQ(target.commands.size(), 1u);
  busy = false;
  target.state = TargetState::NoProgram;
  model.Poll();
  EXPECT_TRUE(EnabledCommands().empty());
  model.Close();
  EXPECT_FALSE(target.attached);
}

TEST_F(DebuggerModelTest, PanesShowTheStopOneLinePerRowAndMarkWhatChanged) {
  target.frames = {{"delay", {0x4012, "main.c", 4}}, {"main", {0x4030, "main.c", 9}}};
  target.locals[0] = {{"n", "5", true}};
  target.locals[1] = {{"i", "2", true}};
  model.Open();
  StopAt(0x4012, StopReason::Breakpoint);
  EXPECT_EQ(view.status, "stopped at main.c:4 (0x4012): breakpoint");
  const std::vector<std::string> registers = view.Texts(DebuggerPane::Registers);
  EXPECT_EQ(std::vector(registers.begin(), registers.begin() + 7),
            (std::vector<std::string>{"A 3C", "B 00", "PSW 00", "SP 07", "DPTR 0000", "PC 4012",
                                      "R0 00"}));
  EXPECT_EQ(view.Texts(DebuggerPane::CallStack),
            (std::vector<std::string>{"delay main.c:4", "main main.c:9"}));
  EXPECT_EQ(view.Texts(DebuggerPane::Locals), std::vector<std::string>{"n = 5"});
  EXPECT_EQ(view.Texts(DebuggerPane::Globals), std::vector<std::string>{"ticks = 0"});
  EXPECT_EQ(view.Texts(DebuggerPane::Source)[3], " >   4    n = 5;");
  EXPECT_EQ(view.focus[DebuggerPane::Source], 3);
  EXPECT_TRUE(view.Changed(DebuggerPane::Registers).empty());  // nothing to compare with yet

  target.registers.a = 0x3D;
  target.ticks = 1;
  StopAt(0x4012, StopReason::Step);
  EXPECT_EQ(view.Changed(DebuggerPane::Registers), std::vector<std::string>{"A 3D"});
  EXPECT_EQ(view.Changed(DebuggerPane::Globals), std::vector<std::string>{"ticks = 1"});
  model.SelectFrame(1);  // the caller's locals, and its line
  EXPECT_EQ(view.Texts(DebuggerPane::Locals), std::vector<std::string>{"i = 2"});

  model.SetValue(DebuggerPane::Globals, 0, "42");
  EXPECT_EQ(view.Texts(DebuggerPane::Globals), std::vector<std::string>{"ticks = 42"});
  model.ShowMemory(MemorySpace::Xdata, "0x8000");
  EXPECT_EQ(view.Texts(DebuggerPane::Memory)[1],
            "8010  10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F");
  model.ShowMemory(MemorySpace::Iram, "0x100");
  EXPECT_EQ(view.note, "Internal RAM ends at 0xFF");

  // Without a source line, the disassembly around PC.
  StopAt(0x4005, StopReason::Pause);
  EXPECT_EQ(view.Texts(DebuggerPane::Source),
            (std::vector<std::string>{"  4000  mov sp,#0x07", "  4003  ljmp 0x4010",
                                      " >4005  sjmp 0x4005"}));
  // Running: nothing stands still to show, and no line is the current one.
  target.state = TargetState::Running;
  model.Poll();
  EXPECT_TRUE(view.rows[DebuggerPane::Registers].empty());
  EXPECT_EQ(view.Texts(DebuggerPane::Source)[2], "  4005  sjmp 0x4005");
}

TEST_F(DebuggerModelTest, BreakpointsToggleByEntryOrRowAndStayForTheSameFile) {
  model.Open();
  StopAt(0x4010, StopReason::Entry);
  model.ToggleBreakpoint("main.c:3");
  EXPECT_EQ(view.note, "Breakpoint set at main.c:4 (0x4010)");
  ASSERT_EQ(target.breakpoints.size(), 1u);
  EXPECT_EQ(view.Texts(DebuggerPane::Source)[3], "*>   4    n = 5;");
  model.ToggleBreakpointAtRow(3);  // the same line, cleared
  EXPECT_TRUE(target.breakpoints.empty());
  model.ToggleBreakpoint("nowhere");
  EXPECT_EQ(view.note, "No routine, line or address nowhere");

  model.ToggleBreakpoint("0x4003");
  model.ToggleBreakpoint("main.c:4");
  model.Close();  // closing keeps them for the next opening
  model.Open();
  EXPECT_EQ(target.breakpoints.size(), 2u);
  ++target.run;  // the same file downloaded again
  model.Poll();
  EXPECT_EQ(target.breakpoints.size(), 2u);
  ++target.run;
  target.file = "other.hex";
  model.Poll();
  EXPECT_TRUE(target.breakpoints.empty());
}

// ---- through the engine, on the in-process board and the virtual clock

// The board in real time on the virtual clock with a program of the debugger's tests downloaded
// as the monitor starts it (its first byte written again by a byte transfer).
struct DownloadedBoard {
  explicit DownloadedBoard(const std::string& path) : hex(path) {
    download::HexFile file;
    file.Assign(hex);
    EXPECT_TRUE(file.Open()) << hex;
    download::MemoryImage image;
    download::HexLoader loader(image, file);
    EXPECT_EQ(loader.LoadHexFile(), download::LoadOk);
    device = test_support::StartOnBoard(board, image.bytes);
    board->SetRealTime(true);
  }
  // Board time passes, as the pacing thread runs the program in it.
  void Pass(sim::Micros time) {
    clock->Advance(time);
    board->CatchUp();
  }

  std::string hex;
  std::shared_ptr<sim::VirtualClock> clock = std::make_shared<sim::VirtualClock>();
  std::shared_ptr<sim::VirtualBoard> board =
      std::make_shared<sim::VirtualBoard>(sim::BoardConfig{}, clock);
  std::unique_ptr<serial::ComDevice> device;
};

TEST(DebuggerOnTheBoard, PauseBreakpointRestartLocalsStepAndTheNextHit) {
  DownloadedBoard downloaded(std::string(ORVANE_BINARY_DIR) + "/debug-programs/debugged.hex");
  BoardDebugTarget target(
      downloaded.board, [&] { return std::filesystem::path(downloaded.hex); }, nullptr);
  RecordingView view;
  DebuggerModel model(target, view, [] { return false; });
  model.Open();
  const auto after = [&](DebugCommand command) {
    model.Run(command);
    downloaded.Pass(sim::Ms(20));
    model.Poll();
    return view.status;
  };
  downloaded.Pass(sim::Ms(20));
  model.Poll();
  EXPECT_EQ(view.status, "running");
  EXPECT_TRUE(after(DebugCommand::Pause).ends_with(": pause")) << view.status;
  EXPECT_EQ(view.Texts(DebuggerPane::Registers)[5].substr(0, 4), "PC 4");

  model.ToggleBreakpoint("debugged.c:24");
  EXPECT_EQ(view.note, "Breakpoint set at debugged.c:24 (0x4088)");
  EXPECT_EQ(after(DebugCommand::Restart), "stopped at 0x4000: entry");
  EXPECT_EQ(after(DebugCommand::Continue), "stopped at debugged.c:24 (0x4088): breakpoint");
  EXPECT_EQ(view.Texts(DebuggerPane::Locals), std::vector<std::string>{"step = 1"});
  EXPECT_EQ(view.Texts(DebuggerPane::Globals), std::vector<std::string>{"total = 1"});
  const auto& source = view.rows[DebuggerPane::Source];
  const auto current =
      std::find_if(source.begin(), source.end(), [](const PaneRow& row) { return row.current; });
  ASSERT_NE(current, source.end());
  EXPECT_EQ(current->text, "*>  24      P1 = step;");

  EXPECT_TRUE(after(DebugCommand::StepOver).starts_with("stopped at debugged.c:25 ("))
      << view.status;
  EXPECT_EQ(after(DebugCommand::Continue), "stopped at debugged.c:24 (0x4088): breakpoint");
  EXPECT_EQ(view.Changed(DebuggerPane::Locals), std::vector<std::string>{"step = 2"});
  EXPECT_EQ(view.Texts(DebuggerPane::Globals), std::vector<std::string>{"total = 3"});
  model.ShowMemory(MemorySpace::Iram, "0");  // bank 0: step in R7
  const std::string row = view.Texts(DebuggerPane::Memory)[0];
  EXPECT_EQ(row.substr(0, 4) + row.substr(4 + 7 * 3, 2), "00  02") << row;
  model.SetValue(DebuggerPane::Globals, 0, "1000");
  EXPECT_EQ(view.Texts(DebuggerPane::Globals), std::vector<std::string>{"total = 1000"});
  model.SetValue(DebuggerPane::Globals, 0, "70000");  // an unsigned int's range ends before
  EXPECT_FALSE(view.note.empty());
  EXPECT_EQ(view.Texts(DebuggerPane::Globals), std::vector<std::string>{"total = 1000"});
  // Registers take hexadecimal as they show; step lives in R7, so the local follows.
  const auto rowOf = [&](const std::string& name) {
    const std::vector<std::string> rows = view.Texts(DebuggerPane::Registers);
    return static_cast<int>(
        std::find_if(rows.begin(), rows.end(),
                     [&](const std::string& row) { return row.starts_with(name + " "); }) -
        rows.begin());
  };
  model.SetValue(DebuggerPane::Registers, rowOf("R7"), "1A");
  EXPECT_EQ(view.Texts(DebuggerPane::Locals), std::vector<std::string>{"step = 26"});
  model.SetValue(DebuggerPane::Registers, rowOf("CY"), "1");
  EXPECT_EQ(view.Texts(DebuggerPane::Registers)[static_cast<std::size_t>(rowOf("CY"))], "CY 1");
  EXPECT_EQ(view.Texts(DebuggerPane::Registers)[2].substr(0, 5), "PSW 8");
  model.SetValue(DebuggerPane::Registers, rowOf("SP"), "100");  // more than a byte holds
  EXPECT_FALSE(view.note.empty());

  model.Close();  // the program runs on
  const std::uint64_t cycles = downloaded.board->Snapshot().cycles;
  downloaded.Pass(sim::Ms(10));
  EXPECT_GT(downloaded.board->Snapshot().cycles, cycles);
}

TEST(DebuggerOnTheBoard, WithoutDebugDataTheInstructionsAroundPc) {
  test_support::TempFolder folder;
  const std::filesystem::path hex = folder.Path() / "bare.hex";
  std::filesystem::copy_file(std::string(ORVANE_BINARY_DIR) + "/debug-programs/debugged.hex", hex);
  DownloadedBoard downloaded(hex.string());
  BoardDebugTarget target(
      downloaded.board, [&] { return hex; }, nullptr);
  RecordingView view;
  DebuggerModel model(target, view, [] { return false; });
  model.Open();
  downloaded.Pass(sim::Ms(20));
  model.Poll();
  EXPECT_EQ(view.note, "No debug data beside bare.hex: instructions only");
  model.Run(DebugCommand::Pause);
  downloaded.Pass(sim::Ms(20));
  model.Poll();
  const std::string pc = view.Texts(DebuggerPane::Registers)[5].substr(3);
  EXPECT_EQ(view.status, "stopped at 0x" + pc + ": pause");
  const auto& rows = view.rows[DebuggerPane::Source];
  const auto current =
      std::find_if(rows.begin(), rows.end(), [](const PaneRow& row) { return row.current; });
  ASSERT_NE(current, rows.end());
  EXPECT_EQ(current->text.substr(0, 6), " >" + pc) << current->text;
  EXPECT_GT(current - rows.begin(), 0);  // some instructions before it
  model.Run(DebugCommand::StepInto);     // one instruction
  downloaded.Pass(sim::Ms(20));
  model.Poll();
  EXPECT_TRUE(view.status.ends_with(": step")) << view.status;
  EXPECT_NE(view.Texts(DebuggerPane::Registers)[5].substr(3), pc);
}

}  // namespace
}  // namespace orvane::app
