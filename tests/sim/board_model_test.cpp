// The board around the CPU: serial rates from the crystal, the PPI, the LCD, the stuck RAM bit.
#include <gtest/gtest.h>

#include "sim/board/board_model.h"

namespace orvane::sim::test {
namespace {

TEST(BoardModel, SerialTimingForTheRatesTimer1CanMake) {
  struct Case {
    std::uint32_t baud;
    int th1;  // -1: not possible
    bool smod;
  };
  const Case cases[] = {{57600, 0xFF, true}, {19200, 0xFD, true}, {9600, 0xFD, false},
                        {4800, 0xFA, false}, {1200, 0xE8, false}, {115200, -1, false},
                        {110, -1, false},    {0, -1, false}};
  for (const Case& c : cases) {
    const auto timing = SerialTimingFor(c.baud);
    if (c.th1 < 0) {
      EXPECT_FALSE(timing) << c.baud;
      continue;
    }
    ASSERT_TRUE(timing) << c.baud;
    EXPECT_EQ(timing->th1, c.th1) << c.baud;
    EXPECT_EQ(timing->smod, c.smod) << c.baud;
  }
}

TEST(BoardModel, ParseStuckBitAcceptsOnlyRamBits) {
  const auto bit = ParseStuckBit("0x9000:7:0");
  ASSERT_TRUE(bit);
  EXPECT_EQ(bit->address, 0x9000);
  EXPECT_EQ(bit->bit, 7);
  EXPECT_FALSE(bit->value);
  for (const char* bad : {"0x7FFF:1:1", "0x9000:8:1", "0x9000:1:2", "0x9000:1", "x", "0x10000:1:1",
                          "0x9000:1:1junk"}) {
    EXPECT_FALSE(ParseStuckBit(bad)) << bad;
  }
}

TEST(BoardModel, StuckBitReadsFixedWhateverIsWritten) {
  BoardModel board;
  board.SetStuckBit(StuckBit{0x8001, 0, false});
  board.WriteData(0x8001, 0xFF, 0);
  board.WriteData(0x8002, 0xFF, 0);
  EXPECT_EQ(board.ReadData(0x8001, 0), 0xFE);
  EXPECT_EQ(board.ReadData(0x8002, 0), 0xFF);
}

TEST(BoardModel, ProgramMemoryIsAlsoExternalData) {
  BoardModel board;
  board.WriteData(0x4100, 0x5A, 0);
  EXPECT_EQ(board.Cpu().Code()[0x4100], 0x5A);
  EXPECT_EQ(board.ReadData(0x4100, 0), 0x5A);
  EXPECT_EQ(board.ReadData(0x6000, 0), 0xFF);  // nothing there
}

TEST(Ppi, ModeSetBitSetResetAndInputs) {
  BoardModel board;
  board.WriteData(kPpiBase + 3, 0x89, 0);  // A and B outputs, C input
  board.WriteData(kPpiBase + 0, 0x0F, 0);
  board.WriteData(kPpiBase + 2, 0x00, 0);  // an input: the latch is not seen
  EXPECT_EQ(board.ReadData(kPpiBase + 0, 0), 0x0F);
  EXPECT_EQ(board.ReadData(kPpiBase + 2, 0), 0xFF);
  EXPECT_EQ(board.Ppi().Edges(0, 0), 1u);
  EXPECT_EQ(board.Ppi().Edges(2, 0), 0u);

  board.WriteData(kPpiBase + 3, 0x80, 0);  // all outputs; latches back to 0
  EXPECT_EQ(board.Ppi().Edges(0, 0), 2u);
  board.WriteData(kPpiBase + 3, 0x0B, 0);  // set PC5
  EXPECT_EQ(board.ReadData(kPpiBase + 2, 0), 0x20);
  board.WriteData(kPpiBase + 3, 0x0A, 0);  // reset PC5
  EXPECT_EQ(board.ReadData(kPpiBase + 2, 0), 0x00);
  EXPECT_EQ(board.Ppi().Edges(2, 5), 2u);
}

TEST(Lcd, WritesWhileBusyAreLost) {
  LcdHd44780 lcd;
  std::uint64_t t = 0;
  lcd.WriteInstruction(0x38, t);
  lcd.WriteInstruction(0x0C, t += LcdHd44780::kShortBusy);
  lcd.WriteInstruction(0x01, t += LcdHd44780::kShortBusy);
  EXPECT_EQ(lcd.ReadStatus(t + 1) & 0x80, 0x80);
  lcd.WriteData('x', t + 10);  // still clearing
  EXPECT_EQ(lcd.LostWrites(), 1u);
  t += LcdHd44780::kLongBusy;
  for (char ch : std::string("Hi")) lcd.WriteData(static_cast<std::uint8_t>(ch), t += 40);
  lcd.WriteInstruction(0xC0, t += 40);
  lcd.WriteData('2', t += 40);
  EXPECT_EQ(lcd.Line(0), "Hi");
  EXPECT_EQ(lcd.Line(1), "2");
  lcd.WriteInstruction(0x1C, t += 40);  // shift the display right
  EXPECT_EQ(lcd.Line(0), " Hi");
  lcd.WriteInstruction(0x08, t += 40);  // display off: nothing to see
  EXPECT_EQ(lcd.Line(0), "");
}

TEST(Lcd, CursorMovesPlaceTheNextWriteWithoutShifting) {
  LcdHd44780 lcd;
  std::uint64_t t = 0;
  lcd.WriteInstruction(0x0C, t);  // display on
  for (char ch : std::string("ab")) lcd.WriteData(static_cast<std::uint8_t>(ch), t += 40);
  lcd.WriteInstruction(0x10, t += 40);  // cursor left
  lcd.WriteData('X', t += 40);
  lcd.WriteInstruction(0x14, t += 40);  // cursor right
  lcd.WriteData('Z', t += 40);
  EXPECT_EQ(lcd.Line(0), "aX Z");
}

}  // namespace
}  // namespace orvane::sim::test
