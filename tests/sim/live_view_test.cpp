// The live view: its plain-text frames and drawn picture, its keys, and its loop paced on the
// virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/board/board_model.h"
#include "sim/view/board_text.h"
#include "sim/view/live_boards.h"
#include "sim/view/live_view.h"
#include "sim/view/terminal_board_picture.h"

namespace orvane::sim {
namespace {

BoardSnapshot Showing(const char* line1, const char* line2) {
  BoardSnapshot s;
  s.levels = {0xE6, 0xFF, 0x00, 0x81, 0xF0};
  s.lcd.displayOn = true;
  for (int column = 0; column < 16; ++column) {
    s.lcd.cells[0][static_cast<std::size_t>(column)] = static_cast<std::uint8_t>(line1[column]);
    s.lcd.cells[1][static_cast<std::size_t>(column)] = static_cast<std::uint8_t>(line2[column]);
  }
  return s;
}

TEST(PlainFrame, TheLinesAScriptReads) {
  BoardSnapshot s = Showing("Hello, board!   ", "count: 17       ");
  EXPECT_EQ(PlainFrame(s),
            "P1    11100110\n"
            "PPI A 00000000\n"
            "PPI B 10000001\n"
            "PPI C 11110000\n"
            "LCD 1 |Hello, board!   |\n"
            "LCD 2 |count: 17       |\n");
  s = Showing("a\\b~\x7F\x01          ", "                ");
  s.serial = "ok\r\n\x1b[2J";
  const std::string frame = PlainFrame(s);
  EXPECT_NE(frame.find("LCD 1 |a\\x5Cb\\x7E\\x7F\\x01" + std::string(10, ' ') + "|\n"),
            std::string::npos)
      << frame;
  EXPECT_NE(frame.find("UART ok\\x0D\\x0A\\x1B[2J\n"), std::string::npos) << frame;
  s.lcd.displayOn = false;
  EXPECT_NE(PlainFrame(s).find("LCD 1 |                |\n"), std::string::npos);
}

TEST(TerminalBoardPicture, WhatTheProgramSentCannotDriveTheTerminal) {
  TerminalBoardPicture picture;
  picture.AddSerial("one\r\ntwo\x1b]0;title\x07\x1b[2J\n");
  BoardSnapshot s = Showing("\x1b[31m   \x9b\x00       ", "                ");
  const std::string screen = picture.Draw(s, "running", 24, 80);
  EXPECT_EQ(screen.find("\x1b[2J"), std::string::npos);
  EXPECT_EQ(screen.find("\x1b]"), std::string::npos);
  EXPECT_EQ(screen.find("\x1b[31m"), std::string::npos);
  EXPECT_EQ(screen.find('\x07'), std::string::npos);
  EXPECT_EQ(screen.find('\x9b'), std::string::npos);
  EXPECT_NE(screen.find(" two\\x1B]0;title\\x07\\x1B[2J"), std::string::npos);
  EXPECT_NE(screen.find(" one\x1b[K"), std::string::npos);
  // A short terminal keeps the newest of the pane's lines.
  const std::string small = picture.Draw(s, "running", TerminalBoardPicture::kBoardRows + 3, 80);
  EXPECT_EQ(small.find(" one"), std::string::npos);
  EXPECT_NE(small.find(" two"), std::string::npos);
}

TEST(LiveViewKeys, FunctionKeysPressButtonsTheRestIsTyped) {
  struct Case {
    std::string bytes;
    bool f1;
    bool f2;
    std::string typed;
  };
  const Case cases[] = {{"\x1bOP", true, false, ""},
                        {"a\x1b[12~b", false, true, "ab"},
                        {"\x1b[[A\x1b[[B", true, true, ""},
                        {"\x1b[A\r", false, false, "\x1b[A\r"}};
  for (const Case& c : cases) {
    ViewInput input;
    ParseKeys(c.bytes, input);
    EXPECT_EQ(input.buttons[0], c.f1) << c.bytes;
    EXPECT_EQ(input.buttons[1], c.f2) << c.bytes;
    EXPECT_EQ(input.typed, c.typed) << c.bytes;
  }
}

// A screen that records what it shows and plays keys at given moments, on virtual time.
class RecordingScreen final : public ViewScreen {
 public:
  struct Key {
    Micros at;
    ViewInput input;
  };
  bool Drawn() const override { return false; }
  void Show(const BoardSnapshot& snapshot, const std::string&) override {
    shown.push_back({now, snapshot});
  }
  ViewInput Wait(Clock& clock, Micros deadline) override {
    if (!keys.empty() && keys.front().at <= deadline) {
      clock.SleepUntil(keys.front().at);
      now = clock.Now();
      ViewInput input = keys.front().input;
      keys.erase(keys.begin());
      return input;
    }
    clock.SleepUntil(deadline);
    // A jump of the clock here: the process was suspended.
    if (jumpAt && clock.Now() >= *jumpAt) {
      clock.SleepFor(Ms(2000));
      jumpAt.reset();
    }
    now = clock.Now();
    return {};
  }

  struct Shown {
    Micros at;
    BoardSnapshot snapshot;
  };
  std::vector<Shown> shown;
  std::vector<Key> keys;
  std::optional<Micros> jumpAt;
  Micros now{0};
};

// A program on a board model: INC P1 and a loop of NOPs 128 cycles long, over and over.
struct Counting {
  Counting() {
    auto& code = board.Cpu().Code();
    // INC P1; MOV R7,#62; DJNZ R7,$; SJMP back to the start
    const std::uint8_t program[] = {0x05, 0x90, 0x7F, 62, 0xDF, 0xFE, 0x80, 0xF8};
    std::copy(std::begin(program), std::end(program), code.begin() + kProgramStart);
    board.StartProgram(57600);
  }
  BoardModel board;
  VirtualClock clock;
  RecordingScreen screen;
};

TEST(LiveView, PacedAtTheBoardsSpeedAtMostThirtyFramesASecond) {
  Counting run;
  PacedBoard paced(run.board, 1, std::nullopt, run.clock.Now());
  LiveViewOptions options;
  options.seconds = 2.0;
  EXPECT_EQ(RunLiveView(paced, run.screen, run.clock, options), ViewEnd::Seconds);
  EXPECT_NEAR(static_cast<double>(run.board.Cpu().Cycles()), 2 * 921600.0, 921600 / 30.0);
  ASSERT_GE(run.screen.shown.size(), 55u);
  EXPECT_LE(run.screen.shown.size(), 62u);
  // The last frame is the one on the way out, whenever that comes.
  const std::size_t framesPaced = run.screen.shown.size() - 1;
  for (std::size_t i = 1; i < framesPaced; ++i) {
    EXPECT_GE(run.screen.shown[i].at - run.screen.shown[i - 1].at, Micros(33333));
  }
  // P1.0 to P1.6 change more than twice between frames: too fast to see; P1.7 not quite.
  EXPECT_EQ(run.screen.shown[framesPaced - 1].snapshot.busy[Index(PinGroup::P1)], 0x7F);
}

TEST(LiveView, ALagIsDroppedAndSpeedScales) {
  Counting run;
  PacedBoard paced(run.board, 4, std::nullopt, run.clock.Now());
  run.screen.jumpAt = Ms(500);
  LiveViewOptions options;
  options.seconds = 3.0;
  RunLiveView(paced, run.screen, run.clock, options);
  // Four times the board's speed over the second the view ran, not over the two it was away.
  EXPECT_NEAR(static_cast<double>(run.board.Cpu().Cycles()), 4 * 921600.0, 4 * 921600 / 10.0);
}

TEST(LiveView, ShowsOnlyChangesEndsWithTheProgramOrCycles) {
  BoardModel board;
  const std::uint8_t program[] = {0x75, 0x90, 0x0F, 0x80, 0xFE};  // MOV P1,#0Fh; SJMP $
  std::copy(std::begin(program), std::end(program), board.Cpu().Code().begin() + kProgramStart);
  board.StartProgram(57600);
  VirtualClock clock;
  RecordingScreen screen;
  PacedBoard paced(board, 1, std::nullopt, clock.Now());
  LiveViewOptions options;
  options.seconds = 1.0;
  RunLiveView(paced, screen, clock, options);
  ASSERT_EQ(screen.shown.size(), 2u);  // at the start, and once the program has set P1
  EXPECT_EQ(screen.shown[1].snapshot.levels[Index(PinGroup::P1)], 0x0F);
  options.endWithProgram = true;
  EXPECT_EQ(RunLiveView(paced, screen, clock, options), ViewEnd::ProgramEnded);

  Counting run;
  PacedBoard limited(run.board, 0, 100000, run.clock.Now());
  options.cycles = 100000;
  EXPECT_EQ(RunLiveView(limited, run.screen, run.clock, options), ViewEnd::Cycles);
  EXPECT_EQ(run.board.Cpu().Cycles() / 100, 1000u);
}

TEST(LiveView, KeysReachTheProgramAndF1HoldsTheButtonForAWhile) {
  Counting run;
  PacedBoard paced(run.board, 1, std::nullopt, run.clock.Now());
  ViewInput f1;
  f1.buttons[0] = true;
  ViewInput stop;
  stop.stop = true;
  run.screen.keys = {{Ms(100), f1}, {Ms(300), stop}};
  EXPECT_EQ(RunLiveView(paced, run.screen, run.clock, {}), ViewEnd::Stopped);
  const auto pressedAt = [&](Micros at) {
    for (auto it = run.screen.shown.rbegin(); it != run.screen.shown.rend(); ++it) {
      if (it->at <= at) return it->snapshot.buttonsPressed;
    }
    return std::uint8_t{0};
  };
  EXPECT_EQ(pressedAt(Ms(90)), 0);
  EXPECT_EQ(pressedAt(Ms(180)), 1);
  EXPECT_EQ(pressedAt(Ms(300)), 0);
  EXPECT_EQ(run.screen.shown.back().at, Ms(300));  // the last look is shown on the way out
}

}  // namespace
}  // namespace orvane::sim
