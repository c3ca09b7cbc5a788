// The debugger's engine, debug data and disassembler on real SDCC output built by this build
// (tests/sim/programs/debug): expected values are what the C code computes.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <set>

#include "sim/debug/debug_engine.h"
#include "sim/debug/debug_runner.h"
#include "sim/debug/disassembler.h"
#include "sim/debug/inspector.h"
#include "support/debug_program.h"

namespace orvane::sim::debug {
namespace {

using test_support::DebugProgram;
using test_support::LoadDebugProgram;

class DebugSession : public ::testing::Test {
 protected:
  void Open(const std::string& name, const std::string& extension) {
    program = LoadDebugProgram(name, extension);
    file = name + extension;
    board.LoadProgram(program.image);
    board.OnSerialSent([this](std::uint8_t byte, std::uint64_t) { output += char(byte); });
    engine = std::make_unique<DebugEngine>(board, program.data, 57600);
    engine->OnStopped([this](const StopEvent& event) { stops.push_back(event); });
    engine->Restart(true);
  }
  void SetUp() override { Open("stepping", ".c"); }

  // Gives the command, then runs until the engine stops (at most two seconds of board time).
  StopEvent Resume(const std::function<void(DebugEngine&)>& command) {
    stops.clear();
    command(*engine);
    for (int slice = 0; slice < 200 && !engine->Holding(); ++slice) {
      engine->Run(board.Cpu().Cycles() + 10000);
    }
    EXPECT_FALSE(stops.empty()) << "no stop";
    return stops.empty() ? StopEvent{StopReason::Ended, 0, {}, "none"} : stops.back();
  }
  StopEvent Continue() {
    return Resume([](DebugEngine& e) { e.Continue(); });
  }
  int Line() {
    const auto line = engine->LineAt(board.Cpu().Pc());
    return line ? line->line : 0;
  }
  std::string Routine() {
    const auto frames = engine->CallStack();
    return frames.empty() ? "" : frames[0].name;
  }
  std::string Value(const std::string& expression) {
    auto value = engine->Values().Evaluate(expression);
    if (auto* error = std::get_if<std::string>(&value)) return "error: " + *error;
    return std::get<sim::debug::Value>(value).value;
  }
  std::vector<std::uint16_t> BreakAt(const std::string& text, const std::string& condition = "",
                                     const std::string& hits = "") {
    const auto resolved = engine->Data().Resolve(file, program.LineOf(text));
    EXPECT_TRUE(resolved) << text;
    if (!resolved) return {};
    const auto states =
        engine->SetBreakpoints(file, false, {{resolved->addresses, condition, hits}});
    EXPECT_TRUE(states.at(0).verified) << states.at(0).message;
    return resolved->addresses;
  }

  BoardModel board;
  DebugProgram program;
  std::string file;
  std::string output;
  std::unique_ptr<DebugEngine> engine;
  std::vector<StopEvent> stops;
};

TEST_F(DebugSession, StartsHeldAtTheEntry) {
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0].reason, StopReason::Entry);
  EXPECT_EQ(stops[0].pc, kProgramStart);
}

TEST_F(DebugSession, LineBreakpointsMoveToTheNextLineWithCode) {
  struct Case {
    const char* near;
    int below;    // the line asked: this many below the one holding `near`
    int movedBy;  // the line with code: this many below the one asked
  } cases[] = {{"unsigned char i;", 0, 1},
               {"TMOD = (TMOD", 0, 0},
               {"for (;;) {", 0, 2},
               {"while (!TI)", 1, 1}};
  for (const Case& c : cases) {
    const int line = program.LineOf(c.near) + c.below;
    const auto resolved = engine->Data().Resolve("/any/folder/stepping.c", line);
    ASSERT_TRUE(resolved) << c.near;
    EXPECT_EQ(resolved->line, line + c.movedBy) << c.near;
    EXPECT_FALSE(resolved->addresses.empty());
  }
  // A `for` line has its test at a second address.
  EXPECT_EQ(engine->Data().AddressesOf("stepping.c", program.LineOf("for (i = 0;")).size(), 2u);
}

TEST_F(DebugSession, BreakpointStopsWithTheLocalsOfEachPass) {
  BreakAt("acc = add(acc, table[i]);");
  for (const char* i : {"0", "1", "2"}) {
    const StopEvent stop = Continue();
    EXPECT_EQ(stop.reason, StopReason::Breakpoint);
    EXPECT_EQ(Line(), program.LineOf("acc = add(acc, table[i]);"));
    EXPECT_EQ(Value("i"), i);
  }
  EXPECT_EQ(Value("acc"), "3");  // 1 + 2
  const auto locals = engine->Values().Locals(0);
  ASSERT_EQ(locals.size(), 2u);
  EXPECT_EQ(locals[0].name + "=" + locals[0].value, "i=2");
  EXPECT_EQ(locals[1].type, "unsigned int");
}

TEST_F(DebugSession, StackVariablesOfEachFrameThroughTheFramePointer) {
  Open("reentrant", ".c");
  // At the routine's first instruction its frame pointer is still the caller's: no value.
  BreakAt("int depth(int n, int k) {");
  ASSERT_EQ(Continue().reason, StopReason::Breakpoint);
  EXPECT_TRUE(Value("k").starts_with("error: ")) << Value("k");
  Resume([](DebugEngine& e) { e.Restart(true); });
  BreakAt("return here;  // deepest");
  ASSERT_EQ(Continue().reason, StopReason::Breakpoint);
  // depth(3, 7) calls depth(2, 8), depth(1, 9), depth(0, 10): k is on the stack in each.
  for (std::size_t frame = 0; frame < 4; ++frame) {
    const auto locals = engine->Values().Locals(frame);
    const auto k = std::find_if(locals.begin(), locals.end(),
                                [](const sim::debug::Value& v) { return v.name == "k"; });
    ASSERT_NE(k, locals.end()) << frame;
    EXPECT_EQ(k->value, std::to_string(10 - frame)) << frame;
  }
}

TEST_F(DebugSession, ConditionsAndHitCountsChooseThePass) {
  struct Case {
    const char* condition;
    const char* hits;
    const char* i;
    const char* acc;
  } cases[] = {{"i == 2", "", "2", "3"},
               {"", "3", "2", "3"},
               {"i >= 1 && acc > 2", "", "2", "3"},
               {"i == 9 || acc == 6", "", "3", "6"},
               {"", "% 2", "1", "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.condition) + c.hits);
    Resume([](DebugEngine& e) { e.Restart(true); });
    BreakAt("acc = add(acc, table[i]);", c.condition, c.hits);
    EXPECT_EQ(Continue().reason, StopReason::Breakpoint);
    EXPECT_EQ(Value("i"), c.i);
    EXPECT_EQ(Value("acc"), c.acc);
  }
  const auto bad = engine->SetBreakpoints(file, false, {{{0x4100}, "i ===", ""}});
  EXPECT_FALSE(bad[0].verified);
}

TEST_F(DebugSession, DataBreakpointsStopAfterTheAccess) {
  const auto address = [&](const char* name) {
    return *engine->Data().FindSymbol(name, nullptr)->address;
  };
  engine->SetDataBreakpoints(
      {{{MemorySpace::Xdata, address("xcount")}, 1, DataAccess::Write, "", ""}});
  // The start-up code clears external RAM first: that is a write too.
  EXPECT_EQ(Continue().reason, StopReason::DataBreakpoint);
  EXPECT_EQ(Value("xcount"), "0");
  const StopEvent stop = Continue();
  EXPECT_EQ(stop.reason, StopReason::DataBreakpoint);
  EXPECT_EQ(stop.text, "write to xdata:0x8000");
  EXPECT_EQ(Value("xcount"), "1");
  EXPECT_EQ(Routine(), "main");

  engine->SetDataBreakpoints(
      {{{MemorySpace::Iram, address("total")}, 2, DataAccess::Write, "", ""}});
  EXPECT_EQ(Continue().reason, StopReason::DataBreakpoint);
  EXPECT_EQ(Value("total"), "10");

  Resume([](DebugEngine& e) { e.Restart(true); });
  engine->SetDataBreakpoints(
      {{{MemorySpace::Iram, address("table") + 3}, 1, DataAccess::Read, "", ""}});
  EXPECT_EQ(Continue().reason, StopReason::DataBreakpoint);
  EXPECT_EQ(Value("i"), "3");
}

TEST_F(DebugSession, LineStepsGoIntoOverAndOutOfCalls) {
  BreakAt("acc = add(acc, table[i]);");
  Continue();
  engine->SetBreakpoints(file, false, {});
  const auto step = [&](void (DebugEngine::*how)(Granularity)) {
    EXPECT_EQ(Resume([&](DebugEngine& e) { (e.*how)(Granularity::Line); }).reason,
              StopReason::Step);
    return Line();
  };
  EXPECT_EQ(step(&DebugEngine::StepIn), program.LineOf("unsigned int add("));
  EXPECT_EQ(Routine(), "add");
  const auto frames = engine->CallStack();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].name, "main");
  EXPECT_EQ(frames[1].line->line, program.LineOf("acc = add(acc, table[i]);"));
  // add's locals are overlaid: no type, only b's address, so its bytes are shown raw. main's
  // are in registers, which add may have changed.
  const auto locals = engine->Values().Locals(0);
  ASSERT_EQ(locals.size(), 1u);
  EXPECT_EQ(locals[0].name + " " + locals[0].value, "b raw byte 0x01");  // table[0]
  EXPECT_EQ(engine->Values().Locals(1).at(0).value.substr(0, 13), "not available");
  EXPECT_EQ(step(&DebugEngine::Next), program.LineOf("sum = a + b;"));
  EXPECT_EQ(step(&DebugEngine::StepOut), program.LineOf("acc = add(acc, table[i]);"));
  EXPECT_EQ(Routine(), "main");
  EXPECT_EQ(step(&DebugEngine::Next), program.LineOf("xcount++;"));
  EXPECT_EQ(step(&DebugEngine::Next), program.LineOf("for (i = 0;"));
  EXPECT_EQ(step(&DebugEngine::Next), program.LineOf("acc = add(acc, table[i]);"));
  EXPECT_EQ(step(&DebugEngine::Next), program.LineOf("xcount++;"));  // over the call
  EXPECT_EQ(Value("acc"), "3");
}

TEST_F(DebugSession, InstructionStepsGoIntoAndOverACall) {
  const std::uint16_t line = BreakAt("acc = add(acc, table[i]);")[0];
  Continue();
  std::uint16_t call = line;
  while (!Disassemble(board.Cpu().Code(), call).isCall) {
    call = static_cast<std::uint16_t>(call + Disassemble(board.Cpu().Code(), call).length);
  }
  EXPECT_EQ(Resume([&](DebugEngine& e) { e.RunTo(call); }).reason, StopReason::Step);
  EXPECT_EQ(board.Cpu().Pc(), call);
  const std::uint8_t sp = board.Cpu().Sfr(sfr::SP);
  Resume([](DebugEngine& e) { e.StepIn(Granularity::Instruction); });
  EXPECT_EQ(Routine(), "add");
  EXPECT_EQ(board.Cpu().Pc(), engine->Data().FindRoutine("add")->start);
  Resume([](DebugEngine& e) { e.StepOut(Granularity::Instruction); });
  EXPECT_EQ(board.Cpu().Pc(), call + 3);
  EXPECT_EQ(board.Cpu().Sfr(sfr::SP), sp);
  engine->SetBreakpoints(file, false, {});
  Resume([&](DebugEngine& e) { e.RunTo(call); });  // the next pass
  Resume([](DebugEngine& e) { e.Next(Granularity::Instruction); });
  EXPECT_EQ(board.Cpu().Pc(), call + 3);
  EXPECT_EQ(Value("i"), "1");
}

TEST_F(DebugSession, StepOutOfAnInterruptRoutineReturnsToTheInterruptedCode) {
  BreakAt("ticks++;");
  EXPECT_EQ(Continue().reason, StopReason::Breakpoint);
  const auto frames = engine->CallStack();
  ASSERT_GE(frames.size(), 2u);
  EXPECT_EQ(frames[0].name, "timer0_isr");
  EXPECT_TRUE(frames[0].isInterrupt);
  EXPECT_NE(frames[1].routine, nullptr);
  engine->SetBreakpoints(file, false, {});
  Resume([](DebugEngine& e) { e.StepOut(Granularity::Line); });
  EXPECT_EQ(board.Cpu().Pc(), frames[1].pc);
  EXPECT_EQ(board.Cpu().InService(), 0);
}

TEST_F(DebugSession, GlobalsShowWhatTheProgramComputed) {
  BreakAt("putchar('k');");
  Continue();
  engine->SetBreakpoints(file, false, {});
  struct Case {
    const char* expression;
    const char* value;
  } cases[] = {{"total", "10"},
               {"big", "-100000"},
               {"neg", "-5"},
               {"letter", "65 'A'"},
               {"table[2]", "3"},
               {"table", "{1, 2, 3, 4}"},
               {"where.x", "-3"},
               {"where.y", "7"},
               {"xcount", "4"},
               {"xdata[0x8000]", "4"},
               {"counted", "5"},
               {"flag", "error: no variable \"flag\" here"},
               {"xp", "0x8000"},
               {"xp->nothing", "error: not a struct"},
               {"nothing", "error: no variable \"nothing\" here"}};
  for (const Case& c : cases) EXPECT_EQ(Value(c.expression), c.value) << c.expression;
  struct Condition {
    const char* text;
    bool holds;
  } conditions[] = {{"total == 10 && neg < 0", true},
                    {"total != 10 || letter == 'B'", false},
                    {"where.y >= 7", true},
                    {"xdata[0x8000] <= 3", false}};
  for (const Condition& c : conditions) {
    const auto holds = engine->Values().Condition(c.text);
    ASSERT_TRUE(std::holds_alternative<bool>(holds)) << c.text;
    EXPECT_EQ(std::get<bool>(holds), c.holds) << c.text;
  }
  // What was sent goes out in full while it runs on; a pause then stops it.
  engine->Continue();
  engine->Run(board.Cpu().Cycles() + 20000);
  EXPECT_EQ(Resume([](DebugEngine& e) { e.Pause(); }).reason, StopReason::Pause);
  EXPECT_EQ(output, "ok");
}

TEST_F(DebugSession, ValuesAreSetWithinTheirTypesRange) {
  BreakAt("total = acc;");
  Continue();
  struct Case {
    const char* expression;
    const char* text;
    const char* after;  // the value read back, or empty when refused
  } cases[] = {{"total", "1234", "1234"},   {"total", "70000", ""},
               {"neg", "-129", ""},         {"neg", "-128", "-128"},
               {"letter", "'Z'", "90 'Z'"}, {"table[1]", "0x20", "32 ' '"},
               {"R7", "0x42", "0x42"},      {"acc", "7", "7"}};
  for (const Case& c : cases) {
    auto evaluated = engine->Values().Evaluate(c.expression);
    ASSERT_TRUE(std::holds_alternative<sim::debug::Value>(evaluated)) << c.expression;
    auto value = std::get<sim::debug::Value>(evaluated);
    const auto error = engine->Values().SetValue(value, c.text);
    EXPECT_EQ(!error, *c.after != 0) << c.expression << " " << c.text;
    if (!error) {
      EXPECT_EQ(Value(c.expression), c.after);
    }
  }
  // The value set is the one the program goes on with.
  Resume([](DebugEngine& e) { e.Next(Granularity::Line); });
  EXPECT_EQ(Value("total"), "7");
}

TEST_F(DebugSession, RegistersAndMemoryWhileStopped) {
  const auto registers = engine->Values().Registers();
  std::string names;
  for (const auto& r : registers) names += r.name + " ";
  EXPECT_EQ(names, "A B PSW SP DPTR PC R0 R1 R2 R3 R4 R5 R6 R7 ");
  EXPECT_EQ(registers[5].value, "0x4000");
  EXPECT_EQ(registers[2].children.front().name, "CY");
  EXPECT_EQ(engine->Write({MemorySpace::Xdata, 0x8000}, {9, 8}), 2u);
  EXPECT_EQ(Value("xcount"), "9");
  EXPECT_EQ(engine->Read({MemorySpace::Xdata, 0xFFFF}, 4).size(), 1u);  // up to the end only
  EXPECT_EQ(engine->Read({MemorySpace::Code, 0x4000}, 1)[0], 0x02);     // the LJMP to start-up
}

TEST(MemoryReferenceText, ReadsBackWhatItWrites) {
  struct Case {
    const char* text;
    bool valid;
  } cases[] = {{"xdata:0x8000", true}, {"iram:0x30", true},    {"code:0x4000", true},
               {"sfr:0x90", true},     {"sfr:0x10", false},    {"iram:0x100", false},
               {"xdata:", false},      {"eeprom:0x10", false}, {"code:0x10000", false}};
  for (const Case& c : cases) {
    const auto parsed = MemoryReference::Parse(c.text);
    EXPECT_EQ(parsed.has_value(), c.valid) << c.text;
    if (parsed) {
      EXPECT_EQ(parsed->Text(), c.text);
    }
  }
}

TEST(DebugDataRecords, OddAndBrokenRecordsNeverGiveAWrongAnswer) {
  std::vector<std::string> skipped;
  const DebugData data = DebugData::Parse(
      "M:m\n"
      "S:G$old$0$0({2}SI:S),E,0,0\nL:G$old$0$0:30\n"
      "S:G$gp$0_0$0({3}DG,SC:U),E,0,0\nL:G$gp$0_0$0:31\n"
      "S:Lm.f$gone$1_0$1({1}SC:U),R,0,0,[]\n"
      "L:C$a.c$5$1_0$1:4010\nL:C$a.c$3$1_0$1:4000\nL:C$a.c$5$1_0$1:4020\n"
      "L:C$x.c$abc$1:ZZ\nS:G$\nT:Fm$s[({0}S:S$a$0_0$0({2}SI:S),Z,0,0\nF:G$f$0_0$0({2}DF\n"
      "L:G$big$0$0:123456\n\x01\xff garbage\n",
      &skipped);
  EXPECT_EQ(skipped.size(), 6u);
  const Symbol* old = data.FindSymbol("old", nullptr);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(*old->address, 0x30u);
  EXPECT_EQ(old->type->Text(), "int");
  EXPECT_EQ(data.FindSymbol("gp", nullptr)->type->Text(), "unsigned char *");
  EXPECT_EQ(data.FindSymbol("gone", nullptr), nullptr);
  EXPECT_EQ(data.AddressesOf("a.c", 5), (std::vector<std::uint16_t>{0x4010, 0x4020}));
  EXPECT_EQ(data.Resolve("src/a.c", 4)->line, 5);
  EXPECT_EQ(data.LineAt(0x4005)->line, 3);
}

TEST(DebugDataSources, AreFoundInTheSourceFoldersThenBesideTheDebugData) {
  const std::filesystem::path sources =
      std::string(ORVANE_SOURCE_DIR) + "/tests/sim/programs/debug";
  const std::filesystem::path nowhere = "/nonexistent";
  const auto found = [&](const SourceLine& line, const std::vector<std::filesystem::path>& dirs,
                         const std::filesystem::path& beside, const char* name) {
    const auto path = FindSource(line, dirs, beside);
    return path && path->is_absolute() && std::filesystem::equivalent(*path, sources / name);
  };
  EXPECT_TRUE(found({"stepping.c", 1, false}, {nowhere, sources}, nowhere, "stepping.c"));
  EXPECT_TRUE(found({"opcodes", 1, true}, {}, sources, "opcodes.asm"));
  EXPECT_FALSE(FindSource({"missing.c", 1, false}, {sources}, nowhere));
}

TEST(Disassembler, WritesEveryOpcodeAsTheAssemblersListingDoes) {
  const DebugProgram program = LoadDebugProgram("opcodes", ".asm");
  std::ifstream listing(test_support::DebugProgramFile("opcodes.rst"));
  ASSERT_TRUE(listing);
  // "      004100 00               [12]   20 \tnop", and labels: "      004022      35 row1:"
  const std::regex instruction(
      R"(^\s+([0-9A-F]{6})((?: [0-9A-F]{2})+)\s+(?:\[\d+\]\s+)?\d+\s+(.*)$)");
  const std::regex label(R"(^\s+([0-9A-F]{6})\s+\d+ (\w+):\s*$)");
  std::map<std::string, std::string> labels;
  std::vector<std::tuple<std::uint16_t, std::string, std::string>> lines;
  std::string text;
  while (std::getline(listing, text)) {
    std::smatch m;
    if (std::regex_match(text, m, label)) {
      char address[8];
      std::snprintf(address, sizeof address, "0x%04X", std::stoi(m[1], nullptr, 16) & 0xFFFF);
      labels[m[2]] = address;
    } else if (std::regex_match(text, m, instruction)) {
      lines.emplace_back(std::stoi(m[1], nullptr, 16), m[2], m[3]);
    }
  }
  std::array<std::uint8_t, 0x10000> code{};
  std::copy(program.image.begin(), program.image.end(), code.begin() + kProgramStart);
  std::set<std::uint8_t> opcodes;
  for (auto [address, bytes, source] : lines) {
    source = std::regex_replace(source, std::regex(R"(\s+)"), " ");
    source = std::regex_replace(source, std::regex(R"(^\s+|\s+$)"), "");
    source = std::regex_replace(source, std::regex(R"( (\S+,))"), " $1");
    for (const auto& [name, value] : labels) {
      source = std::regex_replace(source, std::regex("\\b" + name + "\\b"), value);
    }
    const Instruction in = Disassemble(code, address);
    EXPECT_EQ(in.text, source) << std::hex << address;
    EXPECT_EQ(in.length * 3, static_cast<int>(bytes.size())) << source;
    opcodes.insert(code[address]);
  }
  EXPECT_EQ(opcodes.size(), 256u);
}

TEST_F(DebugSession, AssemblyLinesStepLikeCLines) {
  Open("opcodes", ".asm");
  BreakAt("acall twice");
  EXPECT_EQ(Continue().reason, StopReason::Breakpoint);
  EXPECT_EQ(Line(), program.LineOf("acall twice"));
  Resume([](DebugEngine& e) { e.StepIn(Granularity::Line); });
  EXPECT_EQ(Line(), program.LineOf("add a,#0x02"));
  EXPECT_EQ(engine->CallStack().size(), 2u);
  Resume([](DebugEngine& e) { e.StepOut(Granularity::Line); });
  EXPECT_EQ(Line(), program.LineOf("djnz r7,loop"));
  engine->SetBreakpoints(file, false, {});
  EXPECT_EQ(Continue().reason, StopReason::Ended);
  EXPECT_EQ(board.Cpu().Iram(0x30), 6);  // three calls adding 2
}

TEST(DebugRunner, RunsOnItsOwnThreadUntilABreakpointOrAPause) {
  const DebugProgram program = LoadDebugProgram("stepping", ".c");
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<StopEvent> stops;
  std::string output;
  DebugRunner::Callbacks callbacks;
  callbacks.stopped = [&](const StopEvent& e) {
    std::lock_guard lock(mutex);
    stops.push_back(e);
    changed.notify_all();
  };
  callbacks.serialOutput = [&](const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex);
    output.append(bytes.begin(), bytes.end());
    changed.notify_all();
  };
  DebugRunner runner(program.image, program.data, RunSpeed{1, true}, callbacks);
  const auto line = program.data.Resolve("stepping.c", program.LineOf("putchar('k');"));
  runner.With([&](DebugEngine& e) {
    e.SetBreakpoints("stepping.c", false, {{line->addresses, "", ""}});
  });
  runner.Start(false);
  auto waitFor = [&](auto done) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), done);
  };
  ASSERT_TRUE(waitFor([&] { return !stops.empty(); }));
  EXPECT_EQ(stops[0].reason, StopReason::Breakpoint);
  runner.With([](DebugEngine& e) { e.Continue(); });
  EXPECT_TRUE(waitFor([&] { return output == "ok"; })) << output;
  const auto asked = std::chrono::steady_clock::now();
  runner.Pause();
  ASSERT_TRUE(waitFor([&] { return stops.size() == 2; }));
  EXPECT_EQ(stops[1].reason, StopReason::Pause);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
}

}  // namespace
}  // namespace orvane::sim::debug
