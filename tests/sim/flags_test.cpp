// The arithmetic flags: CY, AC and OV as each instruction leaves them, and P following ACC.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "cpu_machine.h"

namespace orvane::sim::test {
namespace {

constexpr std::uint8_t C = kCy, AC = kAc, OV = kOv;

struct AluCase {
  const char* name;
  std::uint8_t op;
  std::uint8_t operand;  // the immediate, or B for MUL and DIV
  std::uint8_t a;
  std::uint8_t flagsIn;
  std::uint8_t expectA;
  std::uint8_t expectFlags;
  int expectB = -1;  // -1: B not checked
};

const AluCase kAluCases[] = {
    {"add signed overflow", 0x24, 0x01, 0x7F, 0, 0x80, AC | OV},
    {"add carry out", 0x24, 0x01, 0xFF, 0, 0x00, C | AC},
    {"add two negatives", 0x24, 0x80, 0x80, 0, 0x00, C | OV},
    {"add clears old flags", 0x24, 0x00, 0x0F, C | AC | OV, 0x0F, 0},
    {"addc carry makes AC", 0x34, 0x00, 0x0F, C, 0x10, AC},
    {"addc all ones", 0x34, 0xFF, 0xFF, C, 0xFF, C | AC},
    {"subb borrow", 0x94, 0x01, 0x00, 0, 0xFF, C | AC},
    {"subb signed overflow", 0x94, 0x01, 0x80, 0, 0x7F, AC | OV},
    {"subb positive minus negative", 0x94, 0xFF, 0x7F, 0, 0x80, C | OV},
    {"subb borrow in", 0x94, 0x00, 0x10, C, 0x0F, AC},
    {"subb borrow in wraps", 0x94, 0xFF, 0x00, C, 0x00, C | AC},
    {"da low digit", 0xD4, 0, 0x0A, 0, 0x10, 0},
    {"da 99+1", 0xD4, 0, 0x9A, 0, 0x00, C},
    {"da after AC", 0xD4, 0, 0x81, AC, 0x87, AC},
    {"da 88+88", 0xD4, 0, 0x10, C | AC, 0x76, C | AC},
    {"da keeps carry", 0xD4, 0, 0x00, C, 0x60, C},
    {"da leaves OV", 0xD4, 0, 0x45, OV, 0x45, OV},
    {"mul overflow", 0xA4, 0x02, 0x80, C, 0x00, OV, 0x01},
    {"mul fits", 0xA4, 0x0F, 0x0F, C | OV, 0xE1, 0, 0x00},
    {"div", 0x84, 0x12, 0xFB, C | OV, 0x0D, 0, 0x11},
    {"div by zero", 0x84, 0x00, 0x42, C, 0x42, OV, 0x00},
    {"rlc", 0x33, 0, 0x80, 0, 0x00, C},
    {"rrc", 0x13, 0, 0x01, C, 0x80, C},
    {"rl", 0x23, 0, 0x81, C, 0x03, C},
    {"rr", 0x03, 0, 0x81, 0, 0xC0, 0},
};

class AluFlags : public ::testing::TestWithParam<AluCase> {};

TEST_P(AluFlags, ResultAndFlags) {
  const AluCase& c = GetParam();
  Machine m;
  const bool usesB = c.op == 0xA4 || c.op == 0x84;
  const bool hasImmediate = c.op == 0x24 || c.op == 0x34 || c.op == 0x94;
  if (hasImmediate) {
    m.Load({c.op, c.operand});
  } else {
    m.Load({c.op});
  }
  m.cpu.SetSfr(sfr::ACC, c.a);
  m.cpu.SetSfr(sfr::PSW, c.flagsIn);
  if (usesB) m.cpu.SetSfr(sfr::B, c.operand);
  m.Steps(1);
  EXPECT_EQ(m.A(), c.expectA);
  EXPECT_EQ(m.Flags(), c.expectFlags);
  if (c.expectB >= 0) {
    EXPECT_EQ(m.cpu.Sfr(sfr::B), c.expectB);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, AluFlags, ::testing::ValuesIn(kAluCases), [](const auto& info) {
  std::string name = info.param.name;
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
});

struct CompareCase {
  std::uint8_t a;
  std::uint8_t immediate;
  bool carry;
  bool jumps;
};

TEST(Compare, CarryMeansLessAndJumpsWhenDifferent) {
  const CompareCase cases[] = {{0x10, 0x20, true, true},
                               {0x20, 0x10, false, true},
                               {0x33, 0x33, false, false},
                               {0x00, 0xFF, true, true}};
  for (const CompareCase& c : cases) {
    Machine m;
    m.Load({0xB4, c.immediate, 0x10});  // CJNE A,#imm,+16
    m.cpu.SetSfr(sfr::ACC, c.a);
    m.cpu.SetSfr(sfr::PSW, c.carry ? 0 : kCy);  // the opposite, to see it change
    m.Steps(1);
    EXPECT_EQ((m.cpu.Psw() & kCy) != 0, c.carry) << int(c.a) << " " << int(c.immediate);
    EXPECT_EQ(m.cpu.Pc(), c.jumps ? 0x4013 : 0x4003);
  }
}

TEST(Parity, FollowsAccumulatorHoweverItChanges) {
  Machine m;
  // MOV A,#07; INC A; MOV 0xE0,#03; XCH A,R0 (R0 = 0x01)
  m.Load({0x74, 0x07, 0x04, 0x75, 0xE0, 0x03, 0x78, 0x01, 0xC8});
  m.Steps(1);
  EXPECT_EQ(m.cpu.Psw() & kParity, 1);
  m.Steps(1);
  EXPECT_EQ(m.cpu.Psw() & kParity, 1);  // 0x08
  m.Steps(1);
  EXPECT_EQ(m.cpu.Psw() & kParity, 0);  // 0x03 written as a direct byte
  m.Steps(2);
  EXPECT_EQ(m.cpu.Psw() & kParity, 1);  // 0x01 from R0
  m.cpu.SetSfr(sfr::PSW, 0x00);         // a write cannot clear it
  EXPECT_EQ(m.cpu.Psw() & kParity, 1);
}

}  // namespace
}  // namespace orvane::sim::test
