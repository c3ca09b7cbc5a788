// Addressing, ports, interrupts, timers and the serial port of the core.
#include <gtest/gtest.h>

#include <optional>

#include "cpu_machine.h"

namespace orvane::sim::test {
namespace {

TEST(Addressing, IndirectAboveTheLowerHalfIsRamDirectIsSfr) {
  Machine m;
  // MOV R0,#90h; MOV @R0,#12h; MOV 90h,#34h; MOV A,@R0
  m.Load({0x78, 0x90, 0x76, 0x12, 0x75, 0x90, 0x34, 0xE6});
  m.Steps(4);
  EXPECT_EQ(m.cpu.Iram(0x90), 0x12);
  EXPECT_EQ(m.cpu.Sfr(sfr::P1), 0x34);
  EXPECT_EQ(m.A(), 0x12);
}

TEST(Addressing, BitsBelow80hAreRamAboveAreSfrs) {
  Machine m;
  // SETB 0Fh (20h.7... byte 21h bit 7); CLR 97h (P1.7); SETB E0h (ACC.0); CPL D5h (F0)
  m.Load({0xD2, 0x0F, 0xC2, 0x97, 0xD2, 0xE0, 0xB2, 0xD5});
  m.Steps(4);
  EXPECT_EQ(m.cpu.Iram(0x21), 0x80);
  EXPECT_EQ(m.cpu.Sfr(sfr::P1), 0x7F);
  EXPECT_EQ(m.A(), 0x01);
  EXPECT_EQ(m.cpu.Psw() & 0x20, 0x20);
}

TEST(Addressing, RegisterBanksFollowPsw) {
  Machine m;
  // MOV PSW,#10h; MOV R3,#5Ah; MOV PSW,#00h; MOV R3,#A5h
  m.Load({0x75, 0xD0, 0x10, 0x7B, 0x5A, 0x75, 0xD0, 0x00, 0x7B, 0xA5});
  m.Steps(4);
  EXPECT_EQ(m.cpu.Iram(0x13), 0x5A);
  EXPECT_EQ(m.cpu.Iram(0x03), 0xA5);
}

TEST(Ports, ReadModifyWriteReadsTheLatchOthersThePins) {
  Machine m;
  m.cpu.SetPortInput(1, 0x0F);  // something outside holds P1.4-P1.7 low
  // MOV A,P1; ORL P1,#01h; MOV C,P1.7 (bit 97h)
  m.Load({0xE5, 0x90, 0x43, 0x90, 0x01, 0xA2, 0x97});
  m.cpu.SetPortInput(1, 0x0F);
  m.Steps(3);
  EXPECT_EQ(m.A(), 0x0F);
  EXPECT_EQ(m.cpu.Sfr(sfr::P1), 0x0F);  // read as pins
  EXPECT_EQ(m.cpu.Psw() & kCy, 0);      // the pin is low
  m.cpu.SetPortInput(1, 0xFF);
  EXPECT_EQ(m.cpu.Sfr(sfr::P1), 0xFF);  // the latch kept its ones
}

TEST(Opcodes, UndefinedA5IsAOneByteOneCycleNoOp) {
  Machine m;
  m.Load({0xA5, 0x04});
  const std::uint64_t before = m.cpu.Cycles();
  m.Steps(1);
  EXPECT_EQ(m.cpu.Pc(), 0x4001);
  EXPECT_EQ(m.cpu.Cycles() - before, 1u);
  EXPECT_EQ(m.A(), 0);
}

// Every opcode reaches code that carries it out: the dispatch lets none fall through.
TEST(Opcodes, EveryOpcodeIsRouted) {
  for (int op = 0; op < 256; ++op) {
    Machine m;
    m.Load({static_cast<std::uint8_t>(op), 0x00, 0x00});
    m.Steps(1);
    EXPECT_EQ(m.cpu.UnroutedOpcode(), std::nullopt) << "opcode " << op;
  }
}

// Operands past 0xFFFF come from 0x0000 on, as the program counter wraps.
TEST(Opcodes, OperandsWrapAtTheTopOfCodeMemory) {
  struct Case {
    const char* what;
    std::uint16_t start;
    std::initializer_list<std::uint8_t> bytes;
    std::uint16_t pc;            // after the instruction
    std::uint8_t direct, value;  // a byte the instruction set (direct address)
  };
  const Case cases[] = {
      {"LJMP", 0xFFFE, {0x02, 0x12, 0x34}, 0x1234, sfr::ACC, 0x00},
      {"LCALL", 0xFFFE, {0x12, 0x12, 0x34}, 0x1234, 0x08, 0x01},  // return address 0x0001
      {"MOV DPTR", 0xFFFE, {0x90, 0x12, 0x34}, 0x0001, sfr::DPL, 0x34},
      {"MOV dir,#", 0xFFFF, {0x75, 0x30, 0x77}, 0x0002, 0x30, 0x77},
  };
  for (const Case& c : cases) {
    Machine m;
    m.cpu.Reset();
    m.cpu.SetIram(0x00, 0xEE);  // what a read past the code array would find first
    std::uint16_t at = c.start;
    for (std::uint8_t byte : c.bytes) m.cpu.Code()[at++] = byte;
    m.cpu.SetPc(c.start);
    m.Steps(1);
    EXPECT_EQ(m.cpu.Pc(), c.pc) << c.what;
    const std::uint8_t set = c.direct < 0x80 ? m.cpu.Iram(c.direct) : m.cpu.Sfr(c.direct);
    EXPECT_EQ(set, c.value) << c.what;
  }
}

TEST(Opcodes, MachineCyclesOfEachKind) {
  struct Case {
    std::initializer_list<std::uint8_t> code;
    std::uint64_t cycles;
  };
  const Case cases[] = {
      {{0x00}, 1}, {{0x74, 1}, 1},    {{0x75, 0x30, 1}, 2}, {{0x85, 0x30, 0x31}, 2},
      {{0xA4}, 4}, {{0x84}, 4},       {{0xE0}, 2},          {{0x93}, 2},
      {{0xA3}, 2}, {{0xD2, 0x00}, 1}, {{0x92, 0x00}, 2},    {{0x12, 0x40, 0x00}, 2}};
  for (const Case& c : cases) {
    Machine m;
    m.Load(c.code);
    m.Steps(1);
    EXPECT_EQ(m.cpu.Cycles(), c.cycles) << "opcode " << int(*c.code.begin());
  }
}

TEST(Program, SelfLoopEndsItOnlyWithInterruptsOff) {
  Machine m;
  m.Load({0x80, 0xFE});  // SJMP $
  m.cpu.Run(1000);
  EXPECT_TRUE(m.cpu.Stopped());

  m.Load({0x75, 0xA8, 0x82, 0x80, 0xFE});  // MOV IE,#82h; SJMP $: timer 0 may call
  m.cpu.Run(1000);
  EXPECT_FALSE(m.cpu.Stopped());
  EXPECT_GE(m.cpu.Cycles(), 1000u);
}

// Interrupt handlers at the board's vectors: each RETI at once.
void InstallHandlers(Machine& m) {
  for (std::uint16_t v : {0x4003, 0x400B, 0x4013, 0x401B, 0x4023, 0x402B}) {
    m.cpu.Code()[v] = 0x32;
  }
}

TEST(Interrupts, NotTakenUntilOneInstructionAfterWritingIe) {
  Machine m;
  InstallHandlers(m);
  // at 4030: MOV IE,#81h; INC A; INC A
  m.cpu.Reset();
  m.cpu.Code()[0x4030] = 0x75;
  m.cpu.Code()[0x4031] = 0xA8;
  m.cpu.Code()[0x4032] = 0x81;
  m.cpu.Code()[0x4033] = 0x04;
  m.cpu.Code()[0x4034] = 0x04;
  m.cpu.SetPc(0x4030);
  m.cpu.SetSfr(sfr::TCON, 0x02);  // IE0 pending
  m.Steps(2);                     // MOV IE, then INC A runs first
  EXPECT_EQ(m.A(), 1);
  m.Steps(1);  // now the call
  EXPECT_EQ(m.cpu.Pc(), 0x0003);
  EXPECT_EQ(m.cpu.Sfr(sfr::TCON) & 0x02, 0);  // cleared by the call
}

TEST(Interrupts, PollingOrderAndPriority) {
  struct Case {
    std::uint8_t ip;
    std::uint16_t firstVector;
  };
  // IE0 and TF1 pending together: IE0 comes first in the polling order unless TF1 is high.
  for (const Case& c : {Case{0x00, 0x0003}, Case{0x08, 0x001B}}) {
    Machine m;
    InstallHandlers(m);
    m.Load({0x00, 0x00, 0x00});
    m.cpu.SetSfr(sfr::IE, 0x89);
    m.cpu.SetSfr(sfr::IP, c.ip);
    m.cpu.SetSfr(sfr::TCON, 0x82);
    m.Steps(2);  // the hold-off after the IE write, then the call
    EXPECT_EQ(m.cpu.Pc(), c.firstVector) << "IP " << int(c.ip);
  }
}

TEST(Interrupts, HighPriorityNestsInLowNotTheOtherWay) {
  Machine m;
  m.Load({});
  // Low handler at 4003 loops; high (timer 1) at 401B loops too.
  m.cpu.Code()[0x4003] = 0x80;
  m.cpu.Code()[0x4004] = 0xFE;
  m.cpu.Code()[0x401B] = 0x80;
  m.cpu.Code()[0x401C] = 0xFE;
  m.cpu.SetSfr(sfr::IE, 0x89);
  m.cpu.SetSfr(sfr::IP, 0x08);
  m.cpu.SetSfr(sfr::TCON, 0x02);  // IE0 (low)
  m.Steps(3);
  EXPECT_EQ(m.cpu.Pc(), 0x4003);
  m.cpu.SetSfr(sfr::TCON, 0x80);  // TF1 (high)
  m.Steps(2);
  EXPECT_EQ(m.cpu.Pc(), 0x401B);
}

// Timer 0 overflows every 100 cycles while a 500-cycle handler of the same level runs: its flag
// stands set, then one call follows the handler, and the next calls come at the overflows after
// it. Overflows while the flag stood set must not set it again behind the call.
TEST(Interrupts, AFlagThatStoodSetIsOneCall) {
  Machine m;
  m.Load({0x80, 0xFE});                                             // SJMP $
  const std::uint8_t external0[] = {0x7E, 0xFA, 0xDE, 0xFE, 0x32};  // MOV R6,#250; DJNZ R6,$; RETI
  const std::uint8_t timer0[] = {0x0F, 0x32};                       // INC R7; RETI
  std::copy(std::begin(external0), std::end(external0), m.cpu.Code().begin() + 0x4003);
  std::copy(std::begin(timer0), std::end(timer0), m.cpu.Code().begin() + 0x400B);
  m.cpu.SetSfr(sfr::TMOD, 0x02);  // timer 0 counts 100 and reloads
  m.cpu.SetSfr(sfr::TH0, 0x9C);
  m.cpu.SetSfr(sfr::TL0, 0x9C);
  m.cpu.SetSfr(sfr::IE, 0x83);
  m.cpu.SetSfr(sfr::TCON, 0x12);  // TR0, and IE0 pending
  m.cpu.Run(1050);
  // The call after the long handler (at about 510), then the overflows at 600, 700 ... 1000.
  EXPECT_EQ(m.cpu.Iram(7), 6);  // R7 of bank 0
}

TEST(Timers, Mode0CountsThirteenBitsMode3SplitsTimer0) {
  Machine m;
  m.Load({0x80, 0xFE});
  m.cpu.SetSfr(sfr::IE, 0x88);  // an interrupt enabled keeps the loop running; not timer 0's
  m.cpu.SetSfr(sfr::TMOD, 0x00);
  m.cpu.SetSfr(sfr::TCON, 0x10);  // TR0
  m.cpu.Run(8190);
  EXPECT_EQ(m.cpu.Sfr(sfr::TCON) & 0x20, 0);
  m.cpu.Run(8194);
  EXPECT_EQ(m.cpu.Sfr(sfr::TCON) & 0x20, 0x20);  // 2^13 counts

  Machine split;
  split.Load({0x80, 0xFE});
  split.cpu.SetSfr(sfr::IE, 0x81);
  split.cpu.SetSfr(sfr::TMOD, 0x03);
  split.cpu.SetSfr(sfr::TH0, 0xF0);
  split.cpu.SetSfr(sfr::TCON, 0x40);  // TR1 runs TH0, which sets TF1
  split.cpu.Run(20);
  EXPECT_EQ(split.cpu.Sfr(sfr::TCON) & 0xA0, 0x80);
  EXPECT_EQ(split.cpu.Sfr(sfr::TL0), 0x00);  // TR0 off: TL0 stands
}

TEST(Serial, Mode1SetsTiAfterTenBitTimes) {
  Machine m;
  m.Load({0xF5, 0x99, 0x30, 0x99, 0xFD, 0x80, 0xFE});  // MOV SBUF,A; JNB TI,$; SJMP $
  m.board.StartProgram(9600);                          // 96 machine cycles a bit
  m.cpu.SetSfr(sfr::SCON, 0x50);
  m.cpu.Run(100000);
  EXPECT_TRUE(m.cpu.Stopped());
  EXPECT_NEAR(static_cast<double>(m.cpu.Cycles()), 960.0, 96.0);
  EXPECT_DOUBLE_EQ(m.cpu.SerialCyclesPerBit(), 96.0);
}

TEST(Serial, ReceiverSetsRiAndLosesABytePastAnUnreadOne) {
  Machine m;
  m.Load({0x80, 0xFE});
  m.board.StartProgram(57600);
  m.cpu.SetSfr(sfr::IE, 0x82);
  m.cpu.SerialReceive('a', 0);
  m.cpu.SerialReceive('b', 0);
  m.cpu.Run(10000);
  EXPECT_EQ(m.cpu.Sfr(sfr::SCON) & 0x01, 0x01);
  EXPECT_EQ(m.cpu.Sfr(sfr::SBUF), 'a');
  EXPECT_EQ(m.cpu.SerialOverruns(), 1u);
}

}  // namespace
}  // namespace orvane::sim::test
