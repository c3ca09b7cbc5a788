// The board as the views see it: snapshots of a running program, the inputs a view drives, and
// real time on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "board/board_protocol.h"
#include "sim/board/board_model.h"
#include "sim/board/board_snapshot.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "sim/view/live_boards.h"
#include "support/started_board.h"

namespace orvane::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The LCD's and the PPI's registers written as a program writes them, each after the one before
// has finished.
struct Bus {
  BoardModel board;
  std::uint64_t cycle = 0;
  void Write(std::uint16_t address, std::uint8_t value) {
    board.WriteData(address, value, cycle);
    cycle += LcdHd44780::kLongBusy;
  }
  void Text(const char* text) {
    for (; *text; ++text) Write(kLcdBase + 1, static_cast<std::uint8_t>(*text));
  }
};

std::string Cells(const LcdSnapshot& lcd, int line) {
  const auto& cells = lcd.cells[static_cast<std::size_t>(line)];
  return std::string(cells.begin(), cells.end());
}

TEST(BoardSnapshot, PinLevelsDirectionsAndSwitches) {
  Bus bus;
  bus.Write(kPpiBase + 3, 0x83);  // A out, B in, C upper out, lower in
  bus.Write(kPpiBase + 0, 0xA5);
  bus.Write(kPpiBase + 2, 0x5F);
  bus.board.SetSwitches(1, 0x3C);
  bus.board.SetSwitches(2, 0x06);
  bus.board.Cpu().SetSfr(sfr::P1, 0xE6);
  bus.board.SetButton(1, true);

  const BoardSnapshot s = ReadBoard(bus.board);
  EXPECT_EQ(s.levels[Index(PinGroup::P1)], 0xE6);
  EXPECT_EQ(s.levels[Index(PinGroup::P3)], 0xF7);  // INT1 held low
  EXPECT_EQ(s.buttonsPressed, 2);
  EXPECT_EQ(s.levels[Index(PinGroup::PpiA)], 0xA5);
  EXPECT_EQ(s.levels[Index(PinGroup::PpiB)], 0x3C);  // the switches
  EXPECT_EQ(s.levels[Index(PinGroup::PpiC)], 0x56);  // latch above, switches below
  EXPECT_EQ(s.outputs[Index(PinGroup::PpiA)], 0xFF);
  EXPECT_EQ(s.outputs[Index(PinGroup::PpiB)], 0x00);
  EXPECT_EQ(s.outputs[Index(PinGroup::PpiC)], 0xF0);
}

TEST(BoardSnapshot, LcdWithShiftCustomCharactersAndCursor) {
  Bus bus;
  bus.Write(kLcdBase, 0x38);
  bus.Write(kLcdBase, 0x0F);  // display, cursor and blink on
  bus.Write(kLcdBase, 0x40);  // custom character 0: a frame
  for (std::uint8_t row : {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F}) {
    bus.Write(kLcdBase + 1, row);
  }
  bus.Write(kLcdBase, 0x80);
  bus.Text("Hello");
  bus.Write(kLcdBase + 1, 0x00);
  bus.Write(kLcdBase, 0xC0);
  bus.Text("line 2");
  bus.Write(kLcdBase, 0x18);  // the display one place to the left

  LcdSnapshot lcd = ReadBoard(bus.board).lcd;
  EXPECT_TRUE(lcd.displayOn && lcd.cursorOn && lcd.blinkOn);
  EXPECT_EQ(Cells(lcd, 0), "ello" + std::string(1, '\0') + std::string(11, ' '));
  EXPECT_EQ(Cells(lcd, 1), "ine 2           ");
  EXPECT_EQ(lcd.cgram[0], 0x1F);
  EXPECT_EQ(lcd.cgram[1], 0x11);
  EXPECT_EQ(lcd.cursorLine, 1);
  EXPECT_EQ(lcd.cursorColumn, 5);  // after "line 2", one place left

  bus.Write(kLcdBase, 0x08);  // display off: the cells stay for when it comes on again
  lcd = ReadBoard(bus.board).lcd;
  EXPECT_FALSE(lcd.displayOn || lcd.cursorOn || lcd.blinkOn);
  EXPECT_EQ(Cells(lcd, 1), "ine 2           ");
  bus.Write(kLcdBase, 0x1C);  // two places right: column 0 shows the end of the line's memory
  bus.Write(kLcdBase, 0x1C);
  lcd = ReadBoard(bus.board).lcd;
  EXPECT_EQ(Cells(lcd, 1), " line 2         ");
  EXPECT_EQ(lcd.cursorColumn, 7);
}

TEST(BoardLooker, BusyPinsAndSerialSinceTheLastLook) {
  BoardModel board;
  BoardLooker looker;
  Cpu8051& cpu = board.Cpu();
  board.SerialSent('a', 0);
  BoardSnapshot first = looker.Look(ReadBoard(board));
  EXPECT_EQ(first.serial, "a");
  EXPECT_EQ(first.busy, (std::array<std::uint8_t, kPinGroups>{}));

  for (int i = 0; i < 3; ++i) cpu.SetSfr(sfr::P1, static_cast<std::uint8_t>(i % 2 ? 0xFF : 0xFE));
  cpu.SetSfr(sfr::P1, 0xFD);  // P1.0 four times, P1.1 once
  board.SerialSent('b', 0);
  board.SerialSent('\n', 0);
  const BoardSnapshot second = looker.Look(ReadBoard(board));
  EXPECT_EQ(second.busy[Index(PinGroup::P1)], 0x01);
  EXPECT_EQ(second.serial, "b\n");
  EXPECT_FALSE(ShowsSame(first, second));

  const BoardSnapshot third = looker.Look(ReadBoard(board));
  EXPECT_EQ(third.busy[Index(PinGroup::P1)], 0x00);
  EXPECT_EQ(third.serial, "");
  BoardSnapshot fresh = ReadBoard(board);
  fresh.run = 7;  // a new start counts from nothing: everything it sent is new
  EXPECT_EQ(looker.Look(fresh).serial, "ab\n");
}

// A board on the virtual clock, started with `code`.
struct Started {
  explicit Started(const Bytes& code) : device(test_support::StartOnBoard(board, code)) {
    clock->Advance(Ms(5));
    EXPECT_TRUE(board->CpuRunning());
  }
  std::uint64_t Cycles() { return board->Snapshot().cycles; }

  std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
  std::shared_ptr<VirtualBoard> board = std::make_shared<VirtualBoard>(BoardConfig{}, clock);
  std::unique_ptr<serial::ComDevice> device;
};

// MOV P1,#0x5A; MOV DPTR,#0x2003; MOV A,#0x82 (A out, B in, C out); MOVX @DPTR,A; SJMP $
const Bytes kShowAndEnd{0x75, 0x90, 0x5A, 0x90, 0x20, 0x03, 0x74, 0x82, 0xF0, 0x80, 0xFE};
// INC P1; SJMP back: never ends
const Bytes kCountForever{0x05, 0x90, 0x80, 0xFC};
// Echo: JNB RI,$; CLR RI; MOV A,SBUF; CLR TI; MOV SBUF,A; JNB TI,$; SJMP to the start
const Bytes kEcho{0x30, 0x98, 0xFD, 0xC2, 0x98, 0xE5, 0x99, 0xC2,
                  0x99, 0xF5, 0x99, 0x30, 0x99, 0xFD, 0x80, 0xF0};

TEST(LiveBoard, SnapshotOfTheProgramInputsAndReset) {
  Started started(kShowAndEnd);
  VirtualBoard& board = *started.board;
  board.SetSwitches(1, 0x81);
  board.SetButton(0, true);
  BoardSnapshot s = board.Snapshot();
  EXPECT_TRUE(s.programRunning && s.programEnded);
  EXPECT_EQ(s.levels[Index(PinGroup::P1)], 0x5A);
  EXPECT_EQ(s.levels[Index(PinGroup::P3)], 0xFB);
  EXPECT_EQ(s.levels[Index(PinGroup::PpiB)], 0x81);
  EXPECT_EQ(s.outputs[Index(PinGroup::PpiB)], 0x00);
  EXPECT_EQ(s.outputs[Index(PinGroup::PpiA)], 0xFF);

  const std::uint64_t run = s.run;
  board.ResetNow();  // the Reset button: back in the monitor, the inputs as they were set
  s = board.Snapshot();
  EXPECT_NE(s.run, run);
  EXPECT_FALSE(s.programRunning);
  EXPECT_EQ(s.levels[Index(PinGroup::P1)], 0xFF);
  EXPECT_EQ(s.levels[Index(PinGroup::P3)], 0xFB);
  EXPECT_EQ(s.levels[Index(PinGroup::PpiB)], 0x81);
  EXPECT_FALSE(board.TypeToProgram(reinterpret_cast<const std::uint8_t*>("x"), 1));
}

TEST(LiveBoard, TypedBytesReachTheProgramAtItsRate) {
  Started started(kEcho);
  BoardLooker looker;
  looker.Look(started.board->Snapshot());
  const Bytes typed{'h', 'i', 0x1B};
  ASSERT_TRUE(started.board->TypeToProgram(typed.data(), typed.size()));
  started.clock->Advance(Ms(10));
  EXPECT_EQ(looker.Look(started.board->Snapshot()).serial, "hi\x1B");
}

TEST(LiveBoard, RealTimeKeepsUpAndDropsALagOverTheLimit) {
  Started started(kCountForever);
  VirtualBoard& board = *started.board;
  board.SetRealTime(true);  // after the open: the test paces, no thread of the device's
  const auto cyclesOver = [&](Micros time) {
    const std::uint64_t before = started.Cycles();
    started.clock->Advance(time);
    board.CatchUp();
    return started.Cycles() - before;
  };
  EXPECT_NEAR(static_cast<double>(cyclesOver(Ms(50))), 46080, 3);
  EXPECT_NEAR(static_cast<double>(cyclesOver(Ms(100))), 92160, 3);
  EXPECT_LT(cyclesOver(Ms(101)), 3u);  // lost, not caught up
  EXPECT_NEAR(static_cast<double>(cyclesOver(Ms(50))), 46080, 3);

  board.SetRealTime(false);  // for the tests on virtual time: the host's time is the board's
  EXPECT_NEAR(static_cast<double>(cyclesOver(Ms(500))), 460800, 3);
}

// A debugger that holds the CPU while told to, and counts the controllers alive.
struct Holder : CpuController {
  Holder(Cpu8051& c, int& a) : cpu(c), alive(a) { ++alive; }
  ~Holder() override { --alive; }
  void Run(std::uint64_t until, bool returnOnSend) override { cpu.Run(until, returnOnSend); }
  bool Holding() const override { return hold; }
  Cpu8051& cpu;
  int& alive;
  bool hold = true;
};

TEST(LiveBoard, ADebuggerFreezesTheBoardGoesWithItsProgramAndLetsItRunOn) {
  Started started(kCountForever);
  VirtualBoard& board = *started.board;
  board.SetRealTime(true);
  int alive = 0;
  board.SetControllerFactory([&](RunningProgram& program) {
    return std::make_unique<Holder>(program.Board().Cpu(), alive);
  });
  const auto hold = [&](bool on) {
    board.WithProgram(
        [&](RunningProgram*, CpuController* c) { static_cast<Holder*>(c)->hold = on; });
  };
  ASSERT_EQ(alive, 1);
  const BoardSnapshot frozen = board.Snapshot();
  started.clock->Advance(Ms(500));
  board.CatchUp();
  EXPECT_EQ(started.Cycles(), frozen.cycles);
  EXPECT_EQ(board.Snapshot().levels, frozen.levels);

  hold(false);  // on from where it stood, in real time
  started.clock->Advance(Ms(50));
  board.CatchUp();
  EXPECT_NEAR(static_cast<double>(started.Cycles() - frozen.cycles), 46080, 3);

  hold(true);
  board.ResetNow();  // a reset (or a download) takes the debugger with the program
  EXPECT_EQ(alive, 0);
  Started again(kCountForever);
  again.board->SetControllerFactory([&](RunningProgram& program) {
    return std::make_unique<Holder>(program.Board().Cpu(), alive);
  });
  EXPECT_EQ(alive, 1);
  again.board->SetControllerFactory(nullptr);  // the debugger goes: the program runs on
  EXPECT_EQ(alive, 0);
  const std::uint64_t before = again.Cycles();
  again.clock->Advance(Ms(10));
  EXPECT_GT(again.Cycles(), before);
}

// Used by two threads at once (ThreadSanitizer runs it): on the real clock the device's pacer
// thread runs the program while the view, on this one, types to it and looks.
TEST(LiveBoard, ThePacedProgramEchoesWhatTheViewTypes) {
  auto board = std::make_shared<VirtualBoard>(BoardConfig{}, std::make_shared<RealClock>());
  board->SetRealTime(true);
  const auto device = test_support::StartOnBoard(board, kEcho);
  VirtualLiveBoard live(board);
  BoardLooker looker;
  std::string echoed;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!board->CpuRunning() && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  live.Type("hi");
  while (!echoed.ends_with("hi") && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // a view's frame, on real time
    echoed += looker.Look(live.Read(Micros(0))).serial;
  }
  EXPECT_TRUE(echoed.ends_with("hi")) << echoed;  // after what the download left behind
}

}  // namespace
}  // namespace orvane::sim
