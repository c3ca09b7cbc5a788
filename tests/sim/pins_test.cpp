// Port 3's pins acting inside the core: the external interrupts by edge and by level, GATE, and
// the timers counting pulses on T0 and T1.
#include <gtest/gtest.h>

#include "cpu_machine.h"

namespace orvane::sim::test {
namespace {

// At 0x4000 a jump over the handlers; INT0's handler counts in R0, INT1's in R1; the main line
// enables both interrupts, sets TCON and waits.
void LoadCountingHandlers(Machine& m, std::uint8_t tcon) {
  m.Load({0x02, 0x40, 0x20});
  auto& code = m.cpu.Code();
  const auto put = [&](std::uint16_t at, std::initializer_list<std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), code.begin() + at);
  };
  put(0x4003, {0x08, 0x32});                                      // INC R0; RETI
  put(0x4013, {0x09, 0x32});                                      // INC R1; RETI
  put(0x4020, {0x75, 0xA8, 0x85, 0x75, 0x88, tcon, 0x80, 0xFE});  // MOV IE; MOV TCON; SJMP $
}

void RunFor(Machine& m, std::uint64_t cycles) { m.cpu.Run(m.cpu.Cycles() + cycles); }

TEST(ExternalInterrupts, AnEdgeCallsOnceALevelWhileHeld) {
  struct Case {
    const char* name;
    std::uint8_t tcon;
    int button;
    bool many;  // calls go on while the button is held
  };
  const Case cases[] = {{"INT0 edge", 0x01, 0, false},
                        {"INT1 edge", 0x04, 1, false},
                        {"INT0 level", 0x00, 0, true},
                        {"INT1 level", 0x00, 1, true}};
  for (const Case& c : cases) {
    Machine m;
    LoadCountingHandlers(m, c.tcon);
    m.board.SetButton(c.button + 2, true);  // no such button: nothing is pressed
    RunFor(m, 100);
    EXPECT_EQ(m.cpu.Iram(0) + m.cpu.Iram(1), 0) << c.name << ": nothing before the press";
    m.board.SetButton(c.button, true);
    RunFor(m, 1000);
    const int calls = m.cpu.Iram(static_cast<std::uint8_t>(c.button));
    EXPECT_EQ(m.cpu.Iram(static_cast<std::uint8_t>(1 - c.button)), 0) << c.name;
    if (c.many) {
      EXPECT_GT(calls, 50) << c.name;
    } else {
      EXPECT_EQ(calls, 1) << c.name;
    }
    m.board.SetButton(c.button, false);
    RunFor(m, 20);  // a call under way at the release ends
    const int afterRelease = m.cpu.Iram(static_cast<std::uint8_t>(c.button));
    RunFor(m, 1000);
    EXPECT_EQ(m.cpu.Iram(static_cast<std::uint8_t>(c.button)), afterRelease) << c.name;
  }
}

TEST(ExternalInterrupts, EdgeFlagStaysLevelFlagFollowsThePin) {
  Machine m;
  m.Load({0x00});
  m.cpu.SetSfr(sfr::TCON, 0x01);  // INT0 by edge, INT1 by level; no interrupt enabled
  m.board.SetButton(0, true);
  m.board.SetButton(1, true);
  EXPECT_EQ(m.cpu.Sfr(sfr::TCON) & 0x0A, 0x0A);
  m.board.SetButton(0, false);
  m.board.SetButton(1, false);
  EXPECT_EQ(m.cpu.Sfr(sfr::TCON) & 0x0A, 0x02);
  // The program's own latch drives the pin too: CLR P3.3 is a request of INT1.
  m.cpu.SetSfr(sfr::P3, 0xF7);
  EXPECT_EQ(m.cpu.Sfr(sfr::TCON) & 0x08, 0x08);
}

// The datasheet: in level mode the flag follows the pin, so a program that clears it while the
// pin is still low sees it again; in edge mode it stays cleared until the next falling edge.
TEST(ExternalInterrupts, AFlagClearedWhileTheButtonIsHeld) {
  struct Case {
    const char* name;
    std::uint8_t tcon;  // IT0/IT1
    int button;
    std::uint8_t flag;
    bool back;
  };
  const Case cases[] = {{"INT0 level", 0x00, 0, 0x02, true},
                        {"INT1 level", 0x00, 1, 0x08, true},
                        {"INT0 edge", 0x01, 0, 0x02, false},
                        {"INT1 edge", 0x04, 1, 0x08, false}};
  for (const Case& c : cases) {
    Machine m;
    m.Load({0x00});
    m.cpu.SetSfr(sfr::TCON, c.tcon);
    m.board.SetButton(c.button, true);
    ASSERT_EQ(m.cpu.Sfr(sfr::TCON) & c.flag, c.flag) << c.name;
    m.cpu.SetSfr(sfr::TCON, m.cpu.Sfr(sfr::TCON) & ~c.flag);  // CLR IE0 / CLR IE1
    EXPECT_EQ((m.cpu.Sfr(sfr::TCON) & c.flag) != 0, c.back) << c.name;
  }
}

TEST(Timers, GateCountsOnlyWhileTheIntPinIsHighUpToTheChange) {
  Machine m;
  // MOV TMOD,#09h (timer 0 mode 1, GATE); SETB TR0; loop: NOP; SJMP loop
  m.Load({0x75, 0x89, 0x09, 0xD2, 0x8C, 0x00, 0x80, 0xFD});
  m.Steps(2);
  const auto count = [&] { return m.cpu.Sfr(sfr::TH0) << 8 | m.cpu.Sfr(sfr::TL0); };
  RunFor(m, 1000);  // no timer event meanwhile: the count is brought up to date at the press
  m.board.SetButton(0, true);
  const int atPress = count();
  EXPECT_NEAR(atPress, 1000, 3);
  RunFor(m, 5000);
  EXPECT_EQ(count(), atPress);
  m.board.SetButton(0, false);
  RunFor(m, 500);
  EXPECT_NEAR(count(), atPress + 500, 3);
}

TEST(Timers, CountersCountFallingEdgesOnT0AndT1) {
  struct Case {
    const char* name;
    std::uint8_t tmod;
    std::uint8_t pin;  // P3 bit
    std::uint8_t tl;
    std::uint8_t th;
    std::uint8_t flag;  // TCON's overflow flag
  };
  const Case cases[] = {{"timer 0, mode 1", 0x05, 0x10, sfr::TL0, sfr::TH0, 0x20},
                        {"timer 1, mode 1", 0x50, 0x20, sfr::TL1, sfr::TH1, 0x80},
                        {"timer 0, mode 2", 0x06, 0x10, sfr::TL0, sfr::TH0, 0x20}};
  for (const Case& c : cases) {
    Machine m;
    m.Load({0x00, 0x80, 0xFD});  // NOP; SJMP back: runs, never ends
    m.cpu.SetSfr(sfr::TMOD, c.tmod);
    m.cpu.SetSfr(c.th, 0xFF);  // mode 2 reloads from TH: three edges to the overflow
    m.cpu.SetSfr(c.tl, 0xFD);
    m.cpu.SetSfr(sfr::TCON, 0x50);  // TR0, TR1
    RunFor(m, 1000);                // machine cycles are no pulses
    EXPECT_EQ(m.cpu.Sfr(c.tl), 0xFD) << c.name;
    for (int pulse = 0; pulse < 3; ++pulse) {
      m.cpu.SetPortInput(3, static_cast<std::uint8_t>(~c.pin));
      RunFor(m, 10);
      m.cpu.SetPortInput(3, 0xFF);  // the rising edge counts nothing
      RunFor(m, 10);
    }
    EXPECT_EQ(m.cpu.Sfr(sfr::TCON) & c.flag, c.flag) << c.name;
    EXPECT_EQ(m.cpu.Sfr(c.tl), (c.tmod & 0x03) == 2 ? 0xFF : 0x00) << c.name;
  }
}

}  // namespace
}  // namespace orvane::sim::test
